#include "host/HtmlAttributes.h"

#include "host/TextCodec.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace tlx::host {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}
bool isAsciiAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isAsciiAlnum(char c) {
    return isAsciiAlpha(c) || isAsciiDigit(c);
}
bool isHexDigit(char c) {
    return isAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
int hexValue(char c) {
    if (isAsciiDigit(c))
        return c - '0';
    return (c | 0x20) - 'a' + 10;
}
char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

struct NamedReference {
    std::string_view name;
    char32_t codePoint;
    bool legacy; // may stand without the closing ';'
};

// Latin-1 names, U+00A0 to U+00FF in order; all of them may stand without ';'.
constexpr std::array<std::string_view, 96> kLatin1Names = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
    "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
    "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
    "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
    "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
    "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
    "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

constexpr std::array<NamedReference, 36> kOtherNames = {{
    {"amp", U'&', true},       {"AMP", U'&', true},       {"lt", U'<', true},
    {"LT", U'<', true},        {"gt", U'>', true},        {"GT", U'>', true},
    {"quot", U'"', true},      {"QUOT", U'"', true},      {"COPY", 0xA9, true},
    {"REG", 0xAE, true},       {"apos", U'\'', false},    {"euro", 0x20AC, false},
    {"trade", 0x2122, false},  {"hellip", 0x2026, false}, {"mdash", 0x2014, false},
    {"ndash", 0x2013, false},  {"lsquo", 0x2018, false},  {"rsquo", 0x2019, false},
    {"ldquo", 0x201C, false},  {"rdquo", 0x201D, false},  {"sbquo", 0x201A, false},
    {"bdquo", 0x201E, false},  {"bull", 0x2022, false},   {"dagger", 0x2020, false},
    {"Dagger", 0x2021, false}, {"permil", 0x2030, false}, {"lsaquo", 0x2039, false},
    {"rsaquo", 0x203A, false}, {"OElig", 0x152, false},   {"oelig", 0x153, false},
    {"Scaron", 0x160, false},  {"scaron", 0x161, false},  {"Yuml", 0x178, false},
    {"fnof", 0x192, false},    {"circ", 0x2C6, false},    {"tilde", 0x2DC, false},
}};

// Every named reference by its first letter, the Latin-1 names before the others (as they
// are tried), made once.
const std::array<std::vector<NamedReference>, 128>& NamesByFirstLetter() {
    static const std::array<std::vector<NamedReference>, 128> names = [] {
        std::array<std::vector<NamedReference>, 128> byLetter;
        for (std::size_t k = 0; k < kLatin1Names.size(); ++k)
            byLetter[static_cast<unsigned char>(kLatin1Names[k][0])].push_back(
                {kLatin1Names[k], static_cast<char32_t>(0xA0 + k), true});
        for (const NamedReference& entry : kOtherNames)
            byLetter[static_cast<unsigned char>(entry.name[0])].push_back(entry);
        return byLetter;
    }();
    return names;
}

// The characters that numeric references to 0x80-0x9F stand for (windows-1252).
constexpr std::array<char32_t, 32> kC1Replacements = {
    0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Whether `codec` is the page's converter, to be asked for the bytes of a character (a page
// in an encoding other than UTF-8 and Windows-1252).
bool converts(const TextCodec* codec) {
    return codec && !codec->isUtf8() && codec->charset() != "windows-1252";
}

// The character `cp` in the page's encoding, or false when it cannot be written there.
bool appendCharacter(std::string& out, char32_t cp, bool singleByte, const TextCodec* codec) {
    if (!singleByte) {
        appendUtf8(out, cp);
        return true;
    }
    if (converts(codec)) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
            return true;
        }
        std::u16string units;
        if (cp > 0xFFFF) {
            units += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            units += static_cast<char16_t>(cp);
        }
        bool escaped = false;
        const std::string bytes = codec->encode(units, &escaped);
        if (escaped || bytes.empty())
            return false;
        out += bytes;
        return true;
    }
    if (cp > 0xFF)
        return false;
    out += static_cast<char>(static_cast<unsigned char>(cp));
    return true;
}

// Decodes the reference starting with the '&' at raw[at]. Returns the number of bytes it
// takes (0 when there is no reference there) and appends the character to `out`.
std::size_t decodeReference(std::string_view raw, std::size_t at, bool singleByte,
                            const TextCodec* codec, std::string& out) {
    const std::size_t n = raw.size();
    std::size_t i = at + 1;
    if (i < n && raw[i] == '#') {
        ++i;
        const bool hex = i < n && (raw[i] == 'x' || raw[i] == 'X');
        if (hex)
            ++i;
        const std::size_t digitsStart = i;
        std::uint32_t value = 0;
        while (i < n && (hex ? isHexDigit(raw[i]) : isAsciiDigit(raw[i]))) {
            const std::uint32_t digit =
                hex ? static_cast<std::uint32_t>(hexValue(raw[i])) : std::uint32_t(raw[i] - '0');
            value = value > 0x110000 ? value : value * (hex ? 16 : 10) + digit;
            ++i;
        }
        if (i == digitsStart)
            return 0;
        if (i < n && raw[i] == ';')
            ++i;
        char32_t cp = value;
        if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            cp = 0xFFFD;
        else if (value >= 0x80 && value <= 0x9F)
            cp = singleByte && !converts(codec) ? value : kC1Replacements[value - 0x80];
        std::string encoded;
        if (!appendCharacter(encoded, cp, singleByte, codec))
            return 0;
        out += encoded;
        return i - at;
    }

    const std::string_view rest = raw.substr(at + 1);
    if (rest.empty() || !isAsciiAlpha(rest[0]))
        return 0;
    std::size_t best = 0;
    char32_t bestCp = 0;
    const auto consider = [&](std::string_view name, char32_t cp, bool legacy) {
        if (!rest.starts_with(name))
            return;
        std::size_t length = 0;
        if (rest.size() > name.size() && rest[name.size()] == ';')
            length = name.size() + 1;
        else if (legacy)
            length = name.size();
        if (length > best) {
            best = length;
            bestCp = cp;
        }
    };
    // Only the names with the reference's first letter are tried ("&" in a movie address is
    // mostly the start of a parameter, and few names share its letter).
    const auto first = static_cast<unsigned char>(rest[0]);
    for (const NamedReference& candidate : NamesByFirstLetter()[first])
        consider(candidate.name, candidate.codePoint, candidate.legacy);
    if (best == 0)
        return 0;
    // In an attribute a reference without ';' followed by '=' or a letter or digit stays as
    // written.
    if (rest[best - 1] != ';' && best < rest.size() &&
        (rest[best] == '=' || isAsciiAlnum(rest[best])))
        return 0;
    std::string encoded;
    if (!appendCharacter(encoded, bestCp, singleByte, codec))
        return 0;
    out += encoded;
    return best + 1;
}

} // namespace

StartTagTokens tokenizeStartTag(std::string_view tag) {
    StartTagTokens result;
    tokenizeStartTag(tag, result);
    return result;
}

void tokenizeStartTag(std::string_view tag, StartTagTokens& result) {
    result.attributes.clear();
    result.closeAt = std::string_view::npos;
    const std::size_t n = tag.size();
    std::size_t i = 0;
    if (i < n && tag[i] == '<')
        ++i;
    while (i < n && !isSpace(tag[i]) && tag[i] != '/' && tag[i] != '>')
        ++i;
    while (i < n) {
        while (i < n && (isSpace(tag[i]) || (tag[i] == '/' && !(i + 1 < n && tag[i + 1] == '>'))))
            ++i;
        if (i >= n)
            break;
        if (tag[i] == '>' || tag[i] == '/') {
            result.closeAt = i;
            break;
        }
        AttributeToken token;
        token.nameStart = i++;
        while (i < n && !isSpace(tag[i]) && tag[i] != '/' && tag[i] != '>' && tag[i] != '=')
            ++i;
        token.nameEnd = i;
        std::size_t j = i;
        while (j < n && isSpace(tag[j]))
            ++j;
        if (j < n && tag[j] == '=') {
            ++j;
            while (j < n && isSpace(tag[j]))
                ++j;
            if (j < n && (tag[j] == '"' || tag[j] == '\'')) {
                token.quote = tag[j];
                token.valueStart = ++j;
                j = std::min(tag.find(token.quote, j), n);
                token.valueEnd = j;
                if (j < n)
                    ++j;
            } else {
                token.valueStart = j;
                while (j < n && !isSpace(tag[j]) && tag[j] != '>')
                    ++j;
                token.valueEnd = j;
            }
            i = j;
        }
        result.attributes.push_back(token);
    }
}

const AttributeToken* findAttribute(std::string_view tag, const StartTagTokens& tokens,
                                    std::string_view name) {
    for (const auto& token : tokens.attributes) {
        const std::string_view tokenName =
            tag.substr(token.nameStart, token.nameEnd - token.nameStart);
        if (tokenName.size() != name.size())
            continue;
        bool same = true;
        for (std::size_t k = 0; k < name.size() && same; ++k)
            same = lower(tokenName[k]) == lower(name[k]);
        if (same)
            return &token;
    }
    return nullptr;
}

std::string decodeAttributeValue(std::string_view raw, bool singleByte, const TextCodec* codec) {
    std::string out;
    out.reserve(raw.size());
    std::size_t i = 0;
    while (i < raw.size()) {
        const std::size_t amp = raw.find('&', i);
        out.append(raw.substr(i, amp == std::string_view::npos ? raw.size() - i : amp - i));
        if (amp == std::string_view::npos)
            break;
        const std::size_t used = decodeReference(raw, amp, singleByte, codec, out);
        if (used == 0)
            out += '&';
        i = amp + (used ? used : 1);
    }
    return out;
}

std::string encodeAttributeValue(std::string_view value, char quote, bool singleByte,
                                 const TextCodec* codec) {
    std::string out;
    out.reserve(value.size());
    std::string scratch;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '&' && decodeReference(value, i, singleByte, codec, scratch) != 0)
            out += "&amp;";
        else if (c == quote && quote == '"')
            out += "&quot;";
        else if (c == quote && quote == '\'')
            out += "&#39;";
        else
            out += c;
    }
    return out;
}

bool isValidAttributeName(std::string_view name) {
    if (name.empty())
        return false;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7F || c == '"' || c == '\'' || c == '>' || c == '/' || c == '=' ||
            c == '<')
            return false;
    }
    return true;
}

} // namespace tlx::host
