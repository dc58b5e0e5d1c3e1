#pragma once
// Small text and file routines shared by the whole add-in, and the two that reach the host
// and the desktop: the web folder of the page being edited and opening a document or address.

#include "addinbase/AddinContext.h"
#include "hostapi/HostEditor.h"
#include "platform/Platform.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>

namespace tlx {

// ---- text ---------------------------------------------------------------------------------

// ASCII letter case folding, as the markup and the data files are compared.
char ToUpperAscii(char c);
std::string UpperCase(std::string_view text);

// Position of the first occurrence of `needle` in `haystack` at or after `from`, letter case
// ignored; npos when there is none. An empty needle is found at `from`.
std::size_t FindNoCase(std::string_view haystack, std::string_view needle, std::size_t from = 0);
bool ContainsNoCase(std::string_view haystack, std::string_view needle);

// `source` with every occurrence of `find` (letter case ignored) replaced by `replacement`,
// left to right; occurrences never overlap and text that came from `replacement` is never
// searched again. An empty `find` leaves `source` as it is.
std::string ReplaceText(std::string_view source, std::string_view find,
                        std::string_view replacement);

// The text between the first `startMarker` and the first `endMarker` after it (both letter
// case ignored), or the empty text when either is missing.
std::string TextBetween(std::string_view source, std::string_view startMarker,
                        std::string_view endMarker);

// False for the empty text; otherwise true when every character is 0-9, A-Z or a-z.
bool IsAlphanumeric(std::string_view text);

// ---- files --------------------------------------------------------------------------------

// The answer of FileExists. A file that is not there is a plain "missing"; anything that stops
// the question from being answered (a missing folder, no permission, a folder where a file was
// expected, an empty name) is a failure with its reason, never mistaken for "missing".
class FileCheck {
public:
    enum class State { Exists, Missing, Failed };

    static FileCheck exists() { return FileCheck(State::Exists, {}); }
    static FileCheck missing() { return FileCheck(State::Missing, {}); }
    static FileCheck failed(std::error_code error) { return FileCheck(State::Failed, error); }

    State state() const { return state_; }
    bool isExisting() const { return state_ == State::Exists; }
    bool isMissing() const { return state_ == State::Missing; }
    bool isFailed() const { return state_ == State::Failed; }
    // Why the question failed; empty unless isFailed().
    std::error_code error() const { return error_; }

private:
    FileCheck(State state, std::error_code error) : state_(state), error_(error) {}
    State state_;
    std::error_code error_;
};

// Tries to open `path` for reading and closes it again.
FileCheck FileExists(const std::string& path);

// The file's bytes, unchanged (line breaks kept), or the empty text when the file does not
// exist, cannot be read or is not a plain file (a pipe, a device).
std::string ReadWholeFile(const std::string& path);

// How often `markup` names `fileName` as an intro movie's text file ("TF=" and the name).
std::size_t TextFileUses(std::string_view markup, std::string_view fileName);

// Whether a page (*.htm, *.html) in `webFolder` or below, other than the file `exceptPage`,
// names the intro text file `fileName`. True when the folder cannot be read through (the file
// is better kept than lost).
bool TextFileNamedByOtherPages(const std::string& webFolder, const std::string& exceptPage,
                               std::string_view fileName);

// Deletes the intro text files that updates replaced in `page` (context.TextFilesToDelete), as
// the page is saved: a file the page names again (the update was undone) stays, and so does one
// that another page of the web names. Entries of other pages wait for their page.
void DeleteReplacedTextFiles(AddinContext& context, const PageWindowPtr& page);

// ---- host and desktop ---------------------------------------------------------------------

// The web folder that holds the active page, or the web's root folder for a page never saved
// (or one in the root). Host failures are ignored: a step that fails leaves the folder reached
// so far, which may be nullptr when there is no web.
FolderPtr GetPageFolder(const HostEditor& editor);

// What the shell answers when nothing on the desktop can open a target (no web browser).
inline constexpr int kShellNoAssociation = 31;

// Opens a file or web address with the desktop's default program: above 32 when opened, else
// the classic error code (2 no such file, 31 nothing to open it with).
int ShellOpen(Platform& platform, const std::string& target);

// The host's status bar note when nothing could open an address.
inline constexpr std::string_view kNoBrowserNote = "No web browser could be opened";
// Says kNoBrowserNote in the host's status bar when `shellResult` is kShellNoAssociation.
void SayWhenNotOpened(const HostEditor& editor, int shellResult);
// ShellOpen, then SayWhenNotOpened.
int ShellOpen(const HostEditor& editor, Platform& platform, const std::string& target);

} // namespace tlx
