#pragma once
// The platform of the headless commands: a terminal and no desktop. Message boxes are printed
// with their title (errors and warnings to the error stream) and answered with their default
// button; dialogs and menus are cancelled (as on any unattended platform); nothing is opened
// (what would have been is printed), nothing is fetched from the network, and there is no
// clipboard.

#include "platform/UnattendedPlatform.h"

#include <ostream>

namespace tlx::app {

class ConsolePlatform : public UnattendedPlatform {
public:
    ConsolePlatform(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    MsgResult messageBox(const std::string& prompt, MsgButtons buttons, MsgIcon icon,
                         const std::string& title) override;
    int shellOpen(const std::string& target) override;
    bool waitUntil(const std::function<bool()>& done, int timeoutMs) override;
    std::unique_ptr<ProgressForm> showProgressForm() override;
    std::uint32_t tickCount() override;
    HttpReply httpGet(const std::string& url, int timeoutMs) override;

private:
    std::ostream& out_;
    std::ostream& err_;
};

} // namespace tlx::app
