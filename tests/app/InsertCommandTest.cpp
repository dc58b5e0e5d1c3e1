#include "cli/InsertCommand.h"

#include "BuildPaths.h"
#include "catalog/qt/fButton.h"
#include "colour/qt/ColourSwatch.h"
#include "common/RecordingPreviewFactory.h"
#include "common/ScriptedPlatform.h"
#include "common/ShownObjects.h"
#include "common/TempFolder.h"
#include "host/Application.h"
#include "host/HtmlDocument.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <gtest/gtest.h>
#include <memory>
#include <regex>
#include <sstream>

namespace tlx::app {
namespace {

namespace fs = std::filesystem;
using tlx::testing::readFile;
using tlx::testing::TempFolder;
using tlx::testing::writeFile;

const fs::path kShippedInstall = fs::path(TLX_BINARY_DIR) / "install";
const fs::path kSampleWeb = fs::path(TLX_BINARY_DIR) / "sample-web";

struct InsertCommand : ::testing::Test {
    TempFolder temp;
    fs::path install = temp.path() / "install";
    fs::path web = temp.path() / "web";
    fs::path page = web / "index.htm";
    std::ostringstream out;
    std::ostringstream err;

    void SetUp() override {
        if (!fs::exists(kShippedInstall / "FlashMovies" / "btgel.swf"))
            GTEST_SKIP() << "the library movies are not built";
        fs::copy(kShippedInstall, install, fs::copy_options::recursive);
        fs::copy(kSampleWeb, web, fs::copy_options::recursive);
    }
    int run(Args args) {
        args.push_back("--install");
        args.push_back(install.string());
        out.str("");
        err.str("");
        return runInsertCommand(args, out, err);
    }
    // The movie references of the page's objects, in page order.
    static std::vector<std::string> References(const std::string& text) {
        std::vector<std::string> refs;
        const std::regex movie("NAME=movie VALUE=\"([^\"]*)\"");
        for (auto it = std::sregex_iterator(text.begin(), text.end(), movie);
             it != std::sregex_iterator(); ++it)
            refs.push_back((*it)[1]);
        return refs;
    }
};

TEST_F(InsertCommand, InsertsEveryKindAtTheEndOfTheBody) {
    fs::copy_file(install / "FlashMovies" / "artsun.swf", temp.path() / "my clip.swf");
    const std::vector<std::pair<Args, std::string>> cases{
        {{page.string(), "button", "Orange Tab", "T1=Tom & Jerry", "TC=#ff0000", "BS=Ding"},
         "bttab.swf?T1=Tom+%26+Jerry&T2=More+Text&TC=FF0000&TU=&TW=_self&BS=sndding.swf&CWR=0&"
         "CWG=0&CWB=0"},
        {{page.string(), "heading", "Wave", "T1=Fresh today", "BM=Starry Night", "TU=about.htm"},
         "hdwave.swf?T1=Fresh+today&TC=000000&TU=about.htm&TW=_self&BM=bgstars.swf&CWR=0&CWG=0&"
         "CWB=0"},
        {{page.string(), "art", "Golden Star", "bgcolor=#00FF00"},
         "artstar.swf?CA=1&CWR=0&CWG=0&CWB=0"},
        {{page.string(), "file", (temp.path() / "my clip.swf").string(), "width=120"},
         "my clip.swf"},
    };
    std::size_t before = References(readFile(page)).size();
    for (const auto& [args, reference] : cases) {
        ASSERT_EQ(run(args), 0) << err.str();
        const std::string text = readFile(page);
        const auto refs = References(text);
        ASSERT_EQ(refs.size(), before + 1);
        EXPECT_EQ(refs.back(), reference);
        EXPECT_NE(text.find("ID=" + out.str().substr(0, out.str().size() - 1)), std::string::npos);
        // At the end of the body, after everything that was there.
        EXPECT_LT(text.rfind(refs.back()), text.find("</body>"));
        EXPECT_GT(text.rfind(refs.back()), text.find("Lemon"));
        before = refs.size();
    }
    EXPECT_TRUE(fs::exists(web / "sndding.swf"));
    EXPECT_TRUE(fs::exists(web / "bgstars.swf"));
    EXPECT_TRUE(fs::exists(web / "my clip.swf"));

    // The intro's texts go into a text file next to the page; none is left in the library.
    ASSERT_EQ(
        run({page.string(), "intro", "Story Teller", "T1=Welcome", "T2=A & B", "TM=Calm Pads"}), 0)
        << err.str();
    const std::string intro = References(readFile(page)).back();
    const std::smatch tf = [&] {
        std::smatch m;
        std::regex_search(intro, m,
                          std::regex("TF=(FP[0-9]+\\.htm)&TC=000000&TM=mcpads.swf&TE=&BM="));
        return m;
    }();
    ASSERT_FALSE(tf.empty()) << intro;
    EXPECT_EQ(readFile(web / tf[1].str()), "T1=Welcome&T2=A & B&eof=1\r\n");
    EXPECT_FALSE(fs::exists(install / "FlashMovies" / tf[1].str()));
}

TEST_F(InsertCommand, BadRequestsNameTheProblemAndLeaveThePageAlone) {
    const std::string original = readFile(page);
    const std::vector<std::pair<Args, std::string>> cases{
        {{page.string(), "banner", "x"}, "unknown kind \"banner\""},
        {{page.string(), "button", "Nope"}, "unknown button \"Nope\""},
        {{page.string(), "button", "Blue Gel", "XX=1"}, "unknown key XX"},
        {{page.string(), "button", "Blue Gel", "TC=red"}, "TC must be a colour"},
        {{page.string(), "button", "Blue Gel", "BS=Ding"}, "takes no sound"},
        {{page.string(), "heading", "Wave", "BM=Nowhere"}, "unknown background \"Nowhere\""},
        {{page.string(), "file", (web / "index.htm").string()}, "no .swf extension"},
        {{(web / "missing.htm").string(), "art", "Golden Star"}, "cannot read the page"},
        {{page.string()}, "usage"},
    };
    for (const auto& [args, message] : cases) {
        EXPECT_EQ(run(args), 2) << args[1 % args.size()];
        EXPECT_NE(err.str().find(message), std::string::npos) << err.str();
        EXPECT_TRUE(out.str().empty());
        EXPECT_EQ(readFile(page), original);
    }
}

// Judged by a standards parser's tree of the saved page: the new object is an element of the
// body that a browser shows, and nothing else of the page changed; a page without such a place
// is refused and left as it was.
TEST_F(InsertCommand, PutsTheObjectWhereABrowserShowsItOrRefuses) {
    struct Case {
        const char* what;
        std::string page;
        bool placed;
    };
    const std::vector<Case> cases{
        {"only an XML declaration", "<?xml version=\"1.0\">", true},
        {"an unclosed comment at the end", "<body><p>Text</p><!-- note </body>", true},
        {"an unclosed script", "<body><p>Text</p><script>var a = 1; </body>", true},
        {"an unclosed style", "<body><p>Text</p><style>p { color: red }", true},
        {"an unclosed textarea", "<body><p>Text</p><textarea>draft", true},
        {"an unclosed title in the body", "<body><p>Text</p><title>draft", true},
        {"an unclosed xmp", "<body><p>Text</p><xmp>code", true},
        {"a plaintext tag", "<body><p>Text</p><plaintext>rest</body>", true},
        {"an unclosed noscript", "<body><p>Text</p><noscript>no scripts</body>", true},
        {"an unclosed noframes", "<body><p>Text</p><noframes>none", true},
        {"an unclosed svg", "<body><p>Text</p><svg><circle r=5></circle>", true},
        {"an unclosed math", "<body><p>Text</p><math><mi>x</mi></body>", true},
        {"an unclosed select", "<body><p>Text</p><select><option>One</body>", true},
        {"an unclosed template", "<body><p>Text</p><template><p>Later</body>", true},
        {"a body end tag in a trailing comment",
         "<html><body><p>Text</p></body><!-- was </body> --></html>", true},
        {"a frameset", "<html><frameset><frame src=a.htm></frameset></html>", false},
    };
    const fs::path target = web / "case.htm";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(target, c.page);
        fs::remove(web / "artstar.swf");
        const int status = run({target.string(), "art", "Golden Star"});
        const std::string saved = readFile(target);
        if (!c.placed) {
            EXPECT_EQ(status, 2);
            EXPECT_NE(err.str().find("frameset"), std::string::npos) << err.str();
            EXPECT_EQ(saved, c.page);
            EXPECT_FALSE(fs::exists(web / "artstar.swf"));
            continue;
        }
        if (status != 0) {
            ADD_FAILURE() << "exit " << status << ": " << err.str();
            continue;
        }
        const std::string id = out.str().substr(0, out.str().find('\n'));
        const auto shown = tlx::testing::shownObjectIds(target);
        ASSERT_TRUE(shown) << "html5lib could not judge the page";
        EXPECT_EQ(*shown, std::vector<std::string>{id}) << saved;
        // The object was put in; every byte of the page around it is as it was.
        const std::size_t from = saved.find("<OBJECT");
        const std::size_t to = saved.find("</OBJECT>");
        ASSERT_NE(to, std::string::npos) << saved;
        EXPECT_EQ(saved.substr(0, from) + saved.substr(to + 9), c.page);
        EXPECT_TRUE(fs::exists(web / "artstar.swf"));
    }
}

TEST_F(InsertCommand, WritesTheSameMarkupAsTheDialog) {
    int argc = 1;
    char name[] = "app";
    char* argv[] = {name, nullptr};
    // The test program may have made its application already.
    std::unique_ptr<QApplication> own;
    if (!QCoreApplication::instance())
        own = std::make_unique<QApplication>(argc, argv);

    ASSERT_EQ(run({page.string(), "button", "Orange Tab", "T1=Order now", "TU=about.htm",
                   "TC=#FF0000", "BS=Ding"}),
              0)
        << err.str();
    const std::string commandText = readFile(page);

    fs::remove_all(web);
    fs::copy(kSampleWeb, web, fs::copy_options::recursive);
    const auto app = host::Application::create();
    ASSERT_TRUE(app->openWeb(web));
    const auto window = app->openPage(page);
    ASSERT_TRUE(window);
    const std::size_t end = window->document()->text().rfind("</body>");
    window->document()->setSelection(end, end);
    ScriptedPlatform platform;
    AddinContext context(platform, install.string());
    context.Editor = HostEditor(app);
    fButton dialog(context, RecordingPreviewFactory());
    dialog.PresetStyle("bttab.swf");
    dialog.PresetSound("sndding.swf");
    dialog.Text1->setText(QStringLiteral("Order now"));
    dialog.Text3->setText(QStringLiteral("about.htm"));
    SetSwatchColour(*dialog.fTextColor, "#FF0000");
    dialog.Command1_Click();
    ASSERT_TRUE(app->savePage(window));
    EXPECT_EQ(readFile(page), commandText);
}

} // namespace
} // namespace tlx::app
