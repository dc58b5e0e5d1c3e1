#pragma once
// Colour weighting presets of the colorisation filter, kept in "cpresets.kqz" in the install
// folder. A preset line is "[" name "]" "-+" "(" red "){" green "}<" blue ">" "+-", for example
// [Warm]-+(40){10}<-20>+-; the text between "-+" and "+-" is the preset's value text. The
// dialog appends lines to an existing file and never creates it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tlx {

inline constexpr std::string_view ColourPresetsFileName = "cpresets.kqz";

struct ColourPreset {
    std::string Name;
    std::string ValueText;

    friend bool operator==(const ColourPreset&, const ColourPreset&) = default;
};

// Weightings of a preset, each a whole number from -100 to 100.
struct PresetWeightings {
    std::int32_t Red = 0;
    std::int32_t Green = 0;
    std::int32_t Blue = 0;

    friend bool operator==(const PresetWeightings&, const PresetWeightings&) = default;
};

// The presets file of an install folder; its name is matched without regard to letter case.
std::string ColourPresetsPath(const std::string& installFolder);

// The presets of a file's bytes, in file order. Lines end at CR, CR LF or LF; a line counts
// when both its name (between "[" and "]") and its value text (between "-+" and "+-") are
// non-empty.
std::vector<ColourPreset> ParseColourPresets(std::string_view bytes);
// The presets of a file; none when it is missing or cannot be read.
std::vector<ColourPreset> ReadColourPresets(const std::string& path);

// The line for a preset, from the name and the three weighting captions. Line breaks in the
// name become blanks, so a name can never split the line.
std::string ColourPresetLine(std::string_view name, std::string_view red, std::string_view green,
                             std::string_view blue);

enum class PresetSaveResult { Saved, NoPresetsFile, Failed };

// Appends a preset line followed by CR and CR LF to an existing presets file. A file whose
// last line has no line end gets CR LF first, so the new preset is not joined to it.
PresetSaveResult AppendColourPreset(const std::string& path, std::string_view name,
                                    std::string_view red, std::string_view green,
                                    std::string_view blue);

// The weightings of a value text: red is the number at the start of the text between "(" and
// ")", green of "{" "}", blue of "<" ">" (0 when there is no number). A fraction goes to the
// nearest whole number (a half to the even one) and values beyond -100..100 to the nearest
// end, since the sliders take no other values.
PresetWeightings WeightingsOfPreset(std::string_view valueText);

} // namespace tlx
