// The properties dialog's logic on pages of the editor's own model: reading an object, the
// markup written back, resizing and duplicating.

#include "editing/ObjectProperties.h"

#include "host/Application.h"
#include "host/HtmlDocument.h"
#include "markup/FlashObject.h"

#include <gtest/gtest.h>

using namespace tlx;

namespace {

const std::string kHead = "<html><head><title>T</title></head><body>\n";
const std::string kTail = "\n</body></html>\n";

class PropertiesPage : public ::testing::Test {
protected:
    PropertiesPage() : app_(host::Application::create()), editor_(app_) {}

    void open(const std::string& body) {
        window_ = app_->newPage();
        auto document = window_->document();
        document->replaceRange(0, document->text().size(), kHead + body + kTail);
    }
    const std::string& text() const { return window_->document()->text(); }
    ElementPtr select(const std::string& piece) {
        const std::size_t at = text().find(piece);
        EXPECT_NE(at, std::string::npos) << piece;
        window_->document()->setSelection(at, at + piece.size());
        return window_->document()->activeElement();
    }

    std::shared_ptr<host::Application> app_;
    HostEditor editor_;
    host::PageWindowHandle window_;
};

std::string ObjectWith(const std::string& attributes, const std::string& params) {
    return "<object " + attributes + ">" + params + "</object>";
}

} // namespace

TEST_F(PropertiesPage, ReadsSizesAlignmentWindowModeAndBackground) {
    struct Case {
        std::string attributes, params;
        std::string width, loadedWidth;
        bool widthPercent;
        std::string height;
        bool heightPercent;
        int hAlign, vAlign, wmode;
        std::string colour;
    };
    const Case cases[] = {
        {"width=\"50%\" height=\"200\"", "<param name=\"SALIGN\" value=\"lt\">", "50", "50", true,
         "200", false, kAlignLeft, kAlignTop, kNoWindowMode, "#FFFFFF"},
        {"width=\"%\" height=\"300px\"",
         "<param name=salign value=TL><param name=wmode value=window>", "0", "%", false, "300",
         false, kAlignCenter, kAlignMiddle, kWindowOpaque, "#FFFFFF"},
        {"width=10 height=10",
         "<param name=WMode value='\"transparent\"'><param name=bgcolor value=#ff0000>"
         "<param name=salign value=RB><param name=bgcolor value=FF0000>",
         "10", "10", false, "10", false, kAlignRight, kAlignBottom, kWindowTransparent, "FF0000"},
    };
    for (const Case& c : cases) {
        open("<p>x</p>" + ObjectWith(c.attributes, c.params));
        const SelectedObject object = ReadSelectedObject(select("<object"));
        SCOPED_TRACE(c.attributes + c.params);
        EXPECT_EQ(object.Fields.Width, c.width);
        EXPECT_EQ(object.LoadedWidth, c.loadedWidth);
        EXPECT_EQ(object.Fields.WidthPercent, c.widthPercent);
        EXPECT_EQ(object.Fields.Height, c.height);
        EXPECT_EQ(object.Fields.HeightPercent, c.heightPercent);
        EXPECT_EQ(object.Fields.HAlign, c.hAlign);
        EXPECT_EQ(object.Fields.VAlign, c.vAlign);
        EXPECT_EQ(object.Fields.WMode, c.wmode);
        EXPECT_EQ(object.Fields.BackColorText, c.colour);
    }
    EXPECT_EQ(ReadSelectedObject(nullptr).Fields.BackColorText, "#FFFFFF");
}

TEST(ObjectProperties, ReEditIsOfferedForOwnObjectsButLocalFiles) {
    EXPECT_TRUE(OtherPropertiesEnabled("oKestreliteBT001"));
    EXPECT_TRUE(OtherPropertiesEnabled("myKestrelite"));
    EXPECT_FALSE(OtherPropertiesEnabled("oKestreliteFL002"));
    EXPECT_FALSE(OtherPropertiesEnabled("flash1"));
    EXPECT_FALSE(OtherPropertiesEnabled(""));
    EXPECT_FALSE(OtherPropertiesEnabled("okestreliteBT001"));
}

TEST(ObjectProperties, MarkupOfTheDialogsFields) {
    PropertyFields heading;
    heading.Width = "400";
    heading.WidthPercent = true;
    heading.Height = "60";
    heading.BackColorText = "#003366";
    heading.WMode = kWindowTransparent;
    heading.HAlign = kAlignRight;
    heading.VAlign = kAlignBottom;
    const std::string cab = std::string(kPlayerCabinetAddress);
    const std::string plugins = std::string(kPlayerDownloadPage);
    EXPECT_EQ(PropertiesMarkup("oKestreliteHD002", "hd.swf?T1=A+B&TC=FF0000", heading),
              "<OBJECT classid='clsid:D27CDB6E-AE6D-11cf-96B8-444553540000' codeBase = '" + cab +
                  "' ID=oKestreliteHD002 NAME=oKestreliteHD002 WIDTH=400% HEIGHT=60>"
                  "<PARAM NAME=movie VALUE=\"hd.swf?T1=A+B&TC=FF0000\"> "
                  "<PARAM NAME=quality VALUE=high><PARAM NAME=bgcolor VALUE=#003366>"
                  "<PARAM NAME=wmode VALUE=transparent><PARAM NAME=salign VALUE=RB>"
                  "<EMBED src=\"hd.swf?T1=A+B&TC=FF0000\" quality=high bgcolor=#003366 "
                  "swLiveConnect=true NAME=eKestreliteHD002 TYPE='application/x-shockwave-flash' "
                  "PLUGINSPAGE='" +
                  plugins +
                  "' WIDTH=400% HEIGHT=60 wmode=transparent salign=RB ></EMBED></OBJECT>");

    struct Case {
        std::string id;
        int hAlign, vAlign, wmode;
        std::string objectNames, embedName, ending;
    };
    const Case cases[] = {
        {"", kAlignCenter, kAlignMiddle, kNoWindowMode, "", "", " HEIGHT=5 ></EMBED></OBJECT>"},
        {"flash1", kAlignLeft, kAlignMiddle, kWindowOpaque, " ID=flash1 NAME=flash1",
         " NAME=flash1", " HEIGHT=5 wmode=opaque salign=L ></EMBED></OBJECT>"},
        {"Kestrelite7", kAlignCenter, kAlignTop, kNoWindowMode, " ID=oestrelite7 NAME=oestrelite7",
         " NAME=eestrelite7", " HEIGHT=5 salign=T ></EMBED></OBJECT>"},
        {"my clip", kAlignCenter, kAlignMiddle, kNoWindowMode, " ID=my&#32;clip NAME=my&#32;clip",
         " NAME=my&#32;clip", " HEIGHT=5 ></EMBED></OBJECT>"},
    };
    for (const Case& c : cases) {
        PropertyFields fields;
        fields.Width = "5";
        fields.Height = "5";
        fields.HAlign = c.hAlign;
        fields.VAlign = c.vAlign;
        fields.WMode = c.wmode;
        const std::string markup = PropertiesMarkup(c.id, "a.swf", fields);
        SCOPED_TRACE(c.id);
        EXPECT_NE(markup.find("'" + c.objectNames + " WIDTH=5 HEIGHT=5>"), std::string::npos)
            << markup;
        EXPECT_NE(markup.find("swLiveConnect=true" + c.embedName + " TYPE="), std::string::npos)
            << markup;
        EXPECT_TRUE(markup.ends_with(c.ending)) << markup;
        EXPECT_EQ(markup.find("wmode VALUE") != std::string::npos, c.wmode != kNoWindowMode);
    }
}

TEST(ObjectProperties, ShrinkAndEnlargeByAQuarterRoundedDown) {
    struct Case {
        std::string n, shrunk, enlarged;
    };
    const Case cases[] = {{"100", "75", "125"},    {"75", "57", "93"}, {"4", "3", "5"},
                          {"3", "3", "3"},         {"1", "1", "1"},    {"0", "0", "0"},
                          {"10.5", "8.5", "12.5"}, {"-1", "0", "-2"},  {"300px", "225", "375"}};
    for (const Case& c : cases) {
        EXPECT_EQ(ShrunkSize(c.n), c.shrunk) << c.n;
        EXPECT_EQ(EnlargedSize(c.n), c.enlarged) << c.n;
    }
}

// The step is whole, so the result has no more decimals than the number typed: worked out in
// decimal, never through a double (4.35 would shrink to 3.3499999999999996).
TEST(ObjectProperties, ShrinkAndEnlargeWriteExactDecimals) {
    const std::string zeros290(290, '0');
    const std::string decimals307(307, '0');
    struct Case {
        std::string n, shrunk, enlarged;
    };
    const Case cases[] = {
        {"4.35", "3.35", "5.35"},
        {"-425.18", "-318.18", "-532.18"},
        {"0.1", "0.1", "0.1"},
        {"-0.1", "0.9", "-1.1"},
        {"-3.99", "-2.99", "-4.99"},
        {"12.50", "9.5", "15.5"},
        {"123456789.123456789", "92592592.123456789", "154320986.123456789"},
        {"0.000001", "0.000001", "0.000001"},
        {"+8", "6", "10"},
        {"+4.35", "3.35", "5.35"},
        {" -7", "-5", "-9"},
        {"-0", "0", "0"},
        {"007.70", "6.7", "8.7"},
        {"1e2", "75", "125"},
        {"4.35E1", "33.5", "53.5"},
        {"435e-2", "3.35", "5.35"},
        {"9007199254740993", "6755399441055745", "11258999068426241"},
        {"1.7976931348623157e308", "1348269851146736775" + zeros290,
         "2247116418577894625" + zeros290},
        {"-1.7976931348623157e308", "-1348269851146736775" + zeros290,
         "-2247116418577894625" + zeros290},
        {"2.2250738585072014e-308", "0." + decimals307 + "22250738585072014",
         "0." + decimals307 + "22250738585072014"},
        {"4.9e-324", "0." + decimals307 + std::string(16, '0') + "49",
         "0." + decimals307 + std::string(16, '0') + "49"},
        {"abc", "0", "0"},
        {"", "0", "0"},
        {"-", "0", "0"},
        {"1e99999", "1e99999", "1e99999"},
        {" 1e-5000px", " 1e-5000px", " 1e-5000px"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShrunkSize(c.n), c.shrunk) << c.n;
        EXPECT_EQ(EnlargedSize(c.n), c.enlarged) << c.n;
    }
}

TEST(ObjectProperties, SizeFieldsTakeNumbersOnly) {
    for (const char* number : {"12", " 12", "-3", "10.5", "1e2", ".5"})
        EXPECT_TRUE(IsNumberText(number)) << number;
    for (const char* other : {"", "abc", "12px", "1.2.3", "-", "50%"})
        EXPECT_FALSE(IsNumberText(other)) << other;
}

TEST_F(PropertiesPage, ApplyingReplacesTheObjectWithTheMarkupAsWritten) {
    const std::string object = ObjectWith("id=\"oKestreliteBT001\" width=\"100\" height=\"30\"",
                                          "<param name=\"movie\" value=\"b.swf?T1=Go&amp;CWR=0\">");
    open("<p>before</p>" + object + "<p>after</p>");
    const SelectedObject loaded = ReadSelectedObject(select(object));
    EXPECT_EQ(loaded.MovieRef, "b.swf?T1=Go&CWR=0");
    PropertyFields fields = loaded.Fields;
    fields.Width = "50";
    fields.WidthPercent = true;
    const std::string markup = PropertiesMarkup(loaded.Id, loaded.MovieRef, fields);
    ASSERT_TRUE(ChangeProperties(editor_, PropertiesTarget(editor_, loaded.Element), markup));
    EXPECT_EQ(text(), kHead + "<p>before</p>" + markup + "<p>after</p>" + kTail);
    // Read back, the object gives the same fields again.
    const SelectedObject again = ReadSelectedObject(window_->document()->activeElement());
    EXPECT_EQ(again.Fields.Width, "50");
    EXPECT_TRUE(again.Fields.WidthPercent);
    EXPECT_EQ(PropertiesMarkup(again.Id, again.MovieRef, again.Fields), markup);
}

TEST_F(PropertiesPage, ApplyingNeverPutsFlashInPlaceOfAnotherElement) {
    const std::string object =
        ObjectWith("id=\"flash1\" width=1 height=1", "<param name=movie value=\"a.swf\">");
    open(object + "<p id=para>text</p>");
    const SelectedObject loaded = ReadSelectedObject(select(object));
    // The object goes (another hand), a paragraph is active.
    loaded.Element->setOuterHTML("");
    select("<p id=para>text</p>");
    EXPECT_EQ(PropertiesTarget(editor_, loaded.Element), nullptr);
    EXPECT_FALSE(ChangeProperties(editor_, nullptr, "<OBJECT></OBJECT>"));
    EXPECT_NE(text().find("<p id=para>text</p>"), std::string::npos);
}

TEST_F(PropertiesPage, DuplicateRenamesTheCopyAndPutsItRightAfter) {
    const std::string other = ObjectWith("id=\"oKestreliteHD009\" width=1 height=1",
                                         "<param name=movie value=\"h.swf?T1=x\">");
    const std::string object =
        "<OBJECT ID=oKestreliteBT004 NAME=oKestreliteBT004 WIDTH=10 HEIGHT=10><PARAM NAME=movie "
        "VALUE=\"b.swf?T1=Go\"><EMBED src='b.swf?T1=Go' "
        "NAME=\"eKestreliteBT004\"></EMBED></OBJECT>";
    open(other + object + "<p>end</p>");
    const ElementPtr element = select(object);
    ASSERT_TRUE(DuplicateObject(editor_, element, "oKestreliteBT004", 0));
    const ElementPtr copy = window_->document()->all().item("oKestreliteBT010");
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->outerHTML(), RewriteObjectMarkup(*copy));
    EXPECT_NE(copy->outerHTML().find("NAME=\"eKestreliteBT010\""), std::string::npos);
    EXPECT_NE(text().find(object + copy->outerHTML() + "<p>end</p>"), std::string::npos);

    EXPECT_EQ(DuplicateNamesFor("clip", "001", 42)->NewId, "clip42");
    EXPECT_EQ(DuplicateNamesFor("Kestrelite5", "001", 7)->NewId, "Kestrelite57");
    EXPECT_FALSE(DuplicateNamesFor("", "001", 7));
    const int suffix = RandomCopySuffix();
    EXPECT_GE(suffix, 0);
    EXPECT_LE(suffix, 999);
}
