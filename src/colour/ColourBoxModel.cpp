#include "colour/ColourBoxModel.h"

#include "colour/ColourText.h"
#include "colour/CustomPaletteFile.h"
#include "colour/OrlixLibColor.h"
#include "platform/Log.h"
#include "platform/Platform.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

namespace tlx {

namespace {

using OrlixLibColor::BlueOf;
using OrlixLibColor::GreenOf;
using OrlixLibColor::RedOf;

constexpr std::string_view Where = "Colour box";

std::string HtmlOf(std::int32_t colour) {
    return HTMLFromRGB(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

bool Inside(const PaletteRect& r, std::int32_t x, std::int32_t y) {
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

std::optional<std::int64_t> ParseInt(std::string_view text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [at, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || at != end || text.empty())
        return std::nullopt;
    return value;
}

// Typed readers: a missing value gives the default, a damaged one the default and a warning.
std::int32_t ReadColour(PropertyBag& bag, std::string_view key, std::int32_t fallback) {
    const auto text = bag.Read(key);
    if (!text)
        return fallback;
    const auto value = ParseInt(*text);
    if (!value || *value < 0 || *value > 0xFFFFFF) {
        LogWarning(Where, std::string("ignored the stored value of ") + std::string(key) + ": \"" +
                              *text + "\"");
        return fallback;
    }
    return static_cast<std::int32_t>(*value);
}

std::int32_t ReadInt(PropertyBag& bag, std::string_view key, std::int32_t fallback) {
    const auto text = bag.Read(key);
    if (!text)
        return fallback;
    const auto value = ParseInt(*text);
    if (!value || *value < INT32_MIN || *value > INT32_MAX) {
        LogWarning(Where, std::string("ignored the stored value of ") + std::string(key) + ": \"" +
                              *text + "\"");
        return fallback;
    }
    return static_cast<std::int32_t>(*value);
}

bool ReadBool(PropertyBag& bag, std::string_view key, bool fallback) {
    const auto text = bag.Read(key);
    if (!text)
        return fallback;
    if (*text == "true" || *text == "1")
        return true;
    if (*text == "false" || *text == "0")
        return false;
    LogWarning(Where, std::string("ignored the stored value of ") + std::string(key) + ": \"" +
                          *text + "\"");
    return fallback;
}

std::string BoolText(bool value) {
    return value ? "true" : "false";
}

// The property bag's rule: a value equal to its default is not written.
template <typename T>
void WriteIfNotDefault(PropertyBag& bag, std::string_view key, const T& value, const T& fallback,
                       std::string text) {
    if (value != fallback)
        bag.Write(key, text);
}

std::string HexBytes(std::string_view bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 0xF]);
    }
    return out;
}

std::optional<std::string> BytesOfHex(std::string_view text) {
    if (text.size() % 2 != 0)
        return std::nullopt;
    std::string out;
    out.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        unsigned value = 0;
        const auto [at, ec] = std::from_chars(text.data() + i, text.data() + i + 2, value, 16);
        if (ec != std::errc() || at != text.data() + i + 2)
            return std::nullopt;
        out.push_back(static_cast<char>(value));
    }
    return out;
}

constexpr std::string_view CustomPaletteKey = "CustomPalette";
constexpr std::string_view CustomHuesKey = "CustomHues";

// The entry of a colour typed or given as text, which no palette need hold.
PaletteEntry CustomEntry(std::int32_t colour) {
    PaletteEntry entry;
    entry.InMainGrid = true;
    entry.Color = colour;
    entry.HSL = OrlixLibColor::RGBToHSL(colour);
    entry.IsHue = true;
    entry.Name = "Custom";
    entry.IsValid = true;
    return entry;
}

} // namespace

std::string EncodeCustomHues(const std::array<std::int32_t, 31>& hues) {
    std::string text;
    for (std::size_t i = 0; i < hues.size(); ++i) {
        if (i > 0)
            text += ',';
        text += std::to_string(hues[i]);
    }
    return text;
}

std::optional<std::array<std::int32_t, 31>> DecodeCustomHues(std::string_view text) {
    std::array<std::int32_t, 31> hues{};
    std::size_t start = 0;
    for (std::size_t i = 0; i < hues.size(); ++i) {
        const std::size_t comma = text.find(',', start);
        const bool last = i + 1 == hues.size();
        if (last != (comma == std::string_view::npos))
            return std::nullopt;
        const auto value = ParseInt(text.substr(start, last ? text.npos : comma - start));
        if (!value || *value < 0 || *value > 240)
            return std::nullopt;
        hues[i] = static_cast<std::int32_t>(*value);
        start = comma + 1;
    }
    return hues;
}

ColourBoxModel::ColourBoxModel(Platform& platform, std::string installFolder,
                               ColourBoxDefaults defaults)
    : platform_(platform), installFolder_(std::move(installFolder)), defaults_(std::move(defaults)),
      backColor_(defaults_.WindowBackground), foreColor_(defaults_.ButtonText),
      font_(defaults_.Font) {
    // The start of a new box: default custom palette, Normal palette, and as selection and
    // base the entry nearest to black while the shade grid is still empty (the empty entry),
    // so the shade grid shows the greys.
    Palettes.PalType = "Normal";
    Palettes.BuildMainPalette();
    SelectedEntry = Palettes.NearestEntry(0);
    Palettes.BaseEntry = SelectedEntry;
    Palettes.BuildMainPalette();
    Palettes.BuildShadePalette();
}

// ---- notifications

void ColourBoxModel::Notify(std::string_view name) {
    if (listener_)
        listener_->PropertyChanged(name);
}

void ColourBoxModel::PaintMain() {
    if (listener_)
        listener_->FaceChanged();
}

void ColourBoxModel::PaintSurface() {
    if (listener_)
        listener_->SurfaceChanged();
}

// ---- entries

void ColourBoxModel::SetActiveEntry(const PaletteEntry& entry) {
    if (entry.Color == ActiveColor())
        return;
    ActiveEntry = entry;
    Notify("ActiveColor");
    Notify("ActiveText");
    if (listener_)
        listener_->Change(ActiveColor());
    PaintMain();
}

void ColourBoxModel::SetSelectedEntry(const PaletteEntry& entry) {
    const bool changed = entry.Color != SelectedColor();
    if (changed) {
        SelectedEntry = entry;
        SelectedHTML = HtmlOf(SelectedColor());
    }
    if (!changed && SelectedColor() == ActiveColor())
        return;
    if (changed) {
        Notify("SelectedColor");
        Notify("Text");
        if (listener_)
            listener_->Click();
    }
    PaintMain();
}

void ColourBoxModel::SelectColor(std::int32_t colour) {
    Palettes.BaseEntry = Palettes.FindBaseEntry(colour);
    Palettes.BuildShadePalette();
    PaintSurface();
    SetSelectedEntry(Palettes.NearestEntry(colour));
}

void ColourBoxModel::TakeBaseFrom(const PaletteEntry& hit) {
    if (hit.InMainGrid && hit.HSL.Hue != Palettes.BaseEntry.HSL.Hue) {
        Palettes.BaseEntry = hit;
        Palettes.BuildShadePalette();
        PaintSurface();
    }
}

// ---- properties

void ColourBoxModel::SetSelectedColor(std::int32_t colour) {
    if (colour != SelectedColor())
        SelectColor(colour);
}

std::string ColourBoxModel::HTMLColor() const {
    return HtmlOf(ActiveColor());
}

void ColourBoxModel::SetHTMLColor(std::string_view text) {
    const PaletteEntry entry = CustomEntry(WhatRGB(text));
    SelectedEntry = entry;
    SetSelectedEntry(entry);
    ActiveEntry = entry;
    Palettes.BaseEntry = entry;
    PaintMain();
    Palettes.BuildShadePalette();
    PaintSurface();
    Notify("HTMLColor");
    Notify("SelectedColor");
}

void ColourBoxModel::ShowActiveHTML(std::string_view text) {
    const std::int32_t c = WhatRGB(text);
    PaletteEntry entry = Palettes.NearestEntry(c);
    if (!entry.IsValid || entry.Color != c)
        entry = CustomEntry(c);
    ActiveEntry = entry;
    PaintMain();
}

void ColourBoxModel::SetPalette(std::int32_t mode) {
    PaletteMode = mode;
    Palettes.BuildMainPalette();
    Palettes.BaseEntry = Palettes.FindBaseEntry(SelectedColor());
    Palettes.BuildShadePalette();
    SelectedEntry = Palettes.NearestEntry(SelectedColor());
    ActiveEntry.IsValid = false;
    HoverEntry.IsValid = false;
    PaintSurface();
    Notify("Palette");
    PaintMain();
}

void ColourBoxModel::SetPopupEnabled(bool enabled) {
    popupEnabled_ = enabled;
    Notify("PopupEnabled");
}

void ColourBoxModel::SetBackColor(std::int32_t colour) {
    backColor_ = colour;
    Notify("BackColor");
    PaintMain();
}

void ColourBoxModel::SetForeColor(std::int32_t colour) {
    foreColor_ = colour;
    Notify("ForeColor");
    PaintMain();
}

void ColourBoxModel::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Notify("Enabled");
}

void ColourBoxModel::SetFont(std::string font) {
    font_ = std::move(font);
    Notify("Font");
}

// ---- methods

void ColourBoxModel::AddHTMLToCustom(std::string_view HexVal, std::int32_t APos) {
    if (APos < 0 || APos >= std::ssize(Palettes.CustomPalette))
        throw std::out_of_range("custom palette slot " + std::to_string(APos) +
                                " is outside 0..31");
    const std::int32_t colour = WhatRGB(HexVal);
    PaletteEntry& slot = Palettes.CustomPalette[APos];
    slot.Color = colour;
    slot.HSL = OrlixLibColor::RGBToHSL(colour);
    Palettes.BuildMainPalette();
    if (PalType() == "Custom") {
        Palettes.LayoutMainCells();
        PaintSurface();
    }
}

std::optional<std::vector<std::int32_t>> ColourBoxModel::SetPal(std::string_view PalName) {
    if (PalName == "Normal") {
        SetPalType("Normal");
        DropPal_Click(0);
        return std::vector<std::int32_t>(HueList.begin(), HueList.end());
    }
    if (PalName == "Custom") {
        SetPalType("Custom");
        DropPal_Click(1);
        return std::vector<std::int32_t>(Palettes.CustomHues.begin(), Palettes.CustomHues.end());
    }
    if (PalName == "Windows")
        return std::vector<std::int32_t>(HueList.begin(), HueList.end());
    return std::nullopt;
}

std::int32_t ColourBoxModel::SaveCustPal() {
    return tlx::SaveCustPal(platform_, installFolder_, Palettes);
}

std::int32_t ColourBoxModel::LoadCustPal() {
    return tlx::LoadCustPal(platform_, installFolder_, Palettes);
}

// ---- the surface

PaletteEntry ColourBoxModel::HitTest(std::int32_t x, std::int32_t y) {
    if (x < 0 || y < 0 || x >= SurfaceWidth || y >= SurfaceHeight)
        return {};
    const std::int32_t mainCount =
        std::min<std::int32_t>(Palettes.MainLast + 1, std::ssize(Palettes.MainPalette));
    for (std::int32_t i = 0; i < mainCount; ++i) {
        if (Inside(Palettes.MainPalette[i].CellRect, x, y)) {
            HoverMainIndex = i == 31 ? -1 : i;
            return Palettes.MainPalette[i];
        }
    }
    const std::int32_t shadeCount =
        std::min<std::int32_t>(Palettes.ShadeLast + 1, std::ssize(Palettes.ShadePalette));
    for (std::int32_t i = 0; i < shadeCount; ++i) {
        if (Inside(Palettes.ShadePalette[i].CellRect, x, y)) {
            HoverMainIndex = -1;
            return Palettes.ShadePalette[i];
        }
    }
    return {};
}

void ColourBoxModel::MouseDown(std::int32_t x, std::int32_t y) {
    if (x < 0 || y < 0 || x >= SurfaceWidth || y >= SurfaceHeight)
        return;
    HoverFrame = CellFrame::None;
    const PaletteEntry hit = HitTest(x, y);
    if (PalType() == "Custom" && HoverMainIndex != -1)
        CustomSlot = HoverMainIndex;
    if (hit.IsValid) {
        HoverEntry = hit;
        SetActiveEntry(hit);
        TakeBaseFrom(hit);
        HoverFrame = CellFrame::Pressed;
    }
    PaintSurface();
}

void ColourBoxModel::MouseMove(std::int32_t x, std::int32_t y, bool leftButtonDown) {
    HoverFrame = CellFrame::None;
    const PaletteEntry hit = HitTest(x, y);
    if (hit.IsValid) {
        HoverEntry = hit;
        OverCell = true;
        if (leftButtonDown) {
            SetActiveEntry(hit);
            TakeBaseFrom(hit);
        }
        HoverFrame = leftButtonDown ? CellFrame::Pressed : CellFrame::Raised;
    } else {
        OverCell = false;
    }
    MovedSinceTick = true;
    PaintSurface();
}

void ColourBoxModel::MouseUp(std::int32_t x, std::int32_t y) {
    if (x >= 0 && y >= 0 && x < SurfaceWidth && y < SurfaceHeight) {
        const PaletteEntry hit = HitTest(x, y);
        if (hit.IsValid)
            SetSelectedEntry(hit);
    } else {
        SetSelectedEntry(SelectedEntry);
    }
}

void ColourBoxModel::SurfaceClick() {
    if (OverCell && listener_)
        listener_->Click();
}

void ColourBoxModel::SurfaceDblClick() {
    if (OverCell && listener_)
        listener_->DblClick();
}

void ColourBoxModel::MouseLeave() {
    OverCell = false;
}

void ColourBoxModel::HoverTick() {
    // Only while the pointer is on the cell: the hover entry is a copy taken when the pointer
    // got there, and once it has left (to the gap, ">>", outside) that copy may be stale.
    if (!MovedSinceTick && OverCell && HoverEntry.IsValid && HoverEntry.InMainGrid) {
        Palettes.BaseEntry = HoverEntry;
        Palettes.BuildShadePalette();
        PaintSurface();
    }
    MovedSinceTick = false;
}

void ColourBoxModel::MoveKeyCursor(std::int32_t dx, std::int32_t dy) {
    constexpr std::int32_t pitch = 10 + 2;
    const PaletteEntry& from = HoverEntry.IsValid ? HoverEntry : SelectedEntry;
    std::int32_t col = 0;
    std::int32_t row = 0;
    bool placed = false;
    if (from.IsValid && from.CellRect.Right > from.CellRect.Left) {
        const std::int32_t originX =
            from.InMainGrid ? ColourPalettes::MainOriginX : Palettes.ShadeOriginX();
        col = (from.CellRect.Left - originX) / pitch + (from.InMainGrid ? 0 : 4);
        row = (from.CellRect.Top - ColourPalettes::OriginY) / pitch;
        placed = col >= 0 && col < 10 && row >= 0 && row < 8;
    }
    if (!placed) {
        col = 0;
        row = 0;
    } else {
        col = std::clamp(col + dx, 0, 9);
        row = std::clamp(row + dy, 0, 7);
    }
    const PaletteEntry* target = nullptr;
    if (col < 4) {
        const std::int32_t i = col * 8 + row;
        if (i <= Palettes.MainLast && i < std::ssize(Palettes.MainPalette))
            target = &Palettes.MainPalette[i];
    } else {
        const std::int32_t i = (col - 4) * 8 + row;
        if (i <= Palettes.ShadeLast && i < std::ssize(Palettes.ShadePalette))
            target = &Palettes.ShadePalette[i];
    }
    if (!target || !target->IsValid)
        return;
    // Hit the cell as the pointer would, so the same rules (custom slot, base) apply.
    const PaletteEntry hit = HitTest(target->CellRect.Left, target->CellRect.Top);
    if (!hit.IsValid)
        return;
    if (PalType() == "Custom" && HoverMainIndex != -1)
        CustomSlot = HoverMainIndex;
    HoverEntry = hit;
    OverCell = true;
    SetActiveEntry(hit);
    TakeBaseFrom(hit);
    HoverFrame = CellFrame::Raised;
    MovedSinceTick = true;
    PaintSurface();
}

bool ColourBoxModel::ChooseKeyCursor() {
    if (!HoverEntry.IsValid)
        return false;
    SetActiveEntry(HoverEntry);
    SetSelectedEntry(HoverEntry);
    return true;
}

// ---- the face

void ColourBoxModel::FaceClick() {
    if (!popupEnabled_ && listener_)
        listener_->Popup();
}

void ColourBoxModel::FaceDblClick() {
    if (listener_)
        listener_->DblClick();
}

void ColourBoxModel::FaceKey(bool space, bool shift) {
    if (space && !shift)
        FaceClick();
}

// ---- ">>" and the palette combo box

void ColourBoxModel::MorePal_Click() {
    const std::optional<int> chosen = platform_.colourDialog(LastDialogColour);
    if (!chosen)
        return;
    const std::int32_t c = *chosen & 0xFFFFFF;
    LastDialogColour = c;
    const HSLColor h = OrlixLibColor::RGBToHSL(c);
    if (PalType() == "Custom" && CustomSlot >= 0 &&
        CustomSlot < static_cast<std::int32_t>(Palettes.CustomHues.size())) {
        Palettes.CustomHues[CustomSlot] = h.Hue;
        Palettes.CustomPalette[CustomSlot].Color = c;
        Palettes.CustomPalette[CustomSlot].HSL = h;
        DropPal_Click(1);
        SetPalType("Custom");
    }
    SelectedEntry.Color = c;
    SelectedEntry.HSL = h;
    ActiveEntry.Color = c;
    ActiveEntry.HSL = h;
    Palettes.BaseEntry = SelectedEntry;
    Palettes.BuildMainPalette();
    Palettes.BuildShadePalette();
    PaintSurface();
    PaintMain();
    Notify("ActiveColor");
    if (listener_)
        listener_->Change(ActiveColor());
}

void ColourBoxModel::DropPal_Click(int index) {
    if (index < 0 || index >= static_cast<int>(DropPalItems.size()))
        return;
    dropPalIndex_ = index;
    if (index == 2 || index == 3) {
        if (index == 2)
            LoadCustPal();
        else
            SaveCustPal();
        SetPalType("Custom");
        dropPalIndex_ = 1;
    } else {
        SetPalType(std::string(DropPalItems[index]));
    }
    if (listener_)
        listener_->DropPalChanged(dropPalIndex_);
    Palettes.BuildMainPalette();
    PaintSurface();
}

// ---- persistence

void ColourBoxModel::InitProperties(std::string containerFont) {
    font_ = std::move(containerFont);
    PaletteMode = 11;
    popupEnabled_ = true;
    Palettes.BuildMainPalette();
    Palettes.BuildShadePalette();
    SelectedEntry = Palettes.NearestEntry(0);
    ActiveEntry.IsValid = false;
    HoverEntry.IsValid = false;
}

void ColourBoxModel::ReadProperties(PropertyBag& bag) {
    font_ = bag.Read("Font").value_or(defaults_.Font);
    backColor_ = ReadColour(bag, "BackColor", defaults_.WindowBackground);
    foreColor_ = ReadColour(bag, "ForeColor", defaults_.ButtonText);
    PaletteMode = ReadInt(bag, "Palette", 11);
    std::string palType = bag.Read("PalType").value_or("Normal");
    if (palType != "Normal" && palType != "Custom") {
        LogWarning(Where, "ignored the stored palette name \"" + palType + "\"");
        palType = "Normal";
    }
    SetPalType(palType);
    enabled_ = ReadBool(bag, "Enabled", true);
    popupEnabled_ = ReadBool(bag, "PopupEnabled", true);
    SelectedHTML = bag.Read("HTMLColor").value_or("#000000");
    const std::int32_t selected = ReadColour(bag, "SelectedColor", 0);

    // The custom palette kept with the properties; a damaged one leaves the default.
    if (const auto text = bag.Read(CustomPaletteKey)) {
        const auto bytes = BytesOfHex(*text);
        const Result<PaletteRecords> records =
            bytes ? DecodeCustomPalette(*bytes) : Fail("not hexadecimal");
        if (records)
            ApplyPaletteRecords(*records, Palettes.CustomPalette);
        else
            LogWarning(Where, "ignored the stored custom palette: " + records.error());
    }
    if (const auto text = bag.Read(CustomHuesKey)) {
        if (const auto hues = DecodeCustomHues(*text))
            Palettes.CustomHues = *hues;
        else
            LogWarning(Where, "ignored the stored custom hues \"" + *text + "\"");
    }
    RebuildAfterLoad(selected);
}

void ColourBoxModel::RebuildAfterLoad(std::int32_t selected) {
    dropPalIndex_ = PalType() == "Custom" ? 1 : 0;
    if (listener_)
        listener_->DropPalChanged(dropPalIndex_);
    Palettes.BuildMainPalette();
    // Selecting by colour needs the selected colour in an entry the searches can compare.
    Palettes.BaseEntry = Palettes.FindBaseEntry(selected);
    Palettes.BuildShadePalette();
    SelectedEntry = Palettes.NearestEntry(selected);
    ActiveEntry.IsValid = false;
    HoverEntry.IsValid = false;
    HoverFrame = CellFrame::None;
    PaintSurface();
    PaintMain();
}

void ColourBoxModel::WriteProperties(PropertyBag& bag) const {
    bag.Write("Font", font_);
    WriteIfNotDefault(bag, "SelectedColor", SelectedColor(), 0, std::to_string(SelectedColor()));
    WriteIfNotDefault(bag, "BackColor", backColor_, defaults_.WindowBackground,
                      std::to_string(backColor_));
    WriteIfNotDefault(bag, "ForeColor", foreColor_, defaults_.ButtonText,
                      std::to_string(foreColor_));
    WriteIfNotDefault(bag, "Enabled", enabled_, true, BoolText(enabled_));
    WriteIfNotDefault(bag, "Palette", PaletteMode, 11, std::to_string(PaletteMode));
    WriteIfNotDefault(bag, "PopupEnabled", popupEnabled_, true, BoolText(popupEnabled_));
    bag.Write("HTMLColor", SelectedHTML);
    WriteIfNotDefault(bag, "PalType", PalType(), std::string("Normal"), PalType());
    bag.Write(CustomPaletteKey, HexBytes(EncodeCustomPalette(Palettes.CustomPalette)));
    bag.Write(CustomHuesKey, EncodeCustomHues(Palettes.CustomHues));
}

} // namespace tlx
