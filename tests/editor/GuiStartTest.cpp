// The page editor's command line, its sample web and its first page.

#include "app/GuiMain.h"
#include "common/TempFolder.h"

#include <gtest/gtest.h>

namespace tlx::app {
namespace {

namespace fs = std::filesystem;
using tlx::testing::TempFolder;

TEST(GuiStart, ArgumentsNameTheWebThePageAndTheInstallFolder) {
    std::string error;
    // The web must exist: a word that names no folder is taken for a mistyped command.
    TempFolder temp;
    const fs::path site = temp.path() / "site";
    fs::create_directories(site);
    auto options = parseGuiArgs({site.string(), "--install", "/opt/x", "a.htm"}, error);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->web, site);
    EXPECT_EQ(options->page, fs::path("a.htm"));
    EXPECT_EQ(options->install, fs::path("/opt/x"));
    options = parseGuiArgs({}, error);
    ASSERT_TRUE(options);
    EXPECT_FALSE(options->web || options->page || options->install);
    EXPECT_FALSE(parseGuiArgs({"--install"}, error));
    EXPECT_FALSE(parseGuiArgs({"--bogus"}, error));
    EXPECT_NE(error.find("--bogus"), std::string::npos);
    EXPECT_FALSE(parseGuiArgs({"a", "b", "c"}, error));
}

TEST(GuiStart, SampleWebIsCopiedOnceAndTheCopyIsTheUsers) {
    TempFolder shipped;
    TempFolder home;
    shipped.write("index.htm", "<p>shipped</p>");
    shipped.write("products/a.htm", "<p>a</p>");
    std::string note;
    const fs::path copy = prepareSampleWeb(shipped.path(), home.path().c_str(), note);
    EXPECT_EQ(copy, home.path() / "Tamberlux" / "Sample Web");
    EXPECT_TRUE(note.empty());
    EXPECT_EQ(tlx::testing::readFile(copy / "products" / "a.htm"), "<p>a</p>");
    // The user's edits and deletions stay; the shipped pages stay untouched.
    tlx::testing::writeFile(copy / "index.htm", "<p>mine</p>");
    fs::remove(copy / "products" / "a.htm");
    EXPECT_EQ(prepareSampleWeb(shipped.path(), home.path().c_str(), note), copy);
    EXPECT_EQ(tlx::testing::readFile(copy / "index.htm"), "<p>mine</p>");
    EXPECT_FALSE(fs::exists(copy / "products" / "a.htm"));
    EXPECT_EQ(shipped.read("index.htm"), "<p>shipped</p>");
    // No home: the shipped sample, with a note saying so.
    EXPECT_EQ(prepareSampleWeb(shipped.path(), nullptr, note), shipped.path());
    EXPECT_FALSE(note.empty());
}

TEST(GuiStart, FirstPageIsTheNamedOneOrTheIndex) {
    TempFolder web;
    EXPECT_TRUE(startPage(web.path(), std::nullopt).empty());
    web.write("Index.HTML", "<p>i</p>");
    web.write("sub/b.htm", "<p>b</p>");
    EXPECT_EQ(startPage(web.path(), std::nullopt).filename(), "Index.HTML");
    EXPECT_EQ(startPage(web.path(), fs::path("sub/b.htm")), web.path() / "sub" / "b.htm");
    // A name the web does not hold is taken as given (the editor reports it when opening).
    EXPECT_EQ(startPage(web.path(), fs::path("/elsewhere/c.htm")), fs::path("/elsewhere/c.htm"));
}

} // namespace
} // namespace tlx::app
