#include "host/qt/FindReplaceDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

namespace tlx::host {

FindReplaceDialog::FindReplaceDialog(std::function<QPlainTextEdit*()> editor, QWidget* parent)
    : QDialog(parent), editor_(std::move(editor)) {
    setObjectName(QStringLiteral("findReplace"));
    setWindowTitle(tr("Find and Replace"));
    find_ = new QLineEdit(this);
    find_->setObjectName(QStringLiteral("findText"));
    replace_ = new QLineEdit(this);
    replace_->setObjectName(QStringLiteral("replaceText"));
    matchCase_ = new QCheckBox(tr("Match &case"), this);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("findStatus"));

    auto* form = new QFormLayout;
    form->addRow(tr("Fi&nd:"), find_);
    form->addRow(tr("Re&place with:"), replace_);
    form->addRow(QString(), matchCase_);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* next = buttons->addButton(tr("&Find Next"), QDialogButtonBox::ActionRole);
    QPushButton* one = buttons->addButton(tr("&Replace"), QDialogButtonBox::ActionRole);
    QPushButton* all = buttons->addButton(tr("Replace &All"), QDialogButtonBox::ActionRole);
    buttons->addButton(QDialogButtonBox::Close);
    next->setDefault(true);
    connect(next, &QPushButton::clicked, this, [this] { findNext(); });
    connect(one, &QPushButton::clicked, this, [this] { replaceOne(); });
    connect(all, &QPushButton::clicked, this, [this] { replaceAll(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(status_);
    layout->addWidget(buttons);
}

bool FindReplaceDialog::selectionMatches(QPlainTextEdit* editor) const {
    const QString selected = editor->textCursor().selectedText();
    return !selected.isEmpty() &&
           selected.compare(find_->text(),
                            matchCase_->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0;
}

bool FindReplaceDialog::findNext() {
    QPlainTextEdit* editor = editor_ ? editor_() : nullptr;
    const QString text = find_->text();
    if (!editor || text.isEmpty())
        return false;
    const QTextDocument::FindFlags flags =
        matchCase_->isChecked() ? QTextDocument::FindCaseSensitively : QTextDocument::FindFlags();
    if (editor->find(text, flags)) {
        status_->clear();
        return true;
    }
    // Round again from the top.
    QTextCursor top = editor->textCursor();
    top.movePosition(QTextCursor::Start);
    editor->setTextCursor(top);
    if (editor->find(text, flags)) {
        status_->setText(tr("Found from the top again."));
        return true;
    }
    status_->setText(tr("\"%1\" is not in the page.").arg(text));
    return false;
}

bool FindReplaceDialog::replaceOne() {
    QPlainTextEdit* editor = editor_ ? editor_() : nullptr;
    if (!editor || find_->text().isEmpty() || editor->isReadOnly())
        return false;
    if (selectionMatches(editor))
        editor->textCursor().insertText(replace_->text());
    return findNext();
}

int FindReplaceDialog::replaceAll() {
    QPlainTextEdit* editor = editor_ ? editor_() : nullptr;
    const QString text = find_->text();
    if (!editor || text.isEmpty() || editor->isReadOnly())
        return 0;
    const QTextDocument::FindFlags flags =
        matchCase_->isChecked() ? QTextDocument::FindCaseSensitively : QTextDocument::FindFlags();
    int count = 0;
    // Each replacement is a change of its own (the page's bytes between them stay as they
    // are), all of them one step to undo.
    QTextCursor found = editor->document()->find(text, 0, flags);
    while (!found.isNull()) {
        if (count == 0)
            found.beginEditBlock();
        else
            found.joinPreviousEditBlock();
        found.insertText(replace_->text());
        found.endEditBlock();
        ++count;
        found = editor->document()->find(text, found, flags);
    }
    status_->setText(count == 0 ? tr("\"%1\" is not in the page.").arg(text)
                                : tr("%n replaced.", nullptr, count));
    return count;
}

} // namespace tlx::host
