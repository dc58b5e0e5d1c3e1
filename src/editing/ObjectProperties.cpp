#include "editing/ObjectProperties.h"

#include "markup/FlashFix.h"
#include "markup/FlashObject.h"
#include "markup/TextHelpers.h"
#include "markup/UnquotedValue.h"
#include "platform/Log.h"

#include <charconv>
#include <cmath>
#include <random>

namespace tlx {

namespace {

constexpr std::string_view kProductWord = "Kestrelite";

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The length of the number at the start of `text` (sign, digits, one point, exponent); 0 when
// there is none.
std::size_t NumberLength(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i]))
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j]))
                ++j;
            i = j;
        }
    }
    return i;
}

std::string ResizedSize(std::string_view field, int direction) {
    const double n = LeadingNumber(field);
    return NumberText(n + direction * std::floor(n * 0.25));
}

} // namespace

SizeText SplitSizeText(std::string_view text) {
    SizeText size{std::string(text), false};
    const std::size_t percent = text.find('%');
    if (percent != std::string_view::npos && percent >= 1) {
        size.Loaded.pop_back();
        size.Percent = true;
    }
    return size;
}

double LeadingNumber(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    const std::size_t length = NumberLength(text);
    if (length == 0)
        return 0;
    std::string number(text.substr(0, length));
    if (number.front() == '+')
        number.erase(0, 1);
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    return error == std::errc() ? value : 0;
}

std::string NumberText(double value) {
    if (value == 0)
        value = 0; // no "-0"
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc())
        return "0";
    return std::string(buffer, end);
}

bool IsNumberText(std::string_view text) {
    text = Trimmed(text);
    return !text.empty() && NumberLength(text) == text.size();
}

std::pair<int, int> AlignmentOf(std::string_view salign) {
    const std::string code = UpperCase(salign);
    if (code == "L")
        return {kAlignLeft, kAlignMiddle};
    if (code == "LB")
        return {kAlignLeft, kAlignBottom};
    if (code == "LT")
        return {kAlignLeft, kAlignTop};
    if (code == "B")
        return {kAlignCenter, kAlignBottom};
    if (code == "T")
        return {kAlignCenter, kAlignTop};
    if (code == "R")
        return {kAlignRight, kAlignMiddle};
    if (code == "RT")
        return {kAlignRight, kAlignTop};
    if (code == "RB")
        return {kAlignRight, kAlignBottom};
    return {kAlignCenter, kAlignMiddle};
}

std::string AlignmentCode(int hAlign, int vAlign) {
    std::string code;
    if (hAlign == kAlignLeft)
        code += 'L';
    else if (hAlign == kAlignRight)
        code += 'R';
    if (vAlign == kAlignTop)
        code += 'T';
    else if (vAlign == kAlignBottom)
        code += 'B';
    return code;
}

int WindowModeOf(std::string_view wmode) {
    const std::string mode = UpperCase(wmode);
    if (mode == "TRANSPARENT" || mode == "\"TRANSPARENT\"")
        return kWindowTransparent;
    return kWindowOpaque;
}

bool OtherPropertiesEnabled(std::string_view id) {
    return id.find(kProductWord) != std::string_view::npos && id.substr(0, 13) != "oKestreliteFL";
}

SelectedObject ReadSelectedObject(const ElementPtr& element) {
    SelectedObject object;
    if (!element)
        return object;
    object.Element = element;
    object.InnerMarkup = element->innerHTML();
    object.Id = element->id();

    const SizeText width = SplitSizeText(element->width());
    object.LoadedWidth = width.Loaded;
    object.Fields.WidthPercent = width.Percent;
    object.Fields.Width = NumberText(LeadingNumber(width.Loaded));
    const SizeText height = SplitSizeText(element->height());
    object.LoadedHeight = height.Loaded;
    object.Fields.HeightPercent = height.Percent;
    object.Fields.Height = NumberText(LeadingNumber(height.Loaded));

    for (const ElementPtr& child : element->all()) {
        const std::string name = UpperCase(child->name());
        if (name == "MOVIE") {
            object.MovieRef = child->value();
        } else if (name == "WMODE") {
            object.Fields.WMode = WindowModeOf(child->value());
        } else if (name == "SALIGN") {
            const auto [h, v] = AlignmentOf(child->value());
            object.Fields.HAlign = h;
            object.Fields.VAlign = v;
        } else if (name == "BGCOLOR") {
            object.Fields.BackColorText = child->value();
        }
    }
    return object;
}

std::string PropertiesMarkup(std::string_view id, std::string_view movieRef,
                             const PropertyFields& fields) {
    // Values stand unquoted: what could end them is written as character references (the
    // usual values are left exactly as they are), and the movie reference keeps its quotes.
    const std::string width =
        UnquotedMarkupValueBeforeBlank(fields.Width + (fields.WidthPercent ? "%" : ""));
    const std::string height =
        UnquotedMarkupValue(fields.Height + (fields.HeightPercent ? "%" : ""));
    const std::string heightBeforeBlank =
        UnquotedMarkupValueBeforeBlank(fields.Height + (fields.HeightPercent ? "%" : ""));
    const std::string colour = UnquotedMarkupValue(fields.BackColorText);
    const std::string colourBeforeBlank = UnquotedMarkupValueBeforeBlank(fields.BackColorText);
    const std::string movie = EscapeQuotes(movieRef);
    const bool owned = id.find(kProductWord) != std::string_view::npos;
    const std::string rest =
        UnquotedMarkupValueBeforeBlank(id.empty() ? std::string_view() : id.substr(1));
    const std::string fullId = UnquotedMarkupValueBeforeBlank(id);
    const std::string align = AlignmentCode(fields.HAlign, fields.VAlign);

    std::string m = "<OBJECT classid='clsid:D27CDB6E-AE6D-11cf-96B8-444553540000'";
    m += " codeBase = '";
    m += kPlayerCabinetAddress;
    m += "'";
    if (owned)
        m += " ID=o" + rest + " NAME=o" + rest;
    else if (!id.empty())
        m += " ID=" + fullId + " NAME=" + fullId;
    m += " WIDTH=" + width + " HEIGHT=" + height + ">";
    m += "<PARAM NAME=movie VALUE=\"" + movie + "\"> ";
    m += "<PARAM NAME=quality VALUE=high>";
    m += "<PARAM NAME=bgcolor VALUE=" + colour + ">";
    if (fields.WMode == kWindowOpaque)
        m += "<PARAM NAME=wmode VALUE=opaque>";
    else if (fields.WMode == kWindowTransparent)
        m += "<PARAM NAME=wmode VALUE=transparent>";
    if (!align.empty())
        m += "<PARAM NAME=salign VALUE=" + align + ">";
    m += "<EMBED src=\"" + movie + "\" quality=high bgcolor=" + colourBeforeBlank +
         " swLiveConnect=true";
    if (owned)
        m += " NAME=e" + rest;
    else if (!id.empty())
        m += " NAME=" + fullId;
    m += " TYPE='application/x-shockwave-flash' PLUGINSPAGE='";
    m += kPlayerDownloadPage;
    m += "' WIDTH=" + width + " HEIGHT=" + heightBeforeBlank + " ";
    if (fields.WMode == kWindowOpaque)
        m += "wmode=opaque ";
    else if (fields.WMode == kWindowTransparent)
        m += "wmode=transparent ";
    if (!align.empty())
        m += "salign=" + align + " ";
    m += "></EMBED></OBJECT>";
    return m;
}

ElementPtr PropertiesTarget(const HostEditor& editor, const ElementPtr& loaded) {
    if (loaded && loaded->isAttached())
        return loaded;
    const DocumentPtr document = editor.ActiveDocument();
    ElementPtr active = document ? document->activeElement() : nullptr;
    if (active && IsFlashObjectElement(*active))
        return active;
    return nullptr;
}

bool ChangeProperties(const HostEditor& editor, const ElementPtr& target,
                      const std::string& markup) {
    const DocumentPtr document = editor.ActiveDocument();
    if (!document || !target) {
        LogWarning("ChangeProperties", "no Flash object to apply the properties to");
        return false;
    }
    const TextRangePtr range = document->createRange();
    if (!range || !range->moveToElementText(target) || !range->pasteHTML(markup)) {
        LogWarning("ChangeProperties", "the editor did not take the object's new markup");
        return false;
    }
    // The new object is the selection, as the replaced one was.
    range->select();
    return true;
}

std::string ShrunkSize(std::string_view field) {
    return ResizedSize(field, -1);
}

std::string EnlargedSize(std::string_view field) {
    return ResizedSize(field, 1);
}

std::optional<DuplicateNames> DuplicateNamesFor(std::string_view id, std::string_view nextNumber,
                                                int randomSuffix) {
    const std::size_t word = id.find(kProductWord);
    if (word != std::string_view::npos && word >= 1) {
        DuplicateNames names;
        names.OldText = std::string(id.substr(1));
        names.NewText = std::string(id.substr(1, 12)) + std::string(nextNumber);
        names.NewId = "o" + names.NewText;
        return names;
    }
    if (!id.empty()) {
        DuplicateNames names;
        names.OldText = std::string(id);
        names.NewText = std::string(id) + std::to_string(randomSuffix);
        names.NewId = names.NewText;
        return names;
    }
    return std::nullopt;
}

bool DuplicateObject(const HostEditor& editor, const ElementPtr& element, std::string_view id,
                     int randomSuffix) {
    if (!element || !element->isAttached()) {
        LogWarning("DuplicateObject", "the object is no longer in the page");
        return false;
    }
    std::string markup = element->outerHTML();
    const std::optional<DuplicateNames> names =
        DuplicateNamesFor(id, NextObjectNumber(editor), randomSuffix);
    if (names)
        markup = ReplaceText(markup, names->OldText, names->NewText);
    if (!element->insertAdjacentHTML(AdjacentPosition::AfterEnd, markup)) {
        LogWarning("DuplicateObject", "the editor did not take the copy");
        return false;
    }
    if (!names)
        return true;
    const DocumentPtr document = editor.ActiveDocument();
    const ElementPtr copy = document ? document->all().item(names->NewId) : nullptr;
    if (copy && !copy->setOuterHTML(RewriteObjectMarkup(*copy)))
        LogWarning("DuplicateObject", "the copy keeps the markup it was inserted with");
    return true;
}

int RandomCopySuffix() {
    std::random_device seed;
    std::mt19937 engine(seed());
    return std::uniform_int_distribution<int>(0, 999)(engine);
}

} // namespace tlx
