#include "catalog/IntroTextFile.h"
#include "catalog/StyleTypes.h"
#include "common/TempFolder.h"

#include <ctime>
#include <gtest/gtest.h>

namespace tlx {
namespace {

// The button dialog's optional controls as a sequence of style choices leaves them.
struct ButtonControls {
    bool colour = true;
    bool secondary = true;
    bool sound = false;
    void choose(std::string_view type) {
        const ButtonStyle s = ButtonStyleOf(type);
        colour = ApplyStyle(s.ColorControlsVisible, colour);
        secondary = ApplyStyle(s.SecondaryTextVisible, secondary);
        sound = s.SoundEnabled;
    }
};

TEST(StyleTypes, ButtonTypesChangeOnlyWhatTheirRowSays) {
    ButtonControls c;
    c.choose("TwinText");
    EXPECT_TRUE(c.colour && c.secondary && !c.sound);
    c.choose("SingleTextNoColor");
    EXPECT_FALSE(c.colour || c.secondary);
    c.choose("Fancy"); // not in the table: unchanged
    EXPECT_FALSE(c.colour || c.secondary);
    c.choose("SingleTextSnd");
    EXPECT_TRUE(c.colour && !c.secondary && c.sound);
    c.choose("FancySnd"); // sound follows "Snd" whatever the rest
    EXPECT_TRUE(c.colour && !c.secondary && c.sound);
    c.choose("TwinTextsnd");
    EXPECT_FALSE(c.sound);
    EXPECT_TRUE(ButtonStyleOf("TwinTextSnd").SecondaryTextVisible.value());
}

TEST(StyleTypes, HeadingAndIntroMovieTypes) {
    EXPECT_EQ(HeadingStyleOf("Standard").ColorControlsVisible, true);
    EXPECT_EQ(HeadingStyleOf("NoColor").ColorControlsVisible, false);
    EXPECT_EQ(HeadingStyleOf("standard").ColorControlsVisible, std::nullopt);

    bool colour = true, additional = false, effect = true, highlighted = false;
    auto choose = [&](std::string_view type) {
        const IntroMovieStyle s = IntroMovieStyleOf(type);
        colour = ApplyStyle(s.ColorControlsVisible, colour);
        additional = ApplyStyle(s.AdditionalTextEnabled, additional);
        effect = ApplyStyle(s.EffectAndSizeEnabled, effect);
        highlighted = s.EffectListHighlighted;
    };
    choose("StandardNoE");
    EXPECT_TRUE(colour && !additional && !effect && !highlighted);
    choose("MoreText");
    EXPECT_TRUE(colour && additional && effect && highlighted);
    choose("NoColor"); // keeps the additional text enabled; the fill is reset to white
    EXPECT_TRUE(!colour && additional && effect && !highlighted);
    choose("Standard");
    EXPECT_TRUE(colour && !additional && effect && highlighted);
    choose("MoreTextNoE");
    EXPECT_TRUE(additional && !effect && !highlighted);
    EXPECT_EQ(kEffectListHighlight, 0xC0FFFFu);
}

TEST(IntroTextFile, NameHasNoLeadingZeros) {
    EXPECT_EQ(IntroTextFileName({8, 9, 5, 7}), "FP8957.htm");
    EXPECT_EQ(IntroTextFileName({8, 10, 7, 5}), "FP81075.htm");
    EXPECT_EQ(IntroTextFileName({31, 0, 0, 0}), "FP31000.htm");

    std::tm t{};
    t.tm_year = 2024 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 8;
    t.tm_hour = 9;
    t.tm_min = 5;
    t.tm_sec = 7;
    t.tm_isdst = -1;
    const auto when = std::chrono::system_clock::from_time_t(std::mktime(&t));
    EXPECT_EQ(IntroTextFileName(LocalMomentOf(when)), "FP8957.htm");
}

TEST(IntroTextFile, ContentIsOneLineWrittenAsTyped) {
    EXPECT_EQ(IntroTextFileContent(kInitialIntroText, kInitialIntroText),
              "T1=YOUR TEXT&T2=YOUR TEXT&eof=1\r\n");
    testing::TempFolder folder;
    ASSERT_TRUE(WriteIntroTextFile(folder.path() / "FP1.htm", "Big & \"bold\"", "Caf\xE9"));
    EXPECT_EQ(folder.read("FP1.htm"), "T1=Big & \"bold\"&T2=Caf\xE9&eof=1\r\n");
    // Rewriting replaces the whole file.
    ASSERT_TRUE(WriteIntroTextFile(folder.path() / "FP1.htm", "a", "b"));
    EXPECT_EQ(folder.read("FP1.htm"), "T1=a&T2=b&eof=1\r\n");
    EXPECT_FALSE(WriteIntroTextFile(folder.path() / "missing" / "FP1.htm", "a", "b"));
}

TEST(IntroTextFile, TextsReadBackWholeAsTheMovieReadsThem) {
    struct Case {
        std::string content, main, additional;
    };
    const Case cases[] = {
        {IntroTextFileContent("Tom & Jerry", "Bread & butter & jam"), "Tom & Jerry",
         "Bread & butter & jam"},
        {IntroTextFileContent("a=1&b", ""), "a=1&b", ""},
        {"T1=Only a heading\r\n", "Only a heading", ""}, // no closing pair, no T2
        {"<p>T1=x&T2=y&eof=1</p>", "x", "y"},            // found anywhere in the body
        {"no texts here", "", ""},
    };
    for (const Case& c : cases) {
        const IntroFileTexts texts = IntroTextsOfFile(c.content);
        EXPECT_EQ(texts.Main, c.main) << c.content;
        EXPECT_EQ(texts.Additional, c.additional) << c.content;
    }
}

} // namespace
} // namespace tlx
