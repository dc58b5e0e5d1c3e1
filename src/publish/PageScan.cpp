#include "publish/PageScan.h"

#include "host/HtmlAttributes.h"
#include "platform/FileUtil.h"

#include <algorithm>
#include <array>
#include <optional>

namespace tlx::publish {

namespace {

enum class Utf16 { No, LittleEndian, BigEndian };

Utf16 Utf16Of(std::string_view page) {
    if (page.size() >= 2 && page[0] == '\xFF' && page[1] == '\xFE')
        return Utf16::LittleEndian;
    if (page.size() >= 2 && page[0] == '\xFE' && page[1] == '\xFF')
        return Utf16::BigEndian;
    return Utf16::No;
}

// A UTF-16 page as one byte per code unit (ASCII kept, everything else 0x80), so that the
// byte scanner finds its tags; offsets then count code units.
std::string NarrowUtf16(std::string_view page, Utf16 order) {
    std::string narrow;
    narrow.reserve(page.size() / 2);
    for (std::size_t i = 0; i + 1 < page.size(); i += 2) {
        const auto lo = static_cast<unsigned char>(page[order == Utf16::LittleEndian ? i : i + 1]);
        const auto hi = static_cast<unsigned char>(page[order == Utf16::LittleEndian ? i + 1 : i]);
        narrow += (hi == 0 && lo < 0x80) ? static_cast<char>(lo) : '\x80';
    }
    return narrow;
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool StartsNoCase(std::string_view text, std::size_t at, std::string_view prefix) {
    if (text.size() - std::min(at, text.size()) < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (Lower(text[at + i]) != prefix[i])
            return false;
    return true;
}

bool ContainsNoCase(std::string_view text, std::string_view lowerNeedle) {
    if (lowerNeedle.size() > text.size())
        return false;
    for (std::size_t i = 0; i + lowerNeedle.size() <= text.size(); ++i)
        if (StartsNoCase(text, i, lowerNeedle))
            return true;
    return false;
}

// One tag of the page.
struct Tag {
    std::string name; // lower case
    bool end = false;
    std::size_t start = 0; // the "<"
    std::size_t stop = 0;  // after the ">"
    std::string_view text; // the whole tag
    host::StartTagTokens tokens;

    std::optional<std::string> attribute(std::string_view attributeName) const {
        const host::AttributeToken* a = host::findAttribute(text, tokens, attributeName);
        if (!a)
            return std::nullopt;
        if (a->valueStart == std::string_view::npos)
            return std::string();
        // Single-byte decoding keeps the page's own bytes; addresses are ASCII or %-encoded.
        return host::decodeAttributeValue(text.substr(a->valueStart, a->valueEnd - a->valueStart),
                                          true);
    }
};

bool IsRawText(std::string_view name) {
    static constexpr std::array<std::string_view, 9> kRaw{
        "script", "style", "textarea", "title", "xmp", "iframe", "noembed", "noframes", "noscript"};
    return std::find(kRaw.begin(), kRaw.end(), name) != kRaw.end();
}

// Calls `visit(tag)` for every tag in source order until it returns false. The raw text of
// script and the like is passed over (the start tag is visited).
template <typename Visit> void ForEachTag(std::string_view page, Visit&& visit) {
    // One tag, reused: its name and attribute list keep their storage from tag to tag.
    Tag tag;
    std::size_t i = 0;
    while (i < page.size()) {
        const std::size_t lt = page.find('<', i);
        if (lt == std::string_view::npos || lt + 1 >= page.size())
            return;
        const char next = page[lt + 1];
        if (page.compare(lt, 4, "<!--") == 0) {
            const std::size_t close = page.find("-->", lt + 4);
            if (close == std::string_view::npos)
                return;
            i = close + 3;
            continue;
        }
        if (next == '!' || next == '?') {
            const std::size_t close = page.find('>', lt + 2);
            if (close == std::string_view::npos)
                return;
            tag.name = next == '!' ? "!" : "?";
            tag.end = false;
            tag.tokens.attributes.clear();
            tag.start = lt;
            tag.stop = close + 1;
            tag.text = page.substr(lt, tag.stop - lt);
            if (!visit(tag))
                return;
            i = tag.stop;
            continue;
        }
        const bool end = next == '/';
        const std::size_t nameAt = lt + (end ? 2 : 1);
        if (nameAt >= page.size() || !IsAlpha(page[nameAt])) {
            i = lt + 1;
            continue;
        }
        std::size_t nameEnd = nameAt;
        while (nameEnd < page.size() && !IsSpace(page[nameEnd]) && page[nameEnd] != '>' &&
               page[nameEnd] != '/')
            ++nameEnd;
        tag.end = end;
        tag.start = lt;
        tag.name.clear();
        tag.tokens.attributes.clear();
        for (std::size_t k = nameAt; k < nameEnd; ++k)
            tag.name += Lower(page[k]);
        if (end) {
            const std::size_t close = page.find('>', nameEnd);
            if (close == std::string_view::npos)
                return;
            tag.stop = close + 1;
        } else {
            host::tokenizeStartTag(page.substr(lt), tag.tokens);
            if (tag.tokens.closeAt == std::string_view::npos)
                return;
            tag.stop = lt + tag.tokens.closeAt + (page[lt + tag.tokens.closeAt] == '/' ? 2 : 1);
        }
        tag.text = page.substr(lt, tag.stop - lt);
        if (!visit(tag))
            return;
        i = tag.stop;
        if (!end && IsRawText(tag.name)) {
            // To the matching end tag ("</script" followed by a blank, "/" or ">").
            const std::string closing = "</" + tag.name;
            std::size_t at = i;
            for (;;) {
                at = page.find("</", at);
                if (at == std::string_view::npos)
                    return;
                const std::size_t after = at + closing.size();
                if (StartsNoCase(page, at, closing) &&
                    (after >= page.size() || IsSpace(page[after]) || page[after] == '>' ||
                     page[after] == '/'))
                    break;
                at += 2;
            }
            i = at;
        }
    }
}

bool IsSwfAddress(std::string_view address) {
    const std::size_t cut = address.find_first_of("?#");
    return ContainsNoCase(address.substr(0, cut), ".swf");
}

bool IsFlashType(std::string_view type) {
    return ContainsNoCase(type, "application/x-shockwave-flash") ||
           ContainsNoCase(type, "application/futuresplash");
}

void AddOnce(std::vector<std::string>& list, const std::string& value) {
    if (!value.empty() && std::find(list.begin(), list.end(), value) == list.end())
        list.push_back(value);
}

// The companion keys of the library's movies.
constexpr std::array<std::string_view, 5> kCompanionKeys{"BS", "BM", "TM", "TE", "TF"};

// The companions a query names ("A=1&BS=x+y.swf#f"), found in one pass, in the order of the
// keys: the first value of a key counts, "+" read as a blank and %XX decoded, as the movie
// reads them. A key is matched only as a whole name between "&"s.
void AddCompanions(FlashObjectAddresses& object, std::string_view query) {
    query = query.substr(0, query.find('#'));
    std::array<std::optional<std::string_view>, kCompanionKeys.size()> raw;
    for (std::size_t from = 0; from <= query.size();) {
        const std::size_t amp = std::min(query.find('&', from), query.size());
        const std::string_view pair = query.substr(from, amp - from);
        from = amp + 1;
        const std::size_t equals = pair.find('=');
        if (equals == std::string_view::npos)
            continue;
        const auto key =
            std::find(kCompanionKeys.begin(), kCompanionKeys.end(), pair.substr(0, equals));
        if (key != kCompanionKeys.end() && !raw[std::size_t(key - kCompanionKeys.begin())])
            raw[std::size_t(key - kCompanionKeys.begin())] = pair.substr(equals + 1);
    }
    for (const std::optional<std::string_view>& value : raw) {
        if (!value)
            continue;
        std::string text(*value);
        std::replace(text.begin(), text.end(), '+', ' ');
        AddOnce(object.companions, PercentDecoded(text));
    }
}

void AddMovie(FlashObjectAddresses& object, const std::string& movie) {
    // The same movie again (OBJECT data, PARAM movie, EMBED src) names the same companions.
    if (std::find(object.movies.begin(), object.movies.end(), movie) != object.movies.end())
        return;
    AddOnce(object.movies, movie);
    if (const std::size_t q = movie.find('?'); q != std::string::npos)
        AddCompanions(object, std::string_view(movie).substr(q + 1));
}

struct OpenObject {
    FlashObjectAddresses addresses;
    bool flash = false;
};

} // namespace

PageFlash ScanPage(std::string_view bytes) {
    const Utf16 utf16 = Utf16Of(bytes);
    const std::string narrow = utf16 == Utf16::No ? std::string() : NarrowUtf16(bytes, utf16);
    const std::string_view page = utf16 == Utf16::No ? bytes : std::string_view(narrow);

    PageFlash result;
    bool baseSeen = false;
    std::vector<OpenObject> open; // OBJECTs not yet ended, innermost last
    const auto close = [&](OpenObject& object) {
        if (object.flash)
            result.objects.push_back(std::move(object.addresses));
    };
    ForEachTag(page, [&](const Tag& tag) {
        if (tag.name == "object") {
            if (tag.end) {
                if (!open.empty()) {
                    close(open.back());
                    open.pop_back();
                }
                return true;
            }
            OpenObject object;
            object.addresses.id = tag.attribute("id").value_or(tag.attribute("name").value_or(""));
            object.flash = ContainsNoCase(tag.attribute("classid").value_or(""), "d27cdb6e") ||
                           IsFlashType(tag.attribute("type").value_or(""));
            if (const auto data = tag.attribute("data"); data && !data->empty()) {
                object.flash = object.flash || IsSwfAddress(*data);
                AddMovie(object.addresses, *data);
            }
            open.push_back(std::move(object));
        } else if (tag.end) {
            return true;
        } else if (tag.name == "param" && !open.empty()) {
            const std::string name = tag.attribute("name").value_or("");
            OpenObject& object = open.back();
            // Only the values that name files are decoded.
            if (EqualsNoCase(name, "movie") || EqualsNoCase(name, "src")) {
                const std::string value = tag.attribute("value").value_or("");
                if (!value.empty()) {
                    object.flash = object.flash || IsSwfAddress(value);
                    AddMovie(object.addresses, value);
                }
            } else if (EqualsNoCase(name, "flashvars")) {
                AddCompanions(object.addresses, tag.attribute("value").value_or(""));
            }
        } else if (tag.name == "embed") {
            const std::string src = tag.attribute("src").value_or("");
            const bool flash = IsSwfAddress(src) || IsFlashType(tag.attribute("type").value_or(""));
            // An EMBED inside an OBJECT is the same movie for other browsers.
            OpenObject own;
            OpenObject& object = open.empty() ? own : open.back();
            if (open.empty())
                object.addresses.id =
                    tag.attribute("id").value_or(tag.attribute("name").value_or(""));
            object.flash = object.flash || flash;
            if (flash && !src.empty())
                AddMovie(object.addresses, src);
            if (flash)
                AddCompanions(object.addresses, tag.attribute("flashvars").value_or(""));
            if (open.empty())
                close(own);
        } else if (tag.name == "script") {
            if (tag.attribute("id").value_or("") == "FLASHCheck1")
                result.detectionScript = true;
        } else if (tag.name == "base" && !baseSeen) {
            if (const auto href = tag.attribute("href")) {
                result.baseHref = *href;
                baseSeen = true;
            }
        }
        return true;
    });
    // OBJECTs whose end tag is missing end with the page.
    while (!open.empty()) {
        close(open.back());
        open.pop_back();
    }
    return result;
}

namespace {

// `bom`: the length of the page's byte order mark (in code units for a narrowed page).
std::size_t NarrowPlayerScriptOffset(std::string_view page, std::size_t bom) {
    std::size_t afterDoctype = std::string_view::npos;
    std::size_t afterHtml = std::string_view::npos;
    std::size_t afterHead = std::string_view::npos;
    std::size_t firstScript = std::string_view::npos;
    std::size_t afterCharset = std::string_view::npos; // a META in the head naming the charset
    bool sawOther = false;                             // a tag other than a doctype before it
    ForEachTag(page, [&](const Tag& tag) {
        if (afterHead != std::string_view::npos) {
            // In the head: the element goes after a charset declaration, which browsers look
            // for only in the first kilobyte of the page.
            if (tag.name == "script" && !tag.end) {
                firstScript = tag.start;
                return false;
            }
            if ((tag.name == "head" && tag.end) || tag.name == "body")
                return false;
            if (tag.name == "meta" && !tag.end &&
                (tag.attribute("charset") ||
                 EqualsNoCase(tag.attribute("http-equiv").value_or(""), "content-type")))
                afterCharset = tag.stop;
            return true;
        }
        if (tag.name == "!" && !sawOther && StartsNoCase(tag.text, 0, "<!doctype")) {
            afterDoctype = tag.stop;
            return true;
        }
        if (tag.end)
            return true;
        if (tag.name == "script") {
            firstScript = tag.start;
            return false;
        }
        if (tag.name == "html" && afterHtml == std::string_view::npos)
            afterHtml = tag.stop;
        if (tag.name == "head") {
            afterHead = tag.stop;
            return true;
        }
        if (tag.name == "body")
            return false; // a HEAD after the body's start is no head
        sawOther = true;
        return true;
    });
    std::size_t at = bom;
    if (afterCharset != std::string_view::npos)
        at = afterCharset;
    else if (afterHead != std::string_view::npos)
        at = afterHead;
    else if (afterHtml != std::string_view::npos)
        at = afterHtml;
    else if (afterDoctype != std::string_view::npos)
        at = afterDoctype;
    return std::min(at, firstScript);
}

} // namespace

std::size_t PlayerScriptOffset(std::string_view page) {
    const Utf16 utf16 = Utf16Of(page);
    if (utf16 == Utf16::No)
        return NarrowPlayerScriptOffset(page, page.starts_with("\xEF\xBB\xBF") ? 3 : 0);
    return 2 * NarrowPlayerScriptOffset(NarrowUtf16(page, utf16), 1);
}

std::string WithPlayerScript(std::string_view page, std::string_view element) {
    const Utf16 utf16 = Utf16Of(page);
    const std::size_t at = PlayerScriptOffset(page);
    std::string result;
    result.reserve(page.size() + 2 * element.size());
    result.append(page.substr(0, at));
    if (utf16 == Utf16::No) {
        result.append(element);
    } else {
        for (const char c : element) {
            if (utf16 == Utf16::LittleEndian) {
                result += c;
                result += '\0';
            } else {
                result += '\0';
                result += c;
            }
        }
    }
    result.append(page.substr(at));
    return result;
}

} // namespace tlx::publish
