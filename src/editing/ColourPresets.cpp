#include "editing/ColourPresets.h"

#include "colour/OrlixLibColor.h"
#include "markup/TextHelpers.h"
#include "platform/FileUtil.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

namespace tlx {

namespace {

namespace fs = std::filesystem;

// The number at the start of a text: blanks, a sign, digits, a fraction, an exponent.
double LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    const std::size_t begin = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const std::size_t digitsFrom = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
        ++i;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
            ++i;
    }
    if (i == digitsFrom || (i == digitsFrom + 1 && text[digitsFrom] == '.'))
        return 0.0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) {
            while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j])))
                ++j;
            i = j;
        }
    }
    const std::string number(text.substr(begin, i - begin));
    const double value = std::strtod(number.c_str(), nullptr);
    return std::isfinite(value) ? value : (value > 0 ? 1e9 : -1e9);
}

std::int32_t Weighting(std::string_view field) {
    const double v = std::clamp(LeadingNumber(field), -100.0, 100.0);
    return OrlixLibColor::RoundEven(v);
}

} // namespace

std::string ColourPresetsPath(const std::string& installFolder) {
    return ResolveNoCase(installFolder, std::string(ColourPresetsFileName)).string();
}

std::vector<ColourPreset> ParseColourPresets(std::string_view bytes) {
    std::vector<ColourPreset> presets;
    for (std::string_view line : SplitLines(bytes)) {
        std::string name = TextBetween(line, "[", "]");
        std::string value = TextBetween(line, "-+", "+-");
        if (!name.empty() && !value.empty())
            presets.push_back({std::move(name), std::move(value)});
    }
    return presets;
}

std::vector<ColourPreset> ReadColourPresets(const std::string& path) {
    const auto bytes = ReadFileBytes(path);
    return bytes ? ParseColourPresets(*bytes) : std::vector<ColourPreset>{};
}

std::string ColourPresetLine(std::string_view name, std::string_view red, std::string_view green,
                             std::string_view blue) {
    std::string safeName(name);
    std::replace_if(
        safeName.begin(), safeName.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    std::string line = "[" + safeName + "]-+(";
    line.append(red).append("){").append(green).append("}<").append(blue).append(">+-");
    return line;
}

PresetSaveResult AppendColourPreset(const std::string& path, std::string_view name,
                                    std::string_view red, std::string_view green,
                                    std::string_view blue) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        return PresetSaveResult::NoPresetsFile;

    // The whole file is written anew with the line appended, in one step: a failed save leaves
    // the presets as they were instead of a half-written last line.
    Result<std::string> text = ReadFileBytes(path);
    if (!text)
        return PresetSaveResult::Failed;
    if (!text->empty() && text->back() != '\r' && text->back() != '\n')
        *text += "\r\n";
    *text += ColourPresetLine(name, red, green, blue);
    *text += "\r\r\n";
    return WriteFileAtomically(path, *text) ? PresetSaveResult::Saved : PresetSaveResult::Failed;
}

PresetWeightings WeightingsOfPreset(std::string_view valueText) {
    PresetWeightings w;
    w.Blue = Weighting(TextBetween(valueText, "<", ">"));
    w.Red = Weighting(TextBetween(valueText, "(", ")"));
    w.Green = Weighting(TextBetween(valueText, "{", "}"));
    return w;
}

} // namespace tlx
