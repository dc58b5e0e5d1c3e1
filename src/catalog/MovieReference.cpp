#include "catalog/MovieReference.h"

#include "markup/FlashObject.h"

#include <algorithm>
#include <array>
#include <initializer_list>

namespace tlx {

namespace {

constexpr std::array<std::string_view, 6> kButtonKeys{"T1", "T2", "TC", "TU", "TW", "BS"};
constexpr std::array<std::string_view, 5> kHeadingKeys{"T1", "TC", "TU", "TW", "BM"};
constexpr std::array<std::string_view, 8> kIntroKeys{"TF", "TC", "TM", "TE",
                                                     "BM", "TS", "TU", "TW"};
constexpr std::array<std::string_view, 1> kMiscKeys{"CA"};

// FileName + "?" + the values under the kind's keys, in key order.
std::string Assemble(std::string_view fileName, std::span<const std::string_view> keys,
                     std::initializer_list<std::string_view> values) {
    std::string reference = EncodeFileNamePart(fileName);
    auto value = values.begin();
    for (std::size_t i = 0; i < keys.size(); ++i, ++value) {
        reference += i == 0 ? "?" : "&";
        reference += keys[i];
        reference += '=';
        reference += EncodeQueryValue(*value);
    }
    return reference;
}

// A byte of a character outside ASCII as its %XX escape: a typed text is UTF-8, so the escapes
// are the character's UTF-8 bytes, which the player decodes back whatever the page's encoding.
void AppendNonAscii(std::string& out, char c) {
    constexpr std::string_view kHex = "0123456789ABCDEF";
    const auto byte = static_cast<unsigned char>(c);
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

bool IsNonAscii(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

} // namespace

std::string EncodeNonAscii(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (IsNonAscii(c))
            AppendNonAscii(out, c);
        else
            out += c;
    }
    return out;
}

std::string EncodeQueryValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (const char c : value) {
        if (IsNonAscii(c))
            AppendNonAscii(out, c);
        else if (c == '%')
            out += "%25";
        else if (c == '&')
            out += "%26";
        else if (c == '+')
            out += "%2B";
        else
            out += c;
    }
    return out;
}

std::string EncodeFileNamePart(std::string_view fileName) {
    std::string out;
    out.reserve(fileName.size());
    for (const char c : fileName) {
        if (IsNonAscii(c))
            AppendNonAscii(out, c);
        else if (c == ' ')
            out += "%20";
        else
            out += c;
    }
    return out;
}

std::string_view KindCode(CreationKind kind) {
    switch (kind) {
    case CreationKind::Button:
        return "BT";
    case CreationKind::Heading:
        return "HD";
    case CreationKind::IntroMovie:
        return "MV";
    case CreationKind::MiscArt:
        return "CL";
    }
    return {};
}

std::string IdPrefix(CreationKind kind) {
    return "oKestrelite" + std::string(KindCode(kind));
}

std::span<const std::string_view> KeyOrder(CreationKind kind) {
    switch (kind) {
    case CreationKind::Button:
        return kButtonKeys;
    case CreationKind::Heading:
        return kHeadingKeys;
    case CreationKind::IntroMovie:
        return kIntroKeys;
    case CreationKind::MiscArt:
        return kMiscKeys;
    }
    return {};
}

std::string ColorDigits(std::string_view colorText) {
    return std::string(colorText.size() > 6 ? colorText.substr(colorText.size() - 6) : colorText);
}

std::string EncodeMovieReference(std::string_view reference, bool blanksAsPlus) {
    std::string out(reference);
    if (blanksAsPlus)
        std::replace(out.begin(), out.end(), ' ', '+');
    return EscapeQuotes(out);
}

std::string ButtonMovieReference(const ButtonParameters& p) {
    return EncodeMovieReference(
        Assemble(p.FileName, kButtonKeys, {p.T1, p.T2, ColorDigits(p.TextColor), p.TU, p.TW, p.BS}),
        true);
}

std::string HeadingMovieReference(const HeadingParameters& p) {
    return EncodeMovieReference(
        Assemble(p.FileName, kHeadingKeys, {p.T1, ColorDigits(p.TextColor), p.TU, p.TW, p.BM}),
        true);
}

std::string IntroMovieReference(const IntroMovieParameters& p) {
    return EncodeMovieReference(
        Assemble(p.FileName, kIntroKeys,
                 {p.TF, ColorDigits(p.TextColor), p.TM, p.TE, p.BM, p.TS, p.TU, p.TW}),
        true);
}

std::string MiscArtMovieReference(std::string_view fileName) {
    // The misc art reference keeps the blanks of its file name.
    return EncodeMovieReference(EncodeNonAscii(fileName) + "?CA=1", false);
}

} // namespace tlx
