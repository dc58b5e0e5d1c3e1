#include "cli/ConsolePlatform.h"

#include <chrono>
#include <thread>

namespace tlx::app {

namespace {

// A message's lines are separated by carriage returns; a terminal wants line feeds.
std::string terminalText(std::string text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            result += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

class ConsoleProgress : public ProgressForm {
public:
    explicit ConsoleProgress(std::ostream& out) : out_(out) {}
    void setLabel(const std::string& text) override { out_ << terminalText(text) << '\n'; }

private:
    std::ostream& out_;
};

} // namespace

MsgResult ConsolePlatform::messageBox(const std::string& prompt, MsgButtons buttons, MsgIcon icon,
                                      const std::string& title) {
    const bool problem = icon == MsgIcon::Critical || icon == MsgIcon::Exclamation;
    std::ostream& stream = problem ? err_ : out_;
    stream << (title.empty() ? std::string() : title + ": ") << terminalText(prompt) << '\n';
    stream.flush();
    return UnattendedPlatform::messageBox(prompt, buttons, icon, title);
}

int ConsolePlatform::shellOpen(const std::string& target) {
    // Nothing is started from a terminal command; the user is told what would have opened.
    out_ << "Open: " << target << '\n';
    return 0;
}

bool ConsolePlatform::waitUntil(const std::function<bool()>& done, int timeoutMs) {
    // No event loop runs here: the condition can only change with time.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::unique_ptr<ProgressForm> ConsolePlatform::showProgressForm() {
    return std::make_unique<ConsoleProgress>(out_);
}

std::uint32_t ConsolePlatform::tickCount() {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(elapsed.count());
}

HttpReply ConsolePlatform::httpGet(const std::string&, int) {
    HttpReply reply;
    reply.error = "No network access from this command.";
    return reply;
}

} // namespace tlx::app
