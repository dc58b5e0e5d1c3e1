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

bool NeedsFix(const HostElement& element) {
    const std::string outer = element.outerHTML();
    if (!ContainsNoCase(outer, ".SWF") || !ContainsNoCase(outer, "MOVIE"))
        return false;
    return ContainsNoCase(outer, "&AMP;") || ContainsNoCase(outer, "PLAY") ||
           !ContainsNoCase(outer, "NAME=FLASHVAR");
}

FixResult FixFlashObjects(const HostEditor& editor) {
    FixResult result;
    const DocumentPtr document = editor.ActiveDocument();
    if (!document) {
        result.failed = true;
        return result;
    }
    // Every rewrite depends on its own object only, so all of them are worked out over the
    // page as it stands and then written in document order; an object inside another owned
    // object vanishes with the outer one's rewrite and is passed over.
    std::vector<std::pair<ElementPtr, std::string>> rewrites;
    for (const ElementPtr& element : document->all().tags("OBJECT")) {
        if (!IsFlashObjectElement(*element) || !IsOwnedObject(*element))
            continue;
        std::string markup = RewriteObjectMarkup(*element);
        if (markup != element->outerHTML())
            rewrites.emplace_back(element, std::move(markup));
    }
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
        FixFlashObjects(editor);
        return true;
    } catch (const std::exception&) {
        LogCurrentException("BeforeSaveCheck");
        // The progress form has closed with its owner; the save goes on whatever happened.
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
