#pragma once
// Colours for the source editor: tags, attribute names, attribute values and comments
// (comments may run over several lines).

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

namespace tlx::host {

class HtmlHighlighter : public QSyntaxHighlighter {
    Q_OBJECT

public:
    explicit HtmlHighlighter(QTextDocument* document);

    const QTextCharFormat& tagFormat() const { return tag_; }
    const QTextCharFormat& attributeFormat() const { return attribute_; }
    const QTextCharFormat& valueFormat() const { return value_; }
    const QTextCharFormat& commentFormat() const { return comment_; }

protected:
    void highlightBlock(const QString& text) override;

private:
    // Block states: what the previous line left open.
    enum State { Text = 0, InComment = 1, InTag = 2, InSingle = 3, InDouble = 4 };

    QTextCharFormat tag_;
    QTextCharFormat attribute_;
    QTextCharFormat value_;
    QTextCharFormat comment_;
};

} // namespace tlx::host
