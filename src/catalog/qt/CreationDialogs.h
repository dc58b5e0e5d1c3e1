#pragma once
// Opening the creation dialogs: each is made fresh, shown modally through the platform and
// destroyed when it closes.

#include "addinbase/AddinContext.h"
#include "catalog/qt/CreationDialog.h"
#include "catalog/qt/PreviewFactory.h"
#include "platform/Platform.h"

#include <QPointer>
#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace tlx {

enum class CreationDialogKind { Button, Heading, IntroMovie, MiscArt, LocalFile };

// A new dialog of the kind, loaded (catalogs read, lists filled, preview started).
std::unique_ptr<CreationDialog> MakeCreationDialog(AddinContext& context, CreationDialogKind kind,
                                                   QWidget* owner,
                                                   const PreviewFactory& previews = {});

// A creation dialog as a form the platform shows modally.
class CreationDialogForm : public ModalForm {
public:
    explicit CreationDialogForm(std::unique_ptr<CreationDialog> dialog);
    ~CreationDialogForm() override;
    std::string formName() const override;
    void execModal() override;
    // Nullptr once the dialog is gone (its owner may take it along).
    CreationDialog* dialog() const { return dialog_; }

private:
    // A dialog with an owner belongs to it (and goes with it); one without to this form.
    std::unique_ptr<CreationDialog> owned_;
    QPointer<CreationDialog> dialog_;
};

// Makes the dialog, runs `onUnload` when it goes (may be empty) and shows it modally.
void ShowCreationDialog(AddinContext& context, CreationDialogKind kind, QWidget* owner,
                        std::function<void()> onUnload = {});

} // namespace tlx
