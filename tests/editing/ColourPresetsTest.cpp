#include "editing/ColourPresets.h"

#include "common/TempFolder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace tlx {
namespace {

namespace fs = std::filesystem;

class PresetsFileTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return (dir / name).string(); }

    const testing::TempFolder folder;
    const fs::path dir = folder.path();
};

TEST(ColourPresets, LineIsBuiltFromNameAndCaptions) {
    EXPECT_EQ(ColourPresetLine("Warm", "40", "10", "-20"), "[Warm]-+(40){10}<-20>+-");
    EXPECT_EQ(ColourPresetLine("Empty", "", "", ""), "[Empty]-+(){}<>+-");
    EXPECT_EQ(ColourPresetLine("Two\r\nLines", "1", "2", "3"), "[Two  Lines]-+(1){2}<3>+-");
}

TEST(ColourPresets, ParsesLinesWrittenByOtherHands) {
    const std::string bytes = "[Warm]-+(40){10}<-20>+-\r\r\n" // as the dialog writes
                              "[Cold]-+(-30){0}<50>+-\n"      // lone LF
                              "\n\r\n\r"                      // blank lines of every kind
                              "[NoValue]\r"                   // no value text
                              "-+(1){2}<3>+-\r\n"             // no name
                              "[]-+(1){2}<3>+-\r\n"           // empty name
                              "[Empty]-++-\r\n"               // empty value text
                              "junk before [Odd]-+(5){5}<5>+- and after\r"
                              "-+(7){8}<9>+- then [Reversed]\r\n"
                              "[Last]-+(1){1}<1>+-"; // no final line end
    const std::vector<ColourPreset> expected = {{"Warm", "(40){10}<-20>"},
                                                {"Cold", "(-30){0}<50>"},
                                                {"Odd", "(5){5}<5>"},
                                                {"Reversed", "(7){8}<9>"},
                                                {"Last", "(1){1}<1>"}};
    EXPECT_EQ(ParseColourPresets(bytes), expected);
    EXPECT_TRUE(ParseColourPresets("").empty());
}

TEST(ColourPresets, WeightingsOfAValueText) {
    EXPECT_EQ(WeightingsOfPreset("(40){10}<-20>"), (PresetWeightings{40, 10, -20}));
    // Order in the text does not matter; missing or non-numeric fields are 0.
    EXPECT_EQ(WeightingsOfPreset("<7>(3)"), (PresetWeightings{3, 0, 7}));
    EXPECT_EQ(WeightingsOfPreset("(abc){}<->"), (PresetWeightings{0, 0, 0}));
    // The number at the start of the field; trailing text ignored.
    EXPECT_EQ(WeightingsOfPreset("( 25 percent){+12x}<-3.0>"), (PresetWeightings{25, 12, -3}));
    // Fractions to the nearest whole number, halves to even; out of range to the ends.
    EXPECT_EQ(WeightingsOfPreset("(2.5){3.5}<-0.5>"), (PresetWeightings{2, 4, 0}));
    EXPECT_EQ(WeightingsOfPreset("(250){-1e9}<1e400>"), (PresetWeightings{100, -100, 100}));
}

TEST_F(PresetsFileTest, AppendWritesTheLineWithCrAndCrLf) {
    const std::string path = Path("cpresets.kqz");
    testing::writeFile(path, "[Old]-+(1){2}<3>+-\r\r\n");
    EXPECT_EQ(AppendColourPreset(path, "Warm", "40", "10", "-20"), PresetSaveResult::Saved);
    EXPECT_EQ(testing::readFile(path), "[Old]-+(1){2}<3>+-\r\r\n[Warm]-+(40){10}<-20>+-\r\r\n");
    const auto presets = ReadColourPresets(path);
    ASSERT_EQ(presets.size(), 2u);
    EXPECT_EQ(presets[1], (ColourPreset{"Warm", "(40){10}<-20>"}));

    // An empty file takes the line as it is.
    testing::writeFile(path, "");
    EXPECT_EQ(AppendColourPreset(path, "A", "0", "0", "0"), PresetSaveResult::Saved);
    EXPECT_EQ(testing::readFile(path), "[A]-+(0){0}<0>+-\r\r\n");
}

TEST_F(PresetsFileTest, AppendNeverJoinsALastLineWithoutLineEnd) {
    const std::string path = Path("cpresets.kqz");
    testing::writeFile(path, "[Hand]-+(5){5}<5>+-");
    EXPECT_EQ(AppendColourPreset(path, "New", "1", "2", "3"), PresetSaveResult::Saved);
    EXPECT_EQ(testing::readFile(path), "[Hand]-+(5){5}<5>+-\r\n[New]-+(1){2}<3>+-\r\r\n");
    EXPECT_EQ(ReadColourPresets(path).size(), 2u);
}

TEST_F(PresetsFileTest, MissingFileListsNothingAndIsNotCreated) {
    const std::string path = Path("cpresets.kqz");
    EXPECT_TRUE(ReadColourPresets(path).empty());
    EXPECT_EQ(AppendColourPreset(path, "Warm", "40", "10", "-20"), PresetSaveResult::NoPresetsFile);
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(PresetsFileTest, FileNameMatchesWithoutLetterCase) {
    EXPECT_EQ(ColourPresetsPath(dir.string()), Path("cpresets.kqz"));
    testing::writeFile(Path("CPresets.KQZ"), "[X]-+(1){1}<1>+-\r\n");
    EXPECT_EQ(ColourPresetsPath(dir.string()), Path("CPresets.KQZ"));
    EXPECT_EQ(ReadColourPresets(ColourPresetsPath(dir.string())).size(), 1u);
}

} // namespace
} // namespace tlx
