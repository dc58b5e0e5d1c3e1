#include "app/InstallFolder.h"

#include "updates/TestFiles.h"

#include <gtest/gtest.h>

namespace tlx::app {
namespace {

using namespace tlx::testing;

TEST(UserInstallFolder, FollowsTheXdgDataFolder) {
    EXPECT_EQ(UserInstallFolder("/data", "/home/u"), fs::path("/data/tamberlux"));
    EXPECT_EQ(UserInstallFolder("relative", "/home/u"), fs::path("/home/u/.local/share/tamberlux"));
    EXPECT_EQ(UserInstallFolder("", "/home/u"), fs::path("/home/u/.local/share/tamberlux"));
    EXPECT_EQ(UserInstallFolder(nullptr, "/home/u"), fs::path("/home/u/.local/share/tamberlux"));
    EXPECT_EQ(UserInstallFolder(nullptr, nullptr), std::nullopt);
}

TEST(FindNoCase, MatchesNamesWithoutRegardToCase) {
    TempFolder temp;
    writeFile(temp.path() / "Sites.KQZ", "s");
    writeFile(temp.path() / "FlashMovies" / "B1.swf", "b");
    EXPECT_EQ(FindNoCase(temp.path(), "sites.kqz"), temp.path() / "Sites.KQZ");
    EXPECT_EQ(FindNoCase(temp.path(), "Sites.KQZ"), temp.path() / "Sites.KQZ");
    EXPECT_EQ(FindNoCase(temp.path(), "sites.kqy"), std::nullopt);
    EXPECT_EQ(FindNoCase(temp.path() / "missing", "x"), std::nullopt);
    EXPECT_EQ(FindNoCase(temp.path(), ".."), std::nullopt);
    // An exact name wins over a case variant.
    writeFile(temp.path() / "sites.kqz", "exact");
    EXPECT_EQ(FindNoCase(temp.path(), "sites.kqz"), temp.path() / "sites.kqz");

    EXPECT_EQ(ResolveNoCase(temp.path(), "flashmovies/b1.SWF"),
              temp.path() / "FlashMovies" / "B1.swf");
    EXPECT_EQ(ResolveNoCase(temp.path(), "FLASHMOVIES\\new.swf"),
              temp.path() / "FlashMovies" / "new.swf");
    EXPECT_EQ(ResolveNoCase(temp.path(), "Help/index.htm"), temp.path() / "Help" / "index.htm");
}

TEST(WriteFileAtomically, ReplacesWholeOrLeavesNothingBehind) {
    TempFolder temp;
    writeFile(temp.path() / "a.kqz", "old");
    EXPECT_EQ(WriteFileAtomically(temp.path() / "a.kqz", "new"), "");
    EXPECT_EQ(readFile(temp.path() / "a.kqz"), "new");
    EXPECT_NE(WriteFileAtomically(temp.path() / "missing" / "b.kqz", "x"), "");
    // No temporary file is left in either case.
    EXPECT_EQ(snapshot(temp.path()), (std::map<std::string, std::string>{{"a.kqz", "new"}}));
}

struct SeedFixture : ::testing::Test {
    TempFolder temp;
    fs::path shipped = temp.path() / "shipped";
    fs::path user = temp.path() / "user";
    void SetUp() override {
        writeFile(shipped / "buttons.kqz", "shipped buttons");
        writeFile(shipped / "Sites.KQZ", "shipped sites");
        writeFile(shipped / "FlashMovies" / "b1.swf", "shipped b1");
        writeFile(shipped / "FlashMovies" / "b2.swf", "shipped b2");
        writeFile(shipped / "Help" / "index.htm", "help");
    }
};

TEST_F(SeedFixture, CopiesWhatIsMissingAndKeepsTheUsersFiles) {
    writeFile(user / "sites.kqz", "user sites");
    writeFile(user / "flashmovies" / "B1.SWF", "user b1");
    writeFile(user / "kqz.ver", "user versions");

    const SeedReport report = SeedInstallFolder(shipped, user);
    EXPECT_EQ(report.copied, 3);
    EXPECT_EQ(report.kept, 2);
    EXPECT_TRUE(report.problems.empty());
    EXPECT_EQ(snapshot(user), (std::map<std::string, std::string>{
                                  {"buttons.kqz", "shipped buttons"},
                                  {"sites.kqz", "user sites"},
                                  {"kqz.ver", "user versions"},
                                  {"flashmovies", "<folder>"},
                                  {"flashmovies/B1.SWF", "user b1"},
                                  {"flashmovies/b2.swf", "shipped b2"},
                                  {"Help", "<folder>"},
                                  {"Help/index.htm", "help"},
                              }));

    // Seeding again finds nothing missing.
    const SeedReport again = SeedInstallFolder(shipped, user);
    EXPECT_EQ(again.copied, 0);
    EXPECT_EQ(again.kept, 5);
}

TEST_F(SeedFixture, PreparesTheUsersFolderOrSaysWhyNot) {
    InstallFolderChoice choice = PrepareInstallFolder(std::nullopt, shipped, user);
    ASSERT_EQ(choice.folder, user);
    EXPECT_EQ(choice.message, "");
    EXPECT_EQ(readFile(user / "FlashMovies" / "b1.swf"), "shipped b1");

    // Without the shipped folder an existing user folder still serves.
    const fs::path missing = temp.path() / "not-built";
    choice = PrepareInstallFolder(std::nullopt, missing, user);
    EXPECT_EQ(choice.folder, user);
    EXPECT_NE(choice.message.find(missing.string()), std::string::npos);

    // ...but a new one cannot be set up.
    choice = PrepareInstallFolder(std::nullopt, missing, temp.path() / "new-user");
    EXPECT_EQ(choice.folder, std::nullopt);
    EXPECT_NE(choice.message.find("--install"), std::string::npos);
    EXPECT_FALSE(fs::exists(temp.path() / "new-user"));

    // A folder named with --install is used as it is, never seeded.
    const fs::path own = temp.path() / "own";
    fs::create_directories(own);
    choice = PrepareInstallFolder(own, shipped, user);
    EXPECT_EQ(choice.folder, own);
    EXPECT_TRUE(fs::is_empty(own));
    choice = PrepareInstallFolder(temp.path() / "nowhere", shipped, user);
    EXPECT_EQ(choice.folder, std::nullopt);
    EXPECT_NE(choice.message.find("nowhere"), std::string::npos);
}

} // namespace
} // namespace tlx::app
