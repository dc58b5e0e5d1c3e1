// The main panel window (offscreen), with the editor's model behind it and the scripted
// platform answering its message boxes and menus.

#include "panel/qt/MainPanel.h"

#include "addin/AddinTestSupport.h"
#include "addin/qt/AddinConnection.h"
#include "common/QtTestEnvironment.h"
#include "common/ScriptedPlatform.h"
#include "panel/qt/AboutBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QSysInfo>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>
#include <gtest/gtest.h>

namespace tlx {
namespace {

[[maybe_unused]] const ::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new testing::QtTestEnvironment);

const std::string kFlashObject = "<object id=\"flash1\" codebase=\"https://download.macromedia.com/"
                                 "pub/shockwave/cabs/flash/swflash.cab\" width=\"10\" "
                                 "height=\"10\"><param name=\"movie\" value=\"a.swf\"></object>";

class MainPanelTest : public ::testing::Test {
protected:
    MainPanelTest() : app(host::Application::create()), context(platform, folder.str()) {
        context.Editor = HostEditor(app);
        document = test::OpenPage(*app, test::kPageHead + "<p>Some text</p>" + kFlashObject +
                                            test::kPageTail);
        panel = std::make_unique<MainPanel>(context, [this] { ++unloads; });
    }
    void Select(const std::string& piece) {
        const auto at = document->text().find(piece);
        ASSERT_NE(at, std::string::npos);
        document->setSelection(at, at + piece.size());
    }

    test::TempFolder folder;
    std::shared_ptr<host::Application> app;
    ScriptedPlatform platform;
    AddinContext context;
    std::shared_ptr<host::HtmlDocument> document;
    std::unique_ptr<MainPanel> panel;
    int unloads = 0;
};

TEST_F(MainPanelTest, LoadsOnTopWithItsButtonsTooltipsAndHeight) {
    EXPECT_TRUE(context.PanelOpen);
    EXPECT_EQ(panel->windowTitle(), "Tamberlux");
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(panel->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(panel->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(panel->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(panel->HeightTwips(), 810);
    EXPECT_EQ(panel->Label4->text(), "Kestrelite 1.31 ");
    EXPECT_EQ(panel->MainRoller->text(), "<<");
    EXPECT_EQ(panel->CloseLabel->text(), "x");
    EXPECT_EQ(panel->Timer1->interval(), 500);
    EXPECT_TRUE(panel->Timer1->isActive());

    const std::vector<std::pair<QToolButton*, const char*>> buttons = {
        {panel->Command14, "Insert Flash Button"},
        {panel->btHeading, "Insert Flash Heading"},
        {panel->btIntros, "Insert Flash Intro Movie"},
        {panel->btShape, "Insert Flash Shape/Misc"},
        {panel->btSound, "Insert Flash Sound Event"},
        {panel->Command1, "Insert Flash From File"},
        {panel->cmdProps, "Selected Flash Object Properties"},
        {panel->Command4, "Apply Custom Colorisation Filter (3rd Generation Objects Only)"},
        {panel->Command2, "Scan And Fix Invisible Flash Objects"},
        {panel->Command5, "Insert Flash 5+ Detection Code Into Page."},
        {panel->Command3, "Help..."}};
    for (const auto& [button, tip] : buttons) {
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(tip));
        EXPECT_FALSE(button->icon().isNull()) << tip;
        EXPECT_TRUE(panel->rect().contains(button->geometry())) << tip;
    }
    for (QToolButton* ready : {panel->Command2, panel->Command5, panel->Command3})
        EXPECT_TRUE(ready->isEnabled());
    ASSERT_EQ(panel->Menu().size(), 5u);
    for (const MenuEntry& entry : panel->Menu())
        EXPECT_TRUE(entry.enabled) << entry.caption;
}

TEST_F(MainPanelTest, PropertiesButtonFollowsTheSelectionOnlyInEditableViews) {
    Select(kFlashObject);
    panel->Timer1_Timer();
    EXPECT_TRUE(panel->cmdProps->isEnabled());
    Select("Some text");
    panel->Timer1_Timer();
    EXPECT_FALSE(panel->cmdProps->isEnabled());

    // A caret inside the object makes it the active element.
    const auto at = document->text().find("a.swf");
    document->setSelection(at, at);
    panel->Timer1_Timer();
    EXPECT_TRUE(panel->cmdProps->isEnabled());

    for (int mode : {2, 8}) {
        app->activePageWindow()->SetViewMode(mode);
        Select("Some text");
        panel->Timer1_Timer();
        EXPECT_TRUE(panel->cmdProps->isEnabled()) << "keeps its state in view " << mode;
    }
    app->activePageWindow()->SetViewMode(0);
    panel->Timer1_Timer();
    EXPECT_FALSE(panel->cmdProps->isEnabled());
    panel->cmdProps_Click(); // the properties dialog, for whatever is active
    ASSERT_EQ(platform.callsOf("showModal").size(), 1u);
    EXPECT_EQ(platform.callsOf("showModal")[0].args[0], "FlashProp");
    app->activePageWindow()->SetViewMode(2);
    panel->cmdProps_Click();
    EXPECT_EQ(platform.callsOf("showModal").size(), 1u) << "no dialog in a preview";
}

TEST_F(MainPanelTest, TheRunningTimerEnablesPropertiesForASelectedObject) {
    // The timer itself, not a direct call, turns the button on; its period is half a second.
    ASSERT_TRUE(panel->Timer1->isActive());
    EXPECT_EQ(panel->Timer1->interval(), 500);
    Select(kFlashObject);
    QElapsedTimer clock;
    clock.start();
    while (!panel->cmdProps->isEnabled() && clock.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_TRUE(panel->cmdProps->isEnabled());
}

TEST_F(MainPanelTest, RollingUpAndDownRestoresTheHeightBeforeRollingUp) {
    panel->MainRoller_Click();
    EXPECT_EQ(panel->MainRoller->text(), ">>");
    EXPECT_EQ(panel->HeightTwips(), 300);
    panel->MainRoller_Click();
    EXPECT_EQ(panel->MainRoller->text(), "<<");
    EXPECT_EQ(panel->HeightTwips(), 810);

    panel->SetHeightTwips(1200);
    panel->MainRoller_Click();
    EXPECT_EQ(panel->HeightTwips(), 300);
    panel->MainRoller_Click();
    EXPECT_EQ(panel->HeightTwips(), 1200);
}

TEST_F(MainPanelTest, HandlesDragThePanelAndTheirRightButtonOpensTheMenu) {
    const auto send = [](QWidget* target, QEvent::Type type, QPoint global, Qt::MouseButton button,
                         Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(target->mapFromGlobal(global)), QPointF(global), button,
                          held, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    };
    for (QWidget* handle : std::initializer_list<QWidget*>{panel->TitleBar, panel->Label4}) {
        panel->move(100, 100);
        const QSize size = panel->size();
        const QPoint start = handle->mapToGlobal(QPoint(5, 5));
        send(handle, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
        EXPECT_TRUE(panel->Dragging());
        EXPECT_EQ(panel->cursor().shape(), Qt::SizeAllCursor);
        send(handle, QEvent::MouseMove, start + QPoint(30, -20), Qt::NoButton, Qt::LeftButton);
        EXPECT_EQ(panel->pos(), QPoint(130, 80));
        EXPECT_EQ(panel->size(), size);
        send(handle, QEvent::MouseButtonRelease, start + QPoint(30, -20), Qt::LeftButton,
             Qt::NoButton);
        EXPECT_FALSE(panel->Dragging());
        EXPECT_EQ(panel->cursor().shape(), Qt::ArrowCursor);
        // Without dragging, moving the pointer leaves the panel where it is.
        send(handle, QEvent::MouseMove, start + QPoint(60, 60), Qt::NoButton, Qt::LeftButton);
        EXPECT_EQ(panel->pos(), QPoint(130, 80));

        platform.popupMenuAnswers = {kMenuAbout};
        platform.calls.clear();
        send(handle, QEvent::MouseButtonPress, start, Qt::RightButton, Qt::RightButton);
        EXPECT_EQ(platform.callsOf("popupMenu").size(), 1u);
        EXPECT_EQ(platform.callsOf("showModal").size(), 1u);
        EXPECT_FALSE(panel->Dragging());
        EXPECT_TRUE(panel->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }
}

TEST_F(MainPanelTest, ScanAndFixAsksFirstAndReportsWhenDone) {
    const std::string altered = test::AlteredOwnedObject();
    document->replaceRange(0, document->text().size(), test::kPageHead + altered + test::kPageTail);
    platform.messageBoxAnswers = {MsgResult::No};
    panel->Command2_Click();
    EXPECT_NE(document->text().find(altered), std::string::npos);
    ASSERT_EQ(platform.callsOf("messageBox").size(), 1u);

    platform.messageBoxAnswers = {MsgResult::Yes, MsgResult::Ok};
    panel->Command2_Click();
    const auto boxes = platform.callsOf("messageBox");
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[1].args[3], "VORNE Media Mirvane Kestrelite");
    EXPECT_EQ(boxes[2].args[0], "Scan Complete");
    EXPECT_EQ(boxes[2].args[3], "VORNE Media Mirvane");
    EXPECT_EQ(document->text().find("Play"), std::string::npos);
    EXPECT_TRUE(panel->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(MainPanelTest, InAViewThatCannotBeEditedTheStatusBarSaysWhyNothingHappens) {
    const std::string note = "Switch to Normal or HTML view to insert";
    const std::vector<std::pair<QToolButton*, const char*>> buttons = {
        {panel->Command14, "Insert Flash Button"},
        {panel->btHeading, "Insert Flash Heading"},
        {panel->btIntros, "Insert Flash Intro Movie"},
        {panel->btShape, "Insert Flash Shape/Misc"},
        {panel->btSound, "Insert Flash Sound Event"},
        {panel->Command1, "Insert Flash From File"},
        {panel->cmdProps, "Selected Flash Object Properties"},
        {panel->Command4, "Apply Custom Colorisation Filter"},
        {panel->Command5, "Insert Flash 5+ Detection Code Into Page."}};
    for (int mode : {2, 8}) {
        app->activePageWindow()->SetViewMode(mode);
        for (const auto& [button, what] : buttons) {
            SCOPED_TRACE(std::string(what) + " in view " + std::to_string(mode));
            app->SetStatusText("");
            platform.messageBoxAnswers = {MsgResult::Yes}; // the detection code's question
            button->setEnabled(true);
            button->click();
            EXPECT_EQ(app->statusText(), note);
            EXPECT_TRUE(platform.callsOf("showModal").empty());
            EXPECT_TRUE(panel->isVisible());
        }
    }
    // In an editable view nothing is said.
    app->activePageWindow()->SetViewMode(1);
    app->SetStatusText("");
    platform.messageBoxAnswers = {MsgResult::No};
    panel->Command5->click();
    EXPECT_EQ(app->statusText(), "");
}

TEST_F(MainPanelTest, HeldHiddenNothingShowsThePanelUntilItIsReleased) {
    // What the heading dialog's time looks like to the panel: the colour selector and the
    // link picker put it back on top, the host's window events show it.
    const std::vector<std::pair<const char*, std::function<void()>>> attempts = {
        {"SetTopmost(true)", [&] { panel->SetTopmost(true); }},
        {"SetTopmost(false)", [&] { panel->SetTopmost(false); }},
        {"show()", [&] { panel->show(); }},
        {"setVisible(true)", [&] { panel->setVisible(true); }},
    };
    panel->HoldHidden(true);
    EXPECT_FALSE(panel->isVisible());
    for (const auto& [what, attempt] : attempts) {
        SCOPED_TRACE(what);
        attempt();
        QApplication::processEvents();
        EXPECT_FALSE(panel->isVisible());
    }
    panel->HoldHidden(false);
    EXPECT_FALSE(panel->isVisible()) << "released, not shown by itself";
    panel->SetTopmost(true);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(panel->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(MainPanelTest, MainMenuShowsTheAboutBoxAndADismissedMenuDoesNothing) {
    platform.popupMenuAnswers = {0, kMenuAbout};
    panel->Command3_Click();
    EXPECT_TRUE(platform.callsOf("showModal").empty());

    bool checked = false;
    platform.modalActions.push_back([&](ModalForm& form) {
        auto& about = dynamic_cast<AboutBoxForm&>(form).dialog();
        EXPECT_EQ(about.lblProduct->text(), "Mirvane Kestrelite");
        EXPECT_TRUE(about.lblVersion->text().contains("1.31"));
        EXPECT_TRUE(about.lblPlayer->text().contains("https://ruffle.rs/"));
        // The report for a problem: the versions of the program and of what it runs on.
        about.btCopyInfo->click();
        const QString report = QString::fromStdString(platform.clipboard);
        EXPECT_TRUE(report.startsWith("Tamberlux 1.")) << platform.clipboard;
        EXPECT_TRUE(report.contains(QStringLiteral("Qt %1 ").arg(qVersion())))
            << platform.clipboard;
        EXPECT_TRUE(report.contains("Ruffle 0.")) << platform.clipboard;
        EXPECT_TRUE(report.contains("System: " + QSysInfo::prettyProductName()));
        EXPECT_FALSE(panel->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
            << "the panel is not on top while the about box is open";
        checked = true;
    });
    panel->Command3_Click();
    EXPECT_TRUE(checked);
    ASSERT_EQ(platform.callsOf("showModal").size(), 1u);
    EXPECT_EQ(platform.callsOf("showModal")[0].args[0], "frmAbout");
    EXPECT_TRUE(panel->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(MainPanelTest, CloseLabelClosesAndUnloadingRemovesPreviewTextFiles) {
    test::WriteFile(folder.path() / "FlashMovies" / "FP1010101.htm", "text");
    test::WriteFile(folder.path() / "FlashMovies" / "OTHER.HTM", "text");
    test::WriteFile(folder.path() / "FlashMovies" / "b1.swf", "movie");
    test::WriteFile(folder.path() / "FlashMovies" / "keep.html", "page");
    panel->CloseLabel_Click();
    EXPECT_FALSE(context.PanelOpen);
    EXPECT_EQ(unloads, 1);
    panel.reset();
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "FlashMovies" / "FP1010101.htm"));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "FlashMovies" / "OTHER.HTM"));
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "FlashMovies" / "b1.swf"));
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "FlashMovies" / "keep.html"));
}

TEST(MainPanelPlace, OpensBesideTheHostsToolbarsNotOverTheirButtons) {
    test::TempFolder folder;
    ScriptedPlatform platform;
    AddinContext context(platform, folder.str());
    // A host window with a welcome row under its toolbar, a button at its right end.
    QMainWindow host;
    host.setGeometry(40, 40, 900, 600);
    host.addToolBar(new QToolBar(QStringLiteral("Tools"), &host));
    host.addToolBarBreak();
    auto* welcome = new QToolBar(QStringLiteral("Welcome"), &host);
    auto* row = new QWidget(welcome);
    auto* layout = new QHBoxLayout(row);
    auto* text = new QLabel(QStringLiteral("line\nline\nline\nline\nline"), row);
    layout->addWidget(text, 1);
    auto* dismiss = new QPushButton(QStringLiteral("Don't Show Again"), row);
    dismiss->setMinimumHeight(120);
    layout->addWidget(dismiss);
    welcome->addWidget(row);
    host.addToolBar(welcome);
    host.setCentralWidget(new QWidget(&host));
    host.show();
    QApplication::processEvents();

    MainPanel panel(context, {}, &host);
    const QRect button(dismiss->mapToGlobal(QPoint(0, 0)), dismiss->size());
    EXPECT_FALSE(panel.frameGeometry().intersects(button))
        << "panel " << panel.y() << ".." << panel.frameGeometry().bottom() << ", button "
        << button.top() << ".." << button.bottom();
    EXPECT_TRUE(host.frameGeometry().contains(panel.frameGeometry()));

    // Kept above the host's window by the window manager, also after each switch of its
    // on-top state (which makes a new native window).
    for (const bool onTop : {true, false, true}) {
        SCOPED_TRACE(onTop);
        panel.SetTopmost(onTop);
        QApplication::processEvents();
        ASSERT_NE(panel.windowHandle(), nullptr);
        EXPECT_EQ(panel.windowHandle()->transientParent(), host.windowHandle());
    }
}

TEST(AddinConnection, OnePanelFollowsTheHostWindowWithoutTakingTheFocus) {
    test::TempFolder folder;
    ScriptedPlatform platform;
    const auto app = host::Application::create();
    QWidget hostWindow;
    hostWindow.resize(800, 600);
    hostWindow.show();
    hostWindow.activateWindow();
    QApplication::processEvents();
    {
        const auto connection = connectAddins(app, platform, folder.str(), &hostWindow);
        auto& slot = connection->PanelSlot();
        app->activate();
        EXPECT_FALSE(slot.IsLoaded()) << "no panel before it was opened";

        const auto button = app->CommandBars()
                                .Item("VORNE Media")
                                ->Controls()
                                ->Item("VORNE Mirvane")
                                ->Controls()
                                ->Item("Mirvane Kestrelite");
        ASSERT_NE(button, nullptr);
        button->Execute();
        button->Execute();
        ASSERT_TRUE(slot.IsLoaded());
        EXPECT_EQ(slot.LoadCount(), 1);
        MainPanel* panel = slot.Panel();
        QApplication::processEvents();
        EXPECT_TRUE(panel->isVisible());
        // The offscreen platform activates every window it shows, so the test checks what
        // keeps the focus on a real desktop: shown without activating, nothing in it focusable.
        const auto keepsFocusAway = [&] {
            EXPECT_TRUE(panel->testAttribute(Qt::WA_ShowWithoutActivating));
            for (const QWidget* child : panel->findChildren<QWidget*>())
                EXPECT_EQ(child->focusPolicy(), Qt::NoFocus) << child->toolTip().toStdString();
            const QWidget* focus = QApplication::focusWidget();
            EXPECT_TRUE(!focus || !panel->isAncestorOf(focus));
        };
        keepsFocusAway();

        app->deactivate();
        EXPECT_FALSE(panel->isVisible());
        app->activate();
        QApplication::processEvents();
        EXPECT_TRUE(panel->isVisible());
        EXPECT_TRUE(panel->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        keepsFocusAway();
        EXPECT_EQ(slot.Panel(), panel);

        panel->CloseLabel_Click();
        EXPECT_FALSE(slot.IsLoaded());
        app->deactivate();
        app->activate();
        EXPECT_FALSE(slot.IsLoaded()) << "closed by its x, the host does not bring it back";
        button->Execute();
        EXPECT_EQ(slot.LoadCount(), 2) << "the toolbar button does";
    }
    QApplication::processEvents();
    EXPECT_EQ(app->CommandBars().Item("VORNE Media"), nullptr);
}

} // namespace
} // namespace tlx
