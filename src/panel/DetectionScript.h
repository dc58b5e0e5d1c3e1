#pragma once
// The panel's "Insert Flash 5+ Detection Code Into Page.": puts the install folder's detection
// script template into the page, just before its body, with the page for visitors without the
// Flash player filled in. A script an earlier run inserted is replaced and its page offered as
// the default.

#include "hostapi/HostEditor.h"
#include "platform/Platform.h"

#include <string>
#include <string_view>

namespace tlx {

inline constexpr std::string_view kDetectionTemplateFile = "flashdetect.txt";
inline constexpr std::string_view kDetectionScriptId = "FLASHCheck1";
// The template's NOSCRIPT element after the script (it sends browsers without JavaScript to the
// no-Flash page); a rerun replaces it with the script.
inline constexpr std::string_view kDetectionNoScriptId = "FLASHCheck1NoScript";
inline constexpr std::string_view kDetectionQuestion =
    "Performing this function will add Flash Plugin/Control\r"
    "detection to your current webpage via Javascript 1.1.\r"
    "\r"
    "This allows you to specify a redirection page for\r"
    "users who do not have the Flash Plugin enabled.\r"
    "\r"
    "Do you wish to continue?";
inline constexpr std::string_view kDetectionQuestionTitle = "VORNE Media Mirvane Kestrelite";
inline constexpr std::string_view kDetectionMissingTemplate =
    "Application Missing Flash Detection Script, Please Reinstall Version 1.3+ of Kestrelite";
inline constexpr std::string_view kDetectionPrompt = "Page To Goto If NOT a Flash Enabled Browser?";
inline constexpr std::string_view kDetectionDone =
    "Redirection Code Now Enabled For Non Flash Enabled Browsers.";
inline constexpr std::string_view kDetectionFailed =
    "The detection code could not be inserted into this page; the page is unchanged.";
inline constexpr std::string_view kDetectionTitle = "Mirvane";
inline constexpr std::string_view kDefaultNoFlashPage = "NonFlashPage.htm";

enum class DetectionOutcome { Declined, NotEditable, MissingTemplate, Inserted, Failed };

// The template with its placeholders filled in: "FlashPage.htm" becomes "This Page", then
// "NonPage.htm" becomes `noFlashPage` (letter case ignored in both).
std::string FillDetectionTemplate(std::string_view templateText, std::string_view noFlashPage);

// A typed page address as it may stand inside the script's double-quoted text: characters
// that would end the text or the script (quotes, backslash, angle brackets) are
// percent-encoded, control characters dropped. An ordinary address is unchanged.
std::string ScriptSafePageAddress(std::string_view typed);

// `text` with every line end (CR LF, a lone CR or a lone LF) written as `lineEnd`.
std::string WithLineEnds(std::string_view text, std::string_view lineEnd);

// The line end the page's source uses (the first one in it); empty when none is found.
std::string PageLineEnd(const HostDocument& document);

DetectionOutcome InsertDetectionScript(const HostEditor& editor, Platform& platform,
                                       const std::string& installFolder);

} // namespace tlx
