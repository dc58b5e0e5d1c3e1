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

    // 8. and 9. The earlier script goes only once the new one is in, so that a page that
    // refuses the insertion keeps its working script.
    const std::string script = FillDetectionTemplate(templateText, noFlash);
    const ElementPtr body = document ? document->body() : nullptr;
    if (!body || !body->insertAdjacentHTML(AdjacentPosition::BeforeBegin, script)) {
        platform.messageBox(std::string(kDetectionFailed), MsgButtons::OkOnly, MsgIcon::Exclamation,
                            std::string(kDetectionTitle));
        return DetectionOutcome::Failed;
    }
    if (old)
        old->setOuterHTML("");

    // 10.
    platform.messageBox(std::string(kDetectionDone), MsgButtons::OkOnly, MsgIcon::Information,
                        std::string(kDetectionTitle));
    return DetectionOutcome::Inserted;
}

} // namespace tlx
