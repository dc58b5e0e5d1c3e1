#include "colour/ColourPalettes.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace tlx {

namespace {

struct ShadeRow {
    std::int32_t Luminance;
    std::string_view Prefix;
};

// Rows of the shade grid for a coloured base, top to bottom.
constexpr std::array<ShadeRow, 8> HueRows = {{{225, "Faint "},
                                              {210, "Pale "},
                                              {180, "Light "},
                                              {120, ""},
                                              {105, "Dense "},
                                              {90, "Deep "},
                                              {60, "Dark "},
                                              {40, "Pitch "}}};
// Saturation of the shade grid's columns.
constexpr std::array<std::int32_t, 6> ShadeSaturations = {240, 200, 160, 120, 80, 40};

// Rows of the grey grid: luminance in the first column, and name.
constexpr std::array<ShadeRow, 8> GreyRows = {{{240, "White"},
                                               {210, "Silver"},
                                               {180, "Chrome"},
                                               {150, "Titanium"},
                                               {120, "Grey"},
                                               {90, "Dark Grey"},
                                               {60, "Charcoal"},
                                               {30, "Pitch"}}};

PaletteEntry HueEntry(std::int32_t hue, std::string_view name) {
    PaletteEntry e;
    e.InMainGrid = true;
    e.HSL = {hue, 240, 120};
    e.Color = OrlixLibColor::HSLToRGB(e.HSL);
    e.IsHue = true;
    e.Name = std::string(name);
    e.IsValid = true;
    return e;
}

std::int32_t Distance(const HSLColor& a, const HSLColor& b) {
    return std::abs(a.Luminance - b.Luminance) + std::abs(a.Hue - b.Hue) +
           std::abs(a.Saturation - b.Saturation);
}

} // namespace

ColourPalettes::ColourPalettes() {
    BuildDefaultCustomPalette();
    BuildMainPalette();
    BaseEntry = NearestEntry(0);
    BuildShadePalette();
}

PaletteEntry ColourPalettes::WhiteEntry() {
    PaletteEntry e;
    e.InMainGrid = true;
    e.HSL = {0, 0, 240};
    e.Color = OrlixLibColor::HSLToRGB(e.HSL);
    e.IsHue = false;
    e.Name = "White";
    e.IsValid = true;
    return e;
}

void ColourPalettes::BuildMainPalette() {
    if (PalType.empty())
        PalType = "Normal";
    if (PalType == "Normal") {
        MainGrid = {10, 2, 4, 8};
        MainLast = MainCount - 1;
        MainPalette.assign(MainCount, PaletteEntry{});
        ShadePalette.assign(1, PaletteEntry{});
        ShadeLast = 0;
        for (std::size_t i = 0; i < HueList.size(); ++i)
            MainPalette[i] = HueEntry(HueList[i], NormalNames[i]);
        MainPalette[31] = WhiteEntry();
    } else if (PalType == "Custom") {
        // The main grid always has its 32 cells; a grid never built gets White as its last.
        if (MainPalette.size() < static_cast<std::size_t>(MainCount)) {
            MainPalette.resize(MainCount);
            MainPalette[31] = WhiteEntry();
        }
        const std::size_t n = std::min<std::size_t>(CustomHues.size(), CustomPalette.size());
        std::copy_n(CustomPalette.begin(), n, MainPalette.begin());
    } else {
        throw std::invalid_argument("Invalid palette name \"" + PalType + "\"");
    }
    LayoutMainCells();
}

void ColourPalettes::BuildShadePalette() {
    ShadeGrid = {10, 2, 6, 8};
    ShadePalette.assign(ShadeCount, PaletteEntry{});
    ShadeLast = ShadeCount - 1;
    for (std::int32_t c = 1; c <= 6; ++c) {
        for (std::int32_t r = 1; r <= 8; ++r) {
            const std::int32_t k = (c - 1) * 8 + (r - 1);
            PaletteEntry& e = ShadePalette[k];
            if (BaseEntry.IsHue) {
                e.HSL = {BaseEntry.HSL.Hue, ShadeSaturations[c - 1], HueRows[r - 1].Luminance};
                e.Name = std::string(HueRows[r - 1].Prefix) + BaseEntry.Name;
            } else if (k == ShadeCount - 1) {
                e.HSL = {0, 0, 0};
                e.Name = "Black";
            } else {
                e.HSL = {0, 0, GreyRows[r - 1].Luminance - 5 * (c - 1)};
                e.Name = std::string(GreyRows[r - 1].Prefix);
            }
            e.Color = OrlixLibColor::HSLToRGB(e.HSL);
            e.InMainGrid = false;
            e.IsHue = BaseEntry.IsHue;
            e.IsValid = true;
        }
    }
    LayoutShadeCells();
}

void ColourPalettes::BuildDefaultCustomPalette() {
    MainPalette.assign(1, PaletteEntry{});
    ShadePalette.assign(1, PaletteEntry{});
    MainGrid = {10, 2, 4, 8};
    ShadeGrid = {10, 2, 6, 8};
    MainLast = MainCount - 1;
    ShadeLast = 0;
    CustomPalette.assign(CustomCount, PaletteEntry{});
    for (std::size_t i = 0; i < CustomHues.size(); ++i)
        CustomPalette[i] = HueEntry(CustomHues[i], "Custom");
    CustomPalette[31] = WhiteEntry();
}

std::int32_t ColourPalettes::ShadeOriginX() const {
    return MainOriginX + (MainGrid.CellSize + MainGrid.Gap) * MainGrid.Columns + 2 + 2;
}

void ColourPalettes::LayoutMainCells() {
    LayoutCells(MainPalette, MainLast, MainGrid, MainOriginX);
}

void ColourPalettes::LayoutShadeCells() {
    LayoutCells(ShadePalette, ShadeLast, ShadeGrid, ShadeOriginX());
}

void ColourPalettes::LayoutCells(std::vector<PaletteEntry>& entries, std::int32_t last,
                                 const PaletteGrid& grid, std::int32_t originX) const {
    const std::int32_t pitch = grid.CellSize + grid.Gap;
    const std::int32_t count = std::min<std::int32_t>(last + 1, std::ssize(entries));
    for (std::int32_t i = 0; i < count; ++i) {
        PaletteRect& rect = entries[i].CellRect;
        rect.Left = originX + (i / grid.Rows) * pitch;
        rect.Top = OriginY + (i % grid.Rows) * pitch;
        rect.Right = rect.Left + grid.CellSize;
        rect.Bottom = rect.Top + grid.CellSize;
    }
}

PaletteEntry ColourPalettes::NearestEntry(std::int32_t colour) const {
    const HSLColor h = OrlixLibColor::RGBToHSL(colour);
    std::int32_t best = 720;
    const PaletteEntry* result = nullptr;
    for (const PaletteEntry& e : MainPalette) {
        const std::int32_t d = Distance(e.HSL, h);
        if (d < best) {
            result = &e;
            best = d;
        }
    }
    if (best > 0) {
        for (const PaletteEntry& e : ShadePalette) {
            const std::int32_t d = Distance(e.HSL, h);
            if (d < best) {
                result = &e;
                best = d;
            }
        }
    }
    return result ? *result : PaletteEntry{};
}

PaletteEntry ColourPalettes::FindBaseEntry(std::int32_t colour) const {
    const HSLColor h = OrlixLibColor::RGBToHSL(colour);
    std::int32_t best = 240;
    const PaletteEntry* result = nullptr;
    const bool coloured = h.Saturation != 0;
    for (const PaletteEntry& e : MainPalette) {
        if (e.IsHue != coloured)
            continue;
        const std::int32_t d =
            coloured ? std::abs(e.HSL.Hue - h.Hue) : std::abs(e.HSL.Luminance - h.Luminance);
        if (d < best) {
            result = &e;
            best = d;
        }
    }
    return result ? *result : PaletteEntry{};
}

} // namespace tlx
