#pragma once
// The palettes of the colour box: the main grid (the Normal palette of 31 named hues plus
// White, or the custom palette), the shade grid (48 tints and shades of one base colour, or 48
// greys) and the user's custom palette, with their builders, the cell layout and the searches.
// Plain data and arithmetic; the control that shows them owns one ColourPalettes.

#include "colour/OrlixLibColor.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tlx {

// A cell's rectangle in pixels of the palette surface; Right = Left + 10, Bottom = Top + 10.
struct PaletteRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;

    friend bool operator==(const PaletteRect&, const PaletteRect&) = default;
};

// One cell of a palette. `HSL` is kept as built, never recomputed from `Color` (White keeps
// luminance 240 although its colour converts back to 239). The default value is the empty
// entry: searches that find nothing return it.
struct PaletteEntry {
    bool InMainGrid = false;
    PaletteRect CellRect;
    std::int32_t Color = 0;
    HSLColor HSL;
    bool IsHue = false;
    std::string Name;
    bool IsValid = false;

    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

// Cell size, gap and the grid's columns and rows.
struct PaletteGrid {
    std::int32_t CellSize = 10;
    std::int32_t Gap = 2;
    std::int32_t Columns = 4;
    std::int32_t Rows = 8;

    friend bool operator==(const PaletteGrid&, const PaletteGrid&) = default;
};

// Hues of the Normal palette, main-grid index 0..30.
inline constexpr std::array<std::int32_t, 31> HueList = {
    0,   12,  20,  25,  30,  35,  37,  40,  110, 100, 90,  80,  70,  60,  50, 45,
    120, 125, 130, 140, 150, 160, 170, 180, 230, 220, 210, 200, 195, 190, 185};

// Names of the Normal palette, main-grid index 0..31.
inline constexpr std::array<std::string_view, 32> NormalNames = {
    "Red",       "Copper", "Orange",  "Bronze",  "Gold",     "Topaz",  "Tourmaline", "Yellow",
    "Turquoise", "Jade",   "Beryl",   "Green",   "Emerald",  "Lime",   "Lemon",      "Citrine",
    "Cyan",      "Aqua",   "Teal",    "Azure",   "Sapphire", "Blue",   "Indigo",     "Lavender",
    "Crimson",   "Pink",   "Fuschia", "Magenta", "Cobalt",   "Violet", "Amethyst",   "White"};

class ColourPalettes {
public:
    static constexpr std::int32_t MainCount = 32;
    static constexpr std::int32_t ShadeCount = 48;
    static constexpr std::int32_t CustomCount = 32;
    // Origins of the grids on the palette surface.
    static constexpr std::int32_t MainOriginX = 8;
    static constexpr std::int32_t OriginY = 8;

    // The palettes of a new colour box: custom hues = HueList, the default custom palette,
    // the Normal palette in the main grid and, as base, the entry nearest to black (the
    // empty entry), so the shade grid shows the greys.
    ColourPalettes();

    std::vector<PaletteEntry> MainPalette;
    std::vector<PaletteEntry> ShadePalette;
    std::vector<PaletteEntry> CustomPalette;
    std::array<std::int32_t, 31> CustomHues = HueList;
    PaletteEntry BaseEntry;
    std::string PalType = "Normal";
    std::int32_t MainLast = 31;
    std::int32_t ShadeLast = 0;
    PaletteGrid MainGrid{10, 2, 4, 8};
    PaletteGrid ShadeGrid{10, 2, 6, 8};

    // White as the last cell of the main grid: HSL (0, 0, 240).
    static PaletteEntry WhiteEntry();

    // Fills the main grid by `PalType` ("Normal" or "Custom"; empty counts as "Normal").
    // Throws std::invalid_argument for any other name, changing nothing.
    void BuildMainPalette();
    // 48 shades of `BaseEntry` (or greys when it is not a hue), laid out.
    void BuildShadePalette();
    // The default custom palette: the Normal colours of `CustomHues`, all named "Custom".
    // Empties the main and shade grids, as at the start of the control.
    void BuildDefaultCustomPalette();

    // Cell rectangles: entries run down the columns of the grid.
    void LayoutMainCells();
    void LayoutShadeCells();
    // x of the shade grid's first column: right of the main grid, with room for a divider.
    std::int32_t ShadeOriginX() const;

    // The entry whose stored HSL is nearest (sum of the three differences, no hue
    // wrap-around); main grid first, then the shade grid; ties keep the earlier entry.
    PaletteEntry NearestEntry(std::int32_t colour) const;
    // The main-grid entry to take shades from: the nearest hue for a coloured value, the
    // nearest luminance among greys otherwise; the empty entry when nothing is within 240.
    PaletteEntry FindBaseEntry(std::int32_t colour) const;

private:
    void LayoutCells(std::vector<PaletteEntry>& entries, std::int32_t last, const PaletteGrid& grid,
                     std::int32_t originX) const;
};

} // namespace tlx
