#include "catalog/qt/CreationDialogs.h"

#include "catalog/qt/CreationDialog.h"
#include "catalog/qt/FlashHeading.h"
#include "catalog/qt/FlashMisc.h"
#include "catalog/qt/FlashMovie.h"
#include "catalog/qt/FromFile.h"
#include "catalog/qt/fButton.h"
#include "hostapi/UserAction.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tlx {

std::unique_ptr<CreationDialog> MakeCreationDialog(AddinContext& context, CreationDialogKind kind,
                                                   QWidget* owner, const PreviewFactory& previews) {
    switch (kind) {
    case CreationDialogKind::Button:
        return std::make_unique<fButton>(context, previews, owner);
    case CreationDialogKind::Heading:
        return std::make_unique<FlashHeading>(context, previews, owner);
    case CreationDialogKind::IntroMovie:
        return std::make_unique<FlashMovie>(context, previews, owner);
    case CreationDialogKind::MiscArt:
        return std::make_unique<FlashMisc>(context, previews, owner);
    case CreationDialogKind::LocalFile:
        return std::make_unique<FromFile>(context, previews, owner);
    }
    return nullptr;
}

CreationDialogForm::CreationDialogForm(std::unique_ptr<CreationDialog> dialog)
    : dialog_(dialog.get()) {
    if (dialog && !dialog->parent())
        owned_ = std::move(dialog);
    else
        (void)dialog.release(); // its owner's child
}

CreationDialogForm::~CreationDialogForm() {
    if (!owned_ && dialog_)
        delete dialog_.data();
}

std::string CreationDialogForm::formName() const {
    return dialog_ ? dialog_->objectName().toStdString() : std::string();
}

void CreationDialogForm::execModal() {
    if (dialog_)
        dialog_->exec();
}

void ShowCreationDialog(AddinContext& context, CreationDialogKind kind, QWidget* owner,
                        std::function<void()> onUnload) {
    // Made without an owner: a web view in a dialog owned by the panel's tool window
    // crashes the window compositing of this Qt version. It is placed over the owner's
    // screen instead, and exec() keeps it modal.
    auto dialog = MakeCreationDialog(context, kind, nullptr);
    if (!dialog)
        return;
    if (const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen()) {
        dialog->adjustSize();
        dialog->move(screen->availableGeometry().center() - dialog->rect().center());
    }
    dialog->SetOnUnload(std::move(onUnload));
    // The dialog acts on the page it was opened for, and what it does is one undo step.
    const UserAction action(context.Editor, dialog->windowTitle().toStdString());
    CreationDialogForm form(std::move(dialog));
    context.platform.showModal(form);
}

} // namespace tlx
