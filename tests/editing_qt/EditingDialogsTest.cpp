// The properties, colour weighting and sound event dialogs (offscreen), opened from the main
// panel with the editor's model behind them and the scripted platform answering.

#include "addin/AddinTestSupport.h"
#include "catalog/qt/CreationDialogs.h"
#include "catalog/qt/fButton.h"
#include "common/QtTestEnvironment.h"
#include "common/RecordingPreviewFactory.h"
#include "common/ScriptedPlatform.h"
#include "editing/qt/FlashProp.h"
#include "editing/qt/ReEditDialogs.h"
#include "editing/qt/frmColoriser.h"
#include "panel/qt/MainPanel.h"
#include "sound/qt/frmFlashSOund.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <gtest/gtest.h>

namespace tlx {
namespace {

[[maybe_unused]] const ::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new testing::QtTestEnvironment);

const std::string kButton =
    "<OBJECT classid='clsid:D27CDB6E-AE6D-11cf-96B8-444553540000' ID=oKestreliteBT002 "
    "NAME=oKestreliteBT002 WIDTH=180 HEIGHT=44><PARAM NAME=movie VALUE=\"btgel.swf?T1=Our+breads"
    "&CWR=25&CWG=0&CWB=-10\"><PARAM NAME=bgcolor VALUE=#FFF8EE><PARAM NAME=WMode "
    "VALUE=TRANSPARENT><EMBED src='btgel.swf?T1=Our+breads&CWR=25&CWG=0&CWB=-10' "
    "NAME=\"eKestreliteBT002\" WIDTH=180 HEIGHT=44></EMBED></OBJECT>";

class EditingDialogs : public ::testing::Test {
protected:
    EditingDialogs() : app(host::Application::create()), context(platform, install.str()) {
        context.Editor = HostEditor(app);
        test::WriteFile(install.path() / "cpresets.kqz", "[Warm]-+(40){10}<-20>+-\r\r\n");
        test::WriteFile(install.path() / "FlashMovies" / "FP5.htm", "old preview");
        document = test::OpenPage(*app, test::kPageHead + "<p>Text &amp; more</p>" + kButton +
                                            test::kPageTail);
        panel = std::make_unique<MainPanel>(context);
    }
    void Select(const std::string& piece) {
        const auto at = document->text().find(piece);
        ASSERT_NE(at, std::string::npos);
        document->setSelection(at, at + piece.size());
    }

    test::TempFolder install;
    std::shared_ptr<host::Application> app;
    ScriptedPlatform platform;
    AddinContext context;
    std::shared_ptr<host::HtmlDocument> document;
    std::unique_ptr<MainPanel> panel;
};

TEST_F(EditingDialogs, PropertiesDialogResizesTheSelectedObject) {
    Select(kButton);
    bool shown = false;
    platform.modalActions.push_back([&](ModalForm& form) {
        FlashProp& dialog = dynamic_cast<FlashPropForm&>(form).dialog();
        shown = true;
        EXPECT_EQ(dialog.windowTitle(), "Selected Flash Object Properties");
        EXPECT_EQ(dialog.fWidth->text(), "180");
        EXPECT_EQ(dialog.WMode->currentText(), "Transparent");
        EXPECT_EQ(dialog.fBackColor->toolTip(), "#FFF8EE");
        EXPECT_TRUE(dialog.btOtherProperties->isEnabled());
        EXPECT_EQ(context.SelectedObjectId, "oKestreliteBT002");
        dialog.fHeight->setText(QStringLiteral("abc"));
        EXPECT_EQ(dialog.fHeight->text(), "44") << "a size that is no number is put back";
        dialog.Command3->click(); // Enlarge: 225 x 55
        dialog.HAlign->setCurrentIndex(kAlignLeft);
        dialog.Command1->click();
        EXPECT_TRUE(dialog.Unloaded());
    });
    panel->cmdProps_Click();
    ASSERT_TRUE(shown);
    EXPECT_FALSE(std::filesystem::exists(install.path() / "FlashMovies" / "FP5.htm"));
    const std::string& text = document->text();
    EXPECT_NE(text.find("ID=oKestreliteBT002 NAME=oKestreliteBT002 WIDTH=225 HEIGHT=55>"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("WIDTH=225 HEIGHT=55 wmode=transparent salign=L ></EMBED></OBJECT>"),
              std::string::npos);
    EXPECT_EQ(text.find(kButton), std::string::npos);
}

TEST_F(EditingDialogs, MiscArtHasNoFurtherPropertiesAndDeleteRemoves) {
    const std::string art = "<OBJECT ID=oKestreliteCL003 WIDTH=10 HEIGHT=10><PARAM NAME=movie "
                            "VALUE=\"artstar.swf?CA=1\"></OBJECT>";
    const auto at = document->text().find("<p>Text");
    document->replaceRange(at, at, art);
    Select(art);
    platform.modalActions.push_back([&](ModalForm& form) {
        FlashProp& dialog = dynamic_cast<FlashPropForm&>(form).dialog();
        dialog.btOtherProperties->click();
        EXPECT_FALSE(dialog.Unloaded());
        dialog.Command4->click();
    });
    panel->cmdProps_Click();
    ASSERT_EQ(platform.callsOf("messageBox").size(), 1u);
    EXPECT_EQ(platform.callsOf("messageBox")[0].args[0],
              "No Further Properties Available On Flash Art...");
    EXPECT_EQ(document->text().find("oKestreliteCL003"), std::string::npos);
}

TEST_F(EditingDialogs, ColouringWithAPresetChangesOnlyTheWeightings) {
    Select(kButton);
    {
        frmColoriserForm form(context, nullptr, RecordingPreviewFactory());
        frmColoriser& dialog = form.dialog();
        EXPECT_EQ(dialog.CWTxtRed->text(), "25");
        EXPECT_EQ(dialog.CWTxtBlue->text(), "-10");
        EXPECT_EQ(dialog.CWRed->value(), 0);
        ASSERT_EQ(dialog.lstColor->count(), 2);
        EXPECT_EQ(dialog.lstColor->itemText(1), "Warm");
        dialog.CWGreen->setValue(30);
        EXPECT_EQ(dialog.CWTxtRed->text(), "25");
        EXPECT_EQ(dialog.CWTxtGreen->text(), "30");
        dialog.lstColor->setCurrentIndex(1);
        dialog.lstColor_Click();
        EXPECT_EQ(dialog.CWBlue->value(), -20);
        const auto& variables = dialog.LastPreview().Variables;
        ASSERT_FALSE(variables.empty());
        EXPECT_EQ(variables.back(), (std::pair<std::string, std::string>{"CWB", "-20"}));
        EXPECT_TRUE(dialog.LastPreview().MoviePath.ends_with("btgel.swf"));
        const auto& calls = dynamic_cast<RecordingPreviewWidget&>(*dialog.DemoFlash).Calls;
        ASSERT_GE(calls.size(), 3u);
        EXPECT_EQ(calls[calls.size() - 3], "SetVariable(CWB=-20)");
        EXPECT_EQ(calls.back(), "Play");
        platform.inputBoxAnswers.push_back(std::string("Cool"));
        dialog.Command13->click();
        dialog.btUpdate->click();
    }
    const std::string& text = document->text();
    EXPECT_NE(text.find("btgel.swf?T1=Our+breads&CWR=40&CWG=10&CWB=-20\""), std::string::npos)
        << text;
    EXPECT_NE(text.find("src='btgel.swf?T1=Our+breads&CWR=40&CWG=10&CWB=-20'"), std::string::npos);
    EXPECT_EQ(test::ReadFile(install.path() / "cpresets.kqz"),
              "[Warm]-+(40){10}<-20>+-\r\r\n[Cool]-+(40){10}<-20>+-\r\r\n");

    // A paragraph is left exactly as it is.
    Select("<p>Text &amp; more</p>");
    frmColoriserForm(context, nullptr, RecordingPreviewFactory()).dialog().btUpdate->click();
    EXPECT_NE(document->text().find("<p>Text &amp; more</p>"), std::string::npos);
}

TEST_F(EditingDialogs, SoundDialogListsImagesAndSoundsAndNeedsASavedPage) {
    const auto at = document->text().find("<p>Text");
    document->replaceRange(at, at, "<img src=a.gif><img name=logo src=b.gif>");
    test::WriteFile(install.path() / "sounds.kqz", "[SndPop]{sndpop.swf}(Pop)!^A pop.^!\r\n");
    test::WriteFile(install.path() / "FlashMovies" / "sndpop.swf", "FWS");
    // The user's clipboard holds a picture besides its text; the editor's Copy of an image
    // replaces both.
    platform.clipboard = "the user's text";
    platform.clipboardFormats = {{"image/png", std::string("\x89PNG\0\x01", 6)}};
    const ClipboardContent users = platform.clipboardContent();
    app->setCopyAction([&] {
        platform.setClipboardText("<img name=logo src=b.gif>");
        return true;
    });
    {
        frmFlashSOundForm form(context, nullptr, RecordingPreviewFactory());
        frmFlashSOund& dialog = form.dialog();
        EXPECT_EQ(dialog.windowTitle(), "Insert Flash Sound Event");
        ASSERT_EQ(dialog.ImgList->count(), 3);
        EXPECT_EQ(dialog.ImgList->itemText(1), "Image Object [0] ");
        EXPECT_EQ(dialog.ImgList->itemText(2), "logo");
        ASSERT_EQ(dialog.FLashSound->count(), 2);
        EXPECT_EQ(dialog.ImgEvent->currentText(), "On Mouse Over");
        dialog.FLashSound->setCurrentIndex(1);
        dialog.FLashSound_Click();
        EXPECT_EQ(dialog.lblDesc->text(), "A pop.");
        EXPECT_TRUE(dialog.LastPreview().MoviePath.ends_with("sndpop.swf"));
        dialog.ImgList->setCurrentIndex(2);
        dialog.ImgList_Click();
        dialog.Command1->click();
    }
    EXPECT_EQ(platform.clipboardContent(), users);
    ASSERT_EQ(platform.callsOf("messageBox").size(), 1u) << "the page was never saved";
    EXPECT_EQ(document->text().find("SndPop"), std::string::npos);
}

// Looking at an image borrows the clipboard; when what the user had on it cannot be put back,
// the status bar says so, with the reason.
TEST_F(EditingDialogs, SoundDialogTellsAClipboardItCouldNotPutBack) {
    const auto at = document->text().find("<p>Text");
    document->replaceRange(at, at, "<img name=logo src=b.gif>");
    platform.clipboard = "the user's text";
    app->setCopyAction([&] {
        platform.setClipboardText("<img name=logo src=b.gif>");
        return true;
    });
    platform.clipboardContentFailure = "the clipboard is held by another program";
    frmFlashSOundForm form(context, nullptr, RecordingPreviewFactory());
    frmFlashSOund& dialog = form.dialog();
    ASSERT_EQ(dialog.ImgList->count(), 2);
    dialog.ImgList->setCurrentIndex(1);
    dialog.ImgList_Click();
    EXPECT_EQ(platform.callsOf("setClipboardContent").size(), 1u);
    EXPECT_EQ(app->statusText(), std::string(kClipboardNotRestoredText) +
                                     ": the clipboard is held by another program.");
    EXPECT_TRUE(platform.callsOf("messageBox").empty());
}

} // namespace
} // namespace tlx

namespace tlx {
namespace {

class ReEditDialogs : public ::testing::Test {
protected:
    ReEditDialogs() : app(host::Application::create()), context(platform, install.str()) {
        context.Editor = HostEditor(app);
        test::WriteFile(install.path() / "buttons.kqz",
                        "[SingleText]{btpill.swf}(Pill)*&[120](30)!^Pill^!&*\r\n"
                        "[TwinTextSnd]{btgel.swf}(Gel)*&[180](44)!^Gel^!&*\r\n");
        test::WriteFile(install.path() / "sounds.kqz", "[SndClick]{sndclick.swf}(Click)!^C^!\r\n");
        for (const char* file : {"btpill.swf", "btgel.swf", "sndclick.swf"})
            test::WriteFile(install.path() / "FlashMovies" / file, "FWS");
        test::WriteFile(web.path() / "p.htm",
                        test::kPageHead + "<p>x</p>" + kButton + test::kPageTail);
        app->openWeb(web.path());
        document = app->openPage(web.path() / "p.htm")->document();
        const auto at = document->text().find(kButton);
        document->setSelection(at, at + kButton.size());
    }

    test::TempFolder install;
    test::TempFolder web;
    std::shared_ptr<host::Application> app;
    ScriptedPlatform platform;
    AddinContext context;
    std::shared_ptr<host::HtmlDocument> document;
};

TEST_F(ReEditDialogs, AButtonReopensFilledAndUpdatesInPlaceKeepingItsIdAndSize) {
    bool shown = false;
    platform.modalActions.push_back([&](ModalForm& form) {
        auto* button = dynamic_cast<fButton*>(dynamic_cast<CreationDialogForm&>(form).dialog());
        ASSERT_TRUE(button);
        shown = true;
        EXPECT_TRUE(button->InUpdateMode());
        EXPECT_TRUE(button->btUpdate->isVisible() || !button->Command1->isVisible());
        EXPECT_EQ(button->Text1->text(), "Our breads") << "the + reads as a blank";
        EXPECT_EQ(button->FlashStyle->currentText(), "Gel");
        EXPECT_EQ(button->fBackColor->toolTip(), "#FFF8EE");
        EXPECT_TRUE(button->SoundDesc->isEnabled());
        button->Text1->setText(QStringLiteral("Fresh bread"));
        button->btUpdate->click();
    });
    FlashProp properties(context, nullptr,
                         ReEditInCreationDialog(context, RecordingPreviewFactory()));
    properties.fWidth->setText(QStringLiteral("200"));
    properties.btOtherProperties->click();
    ASSERT_TRUE(shown);
    EXPECT_TRUE(properties.Unloaded());
    const auto object = document->all().item("oKestreliteBT002");
    ASSERT_TRUE(object) << document->text();
    EXPECT_NE(object->outerHTML().find("T1=Fresh+bread"), std::string::npos) << object->outerHTML();
    EXPECT_EQ(object->getAttribute("width"), "200");
    EXPECT_EQ(object->getAttribute("height"), "44");
    EXPECT_NE(object->outerHTML().find("CWR=25&CWG=0&CWB=-10"), std::string::npos);
}

TEST_F(ReEditDialogs, AnIntroWithoutItsTextFileStaysInThePropertiesDialog) {
    const std::string intro = "<OBJECT ID=oKestreliteMV005 WIDTH=10 HEIGHT=10><PARAM NAME=movie "
                              "VALUE=\"mvstory.swf?TF=FP404.htm&TC=000000\"></OBJECT>";
    const auto at = document->text().find("<p>x</p>");
    document->replaceRange(at, at, intro);
    document->setSelection(at, at + intro.size());
    FlashProp properties(context, nullptr,
                         ReEditInCreationDialog(context, RecordingPreviewFactory()));
    properties.btOtherProperties->click();
    EXPECT_FALSE(properties.Unloaded());
    ASSERT_EQ(platform.callsOf("messageBox").size(), 1u);
    EXPECT_EQ(platform.callsOf("messageBox")[0].args[0], "53 - File not found: FP404.htm");
    EXPECT_TRUE(platform.callsOf("showModal").empty());
}

} // namespace
} // namespace tlx
