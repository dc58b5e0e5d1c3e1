#include "colour/ColourPalettes.h"

#include "colour/ColourText.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace tlx {
namespace {

using namespace OrlixLibColor;

std::string Html(std::int32_t c) {
    return HTMLFromRGB(RedOf(c), GreenOf(c), BlueOf(c));
}

TEST(ColourPalettes, NewPalettesShowNormalAndGreys) {
    const ColourPalettes p;
    EXPECT_EQ(p.PalType, "Normal");
    ASSERT_EQ(p.MainPalette.size(), 32u);
    EXPECT_EQ(p.MainLast, 31);
    for (std::size_t i = 0; i < 31; ++i) {
        const PaletteEntry& e = p.MainPalette[i];
        EXPECT_EQ(e.Name, NormalNames[i]);
        EXPECT_EQ(e.HSL, (HSLColor{HueList[i], 240, 120}));
        EXPECT_EQ(e.Color, HSLToRGB(e.HSL));
        EXPECT_TRUE(e.InMainGrid && e.IsHue && e.IsValid);
    }
    EXPECT_EQ(p.MainPalette[1].Color, RGB(255, 77, 0));
    EXPECT_EQ(p.MainPalette[8].Name, "Turquoise");
    EXPECT_EQ(Html(p.MainPalette[8].Color), "#00FFC0");

    const PaletteEntry& white = p.MainPalette[31];
    EXPECT_EQ(white.Name, "White");
    EXPECT_EQ(white.Color, 0xFFFFFF);
    EXPECT_EQ(white.HSL, (HSLColor{0, 0, 240})); // stored as built, not 239
    EXPECT_FALSE(white.IsHue);

    // The base is the entry nearest to black, the empty entry: the shade grid shows greys.
    EXPECT_FALSE(p.BaseEntry.IsValid);
    ASSERT_EQ(p.ShadePalette.size(), 48u);
    EXPECT_EQ(p.ShadeLast, 47);
    EXPECT_EQ(p.ShadePalette[0].Name, "White");
    EXPECT_EQ(p.ShadePalette[47].Name, "Black");

    ASSERT_EQ(p.CustomPalette.size(), 32u);
    EXPECT_EQ(p.CustomPalette[5].Name, "Custom");
    EXPECT_EQ(p.CustomPalette[5].Color, p.MainPalette[5].Color);
    EXPECT_EQ(p.CustomPalette[31].Color, white.Color);
    EXPECT_EQ(p.CustomPalette[31].HSL, white.HSL);
    EXPECT_EQ(p.CustomPalette[31].Name, "White");
}

TEST(ColourPalettes, GreyShades) {
    ColourPalettes p;
    p.BaseEntry = p.MainPalette[31];
    p.BuildShadePalette();
    const std::int32_t column1[] = {255, 224, 192, 160, 128, 96, 64, 32};
    const char* names[] = {"White", "Silver",    "Chrome",   "Titanium",
                           "Grey",  "Dark Grey", "Charcoal", "Pitch"};
    for (int r = 0; r < 8; ++r) {
        EXPECT_EQ(p.ShadePalette[r].Color, RGB(column1[r], column1[r], column1[r])) << r;
        EXPECT_EQ(p.ShadePalette[r].Name, names[r]);
        EXPECT_EQ(p.ShadePalette[40 + r].Name, r == 7 ? "Black" : names[r]);
    }
    // Column 6 is 25 darker; its last cell is black, not 5, 5, 5.
    EXPECT_EQ(p.ShadePalette[40].HSL, (HSLColor{0, 0, 215}));
    EXPECT_EQ(p.ShadePalette[46].HSL, (HSLColor{0, 0, 35}));
    EXPECT_EQ(p.ShadePalette[47].HSL, (HSLColor{0, 0, 0}));
    EXPECT_EQ(p.ShadePalette[47].Color, 0);
    for (const PaletteEntry& e : p.ShadePalette)
        EXPECT_TRUE(!e.InMainGrid && !e.IsHue && e.IsValid);
}

TEST(ColourPalettes, ShadesOfAHue) {
    ColourPalettes p;
    p.BaseEntry = p.MainPalette[0]; // Red
    p.BuildShadePalette();
    const PaletteEntry& faint = p.ShadePalette[0];
    EXPECT_EQ(faint.Name, "Faint Red");
    EXPECT_EQ(faint.HSL, (HSLColor{0, 240, 225}));
    EXPECT_EQ(faint.Color, RGB(255, 224, 224));
    EXPECT_EQ(p.ShadePalette[3].Name, "Red"); // row 4 has no prefix
    EXPECT_EQ(p.ShadePalette[7].Name, "Pitch Red");
    EXPECT_EQ(p.ShadePalette[7].Color, RGB(85, 0, 0));
    EXPECT_EQ(p.ShadePalette[47].HSL, (HSLColor{0, 40, 40}));
    EXPECT_EQ(p.ShadePalette[47].Color, RGB(50, 35, 35));
    EXPECT_EQ(p.ShadePalette[47].Name, "Pitch Red");
    EXPECT_EQ(p.ShadePalette[9].HSL.Saturation, 200); // column 2
    EXPECT_TRUE(p.ShadePalette[9].IsHue);

    p.BaseEntry = p.CustomPalette[21];
    p.BuildShadePalette();
    EXPECT_EQ(p.ShadePalette[7].Name, "Pitch Custom");
    EXPECT_EQ(p.ShadePalette[7].HSL.Hue, 160);
}

TEST(ColourPalettes, CellsRunDownTheColumns) {
    ColourPalettes p;
    EXPECT_EQ(p.MainPalette[0].CellRect, (PaletteRect{8, 8, 18, 18}));
    EXPECT_EQ(p.MainPalette[9].CellRect, (PaletteRect{20, 20, 30, 30}));
    EXPECT_EQ(p.MainPalette[31].CellRect, (PaletteRect{44, 92, 54, 102}));
    EXPECT_EQ(p.ShadeOriginX(), 60);
    EXPECT_EQ(p.ShadePalette[0].CellRect, (PaletteRect{60, 8, 70, 18}));
    EXPECT_EQ(p.ShadePalette[47].CellRect, (PaletteRect{120, 92, 130, 102}));
}

TEST(ColourPalettes, NormalBuildEmptiesTheShadeGridAndCustomBuildLeavesIt) {
    ColourPalettes p;
    p.BaseEntry = p.MainPalette[11];
    p.BuildShadePalette();
    const auto shades = p.ShadePalette;

    p.CustomPalette[0].Color = RGB(1, 2, 3);
    p.MainPalette[31].Name = "Kept";
    p.PalType = "Custom";
    p.BuildMainPalette();
    EXPECT_EQ(p.ShadePalette, shades);
    EXPECT_EQ(p.ShadeLast, 47);
    EXPECT_EQ(p.MainPalette[0].Color, RGB(1, 2, 3));
    EXPECT_EQ(p.MainPalette[0].Name, "Custom");
    EXPECT_EQ(p.MainPalette[0].CellRect, (PaletteRect{8, 8, 18, 18}));
    EXPECT_EQ(p.MainPalette[31].Name, "Kept");

    p.PalType = "";
    p.BuildMainPalette();
    EXPECT_EQ(p.PalType, "Normal");
    EXPECT_EQ(p.MainPalette[0].Name, "Red");
    EXPECT_EQ(p.MainPalette[31].Name, "White");
    ASSERT_EQ(p.ShadePalette.size(), 1u);
    EXPECT_FALSE(p.ShadePalette[0].IsValid);
    EXPECT_EQ(p.ShadeLast, 0);
}

TEST(ColourPalettes, UnknownPaletteNameFailsWithoutChange) {
    ColourPalettes p;
    const auto before = p.MainPalette;
    p.PalType = "Windows";
    EXPECT_THROW(p.BuildMainPalette(), std::invalid_argument);
    EXPECT_EQ(p.MainPalette, before);
}

TEST(ColourPalettes, DefaultCustomPaletteFollowsCustomHues) {
    ColourPalettes p;
    p.CustomHues[3] = 160;
    p.BuildDefaultCustomPalette();
    EXPECT_EQ(p.CustomPalette[3].Color, RGB(0, 0, 255));
    EXPECT_EQ(p.CustomPalette[3].Name, "Custom");
    EXPECT_EQ(p.CustomPalette[31].Name, "White");
    EXPECT_EQ(p.MainPalette.size(), 1u);
    EXPECT_EQ(p.ShadePalette.size(), 1u);
}

TEST(ColourPalettes, NearestEntry) {
    ColourPalettes p;
    // Hue 235: Crimson (230), not Red (0); no wrap-around.
    EXPECT_EQ(p.NearestEntry(RGB(255, 0, 32)).Name, "Crimson");
    // Ties keep the earlier entry: hue 6 between Red and Copper, 115 between Turquoise
    // (index 8) and Cyan (index 16, lower hue distance order would not matter).
    EXPECT_EQ(p.NearestEntry(RGB(255, 38, 0)).Name, "Red");
    EXPECT_EQ(p.NearestEntry(RGB(0, 255, 224)).Name, "Turquoise");
    EXPECT_EQ(p.NearestEntry(RGB(250, 5, 5)).Color, RGB(255, 0, 0));

    // Black in a Normal palette with its shade grid empty: the empty shade entry.
    p.BuildMainPalette();
    EXPECT_FALSE(p.NearestEntry(0).IsValid);
    EXPECT_EQ(p.NearestEntry(0).Color, 0);

    // With greys in the shade grid: white ties between main White and shade White (both
    // one step away): the main grid wins. Black finds the shade Black.
    p.BaseEntry = p.MainPalette[31];
    p.BuildShadePalette();
    const PaletteEntry w = p.NearestEntry(0xFFFFFF);
    EXPECT_EQ(w.Name, "White");
    EXPECT_TRUE(w.InMainGrid);
    EXPECT_EQ(p.NearestEntry(0).Name, "Black");
    // Luminance 94: the "Grey" of column 6 (95) is nearer than "Dark Grey" of column 1 (90).
    EXPECT_EQ(p.NearestEntry(RGB(100, 100, 100)).Name, "Grey");
    EXPECT_EQ(p.NearestEntry(RGB(100, 100, 100)).HSL.Luminance, 95);
    // An exact main-grid match stops the search before the shade grid.
    p.BaseEntry = p.MainPalette[0];
    p.BuildShadePalette();
    EXPECT_TRUE(p.NearestEntry(RGB(255, 0, 0)).InMainGrid);
    EXPECT_EQ(p.NearestEntry(RGB(255, 224, 224)).Name, "Faint Red");
}

TEST(ColourPalettes, FindBaseEntry) {
    ColourPalettes p;
    // Black: White differs by exactly 240, which is not less than the start.
    EXPECT_FALSE(p.FindBaseEntry(0).IsValid);
    EXPECT_EQ(p.FindBaseEntry(RGB(128, 128, 128)).Name, "White");
    EXPECT_EQ(p.FindBaseEntry(RGB(255, 0, 32)).Name, "Crimson");
    EXPECT_EQ(p.FindBaseEntry(RGB(40, 0, 0)).Name, "Red"); // dark red: hue only
    EXPECT_EQ(p.FindBaseEntry(RGB(0, 255, 224)).Name, "Turquoise");

    // A shade grid built from the empty base shows the greys.
    p.BaseEntry = p.FindBaseEntry(0);
    p.BuildShadePalette();
    EXPECT_EQ(p.ShadePalette[4].Name, "Grey");
}

} // namespace
} // namespace tlx
