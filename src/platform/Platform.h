#pragma once
// The services the add-in takes from the operating system. Everything the add-in needs from
// the desktop goes through this one interface, so that the logic can run with a scripted
// double in tests and with the Qt implementation in the program.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tlx {

// Button sets, icons and results keep the numeric codes of the classic message box API, so
// that a combined style value (buttons + icon) reads as it always has.
enum class MsgButtons {
    OkOnly = 0,
    OkCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5
};
enum class MsgIcon { None = 0, Critical = 16, Question = 32, Exclamation = 48, Information = 64 };
enum class MsgResult { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// The answer of the first button of a set: what a box answers when the user just presses Enter.
constexpr MsgResult FirstButtonOf(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::OkOnly:
    case MsgButtons::OkCancel:
        return MsgResult::Ok;
    case MsgButtons::AbortRetryIgnore:
        return MsgResult::Abort;
    case MsgButtons::YesNoCancel:
    case MsgButtons::YesNo:
        return MsgResult::Yes;
    case MsgButtons::RetryCancel:
        return MsgResult::Retry;
    }
    return MsgResult::Ok;
}

struct FileDialogOptions {
    std::string title;
    // Filter in the classic form "Flash Movies (*.swf)|*.swf|All Files (*.*)|*.*".
    std::string filter;
    std::string initialFolder;
    std::string fileName;
    std::string defaultExtension;
};

// One entry of a popup menu: a command, a separator, or a submenu with entries of its own.
struct MenuEntry {
    std::string caption;
    int command = 0;
    bool separator = false;
    bool enabled = true;
    std::vector<MenuEntry> submenu;

    static MenuEntry item(std::string caption, int command) {
        MenuEntry e;
        e.caption = std::move(caption);
        e.command = command;
        return e;
    }
    static MenuEntry line() {
        MenuEntry e;
        e.separator = true;
        return e;
    }
    static MenuEntry sub(std::string caption, std::vector<MenuEntry> entries) {
        MenuEntry e;
        e.caption = std::move(caption);
        e.submenu = std::move(entries);
        return e;
    }
};

// Everything the clipboard holds, format by format (a MIME type and its bytes), so that it can
// be put back as it was after the clipboard has been borrowed.
struct ClipboardContent {
    std::vector<std::pair<std::string, std::string>> formats;
    bool operator==(const ClipboardContent&) const = default;
};

struct HttpReply {
    bool ok = false;   // a reply arrived (any status)
    int status = 0;    // HTTP status code, 0 without a reply
    std::string body;  // the reply's bytes
    std::string error; // why there is no reply
};

// What streaming one archive entry into a file came to.
struct ZipExtraction {
    enum class Status {
        Done,        // the whole entry is in the file
        Unreadable,  // missing, corrupt or truncated entry
        OverLimit,   // the entry unpacks to more than the limit allowed
        WriteFailed, // the file could not be made or written (see `error`)
        Stopped,     // the caller's progress function asked to stop
    };
    Status status = Status::Unreadable;
    std::uint64_t bytes = 0; // bytes unpacked (written) before it ended
    std::string error;       // why it failed, for WriteFailed and Unreadable
};

// A zip archive opened for reading.
class ZipArchive {
public:
    virtual ~ZipArchive() = default;
    // Entry names in archive order, as stored (folders end with "/").
    virtual std::vector<std::string> entries() const = 0;
    // The bytes of one small entry, or nothing when it cannot be read (missing, corrupt) or
    // unpacks to more than a few megabytes: larger entries are streamed with extractToFile.
    virtual std::optional<std::string> read(const std::string& entryName) const = 0;
    // The unpacked size the archive states for an entry. Only a hint: an archive can state
    // anything, so a reader must count what it actually unpacks.
    virtual std::optional<std::uint64_t> declaredSize(const std::string& entryName) const = 0;
    // Streams one entry into a new file at `path`, in pieces, never holding more than a
    // piece in memory. The file is created exclusively: when anything stands at `path` (a
    // link included) it fails with WriteFailed and touches nothing. At most `maxBytes` are
    // written, whatever size the archive states; an entry that unpacks to more ends with
    // OverLimit. `onPiece`, when given, is called with the bytes written so far after each
    // piece; returning false stops with Stopped. On every status but Done the file is removed.
    // The file is not flushed to the disk: a caller that moves it into place flushes first.
    virtual ZipExtraction
    extractToFile(const std::string& entryName, const std::string& path, std::uint64_t maxBytes,
                  const std::function<bool(std::uint64_t)>& onPiece = {}) const = 0;
};

// A form the add-in shows modally. The platform decides how it is run; the double lets a test
// act on the form while it is "shown".
class ModalForm {
public:
    virtual ~ModalForm() = default;
    virtual std::string formName() const = 0;
    // Runs the form's own modal loop; returns when the form is closed.
    virtual void execModal() = 0;
};

// A small window shown without waiting while long work runs; closed when destroyed.
class ProgressForm {
public:
    virtual ~ProgressForm() = default;
    virtual void setLabel(const std::string& text) = 0;
};

class Platform {
public:
    virtual ~Platform() = default;

    virtual MsgResult messageBox(const std::string& prompt, MsgButtons buttons, MsgIcon icon,
                                 const std::string& title) = 0;
    // nullopt when the user cancels.
    virtual std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                                const std::string& defaultText) = 0;
    virtual std::optional<std::string> openFileDialog(const FileDialogOptions& options) = 0;
    virtual std::optional<std::string> saveFileDialog(const FileDialogOptions& options) = 0;
    // Colours are integers with red in the lowest byte.
    virtual std::optional<int> colourDialog(int initialColour) = 0;
    // The chosen command number, or 0 when the menu was dismissed.
    virtual int popupMenu(const std::vector<MenuEntry>& entries) = 0;
    // Opens a document or web address with the desktop's default program.
    virtual int shellOpen(const std::string& target) = 0;
    virtual void setClipboardText(const std::string& text) = 0;
    virtual std::string clipboardText() = 0;
    // All formats the clipboard holds; putting them back replaces whatever it holds then (an
    // empty content clears it).
    virtual ClipboardContent clipboardContent() = 0;
    virtual void setClipboardContent(const ClipboardContent& content) = 0;
    // Lets pending events of the user interface run, then returns.
    virtual void doEvents() = 0;
    // Lets events run until `done` is true or `timeoutMs` has passed; true when `done` held.
    virtual bool waitUntil(const std::function<bool()>& done, int timeoutMs) = 0;
    virtual void showModal(ModalForm& form) = 0;
    virtual std::unique_ptr<ProgressForm> showProgressForm() = 0;
    // Milliseconds since an arbitrary start, wrapping like the system tick count.
    virtual std::uint32_t tickCount() = 0;
    virtual HttpReply httpGet(const std::string& url, int timeoutMs) = 0;
    // nullptr when the file is not a readable zip archive.
    virtual std::unique_ptr<ZipArchive> openZip(const std::string& path) = 0;
};

} // namespace tlx
