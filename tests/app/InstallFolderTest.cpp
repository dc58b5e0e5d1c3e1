#include "cli/InstallFolder.h"

#include "platform/ShippedData.h"
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

    EXPECT_EQ(LogFileFor("/state", "/home/u"), fs::path("/state/tamberlux/tamberlux.log"));
    EXPECT_EQ(LogFileFor("rel", "/home/u"),
              fs::path("/home/u/.local/state/tamberlux/tamberlux.log"));
    EXPECT_EQ(LogFileFor(nullptr, nullptr), std::nullopt);
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
    EXPECT_EQ(WriteFileAtomically(temp.path() / "a.kqz", "new").error(), "");
    EXPECT_EQ(readFile(temp.path() / "a.kqz"), "new");
    const Result<> refused = WriteFileAtomically(temp.path() / "missing" / "b.kqz", "x");
    EXPECT_FALSE(refused);
    EXPECT_NE(refused.error(), "");
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
                                  {kSeededFileName, readFile(user / kSeededFileName)},
                              }));

    // Seeding again finds nothing missing.
    const SeedReport again = SeedInstallFolder(shipped, user);
    EXPECT_EQ(again.copied, 0);
    EXPECT_EQ(again.kept, 5);
}

TEST_F(SeedFixture, ANewVersionReplacesOnlyTheFilesNobodyChanged) {
    writeFile(user / "sites.kqz", "user sites"); // the user's own, not from any seeding
    ASSERT_EQ(SeedInstallFolder(shipped, user).copied, 4);

    // The user (or an import) changes one copied file; the next version ships new ones.
    writeFile(user / "buttons.kqz", "shipped buttons + imported");
    writeFile(shipped / "buttons.kqz", "buttons v2");
    writeFile(shipped / "Sites.KQZ", "sites v2");
    writeFile(shipped / "FlashMovies" / "b1.swf", "b1 v2");
    writeFile(shipped / "Help" / "index.htm", "help v2");
    // A record that lost lines or got damaged keeps the files it no longer names.
    writeFile(user / kSeededFileName, readFile(user / kSeededFileName) + "garbage\nzz oops\n");

    const SeedReport report = SeedInstallFolder(shipped, user);
    EXPECT_EQ(report.updated, 2);
    EXPECT_TRUE(report.problems.empty());
    EXPECT_EQ(readFile(user / "FlashMovies" / "b1.swf"), "b1 v2");
    EXPECT_EQ(readFile(user / "Help" / "index.htm"), "help v2");
    EXPECT_EQ(readFile(user / "FlashMovies" / "b2.swf"), "shipped b2");
    EXPECT_EQ(readFile(user / "buttons.kqz"), "shipped buttons + imported");
    EXPECT_EQ(readFile(user / "sites.kqz"), "user sites");

    // The updated files are recorded as this version's: the version after replaces them again.
    writeFile(shipped / "Help" / "index.htm", "help v3");
    EXPECT_EQ(SeedInstallFolder(shipped, user).updated, 1);
    EXPECT_EQ(readFile(user / "Help" / "index.htm"), "help v3");
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

    // A folder named with --install: missing or empty, it is set up like the user's folder;
    // holding files, it is used as it stands; anything but a folder is refused.
    const fs::path own = temp.path() / "own";
    writeFile(own / "mine.kqz", "mine");
    const fs::path empty = temp.path() / "empty";
    fs::create_directories(empty);
    const fs::path notFolder = temp.path() / "file";
    writeFile(notFolder, "x");
    struct Case {
        fs::path folder;
        bool usable;
        bool seeded;
    };
    const Case cases[] = {{temp.path() / "nowhere" / "deep", true, true},
                          {empty, true, true},
                          {own, true, false},
                          {notFolder, false, false},
                          {notFolder / "below", false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder.string());
        choice = PrepareInstallFolder(c.folder, shipped, user);
        EXPECT_EQ(choice.folder.has_value(), c.usable);
        EXPECT_EQ(fs::exists(c.folder / "FlashMovies" / "b2.swf"), c.seeded);
        if (!c.usable) {
            EXPECT_NE(choice.message.find(c.folder.string()), std::string::npos);
        }
    }
    EXPECT_EQ(snapshot(own), (std::map<std::string, std::string>{{"mine.kqz", "mine"}}));

    // Without the shipped folder an empty named folder is still used, a missing one is not made.
    fs::remove_all(empty);
    fs::create_directories(empty);
    EXPECT_EQ(PrepareInstallFolder(empty, missing, user).folder, empty);
    EXPECT_EQ(PrepareInstallFolder(temp.path() / "new", missing, user).folder, std::nullopt);
    EXPECT_FALSE(fs::exists(temp.path() / "new"));
}

TEST(ShippedData, TheInstalledLayoutBesideTheProgramWinsOverTheBuildTree) {
    TempFolder temp;
    const fs::path prefix = temp.path() / "usr";
    const ShippedData build{temp.path() / "build" / "install", temp.path() / "build" / "web",
                            temp.path() / "src" / "ruffle"};
    // Nothing installed: all from the build tree; also without a known executable folder.
    EXPECT_EQ(FindShippedData(prefix / "bin", build).installSeed, build.installSeed);
    EXPECT_EQ(FindShippedData({}, build).ruffle, build.ruffle);

    fs::create_directories(prefix / "share" / "tamberlux" / "install");
    fs::create_directories(prefix / "share" / "tamberlux" / "ruffle");
    const ShippedData found = FindShippedData(prefix / "bin", build);
    EXPECT_EQ(found.installSeed, prefix / "share" / "tamberlux" / "install");
    EXPECT_EQ(found.ruffle, prefix / "share" / "tamberlux" / "ruffle");
    EXPECT_EQ(found.sampleWeb, build.sampleWeb); // each one on its own
    // The page editor, installed in libexec/tamberlux/, finds the same folders.
    const ShippedData editor = FindShippedData(prefix / "libexec" / "tamberlux", build);
    EXPECT_EQ(editor.installSeed, found.installSeed);
    EXPECT_EQ(editor.ruffle, found.ruffle);
}

} // namespace
} // namespace tlx::app
