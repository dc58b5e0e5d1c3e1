#include "app/GuiMain.h"

#include "BuildPaths.h"
#include "app/WelcomeBar.h"
#include "common/QtTestEnvironment.h"
#include "updates/TestFiles.h"

#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <algorithm>
#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <utility>

namespace tlx::app {
namespace {

using namespace tlx::testing;

[[maybe_unused]] const ::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtTestEnvironment);

TEST(ParseGuiArgs, TakesWebsPagesAndQtsOptionsAndRefusesTheRest) {
    TempFolder temp;
    const fs::path web = temp.path() / "web";
    writeFile(web / "index.htm", "<p>");
    const std::string w = web.string();
    const std::string p = (web / "index.htm").string();
    struct Case {
        Args args;
        bool ok;
        std::string web, page, install;
    };
    const Case cases[] = {
        {{}, true, "", "", ""},
        {{w, "index.htm", "--install", "/i"}, true, w, "index.htm", "/i"},
        {{"--install=/i", w}, true, w, "", "/i"},
        {{p}, true, w, p, ""}, // a page opens in its folder
        {{"-platform", "offscreen", "-reverse", w}, true, w, "", ""},
        {{"chek", w}, false, "", "", ""}, // a mistyped command is no web
        {{p, "other.htm"}, false, "", "", ""},
        {{w, "a", "b"}, false, "", "", ""},
        {{"--verbose"}, false, "", "", ""},
        {{"--install"}, false, "", "", ""},
        {{"--install="}, false, "", "", ""},
        {{"-style"}, false, "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        std::string error;
        const auto options = parseGuiArgs(c.args, error);
        ASSERT_EQ(options.has_value(), c.ok) << error;
        if (!options) {
            EXPECT_NE(error, "");
            continue;
        }
        EXPECT_EQ(options->web.value_or(fs::path()).string(), c.web);
        EXPECT_EQ(options->page.value_or(fs::path()).string(), c.page);
        EXPECT_EQ(options->install.value_or(fs::path()).string(), c.install);
    }
    std::string error;
    EXPECT_TRUE(parseGuiArgs({"-platform", "xcb"}, error)->platformGiven);
    EXPECT_FALSE(parseGuiArgs({"-platformtheme", "gtk3"}, error)->platformGiven);
    EXPECT_TRUE(HaveDisplay(":0", nullptr, nullptr, false));
    EXPECT_TRUE(HaveDisplay("", "wayland-0", nullptr, false));
    EXPECT_TRUE(HaveDisplay(nullptr, nullptr, "offscreen", false));
    EXPECT_TRUE(HaveDisplay(nullptr, nullptr, nullptr, true));
    EXPECT_FALSE(HaveDisplay("", "", "", false));
}

// The user's Chromium flags are kept; the program adds what its web views need.
TEST(CommandLine, ChromiumFlagsKeepTheUsersOwn) {
    const std::pair<const char*, std::string> cases[] = {
        {nullptr, "--disable-gpu --js-flags=--expose-gc"},
        {"", "--disable-gpu --js-flags=--expose-gc"},
        {"--enable-logging", "--enable-logging --js-flags=--expose-gc"},
        {"--js-flags=--max-old-space-size=512 --disable-gpu",
         "--js-flags=--max-old-space-size=512 --disable-gpu"},
    };
    for (const auto& [given, expected] : cases)
        EXPECT_EQ(ChromiumFlags(given), expected) << (given ? given : "(none)");
}

// The program itself, as a user without a display runs it: every answer is a line or a text on
// the terminal and an exit code, never Qt's abort.
TEST(CommandLine, AnswersWithoutADisplay) {
    const fs::path program = fs::path(TLX_BINARY_DIR) / "src" / "tamberlux";
    if (!fs::exists(program))
        GTEST_SKIP() << program << " is not built";
    struct Case {
        std::string args;
        int exitCode;
        std::string inOutput;
        bool oneLine;
    };
    const Case cases[] = {
        {"--version", 0, "tamberlux 1.", true},
        {"--help", 0, "insert PAGE KIND ENTRY", false},
        {"frobnicate", 2, "no command or web folder named frobnicate", false},
        {"--frobnicate", 2, "unknown option --frobnicate", false},
        {"", 2, "no display", true},
        {"data/web", 2, "no display", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const std::string command = "cd " TLX_SOURCE_DIR " && env -u DISPLAY -u WAYLAND_DISPLAY "
                                    "-u QT_QPA_PLATFORM '" +
                                    program.string() + "' " + c.args + " 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string output;
        std::array<char, 4096> buffer{};
        while (const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
            output.append(buffer.data(), n);
        const int status = pclose(pipe);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), c.exitCode) << output;
        EXPECT_NE(output.find(c.inOutput), std::string::npos) << output;
        if (c.oneLine) {
            EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
        }
    }
}

TEST(WelcomeBar, IsGoneForGoodOnceDismissed) {
    TempFolder temp;
    qunsetenv("TAMBERLUX_NO_WELCOME");
    const QString file = QString::fromStdString((temp.path() / "tamberlux.conf").string());
    {
        QSettings settings(file, QSettings::IniFormat);
        ASSERT_TRUE(WelcomeWanted(settings));
        WelcomeBar bar(QStringLiteral("/home/u/Tamberlux/Sample Web"),
                       QStringLiteral("/home/u/.local/share/tamberlux"), settings);
        bar.show();
        EXPECT_TRUE(bar.lblWelcome->text().contains(QLatin1String("Sample Web")));
        EXPECT_TRUE(bar.lblWelcome->text().contains(QLatin1String(".local/share/tamberlux")));
        bar.btDismiss->click();
        EXPECT_FALSE(bar.isVisible());
    }
    QSettings again(file, QSettings::IniFormat);
    EXPECT_FALSE(WelcomeWanted(again));
    // The test harness switches it off for a fresh user too.
    QSettings fresh(QString::fromStdString((temp.path() / "fresh.conf").string()),
                    QSettings::IniFormat);
    qputenv("TAMBERLUX_NO_WELCOME", "1");
    EXPECT_FALSE(WelcomeWanted(fresh));
    qunsetenv("TAMBERLUX_NO_WELCOME");
}

} // namespace
} // namespace tlx::app
