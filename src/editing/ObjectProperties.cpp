#include "editing/ObjectProperties.h"

#include "markup/FlashFix.h"
#include "markup/FlashObject.h"
#include "markup/TextHelpers.h"
#include "markup/UnquotedValue.h"
#include "platform/Log.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
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

// The most digits a size is worked out with: far more than any double holds (a double's range
// written out in full takes 309 whole digits or 324 decimals), few enough to stay quick.
constexpr std::size_t kMaxSizeDigits = 1000;

// A number's exact decimal value: its digits without leading zeros ("" is 0), how many of them
// stand after the point, and its sign.
struct Decimal {
    std::string Digits;
    std::size_t Scale = 0;
    bool Negative = false;
};

// Magnitudes as digit strings without leading zeros.
int CompareMagnitudes(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

std::string WithoutLeadingZeros(std::string digits) {
    const std::size_t first = digits.find_first_not_of('0');
    digits.erase(0, first == std::string::npos ? digits.size() : first);
    return digits;
}

std::string AddMagnitudes(std::string_view a, std::string_view b) {
    std::string sum;
    int carry = 0;
    for (std::size_t i = 0; i < a.size() || i < b.size() || carry; ++i) {
        int digit = carry;
        if (i < a.size())
            digit += a[a.size() - 1 - i] - '0';
        if (i < b.size())
            digit += b[b.size() - 1 - i] - '0';
        sum += static_cast<char>('0' + digit % 10);
        carry = digit / 10;
    }
    std::reverse(sum.begin(), sum.end());
    return WithoutLeadingZeros(std::move(sum));
}

// a - b for a >= b.
std::string SubtractMagnitudes(std::string_view a, std::string_view b) {
    std::string difference;
    int borrow = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        int digit = (a[a.size() - 1 - i] - '0') - borrow;
        if (i < b.size())
            digit -= b[b.size() - 1 - i] - '0';
        borrow = digit < 0 ? 1 : 0;
        difference += static_cast<char>('0' + digit + 10 * borrow);
    }
    std::reverse(difference.begin(), difference.end());
    return WithoutLeadingZeros(std::move(difference));
}

// The quotient of a magnitude by 4, rounded down, and whether it left a remainder.
std::pair<std::string, bool> QuarterOf(std::string_view digits) {
    std::string quotient;
    int remainder = 0;
    for (const char c : digits) {
        const int value = remainder * 10 + (c - '0');
        quotient += static_cast<char>('0' + value / 4);
        remainder = value % 4;
    }
    return {WithoutLeadingZeros(std::move(quotient)), remainder != 0};
}

// The number `NumberLength` found (sign, digits, point, exponent) as its exact value; nullopt
// when writing it out would take more than kMaxSizeDigits digits.
std::optional<Decimal> ParseDecimal(std::string_view number) {
    Decimal value;
    std::size_t i = 0;
    if (i < number.size() && (number[i] == '+' || number[i] == '-'))
        value.Negative = number[i++] == '-';
    std::size_t fraction = 0;
    bool point = false;
    for (; i < number.size() && (IsDigit(number[i]) || number[i] == '.'); ++i) {
        if (number[i] == '.') {
            point = true;
            continue;
        }
        value.Digits += number[i];
        fraction += point ? 1 : 0;
    }
    long long exponent = 0;
    if (i < number.size()) { // "e", an optional sign and at least one digit
        ++i;
        const bool down = number[i] == '-';
        if (number[i] == '+' || number[i] == '-')
            ++i;
        for (; i < number.size(); ++i) {
            exponent = exponent * 10 + (number[i] - '0');
            if (exponent > static_cast<long long>(kMaxSizeDigits) * 2)
                return std::nullopt;
        }
        exponent = down ? -exponent : exponent;
    }
    value.Digits = WithoutLeadingZeros(std::move(value.Digits));
    const long long scale = static_cast<long long>(fraction) - exponent;
    if (scale < 0)
        value.Digits.append(value.Digits.empty() ? 0 : static_cast<std::size_t>(-scale), '0');
    value.Scale = scale < 0 ? 0 : static_cast<std::size_t>(scale);
    while (value.Scale > 0 && !value.Digits.empty() && value.Digits.back() == '0') {
        value.Digits.pop_back();
        --value.Scale;
    }
    if (value.Digits.empty())
        value = Decimal{};
    if (value.Digits.size() > kMaxSizeDigits || value.Scale > kMaxSizeDigits)
        return std::nullopt;
    return value;
}

// Plain decimal text: no exponent, no "+", no "-0", no zeros at the end of the decimals.
std::string DecimalText(const Decimal& value) {
    std::string digits = value.Digits;
    if (digits.size() <= value.Scale)
        digits.insert(0, value.Scale + 1 - digits.size(), '0');
    std::string whole = digits.substr(0, digits.size() - value.Scale);
    std::string decimals = digits.substr(digits.size() - value.Scale);
    while (!decimals.empty() && decimals.back() == '0')
        decimals.pop_back();
    whole = WithoutLeadingZeros(std::move(whole));
    if (whole.empty())
        whole = "0";
    const bool zero = whole == "0" && decimals.empty();
    return (value.Negative && !zero ? "-" : "") + whole + (decimals.empty() ? "" : "." + decimals);
}

// n + direction * floor(n * 0.25), worked out in decimal on the field's number, so that the
// result has no more decimals than the number typed (a double would turn 4.35 into
// 3.3499999999999996). A field without a number counts as 0; one too long to work out stays as
// it is.
std::string ResizedSize(std::string_view field, int direction) {
    std::string_view number = field;
    while (!number.empty() && (number.front() == ' ' || number.front() == '\t'))
        number.remove_prefix(1);
    const std::optional<Decimal> parsed = ParseDecimal(number.substr(0, NumberLength(number)));
    if (!parsed) {
        LogWarning("ResizedSize", "a size of more than " + std::to_string(kMaxSizeDigits) +
                                      " digits is left as it is");
        return std::string(field);
    }
    const Decimal& n = *parsed;
    // floor(n / 4) as a magnitude with the sign of n: for a negative n rounding down adds one
    // when the quarter is not whole.
    const std::size_t wholeDigits = n.Digits.size() > n.Scale ? n.Digits.size() - n.Scale : 0;
    auto [step, remainder] = QuarterOf(std::string_view(n.Digits).substr(0, wholeDigits));
    const bool fractional =
        n.Digits.substr(wholeDigits).find_first_not_of('0') != std::string::npos;
    if (n.Negative && (remainder || fractional))
        step = AddMagnitudes(step, "1");
    if (!step.empty())
        step.append(n.Scale, '0');
    // Enlarging adds a step of the number's own sign, shrinking takes it away.
    Decimal result;
    result.Scale = n.Scale;
    result.Negative = n.Negative;
    if (direction > 0) {
        result.Digits = AddMagnitudes(n.Digits, step);
    } else if (CompareMagnitudes(n.Digits, step) >= 0) {
        result.Digits = SubtractMagnitudes(n.Digits, step);
    } else {
        result.Digits = SubtractMagnitudes(step, n.Digits);
        result.Negative = !n.Negative;
    }
    return DecimalText(result);
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
