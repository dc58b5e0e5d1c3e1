#include "colour/ColourText.h"

#include "colour/OrlixLibColor.h"

namespace tlx {

std::int32_t HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 0;
}

namespace {

std::int32_t PairValue(char high, char low) {
    return HexDigitValue(high) * 16 + HexDigitValue(low);
}

std::string HexOf(std::int32_t value) {
    static constexpr char digits[] = "0123456789ABCDEF";
    auto v = static_cast<std::uint32_t>(value);
    std::string text;
    do {
        text.insert(text.begin(), digits[v & 0xF]);
        v >>= 4;
    } while (v != 0);
    if (text.size() == 1)
        text.insert(text.begin(), '0');
    return text;
}

} // namespace

std::int32_t WhatRGB(std::string_view text) {
    if (text.size() <= 5)
        return 0;
    if (text.front() == '#')
        text = text.substr(text.size() - 6);
    const std::size_t n = text.size();
    const std::int32_t red = PairValue(text[0], text[1]);
    const std::int32_t green = PairValue(text[2], text[3]);
    const std::int32_t blue = PairValue(text[n - 2], text[n - 1]);
    return OrlixLibColor::RGB(red, green, blue);
}

std::string HTMLFromRGB(std::int32_t red, std::int32_t green, std::int32_t blue) {
    return "#" + HexOf(red) + HexOf(green) + HexOf(blue);
}

} // namespace tlx
