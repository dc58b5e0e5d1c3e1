#include "markup/FlashObject.h"

#include "markup/MarkupReader.h"
#include "markup/TextHelpers.h"
#include "markup/UnquotedValue.h"

#include <array>
#include <cctype>
#include <utility>

namespace tlx {

namespace {

constexpr std::array<std::pair<ObjectKind, std::string_view>, 9> kKindCodes{{
    {ObjectKind::BT, "BT"},
    {ObjectKind::HD, "HD"},
    {ObjectKind::MV, "MV"},
    {ObjectKind::CL, "CL"},
    {ObjectKind::FL, "FL"},
    {ObjectKind::TP, "TP"},
    {ObjectKind::MM, "MM"},
    {ObjectKind::SS, "SS"},
    {ObjectKind::SM, "SM"},
}};

// A name that stands between double quotes.
std::string DoubleQuotedName(std::string_view value) {
    std::string safe;
    safe.reserve(value.size());
    for (const char c : value) {
        if (c == '"' || c == '&')
            safe += "&#" + std::to_string(static_cast<unsigned char>(c)) + ";";
        else
            safe += c;
    }
    return safe;
}

// The number at the start of `text`: leading blanks skipped, digits up to the first other
// character, 0 when there are none.
int LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    int number = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        number = number * 10 + (text[i] - '0');
    return number;
}

bool LooksLikeFlashMovie(const HostElement& element) {
    const std::string upper = UpperCase(element.outerHTML());
    return upper.find(".SWF") != std::string::npos && upper.find("MOVIE") != std::string::npos;
}

} // namespace

ObjectKind ObjectKindOf(std::string_view id) {
    std::string_view code;
    if (id.starts_with(kOwnedIdPrefix) && id.size() >= 13)
        code = id.substr(11, 2);
    else if (id.starts_with(kLocalFileIdPrefix))
        code = "FL";
    for (const auto& [kind, text] : kKindCodes)
        if (text == code)
            return kind;
    return ObjectKind::Unknown;
}

std::string_view ObjectKindCode(ObjectKind kind) {
    for (const auto& [k, text] : kKindCodes)
        if (k == kind)
            return text;
    return {};
}

std::string EscapeQuotes(std::string_view value) {
    std::string safe;
    safe.reserve(value.size());
    for (const char c : value) {
        if (c == '"')
            safe += "%22";
        else if (c == '\'')
            safe += "%27";
        else
            safe += c;
    }
    return safe;
}

namespace {

// A movie reference as it stands in a quoted attribute: quotes escaped, and an "&" that a
// reader could take for the start of a character reference written "&#38;", so that the
// value reads back exactly as given. The "&" of a KEY=value pair stays as it is.
std::string MovieAttributeText(std::string_view movieRef) {
    const std::string quoted = EscapeQuotes(movieRef);
    std::string safe;
    safe.reserve(quoted.size());
    for (std::size_t i = 0; i < quoted.size(); ++i) {
        if (quoted[i] != '&') {
            safe += quoted[i];
            continue;
        }
        std::size_t k = i + 1;
        while (k < quoted.size() && std::isalnum(static_cast<unsigned char>(quoted[k])))
            ++k;
        const bool pair = k > i + 1 && k < quoted.size() && quoted[k] == '=';
        safe += pair ? "&" : "&#38;";
    }
    return safe;
}

} // namespace

std::string FlashVarsOf(std::string_view movieRef) {
    const std::size_t at = FindNoCase(movieRef, ".swf?");
    return at == std::string_view::npos ? std::string() : std::string(movieRef.substr(at + 5));
}

std::string FlashObjectMarkup(const FlashObject& object, SAlignPlacement placement) {
    const std::string movie = MovieAttributeText(object.MovieRef);
    const std::string flashVars = MovieAttributeText(object.FlashVars());
    const std::string id = UnquotedMarkupValueBeforeBlank(object.Id);
    const std::string embedName =
        object.Id.empty() ? std::string() : DoubleQuotedName(object.Id.substr(1));
    const std::string width = UnquotedMarkupValueBeforeBlank(object.Width);
    const std::string height = UnquotedMarkupValue(object.Height);
    const std::string background = UnquotedMarkupValue(object.Background);

    std::string html;
    html.reserve(700 + 2 * movie.size());
    html += "<OBJECT classid='clsid:D27CDB6E-AE6D-11cf-96B8-444553540000'";
    html += " codeBase = '";
    html += kPlayerCabinetAddress;
    html += "'";
    html += " ID=" + id + " NAME=" + id + " WIDTH=" + width + " HEIGHT=" + height + ">";
    html += "<PARAM NAME=movie VALUE=\"" + movie + "\">";
    html += "<PARAM NAME=quality VALUE=high> ";
    html += "<PARAM NAME=bgcolor VALUE=" + background + ">";
    html += "<PARAM NAME=WMode VALUE=" + UnquotedMarkupValue(object.WMode) + ">";
    const std::string flashVarsParam = "<PARAM NAME=FlashVars VALUE=\"" + flashVars + "\">";
    const std::string sAlignParam =
        "<PARAM NAME=SAlign VALUE=" + UnquotedMarkupValue(object.SAlign) + ">";
    if (placement == SAlignPlacement::AfterFlashVars)
        html += flashVarsParam + sAlignParam;
    else
        html += sAlignParam + flashVarsParam;
    html += "<EMBED src='" + movie +
            "' quality=high bgcolor=" + UnquotedMarkupValueBeforeBlank(object.Background);
    html += " FlashVars=\"" + flashVars + "\"";
    html +=
        " swLiveConnect=\"true\" NAME=\"e" + embedName + "\" TYPE='application/x-shockwave-flash' ";
    html += "PLUGINSPAGE='";
    html += kPlayerDownloadPage;
    html += "' ";
    html += "WIDTH=" + width + " HEIGHT=" + height + "></EMBED>";
    html += "</OBJECT>";
    return html;
}

std::string NextObjectNumber(const HostEditor& editor) {
    int max = 0;
    if (const DocumentPtr document = editor.ActiveDocument()) {
        for (const ElementPtr& element : document->all().tags("OBJECT")) {
            const std::string id = element->id();
            if (!id.starts_with(kOwnedIdPrefix) || !LooksLikeFlashMovie(*element))
                continue;
            const int number = LeadingNumber(std::string_view(id).substr(id.size() - 3));
            if (number > max)
                max = number;
        }
    }
    const int n = max + 1;
    if (n < 10)
        return "00" + std::to_string(n);
    if (n < 100)
        return "0" + std::to_string(n);
    if (n < 1000)
        return std::to_string(n);
    return {};
}

bool InsertFlashObject(const HostEditor& editor, const std::string& id, const std::string& movie,
                       const std::string& width, const std::string& height,
                       const std::string& bgcolor, const std::string& wmode,
                       const std::string& salign, bool replace) {
    const DocumentPtr document = editor.ActiveDocument();
    if (!document)
        return false;
    // Only an object can be replaced: with the caret in text the active element is a paragraph
    // or the body, whose content would be lost. A new object needs no element at the caret (a
    // page of only an XML declaration has none; the browser makes its body).
    const ElementPtr target = replace ? document->activeElement() : nullptr;
    if (replace && (!target || UpperCase(target->tagName()) != "OBJECT"))
        return false;

    FlashObject object;
    object.Id = id;
    object.Kind = ObjectKindOf(id);
    object.MovieRef = movie;
    object.Width = width;
    object.Height = height;
    object.Background = bgcolor;
    object.WMode = wmode;
    object.SAlign = salign;

    const bool owned = UpperCase(id).find("OKESTRELITE") != std::string::npos;
    if (replace) {
        std::string old;
        for (const ElementPtr& descendant : target->all())
            if (UpperCase(descendant->name()) == "MOVIE")
                old = descendant->value();
        if (owned)
            object.MovieRef += "&CWR=" + QueryValue("CWR", old) + "&CWG=" + QueryValue("CWG", old) +
                               "&CWB=" + QueryValue("CWB", old);
    } else if (owned) {
        object.MovieRef += "&CWR=0&CWG=0&CWB=0";
    }

    const std::string markup = FlashObjectMarkup(object);
    const TextRangePtr range = document->createRange();
    if (!range)
        return false;
    if (replace && !range->moveToElementText(target))
        return false;
    if (!range->pasteHTML(markup))
        return false;

    // The new object is the one with this ID; should the page hold another object of the same
    // ID (copied by hand, or the numbers used up), the one that reads exactly as pasted is it.
    ElementPtr pasted;
    for (const ElementPtr& element : document->all()) {
        if (element->id() != id)
            continue;
        if (!pasted)
            pasted = element;
        if (element->outerHTML() == markup) {
            pasted = element;
            break;
        }
    }
    if (pasted)
        pasted->setOuterHTML(RewriteObjectMarkup(*pasted));
    return true;
}

std::string RewriteObjectMarkup(const HostElement& element) {
    FlashObject object;
    object.Id = element.id();
    object.Kind = ObjectKindOf(object.Id);
    object.Width = element.width();
    object.Height = element.height();
    for (const ElementPtr& descendant : element.all()) {
        const std::string name = UpperCase(descendant->name());
        if (name == "MOVIE") {
            // Every level of "&amp;" the editors have put in, so that the rewrite of a
            // rewritten object reads the same reference again.
            std::string movie = descendant->value();
            while (FindNoCase(movie, "&amp;") != std::string::npos)
                movie = ReplaceText(movie, "&amp;", "&");
            object.MovieRef = std::move(movie);
        } else if (name == "WMODE")
            object.WMode = UpperCase(descendant->value());
        else if (name == "SALIGN")
            object.SAlign = UpperCase(descendant->value());
        else if (name == "BGCOLOR")
            object.Background = descendant->value();
    }
    return FlashObjectMarkup(object, SAlignPlacement::BeforeFlashVars);
}

} // namespace tlx
