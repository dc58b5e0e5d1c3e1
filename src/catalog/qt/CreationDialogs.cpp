#include "catalog/qt/CreationDialogs.h"

#include "catalog/qt/CreationDialog.h"
#include "catalog/qt/FlashHeading.h"
#include "catalog/qt/FlashMisc.h"
#include "catalog/qt/FlashMovie.h"
#include "catalog/qt/FromFile.h"
#include "catalog/qt/fButton.h"

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
    auto dialog = MakeCreationDialog(context, kind, owner);
    if (!dialog)
        return;
    dialog->SetOnUnload(std::move(onUnload));
    CreationDialogForm form(std::move(dialog));
    context.platform.showModal(form);
}

} // namespace tlx
