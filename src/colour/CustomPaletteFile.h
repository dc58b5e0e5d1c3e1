#pragma once
// Custom palette files (".oxp"): no header, 32 records of 16 bytes, one per custom slot in
// slot order; each record is four little-endian 32-bit integers: colour (red in the low
// byte), hue, saturation, luminance. Names and flags of the slots are not stored.

#include "colour/ColourPalettes.h"
#include "platform/Result.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tlx {

class Platform;

struct PaletteRecord {
    std::int32_t Color = 0;
    HSLColor HSL;

    friend bool operator==(const PaletteRecord&, const PaletteRecord&) = default;
};

inline constexpr std::size_t PaletteRecordSize = 16;
inline constexpr std::size_t PaletteRecordCount = 32;
inline constexpr std::size_t PaletteFileSize = PaletteRecordSize * PaletteRecordCount;

using PaletteRecords = std::array<PaletteRecord, PaletteRecordCount>;

// The 512 bytes of a palette file for `custom` (slots it lacks are written as zero records).
std::string EncodeCustomPalette(const std::vector<PaletteEntry>& custom);

// The records of a palette file, or a failure saying why when the bytes are not a whole
// palette: fewer than 32 records, or a record whose colour is outside 0..0xFFFFFF or whose
// hue, saturation or luminance is outside 0..240. Bytes after the 32nd record are ignored.
Result<PaletteRecords> DecodeCustomPalette(std::string_view bytes);

// The file name a palette is saved under: ".oxp" is appended unless the name already ends in
// exactly ".oxp"; a name ending in "." gets "oxp".
std::string CustomPaletteFileName(std::string chosen);

// Writes the 32 records at the start of the file, keeping any bytes an existing file holds
// after them. The file is replaced in one step, so a failed save leaves the old file whole.
// False when the file cannot be written.
bool WriteCustomPaletteFile(const std::string& path, const std::vector<PaletteEntry>& custom);

// Reads a palette file whole; a failure saying why when it cannot be read or is damaged.
Result<PaletteRecords> ReadCustomPaletteFile(const std::string& path);

// Gives each custom slot the colour and HSL of its record; names and flags stay.
void ApplyPaletteRecords(const PaletteRecords& records, std::vector<PaletteEntry>& custom);

// "Save Custom": asks for a file name in the install folder and writes the custom palette.
// A failure is reported in a message; cancelling does nothing. Always 0.
std::int32_t SaveCustPal(Platform& platform, const std::string& installFolder,
                         const ColourPalettes& palettes);

// "Load Custom": asks for a palette file in the install folder and loads it into the custom
// slots, all or nothing: a file that cannot be read or is not a whole palette is reported and
// leaves the palette as it was. `CustomHues` is not changed. Always 0.
std::int32_t LoadCustPal(Platform& platform, const std::string& installFolder,
                         ColourPalettes& palettes);

} // namespace tlx
