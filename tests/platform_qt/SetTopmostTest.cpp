#include "platform/qt/SetTopmost.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>
#include <gtest/gtest.h>

namespace tlx {
namespace {

TEST(SetTopmost, TogglesStayOnTopKeepingPlaceAndShowsWithoutActivating) {
    QWidget panel(nullptr, Qt::Tool);
    panel.resize(240, 60);
    panel.move(130, 140);
    panel.show();
    QCoreApplication::processEvents();
    const QPoint position = panel.pos();
    const QSize size = panel.size();

    SetTopmost(&panel, true);
    EXPECT_TRUE(panel.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(panel.windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(panel.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.pos(), position);
    EXPECT_EQ(panel.size(), size);

    SetTopmost(&panel, false);
    EXPECT_FALSE(panel.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.pos(), position);
    EXPECT_EQ(panel.size(), size);

    // A hidden window is shown again, in either state.
    panel.hide();
    SetTopmost(&panel, false);
    EXPECT_TRUE(panel.isVisible());
    panel.hide();
    SetTopmost(&panel, true);
    EXPECT_TRUE(panel.isVisible());
    EXPECT_TRUE(panel.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(panel.pos(), position);

    SetTopmost(nullptr, true); // nothing to do, nothing breaks
}

TEST(SetTopmost, StaysBelowAnOpenModalDialogUntilItCloses) {
    QWidget panel(nullptr, Qt::Tool);
    panel.show();
    SetTopmost(&panel, true);
    QDialog dialog;
    dialog.setModal(true);
    dialog.show();
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::activeModalWidget(), &dialog);

    // As after a colour selector of the dialog closed: on top would cover the dialog.
    SetTopmost(&panel, false);
    SetTopmost(&panel, true);
    EXPECT_FALSE(panel.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(panel.isVisible());

    dialog.hide();
    SetTopmost(&panel, true);
    EXPECT_TRUE(panel.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    // A modal window is never kept below itself.
    QDialog modalPanel;
    modalPanel.setModal(true);
    modalPanel.show();
    SetTopmost(&modalPanel, true);
    EXPECT_TRUE(modalPanel.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST(SetTopmost, ActsOnTheTopLevelWindowOfAChildWidget) {
    QWidget panel;
    auto* button = new QWidget(&panel);
    panel.show();
    SetTopmost(button, true);
    EXPECT_TRUE(panel.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(button->isWindow());
}

} // namespace
} // namespace tlx
