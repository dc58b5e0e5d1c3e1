#include "colour/CustomPaletteFile.h"

#include "common/ScriptedPlatform.h"
#include "common/TempFolder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace tlx {
namespace {

namespace fs = std::filesystem;
using namespace OrlixLibColor;

class PaletteFileTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return (dir / name).string(); }

    const testing::TempFolder folder;
    const fs::path dir = folder.path();
};

std::uint32_t U32At(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
    return v;
}

TEST(CustomPaletteFileName, AppendsTheExtensionUnlessExactlyPresent) {
    EXPECT_EQ(CustomPaletteFileName("mine"), "mine.oxp");
    EXPECT_EQ(CustomPaletteFileName("mine."), "mine.oxp");
    EXPECT_EQ(CustomPaletteFileName("mine.oxp"), "mine.oxp");
    EXPECT_EQ(CustomPaletteFileName("mine.OXP"), "mine.OXP.oxp");
    EXPECT_EQ(CustomPaletteFileName("/a/b.c/x"), "/a/b.c/x.oxp");
}

TEST(CustomPaletteEncoding, DefaultPaletteIs512LittleEndianBytes) {
    const ColourPalettes p;
    const std::string bytes = EncodeCustomPalette(p.CustomPalette);
    ASSERT_EQ(bytes.size(), 512u);
    EXPECT_EQ(bytes.substr(0, 16), std::string("\xFF\0\0\0\0\0\0\0\xF0\0\0\0\x78\0\0\0", 16));
    EXPECT_EQ(U32At(bytes, 496), 16777215u);
    EXPECT_EQ(U32At(bytes, 500), 0u);
    EXPECT_EQ(U32At(bytes, 504), 0u);
    EXPECT_EQ(U32At(bytes, 508), 240u);
    // Slot 1 is Copper's colour with hue 12.
    EXPECT_EQ(U32At(bytes, 16), static_cast<std::uint32_t>(RGB(255, 77, 0)));
    EXPECT_EQ(U32At(bytes, 20), 12u);
}

TEST(CustomPaletteEncoding, DecodeRejectsShortAndDamagedBytes) {
    const ColourPalettes p;
    const std::string good = EncodeCustomPalette(p.CustomPalette);
    const auto shortFile = DecodeCustomPalette(good.substr(0, 511));
    EXPECT_FALSE(shortFile);
    EXPECT_FALSE(shortFile.error().empty());
    EXPECT_FALSE(DecodeCustomPalette(""));

    std::string badColour = good;
    badColour[3] = '\x01'; // colour above 0xFFFFFF
    EXPECT_FALSE(DecodeCustomPalette(badColour));
    std::string negativeHue = good;
    negativeHue[16 * 7 + 4 + 3] = '\xFF';
    EXPECT_FALSE(DecodeCustomPalette(negativeHue));
    std::string bigLuminance = good;
    bigLuminance[16 * 31 + 12] = '\xF1'; // 241
    EXPECT_FALSE(DecodeCustomPalette(bigLuminance));

    // Bytes after the 32nd record are not part of the palette.
    const auto records = DecodeCustomPalette(good + "trailing");
    ASSERT_TRUE(records);
    EXPECT_EQ((*records)[31].Color, 0xFFFFFF);
    EXPECT_EQ((*records)[31].HSL, (HSLColor{0, 0, 240}));
}

TEST_F(PaletteFileTest, RoundTripIsByteExact) {
    ColourPalettes p;
    for (std::size_t i = 0; i < 32; ++i) {
        p.CustomPalette[i].Color = static_cast<std::int32_t>((i * 0x050A0F + 0x010203) & 0xFFFFFF);
        p.CustomPalette[i].HSL = {static_cast<std::int32_t>(i * 7),
                                  240 - static_cast<std::int32_t>(i),
                                  static_cast<std::int32_t>(i * 3)};
    }
    const std::string path = Path("mine.oxp");
    ASSERT_TRUE(WriteCustomPaletteFile(path, p.CustomPalette));
    const std::string first = testing::readFile(path);
    EXPECT_EQ(first.size(), 512u);

    ColourPalettes q;
    const auto records = ReadCustomPaletteFile(path);
    ASSERT_TRUE(records);
    ApplyPaletteRecords(*records, q.CustomPalette);
    for (std::size_t i = 0; i < 32; ++i) {
        EXPECT_EQ(q.CustomPalette[i].Color, p.CustomPalette[i].Color);
        EXPECT_EQ(q.CustomPalette[i].HSL, p.CustomPalette[i].HSL);
    }
    ASSERT_TRUE(WriteCustomPaletteFile(Path("again.oxp"), q.CustomPalette));
    EXPECT_EQ(testing::readFile(Path("again.oxp")), first);
}

TEST_F(PaletteFileTest, SavingOverAFileKeepsBytesBeyondThePalette) {
    const std::string path = Path("long.oxp");
    testing::writeFile(path, std::string(600, 'x'));
    const ColourPalettes p;
    ASSERT_TRUE(WriteCustomPaletteFile(path, p.CustomPalette));
    const std::string bytes = testing::readFile(path);
    ASSERT_EQ(bytes.size(), 600u);
    EXPECT_EQ(bytes.substr(0, 512), EncodeCustomPalette(p.CustomPalette));
    EXPECT_EQ(bytes.substr(512), std::string(88, 'x'));

    testing::writeFile(path, std::string(100, 'y')); // shorter than a palette: fully replaced
    ASSERT_TRUE(WriteCustomPaletteFile(path, p.CustomPalette));
    EXPECT_EQ(testing::readFile(path), EncodeCustomPalette(p.CustomPalette));
}

TEST_F(PaletteFileTest, SaveCustPalAsksForANameAndWritesTheFile) {
    ScriptedPlatform platform;
    const ColourPalettes p;
    platform.saveFileAnswers.push_back(Path("mine."));
    EXPECT_EQ(SaveCustPal(platform, dir.string(), p), 0);
    const auto dialogs = platform.callsOf("saveFileDialog");
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].args,
              (std::vector<std::string>{"Save Palette As...", "*.oxp|*.oxp", dir.string(), ""}));
    EXPECT_EQ(testing::readFile(Path("mine.oxp")), EncodeCustomPalette(p.CustomPalette));
    EXPECT_TRUE(platform.callsOf("messageBox").empty());

    // Cancel: nothing written, nothing shown.
    EXPECT_EQ(SaveCustPal(platform, dir.string(), p), 0);
    EXPECT_TRUE(platform.callsOf("messageBox").empty());
}

TEST_F(PaletteFileTest, SaveFailureIsReported) {
    ScriptedPlatform platform;
    const ColourPalettes p;
    platform.saveFileAnswers.push_back(Path("missing-folder/mine"));
    SaveCustPal(platform, dir.string(), p);
    const auto boxes = platform.callsOf("messageBox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].args,
              (std::vector<std::string>{
                  "An Error Occured When Attempting To Save The Current Custom Palette", "0", "16",
                  "Color Manager"}));
    EXPECT_FALSE(fs::exists(Path("missing-folder")));
}

TEST_F(PaletteFileTest, LoadCustPalSetsColoursAndKeepsNamesAndHues) {
    ColourPalettes saved;
    saved.CustomPalette[2].Color = RGB(1, 2, 3);
    saved.CustomPalette[2].HSL = {100, 50, 60};
    ASSERT_TRUE(WriteCustomPaletteFile(Path("p.oxp"), saved.CustomPalette));

    ScriptedPlatform platform;
    ColourPalettes p;
    const auto hues = p.CustomHues;
    platform.openFileAnswers.push_back(Path("p.oxp"));
    EXPECT_EQ(LoadCustPal(platform, dir.string(), p), 0);
    const auto dialogs = platform.callsOf("openFileDialog");
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].args,
              (std::vector<std::string>{"Load Palette...", "*.oxp|*.oxp", dir.string(), "*.oxp"}));
    EXPECT_EQ(p.CustomPalette[2].Color, RGB(1, 2, 3));
    EXPECT_EQ(p.CustomPalette[2].HSL, (HSLColor{100, 50, 60}));
    EXPECT_EQ(p.CustomPalette[2].Name, "Custom");
    EXPECT_TRUE(p.CustomPalette[2].IsValid);
    EXPECT_EQ(p.CustomHues, hues);
    EXPECT_TRUE(platform.callsOf("messageBox").empty());
}

TEST_F(PaletteFileTest, DamagedOrMissingFilesLoadNothing) {
    const ColourPalettes other = [] {
        ColourPalettes q;
        q.CustomPalette[0].Color = RGB(9, 9, 9);
        return q;
    }();
    testing::writeFile(Path("short.oxp"), EncodeCustomPalette(other.CustomPalette).substr(0, 500));
    std::string damaged = EncodeCustomPalette(other.CustomPalette);
    damaged[16 * 30 + 8] = '\x7F';
    damaged[16 * 30 + 11] = '\x7F';
    testing::writeFile(Path("damaged.oxp"), damaged);

    for (const std::string name : {"short.oxp", "damaged.oxp", "none.oxp"}) {
        ScriptedPlatform platform;
        ColourPalettes p;
        const auto before = p.CustomPalette;
        platform.openFileAnswers.push_back(Path(name));
        EXPECT_EQ(LoadCustPal(platform, dir.string(), p), 0);
        EXPECT_EQ(p.CustomPalette, before) << name; // not even slot 0
        const auto boxes = platform.callsOf("messageBox");
        ASSERT_EQ(boxes.size(), 1u) << name;
        EXPECT_EQ(boxes[0].args[1], "0"); // OK button only
        EXPECT_EQ(boxes[0].args[3], "");  // no title
        EXPECT_FALSE(fs::exists(Path("none.oxp")));
    }
}

} // namespace
} // namespace tlx
