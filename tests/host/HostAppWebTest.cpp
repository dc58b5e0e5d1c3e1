#include "HostAppTestSupport.h"
#include "host/Application.h"
#include "host/FileUrl.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tlx::host {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;
using test::writeFile;

TEST(FileUrl, EncodesWhatCannotStandInAnAddressAndDecodesBack) {
    EXPECT_EQ(fileUrlFromPath("/home/ann/my web/a#b%c?.htm"),
              "file:///home/ann/my%20web/a%23b%25c%3F.htm");
    EXPECT_EQ(fileUrlFromPath("/srv/caf\xC3\xA9/"), "file:///srv/caf%C3%A9");
    EXPECT_EQ(fileUrlFromPath("/srv/a+b(1)&c=d"), "file:///srv/a+b(1)&c=d");
    EXPECT_EQ(fileUrlFromPath("relative/path"), "");
    const fs::path odd = "/tmp/x y/\xC3\xA9#%?[1].htm";
    EXPECT_EQ(pathFromFileUrl(fileUrlFromPath(odd)), odd);
    EXPECT_EQ(pathFromFileUrl("file://localhost/a%20b"), fs::path("/a b"));
    EXPECT_EQ(pathFromFileUrl("http://example.com/a"), std::nullopt);
    EXPECT_EQ(pathFromFileUrl("file://server/share"), std::nullopt);
    EXPECT_EQ(pathFromFileUrl("file:///a%00b"), std::nullopt);
}

TEST(HostWeb, NoWebUntilAFolderIsOpened) {
    TempDir dir;
    const auto app = Application::create();
    ASSERT_NE(app->ActiveWeb(), nullptr);
    EXPECT_EQ(app->ActiveWeb()->Url(), "");
    EXPECT_EQ(app->ActiveWeb()->RootFolder(), nullptr);

    writeFile(dir.path() / "page.htm", "x");
    EXPECT_FALSE(app->openWeb(dir.path() / "page.htm"));
    EXPECT_FALSE(app->openWeb(dir.path() / "missing"));
    EXPECT_EQ(app->ActiveWeb()->Url(), "");

    int changes = 0;
    auto subscription = app->webChanged().connect([&] { ++changes; });
    ASSERT_TRUE(app->openWeb(dir.path()));
    EXPECT_EQ(app->ActiveWeb()->Url(), fileUrlFromPath(dir.path()));
    app->closeWeb();
    EXPECT_EQ(app->ActiveWeb()->Url(), "");
    EXPECT_EQ(app->ActiveWeb()->RootFolder(), nullptr);
    EXPECT_EQ(changes, 2);
}

TEST(HostWeb, FoldersAndFilesByNameWithAddressesThatNest) {
    TempDir dir;
    const fs::path root = dir.path() / "my web";
    writeFile(root / "sub dir" / "deep#1" / "a page.htm", "<p>");
    writeFile(root / "index.htm", "<p>");
    const auto app = Application::create();
    ASSERT_TRUE(app->openWeb(root));

    const auto rootFolder = app->ActiveWeb()->RootFolder();
    ASSERT_NE(rootFolder, nullptr);
    EXPECT_EQ(rootFolder->Url(), app->ActiveWeb()->Url());
    EXPECT_NE(rootFolder->Url().find("my%20web"), std::string::npos);
    EXPECT_EQ(rootFolder->LocalPath(), root.string());

    const auto sub = rootFolder->Folders("sub dir");
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->Url(), rootFolder->Url() + "/sub%20dir");
    const auto deep = sub->Folders("deep#1");
    ASSERT_NE(deep, nullptr);
    const auto file = deep->Files("a page.htm");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Name(), "a page.htm");
    EXPECT_EQ(file->Url(), rootFolder->Url() + "/sub%20dir/deep%231/a%20page.htm");

    // Only single names inside the folder; files are not folders and the other way round.
    EXPECT_EQ(rootFolder->Folders("index.htm"), nullptr);
    EXPECT_EQ(rootFolder->Files("sub dir"), nullptr);
    EXPECT_EQ(rootFolder->Folders(""), nullptr);
    EXPECT_EQ(rootFolder->Folders(".."), nullptr);
    EXPECT_EQ(rootFolder->Folders("sub dir/deep#1"), nullptr);
    EXPECT_EQ(sub->Files("../index.htm"), nullptr);
    EXPECT_EQ(rootFolder->Files("missing.htm"), nullptr);
}

TEST(HostWeb, AddFileCopiesAndReplacesOnlyWhenAsked) {
    TempDir dir;
    const fs::path web = dir.path() / "web";
    fs::create_directories(web / "images");
    writeFile(dir.path() / "library" / "movie.swf", "new movie bytes");
    writeFile(web / "images" / "movie.swf", "old movie");
    fs::permissions(web / "images" / "movie.swf", fs::perms(0640));
    writeFile(dir.path() / "library" / "fresh.swf", "fresh");

    const auto app = Application::create();
    ASSERT_TRUE(app->openWeb(web));
    const auto images = app->ActiveWeb()->RootFolder()->Folders("images");
    ASSERT_NE(images, nullptr);

    const auto fresh = images->AddFile((dir.path() / "library" / "fresh.swf").string(), false);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->Name(), "fresh.swf");
    EXPECT_EQ(readFile(web / "images" / "fresh.swf"), "fresh");
    EXPECT_EQ(images->Files("fresh.swf")->Url(), fresh->Url());

    const std::string source = (dir.path() / "library" / "movie.swf").string();
    EXPECT_EQ(images->AddFile(source, false), nullptr);
    EXPECT_EQ(readFile(web / "images" / "movie.swf"), "old movie");

    ASSERT_NE(images->AddFile(source, true), nullptr);
    EXPECT_EQ(readFile(web / "images" / "movie.swf"), "new movie bytes");
    EXPECT_EQ(fs::status(web / "images" / "movie.swf").permissions(), fs::perms(0640));

    // Nothing to copy, or nowhere sensible to put it.
    EXPECT_EQ(images->AddFile((dir.path() / "library" / "none.swf").string(), true), nullptr);
    EXPECT_EQ(images->AddFile((dir.path() / "library").string(), true), nullptr);

    // A file added onto itself stays whole.
    const auto self = images->AddFile((web / "images" / "movie.swf").string(), true);
    ASSERT_NE(self, nullptr);
    EXPECT_EQ(readFile(web / "images" / "movie.swf"), "new movie bytes");

    // Only the two files: no temporary files left behind.
    EXPECT_EQ(test::countEntries(web / "images"), 2);
}

TEST(HostWeb, FileDeleteRemovesOnlyAFile) {
    TempDir dir;
    writeFile(dir.path() / "text.htm", "T1=a&T2=b&eof=1");
    const auto app = Application::create();
    ASSERT_TRUE(app->openWeb(dir.path()));
    const auto file = app->ActiveWeb()->RootFolder()->Files("text.htm");
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->Delete());
    EXPECT_FALSE(fs::exists(dir.path() / "text.htm"));
    EXPECT_FALSE(file->Delete());
    EXPECT_EQ(app->ActiveWeb()->RootFolder()->Files("text.htm"), nullptr);
}

TEST(HostWeb, FileOpensAsPageWindowOfItsWeb) {
    TempDir dir;
    writeFile(dir.path() / "sub" / "text.htm", "T1=a&T2=b&eof=1");
    writeFile(dir.path() / "outside" / "page.htm", "<p>");
    const auto app = Application::create();
    ASSERT_TRUE(app->openWeb(dir.path() / "sub"));
    const auto file = app->ActiveWeb()->RootFolder()->Files("text.htm");
    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(file->IsOpen());
    ASSERT_TRUE(file->Open());
    EXPECT_TRUE(file->IsOpen());
    const auto window = app->ActivePageWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_NE(window->File(), nullptr);
    EXPECT_EQ(window->File()->Name(), "text.htm");
    EXPECT_EQ(window->Document()->locationHref(), file->Url());

    // A page outside the web has no file in it.
    const auto outside = app->openPage(dir.path() / "outside" / "page.htm");
    ASSERT_NE(outside, nullptr);
    EXPECT_EQ(outside->File(), nullptr);

    ASSERT_TRUE(window->Close(false));
    EXPECT_FALSE(file->IsOpen());
}

} // namespace
} // namespace tlx::host
