#pragma once
// A platform double for tests: it records every call in order and answers from queues that
// the test fills beforehand. With an empty queue it gives the answer of a user who dismisses
// the window, as an unattended platform does: the first button of a message box, cancel for
// dialogs, 0 for a popup menu. It overrides every service, as it records every call.

#include "platform/UnattendedPlatform.h"

#include <deque>
#include <map>

namespace tlx {

struct PlatformCall {
    std::string service;           // "messageBox", "inputBox", "shellOpen", ...
    std::vector<std::string> args; // the call's arguments as texts, in parameter order
};

class ScriptedPlatform : public UnattendedPlatform {
public:
    // Answers, taken front first.
    std::deque<MsgResult> messageBoxAnswers;
    std::deque<std::optional<std::string>> inputBoxAnswers;
    std::deque<std::optional<std::string>> openFileAnswers;
    // When not empty, openFileDialog fails with this text (a desktop without a file chooser).
    std::string openFileFailure;
    std::deque<std::optional<std::string>> saveFileAnswers;
    std::deque<std::optional<int>> colourAnswers;
    std::deque<int> popupMenuAnswers;
    // What shellOpen answers (33, opened, once they are used up).
    std::deque<int> shellOpenAnswers;
    std::deque<HttpReply> httpReplies;
    // Actions run on the form while it is shown modally (one per showModal call); with none
    // left the form is closed at once.
    std::deque<std::function<void(ModalForm&)>> modalActions;
    // Run by each doEvents() and each turn of waitUntil(), front first, one per turn: stands
    // for the work the host finishes while the add-in yields.
    std::deque<std::function<void()>> pendingEvents;

    std::vector<PlatformCall> calls;
    std::vector<std::vector<MenuEntry>> menusShown;
    std::string clipboard; // its text ("text/plain")
    // The clipboard's other formats (an image, html, ...); setting the text drops them.
    std::vector<std::pair<std::string, std::string>> clipboardFormats;
    // When not empty, setClipboardContent fails with this text (a clipboard another program
    // holds).
    std::string clipboardContentFailure;
    std::uint32_t tick = 1000; // advanced by tickStep on every tickCount() call
    std::uint32_t tickStep = 10;
    std::vector<std::string> progressLabels; // every label set on a progress form
    int progressFormsOpen = 0;               // forms shown and not yet closed
    int progressFormsShown = 0;
    // When not empty, showProgressForm fails with this text (a form the desktop cannot show).
    std::string progressFormFailure;

    // Calls of one service, in order.
    std::vector<PlatformCall> callsOf(const std::string& service) const;

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
    // Opens real archives (zip files are data, not a desktop service worth scripting).
    std::unique_ptr<ZipArchive> openZip(const std::string& path) override;

private:
    void record(std::string service, std::vector<std::string> args);
};

} // namespace tlx
