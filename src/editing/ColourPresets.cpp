#include "editing/ColourPresets.h"

#include "colour/OrlixLibColor.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace tlx {

namespace {

namespace fs = std::filesystem;

// The text between the first `start` and the next `end` after it, or empty (the markers
// used here have no letters, so letter case does not matter).
std::string_view Between(std::string_view source, std::string_view start, std::string_view end) {
    const std::size_t s = source.find(start);
    if (s == std::string_view::npos)
        return {};
    const std::size_t from = s + start.size();
    const std::size_t e = source.find(end, from);
    if (e == std::string_view::npos)
        return {};
    return source.substr(from, e - from);
}

// Lines end at CR, CR LF or a lone LF; a final line end does not start another line.
std::vector<std::string_view> Lines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        lines.push_back(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines.push_back(bytes.substr(start));
    return lines;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

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
    const fs::path folder(installFolder);
    std::error_code ec;
    if (fs::exists(folder / ColourPresetsFileName, ec))
        return (folder / ColourPresetsFileName).string();
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (SameNameIgnoringCase(name, ColourPresetsFileName))
            return it->path().string();
    }
    return (folder / ColourPresetsFileName).string();
}

std::vector<ColourPreset> ParseColourPresets(std::string_view bytes) {
    std::vector<ColourPreset> presets;
    for (std::string_view line : Lines(bytes)) {
        const std::string_view name = Between(line, "[", "]");
        const std::string_view value = Between(line, "-+", "+-");
        if (!name.empty() && !value.empty())
            presets.push_back({std::string(name), std::string(value)});
    }
    return presets;
}

std::vector<ColourPreset> ReadColourPresets(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ParseColourPresets(bytes);
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

    std::string text;
    {
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        if (!in)
            return PresetSaveResult::Failed;
        const std::streamoff size = in.tellg();
        if (size > 0) {
            in.seekg(-1, std::ios::end);
            char last = 0;
            if (!in.get(last))
                return PresetSaveResult::Failed;
            if (last != '\r' && last != '\n')
                text = "\r\n";
        }
    }
    text += ColourPresetLine(name, red, green, blue);
    text += "\r\r\n";

    std::ofstream out(path, std::ios::binary | std::ios::app);
    if (!out)
        return PresetSaveResult::Failed;
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return out ? PresetSaveResult::Saved : PresetSaveResult::Failed;
}

PresetWeightings WeightingsOfPreset(std::string_view valueText) {
    PresetWeightings w;
    w.Blue = Weighting(Between(valueText, "<", ">"));
    w.Red = Weighting(Between(valueText, "(", ")"));
    w.Green = Weighting(Between(valueText, "{", "}"));
    return w;
}

} // namespace tlx
