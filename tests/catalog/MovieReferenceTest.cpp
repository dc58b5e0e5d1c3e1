#include "catalog/MovieReference.h"

#include "catalog/InsertionFlow.h"
#include "markup/MarkupReader.h"
#include "markup/TextHelpers.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace tlx {
namespace {

TEST(MovieReference, ButtonKeysInOrderWithBlanksAsPlusAndTheFileNameBlankAsPercent20) {
    ButtonParameters p;
    p.FileName = "b 1.swf";
    p.T1 = "Click me";
    p.TextColor = "#FF0000";
    EXPECT_EQ(ButtonMovieReference(p),
              "b%201.swf?T1=Click+me&T2=More+Text&TC=FF0000&TU=&TW=_self&BS=");

    // Defaults of a freshly opened dialog.
    ButtonParameters fresh;
    fresh.FileName = "b2.swf";
    fresh.BS = "ding.swf";
    EXPECT_EQ(ButtonMovieReference(fresh),
              "b2.swf?T1=Your+Text&T2=More+Text&TC=000000&TU=&TW=_self&BS=ding.swf");
}

TEST(MovieReference, HeadingEndsWithAnEmptyBackgroundWhenNoneIsChosen) {
    HeadingParameters p;
    p.FileName = "h1.swf";
    p.T1 = "Welcome home";
    p.TU = "http://example.org/a b.htm";
    p.TW = "_blank";
    EXPECT_EQ(HeadingMovieReference(p),
              "h1.swf?T1=Welcome+home&TC=000000&TU=http://example.org/a+b.htm&TW=_blank&BM=");
    p.BM = "stars.swf";
    EXPECT_EQ(HeadingMovieReference(p).substr(HeadingMovieReference(p).size() - 13),
              "&BM=stars.swf");
}

TEST(MovieReference, IntroMovieCarriesAllEightKeysInOrder) {
    IntroMovieParameters p;
    p.FileName = "intro.swf";
    p.TF = "FP8957.htm";
    p.TextColor = "#00FF00";
    EXPECT_EQ(IntroMovieReference(p),
              "intro.swf?TF=FP8957.htm&TC=00FF00&TM=&TE=&BM=&TS=40&TU=&TW=_self");
    p.TM = "tune.swf";
    p.TE = "wave.swf";
    p.BM = "sky.swf";
    p.TS = "0";
    EXPECT_EQ(
        IntroMovieReference(p),
        "intro.swf?TF=FP8957.htm&TC=00FF00&TM=tune.swf&TE=wave.swf&BM=sky.swf&TS=0&TU=&TW=_self");
}

TEST(MovieReference, MiscArtKeepsBlanks) {
    EXPECT_EQ(MiscArtMovieReference("happy cat.swf"), "happy cat.swf?CA=1");
}

TEST(MovieReference, TypedTextReachesTheMovieWholeAndReadsBack) {
    ButtonParameters p;
    p.FileName = "b.swf";
    p.T1 = "Say \"hi\"";
    p.T2 = "it's Tom & Jerry=?# 1+1 100%";
    const std::string ref = ButtonMovieReference(p);
    EXPECT_EQ(ref, "b.swf?T1=Say+%22hi%22&T2=it%27s+Tom+%26+Jerry=?#+1%2B1+100%25&TC=000000&TU=&TW="
                   "_self&BS=");
    EXPECT_EQ(QueryValue("T1", ref), p.T1);
    EXPECT_EQ(QueryValue("T2", ref), p.T2);
    EXPECT_EQ(QueryValue("TW", ref), "_self");
    EXPECT_EQ(ref.find('"'), std::string::npos);
    EXPECT_EQ(ref.find('\''), std::string::npos);
    // Written into the movie parameter and read back with its markers, the reference is whole.
    const std::string markup = "<PARAM NAME=movie VALUE=\"" + ref + "\"><EMBED src='" + ref + "'";
    EXPECT_EQ(TextBetween(markup, "movie VALUE=\"", "\">"), ref);
    EXPECT_EQ(TextBetween(markup, "src='", "'"), ref);

    EXPECT_EQ(MiscArtMovieReference("o'neil.swf"), "o%27neil.swf?CA=1");
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// A page in windows-1252, GBK or Shift_JIS would read UTF-8 bytes in a reference as other
// characters: every byte outside ASCII goes in as its %XX escape, and reads back as typed.
TEST(MovieReference, TextsOutsideAsciiGoInAsEscapedUtf8AndReadBack) {
    struct Case {
        std::string text, escaped;
    };
    const Case cases[] = {
        {"Crème brûlée", "Cr%C3%A8me+br%C3%BBl%C3%A9e"},
        {"Grüße aus Köln", "Gr%C3%BC%C3%9Fe+aus+K%C3%B6ln"},
        {"ようこそ", "%E3%82%88%E3%81%86%E3%81%93%E3%81%9D"},
        {"欢迎 光临", "%E6%AC%A2%E8%BF%8E+%E5%85%89%E4%B8%B4"},
        {"50% & mehr € 😀", "50%25+%26+mehr+%E2%82%AC+%F0%9F%98%80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ButtonParameters button;
        button.FileName = "bouton é.swf";
        button.T1 = c.text;
        button.T2 = c.text;
        button.TU = "http://example.org/" + c.text;
        HeadingParameters heading;
        heading.FileName = "titre ü.swf";
        heading.T1 = c.text;
        heading.BM = "fond ü.swf";
        IntroMovieParameters intro;
        intro.FileName = "intro.swf";
        intro.TF = "FP1.htm";
        intro.TU = c.text;
        const std::string refs[] = {ButtonMovieReference(button), HeadingMovieReference(heading),
                                    IntroMovieReference(intro)};
        for (const std::string& ref : refs) {
            EXPECT_TRUE(IsAscii(ref)) << ref;
            EXPECT_NE(ref.find("=" + c.escaped + "&"), std::string::npos) << ref;
        }
        EXPECT_EQ(QueryValue("T1", refs[0]), c.text);
        EXPECT_EQ(QueryValue("T2", refs[0]), c.text);
        EXPECT_EQ(QueryValue("TU", refs[0]), "http://example.org/" + c.text);
        EXPECT_EQ(QueryValue("T1", refs[1]), c.text);
        EXPECT_EQ(QueryValue("TU", refs[2]), c.text);
    }
    ButtonParameters named;
    named.FileName = "bouton é.swf";
    const std::string button = ButtonMovieReference(named);
    EXPECT_TRUE(button.starts_with("bouton%20%C3%A9.swf?")) << button;
    EXPECT_EQ(MovieFileFromMarkup("<PARAM NAME=movie VALUE=\"" + button + "\">"), "bouton é.swf");
    HeadingParameters background;
    background.BM = "fond ü.swf";
    EXPECT_EQ(QueryValue("BM", HeadingMovieReference(background)), "fond ü.swf");
    EXPECT_EQ(MiscArtMovieReference("chat heureux é.swf"), "chat heureux %C3%A9.swf?CA=1");
    const PreparedObject local = PrepareLocalFile("/home/me/my heart é.swf", "10", "20", "");
    EXPECT_EQ(local.MovieRef, "my heart %C3%A9.swf");
    EXPECT_EQ(local.Files, std::vector<std::string>{"/home/me/my heart é.swf"});
    // A reference written before holds the text's bytes raw: it reads back as it always did.
    EXPECT_EQ(QueryValue("T1", "b.swf?T1=Crème+brûlée&T2="), "Crème brûlée");
    EXPECT_EQ(QueryValue("T1", "b.swf?T1=Cr\xE8me&T2="), "Cr\xE8me");
}

TEST(MovieReference, KindsCodesAndColourDigits) {
    EXPECT_EQ(IdPrefix(CreationKind::Button), "oKestreliteBT");
    EXPECT_EQ(IdPrefix(CreationKind::Heading), "oKestreliteHD");
    EXPECT_EQ(IdPrefix(CreationKind::IntroMovie), "oKestreliteMV");
    EXPECT_EQ(IdPrefix(CreationKind::MiscArt), "oKestreliteCL");
    const auto intro = KeyOrder(CreationKind::IntroMovie);
    EXPECT_EQ(std::vector<std::string_view>(intro.begin(), intro.end()),
              (std::vector<std::string_view>{"TF", "TC", "TM", "TE", "BM", "TS", "TU", "TW"}));
    EXPECT_EQ(ColorDigits("#A0B0C0"), "A0B0C0");
    EXPECT_EQ(ColorDigits("#FFF"), "#FFF");
    EXPECT_EQ(ColorDigits(""), "");
}

} // namespace
} // namespace tlx
