#include "cli/Commands.h"
#include "updates/TestFiles.h"

#include <gtest/gtest.h>
#include <sstream>

namespace tlx::app {
namespace {

using namespace tlx::testing;

struct ImportCommandFixture : ::testing::Test {
    TempFolder temp;
    fs::path install = temp.path() / "install";
    fs::path package = temp.path() / "pack.zip";
    std::ostringstream out;
    std::ostringstream err;

    void SetUp() override {
        writeFile(install / "movies.kqz", "");
        fs::create_directories(install / "FlashMovies");
    }
    int run(const Args& args) { return runImportCommand(args, out, err); }
};

TEST_F(ImportCommandFixture, ImportsAPackageAndPrintsTheMessage) {
    writeZip(package, {{"impinfo.dat", "[Movies]\r\n[Intro]{m1.swf}(Stars)\r\n"}, {"m1.swf", "M"}});
    EXPECT_EQ(run({package.string(), "--install", install.string()}), 0) << err.str();
    EXPECT_EQ(out.str(), "Mirvane: Files Imported! Enjoy!\n");
    EXPECT_EQ(readFile(install / "movies.kqz"), "\r[Intro]{m1.swf}(Stars)");
    EXPECT_EQ(readFile(install / "FlashMovies" / "m1.swf"), "M");
}

TEST_F(ImportCommandFixture, RefusedPackageExitsWithOne) {
    writeZip(package, {{"../m1.swf", "M"}, {"impinfo.dat", "[Movies]\r\n"}});
    const auto before = snapshot(temp.path());
    EXPECT_EQ(run({"--install=" + install.string(), package.string()}), 1);
    EXPECT_EQ(err.str(), "Mirvane: Corrupt Import or Missing Data File Information.\n");
    EXPECT_EQ(snapshot(temp.path()), before);

    // The error message's lines come out as lines.
    writeZip(package, {{"impinfo.dat", "[Sound]\r\n"}});
    EXPECT_EQ(run({package.string(), "--install", install.string()}), 1);
    EXPECT_NE(err.str().find("Aborting!\n"), std::string::npos);
}

TEST_F(ImportCommandFixture, BadArgumentsExitWithTwo) {
    writeZip(package, {{"impinfo.dat", "[Movies]\r\n"}});
    const Args bad[] = {
        {},
        {package.string(), package.string()},
        {package.string(), "--install"},
        {package.string(), "--verbose"},
        {(temp.path() / "missing.zip").string(), "--install", install.string()},
        {package.string(), "--install", (install / "movies.kqz" / "below").string()}};
    for (const Args& args : bad) {
        err.str("");
        EXPECT_EQ(run(args), 2) << ::testing::PrintToString(args);
        EXPECT_NE(err.str(), "");
    }
    EXPECT_EQ(out.str(), "");
    EXPECT_FALSE(fs::exists(install / "FlashMovies" / "impinfo.dat"));
}

} // namespace
} // namespace tlx::app
