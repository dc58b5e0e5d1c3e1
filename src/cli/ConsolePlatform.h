#pragma once
// The platform of the headless commands: a terminal and no desktop. Message boxes are printed
// with their title (errors and warnings to the error stream) and answered with their default
// button; dialogs and menus are cancelled; nothing is opened, nothing is fetched from the
// network, and there is no clipboard.

#include "platform/Platform.h"

#include <ostream>

namespace tlx::app {

class ConsolePlatform : public Platform {
public:
    ConsolePlatform(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    MsgResult messageBox(const std::string& prompt, MsgButtons buttons, MsgIcon icon,
                         const std::string& title) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    std::optional<std::string> openFileDialog(const FileDialogOptions& options) override;
    std::optional<std::string> saveFileDialog(const FileDialogOptions& options) override;
    std::optional<int> colourDialog(int initialColour) override;
    int popupMenu(const std::vector<MenuEntry>& entries) override;
    int shellOpen(const std::string& target) override;
    void setClipboardText(const std::string& text) override;
    std::string clipboardText() override;
    ClipboardContent clipboardContent() override;
    void setClipboardContent(const ClipboardContent& content) override;
    void doEvents() override;
    bool waitUntil(const std::function<bool()>& done, int timeoutMs) override;
    void showModal(ModalForm& form) override;
    std::unique_ptr<ProgressForm> showProgressForm() override;
    std::uint32_t tickCount() override;
    HttpReply httpGet(const std::string& url, int timeoutMs) override;
    std::unique_ptr<ZipArchive> openZip(const std::string& path) override;

private:
    std::ostream& out_;
    std::ostream& err_;
};

} // namespace tlx::app
