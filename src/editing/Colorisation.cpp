#include "editing/Colorisation.h"

#include "markup/MarkupReader.h"
#include "markup/TextHelpers.h"
#include "platform/FileUtil.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace tlx {

namespace {

using std::string_view_literals::operator""sv;

constexpr std::array kTpKeys = {"T1"sv, "CWR"sv, "CWG"sv, "CWB"sv, "TC"sv,  "TM"sv,  "LM"sv,
                                "RM"sv, "XS"sv,  "YS"sv,  "XST"sv, "YST"sv, "LS"sv,  "LNS"sv,
                                "IW"sv, "IH"sv,  "FO"sv,  "RT"sv,  "SP"sv,  "QAF"sv, "BD"sv};
constexpr std::array kMmKeys = {"TF"sv, "CWR"sv, "CWG"sv, "CWB"sv, "TC"sv,
                                "BM"sv, "BS"sv,  "MS"sv,  "BI"sv};
constexpr std::array kSsKeys = {"BD"sv, "EF"sv, "T2"sv, "CWR"sv, "CWG"sv, "CWB"sv};
constexpr std::array kMvKeys = {"TF"sv, "TU"sv, "TW"sv,  "BM"sv,  "TM"sv, "TE"sv,
                                "TC"sv, "TS"sv, "CWR"sv, "CWG"sv, "CWB"sv};
constexpr std::array kBtKeys = {"T1"sv, "T2"sv,  "TU"sv,  "TW"sv, "BS"sv,
                                "TC"sv, "CWR"sv, "CWG"sv, "CWB"sv};
constexpr std::array kHdKeys = {"T1"sv, "TU"sv, "TW"sv, "BM"sv, "TC"sv, "CWR"sv, "CWG"sv, "CWB"sv};

bool IsKeyChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

// Whether a value ends at `at`: the end of the text, or a character that cannot be part of a
// parameter value in markup.
bool ValueEndsAt(std::string_view text, std::size_t at) {
    if (at >= text.size())
        return true;
    const char c = text[at];
    return c == '&' || c == '"' || c == '\'' || c == '>' || c == ' ' || c == '\t' || c == '\r' ||
           c == '\n';
}

// `text` with every whole "key=old" (letter case ignored) replaced by "key=value".
std::string ReplaceWholeValue(std::string_view text, std::string_view key, std::string_view old,
                              std::string_view value) {
    const std::string find = std::string(key) + "=" + std::string(old);
    const std::string replacement = std::string(key) + "=" + std::string(value);
    std::string result;
    std::size_t from = 0;
    for (std::size_t at; (at = FindNoCase(text, find, from)) != std::string_view::npos;) {
        const bool whole =
            (at == 0 || !IsKeyChar(text[at - 1])) && ValueEndsAt(text, at + find.size());
        result.append(text.substr(from, at - from));
        result += whole ? replacement : std::string(text.substr(at, find.size()));
        from = at + find.size();
    }
    result.append(text.substr(from));
    return result;
}

// Whether the movie reference holds the key at all (as QueryValue searches it).
bool HoldsKey(std::string_view movieRef, std::string_view key) {
    const std::string s = ReplaceText(ReplaceText(movieRef, "+", " "), "&amp;", "&");
    return s.find(std::string(key) + "=") != std::string::npos;
}

} // namespace

std::span<const std::string_view> ColorisationKeys(std::string_view id) {
    const std::string_view kind = id.substr(0, 13);
    if (kind == "oKestreliteTP")
        return kTpKeys;
    if (kind == "oKestreliteMM" || kind == "oKestreliteSM")
        return kMmKeys;
    if (kind == "oKestreliteSS")
        return kSsKeys;
    if (kind == "oKestreliteMV")
        return kMvKeys;
    if (kind == "oKestreliteBT")
        return kBtKeys;
    if (kind == "oKestreliteHD")
        return kHdKeys;
    return {};
}

Weightings WeightingsOf(std::string_view movieRef) {
    return {QueryValue("CWR", movieRef), QueryValue("CWG", movieRef), QueryValue("CWB", movieRef)};
}

std::string ApplyWeightings(std::string_view outerMarkup, std::string_view movieRef,
                            const Weightings& weightings) {
    std::string markup = PlainAmpersands(outerMarkup);
    const std::string* values[] = {&weightings.Red, &weightings.Green, &weightings.Blue};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string_view key = kWeightingKeys[i];
        if (!HoldsKey(movieRef, key))
            continue;
        markup = ReplaceWholeValue(markup, key, QueryValue(key, movieRef), *values[i]);
    }
    return markup;
}

ColorisationPreview ColorisationPreviewOf(std::string_view id, std::string_view outerMarkup,
                                          std::string_view movieRef, const Weightings& weightings) {
    ColorisationPreview preview;
    // The movie file: the reference's part up to ".swf", else what follows the markup's first
    // double quote; only its bare name counts in the library.
    std::string file;
    if (const std::size_t swf = FindNoCase(movieRef, ".swf"); swf != std::string_view::npos)
        file = std::string(movieRef.substr(0, swf));
    else
        file = TextBetween(outerMarkup, "\"", ".swf");
    if (const std::size_t slash = file.find_last_of("/\\"); slash != std::string::npos)
        file.erase(0, slash + 1);
    preview.MovieFile = PercentDecoded(ReplaceText(file, "+", " ")) + ".swf";
    for (const std::string_view key : ColorisationKeys(id))
        preview.Variables.emplace_back(std::string(key), QueryValue(key, movieRef));
    preview.Variables.emplace_back("CWR", weightings.Red);
    preview.Variables.emplace_back("CWG", weightings.Green);
    preview.Variables.emplace_back("CWB", weightings.Blue);
    return preview;
}

std::string PlainAmpersands(std::string_view text) {
    return ReplaceText(text, "&amp;", "&");
}

int SliderValueOf(std::string_view label) {
    std::size_t i = 0;
    while (i < label.size() && label[i] == ' ')
        ++i;
    bool negative = false;
    if (i < label.size() && (label[i] == '-' || label[i] == '+'))
        negative = label[i++] == '-';
    long value = 0;
    while (i < label.size() && label[i] >= '0' && label[i] <= '9' && value < 1000)
        value = value * 10 + (label[i++] - '0');
    if (negative)
        value = -value;
    return static_cast<int>(std::clamp(value, -100L, 100L));
}

} // namespace tlx
