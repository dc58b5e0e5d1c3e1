// The creation dialogs offscreen, with the recording preview, over the real page editor model:
// what they insert, what they refuse, which controls the style types offer, the link picker.

#include "catalog/qt/CreationDialogs.h"

#include "addinbase/AddinContext.h"
#include "catalog/StyleTypes.h"
#include "catalog/qt/FlashHeading.h"
#include "catalog/qt/FlashMisc.h"
#include "catalog/qt/FlashMovie.h"
#include "catalog/qt/FromFile.h"
#include "catalog/qt/fButton.h"
#include "colour/qt/ColourSwatch.h"
#include "common/RecordingPreviewFactory.h"
#include "common/ScriptedPlatform.h"
#include "common/ShownObjects.h"
#include "common/TempFolder.h"
#include "editing/qt/FlashProp.h"
#include "editing/qt/ReEditDialogs.h"
#include "host/Application.h"
#include "host/HtmlDocument.h"
#include "hostapi/UserAction.h"
#include "markup/FlashObject.h"
#include "markup/LinkPicker.h"
#include "markup/TextHelpers.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <gtest/gtest.h>

namespace tlx {
namespace {

namespace fs = std::filesystem;
using tlx::testing::readFile;
using tlx::testing::writeFile;

class QtApp : public ::testing::Environment {
public:
    void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_); }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[12] = "catalog_qt";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};
const auto* const kApp = ::testing::AddGlobalTestEnvironment(new QtApp);

const char kPage[] =
    "<html><head><title>T</title></head><body>\n<p id=p1>Text</p>\n</body></html>\n";

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path movies = install.path() / "FlashMovies";
        for (const char* file :
             {"bt1.swf", "bt2.swf", "bt3.swf", "snd.swf", "hd1.swf", "hd2.swf", "bg1.swf",
              "mv1.swf", "mv2.swf", "mu1.swf", "te1.swf", "art1.swf", "art 2.swf"})
            writeFile(movies / file, "FWS");
        writeFile(install.path() / "buttons.kqz",
                  "[TwinText]{bt1.swf}(Gel)*&[180](44)<Glossy>!^Glossy gel.^!&*\r\n"
                  "[SingleTextNoColor]{bt2.swf}(Chrome)*&[170](40)<Metal>&*\r\n"
                  "[TwinTextSnd]{bt3.swf}(Tab)*&[170](48)<Glossy>&*\r\n"
                  "[TwinText]{missing.swf}(Gone)*&[1](1)<Lost>&*\r\n");
        writeFile(install.path() / "sounds.kqz", "[S]{snd.swf}(Click)\r\n");
        writeFile(
            install.path() / "headings.kqz",
            "[Standard]{hd1.swf}(Wave)*&[468](60)&*\r\n[NoColor]{hd2.swf}(Stone)*&[400](64)&*\r\n");
        writeFile(install.path() / "backgrnds.kqz", "[B]{bg1.swf}(Stars)\r\n");
        writeFile(install.path() / "movies.kqz", "[MoreText]{mv1.swf}(Story)*&[500](360)&*\r\n"
                                                 "[StandardNoE]{mv2.swf}(Plain)*&[500](360)&*\r\n");
        writeFile(install.path() / "mcmusic.kqz", "[M]{mu1.swf}(Pads)\r\n");
        writeFile(install.path() / "teffects.kqz", "[E]{te1.swf}(Zoom)\r\n");
        writeFile(
            install.path() / "miscflash.kqz",
            "[Shapes]{art1.swf}(Star)*&[130](100)!^A star.^!&*\r\n"
            "[Web]{art 2.swf}(Globe)*&[120](90)&*\r\n"
            "[Empty]{nothere.swf}(Ghost)*&[1](1)&*\r\n[shapes]{art1.swf}(Star2)*&[1](1)&*\r\n");
        context.InstallFolder = install.path().string();
        writeFile(web.path() / "index.htm", kPage);
        ASSERT_TRUE(app->openWeb(web.path()));
        window = app->openPage(web.path() / "index.htm");
        ASSERT_TRUE(window);
        const std::string& text = window->document()->text();
        const std::size_t at = text.find("</body>");
        window->document()->setSelection(at, at);
        context.Editor = HostEditor(app);
    }

    std::string Page() const { return window->document()->text(); }

    tlx::testing::TempFolder install;
    tlx::testing::TempFolder web;
    std::shared_ptr<host::Application> app = host::Application::create();
    host::PageWindowHandle window;
    ScriptedPlatform platform;
    AddinContext context{platform, ""};
    PreviewFactory recording = RecordingPreviewFactory();
};

RecordingFlashPreview& Recorded(CreationDialog& dialog) {
    return *dynamic_cast<RecordingFlashPreview*>(dialog.FlashDemo);
}

TEST_F(Dialogs, ButtonListsCategoriesAndOffersControlsByStyleType) {
    fButton dialog(context, recording);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Insert Flash Button"));
    ASSERT_EQ(dialog.lstCats->count(), 4); // a category of a missing movie is not added
    EXPECT_EQ(dialog.lstCats->item(2)->text(), QStringLiteral("Glossy"));
    EXPECT_EQ(dialog.lstCats->item(3)->text(), QStringLiteral("Metal"));
    EXPECT_EQ(dialog.FlashStyle->itemText(0), QStringLiteral("Available Flash Buttons..."));
    EXPECT_FALSE(dialog.SoundDesc->isEnabled());
    EXPECT_TRUE(dialog.Command1->isEnabled());
    EXPECT_FALSE(dialog.btUpdate->isEnabled());

    auto& preview = Recorded(dialog);
    preview.Calls.clear();
    dialog.PresetStyle("bt1.swf");
    const fs::path movie = fs::path(context.InstallFolder) / "FlashMovies" / "bt1.swf";
    EXPECT_EQ(preview.Calls,
              (std::vector<std::string>{"Movie(" + movie.string() + ")", "SetVariable(TC=000000)",
                                        "BGColor(#FFFFFF)", "SetVariable(T1=Your Text)",
                                        "SetVariable(T2=More Text)", "GotoFrame(1)", "Play"}));
    EXPECT_EQ(dialog.lblDesc->text(), QStringLiteral("Glossy gel."));

    dialog.PresetStyle("bt2.swf"); // no colour, one text
    EXPECT_TRUE(dialog.fTextColor->isHidden());
    EXPECT_TRUE(dialog.Text2->isHidden());
    dialog.PresetStyle("bt3.swf"); // two texts with a sound
    EXPECT_FALSE(dialog.fTextColor->isHidden());
    EXPECT_FALSE(dialog.Text2->isHidden());
    EXPECT_TRUE(dialog.SoundDesc->isEnabled());

    // Typing restarts the preview with the new text; with a sound style BS is the full path.
    preview.Calls.clear();
    dialog.Text1->setText(QStringLiteral("Go"));
    ASSERT_GE(preview.Calls.size(), 3u);
    EXPECT_EQ(preview.Calls.front(), "SetVariable(T1=Go)");
    EXPECT_EQ(preview.Calls[1].rfind("SetVariable(BS=" + movie.parent_path().string(), 0), 0u);
    EXPECT_EQ(preview.Calls.back(), "Play");

    // A category rebuilds the list with the short placeholder and disables Insert.
    dialog.lstCats->setCurrentRow(3);
    ASSERT_EQ(dialog.FlashStyle->count(), 2);
    EXPECT_EQ(dialog.FlashStyle->itemText(0), QStringLiteral("Available Flash Buttons"));
    EXPECT_EQ(dialog.FlashStyle->itemText(1), QStringLiteral("Chrome"));
    EXPECT_FALSE(dialog.Command1->isEnabled());
}

TEST_F(Dialogs, InsertNeedsAChoiceAndASavedPage) {
    {
        fButton dialog(context, recording);
        dialog.Command1_Click(); // the placeholder
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(Page(), kPage);
    }
    const auto unsaved = app->newPage();
    context.Editor = HostEditor(app);
    {
        fButton dialog(context, recording);
        dialog.PresetStyle("bt1.swf");
        dialog.Command1_Click();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    ASSERT_EQ(platform.callsOf("messageBox").size(), 1u);
    EXPECT_EQ(platform.callsOf("messageBox")[0].args[0],
              "Unable to succesfully add Flash content without being in a Frontpage Web or a "
              "Saved document.\rPlease save page/web before adding Flash content.");
    EXPECT_EQ(platform.callsOf("messageBox")[0].args[3], "Mirvane");
    EXPECT_FALSE(fs::exists(web.path() / "bt1.swf"));
}

// The caret ("|") inside markup a browser does not show: the object goes just after that
// markup, as html5lib's tree of the saved page shows; a page of frames takes none.
TEST_F(Dialogs, InsertAtACaretInHiddenMarkupPutsTheObjectWhereABrowserShowsIt) {
    struct Case {
        const char* what;
        std::string page;
        std::string after; // what the object follows, empty when it is refused
    };
    const std::vector<Case> cases{
        {"in a comment", "<body><p>A<!-- no|te --> B</p></body>", "<!-- note -->"},
        {"in a script", "<body><script>var a = '|';</script><p>B</p></body>", "</script>"},
        {"in a style", "<body><style>p {| }</style><p>B</p></body>", "</style>"},
        {"in a textarea", "<body><textarea>dra|ft</textarea></body>", "</textarea>"},
        {"in a start tag", "<body><p class=|x>B</p></body>", "<p class=x>"},
        {"in svg", "<body><svg><circle r=5>|</circle></svg><p>B</p></body>", "</svg>"},
        {"in math", "<body><math><mi>|x</mi></math></body>", "</math>"},
        {"in a select", "<body><select><option>O|ne</option></select></body>", "</select>"},
        {"in a template", "<body><template><p>|</p></template></body>", "</template>"},
        {"in a noscript", "<body><noscript><p>|</p></noscript></body>", "</noscript>"},
        {"in a frameset", "<html><frameset><frame src=a.htm>|</frameset></html>", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t caret = c.page.find('|');
        const std::string original = c.page.substr(0, caret) + c.page.substr(caret + 1);
        const fs::path file = web.path() / "case.htm";
        writeFile(file, original);
        fs::remove(web.path() / "bt1.swf");
        platform.calls.clear();
        const auto page = app->openPage(file);
        ASSERT_TRUE(page);
        page->document()->setSelection(caret, caret);
        {
            fButton dialog(context, recording);
            dialog.PresetStyle("bt1.swf");
            dialog.Command1_Click();
            EXPECT_EQ(dialog.result(), c.after.empty() ? QDialog::Rejected : QDialog::Accepted);
        }
        const std::string text = page->document()->text();
        if (c.after.empty()) {
            ASSERT_EQ(platform.callsOf("messageBox").size(), 1u);
            EXPECT_EQ(platform.callsOf("messageBox")[0].args[0], std::string(kNoPlaceMessage));
            EXPECT_EQ(text, original);
            EXPECT_FALSE(fs::exists(web.path() / "bt1.swf"));
        } else {
            EXPECT_TRUE(platform.callsOf("messageBox").empty());
            ASSERT_TRUE(app->savePage(page));
            const auto shown = tlx::testing::shownObjectIds(file);
            ASSERT_TRUE(shown) << "html5lib could not judge the page";
            EXPECT_EQ(*shown, std::vector<std::string>{"oKestreliteBT001"}) << text;
            const std::size_t from = text.find("<OBJECT");
            EXPECT_EQ(text.substr(0, from).substr(from - std::min(from, c.after.size())), c.after);
            EXPECT_EQ(text.substr(0, from) + text.substr(text.find("</OBJECT>") + 9), original);
            EXPECT_TRUE(fs::exists(web.path() / "bt1.swf"));
        }
        EXPECT_TRUE(page->Close(false));
    }
}

// The movie and its sound go where the page's reference to them resolves: next to a page in a
// folder of the web; a page saved outside the web is not in a web, and nothing is copied.
TEST_F(Dialogs, InsertAfterSaveAsCopiesNextToThePageOnlyInsideTheWeb) {
    tlx::testing::TempFolder outside;
    struct Case {
        fs::path folder;
        bool inWeb;
    };
    const std::vector<Case> cases{{web.path() / "sub" / "deeper", true}, {outside.path(), false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder.string());
        fs::create_directories(c.folder);
        platform.calls.clear();
        const auto page = app->openPage(web.path() / "index.htm");
        ASSERT_TRUE(page);
        ASSERT_TRUE(app->savePageAs(page, c.folder / "saved.htm"));
        const std::size_t at = page->document()->text().find("</body>");
        page->document()->setSelection(at, at);
        const std::string before = page->document()->text();
        {
            fButton dialog(context, recording);
            dialog.PresetStyle("bt3.swf");
            dialog.PresetSound("snd.swf");
            dialog.Command1_Click();
            EXPECT_EQ(dialog.result(), c.inWeb ? QDialog::Accepted : QDialog::Rejected);
        }
        EXPECT_EQ(fs::exists(c.folder / "bt3.swf"), c.inWeb);
        EXPECT_EQ(fs::exists(c.folder / "snd.swf"), c.inWeb);
        EXPECT_FALSE(fs::exists(web.path() / "bt3.swf"));
        EXPECT_FALSE(fs::exists(web.path() / "snd.swf"));
        if (c.inWeb) {
            EXPECT_NE(page->document()->text().find("bt3.swf?"), std::string::npos);
            EXPECT_TRUE(platform.callsOf("messageBox").empty());
        } else {
            EXPECT_EQ(page->document()->text(), before);
            ASSERT_EQ(platform.callsOf("messageBox").size(), 1u);
            EXPECT_EQ(platform.callsOf("messageBox")[0].args[0], std::string(kUnsavedPageMessage));
        }
        EXPECT_TRUE(page->Close(false));
    }
}

TEST_F(Dialogs, ButtonWithSoundStylePlaceholderSoundEndsWithEmptyBS) {
    writeFile(web.path() / "bt3.swf", "old");
    fButton dialog(context, recording);
    dialog.PresetStyle("bt3.swf");
    dialog.Text1->setText(QStringLiteral("Tom & Jerry"));
    SetSwatchColour(*dialog.fTextColor, "#FF0000");
    dialog.Command1_Click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.PlacedId(), "oKestreliteBT001");
    EXPECT_NE(Page().find("bt3.swf?T1=Tom+%26+Jerry&T2=More+Text&TC=FF0000&TU=&TW=_self&BS=&CWR=0"),
              std::string::npos);
    EXPECT_NE(Page().find("WIDTH=170 HEIGHT=48"), std::string::npos);
    EXPECT_EQ(readFile(web.path() / "bt3.swf"), "FWS"); // replaced from the library
    EXPECT_FALSE(fs::exists(web.path() / "snd.swf"));
}

TEST_F(Dialogs, HeadingUpdateKeepsTheIdAndTakesThePropertiesSize) {
    InsertFlashObject(context.Editor, "oKestreliteHD004", "hd1.swf?T1=Old", "468", "60", "#FFFFFF",
                      "transparent", "", false);
    const auto object = window->document()->all().item("oKestreliteHD004");
    ASSERT_TRUE(object);
    const auto span = window->document()->spanOf(object);
    window->document()->setSelection(span->first, span->second);

    std::string backColour;
    bool unloaded = false;
    {
        FlashHeading dialog(context, recording);
        dialog.SetOnUnload([&] { unloaded = true; });
        dialog.PresetStyle("hd1.swf");
        dialog.PresetBackground("bg1.swf");
        dialog.PresetBackground("none"); // not in the list: "None..."
        dialog.Text1->setText(QStringLiteral("New"));
        SetSwatchColour(*dialog.fBackColor, "#00FF00");
        dialog.EnterUpdateMode({"oKestreliteHD004", "50%", "80", "opaque",
                                [&](const std::string& colour) { backColour = colour; }});
        EXPECT_TRUE(dialog.Command1->isHidden());
        EXPECT_FALSE(dialog.btUpdate->isHidden());
        dialog.btUpdate_Click();
        EXPECT_TRUE(unloaded);
    }
    EXPECT_EQ(backColour, "#00FF00");
    const std::string page = Page();
    EXPECT_NE(page.find("ID=oKestreliteHD004"), std::string::npos);
    EXPECT_EQ(page.find("oKestreliteHD005"), std::string::npos);
    EXPECT_NE(page.find("hd1.swf?T1=New&TC=000000&TU=&TW=_self&BM=&CWR="), std::string::npos);
    EXPECT_NE(page.find("WIDTH=50% HEIGHT=80"), std::string::npos);
}

TEST_F(Dialogs, IntroWritesItsTextFileAndAllEightKeys) {
    FlashMovie dialog(context, recording);
    EXPECT_EQ(context.StatusFlag, "Loaded Movie");
    const fs::path textFile = dialog.TextFilePath();
    EXPECT_EQ(readFile(textFile), "T1=YOUR TEXT&T2=YOUR TEXT&eof=1\r\n");

    dialog.PresetStyle("mv2.swf"); // StandardNoE
    EXPECT_FALSE(dialog.HeadStyle->isEnabled());
    EXPECT_FALSE(dialog.TSize->isEnabled());
    dialog.PresetStyle("mv1.swf"); // MoreText
    EXPECT_TRUE(dialog.HeadStyle->isEnabled());
    EXPECT_TRUE(dialog.AddText->isEnabled());
    EXPECT_EQ(dialog.HeadStyleFill(), kEffectListHighlight);

    dialog.TSize->setText(QStringLiteral("big"));
    EXPECT_EQ(dialog.TSize->text(), QStringLiteral("12"));
    dialog.Text1->setText(QStringLiteral("Hi & bye"));
    dialog.SetTextToPreview();
    EXPECT_EQ(readFile(textFile), "T1=Hi & bye&T2=Your Text&eof=1\r\n");

    dialog.Command1_Click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const std::string tf = dialog.TextFileName();
    EXPECT_NE(Page().find("mv1.swf?TF=" + tf + "&TC=000000&TM=&TE=&BM=&TS=12&TU=&TW=_self&CWR="),
              std::string::npos);
    EXPECT_TRUE(fs::exists(web.path() / tf));
    EXPECT_TRUE(fs::exists(web.path() / "mv1.swf"));
    EXPECT_FALSE(fs::exists(web.path() / "mu1.swf"));
}

TEST_F(Dialogs, IntroUpdateKeepsAnOldTextFileThatAnotherObjectStillUses) {
    // Two intros sharing one text file, as a duplicated intro does.
    writeFile(web.path() / "FP1.htm", "T1=Shared&T2=text&eof=1\r\n");
    for (const char* id : {"oKestreliteMV001", "oKestreliteMV002"})
        InsertFlashObject(context.Editor, id, "mv1.swf?TF=FP1.htm&TC=000000", "500", "360",
                          "#FFFFFF", "", "", false);
    const auto update = [&](const char* id) {
        const auto object = window->document()->all().item(id);
        ASSERT_TRUE(object);
        const auto span = window->document()->spanOf(object);
        window->document()->setSelection(span->first, span->second);
        FlashMovie dialog(context, recording);
        dialog.PresetStyle("mv1.swf");
        dialog.OldVFile->setText(QStringLiteral("FP1.htm"));
        dialog.EnterUpdateMode({id, "500", "360", "", [](const std::string&) {}});
        dialog.btUpdate_Click();
    };
    update("oKestreliteMV001");
    EXPECT_TRUE(fs::exists(web.path() / "FP1.htm")) << "the other intro still shows it";
    update("oKestreliteMV002");
    EXPECT_EQ(Page().find("FP1.htm"), std::string::npos);
    EXPECT_TRUE(fs::exists(web.path() / "FP1.htm")) << "the page on disk names it until saved";
    const Subscription hook = app->OnBeforePageSave().connect(
        [this](const PageWindowPtr& page, bool, bool&) { DeleteReplacedTextFiles(context, page); });
    ASSERT_TRUE(window->Save());
    EXPECT_FALSE(fs::exists(web.path() / "FP1.htm")) << "no object names it any more";
}

TEST_F(Dialogs, ReEditingAnIntroActsOnItsPageAndItsOldTextFileGoesOnlyWhenNoPageNamesIt) {
    const Subscription hook = app->OnBeforePageSave().connect(
        [this](const PageWindowPtr& page, bool, bool&) { DeleteReplacedTextFiles(context, page); });
    // Whether another page of the web names the text file too (a copied intro): in its file,
    // or only in its text open in the editor, not saved yet.
    const std::string copied =
        "<p>c</p><OBJECT><PARAM NAME=movie VALUE=\"mv1.swf?TF=FP1.htm\"></OBJECT>";
    const struct {
        bool onDisk;
        bool unsaved;
    } cases[] = {{false, false}, {true, false}, {false, true}};
    for (const auto& [onDisk, unsaved] : cases) {
        SCOPED_TRACE(::testing::Message() << "on disk " << onDisk << ", unsaved " << unsaved);
        const bool named = onDisk || unsaved;
        writeFile(web.path() / "FP1.htm", "T1=Old&T2=text&eof=1\r\n");
        writeFile(web.path() / "about.htm", onDisk ? copied : "<p>about</p>");
        const auto about = app->openPage(web.path() / "about.htm");
        ASSERT_TRUE(about);
        if (unsaved) {
            ASSERT_TRUE(
                about->document()->replaceRange(0, about->document()->text().size(), copied));
        }
        const std::string other = about->document()->text();
        ASSERT_TRUE(app->setActivePageWindow(window));
        InsertFlashObject(context.Editor, "oKestreliteMV001", "mv1.swf?TF=FP1.htm&TC=000000", "500",
                          "360", "#FFFFFF", "", "", false);
        const auto object = window->document()->all().item("oKestreliteMV001");
        ASSERT_TRUE(object);
        const auto span = window->document()->spanOf(object);
        window->document()->setSelection(span->first, span->second);
        ASSERT_TRUE(window->Save());

        bool updated = false;
        platform.modalActions.push_back([&](ModalForm& form) {
            auto* movie =
                dynamic_cast<FlashMovie*>(dynamic_cast<CreationDialogForm&>(form).dialog());
            ASSERT_TRUE(movie);
            EXPECT_EQ(movie->Text1->text(), QStringLiteral("Old"));
            EXPECT_EQ(app->activePageWindow(), window) << "the page stays in front";
            movie->Text1->setText(QStringLiteral("New"));
            movie->btUpdate_Click();
            updated = true;
        });
        {
            // As the panel opens it.
            const UserAction action(context.Editor, "Selected Flash Object Properties");
            FlashProp properties(context, nullptr, ReEditInCreationDialog(context, recording));
            properties.btOtherProperties->click();
        }
        ASSERT_TRUE(updated);
        EXPECT_EQ(app->activePageWindow(), window);
        EXPECT_EQ(about->document()->text(), other);
        EXPECT_EQ(about->isModified(), unsaved);
        const auto updatedObject = window->document()->all().item("oKestreliteMV001");
        ASSERT_TRUE(updatedObject) << Page();
        EXPECT_EQ(Page().find("TF=FP1.htm"), std::string::npos) << Page();
        EXPECT_TRUE(fs::exists(web.path() / "FP1.htm")) << "the saved page still names it";

        ASSERT_TRUE(window->Save());
        EXPECT_EQ(fs::exists(web.path() / "FP1.htm"), named);
        ASSERT_TRUE(app->closePage(about, false));
        ASSERT_TRUE(window->document()->all().item("oKestreliteMV001")->setOuterHTML(""));
    }
}

TEST_F(Dialogs, MiscArtByCategoryKeepsBlanksInItsFileName) {
    FlashMisc dialog(context, recording);
    ASSERT_EQ(dialog.Cats->count(), 4); // Shapes, Web, Empty, shapes: first lines, exact case
    EXPECT_EQ(dialog.Cats->itemText(3), QStringLiteral("shapes"));
    EXPECT_EQ(dialog.FlashStyle->count(), 1);
    EXPECT_EQ(dialog.FlashStyle->currentRow(), 0);
    dialog.Cats->setCurrentIndex(2);
    EXPECT_EQ(dialog.FlashStyle->count(), 0); // a listed category without movies
    dialog.Cats->setCurrentIndex(1);
    dialog.Command1_Click();
    EXPECT_EQ(dialog.PlacedId(), "oKestreliteCL001");
    EXPECT_NE(Page().find("art 2.swf?CA=1&CWR=0&CWG=0&CWB=0"), std::string::npos);
    EXPECT_TRUE(fs::exists(web.path() / "art 2.swf"));
}

TEST_F(Dialogs, LocalFileNeedsALowerCaseSwfAndKeepsNumbers) {
    const fs::path upper = install.path() / "INTRO.SWF";
    writeFile(upper, "FWS");
    FromFile dialog(context, recording);
    dialog.fWidth->setText(QStringLiteral("abc"));
    EXPECT_EQ(dialog.fWidth->text(), QStringLiteral("100"));
    platform.openFileAnswers.push_back(upper.string());
    dialog.Command2_Click();
    EXPECT_EQ(dialog.aFileName->text().toStdString(), upper.string());
    dialog.Command1_Click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(Page(), kPage);
    EXPECT_TRUE(platform.callsOf("messageBox").empty());

    const fs::path movie = install.path() / "clip.swf";
    writeFile(movie, "FWS");
    FromFile second(context, recording);
    platform.openFileAnswers.push_back(movie.string());
    second.Command2_Click();
    second.fHeight->setText(QStringLiteral("50"));
    second.Command1_Click();
    EXPECT_EQ(second.PlacedId(), "oFromFileFL001");
    EXPECT_NE(Page().find("WIDTH=100 HEIGHT=50"), std::string::npos);
    EXPECT_TRUE(fs::exists(web.path() / "clip.swf"));
}

TEST_F(Dialogs, ALocalFileWhoseNameLacksSwfIsCopiedButNotInserted) {
    // ".swf" only in the folder's name: the movie's own name has no extension.
    const fs::path movie = install.path() / "clips.swf" / "clip";
    writeFile(movie, "FWS");
    FromFile dialog(context, recording);
    platform.openFileAnswers.push_back(movie.string());
    dialog.Command2_Click();
    dialog.Command1_Click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(Page(), kPage);
    EXPECT_TRUE(dialog.PlacedId().empty());
    const std::vector<PlatformCall> shown = platform.callsOf("messageBox");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].args[0], kNoSwfExtensionMessage);
    EXPECT_EQ(readFile(web.path() / "clip"), "FWS") << "copied before the name is checked";
}

TEST_F(Dialogs, PickHyperlinkReadsTheHostsLinkAndLeavesNoTrace) {
    std::string chosen = "products.htm";
    app->setHyperlinkAction([&] {
        if (chosen.empty())
            return false; // cancelled
        const auto range = window->document()->createRange();
        const std::string image = range->htmlText();
        return range->pasteHTML("<a href=\"" + chosen + "\">" + image + "</a>");
    });
    int topmost = 0;
    context.SetPanelTopmost = [&](bool onTop) { topmost += onTop ? 1 : -1; };
    EXPECT_EQ(PickHyperlink(context), "products.htm");
    EXPECT_EQ(Page(), kPage);
    chosen.clear();
    EXPECT_EQ(PickHyperlink(context), "");
    EXPECT_EQ(Page(), kPage);
    EXPECT_EQ(topmost, 0);

    chosen = "about.htm";
    fButton dialog(context, recording);
    dialog.Text3->setText(QStringLiteral("old.htm"));
    dialog.Command2_Click();
    EXPECT_EQ(dialog.Text3->text(), QStringLiteral("about.htm"));
}

} // namespace
} // namespace tlx
