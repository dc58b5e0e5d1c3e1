#include "panel/DetectionScript.h"

#include "markup/TextHelpers.h"
#include "platform/FileUtil.h"

namespace tlx {

std::string FillDetectionTemplate(std::string_view templateText, std::string_view noFlashPage) {
    const std::string withFlashPage = ReplaceText(templateText, "FlashPage.htm", "This Page");
    return ReplaceText(withFlashPage, "NonPage.htm", noFlashPage);
}

std::string ScriptSafePageAddress(std::string_view typed) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string safe;
    for (const char c : typed) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f)
            continue;
        if (c == '"' || c == '\\' || c == '<' || c == '>' || c == '\'') {
            safe += '%';
            safe += hex[byte >> 4];
            safe += hex[byte & 0xf];
        } else {
            safe += c;
        }
    }
    return safe;
}

std::string WithLineEnds(std::string_view text, std::string_view lineEnd) {
    std::string result;
    result.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            result += lineEnd;
        } else if (text[i] == '\n') {
            result += lineEnd;
        } else {
            result += text[i];
        }
    }
    return result;
}

namespace {

std::string FirstLineEnd(std::string_view text) {
    const std::size_t at = text.find_first_of("\r\n");
    if (at == std::string_view::npos)
        return {};
    if (text[at] == '\n')
        return "\n";
    return at + 1 < text.size() && text[at + 1] == '\n' ? "\r\n" : "\r";
}

// Whether `script` is followed by the body with nothing but text between them: an earlier
// run's script, still where that run put it.
bool StandsRightBeforeBody(const HostDocument& document, const HostElement& script) {
    const ElementCollection all = document.all();
    for (std::size_t i = 0; i + 1 < all.size(); ++i) {
        const ElementPtr& element = all.elements()[i];
        if (element->tagName() == "SCRIPT" && element->id() == script.id() &&
            element->outerHTML() == script.outerHTML())
            return all.elements()[i + 1]->tagName() == "BODY";
    }
    return false;
}

} // namespace

std::string PageLineEnd(const HostDocument& document) {
    // The outermost elements hold nearly all of the source; the first few are enough.
    const ElementCollection all = document.all();
    for (std::size_t i = 0; i < all.size() && i < 3; ++i)
        if (std::string lineEnd = FirstLineEnd(all.elements()[i]->outerHTML()); !lineEnd.empty())
            return lineEnd;
    if (const ElementPtr body = document.body())
        return FirstLineEnd(body->outerHTML());
    return {};
}

DetectionOutcome InsertDetectionScript(const HostEditor& editor, Platform& platform,
                                       const std::string& installFolder) {
    // 1. and 2.
    if (platform.messageBox(std::string(kDetectionQuestion), MsgButtons::YesNo,
                            MsgIcon::Information,
                            std::string(kDetectionQuestionTitle)) != MsgResult::Yes)
        return DetectionOutcome::Declined;
    if (!editor.IsEditableView())
        return DetectionOutcome::NotEditable;

    // 3. and 4.
    // A template that holds nothing to insert (an empty file, or one that cannot be read) is
    // a broken install too: inserting it would only remove the page's earlier script.
    const std::string templatePath =
        ResolveNoCase(installFolder, std::string(kDetectionTemplateFile)).string();
    const std::string templateText =
        FileExists(templatePath).isExisting() ? ReadWholeFile(templatePath) : std::string();
    if (templateText.find_first_not_of(" \t\r\n") == std::string::npos) {
        platform.messageBox(std::string(kDetectionMissingTemplate), MsgButtons::OkOnly,
                            MsgIcon::Critical, std::string(kDetectionTitle));
        return DetectionOutcome::MissingTemplate;
    }

    // 5. and 6. The page of an earlier run's script is the default.
    const DocumentPtr document = editor.ActiveDocument();
    const ElementPtr old =
        document ? document->scripts().item(std::string_view(kDetectionScriptId)) : nullptr;
    // An earlier run's NOSCRIPT goes with its script (held now: the new one takes its ID).
    ElementPtr oldNoScript =
        document ? document->all().item(std::string_view(kDetectionNoScriptId)) : nullptr;
    if (oldNoScript && oldNoScript->tagName() != "NOSCRIPT")
        oldNoScript = nullptr;
    const auto removeOldNoScript = [&] {
        if (oldNoScript)
            oldNoScript->setOuterHTML("");
    };
    std::string noFlash = old ? TextBetween(old->outerHTML(), "noFlashPage = \"", "\"") : "";
    if (noFlash.empty())
        noFlash = std::string(kDefaultNoFlashPage);

    // 7.
    const std::optional<std::string> answer =
        platform.inputBox(std::string(kDetectionPrompt), std::string(kDetectionTitle), noFlash);
    if (answer && !answer->empty()) {
        const std::string typed = ScriptSafePageAddress(*answer);
        if (!typed.empty())
            noFlash = typed;
    }

    // 8. and 9. The script takes the page's own line ends. The earlier script goes only once
    // the new one is in, so that a page that refuses the insertion keeps its working script.
    std::string script = FillDetectionTemplate(templateText, noFlash);
    const std::string lineEnd = document ? PageLineEnd(*document) : std::string();
    if (!lineEnd.empty())
        script = WithLineEnds(script, lineEnd);
    const ElementPtr body = document ? document->body() : nullptr;
    // An earlier run's script still right before the body is replaced where it stands, by the
    // script without the line end the earlier run put after it (which is still there): a rerun
    // leaves the page as the first run did.
    if (old && body && StandsRightBeforeBody(*document, *old)) {
        std::string inPlace = script;
        if (!lineEnd.empty() && inPlace.size() > lineEnd.size() &&
            inPlace.compare(inPlace.size() - lineEnd.size(), lineEnd.size(), lineEnd) == 0)
            inPlace.resize(inPlace.size() - lineEnd.size());
        if (old->setOuterHTML(inPlace)) {
            removeOldNoScript();
            platform.messageBox(std::string(kDetectionDone), MsgButtons::OkOnly,
                                MsgIcon::Information, std::string(kDetectionTitle));
            return DetectionOutcome::Inserted;
        }
    }
    if (!body || !body->insertAdjacentHTML(AdjacentPosition::BeforeBegin, script)) {
        platform.messageBox(std::string(kDetectionFailed), MsgButtons::OkOnly, MsgIcon::Exclamation,
                            std::string(kDetectionTitle));
        return DetectionOutcome::Failed;
    }
    if (old)
        old->setOuterHTML("");
    removeOldNoScript();

    // 10.
    platform.messageBox(std::string(kDetectionDone), MsgButtons::OkOnly, MsgIcon::Information,
                        std::string(kDetectionTitle));
    return DetectionOutcome::Inserted;
}

} // namespace tlx
