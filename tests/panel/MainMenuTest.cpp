// The main menu and its commands, through the scripted platform.

#include "panel/MainMenu.h"

#include "addin/AddinTestSupport.h"
#include "common/ScriptedPlatform.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

class RecordingActions : public MainMenuActions {
public:
    void SetTopmost(bool onTop) override { calls.push_back(onTop ? "top" : "untop"); }
    void ShowAboutBox() override { calls.push_back("about"); }
    bool CanImport() const override { return importable; }
    void ImportDownloadedMovies() override { calls.push_back("import"); }
    bool CanCheckNews() const override { return false; }
    void CheckNews() override { calls.push_back("news"); }

    bool importable = true;
    std::vector<std::string> calls;
};

class MainMenuTest : public ::testing::Test {
protected:
    MainMenuTest() : context(platform, folder.str()) {}
    void Links(const std::string& bytes) { test::WriteFile(folder.path() / "sites.kqz", bytes); }
    const std::vector<MenuEntry>& Web(const std::vector<MenuEntry>& menu) {
        return menu.back().submenu;
    }

    test::TempFolder folder;
    ScriptedPlatform platform;
    AddinContext context;
    RecordingActions actions;
};

TEST_F(MainMenuTest, FourEntriesThenTheLinksWithSeparatorsKeepingTheirNumbers) {
    Links("[A]{https://a.example/}\r\n-\r\n[B]{https://b.example/}\r\n");
    const auto menu = BuildMainMenu(folder.str(), true, true);
    ASSERT_EQ(menu.size(), 5u);
    EXPECT_EQ(menu[0].caption, "About Mirvane Flash");
    EXPECT_EQ(menu[0].command, 300);
    EXPECT_EQ(menu[1].caption, "Mirvane Flash Help");
    EXPECT_EQ(menu[1].command, 305);
    EXPECT_EQ(menu[2].caption, "Import Downloaded Flash Movies");
    EXPECT_EQ(menu[2].command, 303);
    EXPECT_TRUE(menu[2].enabled);
    EXPECT_EQ(menu[3].caption, "News/Updates");
    EXPECT_EQ(menu[3].command, 304);
    EXPECT_TRUE(menu[3].enabled);
    EXPECT_EQ(menu[4].caption, "On The Web");
    EXPECT_EQ(menu[4].command, 400);

    const auto& web = Web(menu);
    ASSERT_EQ(web.size(), 3u);
    EXPECT_EQ(web[0].caption, "A");
    EXPECT_EQ(web[0].command, 1001);
    EXPECT_TRUE(web[1].separator);
    EXPECT_EQ(web[1].caption, "/Separator/");
    EXPECT_EQ(web[1].command, 1002);
    EXPECT_EQ(web[2].caption, "B");
    EXPECT_EQ(web[2].command, 1003);

    ActionMainMenu(1003, context, actions);
    ASSERT_EQ(platform.callsOf("shellOpen").size(), 1u);
    EXPECT_EQ(platform.callsOf("shellOpen")[0].args[0], "https://b.example/");
    ActionMainMenu(1002, context, actions);
    EXPECT_EQ(platform.callsOf("shellOpen").size(), 1u) << "a separator opens nothing";
}

TEST_F(MainMenuTest, AMissingLinkListGivesAnEmptySubmenu) {
    const auto menu = BuildMainMenu(folder.str(), false, false);
    ASSERT_EQ(menu.size(), 5u);
    EXPECT_TRUE(menu[4].submenu.empty());
    EXPECT_EQ(menu[4].command, 0) << "shown as a submenu, never chosen";
    EXPECT_FALSE(menu[2].enabled);
    ActionMainMenu(1001, context, actions);
    EXPECT_TRUE(platform.callsOf("shellOpen").empty());
}

TEST_F(MainMenuTest, HundredAndTwentyLinesAreListedButOnlyTheFirst99Open) {
    std::string bytes;
    for (int line = 1; line <= 120; ++line)
        bytes +=
            "[L" + std::to_string(line) + "]{https://l" + std::to_string(line) + ".example/}\r";
    Links(bytes);
    const auto menu = BuildMainMenu(folder.str(), true, false);
    ASSERT_EQ(Web(menu).size(), 120u);
    EXPECT_EQ(Web(menu).back().command, 1120);

    ActionMainMenu(1099, context, actions);
    ActionMainMenu(1100, context, actions);
    ActionMainMenu(1120, context, actions);
    const auto opened = platform.callsOf("shellOpen");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].args[0], "https://l99.example/");
}

TEST_F(MainMenuTest, AChosenLinkOpensTheAddressNowOnItsLineAndOnlyWebAddresses) {
    Links("[A]{https://a.example/}\n[B]{https://b.example/}\n[C]{file:///etc/passwd}\n"
          "[D]{mailto:info@example.org}\n[E]\n");
    const auto menu = BuildMainMenu(folder.str(), true, false);
    // The update check replaces the list while the menu is built.
    Links("[A]{https://a.example/}\n[B2]{https://new.example/}\n[C]{file:///etc/passwd}\n"
          "[D]{mailto:info@example.org}\n[E]\n");
    EXPECT_EQ(Web(menu)[1].caption, "B");
    for (int command : {1002, 1003, 1004, 1005})
        ActionMainMenu(command, context, actions);
    const auto opened = platform.callsOf("shellOpen");
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].args[0], "https://new.example/");
    EXPECT_EQ(opened[1].args[0], "mailto:info@example.org");
}

TEST_F(MainMenuTest, FixedCommandsAndADismissedMenu) {
    test::WriteFile(folder.path() / "HELP" / "Index.HTM", "<html></html>");
    platform.popupMenuAnswers = {0};
    const auto menu = BuildMainMenu(folder.str(), true, false);
    EXPECT_EQ(ShowMainMenu(platform, menu), 0);
    ASSERT_EQ(platform.menusShown.size(), 1u);
    EXPECT_EQ(platform.menusShown[0].size(), 5u);

    ActionMainMenu(0, context, actions);
    ActionMainMenu(400, context, actions);
    EXPECT_TRUE(actions.calls.empty());
    EXPECT_TRUE(platform.callsOf("shellOpen").empty());

    ActionMainMenu(305, context, actions);
    ASSERT_EQ(platform.callsOf("shellOpen").size(), 1u);
    EXPECT_EQ(platform.callsOf("shellOpen")[0].args[0],
              (folder.path() / "HELP" / "Index.HTM").string());
    ActionMainMenu(300, context, actions);
    ActionMainMenu(303, context, actions);
    ActionMainMenu(304, context, actions);
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"untop", "untop", "about", "top", "untop",
                                                       "import", "top"}));
    EXPECT_TRUE(context.StatusFlag.empty()) << "no news check ran";

    actions.calls.clear();
    actions.importable = false;
    ActionMainMenu(303, context, actions);
    EXPECT_TRUE(actions.calls.empty());
}

TEST_F(MainMenuTest, TheStatusBarSaysWhenNoWebBrowserCouldOpenTheHelpOrALink) {
    const auto app = host::Application::create();
    context.Editor = HostEditor(app);
    test::WriteFile(folder.path() / "Help" / "index.htm", "<html></html>");
    Links("[A]{https://a.example/}\r\n");
    struct Case {
        int command;
        int shellAnswer;
        std::string note;
    };
    const Case cases[] = {
        {305, 31, "No web browser could be opened"},
        {1001, 31, "No web browser could be opened"},
        {305, 33, ""},
        {1001, 33, ""},
        {305, 2, ""}, // a missing help page is no matter of the browser
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.command) + " answered " + std::to_string(c.shellAnswer));
        app->SetStatusText("");
        platform.shellOpenAnswers = {c.shellAnswer};
        const auto before = platform.callsOf("shellOpen").size();
        ActionMainMenu(c.command, context, actions);
        EXPECT_EQ(platform.callsOf("shellOpen").size(), before + 1);
        EXPECT_EQ(app->statusText(), c.note);
    }
}

} // namespace
} // namespace tlx
