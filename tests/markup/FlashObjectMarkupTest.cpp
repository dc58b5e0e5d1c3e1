#include "markup/FlashObject.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>

using namespace tlx;

namespace {

FlashObject Button() {
    FlashObject object;
    object.Id = "oKestreliteBT001";
    object.MovieRef = "b1.swf?T1=Go&CWR=0&CWG=0&CWB=0";
    object.Width = "150";
    object.Height = "40";
    object.Background = "#FFFFFF";
    object.WMode = "transparent";
    object.SAlign = "";
    return object;
}

} // namespace

TEST(FlashObjectMarkup, ExactTextOfTheWriter) {
    const std::string expected =
        "<OBJECT classid='clsid:D27CDB6E-AE6D-11cf-96B8-444553540000' codeBase = "
        "'https://download.macromedia.com/pub/shockwave/cabs/flash/swflash.cab#version=6,0,23,0'"
        " ID=oKestreliteBT001 NAME=oKestreliteBT001 WIDTH=150 HEIGHT=40>"
        "<PARAM NAME=movie VALUE=\"b1.swf?T1=Go&CWR=0&CWG=0&CWB=0\">"
        "<PARAM NAME=quality VALUE=high> "
        "<PARAM NAME=bgcolor VALUE=#FFFFFF>"
        "<PARAM NAME=WMode VALUE=transparent>"
        "<PARAM NAME=FlashVars VALUE=\"T1=Go&CWR=0&CWG=0&CWB=0\">"
        "<PARAM NAME=SAlign VALUE=>"
        "<EMBED src='b1.swf?T1=Go&CWR=0&CWG=0&CWB=0' quality=high bgcolor=#FFFFFF"
        " FlashVars=\"T1=Go&CWR=0&CWG=0&CWB=0\""
        " swLiveConnect=\"true\" NAME=\"eKestreliteBT001\" TYPE='application/x-shockwave-flash' "
        "PLUGINSPAGE='https://www.macromedia.com/shockwave/download/"
        "index.cgi?P1_Prod_Version=ShockwaveFlash' "
        "WIDTH=150 HEIGHT=40></EMBED>"
        "</OBJECT>";
    EXPECT_EQ(FlashObjectMarkup(Button()), expected);
}

TEST(FlashObjectMarkup, RewriteOrderPutsSAlignBeforeFlashVars) {
    FlashObject object = Button();
    object.SAlign = "LT";
    const std::string markup = FlashObjectMarkup(object, SAlignPlacement::BeforeFlashVars);
    const std::string pair = "<PARAM NAME=WMode VALUE=transparent><PARAM NAME=SAlign VALUE=LT>"
                             "<PARAM NAME=FlashVars VALUE=\"T1=Go&CWR=0&CWG=0&CWB=0\"><EMBED ";
    EXPECT_NE(markup.find(pair), std::string::npos) << markup;
    // Apart from that order the two forms are the same text.
    const std::string written = FlashObjectMarkup(object);
    EXPECT_EQ(written.size(), markup.size());
    EXPECT_NE(written, markup);
}

TEST(FlashObjectMarkup, FixedTextNeverLooksAltered) {
    // The save-time check takes "PLAY" and "&AMP;" for signs of the editor's hand, and wants
    // "NAME=FLASHVAR": the add-in's own text must pass it whatever the values are.
    FlashObject object;
    object.Id = "oKestreliteHD002";
    object.MovieRef = "h.swf";
    for (const auto placement :
         {SAlignPlacement::AfterFlashVars, SAlignPlacement::BeforeFlashVars}) {
        std::string upper = FlashObjectMarkup(object, placement);
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(upper.find("PLAY"), std::string::npos) << upper;
        EXPECT_EQ(upper.find("&AMP;"), std::string::npos);
        EXPECT_NE(upper.find("NAME=FLASHVAR"), std::string::npos);
        EXPECT_EQ(upper.find('\n'), std::string::npos);
    }
}

TEST(FlashObjectMarkup, MovieWithoutQueryHasEmptyFlashVars) {
    FlashObject object = Button();
    object.Id = "oFromFileFL004";
    object.MovieRef = "local.swf";
    const std::string markup = FlashObjectMarkup(object);
    EXPECT_NE(markup.find("<PARAM NAME=FlashVars VALUE=\"\">"), std::string::npos);
    EXPECT_NE(markup.find(" FlashVars=\"\" swLiveConnect"), std::string::npos);
    EXPECT_NE(markup.find("NAME=\"eFromFileFL004\""), std::string::npos);
}

TEST(FlashObjectMarkup, QuoteCharactersCannotBreakTheAttributes) {
    FlashObject object = Button();
    object.MovieRef = "b1.swf?T1=Say+\"Hi\"+it's";
    const std::string markup = FlashObjectMarkup(object);
    EXPECT_NE(markup.find("VALUE=\"b1.swf?T1=Say+%22Hi%22+it%27s\">"), std::string::npos) << markup;
    EXPECT_NE(markup.find("src='b1.swf?T1=Say+%22Hi%22+it%27s'"), std::string::npos);
}

TEST(FlashVarsOf, PartAfterTheFirstSwfQuery) {
    EXPECT_EQ(FlashVarsOf("b1.swf?T1=Go"), "T1=Go");
    EXPECT_EQ(FlashVarsOf("B1.SWF?T1=Go"), "T1=Go");
    EXPECT_EQ(FlashVarsOf("a.swf?U=x.swf?y"), "U=x.swf?y");
    EXPECT_EQ(FlashVarsOf("a.swf"), "");
    EXPECT_EQ(FlashVarsOf("a.swf?"), "");
    EXPECT_EQ(FlashVarsOf(""), "");
}

TEST(ObjectKind, ReadFromTheId) {
    EXPECT_EQ(ObjectKindOf("oKestreliteBT001"), ObjectKind::BT);
    EXPECT_EQ(ObjectKindOf("oKestreliteSM010"), ObjectKind::SM);
    EXPECT_EQ(ObjectKindOf("oKestreliteCL"), ObjectKind::CL); // numbers used up
    EXPECT_EQ(ObjectKindOf("oFromFileFL002"), ObjectKind::FL);
    EXPECT_EQ(ObjectKindOf("oKestreliteXX001"), ObjectKind::Unknown);
    EXPECT_EQ(ObjectKindOf("OKESTRELITEBT001"), ObjectKind::Unknown);
    EXPECT_EQ(ObjectKindOf("flash1"), ObjectKind::Unknown);
    EXPECT_EQ(ObjectKindCode(ObjectKind::MV), "MV");
    EXPECT_EQ(ObjectKindCode(ObjectKind::Unknown), "");
}

TEST(FlashObjectMarkup, UnquotedValuesCannotEndTheirAttributeOrTag) {
    FlashObject object = Button();
    object.Id = "oKestreliteMV 42";
    object.Width = "150 onload=x";
    object.Background = "#fff><script>alert(1)</script>";
    object.WMode = "\"opaque";
    object.SAlign = "l't";
    const std::string markup = FlashObjectMarkup(object);
    EXPECT_NE(markup.find(" ID=oKestreliteMV&#32;42 NAME=oKestreliteMV&#32;42 "
                          "WIDTH=150&#32;onload=x HEIGHT=40>"),
              std::string::npos)
        << markup;
    EXPECT_NE(markup.find("<PARAM NAME=bgcolor VALUE=#fff&#62;&#60;script&#62;alert(1)&#60;/"
                          "script&#62;>"),
              std::string::npos)
        << markup;
    EXPECT_NE(markup.find("<PARAM NAME=WMode VALUE=&#34;opaque>"), std::string::npos);
    EXPECT_NE(markup.find("<PARAM NAME=SAlign VALUE=l&#39;t>"), std::string::npos);
    EXPECT_NE(markup.find("NAME=\"eKestreliteMV 42\""), std::string::npos);
    // No tag more than the object's own.
    const auto tags = [](const std::string& text) {
        return std::count(text.begin(), text.end(), '<');
    };
    EXPECT_EQ(tags(markup), tags(FlashObjectMarkup(Button())));
    // The escapes are not the "&amp;" that the save-time check takes for the editor's hand.
    object.Width = "1&amp;2";
    EXPECT_NE(FlashObjectMarkup(object).find("WIDTH=1&#38;amp;2 "), std::string::npos);
}

TEST(FlashObjectMarkup, EmptyValuesFollowedByAnotherAttributeAreWrittenQuoted) {
    FlashObject object = Button();
    object.Width = "";
    object.Background = "";
    const std::string markup = FlashObjectMarkup(object);
    EXPECT_NE(markup.find(" WIDTH=\"\" HEIGHT=40><PARAM"), std::string::npos) << markup;
    EXPECT_NE(markup.find("<PARAM NAME=bgcolor VALUE=>"), std::string::npos);
    EXPECT_NE(markup.find(" quality=high bgcolor=\"\" FlashVars=\"T1=Go"), std::string::npos);
    EXPECT_NE(markup.find("WIDTH=\"\" HEIGHT=40></EMBED>"), std::string::npos);
    // Values that end their tag stay empty as they are.
    object = Button();
    object.Height = "";
    EXPECT_NE(FlashObjectMarkup(object).find(" WIDTH=150 HEIGHT=><PARAM"), std::string::npos);
}
