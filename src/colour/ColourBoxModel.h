#pragma once
// The colour box's behaviour without a window: its palettes and the four entries behind what
// it shows (base, hover, active, selected), the pointer, keyboard and hover-tick handling on
// its palette surface, its properties and methods, the palette combo box, the ">>" colour
// dialog and loading and saving its properties. The window (OXColorBox) paints what this
// holds and forwards input to it; it hears back through ColourBoxListener.

#include "colour/ColourPalettes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tlx {

class Platform;

// How the frame of the cell under the pointer is drawn.
enum class CellFrame { None, Raised, Pressed };

// What the box tells the window that shows it and the container that holds it.
class ColourBoxListener {
public:
    virtual ~ColourBoxListener() = default;
    // A property changed (the container's property-changed notification).
    virtual void PropertyChanged(std::string_view /*name*/) {}
    virtual void Click() {}
    virtual void Change(std::int32_t /*newActiveColor*/) {}
    virtual void DblClick() {}
    virtual void Popup() {}
    // The face (the bar with the active colour) needs painting.
    virtual void FaceChanged() {}
    // The palette surface needs painting (cells, frames).
    virtual void SurfaceChanged() {}
    // The palette combo box shows another item.
    virtual void DropPalChanged(int /*index*/) {}
};

// Persisted properties by key. Values are texts; a key the bag does not hold reads as
// nothing, and the reader takes its default.
class PropertyBag {
public:
    virtual ~PropertyBag() = default;
    virtual std::optional<std::string> Read(std::string_view key) = 0;
    virtual void Write(std::string_view key, const std::string& value) = 0;
};

// The platform's colours the box uses as defaults.
struct ColourBoxDefaults {
    std::int32_t WindowBackground = 0xFFFFFF;
    std::int32_t ButtonText = 0;
    std::string Font;
};

inline constexpr std::array<std::string_view, 4> DropPalItems = {"Normal", "Custom", "Load Custom",
                                                                 "Save Custom"};

class ColourBoxModel {
public:
    // The palette surface's size in pixels.
    static constexpr std::int32_t SurfaceWidth = 153;
    static constexpr std::int32_t SurfaceHeight = 142;
    static constexpr std::int32_t HoverInterval = 400;

    // A new box: Normal palette, greys in the shade grid, nothing active, black selected.
    // `platform` answers the colour and file dialogs; `installFolder` is where the file
    // dialogs start.
    ColourBoxModel(Platform& platform, std::string installFolder, ColourBoxDefaults defaults = {});
    ColourBoxModel(const ColourBoxModel&) = delete;
    ColourBoxModel& operator=(const ColourBoxModel&) = delete;

    void SetListener(ColourBoxListener* listener) { listener_ = listener; }

    // ---- properties
    std::int32_t ActiveColor() const { return ActiveEntry.Color; }
    const std::string& ActiveText() const { return ActiveEntry.Name; }
    std::int32_t SelectedColor() const { return SelectedEntry.Color; }
    // A value different from the current one selects the nearest palette colour.
    void SetSelectedColor(std::int32_t colour);
    const std::string& Text() const { return SelectedEntry.Name; }
    // "#RRGGBB" of the active colour.
    std::string HTMLColor() const;
    // Makes the colour of `text` selected, active and the base of the shades, named "Custom";
    // raises no event.
    void SetHTMLColor(std::string_view text);
    // Shows the colour of `text` as the active colour (the face's bar and ActiveColor), as the
    // palette cell of exactly that colour or else named "Custom"; the selection, the shades
    // and the keyboard's starting cell stay. Raises no event.
    void ShowActiveHTML(std::string_view text);
    const std::string& PalType() const { return Palettes.PalType; }
    // Only stores the name; the next build uses it.
    void SetPalType(std::string name) { Palettes.PalType = std::move(name); }
    std::int32_t Palette() const { return PaletteMode; }
    void SetPalette(std::int32_t mode);
    bool PopupEnabled() const { return popupEnabled_; }
    void SetPopupEnabled(bool enabled);
    std::int32_t BackColor() const { return backColor_; }
    void SetBackColor(std::int32_t colour);
    std::int32_t ForeColor() const { return foreColor_; }
    void SetForeColor(std::int32_t colour);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    const std::string& Font() const { return font_; }
    void SetFont(std::string font);
    const ColourBoxDefaults& Defaults() const { return defaults_; }

    // ---- methods
    // Gives custom slot `APos` (0..31) the colour of `HexVal`; std::out_of_range otherwise.
    void AddHTMLToCustom(std::string_view HexVal, std::int32_t APos);
    // "Normal" and "Custom" switch the palette and return its hues; "Windows" returns the
    // Normal hues and changes nothing; any other name returns nothing.
    std::optional<std::vector<std::int32_t>> SetPal(std::string_view PalName);
    std::int32_t SaveCustPal();
    std::int32_t LoadCustPal();

    // ---- the palette surface (pixel coordinates of the surface)
    // The entry under (x, y), the empty entry for none; sets HoverMainIndex on a hit.
    PaletteEntry HitTest(std::int32_t x, std::int32_t y);
    void MouseDown(std::int32_t x, std::int32_t y);
    void MouseMove(std::int32_t x, std::int32_t y, bool leftButtonDown);
    void MouseUp(std::int32_t x, std::int32_t y);
    // The pointer left the surface (for its parts or outside the box).
    void MouseLeave();
    void SurfaceClick();
    void SurfaceDblClick();
    // The hover timer's tick: shows the shades of the main cell the pointer rests on.
    void HoverTick();
    // Keyboard: moves the hover cell over both grids seen as one grid of ten columns (four
    // main, six shade) and eight rows, making it active like a drag; starts at the selected
    // cell or the first one.
    void MoveKeyCursor(std::int32_t dx, std::int32_t dy);
    // Keyboard: selects the hover cell (as releasing the button on it). False when none.
    bool ChooseKeyCursor();

    // ---- the face (the control outside the surface)
    void FaceClick();
    void FaceDblClick();
    // Space without Shift acts as a click; other keys do nothing.
    void FaceKey(bool space, bool shift);

    // ---- ">>" and the palette combo box
    void MorePal_Click();
    void DropPal_Click(int index);
    int DropPalIndex() const { return dropPalIndex_; }

    // ---- persistence
    void InitProperties(std::string containerFont);
    void ReadProperties(PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    // ---- state (the window paints from it; tests look at it)
    ColourPalettes Palettes;
    PaletteEntry HoverEntry;
    PaletteEntry ActiveEntry;
    PaletteEntry SelectedEntry;
    CellFrame HoverFrame = CellFrame::None;
    std::string SelectedHTML = "#000000";
    std::int32_t CustomSlot = -1;
    std::int32_t HoverMainIndex = -1;
    bool OverCell = false;
    bool MovedSinceTick = false;
    std::int32_t PaletteMode = 11;
    // The colour the ">>" dialog opens on.
    std::int32_t LastDialogColour = 0;

private:
    void SetActiveEntry(const PaletteEntry& entry);
    void SetSelectedEntry(const PaletteEntry& entry);
    void SelectColor(std::int32_t colour);
    // A main-grid entry with another hue than the base becomes the base.
    void TakeBaseFrom(const PaletteEntry& hit);
    void RebuildAfterLoad(std::int32_t selected);
    void Notify(std::string_view name);
    void PaintMain();
    void PaintSurface();

    Platform& platform_;
    std::string installFolder_;
    ColourBoxDefaults defaults_;
    ColourBoxListener* listener_ = nullptr;
    bool popupEnabled_ = true;
    std::int32_t backColor_;
    std::int32_t foreColor_;
    bool enabled_ = true;
    std::string font_;
    int dropPalIndex_ = 0;
};

// Key and value texts of the stored custom palette (kept with the box's properties so that a
// custom palette made in one session is there in the next).
std::string EncodeCustomHues(const std::array<std::int32_t, 31>& hues);
std::optional<std::array<std::int32_t, 31>> DecodeCustomHues(std::string_view text);

} // namespace tlx
