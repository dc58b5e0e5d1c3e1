// The colour box window (offscreen): its parts, what it paints, the pointer and keys as QTest
// sends them, its fixed size and the hover timer.

#include "colour/qt/OXColorBox.h"

#include "colour/OrlixLibColor.h"
#include "colour/qt/OrlixTimer.h"
#include "colour_qt/ColourQtTestEnvironment.h"
#include "common/ScriptedPlatform.h"

#include <QComboBox>
#include <QImage>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace tlx {
namespace {

[[maybe_unused]] const ::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new testing::ColourQtTestEnvironment);

using OrlixLibColor::RGB;

// Surface pixel -> box pixel (the surface sits at -1, 18).
QPoint InBox(int x, int y) {
    return {x - 1, y + 18};
}
// Centre of a cell on the surface.
QPoint MainCell(int i) {
    return {8 + (i / 8) * 12 + 5, 8 + (i % 8) * 12 + 5};
}
QPoint ShadeCell(int i) {
    return {60 + (i / 8) * 12 + 5, 8 + (i % 8) * 12 + 5};
}
QString Colour(std::int32_t c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF).name();
}
// What the platform delivers for a double click: press, release, double click, release.
void DoubleClick(QWidget* widget, QPoint at) {
    QTest::mousePress(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

class OXColorBoxTest : public ::testing::Test {
protected:
    OXColorBoxTest() : box(platform, folder.path().string()) {
        box.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&box));
    }
    QRgb Pixel(const QImage& image, QPoint at) const { return image.pixel(at); }

    testing::TempFolder folder;
    ScriptedPlatform platform;
    OXColorBox box;
};

TEST_F(OXColorBoxTest, PartsSitAtTheirPlaces) {
    EXPECT_EQ(box.size(), QSize(139, 157));
    EXPECT_EQ(box.picPopup->geometry(), QRect(-1, 18, 153, 142));
    EXPECT_EQ(box.DropPal->geometry(), QRect(7, 111, 102, 21));
    EXPECT_EQ(box.MorePal->geometry(), QRect(111, 112, 21, 19));
    EXPECT_EQ(box.MorePal->text(), ">>");
    EXPECT_EQ(box.MorePal->toolTip(), "More Colors...");
    QStringList items;
    for (int i = 0; i < box.DropPal->count(); ++i)
        items << box.DropPal->itemText(i);
    EXPECT_EQ(items, (QStringList{"Normal", "Custom", "Load Custom", "Save Custom"}));
    EXPECT_EQ(box.tmrHover->Interval(), 400);
    EXPECT_EQ(box.tmrHover->Name(), "Hover Timer");

    // The size snaps back, whatever the container asks and whatever the font.
    box.resize(300, 40);
    EXPECT_EQ(box.size(), QSize(139, 157));
    QFont big = box.font();
    big.setPointSize(20);
    QSignalSpy notified(&box, &OXColorBox::PropertyChanged);
    box.SetFont(big);
    EXPECT_EQ(box.size(), QSize(139, 157));
    ASSERT_EQ(notified.count(), 1);
    EXPECT_EQ(notified.at(0).at(0).toString(), "Font");
}

TEST_F(OXColorBoxTest, PaintsCellsFaceBarFramesAndEtchedLine) {
    QSignalSpy changes(&box, &OXColorBox::Change);
    QTest::mousePress(box.picPopup, Qt::LeftButton, {}, MainCell(1)); // Copper
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.at(0).at(0).toInt(), RGB(255, 77, 0));
    const QImage image = box.grab().toImage();

    // The face bar from (3, 3) to (136, 16) in the active colour, inside the sunken edge.
    for (QPoint at : {QPoint(3, 3), QPoint(70, 10), QPoint(136, 16)})
        EXPECT_EQ(QColor(image.pixel(at)).name(), QColor(255, 77, 0).name())
            << at.x() << "," << at.y();
    EXPECT_EQ(QColor(image.pixel(0, 8)).name(), box.ButtonShadow().name());
    EXPECT_EQ(QColor(image.pixel(1, 8)).name(), box.DarkShadow3D().name());
    EXPECT_EQ(QColor(image.pixel(10, 17)).name(), Colour(box.BackColor()));

    // Cells: colour inside, button face on the outline, the surface's grey between them.
    EXPECT_EQ(QColor(image.pixel(InBox(13, 13))).name(), QColor(255, 0, 0).name()); // Red
    EXPECT_EQ(QColor(image.pixel(InBox(8, 13))).name(), box.ButtonFace().name());   // its left edge
    EXPECT_EQ(QColor(image.pixel(InBox(18, 13))).name(), box.ButtonFace().name()); // its right edge
    EXPECT_EQ(QColor(image.pixel(InBox(19, 13))).name(), QColor(192, 192, 192).name());
    EXPECT_EQ(QColor(image.pixel(InBox(45, 97))).name(),
              QColor(255, 255, 255).name()); // White, cell 31
    // Copper is pressed: shadow on the left and top, highlight on the right and bottom.
    EXPECT_EQ(QColor(image.pixel(InBox(8, 25))).name(), box.ButtonShadow().name());
    EXPECT_EQ(QColor(image.pixel(InBox(13, 20))).name(), box.ButtonShadow().name());
    EXPECT_EQ(QColor(image.pixel(InBox(18, 25))).name(), box.Highlight3D().name());
    EXPECT_EQ(QColor(image.pixel(InBox(13, 30))).name(), box.Highlight3D().name());
    // The shade grid shows Copper's shades: Faint Copper first, Pitch Copper last.
    EXPECT_EQ(QColor(image.pixel(InBox(65, 13))).name(),
              Colour(OrlixLibColor::HSLToRGB({12, 240, 225})));
    EXPECT_EQ(QColor(image.pixel(InBox(125, 97))).name(),
              Colour(OrlixLibColor::HSLToRGB({12, 40, 40})));
    // The etched line at x 57: shadow, then highlight, from y 8 to 38 above the bottom.
    EXPECT_EQ(QColor(image.pixel(InBox(57, 8))).name(), box.ButtonShadow().name());
    EXPECT_EQ(QColor(image.pixel(InBox(57, 103))).name(), box.ButtonShadow().name());
    EXPECT_EQ(QColor(image.pixel(InBox(58, 50))).name(), box.Highlight3D().name());
    EXPECT_EQ(QColor(image.pixel(InBox(57, 104))).name(), QColor(192, 192, 192).name());
    EXPECT_EQ(QColor(image.pixel(InBox(57, 7))).name(), QColor(192, 192, 192).name());
    QTest::mouseRelease(box.picPopup, Qt::LeftButton, {}, MainCell(1));
}

TEST_F(OXColorBoxTest, PressDragReleaseClickAndDoubleClick) {
    QSignalSpy changes(&box, &OXColorBox::Change);
    QSignalSpy clicks(&box, &OXColorBox::Click);
    QSignalSpy doubles(&box, &OXColorBox::DblClick);

    QTest::mouseMove(box.picPopup, MainCell(1));
    QTest::mousePress(box.picPopup, Qt::LeftButton, {}, MainCell(1));
    QTest::mouseRelease(box.picPopup, Qt::LeftButton, {}, MainCell(1));
    EXPECT_EQ(box.Text(), "Copper");
    // Selecting raises Click, and the click on a cell raises it again.
    EXPECT_EQ(clicks.count(), 2);

    changes.clear();
    clicks.clear();
    QTest::mousePress(box.picPopup, Qt::LeftButton, {}, MainCell(2));
    QTest::mouseMove(box.picPopup, MainCell(3));
    QTest::mouseMove(box.picPopup, ShadeCell(5));
    QTest::mouseRelease(box.picPopup, Qt::LeftButton, {}, QPoint(300, -40)); // outside
    EXPECT_EQ(changes.count(), 3);
    EXPECT_EQ(box.Text(), "Copper") << "released outside: no new selection";
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(box.ActiveText(), "Deep Bronze");

    QTest::mouseMove(box.picPopup, MainCell(4));
    DoubleClick(box.picPopup, MainCell(4));
    EXPECT_EQ(doubles.count(), 1);
    EXPECT_EQ(box.Text(), "Gold");

    // Right button does nothing on the surface.
    changes.clear();
    QTest::mouseClick(box.picPopup, Qt::RightButton, {}, MainCell(0));
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(OXColorBoxTest, FaceClickSpaceAndPopup) {
    QSignalSpy popups(&box, &OXColorBox::Popup);
    QSignalSpy doubles(&box, &OXColorBox::DblClick);
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(50, 8));
    EXPECT_EQ(popups.count(), 0);
    box.SetPopupEnabled(false);
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(50, 8));
    QTest::keyClick(&box, Qt::Key_Space);
    QTest::keyClick(&box, Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_EQ(popups.count(), 2);
    DoubleClick(&box, QPoint(50, 8));
    EXPECT_EQ(doubles.count(), 1);
}

TEST_F(OXColorBoxTest, ArrowKeysWalkAndEnterChooses) {
    QSignalSpy clicks(&box, &OXColorBox::Click);
    QTest::keyClick(box.picPopup, Qt::Key_Down); // lands on the first cell
    QTest::keyClick(box.picPopup, Qt::Key_Down);
    EXPECT_EQ(box.ActiveText(), "Copper");
    QTest::keyClick(box.picPopup, Qt::Key_Return);
    EXPECT_EQ(box.Text(), "Copper");
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(OXColorBoxTest, MoreColoursCancelChangesNothing) {
    QSignalSpy changes(&box, &OXColorBox::Change);
    platform.colourAnswers = {std::nullopt, RGB(10, 20, 30)};
    QTest::mouseClick(box.MorePal, Qt::LeftButton);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(box.ActiveColor(), 0);
    QTest::mouseClick(box.MorePal, Qt::LeftButton);
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(box.HTMLColor(), "#0A141E");
    EXPECT_EQ(platform.callsOf("colourDialog").size(), 2u);
}

TEST_F(OXColorBoxTest, RestingOnBlueForOneIntervalShowsItsShades) {
    box.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
    box.picPopup->setFocus();
    ASSERT_TRUE(box.tmrHover->IsRunning()) << "focus inside the box runs the hover timer";
    QTest::mouseMove(box.picPopup, MainCell(21));
    QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(box.Model().Palettes.ShadePalette[0].Name),
                              QString("Faint Blue"), 2000);
    const auto& shades = box.Model().Palettes.ShadePalette;
    ASSERT_EQ(shades.size(), 48u);
    EXPECT_EQ(shades.back().Name, "Pitch Blue");
    const QImage image = box.grab().toImage();
    EXPECT_EQ(QColor(image.pixel(InBox(65, 13))).name(), Colour(shades[0].Color));

    // Focus leaving the box stops the timer; Interval 0 stops it for good.
    box.clearFocus();
    EXPECT_FALSE(box.tmrHover->IsRunning());
}

TEST(OrlixTimer, KeepsTheTimerControlsRules) {
    OrlixTimer timer;
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 400);
    EXPECT_EQ(timer.Name(), "HoverTimer");
    timer.SetName("");
    EXPECT_EQ(timer.Name(), "HoverTimer");
    timer.SetInterval(5);
    timer.SetEnabled(true);
    EXPECT_TRUE(timer.IsRunning());
    QSignalSpy ticks(&timer, &OrlixTimer::OnTimer);
    EXPECT_TRUE(ticks.wait(1000));
    timer.SetInterval(0);
    EXPECT_EQ(timer.Interval(), 0);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_FALSE(timer.IsRunning());
    timer.SetEnabled(true); // enabled without an interval: still no ticks
    EXPECT_FALSE(timer.IsRunning());
}

} // namespace
} // namespace tlx
