#pragma once
// The scan that finds Flash objects whose markup the page editor has altered and rewrites the
// add-in's own objects into their canonical form: on request and before every save.

#include "hostapi/HostEditor.h"
#include "platform/Platform.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tlx {

// An OBJECT whose codeBase names Flash or whose content holds a movie parameter for a .swf.
bool IsFlashObjectElement(const HostElement& element);

// An object owned by the add-in: its ID holds "oKestrelite" (letter case exact).
bool IsOwnedObject(const HostElement& element);

// The markup the fix writes for `element`, or nullopt when the fix leaves it as it stands: an
// owned Flash OBJECT whose markup differs from its canonical rewrite. An object that holds
// another OBJECT, or whose end tag is not written (it would take the rest of its container
// with it), is left alone: its rewrite would drop content.
std::optional<std::string> FixedMarkup(const HostElement& element);

// A Flash OBJECT (its markup mentions .SWF and MOVIE) that looks altered by another editor:
// "&amp;" in its markup, a Play parameter or attribute, or no FlashVars parameter. An owned
// object counts only when the fix would rewrite it; another maker's object counts, so that
// the fix runs (and leaves it as it is).
bool NeedsFix(const HostElement& element);

struct FixResult {
    std::size_t rewritten = 0; // objects whose markup changed
    bool failed = false;       // no page, or the editor refused an edit: the run stopped there
};

// Rewrites every owned Flash object of the active page, in document order. An object already
// in its canonical form is left untouched, so fixing a fixed page changes nothing.
FixResult FixFlashObjects(const HostEditor& editor);

// The save-time check: in an editable view, when some Flash object needs fixing, shows the
// progress form and runs the fix. Never stops the save; true when the fix ran. A fix that
// fails is written to the log and named in the status bar; the page is saved as it stands.
bool BeforeSaveCheck(const HostEditor& editor, Platform& platform) noexcept;

// The status bar's note after a save whose repair of the Flash objects failed, naming why.
std::string SaveRepairFailedNote(std::string_view reason);
inline constexpr std::string_view kSaveRepairFailedText =
    "The Flash objects were not repaired before saving: ";

// The panel's "Scan And Fix Invisible Flash Objects": asks, fixes and reports.
void ScanAndFixOnRequest(const HostEditor& editor, Platform& platform);

// Texts of the scan, as the user sees them.
inline constexpr std::string_view kFixProgressLabel =
    "Running Cross Browser Check/Fix On Flash Objects.";
inline constexpr std::string_view kScanQuestion =
    "Performing this function will scan your\r"
    "current document for changes made to any Flash\r"
    "Objects by either Frontpage or the Flash 6 Player\r"
    "and correct them.\r"
    "\r"
    "This should also rectify cross browser issues\r"
    "in respect to resizing and/or using FrontPages ActiveX Control \r"
    "Properties instead of the Kestrelite Properties options.\r"
    "\r"
    "Do you wish to continue? (Recommend Yes)";
inline constexpr std::string_view kScanQuestionTitle = "VORNE Media Mirvane Kestrelite";
inline constexpr std::string_view kScanCompleteText = "Scan Complete";
inline constexpr std::string_view kScanCompleteTitle = "VORNE Media Mirvane";

} // namespace tlx
