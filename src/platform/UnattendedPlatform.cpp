#include "platform/UnattendedPlatform.h"

#include "platform/Zip.h"

namespace tlx {

MsgResult UnattendedPlatform::messageBox(const std::string&, MsgButtons buttons, MsgIcon,
                                         const std::string&) {
    return FirstButtonOf(buttons);
}

std::optional<std::string> UnattendedPlatform::inputBox(const std::string&, const std::string&,
                                                        const std::string&) {
    return std::nullopt;
}

std::optional<std::string> UnattendedPlatform::openFileDialog(const FileDialogOptions&) {
    return std::nullopt;
}

std::optional<std::string> UnattendedPlatform::saveFileDialog(const FileDialogOptions&) {
    return std::nullopt;
}

std::optional<int> UnattendedPlatform::colourDialog(int) {
    return std::nullopt;
}

int UnattendedPlatform::popupMenu(const std::vector<MenuEntry>&) {
    return 0;
}

void UnattendedPlatform::setClipboardText(const std::string&) {}

std::string UnattendedPlatform::clipboardText() {
    return {};
}

ClipboardContent UnattendedPlatform::clipboardContent() {
    return {};
}

void UnattendedPlatform::setClipboardContent(const ClipboardContent&) {}

void UnattendedPlatform::doEvents() {}

void UnattendedPlatform::showModal(ModalForm&) {}

std::unique_ptr<ZipArchive> UnattendedPlatform::openZip(const std::string& path) {
    return openZipFile(path);
}

} // namespace tlx
