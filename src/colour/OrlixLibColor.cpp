#include "colour/OrlixLibColor.h"

#include <cmath>

namespace tlx::OrlixLibColor {

std::int32_t RoundEven(double x) {
    double whole = std::floor(x);
    const double fraction = x - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    return static_cast<std::int32_t>(whole);
}

std::int32_t RedOf(std::int32_t colour) {
    return colour & 0xFF;
}
std::int32_t GreenOf(std::int32_t colour) {
    return (colour >> 8) & 0xFF;
}
std::int32_t BlueOf(std::int32_t colour) {
    return (colour >> 16) & 0xFF;
}

std::int32_t MaxOf(std::int32_t first, std::initializer_list<std::int32_t> list) {
    std::int32_t result = first;
    for (std::int32_t v : list)
        if (v > result)
            result = v;
    return result;
}

std::int32_t MinOf(std::int32_t first, std::initializer_list<std::int32_t> list) {
    std::int32_t result = first;
    for (std::int32_t v : list)
        if (v < result)
            result = v;
    return result;
}

HSLColor RGBToHSL(std::int32_t colour) {
    const std::int32_t r = RedOf(colour);
    const std::int32_t g = GreenOf(colour);
    const std::int32_t b = BlueOf(colour);
    const std::int32_t max = MaxOf(r, {g, b});
    const std::int32_t min = MinOf(r, {g, b});

    HSLColor hsl;
    hsl.Luminance = RoundEven(static_cast<double>(max + min) / 512.0 * 240.0);
    if (max == min)
        return hsl;

    const std::int32_t delta = max - min;
    if (hsl.Luminance <= 120)
        hsl.Saturation = RoundEven(static_cast<double>(delta) / (max + min) * 240.0);
    else
        hsl.Saturation = RoundEven(static_cast<double>(delta * 240) / (512 - (max + min)));

    const double dR = static_cast<double>(max - r) / delta * 240.0 / 6.0;
    const double dG = static_cast<double>(max - g) / delta * 240.0 / 6.0;
    const double dB = static_cast<double>(max - b) / delta * 240.0 / 6.0;
    double h;
    if (max == r)
        h = dB - dG;
    else if (max == g)
        h = 80.0 + dR - dB;
    else
        h = 160.0 + dG - dR;
    hsl.Hue = RoundEven(h);
    if (hsl.Hue < 0)
        hsl.Hue += 240;
    return hsl;
}

std::int32_t HueToRGB(std::int32_t m1, std::int32_t m2, std::int32_t hue) {
    if (hue < 0)
        hue += 240;
    if (hue > 240)
        hue -= 240;
    if (hue < 40)
        return RoundEven(m1 + static_cast<double>((m2 - m1) * hue) / 240.0 * 6.0);
    if (hue < 120)
        return m2;
    if (hue < 160)
        return RoundEven(m1 + static_cast<double>((m2 - m1) * (160 - hue)) / 240.0 * 6.0);
    return m1;
}

namespace {

std::int32_t ScaleChannel(std::int32_t value) {
    const std::int32_t scaled = RoundEven(static_cast<double>(value * 256) / 240.0);
    if (scaled >= 255)
        return 255;
    if (scaled < 0)
        return 0;
    return scaled;
}

} // namespace

std::int32_t HSLToRGB(const HSLColor& hsl) {
    const std::int32_t h = hsl.Hue;
    const std::int32_t s = hsl.Saturation;
    const std::int32_t l = hsl.Luminance;
    std::int32_t r, g, b;
    if (s == 0) {
        r = g = b = ScaleChannel(l);
    } else {
        const std::int32_t m2 =
            l <= 120 ? RoundEven(static_cast<double>((s + 240) * l) / 240.0)
                     : RoundEven(static_cast<double>(l + s) - static_cast<double>(s * l) / 240.0);
        const std::int32_t m1 = 2 * l - m2;
        r = ScaleChannel(HueToRGB(m1, m2, h + 80));
        g = ScaleChannel(HueToRGB(m1, m2, h));
        b = ScaleChannel(HueToRGB(m1, m2, h - 80));
    }
    return RGB(r, g, b);
}

} // namespace tlx::OrlixLibColor
