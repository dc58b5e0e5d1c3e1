#include "markup/LinkPicker.h"

#include "platform/Log.h"

#include <optional>
#include <utility>

namespace tlx {

std::string LinkAddressOf(std::string_view htmlText) {
    const std::size_t href = htmlText.find("href=");
    if (href == std::string_view::npos || htmlText.empty())
        return {};
    std::string address;
    for (std::size_t at = href + 6; at + 1 < htmlText.size() && htmlText[at] != '"'; ++at)
        address += htmlText[at];
    return address;
}

namespace {

ElementPtr FindPlaceholder(const DocumentPtr& document, std::string_view tag, std::string_view id) {
    return document ? document->all().tags(tag).item(id) : nullptr;
}

// Removes what is left of the placeholder (the DIV and anything the editor made around or in
// it), so that the page keeps no trace even when a step failed half way.
void RemovePlaceholder(const DocumentPtr& document) {
    for (int guard = 0; guard < 8; ++guard) {
        const ElementPtr div = FindPlaceholder(document, "DIV", "FPLink1");
        if (!div)
            return;
        if (!div->setOuterHTML("")) {
            LogWarning("PickHyperlink", "the link placeholder could not be removed");
            return;
        }
    }
}

} // namespace

std::string PickHyperlink(AddinContext& context) {
    context.SetPanelTopmost(false);
    // An editor that offers its hyperlink dialog for an address alone is asked that way: the
    // page, its selection, its modified mark and its undo history stay exactly as they are.
    if (HostApplication* application = context.Editor.Application()) {
        if (std::optional<std::string> chosen = application->ChooseHyperlink()) {
            context.SetPanelTopmost(true);
            return std::move(*chosen);
        }
    }
    std::string address;
    const DocumentPtr document = context.Editor.ActiveDocument();
    if (const TextRangePtr range = document ? document->createRange() : nullptr)
        range->pasteHTML(kLinkPlaceholderDiv);
    context.platform.doEvents();
    context.platform.doEvents();

    if (const ElementPtr div = FindPlaceholder(document, "DIV", "FPLink1"))
        div->insertAdjacentHTML(AdjacentPosition::AfterBegin, kLinkPlaceholderImage);
    if (const ElementPtr image = FindPlaceholder(document, "IMG", "FPLink2")) {
        if (const TextRangePtr range = document->createRange()) {
            range->moveToElementText(image);
            range->select();
        }
    }

    bool ran = false;
    if (HostApplication* application = context.Editor.Application()) {
        if (const CommandBarPtr insert = application->CommandBars().Item("Insert"))
            if (const ControlsPtr controls = insert->Controls())
                if (const ControlPtr hyperlink = controls->Item("Hyperlink..."))
                    ran = hyperlink->Execute();
    }
    if (!ran)
        LogWarning("PickHyperlink", "the editor's Hyperlink... command did not run");
    context.platform.doEvents();

    const ElementPtr body = document ? document->body() : nullptr;
    const ElementPtr div = body ? body->all().tags("DIV").item("FPLink1") : nullptr;
    if (div) {
        if (const TextRangePtr range = document->createRange()) {
            range->moveToElementText(div);
            range->select();
            address = LinkAddressOf(range->htmlText());
            range->pasteHTML("");
        }
    }
    RemovePlaceholder(document);
    context.SetPanelTopmost(true);
    return address;
}

} // namespace tlx
