// The colour presets reader: every preset read has a name and a value text, and its
// weightings are within the sliders' range.

#include "editing/ColourPresets.h"
#include "fuzz/FuzzSupport.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const tlx::ColourPreset& preset : tlx::ParseColourPresets(bytes)) {
        FUZZ_CHECK(!preset.Name.empty() && !preset.ValueText.empty(), std::string(bytes));
        const tlx::PresetWeightings w = tlx::WeightingsOfPreset(preset.ValueText);
        for (const int value : {w.Red, w.Green, w.Blue})
            FUZZ_CHECK(value >= -100 && value <= 100, preset.ValueText);
        const std::string line = tlx::ColourPresetLine(preset.Name, "1", "2", "3");
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos, line);
    }
    return 0;
}
