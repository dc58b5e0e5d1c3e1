// The connection against the editor's own application model, with a panel that records what
// the connection does with it.

#include "addin/Connect.h"

#include "addin/AddinTestSupport.h"
#include "addin/ToolbarPositionFile.h"
#include "common/ScriptedPlatform.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

namespace tlx {
namespace {

using test::ReadFile;
using test::WriteFile;

class RecordingPanel : public MainPanelSlot {
public:
    bool IsLoaded() const override { return loaded; }
    void Show() override {
        if (!showFailure.empty())
            throw std::runtime_error(showFailure);
        Load();
        visible = true;
    }
    void SetVisible(bool value) override {
        Load();
        visible = value;
    }
    void SetTopmost(bool onTop) override {
        Load();
        topmost = onTop;
        visible = true;
    }
    void Unload() override {
        if (loaded)
            ++unloads;
        loaded = false;
        visible = false;
    }
    void Load() {
        if (!loaded)
            ++loads;
        loaded = true;
    }

    bool loaded = false;
    bool visible = false;
    bool topmost = false;
    int loads = 0;
    int unloads = 0;
    std::string showFailure; // when not empty, Show fails with this text
};

class ConnectTest : public ::testing::Test {
protected:
    ConnectTest() : app(host::Application::create()), context(platform, folder.str()) {}

    std::unique_ptr<Connect> Connected() {
        auto addin = std::make_unique<Connect>(context, panel);
        addin->IDTExtensibility2_OnConnection(app);
        return addin;
    }
    CommandBarPtr Toolbar() const { return app->CommandBars().Item(kToolbarName); }
    ControlsPtr PopupControls() const {
        const auto bar = Toolbar();
        const auto popup = bar ? bar->Controls()->Item(kPopupCaption) : nullptr;
        return popup ? popup->Controls() : nullptr;
    }

    test::TempFolder folder;
    std::shared_ptr<host::Application> app;
    ScriptedPlatform platform;
    AddinContext context;
    RecordingPanel panel;
};

TEST_F(ConnectTest, FirstStartMakesToolbarPopupAndButtonAndLeavesThePositionAlone) {
    auto addin = Connected();
    const auto bar = Toolbar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->Visible());
    EXPECT_EQ(bar->Position(), kToolbarPositionTop);
    EXPECT_EQ(bar->Left(), 0);
    EXPECT_EQ(bar->Top(), 0);
    EXPECT_EQ(bar->RowIndex(), 0);

    ASSERT_EQ(bar->Controls()->Count(), 1);
    const auto popup = bar->Controls()->Item(1);
    EXPECT_EQ(popup->Type(), ControlType::Popup);
    EXPECT_EQ(popup->Caption(), "VORNE Mirvane");
    EXPECT_TRUE(popup->BeginGroup());
    EXPECT_TRUE(popup->Visible());

    ASSERT_EQ(popup->Controls()->Count(), 1);
    const auto button = popup->Controls()->Item(1);
    EXPECT_EQ(button->Type(), ControlType::Button);
    EXPECT_EQ(button->Caption(), "Mirvane Kestrelite");
    EXPECT_EQ(button->Style(), 3);
    EXPECT_EQ(button->FaceId(), 346);
    EXPECT_FALSE(button->BeginGroup());
    EXPECT_TRUE(button->Visible());

    EXPECT_FALSE(context.PanelOpen);
    EXPECT_FALSE(panel.IsLoaded()) << "nothing is loaded before the button is clicked";
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "mpos.dat"));
}

TEST_F(ConnectTest, SharedToolbarGetsOnlyOurButtonFirstAndKeepsTheOthers) {
    const auto bar = app->CommandBars().Add(kToolbarName, 3, false, true);
    bar->SetVisible(false);
    const auto popup = bar->Controls()->Add(ControlType::Popup, std::nullopt, false);
    popup->SetCaption(kPopupCaption);
    popup->SetBeginGroup(false);
    const auto other = popup->Controls()->Add(ControlType::Button, std::nullopt, false);
    other->SetCaption("Mirvane Other");

    auto addin = Connected();
    EXPECT_EQ(Toolbar(), bar);
    EXPECT_FALSE(bar->Visible()) << "a shared toolbar is reused as found";
    EXPECT_FALSE(popup->BeginGroup()) << "a shared popup is reused as found";
    ASSERT_EQ(bar->Controls()->Count(), 1);
    ASSERT_EQ(popup->Controls()->Count(), 2);
    EXPECT_EQ(popup->Controls()->Item(1)->Caption(), "Mirvane Kestrelite");
    EXPECT_EQ(popup->Controls()->Item(2), other);

    addin->IDTExtensibility2_OnDisconnection();
    EXPECT_EQ(Toolbar(), bar);
    ASSERT_EQ(popup->Controls()->Count(), 1);
    EXPECT_EQ(popup->Controls()->Item(1), other);
    EXPECT_EQ(popup->Controls()->Item(kButtonCaption), nullptr);
}

TEST_F(ConnectTest, LastButtonTakesPopupAndToolbarWithIt) {
    auto addin = Connected();
    ASSERT_NE(Toolbar(), nullptr);
    addin->IDTExtensibility2_OnDisconnection();
    EXPECT_EQ(Toolbar(), nullptr);
    EXPECT_FALSE(addin->IsConnected());
    EXPECT_EQ(context.Editor.Application(), nullptr);
}

TEST_F(ConnectTest, AnotherAddinsLastButtonAndPopupsAreNeverDeleted) {
    auto addin = Connected();
    // Another add-in shares the toolbar with a popup of its own.
    const auto otherPopup = Toolbar()->Controls()->Add(ControlType::Popup, std::nullopt, false);
    otherPopup->SetCaption("VORNE Other");
    addin->IDTExtensibility2_OnDisconnection();
    ASSERT_NE(Toolbar(), nullptr) << "the toolbar still holds another add-in's popup";
    EXPECT_EQ(Toolbar()->Controls()->Item(kPopupCaption), nullptr);
    EXPECT_NE(Toolbar()->Controls()->Item("VORNE Other"), nullptr);

    // Our button gone already, another add-in's single button stays with its popup.
    auto again = Connected();
    PopupControls()->Item(kButtonCaption)->Delete();
    PopupControls()->Add(ControlType::Button, std::nullopt, false)->SetCaption("Mirvane Other");
    again->IDTExtensibility2_OnDisconnection();
    ASSERT_NE(PopupControls(), nullptr);
    EXPECT_NE(PopupControls()->Item("Mirvane Other"), nullptr);
}

TEST_F(ConnectTest, PositionIsSavedAtDisconnectionAndRestoredAtTheNextConnection) {
    auto addin = Connected();
    ASSERT_TRUE(Toolbar()->SetPosition(4));
    ASSERT_TRUE(Toolbar()->SetLeft(-12));
    ASSERT_TRUE(Toolbar()->SetTop(340));
    ASSERT_TRUE(Toolbar()->SetRowIndex(2));
    addin->IDTExtensibility2_OnDisconnection();
    EXPECT_EQ(ReadFile(folder.path() / "mpos.dat"), "4\n-12\n340\n2\n");
    ASSERT_EQ(Toolbar(), nullptr);

    addin->IDTExtensibility2_OnConnection(app);
    const auto bar = Toolbar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->Position(), 4);
    EXPECT_EQ(bar->Left(), -12);
    EXPECT_EQ(bar->Top(), 340);
    EXPECT_EQ(bar->RowIndex(), 2);
}

TEST_F(ConnectTest, RefusedOrMissingPositionValuesLeaveTheirPropertyAlone) {
    // Position 9 is refused by the editor; the file ends after Top.
    WriteFile(folder.path() / "MPOS.DAT", "9\n25\n-30\n");
    auto addin = Connected();
    EXPECT_EQ(Toolbar()->Position(), kToolbarPositionTop);
    EXPECT_EQ(Toolbar()->Left(), 25);
    EXPECT_EQ(Toolbar()->Top(), -30);
    EXPECT_EQ(Toolbar()->RowIndex(), 0);
}

TEST_F(ConnectTest, ButtonOpensOnePanelHoweverOftenItIsClicked) {
    auto addin = Connected();
    const auto button = PopupControls()->Item(kButtonCaption);
    button->Execute();
    EXPECT_TRUE(context.PanelOpen);
    EXPECT_TRUE(panel.visible);
    button->Execute();
    EXPECT_EQ(panel.loads, 1);

    addin->IDTExtensibility2_OnDisconnection();
    EXPECT_FALSE(panel.IsLoaded());
    // The button is released: a click on a stale handle reaches nothing.
    context.PanelOpen = false;
    button->Execute();
    EXPECT_FALSE(context.PanelOpen);
}

TEST_F(ConnectTest, APanelThatFailsToOpenSaysWhyAndStaysClosed) {
    test::OpenPage(*app, test::kPageHead + "<p>x</p>" + test::kPageTail);
    auto addin = Connected();
    panel.showFailure = "out of window handles";
    PopupControls()->Item(kButtonCaption)->Execute();
    EXPECT_EQ(app->statusText(), "The Flash panel could not be opened: out of window handles.");
    EXPECT_FALSE(context.PanelOpen);
    // The window events leave the panel that never opened alone.
    app->deactivate();
    app->activate();
    EXPECT_FALSE(panel.IsLoaded());
}

TEST_F(ConnectTest, WindowEventsMoveThePanelOnlyWhileItIsOpen) {
    test::OpenPage(*app, test::kPageHead + "<p>x</p>" + test::kPageTail);
    auto addin = Connected();
    app->activate();
    app->deactivate();
    app->activate();
    EXPECT_FALSE(panel.IsLoaded()) << "no panel before it was opened";

    addin->m_cbbMenu_Click();
    app->deactivate();
    EXPECT_FALSE(panel.visible);
    EXPECT_FALSE(panel.topmost);
    app->activate();
    EXPECT_TRUE(panel.visible);
    EXPECT_TRUE(panel.topmost);

    // Closed by its close label: the host's windows no longer bring it back.
    context.PanelOpen = false;
    panel.Unload();
    app->deactivate();
    app->activate();
    EXPECT_FALSE(panel.IsLoaded());
    EXPECT_EQ(panel.loads, 1);
}

TEST_F(ConnectTest, NewAndOpenedPagesRebindTheUpdateSignalWhileThePanelIsOpen) {
    const auto first = test::OpenPage(*app, test::kPageHead + test::kPageTail);
    auto addin = Connected();
    EXPECT_EQ(addin->BoundDocument(), first);
    first->replaceRange(0, 0, " ");
    EXPECT_EQ(context.StatusFlag, "FPReady");

    // While the panel is closed a new page does not rebind.
    const auto unbound = app->newPage();
    EXPECT_EQ(addin->BoundDocument(), first);

    addin->m_cbbMenu_Click();
    panel.topmost = false;
    const auto second = app->newPage();
    EXPECT_EQ(addin->BoundDocument(), second->Document());
    EXPECT_TRUE(panel.topmost);
    context.StatusFlag = "Waiting";
    first->replaceRange(0, 0, " ");
    EXPECT_EQ(context.StatusFlag, "Waiting") << "the old page no longer signals";
    second->document()->replaceRange(0, 0, " ");
    EXPECT_EQ(context.StatusFlag, "FPReady");

    const std::filesystem::path file = folder.path() / "opened.htm";
    WriteFile(file, test::kPageHead + test::kPageTail);
    const auto opened = app->openPage(file);
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(addin->BoundDocument(), opened->Document());
}

TEST_F(ConnectTest, SavingRunsTheCheckWithAndWithoutThePanel) {
    auto addin = Connected();
    const std::filesystem::path file = folder.path() / "page.htm";
    WriteFile(file, test::kPageHead + test::AlteredOwnedObject() + test::kPageTail);
    const auto window = app->openPage(file);
    ASSERT_NE(window, nullptr);

    ASSERT_TRUE(app->savePage(window));
    EXPECT_EQ(platform.progressFormsShown, 1);
    EXPECT_EQ(platform.progressFormsOpen, 0);
    std::string saved = ReadFile(file);
    EXPECT_EQ(saved.find("Play"), std::string::npos) << saved;
    EXPECT_NE(saved.find("FlashVars"), std::string::npos) << saved;

    // With the panel open, on a page the editor altered again.
    addin->m_cbbMenu_Click();
    const auto document = window->document();
    document->replaceRange(0, document->text().size(),
                           test::kPageHead + test::AlteredOwnedObject() + test::kPageTail);
    ASSERT_TRUE(app->savePage(window));
    EXPECT_EQ(platform.progressFormsShown, 2);
    saved = ReadFile(file);
    EXPECT_EQ(saved.find("Play"), std::string::npos) << saved;

    // A page already sound: no progress form, nothing changed.
    ASSERT_TRUE(app->savePage(window));
    EXPECT_EQ(platform.progressFormsShown, 2);
    EXPECT_EQ(ReadFile(file), saved);
}

TEST_F(ConnectTest, DestroyingAConnectedAddinDisconnectsIt) {
    {
        auto addin = Connected();
        addin->m_cbbMenu_Click();
    }
    EXPECT_EQ(Toolbar(), nullptr);
    EXPECT_FALSE(panel.IsLoaded());
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "mpos.dat"));
}

} // namespace
} // namespace tlx
