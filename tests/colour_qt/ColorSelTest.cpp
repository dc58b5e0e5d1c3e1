// The Color Selector (offscreen): the calling sequence of a swatch with the scripted platform
// acting on the form while it is "shown", Okay and Cancel, the value field's key filter,
// "Get Colors From Document", custom palette files and the user's settings.

#include "colour/qt/ColorSel.h"

#include "addin/AddinTestSupport.h"
#include "colour/OrlixLibColor.h"
#include "colour/qt/ColourBoxSettings.h"
#include "colour/qt/ColourSwatch.h"
#include "colour/qt/OXColorBox.h"
#include "colour_qt/ColourQtTestEnvironment.h"
#include "common/ScriptedPlatform.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <gtest/gtest.h>

namespace tlx {
namespace {

[[maybe_unused]] const ::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new testing::ColourQtTestEnvironment);

using OrlixLibColor::RGB;

QPoint MainCell(int i) {
    return {8 + (i / 8) * 12 + 5, 8 + (i % 8) * 12 + 5};
}

class ColorSelTest : public ::testing::Test {
protected:
    ColorSelTest() : app(host::Application::create()), context(platform, folder.str()) {
        std::filesystem::remove_all(testing::ColourQtTestEnvironment::ConfigFolder());
        context.Editor = HostEditor(app);
        context.SetPanelTopmost = [this](bool onTop) { topmost.push_back(onTop); };
        swatch.setObjectName("fBackColor");
        SetSwatchColour(swatch, "#102030");
    }
    // Runs the calling sequence; `act` works on the selector while it is shown.
    std::optional<std::string> Choose(std::function<void(ColorSel&)> act) {
        platform.modalActions.push_back([this, act](ModalForm& form) {
            auto& selector = dynamic_cast<ColorSel&>(form);
            EXPECT_EQ(context.ColorTarget, "fBackColor");
            EXPECT_EQ(selector.HTMLColor->text(), QString::fromStdString(SwatchColourText(swatch)));
            act(selector);
        });
        return ChooseSwatchColour(context, swatch, nullptr);
    }
    static void PressAndRelease(ColorSel& form, QPoint at) {
        QTest::mousePress(form.ColorBox->picPopup, Qt::LeftButton, {}, at);
        QTest::mouseRelease(form.ColorBox->picPopup, Qt::LeftButton, {}, at);
    }
    static std::vector<std::int32_t> MainColours(const ColorSel& form) {
        std::vector<std::int32_t> colours;
        for (const auto& e : form.ColorBox->Model().Palettes.MainPalette)
            colours.push_back(e.Color);
        return colours;
    }

    test::TempFolder folder;
    std::shared_ptr<host::Application> app;
    ScriptedPlatform platform;
    AddinContext context;
    QLabel swatch;
    std::vector<bool> topmost;
};

TEST_F(ColorSelTest, ControlsAndCaption) {
    ColorSel form(context, &swatch);
    EXPECT_EQ(form.windowTitle(), "Color Selector");
    EXPECT_EQ(form.ColorBox->geometry(), QRect(2, 0, 139, 157));
    EXPECT_EQ(form.Label20->text(), "Value :");
    EXPECT_EQ(form.HTMLColor->toolTip(), "HTML Color Value");
    EXPECT_EQ(form.btDocColors->toolTip(), "Get Colors From Document");
    EXPECT_EQ(form.Command1->text(), "Okay");
    EXPECT_EQ(form.cbClose->text(), "Cancel");
    EXPECT_EQ(form.cbClose->toolTip(), "Cancel Color Selection");
    EXPECT_EQ(form.formName(), "ColorSel");
}

TEST_F(ColorSelTest, ChoosingCopperSetsFillAndTooltipAndPanelGoesBackOnTop) {
    const auto chosen = Choose([](ColorSel& form) {
        PressAndRelease(form, MainCell(1));
        EXPECT_EQ(form.HTMLColor->text(), "#FF4D00") << "Change shows the value";
        EXPECT_EQ(form.ColorBox->Text(), "Copper");
        form.Command1_Click();
        EXPECT_EQ(form.result(), QDialog::Accepted);
    });
    EXPECT_EQ(chosen, "#FF4D00");
    EXPECT_EQ(SwatchColourText(swatch), "#FF4D00");
    EXPECT_EQ(swatch.grab().toImage().pixelColor(2, 2), QColor(255, 77, 0));
    EXPECT_EQ(topmost, (std::vector<bool>{false, true}));
    EXPECT_TRUE(context.ColorTarget.empty());
}

TEST_F(ColorSelTest, CancelAndEscapeLeaveTheSwatchExactlyAsItWas) {
    const QString sheet = swatch.styleSheet();
    EXPECT_FALSE(Choose([](ColorSel& form) {
        PressAndRelease(form, MainCell(5));
        form.cbClose_Click();
    }));
    EXPECT_FALSE(Choose([](ColorSel& form) {
        PressAndRelease(form, MainCell(6));
        QTest::keyClick(&form, Qt::Key_Escape);
        EXPECT_EQ(form.result(), QDialog::Rejected);
    }));
    EXPECT_EQ(SwatchColourText(swatch), "#102030");
    EXPECT_EQ(swatch.styleSheet(), sheet);
    EXPECT_EQ(topmost, (std::vector<bool>{false, true, false, true}));
}

TEST_F(ColorSelTest, OpensOnTheSwatchsColourSoOkayAtOnceKeepsItAndDoubleClickChooses) {
    // The colour bar shows the swatch's colour from the start, white and light blue too.
    for (const char* colour : {"#102030", "#FFFFFF", "#00C0FF"}) {
        SCOPED_TRACE(colour);
        SetSwatchColour(swatch, colour);
        EXPECT_FALSE(Choose([colour](ColorSel& form) {
            EXPECT_EQ(form.ColorBox->HTMLColor(), QString::fromLatin1(colour));
            form.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
            EXPECT_EQ(form.ColorBox->grab().toImage().pixelColor(20, 8),
                      QColor(QString::fromLatin1(colour)))
                << "the colour bar";
            form.Command1_Click();
            EXPECT_EQ(form.result(), QDialog::Accepted);
        }));
        EXPECT_EQ(SwatchColourText(swatch), colour);
    }
    SetSwatchColour(swatch, "#102030");
    EXPECT_EQ(Choose([](ColorSel& form) {
                  // Shown without a modal loop, so that the pointer reaches it.
                  form.show();
                  EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
                  QWidget* surface = form.ColorBox->picPopup;
                  QTest::mouseMove(surface, MainCell(21));
                  QTest::mousePress(surface, Qt::LeftButton, {}, MainCell(21));
                  QTest::mouseRelease(surface, Qt::LeftButton, {}, MainCell(21));
                  QTest::mouseDClick(surface, Qt::LeftButton, {}, MainCell(21));
                  QTest::mouseRelease(surface, Qt::LeftButton, {}, MainCell(21));
                  EXPECT_EQ(form.result(), QDialog::Accepted);
              }),
              "#0000FF");
}

TEST_F(ColorSelTest, ArrowKeysAndEnterChooseAndClose) {
    EXPECT_EQ(Choose([](ColorSel& form) {
                  form.show();
                  EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
                  QWidget* surface = form.ColorBox->picPopup;
                  // From the selected cell (Black, last of the shade grid) to the first
                  // column's last row (Yellow), then up to the second row (Copper).
                  for (int i = 0; i < 12; ++i)
                      QTest::keyClick(surface, Qt::Key_Left);
                  EXPECT_EQ(form.ColorBox->ActiveText(), "Yellow");
                  for (int i = 0; i < 6; ++i)
                      QTest::keyClick(surface, Qt::Key_Up);
                  EXPECT_EQ(form.HTMLColor->text(), "#FF4D00");
                  QTest::keyClick(surface, Qt::Key_Return);
                  EXPECT_EQ(form.ColorBox->Text(), "Copper");
                  EXPECT_EQ(form.result(), QDialog::Accepted);
              }),
              "#FF4D00");
}

TEST_F(ColorSelTest, ValueFieldKeyFilter) {
    ColorSel form(context, &swatch);
    const auto type = [&](const char* text) {
        form.HTMLColor->clear();
        QTest::keyClicks(form.HTMLColor, text);
        QTest::keyClick(form.HTMLColor, Qt::Key_Return);
    };
    type("#3366cc");
    EXPECT_EQ(form.HTMLColor->text(), "#3366CC");
    EXPECT_EQ(form.ColorBox->ActiveColor(), RGB(0x33, 0x66, 0xCC));
    EXPECT_EQ(form.ColorBox->ActiveText(), "Custom");
    // A whole value and Enter choose it, as Okay (the default button) does.
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(SwatchColourText(swatch), "#3366CC");
    form.setResult(0);

    // Values the box cannot take as written change nothing and keep the dialog open.
    type("#36c");
    EXPECT_EQ(form.HTMLColor->text(), "#36C");
    EXPECT_EQ(form.ColorBox->ActiveColor(), RGB(0x33, 0x66, 0xCC)) << "'#' is not a digit";
    type("36CC");
    EXPECT_EQ(form.HTMLColor->text(), "#000000");
    EXPECT_EQ(form.ColorBox->ActiveColor(), 0);
    type("");
    EXPECT_EQ(form.HTMLColor->text(), "");
    EXPECT_EQ(form.result(), 0) << "none of these closes the dialog";
    EXPECT_EQ(SwatchColourText(swatch), "#3366CC");
}

TEST_F(ColorSelTest, ColoursFromTheDocumentFillTheFirstCustomSlots) {
    std::string page = test::kPageHead;
    page.replace(page.find("<body>"), 6, "<body bgcolor=\"#FFFFFF\" text=\"#000080\">");
    page += "<a href=\"#top\">top</a><font color=\"#ff8000\">x</font><p style=\"color:#00FF00\">"
            "</p><table bgcolor=\"#00FF00\"><tr><td>#123456</td></tr></table>" +
            test::kPageTail;
    test::OpenPage(*app, page);
    ColorSel form(context, &swatch);
    const auto before = form.ColorBox->Model().Palettes.CustomPalette;
    form.btDocColors_Click();
    QStringList listed;
    for (int i = 0; i < form.ColorList->count(); ++i)
        listed << form.ColorList->item(i)->text();
    EXPECT_EQ(listed, (QStringList{"#000080", "#00FF00", "#ff8000", "#top\">"}));
    EXPECT_EQ(form.ColorBox->PalType(), "Custom");
    EXPECT_EQ(form.ColorBox->DropPal->currentText(), "Custom");
    const auto& custom = form.ColorBox->Model().Palettes.CustomPalette;
    EXPECT_EQ(custom[0].Color, RGB(0, 0, 0x80));
    EXPECT_EQ(custom[1].Color, RGB(0, 0xFF, 0));
    EXPECT_EQ(custom[2].Color, RGB(0, 0x80, 0)) << "lower-case letters count as 0";
    EXPECT_EQ(custom[3].Color, 0) << "a link's '#' decodes to black";
    EXPECT_EQ(custom[4], before[4]);
    EXPECT_EQ(form.ColorBox->Model().Palettes.MainPalette[1].Color, RGB(0, 0xFF, 0));

    // More than 24 values: slots 0..23 only.
    std::string many = test::kPageHead;
    for (int i = 0; i < 30; ++i)
        many += "<p title=\"#0000" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "\"></p>";
    test::OpenPage(*app, many + test::kPageTail);
    form.btDocColors_Click();
    EXPECT_EQ(form.ColorList->count(), 30);
    EXPECT_EQ(custom[23].Color, RGB(0, 0, 0x23));
    EXPECT_EQ(custom[24], before[24]);
}

TEST_F(ColorSelTest, CustomPaletteSavedAndLoadedInAFreshSelectorGivesTheSame32Colours) {
    const std::string file = (folder.path() / "mine").string();
    std::vector<std::int32_t> saved;
    {
        ColorSel form(context, &swatch);
        form.ColorBox->SetPal("Custom");
        for (int i = 0; i < 32; ++i)
            form.ColorBox->AddHTMLToCustom(QString("#%1%2%3")
                                               .arg(i * 7, 2, 16, QChar('0'))
                                               .arg(255 - i * 3, 2, 16, QChar('0'))
                                               .arg(i * 5, 2, 16, QChar('0'))
                                               .toUpper(),
                                           i);
        for (const auto& e : form.ColorBox->Model().Palettes.CustomPalette)
            saved.push_back(e.Color);
        platform.saveFileAnswers = {file};
        form.ColorBox->DropPal->setCurrentIndex(3);
        emit form.ColorBox->DropPal->activated(3); // "Save Custom"
        EXPECT_EQ(platform.callsOf("saveFileDialog").at(0).args.at(2), folder.str());
    }
    ASSERT_EQ(std::filesystem::file_size(file + ".oxp"), 512u);
    std::filesystem::remove_all(testing::ColourQtTestEnvironment::ConfigFolder());

    ColorSel fresh(context, &swatch);
    EXPECT_EQ(fresh.ColorBox->PalType(), "Normal");
    platform.openFileAnswers = {file + ".oxp"};
    emit fresh.ColorBox->DropPal->activated(2); // "Load Custom"
    std::vector<std::int32_t> loaded;
    for (const auto& e : fresh.ColorBox->Model().Palettes.CustomPalette)
        loaded.push_back(e.Color);
    EXPECT_EQ(loaded, saved);
    EXPECT_EQ(fresh.ColorBox->PalType(), "Custom");
    const auto main = MainColours(fresh);
    EXPECT_EQ(std::vector<std::int32_t>(main.begin(), main.begin() + 31),
              std::vector<std::int32_t>(saved.begin(), saved.begin() + 31));

    // A damaged file leaves the palette as it was and says so.
    const auto bad = folder.path() / "bad.oxp";
    test::WriteFile(bad, std::string(512, '\xff'));
    platform.openFileAnswers = {bad.string()};
    emit fresh.ColorBox->DropPal->activated(2);
    loaded.clear();
    for (const auto& e : fresh.ColorBox->Model().Palettes.CustomPalette)
        loaded.push_back(e.Color);
    EXPECT_EQ(loaded, saved);
    EXPECT_EQ(platform.callsOf("messageBox").size(), 1u);
}

TEST_F(ColorSelTest, TheBoxIsThereTomorrowAndDamagedSettingsGiveDefaults) {
    {
        ColorSel form(context, &swatch);
        form.ColorBox->SetPal("Custom");
        form.ColorBox->AddHTMLToCustom("#123456", 2);
        PressAndRelease(form, MainCell(2));
        EXPECT_EQ(form.ColorBox->SelectedColor(), RGB(0x12, 0x34, 0x56));
        form.cbClose_Click();
    }
    {
        ColorSel form(context, &swatch);
        EXPECT_EQ(form.ColorBox->PalType(), "Custom");
        EXPECT_EQ(form.ColorBox->DropPal->currentText(), "Custom");
        EXPECT_EQ(form.ColorBox->Model().Palettes.MainPalette[2].Color, RGB(0x12, 0x34, 0x56));
        EXPECT_EQ(form.ColorBox->SelectedColor(), RGB(0x12, 0x34, 0x56));
        EXPECT_EQ(form.ColorBox->ActiveColor(), 0) << "the loaded colour is selected, not active";
    }
    const QString path = OpenUserSettings()->fileName();
    ASSERT_TRUE(path.startsWith(
        QString::fromStdString(testing::ColourQtTestEnvironment::ConfigFolder().string())));
    for (const std::string& damage :
         {std::string("[ColorBox]\nPalType=Bogus\nSelectedColor=xyz\nCustomPalette=12\n"),
          std::string("\xff\xfe[[[\x01\x02=\n=\n[ColorBox\nPalType\n")}) {
        test::WriteFile(path.toStdString(), damage);
        ColorSel form(context, &swatch);
        EXPECT_EQ(form.ColorBox->PalType(), "Normal");
        EXPECT_EQ(form.ColorBox->SelectedColor(), 0);
        EXPECT_EQ(form.ColorBox->Model().Palettes.CustomPalette, ColourPalettes().CustomPalette);
    }
}

TEST_F(ColorSelTest, UnderTheScriptedPlatformOutsideTestModeNoSettingsAreTouched) {
    QStandardPaths::setTestModeEnabled(false);
    {
        ColorSel form(context, &swatch);
        form.ColorBox->SetPal("Custom");
        form.cbClose_Click();
    }
    QStandardPaths::setTestModeEnabled(true);
    EXPECT_FALSE(std::filesystem::exists(testing::ColourQtTestEnvironment::ConfigFolder()));
    ColorSel form(context, &swatch);
    EXPECT_EQ(form.ColorBox->PalType(), "Normal");
}

} // namespace
} // namespace tlx
