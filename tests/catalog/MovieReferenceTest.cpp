#include "catalog/MovieReference.h"

#include "markup/MarkupReader.h"
#include "markup/TextHelpers.h"

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
