#include "colour/OrlixLibColor.h"

#include "colour/ColourText.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

namespace tlx {
namespace {

using namespace OrlixLibColor;

HSLColor HSL(std::int32_t h, std::int32_t s, std::int32_t l) {
    return {h, s, l};
}

TEST(OrlixLibColor, RoundsHalvesToTheEvenNeighbour) {
    EXPECT_EQ(RoundEven(0.5), 0);
    EXPECT_EQ(RoundEven(1.5), 2);
    EXPECT_EQ(RoundEven(2.5), 2);
    EXPECT_EQ(RoundEven(-0.5), 0);
    EXPECT_EQ(RoundEven(-1.5), -2);
    EXPECT_EQ(RoundEven(-2.6), -3);
    EXPECT_EQ(RoundEven(119.53), 120);
    EXPECT_EQ(RoundEven(76.8), 77);
}

TEST(OrlixLibColor, ChannelsAndExtremes) {
    const std::int32_t c = RGB(0x12, 0x34, 0x56);
    EXPECT_EQ(c, 0x563412);
    EXPECT_EQ(RedOf(c), 0x12);
    EXPECT_EQ(GreenOf(c), 0x34);
    EXPECT_EQ(BlueOf(c), 0x56);
    EXPECT_EQ(MaxOf(3, {7, 5}), 7);
    EXPECT_EQ(MinOf(3, {7, 5}), 3);
    EXPECT_EQ(MinOf(9, {7, 5}), 5);
}

TEST(OrlixLibColor, RGBToHSLOfTheWorkedValues) {
    EXPECT_EQ(RGBToHSL(0), HSL(0, 0, 0));
    EXPECT_EQ(RGBToHSL(0xFFFFFF), HSL(0, 0, 239));
    EXPECT_EQ(RGBToHSL(RGB(128, 128, 128)), HSL(0, 0, 120));
    EXPECT_EQ(RGBToHSL(RGB(255, 0, 0)), HSL(0, 240, 120));
    EXPECT_EQ(RGBToHSL(RGB(0, 255, 0)), HSL(80, 240, 120));
    EXPECT_EQ(RGBToHSL(RGB(0, 0, 255)), HSL(160, 240, 120));
}

TEST(OrlixLibColor, RGBToHSLEdgeHuesAndSaturationBranches) {
    // Just below red on the wheel: a negative hue wraps to 235.
    EXPECT_EQ(RGBToHSL(RGB(255, 0, 32)), HSL(235, 240, 120));
    // A hue that rounds to -0 stays 0.
    EXPECT_EQ(RGBToHSL(RGB(255, 0, 1)).Hue, 0);
    EXPECT_EQ(RGBToHSL(RGB(255, 0, 255)), HSL(200, 240, 120));
    // Light colour: saturation from the upper branch, 240 * 55 / (512 - 455) = 231.57.
    EXPECT_EQ(RGBToHSL(RGB(255, 200, 200)), HSL(0, 232, 213));
    // Dark colour: lower branch, 40 / 60 * 240 = 160.
    EXPECT_EQ(RGBToHSL(RGB(50, 10, 10)), HSL(0, 160, 28));
}

TEST(OrlixLibColor, HSLToRGBOfTheWorkedValues) {
    EXPECT_EQ(HSLToRGB(HSL(0, 0, 240)), 0xFFFFFF); // 256 clamped to 255
    EXPECT_EQ(HSLToRGB(HSL(12, 240, 120)), RGB(255, 77, 0));
    EXPECT_EQ(HSLToRGB(HSL(0, 240, 225)), RGB(255, 224, 224));
    EXPECT_EQ(HSLToRGB(HSL(0, 240, 40)), RGB(85, 0, 0));
    EXPECT_EQ(HSLToRGB(HSL(0, 40, 40)), RGB(50, 35, 35));
    EXPECT_EQ(HSLToRGB(HSL(0, 0, 0)), 0);
    EXPECT_EQ(HSLToRGB(HSL(0, 0, 120)), RGB(128, 128, 128));
    // Hue 240 is red again.
    EXPECT_EQ(HSLToRGB(HSL(240, 240, 120)), HSLToRGB(HSL(0, 240, 120)));
}

TEST(OrlixLibColor, HueToRGBWrapsOnceEachWay) {
    EXPECT_EQ(HueToRGB(10, 200, -80), 10);  // 160: m1
    EXPECT_EQ(HueToRGB(10, 200, 320), 200); // 80: m2
    EXPECT_EQ(HueToRGB(10, 200, 240), 10);  // not above 240: m1
    EXPECT_EQ(HueToRGB(0, 240, 20), 120);   // rising edge
    EXPECT_EQ(HueToRGB(0, 240, 140), 120);  // falling edge
    EXPECT_EQ(HueToRGB(0, 240, 40), 240);
    EXPECT_EQ(HueToRGB(0, 240, 120), 240);
}

TEST(OrlixLibColor, NormalHuesGiveTheTabledColours) {
    struct Row {
        std::int32_t hue;
        const char* html;
    };
    const Row rows[] = {{0, "#FF0000"},   {12, "#FF4D00"},  {20, "#FF8000"},  {25, "#FFA000"},
                        {30, "#FFC000"},  {35, "#FFE000"},  {37, "#FFED00"},  {40, "#FFFF00"},
                        {110, "#00FFC0"}, {100, "#00FF80"}, {90, "#00FF40"},  {80, "#00FF00"},
                        {70, "#40FF00"},  {60, "#80FF00"},  {50, "#C0FF00"},  {45, "#E0FF00"},
                        {120, "#00FFFF"}, {125, "#00E0FF"}, {130, "#00C0FF"}, {140, "#0080FF"},
                        {150, "#0040FF"}, {160, "#0000FF"}, {170, "#4000FF"}, {180, "#8000FF"},
                        {230, "#FF0040"}, {220, "#FF0080"}, {210, "#FF00C0"}, {200, "#FF00FF"},
                        {195, "#E000FF"}, {190, "#C000FF"}, {185, "#A000FF"}};
    for (const Row& row : rows) {
        const std::int32_t c = HSLToRGB(HSL(row.hue, 240, 120));
        EXPECT_EQ(HTMLFromRGB(RedOf(c), GreenOf(c), BlueOf(c)), row.html) << "hue " << row.hue;
    }
}

TEST(OrlixLibColor, RoundTrips) {
    // Every fully saturated hue at middle luminance comes back exactly.
    for (std::int32_t h = 0; h < 240; ++h)
        EXPECT_EQ(RGBToHSL(HSLToRGB(HSL(h, 240, 120))), HSL(h, 240, 120)) << "hue " << h;
    // Greys stay grey and move by at most one step.
    for (std::int32_t v = 0; v < 256; ++v) {
        const std::int32_t back = HSLToRGB(RGBToHSL(RGB(v, v, v)));
        EXPECT_EQ(RedOf(back), GreenOf(back));
        EXPECT_EQ(GreenOf(back), BlueOf(back));
        EXPECT_LE(std::abs(RedOf(back) - v), 1) << "grey " << v;
    }
    // Any colour comes back within the resolution of the 0..240 scale.
    for (std::int32_t c = 0; c < 0x1000000; c += 4099) {
        const std::int32_t back = HSLToRGB(RGBToHSL(c));
        EXPECT_LE(std::abs(RedOf(back) - RedOf(c)), 5) << std::hex << c;
        EXPECT_LE(std::abs(GreenOf(back) - GreenOf(c)), 5) << std::hex << c;
        EXPECT_LE(std::abs(BlueOf(back) - BlueOf(c)), 5) << std::hex << c;
    }
}

TEST(ColourText, WhatRGBOfTheWorkedValues) {
    EXPECT_EQ(WhatRGB("#FF00FF"), RGB(255, 0, 255));
    EXPECT_EQ(WhatRGB("FF0000"), RGB(255, 0, 0));
    EXPECT_EQ(WhatRGB("#ff0000"), 0);                      // lower-case digits count as 0
    EXPECT_EQ(WhatRGB("#FFFF"), 0);                        // five characters or fewer
    EXPECT_EQ(WhatRGB("ABCDEFGH"), 0xCDAB);                // blue "GH" is 0
    EXPECT_EQ(WhatRGB("AB99CDEF"), RGB(0xAB, 0x99, 0xEF)); // middle surplus ignored
    EXPECT_EQ(WhatRGB("xx#123456"), RGB(0, 0x01, 0x56));   // "#" counts only in front
    EXPECT_EQ(WhatRGB("###1A2B3C"), RGB(0x1A, 0x2B, 0x3C));
    EXPECT_EQ(WhatRGB(""), 0);
    EXPECT_EQ(WhatRGB("#FF8000"), RGB(255, 128, 0));
    EXPECT_EQ(WhatRGB("#ff8000"), RGB(0, 128, 0));
}

TEST(ColourText, HexDigitValueKnowsOnlyDigitsAndCapitals) {
    EXPECT_EQ(HexDigitValue('0'), 0);
    EXPECT_EQ(HexDigitValue('9'), 9);
    EXPECT_EQ(HexDigitValue('A'), 10);
    EXPECT_EQ(HexDigitValue('F'), 15);
    EXPECT_EQ(HexDigitValue('f'), 0);
    EXPECT_EQ(HexDigitValue('G'), 0);
    EXPECT_EQ(HexDigitValue('\xFF'), 0);
}

TEST(ColourText, HTMLFromRGBPadsToTwoUpperCaseDigits) {
    EXPECT_EQ(HTMLFromRGB(1, 2, 3), "#010203");
    EXPECT_EQ(HTMLFromRGB(255, 255, 255), "#FFFFFF");
    EXPECT_EQ(HTMLFromRGB(0, 0, 0), "#000000");
    EXPECT_EQ(HTMLFromRGB(171, 205, 239), "#ABCDEF");
    for (std::int32_t c : {0, 0x123456, 0xFFFFFF, 0x00FF80})
        EXPECT_EQ(WhatRGB(HTMLFromRGB(RedOf(c), GreenOf(c), BlueOf(c))), c);
}

} // namespace
} // namespace tlx
