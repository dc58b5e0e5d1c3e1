// The colour box's behaviour without a window: pointer, hover tick, keyboard, properties,
// the ">>" dialog, the palette list and the property bag.

#include "colour/ColourBoxModel.h"

#include "colour/CustomPaletteFile.h"
#include "colour/DocumentColours.h"
#include "common/ScriptedPlatform.h"
#include "common/TempFolder.h"

#include <gtest/gtest.h>
#include <map>

namespace tlx {
namespace {

using OrlixLibColor::RGB;

struct Recorder : ColourBoxListener {
    std::vector<std::string> events; // "Click", "Change 19967", "notify ActiveColor", ...
    void PropertyChanged(std::string_view name) override {
        events.push_back("notify " + std::string(name));
    }
    void Click() override { events.push_back("Click"); }
    void Change(std::int32_t c) override { events.push_back("Change " + std::to_string(c)); }
    void DblClick() override { events.push_back("DblClick"); }
    void Popup() override { events.push_back("Popup"); }
    std::vector<std::string> Raised() const {
        std::vector<std::string> raised;
        for (const auto& e : events)
            if (e.rfind("notify", 0) != 0)
                raised.push_back(e);
        return raised;
    }
};

// A bag that keeps the order of reads and writes.
struct RecordingBag : PropertyBag {
    std::map<std::string, std::string, std::less<>> values;
    std::vector<std::string> reads;
    std::vector<std::string> writes;
    std::optional<std::string> Read(std::string_view key) override {
        reads.emplace_back(key);
        const auto it = values.find(key);
        return it == values.end() ? std::nullopt : std::optional(it->second);
    }
    void Write(std::string_view key, const std::string& value) override {
        writes.emplace_back(key);
        values[std::string(key)] = value;
    }
};

// Centre of main-grid cell i, of shade cell i (surface pixels).
std::pair<int, int> MainCell(int i) {
    return {8 + (i / 8) * 12 + 5, 8 + (i % 8) * 12 + 5};
}
std::pair<int, int> ShadeCell(int i) {
    return {60 + (i / 8) * 12 + 5, 8 + (i % 8) * 12 + 5};
}

class ColourBoxModelTest : public ::testing::Test {
protected:
    ColourBoxModelTest() : box(platform, folder.path().string()) { box.SetListener(&rec); }
    void Press(std::pair<int, int> at) { box.MouseDown(at.first, at.second); }
    void Move(std::pair<int, int> at, bool left) { box.MouseMove(at.first, at.second, left); }
    void Release(std::pair<int, int> at) { box.MouseUp(at.first, at.second); }
    std::vector<std::string> ShadeNames() const {
        std::vector<std::string> names;
        for (const auto& e : box.Palettes.ShadePalette)
            names.push_back(e.Name);
        return names;
    }

    testing::TempFolder folder;
    ScriptedPlatform platform;
    ColourBoxModel box;
    Recorder rec;
};

TEST_F(ColourBoxModelTest, FreshBoxShowsNormalPaletteAndGreys) {
    EXPECT_EQ(box.PalType(), "Normal");
    EXPECT_EQ(box.Palettes.MainPalette[1].Name, "Copper");
    EXPECT_EQ(box.SelectedColor(), 0);
    EXPECT_EQ(box.ActiveColor(), 0);
    EXPECT_EQ(box.HTMLColor(), "#000000");
    EXPECT_EQ(box.Text(), "");
    ASSERT_EQ(box.Palettes.ShadePalette.size(), 48u);
    EXPECT_EQ(box.Palettes.ShadePalette.front().Name, "White");
    EXPECT_EQ(box.Palettes.ShadePalette.back().Name, "Black");
    EXPECT_EQ(box.CustomSlot, -1);
    EXPECT_EQ(box.HoverMainIndex, -1);
}

TEST_F(ColourBoxModelTest, PressingAndReleasingOnCopperSelectsIt) {
    Press(MainCell(1));
    const std::int32_t copper = RGB(255, 77, 0);
    EXPECT_EQ(box.ActiveColor(), copper);
    EXPECT_EQ(box.ActiveText(), "Copper");
    EXPECT_EQ(box.HoverFrame, CellFrame::Pressed);
    // The press on a new hue shows its shades.
    EXPECT_EQ(box.Palettes.ShadePalette.front().Name, "Faint Copper");
    EXPECT_EQ(rec.Raised(), std::vector<std::string>{"Change " + std::to_string(copper)});
    Release(MainCell(1));
    box.SurfaceClick(); // OverCell is only set by moves; a click without one raises nothing
    EXPECT_EQ(box.SelectedColor(), copper);
    EXPECT_EQ(box.Text(), "Copper");
    EXPECT_EQ(box.SelectedHTML, "#FF4D00");
    EXPECT_EQ(rec.Raised(),
              (std::vector<std::string>{"Change " + std::to_string(copper), "Click"}));
}

TEST_F(ColourBoxModelTest, DragRaisesChangePerColourAndReleaseOutsideKeepsTheSelection) {
    Press(MainCell(0));
    Release(MainCell(0)); // Red selected
    rec.events.clear();
    Press(MainCell(1));
    Move(MainCell(1), true); // same cell: no new Change
    Move(MainCell(2), true);
    Move({MainCell(2).first + 5, MainCell(2).second}, true); // the gap: nothing
    Move(ShadeCell(0), true);
    EXPECT_EQ(rec.Raised(), (std::vector<std::string>{
                                "Change " + std::to_string(RGB(255, 77, 0)),
                                "Change " + std::to_string(RGB(255, 128, 0)),
                                "Change " + std::to_string(box.Palettes.ShadePalette[0].Color)}));
    EXPECT_EQ(box.Palettes.ShadePalette[0].Name, "Faint Orange");
    Release({-5, 200});
    EXPECT_EQ(box.Text(), "Red");
    EXPECT_EQ(box.SelectedColor(), RGB(255, 0, 0));
}

TEST_F(ColourBoxModelTest, HoverTickShowsTheShadesOfTheRestingCell) {
    Move(MainCell(21), false); // Blue
    EXPECT_EQ(box.HoverFrame, CellFrame::Raised);
    box.HoverTick(); // moved since the last tick: nothing yet
    EXPECT_EQ(ShadeNames().front(), "White");
    box.HoverTick();
    const auto names = ShadeNames();
    ASSERT_EQ(names.size(), 48u);
    EXPECT_EQ(names.front(), "Faint Blue");
    EXPECT_EQ(names[3], "Blue");
    EXPECT_EQ(names.back(), "Pitch Blue");
    EXPECT_EQ(box.ActiveColor(), 0) << "resting changes no colour";

    // Once the pointer has left for the gap or the surface's parts, resting shows nothing.
    Move(MainCell(1), false);
    Move({MainCell(1).first + 5, MainCell(1).second}, false);
    box.HoverTick();
    box.HoverTick();
    EXPECT_EQ(ShadeNames().front(), "Faint Blue");
    Move(MainCell(2), false);
    box.MouseLeave();
    box.HoverTick();
    box.HoverTick();
    EXPECT_EQ(ShadeNames().front(), "Faint Blue");

    Move(MainCell(31), false); // White: the greys
    box.HoverTick();
    box.HoverTick();
    EXPECT_EQ(ShadeNames().back(), "Black");
    EXPECT_EQ(ShadeNames().front(), "White");
}

TEST_F(ColourBoxModelTest, WhiteIsNeverACustomSlotAndMoreColoursFillsTheClickedSlot) {
    box.SetPal("Custom");
    Press(MainCell(31));
    EXPECT_EQ(box.HoverMainIndex, -1);
    EXPECT_EQ(box.CustomSlot, -1);
    Press(MainCell(3));
    EXPECT_EQ(box.CustomSlot, 3);
    Release(MainCell(3));

    platform.colourAnswers = {std::nullopt};
    const auto before = box.Palettes.CustomPalette;
    rec.events.clear();
    box.MorePal_Click(); // cancelled
    EXPECT_EQ(box.Palettes.CustomPalette, before);
    EXPECT_TRUE(rec.events.empty());

    const std::int32_t teal = RGB(0, 128, 128);
    platform.colourAnswers = {teal};
    box.MorePal_Click();
    EXPECT_EQ(box.Palettes.CustomPalette[3].Color, teal);
    EXPECT_EQ(box.Palettes.CustomHues[3], OrlixLibColor::RGBToHSL(teal).Hue);
    EXPECT_EQ(box.Palettes.MainPalette[3].Color, teal);
    EXPECT_EQ(box.ActiveColor(), teal);
    EXPECT_EQ(box.SelectedColor(), teal);
    EXPECT_EQ(rec.Raised().back(), "Change " + std::to_string(teal));
    // The next dialog opens on the last choice.
    box.MorePal_Click();
    EXPECT_EQ(platform.callsOf("colourDialog").back().args[0], std::to_string(teal));
}

TEST_F(ColourBoxModelTest, WritingColoursSelectsNearestOrExactWithoutEvents) {
    box.SetSelectedColor(RGB(250, 5, 5));
    EXPECT_EQ(box.Text(), "Red");
    EXPECT_EQ(box.SelectedColor(), RGB(255, 0, 0));

    rec.events.clear();
    box.SetHTMLColor("#00FF00");
    EXPECT_EQ(box.ActiveColor(), RGB(0, 255, 0));
    EXPECT_EQ(box.ActiveText(), "Custom");
    EXPECT_EQ(ShadeNames().front(), "Faint Custom");
    EXPECT_TRUE(rec.Raised().empty());
    EXPECT_EQ(rec.events, (std::vector<std::string>{"notify HTMLColor", "notify SelectedColor"}));

    box.SetHTMLColor("#00ff00");
    EXPECT_EQ(box.ActiveColor(), 0);
    EXPECT_EQ(box.HTMLColor(), "#000000");
}

TEST_F(ColourBoxModelTest, PaletteListAndSetPal) {
    // Saving and loading switch to Custom even when the dialog is cancelled.
    box.DropPal_Click(3);
    EXPECT_EQ(box.PalType(), "Custom");
    EXPECT_EQ(box.DropPalIndex(), 1);
    EXPECT_EQ(platform.callsOf("saveFileDialog").at(0).args,
              (std::vector<std::string>{"Save Palette As...", "*.oxp|*.oxp", folder.path().string(),
                                        ""}));
    box.DropPal_Click(0);
    EXPECT_EQ(box.PalType(), "Normal");
    box.DropPal_Click(2);
    EXPECT_EQ(box.PalType(), "Custom");
    EXPECT_EQ(platform.callsOf("openFileDialog").at(0).args,
              (std::vector<std::string>{"Load Palette...", "*.oxp|*.oxp", folder.path().string(),
                                        "*.oxp"}));

    EXPECT_EQ(box.SetPal("Windows")->size(), 31u);
    EXPECT_EQ(box.PalType(), "Custom");
    EXPECT_FALSE(box.SetPal("Bogus"));
    EXPECT_EQ(box.SetPal("Normal")->at(1), 12);
    EXPECT_EQ(box.Palettes.MainPalette[1].Name, "Copper");

    box.AddHTMLToCustom("#123456", 31);
    EXPECT_EQ(box.Palettes.CustomPalette[31].Color, RGB(0x12, 0x34, 0x56));
    EXPECT_THROW(box.AddHTMLToCustom("#123456", 32), std::out_of_range);
    EXPECT_THROW(box.AddHTMLToCustom("#123456", -1), std::out_of_range);
}

TEST_F(ColourBoxModelTest, DamagedPaletteFileLeavesThePaletteAndSaysSo) {
    box.SetPal("Custom");
    const auto before = box.Palettes.CustomPalette;
    const auto path = folder.write("bad.oxp", std::string(100, '\x7f'));
    platform.openFileAnswers = {path.string()};
    box.DropPal_Click(2);
    EXPECT_EQ(box.Palettes.CustomPalette, before);
    ASSERT_EQ(platform.callsOf("messageBox").size(), 1u);
    EXPECT_EQ(box.PalType(), "Custom");
}

TEST_F(ColourBoxModelTest, FaceAndKeys) {
    box.FaceClick();
    box.FaceKey(true, false);
    EXPECT_TRUE(rec.Raised().empty()) << "the surface is shown already";
    box.SetPopupEnabled(false);
    box.FaceClick();
    box.FaceKey(true, true);
    box.FaceKey(false, false);
    box.FaceKey(true, false);
    box.FaceDblClick();
    EXPECT_EQ(rec.Raised(), (std::vector<std::string>{"Popup", "Popup", "DblClick"}));
}

TEST_F(ColourBoxModelTest, ArrowKeysWalkBothGridsAndEnterChooses) {
    box.MoveKeyCursor(1, 0); // no cursor yet: starts on the first cell
    EXPECT_EQ(box.HoverEntry.Name, "Red");
    EXPECT_EQ(box.ActiveText(), "Red");
    box.MoveKeyCursor(0, 1);
    EXPECT_EQ(box.HoverEntry.Name, "Copper");
    EXPECT_EQ(ShadeNames().front(), "Faint Copper");
    box.MoveKeyCursor(0, -5); // stops at the edge
    EXPECT_EQ(box.HoverEntry.Name, "Red");
    for (int i = 0; i < 4; ++i)
        box.MoveKeyCursor(1, 0); // over Turquoise, Cyan, Crimson into Crimson's shades
    EXPECT_EQ(box.HoverEntry.Name, "Faint Crimson");
    EXPECT_FALSE(box.HoverEntry.InMainGrid);
    for (int i = 0; i < 9; ++i)
        box.MoveKeyCursor(1, 0);
    box.MoveKeyCursor(0, 3);
    EXPECT_EQ(box.HoverEntry.Name, "Crimson") << "sixth shade column, fourth row";
    EXPECT_EQ(box.HoverEntry.HSL.Saturation, 40);
    rec.events.clear();
    EXPECT_TRUE(box.ChooseKeyCursor());
    EXPECT_EQ(box.SelectedColor(), box.HoverEntry.Color);
    EXPECT_EQ(rec.Raised(), std::vector<std::string>{"Click"});
}

TEST_F(ColourBoxModelTest, PropertyBagOrderDefaultsAndDamage) {
    RecordingBag fresh;
    box.WriteProperties(fresh);
    // Values at their defaults are left out; HTMLColor is always written.
    EXPECT_EQ(fresh.writes,
              (std::vector<std::string>{"Font", "HTMLColor", "CustomPalette", "CustomHues"}));

    box.SetPal("Custom");
    box.SetPalette(3);
    box.SetPopupEnabled(false);
    box.SetBackColor(RGB(1, 2, 3));
    box.SetForeColor(RGB(4, 5, 6));
    box.SetEnabled(false);
    Press(MainCell(5));
    Release(MainCell(5));
    box.AddHTMLToCustom("#ABCDEF", 7);
    RecordingBag bag;
    box.WriteProperties(bag);
    EXPECT_EQ(bag.writes,
              (std::vector<std::string>{"Font", "SelectedColor", "BackColor", "ForeColor",
                                        "Enabled", "Palette", "PopupEnabled", "HTMLColor",
                                        "PalType", "CustomPalette", "CustomHues"}));

    ColourBoxModel loaded(platform, folder.path().string());
    loaded.ReadProperties(bag);
    EXPECT_EQ(std::vector<std::string>(bag.reads.begin(), bag.reads.begin() + 9),
              (std::vector<std::string>{"Font", "BackColor", "ForeColor", "Palette", "PalType",
                                        "Enabled", "PopupEnabled", "HTMLColor", "SelectedColor"}));
    EXPECT_EQ(loaded.PalType(), "Custom");
    EXPECT_EQ(loaded.Palette(), 3);
    EXPECT_FALSE(loaded.PopupEnabled());
    EXPECT_FALSE(loaded.Enabled());
    EXPECT_EQ(loaded.BackColor(), RGB(1, 2, 3));
    EXPECT_EQ(loaded.SelectedColor(), box.SelectedColor());
    EXPECT_EQ(loaded.Palettes.CustomPalette, box.Palettes.CustomPalette);
    EXPECT_EQ(loaded.Palettes.MainPalette[7].Color, RGB(0xAB, 0xCD, 0xEF));
    EXPECT_FALSE(loaded.ActiveEntry.IsValid);

    // Damaged values give the defaults, one by one, and never throw.
    RecordingBag damaged;
    damaged.values = {{"BackColor", "-7"},
                      {"Palette", "x"},
                      {"PalType", "Windows"},
                      {"Enabled", "maybe"},
                      {"SelectedColor", "99999999999"},
                      {"CustomPalette", "00ZZ"},
                      {"CustomHues", "1,2"}};
    ColourBoxModel defaults(platform, folder.path().string());
    defaults.ReadProperties(damaged);
    EXPECT_EQ(defaults.PalType(), "Normal");
    EXPECT_EQ(defaults.Palette(), 11);
    EXPECT_TRUE(defaults.Enabled());
    EXPECT_EQ(defaults.SelectedColor(), 0);
    EXPECT_EQ(defaults.BackColor(), defaults.Defaults().WindowBackground);
    EXPECT_EQ(defaults.Palettes.CustomPalette, ColourPalettes().CustomPalette);
    EXPECT_EQ(defaults.Palettes.CustomHues, HueList);
}

TEST(DocumentColours, LastHashOfTheOpeningTagSortedAndDistinct) {
    EXPECT_EQ(TagColourText("<body bgcolor=\"#FFFFFF\" text=\"#000080\"><p>#123456</p></body>"),
              "#000080");
    EXPECT_EQ(TagColourText("<a href=\"#top\">x</a>"), "#top\">");
    EXPECT_EQ(TagColourText("<td bgcolor=#ff8000>"), "#ff8000");
    EXPECT_FALSE(TagColourText("<p>#FF0000</p>"));
    EXPECT_FALSE(TagColourText("#FF0000"));
    EXPECT_EQ(SortedColourList({"#ff0000", "#00FF00", "#FF0000", "#00FF00", "#00ff00"}),
              (std::vector<std::string>{"#00FF00", "#00ff00", "#ff0000", "#FF0000"}));
}

} // namespace
} // namespace tlx
