#pragma once
// The part of a platform that no one sits at: every window is answered as by a user who just
// dismisses it. A message box gives its first button; input, file and colour dialogs are
// cancelled; a popup menu chooses nothing; a modal form closes at once; there is no clipboard
// (its text and content are empty, setting them does nothing) and no event to let run. Zip
// archives are opened from disk. What talks to the world (shell open, waiting, progress, the
// clock, the network) is left to the platform built on it.

#include "platform/Platform.h"

namespace tlx {

class UnattendedPlatform : public Platform {
public:
    MsgResult messageBox(const std::string& prompt, MsgButtons buttons, MsgIcon icon,
                         const std::string& title) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    std::optional<std::string> openFileDialog(const FileDialogOptions& options) override;
    std::optional<std::string> saveFileDialog(const FileDialogOptions& options) override;
    std::optional<int> colourDialog(int initialColour) override;
    int popupMenu(const std::vector<MenuEntry>& entries) override;
    void setClipboardText(const std::string& text) override;
    std::string clipboardText() override;
    ClipboardContent clipboardContent() override;
    void setClipboardContent(const ClipboardContent& content) override;
    void doEvents() override;
    void showModal(ModalForm& form) override;
    std::unique_ptr<ZipArchive> openZip(const std::string& path) override;
};

} // namespace tlx
