#include "markup/FlashFix.h"

#include "markup/FlashObject.h"
#include "markup/TextHelpers.h"
#include "platform/Log.h"

#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace tlx {

bool IsFlashObjectElement(const HostElement& element) {
    if (UpperCase(element.tagName()) != "OBJECT")
        return false;
    if (ContainsNoCase(element.codeBase(), "FLASH"))
        return true;
    const std::string inner = element.innerHTML();
    return ContainsNoCase(inner, ".SWF") && ContainsNoCase(inner, "MOVIE");
}

bool IsOwnedObject(const HostElement& element) {
    return element.id().find(kOwnedIdPrefix) != std::string::npos;
}

namespace {

// Whether the markup ends with a written OBJECT end tag.
bool EndTagWritten(std::string_view outer) {
    const std::size_t at = outer.rfind("</");
    if (at == std::string_view::npos || UpperCase(outer.substr(at + 2, 6)) != "OBJECT")
        return false;
    std::size_t i = at + 8;
    while (i < outer.size() && (outer[i] == ' ' || outer[i] == '\t' || outer[i] == '\n' ||
                                outer[i] == '\r' || outer[i] == '\f'))
        ++i;
    return i + 1 == outer.size() && outer[i] == '>';
}

// The editor's own sign: a Play parameter, or a play attribute on the object or its EMBED.
bool HasPlaySetting(const HostElement& element) {
    if (element.hasAttribute("play"))
        return true;
    for (const ElementPtr& descendant : element.all()) {
        const std::string tag = UpperCase(descendant->tagName());
        if (tag == "PARAM" && UpperCase(descendant->name()) == "PLAY")
            return true;
        if (tag == "EMBED" && descendant->hasAttribute("play"))
            return true;
    }
    return false;
}

} // namespace

std::optional<std::string> FixedMarkup(const HostElement& element) {
    if (!IsFlashObjectElement(element) || !IsOwnedObject(element))
        return std::nullopt;
    const std::string outer = element.outerHTML();
    if (!EndTagWritten(outer) || !element.all().tags("OBJECT").empty())
        return std::nullopt;
    std::string markup = RewriteObjectMarkup(element);
    if (markup == outer)
        return std::nullopt;
    return markup;
}

bool NeedsFix(const HostElement& element) {
    const std::string outer = element.outerHTML();
    if (!ContainsNoCase(outer, ".SWF") || !ContainsNoCase(outer, "MOVIE"))
        return false;
    const bool altered = ContainsNoCase(outer, "&AMP;") ||
                         !ContainsNoCase(outer, "NAME=FLASHVAR") || HasPlaySetting(element);
    if (!altered)
        return false;
    return IsOwnedObject(element) ? FixedMarkup(element).has_value() : true;
}

FixResult FixFlashObjects(const HostEditor& editor) {
    FixResult result;
    const DocumentPtr document = editor.ActiveDocument();
    if (!document) {
        result.failed = true;
        return result;
    }
    // Every rewrite depends on its own object only, so all of them are worked out over the
    // page as it stands and written in one edit.
    std::vector<std::pair<ElementPtr, std::string>> rewrites;
    for (const ElementPtr& element : document->all().tags("OBJECT"))
        if (std::optional<std::string> markup = FixedMarkup(*element))
            rewrites.emplace_back(element, std::move(*markup));
    if (rewrites.empty())
        return result;
    if (document->replaceOuterHTML(rewrites)) {
        result.rewritten = rewrites.size();
        return result;
    }
    // Objects the parser has put across each other: one after another, in document order.
    for (const auto& [element, markup] : rewrites) {
        if (!element->isAttached())
            continue;
        if (!element->setOuterHTML(markup)) {
            result.failed = true;
            break;
        }
        ++result.rewritten;
    }
    return result;
}

namespace {

// Names a failed save-time repair in the status bar; a note that cannot be shown is logged.
void TellSaveRepairFailed(const HostEditor& editor, std::string_view reason) noexcept {
    try {
        editor.SetStatusText(SaveRepairFailedNote(reason));
    } catch (const std::exception&) {
        LogCurrentException("BeforeSaveCheck: status bar");
    }
}

} // namespace

std::string SaveRepairFailedNote(std::string_view reason) {
    std::string note(kSaveRepairFailedText);
    note += reason.empty() ? std::string_view("unknown failure") : reason;
    note += ". The page was saved as typed.";
    return note;
}

bool BeforeSaveCheck(const HostEditor& editor, Platform& platform) noexcept {
    try {
        if (!editor.IsEditableView())
            return false;
        const DocumentPtr document = editor.ActiveDocument();
        if (!document)
            return false;
        bool altered = false;
        for (const ElementPtr& element : document->all().tags("OBJECT")) {
            if (NeedsFix(*element)) {
                altered = true;
                break;
            }
        }
        if (!altered)
            return false;
        const std::unique_ptr<ProgressForm> progress = platform.showProgressForm();
        if (progress)
            progress->setLabel(std::string(kFixProgressLabel));
        if (FixFlashObjects(editor).failed) {
            constexpr std::string_view reason = "the editor refused an edit of a Flash object";
            LogError("BeforeSaveCheck", reason);
            TellSaveRepairFailed(editor, reason);
        }
        return true;
    } catch (...) {
        // The progress form has closed with its owner; the save goes on with the page as it
        // stands, and the user is told why it was not repaired.
        TellSaveRepairFailed(editor, LogCurrentException("BeforeSaveCheck"));
        return false;
    }
}

void ScanAndFixOnRequest(const HostEditor& editor, Platform& platform) {
    const MsgResult answer =
        platform.messageBox(std::string(kScanQuestion), MsgButtons::YesNo, MsgIcon::Information,
                            std::string(kScanQuestionTitle));
    if (answer != MsgResult::Yes)
        return;
    if (FixFlashObjects(editor).failed)
        return;
    platform.messageBox(std::string(kScanCompleteText), MsgButtons::OkOnly, MsgIcon::Information,
                        std::string(kScanCompleteTitle));
}

} // namespace tlx
