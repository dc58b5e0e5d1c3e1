// Re-editing: the creation dialogs' fields filled from an object's kept markup, and the intro
// movie's text file read through the editor, waiting a bounded time.

#include "editing/ReEdit.h"

#include "addin/AddinTestSupport.h"
#include "common/ScriptedPlatform.h"

#include <gtest/gtest.h>

using namespace tlx;

namespace {

CatalogEntry Entry(const std::string& file) {
    CatalogEntry entry;
    entry.FileName = file;
    entry.StyleName = file;
    return entry;
}

CatalogList ListOf(std::initializer_list<const char*> files) {
    CatalogList list("Available...", "Available");
    for (const char* file : files)
        list.append(Entry(file));
    return list;
}

std::string Inner(const std::string& movie) {
    return "<PARAM NAME=movie VALUE=\"" + movie +
           "\"><PARAM NAME=quality VALUE=high> "
           "<EMBED src='" +
           movie + "'></EMBED>";
}

} // namespace

TEST(ReEdit, KindOfTheDialogByTheId) {
    EXPECT_EQ(ReEditKindOf("oKestreliteBT001"), ReEditKind::Button);
    EXPECT_EQ(ReEditKindOf("oKestreliteHD001"), ReEditKind::Heading);
    EXPECT_EQ(ReEditKindOf("oKestreliteMV001"), ReEditKind::IntroMovie);
    EXPECT_EQ(ReEditKindOf("oKestreliteCL001"), ReEditKind::MiscArt);
    EXPECT_EQ(ReEditKindOf("oKestreliteTP001"), ReEditKind::None);
    EXPECT_EQ(ReEditKindOf("okestreliteBT001"), ReEditKind::None);
}

TEST(ReEdit, ButtonFieldsFromTheObjectsParameters) {
    const CatalogList styles = ListOf({"btgel.swf", "btpill.swf"});
    const CatalogList sounds = ListOf({"sndclick.swf"});
    struct Case {
        std::string movie;
        ButtonReEdit expected;
    };
    const Case cases[] = {
        {"btpill.swf?T1=Big+Sale&T2=Now%20on&TC=FF0000&TU=a.htm&TW=_top&BS=sndclick.swf",
         {"Big Sale", "Now on", "a.htm", "_top", 2, 1, "#FF0000"}},
        // A sound no longer in the catalog, a movie no longer listed, keys missing.
        {"gone.swf?T1=Go&BS=sndold.swf", {"Go", "", "", "", 0, 0, "#"}},
        // XT1= holds T1= too: the first occurrence counts.
        {"btgel.swf?XT1=no&T1=yes", {"no", "", "", "", 1, 0, "#"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.movie);
        const ButtonReEdit fill = ReadButtonReEdit(Inner(c.movie), styles, sounds);
        EXPECT_EQ(fill.T1, c.expected.T1);
        EXPECT_EQ(fill.T2, c.expected.T2);
        EXPECT_EQ(fill.TU, c.expected.TU);
        EXPECT_EQ(fill.TW, c.expected.TW);
        EXPECT_EQ(fill.StyleIndex, c.expected.StyleIndex);
        EXPECT_EQ(fill.SoundIndex, c.expected.SoundIndex);
        EXPECT_EQ(fill.TextColor, c.expected.TextColor);
    }
}

TEST(ReEdit, HeadingAndIntroFieldsFromTheObjectsParameters) {
    const CatalogList styles = ListOf({"hdwave.swf", "mvstory.swf"});
    const CatalogList backgrounds = ListOf({"bgstars.swf", "bgwaves.swf"});
    const HeadingReEdit heading = ReadHeadingReEdit(
        Inner("hdwave.swf?T1=Harbour+Lights&TC=7A3B10&TU=&TW=_self&BM=bgwaves.swf&CWR=0"), styles,
        backgrounds);
    EXPECT_EQ(heading.T1, "Harbour Lights");
    EXPECT_EQ(heading.StyleIndex, 1u);
    EXPECT_EQ(heading.BackIndex, 2u);
    EXPECT_EQ(heading.TextColor, "#7A3B10");

    const IntroReEdit intro = ReadIntroReEdit(
        Inner("mvstory.swf?TF=FP81075.htm&TC=000000&TM=mcpads.swf&TE=&BM=bgstars.swf&TS=32&TU=&TW="
              "_self"),
        styles, backgrounds, ListOf({"mcbeat.swf", "mcpads.swf"}), ListOf({"tezoom.swf"}));
    EXPECT_EQ(intro.OldVFile, "FP81075.htm");
    EXPECT_EQ(intro.StyleIndex, 2u);
    EXPECT_EQ(intro.BackIndex, 1u);
    EXPECT_EQ(intro.MusicIndex, 2u);
    EXPECT_EQ(intro.EffectIndex, 0u);
    EXPECT_EQ(intro.TSize, "32");
}

class IntroTextThroughHost : public ::testing::Test {
protected:
    IntroTextThroughHost() : app(host::Application::create()), context(platform, install.str()) {
        context.Editor = HostEditor(app);
        test::WriteFile(web.path() / "page.htm", test::kPageHead + "<p>x</p>" + test::kPageTail);
        test::WriteFile(web.path() / "FP1.htm",
                        "<html><body>T1=Hello & welcome&T2=More+here&eof=1\r\n</body></html>");
        app->openWeb(web.path());
        app->openPage(web.path() / "page.htm");
    }

    test::TempFolder install;
    test::TempFolder web;
    std::shared_ptr<host::Application> app;
    ScriptedPlatform platform;
    AddinContext context;
};

TEST_F(IntroTextThroughHost, ReadsTheTextsAndClosesTheTextFile) {
    const auto page = app->activePageWindow();
    const Result<IntroTexts> texts = ReadIntroTextsThroughHost(context, "FP1.htm");
    ASSERT_TRUE(texts) << texts.error();
    // Read back as typed, as the movie shows them: "&" and "+" included.
    EXPECT_EQ(texts->T1, "Hello & welcome");
    EXPECT_EQ(texts->T2, "More+here");
    EXPECT_EQ(context.StatusFlag, "Waiting");
    EXPECT_EQ(app->activePageWindow(), page);
}

TEST_F(IntroTextThroughHost, AMissingTextFileEndsWithTheErrorMessage) {
    const Result<IntroTexts> texts = ReadIntroTextsThroughHost(context, "FP2.htm");
    EXPECT_FALSE(texts);
    EXPECT_EQ(texts.error(), "53 - File not found: FP2.htm");
}

TEST_F(IntroTextThroughHost, TheWaitForTheIntroDialogEnds) {
    context.StatusFlag = "Waiting";
    EXPECT_FALSE(WaitWhileStatusWaiting(context, 50));
    platform.pendingEvents.push_back([this] { context.StatusFlag = "Loaded Movie"; });
    EXPECT_TRUE(WaitWhileStatusWaiting(context, 50));
}

TEST_F(IntroTextThroughHost, PreviewCopyReplacesTheEarlierOnes) {
    test::WriteFile(install.path() / "FlashMovies" / "FP99.htm", "old");
    const std::string name = WritePreviewTextFile(install.str(), "A & B", "C");
    ASSERT_FALSE(name.empty());
    EXPECT_FALSE(std::filesystem::exists(install.path() / "FlashMovies" / "FP99.htm"));
    EXPECT_EQ(test::ReadFile(install.path() / "FlashMovies" / name), "T1=A & B&T2=C&eof=1\r\n");
}
