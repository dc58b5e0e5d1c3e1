#pragma once
// The toolbar position file "mpos.dat" in the install folder: four lines, each a signed
// decimal integer followed by one line feed (no carriage return), in this order: the
// toolbar's Position, Left, Top and RowIndex.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tlx {

inline constexpr std::string_view ToolbarPositionFileName = "mpos.dat";

struct ToolbarPositionValues {
    std::int32_t Position = 0;
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t RowIndex = 0;
};

// What a position file restores: each value is set only when the file gave it.
struct RestoredToolbarPosition {
    std::optional<std::int32_t> Position;
    std::optional<std::int32_t> Left;
    std::optional<std::int32_t> Top;
    std::optional<std::int32_t> RowIndex;

    bool Empty() const { return !Position && !Left && !Top && !RowIndex; }
    friend bool operator==(const RestoredToolbarPosition&,
                           const RestoredToolbarPosition&) = default;
};

// The position file of an install folder; its name is matched without regard to letter case.
std::string ToolbarPositionPath(const std::string& installFolder);

// The values of a position file's bytes. Lines end at LF, CR or CR LF; lines after the fourth
// are ignored. A missing or blank line leaves its value unset. A line holding anything but a
// signed decimal integer (blanks around it allowed) makes the content unreadable, and then
// nothing is restored.
RestoredToolbarPosition ParseToolbarPosition(std::string_view bytes);
// The values of a position file; nothing when it is missing or cannot be read.
RestoredToolbarPosition ReadToolbarPositionFile(const std::string& path);

// The exact bytes of a position file, e.g. "1\n-4\n120\n0\n".
std::string ToolbarPositionBytes(const ToolbarPositionValues& values);
// Writes the file anew (replacing it in one step). False when it cannot be written.
bool WriteToolbarPositionFile(const std::string& path, const ToolbarPositionValues& values);

} // namespace tlx
