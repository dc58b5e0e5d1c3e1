#pragma once
// Colour arithmetic: conversions between RGB colours (red in bits 0-7, green in bits 8-15, blue
// in bits 16-23) and hue/saturation/luminance triples on a 0..240 scale.
//
// The rounding is part of the contract: every palette colour, stored palette file and colour
// text depends on it, so the formulas keep their exact order of operations.

#include <cstdint>
#include <initializer_list>

namespace tlx {

// Hue 0 red, 40 yellow, 80 green, 120 cyan, 160 blue, 200 magenta (240 is 0 again);
// saturation 0 is a grey; luminance 0 black, 240 white.
struct HSLColor {
    std::int32_t Hue = 0;
    std::int32_t Saturation = 0;
    std::int32_t Luminance = 0;

    friend bool operator==(const HSLColor&, const HSLColor&) = default;
};

namespace OrlixLibColor {

// The integer nearest to x; an exact half goes to the even neighbour.
std::int32_t RoundEven(double x);

std::int32_t RedOf(std::int32_t colour);
std::int32_t GreenOf(std::int32_t colour);
std::int32_t BlueOf(std::int32_t colour);

// The largest (smallest) of `first` and `list`, replacing only on strictly greater (smaller).
std::int32_t MaxOf(std::int32_t first, std::initializer_list<std::int32_t> list);
std::int32_t MinOf(std::int32_t first, std::initializer_list<std::int32_t> list);

// The scale uses 512 where a 0..255 colour would suggest 510: white gives luminance 239.
HSLColor RGBToHSL(std::int32_t colour);
// Channels are scaled by 256/240 and clamped to 0..255.
std::int32_t HSLToRGB(const HSLColor& hsl);
// One channel of HSLToRGB before scaling.
std::int32_t HueToRGB(std::int32_t m1, std::int32_t m2, std::int32_t hue);

// red + 256 * green + 65536 * blue.
constexpr std::int32_t RGB(std::int32_t red, std::int32_t green, std::int32_t blue) {
    return red + 256 * green + 65536 * blue;
}

} // namespace OrlixLibColor
} // namespace tlx
