#include "editing/qt/EditingDialog.h"

#include "markup/TextHelpers.h"
#include "platform/FileUtil.h"

namespace tlx {

EditingDialog::EditingDialog(AddinContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setModal(true);
}

void EditingDialog::Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    done(QDialog::Accepted);
}

void EditingDialog::OpenHelp() {
    ShellOpen(context_.Editor, context_.platform,
              ResolveNoCase(context_.InstallFolder, "Help/index.htm").string());
}

} // namespace tlx
