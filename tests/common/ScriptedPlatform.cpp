#include "common/ScriptedPlatform.h"

#include "platform/Zip.h"

#include <stdexcept>

namespace tlx {

namespace {

template <typename T> T takeFront(std::deque<T>& queue, T fallback) {
    if (queue.empty())
        return fallback;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}

class RecordingProgressForm : public ProgressForm {
public:
    explicit RecordingProgressForm(ScriptedPlatform& owner) : owner_(owner) {
        ++owner_.progressFormsOpen;
        ++owner_.progressFormsShown;
    }
    ~RecordingProgressForm() override { --owner_.progressFormsOpen; }
    void setLabel(const std::string& text) override { owner_.progressLabels.push_back(text); }

private:
    ScriptedPlatform& owner_;
};

} // namespace

void ScriptedPlatform::record(std::string service, std::vector<std::string> args) {
    calls.push_back(PlatformCall{std::move(service), std::move(args)});
}

std::vector<PlatformCall> ScriptedPlatform::callsOf(const std::string& service) const {
    std::vector<PlatformCall> result;
    for (const auto& call : calls)
        if (call.service == service)
            result.push_back(call);
    return result;
}

MsgResult ScriptedPlatform::messageBox(const std::string& prompt, MsgButtons buttons, MsgIcon icon,
                                       const std::string& title) {
    record("messageBox", {prompt, std::to_string(static_cast<int>(buttons)),
                          std::to_string(static_cast<int>(icon)), title});
    return takeFront(messageBoxAnswers,
                     UnattendedPlatform::messageBox(prompt, buttons, icon, title));
}

std::optional<std::string> ScriptedPlatform::inputBox(const std::string& prompt,
                                                      const std::string& title,
                                                      const std::string& defaultText) {
    record("inputBox", {prompt, title, defaultText});
    return takeFront(inputBoxAnswers, UnattendedPlatform::inputBox(prompt, title, defaultText));
}

std::optional<std::string> ScriptedPlatform::openFileDialog(const FileDialogOptions& options) {
    record("openFileDialog",
           {options.title, options.filter, options.initialFolder, options.fileName});
    if (!openFileFailure.empty())
        throw std::runtime_error(openFileFailure);
    return takeFront(openFileAnswers, UnattendedPlatform::openFileDialog(options));
}

std::optional<std::string> ScriptedPlatform::saveFileDialog(const FileDialogOptions& options) {
    record("saveFileDialog",
           {options.title, options.filter, options.initialFolder, options.fileName});
    return takeFront(saveFileAnswers, UnattendedPlatform::saveFileDialog(options));
}

std::optional<int> ScriptedPlatform::colourDialog(int initialColour) {
    record("colourDialog", {std::to_string(initialColour)});
    return takeFront(colourAnswers, UnattendedPlatform::colourDialog(initialColour));
}

int ScriptedPlatform::popupMenu(const std::vector<MenuEntry>& entries) {
    record("popupMenu", {std::to_string(entries.size())});
    menusShown.push_back(entries);
    return takeFront(popupMenuAnswers, UnattendedPlatform::popupMenu(entries));
}

int ScriptedPlatform::shellOpen(const std::string& target) {
    record("shellOpen", {target});
    // 33: what the classic shell call answers on success (any value above 32)
    return takeFront(shellOpenAnswers, 33);
}

void ScriptedPlatform::setClipboardText(const std::string& text) {
    record("setClipboardText", {text});
    clipboard = text;
    clipboardFormats.clear();
}

ClipboardContent ScriptedPlatform::clipboardContent() {
    record("clipboardContent", {});
    ClipboardContent content;
    if (!clipboard.empty())
        content.formats.emplace_back("text/plain", clipboard);
    content.formats.insert(content.formats.end(), clipboardFormats.begin(), clipboardFormats.end());
    return content;
}

void ScriptedPlatform::setClipboardContent(const ClipboardContent& content) {
    std::vector<std::string> names;
    for (const auto& [format, bytes] : content.formats)
        names.push_back(format);
    record("setClipboardContent", std::move(names));
    if (!clipboardContentFailure.empty())
        throw std::runtime_error(clipboardContentFailure);
    clipboard.clear();
    clipboardFormats.clear();
    for (const auto& [format, bytes] : content.formats) {
        if (format == "text/plain")
            clipboard = bytes;
        else
            clipboardFormats.emplace_back(format, bytes);
    }
}

std::string ScriptedPlatform::clipboardText() {
    record("clipboardText", {});
    return clipboard;
}

void ScriptedPlatform::doEvents() {
    record("doEvents", {});
    if (!pendingEvents.empty()) {
        auto event = std::move(pendingEvents.front());
        pendingEvents.pop_front();
        event();
    }
}

bool ScriptedPlatform::waitUntil(const std::function<bool()>& done, int timeoutMs) {
    record("waitUntil", {std::to_string(timeoutMs)});
    // Each turn runs one pending event, as one pass of a real event loop would; once nothing
    // is pending the condition can no longer change and the wait times out.
    while (!done()) {
        if (pendingEvents.empty())
            return false;
        auto event = std::move(pendingEvents.front());
        pendingEvents.pop_front();
        event();
    }
    return true;
}

void ScriptedPlatform::showModal(ModalForm& form) {
    record("showModal", {form.formName()});
    if (!modalActions.empty()) {
        auto action = std::move(modalActions.front());
        modalActions.pop_front();
        action(form);
    }
}

std::unique_ptr<ProgressForm> ScriptedPlatform::showProgressForm() {
    record("showProgressForm", {});
    if (!progressFormFailure.empty())
        throw std::runtime_error(progressFormFailure);
    return std::make_unique<RecordingProgressForm>(*this);
}

std::uint32_t ScriptedPlatform::tickCount() {
    tick += tickStep;
    return tick;
}

HttpReply ScriptedPlatform::httpGet(const std::string& url, int timeoutMs) {
    record("httpGet", {url, std::to_string(timeoutMs)});
    HttpReply none;
    none.error = "no scripted reply";
    return takeFront(httpReplies, none);
}

std::unique_ptr<ZipArchive> ScriptedPlatform::openZip(const std::string& path) {
    record("openZip", {path});
    return UnattendedPlatform::openZip(path);
}

} // namespace tlx
