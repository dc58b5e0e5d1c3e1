// Sound events on a page's images, on pages of the editor's own model in a web on disk.

#include "sound/SoundEvent.h"

#include "addin/AddinTestSupport.h"
#include "common/ScriptedPlatform.h"
#include "markup/FlashObject.h"

#include <gtest/gtest.h>

using namespace tlx;
namespace fs = std::filesystem;

namespace {

class SoundPage : public ::testing::Test {
protected:
    SoundPage() : app(host::Application::create()), editor(app) {
        test::WriteFile(install.path() / "sounds.kqz",
                        "[SndClick]{sndclick.swf}(Click)!^A click.^!\r\n"
                        "{sndding.swf}(Ding)!^No ID.^!\r\n"
                        "[SndPop]{sndpop.swf}(Pop)\r\n"
                        "[SndGone]{sndgone.swf}(Gone)!^Not in the library.^!\r\n"
                        "[SndDing]{sndding.swf}(Ding)!^A ding.^!\r\n");
        for (const char* file : {"sndclick.swf", "sndding.swf", "sndpop.swf"})
            test::WriteFile(install.path() / "FlashMovies" / file, "FWS");
        app->openWeb(web.path());
    }
    std::shared_ptr<host::HtmlDocument> page(const std::string& body) {
        test::WriteFile(web.path() / "p.htm", test::kPageHead + body + test::kPageTail);
        return app->openPage(web.path() / "p.htm")->document();
    }

    test::TempFolder install;
    test::TempFolder web;
    std::shared_ptr<host::Application> app;
    HostEditor editor;
    ScriptedPlatform platform;
};

} // namespace

TEST_F(SoundPage, OnlySoundsWithAllFourFieldsInTheLibraryAreListed) {
    const std::vector<SoundEntry> sounds = ReadSoundEntries(install.str());
    ASSERT_EQ(sounds.size(), 2u);
    EXPECT_EQ(sounds[0].Id, "SndClick");
    EXPECT_EQ(sounds[0].Description, "A click.");
    EXPECT_EQ(sounds[1].Name, "Ding");
    EXPECT_TRUE(ReadSoundEntries(web.str()).empty());
}

TEST_F(SoundPage, ImagesAreListedByNameOrPosition) {
    const auto document = page("<img src=a.gif><img name=logo src=b.gif><p><img src=c.gif></p>");
    EXPECT_EQ(ImageListEntries(*document),
              (std::vector<std::string>{"Image Object [0] ", "logo", "Image Object [2] "}));
    const auto third = ImagesOfEntry(*document, "Image Object [2] ");
    ASSERT_EQ(third.size(), 1u);
    EXPECT_EQ(third[0]->getAttribute("src"), "c.gif");
    EXPECT_EQ(ImagesOfEntry(*document, "logo").size(), 1u);
    EXPECT_TRUE(ImagesOfEntry(*document, "Image Object [9] ").empty());
}

TEST(SoundEvent, HandlerPlaysTheSoundAfterWhatTheImageHad) {
    struct Case {
        const char* before;
        const char* after;
    };
    for (const Case& c :
         {Case{"", "javascript:document.Snd.Play();"}, Case{"x", "javascript:document.Snd.Play();"},
          Case{"alert(1)", "alert(1);document.Snd.Play();"},
          Case{"alert(1);", "alert(1);document.Snd.Play();"},
          Case{"javascript:document.Snd.Play();",
               "javascript:document.Snd.Play();document.Snd.Play();"}})
        EXPECT_EQ(HandlerWithSound(c.before, "Snd"), c.after) << c.before;
}

TEST_F(SoundPage, InsertingTwiceKeepsOneSoundObjectAtTheEndOfTheBody) {
    const auto document =
        page("<p><img src=a.gif onclick=\"alert(1)\"></p><img name=two src=b.gif>");
    const SoundEntry click = ReadSoundEntries(install.str()).at(0);
    ASSERT_EQ(InsertSoundEvent(editor, platform, install.str(), click, 0, SoundEvent::Click),
              SoundInsertResult::Inserted);
    ASSERT_EQ(InsertSoundEvent(editor, platform, install.str(), click, 1, SoundEvent::MouseOver),
              SoundInsertResult::Inserted);
    const std::string markup = SoundObjectMarkup("SndClick", "sndclick.swf", "#FFFFFF");
    EXPECT_EQ(markup, "<OBJECT classid='clsid:D27CDB6E-AE6D-11cf-96B8-444553540000' codeBase = '" +
                          std::string(kPlayerCabinetAddress) +
                          "' ID=SndClick NAME=SndClick WIDTH=18 HEIGHT=18>"
                          "<PARAM NAME=movie VALUE='sndclick.swf'><PARAM NAME=quality VALUE=high>"
                          "<PARAM NAME=bgcolor VALUE=#FFFFFF><EMBED src='sndclick.swf' "
                          "quality=high bgcolor=#FFFFFF swLiveConnect=true NAME=SndClick "
                          "TYPE='application/x-shockwave-flash' PLUGINSPAGE='" +
                          std::string(kPlayerDownloadPage) +
                          "' WIDTH=18 HEIGHT=18></EMBED></OBJECT>");
    const std::string& text = document->text();
    EXPECT_NE(text.find(markup + "</body>"), std::string::npos) << text;
    EXPECT_EQ(text.find(markup), text.rfind(markup));
    const auto images = document->all().tags("IMG");
    EXPECT_EQ(images.item(std::size_t{0})->getAttribute("onclick"),
              "alert(1);document.SndClick.Play();");
    EXPECT_EQ(images.item(std::size_t{1})->getAttribute("onmouseover"),
              "javascript:document.SndClick.Play();");
    EXPECT_TRUE(fs::exists(web.path() / "sndclick.swf"));
}

TEST(SoundEvent, SoundFileNameOutsideAsciiIsWrittenAsEscapedUtf8) {
    const std::string markup = SoundObjectMarkup("Snd", "klick ä.swf", "#FFFFFF");
    EXPECT_NE(markup.find("VALUE='klick %C3%A4.swf'>"), std::string::npos) << markup;
    EXPECT_NE(markup.find("src='klick %C3%A4.swf' "), std::string::npos) << markup;
}

TEST_F(SoundPage, UnsavedPageGetsTheMessageAndStaysAsItWas) {
    // A page never saved, and one saved to a folder outside the web: neither is in the web.
    test::TempFolder outside;
    page("<img src=a.gif>");
    for (const bool saveOutside : {false, true}) {
        SCOPED_TRACE(saveOutside ? "saved outside the web" : "never saved");
        platform.calls.clear();
        const auto window =
            saveOutside ? app->findPageWindow(web.path() / "p.htm") : app->newPage();
        ASSERT_TRUE(window);
        if (saveOutside) {
            ASSERT_TRUE(app->setActivePageWindow(window));
            ASSERT_TRUE(app->savePageAs(window, outside.path() / "p.htm"));
        }
        const std::string before = window->document()->text();
        const SoundEntry click = ReadSoundEntries(install.str()).at(0);
        EXPECT_EQ(
            InsertSoundEvent(editor, platform, install.str(), click, 0, SoundEvent::MouseOver),
            SoundInsertResult::UnsavedPage);
        ASSERT_EQ(platform.callsOf("messageBox").size(), 1u);
        EXPECT_EQ(platform.callsOf("messageBox")[0].args[0], std::string(kUnsavedPageMessage));
        EXPECT_EQ(window->document()->text(), before);
        EXPECT_FALSE(fs::exists(web.path() / "sndclick.swf"));
        EXPECT_FALSE(fs::exists(outside.path() / "sndclick.swf"));
    }
}

TEST_F(SoundPage, PageBackgroundGoesIntoTheSoundObject) {
    test::WriteFile(web.path() / "q.htm",
                    "<html><body bgcolor=\"#FFF8EE\"><img src=a.gif></body></html>");
    const auto document = app->openPage(web.path() / "q.htm")->document();
    const SoundEntry ding = ReadSoundEntries(install.str()).at(1);
    ASSERT_EQ(InsertSoundEvent(editor, platform, install.str(), ding, 0, SoundEvent::MouseOut),
              SoundInsertResult::Inserted);
    EXPECT_NE(document->text().find("<PARAM NAME=bgcolor VALUE=#FFF8EE><EMBED src='sndding.swf' "
                                    "quality=high bgcolor=#FFF8EE "),
              std::string::npos);
}
