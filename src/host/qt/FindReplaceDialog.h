#pragma once
// Edit > Find and Replace: finds text in the active page's source and replaces it there. The
// dialog stays open beside the editor; every replacement is an ordinary edit of the source
// (undone with Edit > Undo).

#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace tlx::host {

class FindReplaceDialog : public QDialog {
    Q_OBJECT

public:
    // `editor` gives the source editor to work in (the active page's), nullptr when none.
    FindReplaceDialog(std::function<QPlainTextEdit*()> editor, QWidget* parent = nullptr);

    QLineEdit* findText() const { return find_; }
    QLineEdit* replaceText() const { return replace_; }
    QCheckBox* matchCase() const { return matchCase_; }
    QLabel* status() const { return status_; }

    // Selects the next occurrence after the caret, from the top again after the last one.
    bool findNext();
    // Replaces the selected occurrence (when the selection is one) and finds the next.
    bool replaceOne();
    // Replaces every occurrence in one step; how many.
    int replaceAll();

private:
    bool selectionMatches(QPlainTextEdit* editor) const;

    std::function<QPlainTextEdit*()> editor_;
    QLineEdit* find_ = nullptr;
    QLineEdit* replace_ = nullptr;
    QCheckBox* matchCase_ = nullptr;
    QLabel* status_ = nullptr;
};

} // namespace tlx::host
