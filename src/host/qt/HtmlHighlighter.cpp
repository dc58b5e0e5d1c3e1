#include "host/qt/HtmlHighlighter.h"

namespace tlx::host {

HtmlHighlighter::HtmlHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {
    tag_.setForeground(QColor(0x80, 0x00, 0x80));
    tag_.setFontWeight(QFont::Bold);
    attribute_.setForeground(QColor(0xA0, 0x40, 0x00));
    value_.setForeground(QColor(0x00, 0x00, 0xC0));
    comment_.setForeground(QColor(0x60, 0x80, 0x60));
    comment_.setFontItalic(true);
}

void HtmlHighlighter::highlightBlock(const QString& text) {
    int state = previousBlockState() < 0 ? Text : previousBlockState();
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        switch (state) {
        case InComment: {
            const qsizetype end = text.indexOf(QLatin1String("-->"), i);
            const qsizetype stop = end < 0 ? n : end + 3;
            setFormat(int(i), int(stop - i), comment_);
            i = stop;
            if (end >= 0)
                state = Text;
            break;
        }
        case InSingle:
        case InDouble: {
            const QChar quote = state == InSingle ? QLatin1Char('\'') : QLatin1Char('"');
            const qsizetype end = text.indexOf(quote, i);
            const qsizetype stop = end < 0 ? n : end + 1;
            setFormat(int(i), int(stop - i), value_);
            i = stop;
            if (end >= 0)
                state = InTag;
            break;
        }
        case InTag: {
            const QChar ch = text.at(i);
            if (ch == QLatin1Char('>') ||
                (ch == QLatin1Char('/') && i + 1 < n && text.at(i + 1) == QLatin1Char('>'))) {
                const int len = ch == QLatin1Char('>') ? 1 : 2;
                setFormat(int(i), len, tag_);
                i += len;
                state = Text;
            } else if (ch == QLatin1Char('"') || ch == QLatin1Char('\'')) {
                state = ch == QLatin1Char('"') ? InDouble : InSingle;
                setFormat(int(i), 1, value_);
                ++i;
            } else if (ch == QLatin1Char('=')) {
                ++i;
                // An unquoted value runs to a blank or the end of the tag.
                if (i < n && text.at(i) != QLatin1Char('"') && text.at(i) != QLatin1Char('\'') &&
                    !text.at(i).isSpace()) {
                    qsizetype end = i;
                    while (end < n && !text.at(end).isSpace() && text.at(end) != QLatin1Char('>'))
                        ++end;
                    setFormat(int(i), int(end - i), value_);
                    i = end;
                }
            } else if (ch.isSpace()) {
                ++i;
            } else {
                qsizetype end = i;
                while (end < n && !text.at(end).isSpace() && text.at(end) != QLatin1Char('=') &&
                       text.at(end) != QLatin1Char('>') && text.at(end) != QLatin1Char('/'))
                    ++end;
                if (end == i)
                    end = i + 1;
                setFormat(int(i), int(end - i), attribute_);
                i = end;
            }
            break;
        }
        default: {
            const qsizetype lt = text.indexOf(QLatin1Char('<'), i);
            if (lt < 0) {
                i = n;
                break;
            }
            if (text.mid(lt, 4) == QLatin1String("<!--")) {
                state = InComment;
                setFormat(int(lt), 4, comment_);
                i = lt + 4;
                break;
            }
            qsizetype end = lt + 1;
            if (end < n && (text.at(end) == QLatin1Char('/') || text.at(end) == QLatin1Char('!')))
                ++end;
            if (end >= n || !(text.at(end).isLetter() || text.at(lt + 1) == QLatin1Char('!'))) {
                i = lt + 1; // a lone "<" in text
                break;
            }
            while (end < n &&
                   (text.at(end).isLetterOrNumber() || text.at(end) == QLatin1Char('-') ||
                    text.at(end) == QLatin1Char(':')))
                ++end;
            setFormat(int(lt), int(end - lt), tag_);
            i = end;
            state = InTag;
            break;
        }
        }
    }
    setCurrentBlockState(state);
}

} // namespace tlx::host
