#pragma once
// Colour texts: "#" and six hexadecimal digits RRGGBB, the form written into markup.

#include <cstdint>
#include <string>
#include <string_view>

namespace tlx {

// 0..15 for "0".."9" and the capital letters "A".."F"; any other character (lower-case letters
// included) counts as 0.
std::int32_t HexDigitValue(char c);

// The colour of a colour text. Texts of five characters or fewer are black. With a leading "#"
// only the last six characters count; otherwise red is the first pair, green the third and
// fourth characters and blue the last pair (anything between is ignored).
std::int32_t WhatRGB(std::string_view text);

// "#" followed by each channel in upper-case hexadecimal, at least two digits each.
std::string HTMLFromRGB(std::int32_t red, std::int32_t green, std::int32_t blue);

} // namespace tlx
