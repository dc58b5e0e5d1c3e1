#include "markup/MarkupReader.h"

#include <gtest/gtest.h>

using namespace tlx;

TEST(HexDigit, UpperCaseDigitsOnly) {
    EXPECT_EQ(HexDigit('0'), 0);
    EXPECT_EQ(HexDigit('9'), 9);
    EXPECT_EQ(HexDigit('A'), 10);
    EXPECT_EQ(HexDigit('F'), 15);
    EXPECT_EQ(HexDigit('a'), 0);
    EXPECT_EQ(HexDigit('f'), 0);
    EXPECT_EQ(HexDigit('G'), 0);
    EXPECT_EQ(HexDigit('#'), 0);
}

TEST(HtmlColorToRgb, RedInTheLowestByte) {
    EXPECT_EQ(HtmlColorToRgb("#FF8000"), 33023);
    EXPECT_EQ(HtmlColorToRgb("FF8000"), 33023);
    EXPECT_EQ(HtmlColorToRgb("#0000FF"), 0xFF0000);
    EXPECT_EQ(HtmlColorToRgb("#123456"), 0x12 + 256 * 0x34 + 65536 * 0x56);
    // Lower-case digits count 0: only the letters.
    EXPECT_EQ(HtmlColorToRgb("#ff8000"), 128 * 256);
    EXPECT_EQ(HtmlColorToRgb("#ffffff"), 0);
    EXPECT_EQ(HtmlColorToRgb("#FFF"), 0);
    EXPECT_EQ(HtmlColorToRgb("12345"), 0);
    EXPECT_EQ(HtmlColorToRgb(""), 0);
    // A "#" with more than six characters after it: its last six count.
    EXPECT_EQ(HtmlColorToRgb("#00FF8000"), 33023);
}

TEST(QueryValue, ReadsKeyValuePairs) {
    const std::string query = "b.swf?T1=Big+Sale&amp;TC=FF0000";
    EXPECT_EQ(QueryValue("T1", query), "Big Sale");
    EXPECT_EQ(QueryValue("TC", query), "FF0000");
    EXPECT_EQ(QueryValue("TW", query), "");
    EXPECT_EQ(QueryValue("T1", "T1="), "");
    EXPECT_EQ(QueryValue("T1", "T1=x&T1=y"), "x");
    EXPECT_EQ(QueryValue("tc", query), ""); // the key's letter case counts
    EXPECT_EQ(QueryValue("CWG", "m.swf?CWR=40&CWG=-10&CWB=0"), "-10");
    EXPECT_EQ(QueryValue("T1", "x.swf?T1=a&AMP;T2=b"), "a"); // "&amp;" in any letter case
    // A key that ends another key's name is found inside it.
    EXPECT_EQ(QueryValue("T1", "x.swf?XT1=in&T1=out"), "in");
}

TEST(MarkupQueryValue, ReadsTheMovieReferenceOfMarkup) {
    const std::string markup =
        "<OBJECT ID=oKestreliteBT001><PARAM NAME=movie VALUE=\"b1.swf?T1=Go+Home&amp;TC=FFFFFF\">"
        "<PARAM NAME=FlashVars VALUE=\"T1=Other\"></OBJECT>";
    EXPECT_EQ(MarkupQueryValue("T1", markup), "Go Home");
    EXPECT_EQ(MarkupQueryValue("TC", markup), "FFFFFF");
    EXPECT_EQ(MovieFileFromMarkup(markup), "b1.swf");

    const std::string upper = "<PARAM NAME=MOVIE VALUE=\"B2.SWF?T1=Up\">";
    EXPECT_EQ(MarkupQueryValue("T1", upper), "Up");
    EXPECT_EQ(MovieFileFromMarkup(upper), "B2.swf");

    const std::string singleQuoted = "<PARAM NAME=movie VALUE='snd.swf?S=1'>";
    EXPECT_EQ(MarkupQueryValue("S", singleQuoted), "");
    EXPECT_EQ(MovieFileFromMarkup(singleQuoted), ".swf");
    EXPECT_EQ(MovieFileFromMarkup("<IMG src=x.gif>"), ".swf");
}
