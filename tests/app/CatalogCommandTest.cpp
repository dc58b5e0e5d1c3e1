#include "cli/Commands.h"
#include "common/TempFolder.h"

#include <gtest/gtest.h>
#include <sstream>

namespace tlx::app {
namespace {

struct CommandRun {
    int code = -1;
    std::string out, err;
};

CommandRun RunCatalog(const Args& args) {
    std::ostringstream out, err;
    CommandRun r;
    r.code = runCatalogCommand(args, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

TEST(CatalogCommand, ListsEntriesInFileOrderAndSkippedLinesWithWhy) {
    tlx::testing::TempFolder install;
    install.write("FlashMovies/b1.swf", "FWS");
    install.write("FlashMovies/B2.SWF", "FWS");
    const auto catalog = install.write(
        "buttons.kqz", "[TwinText]{b2.swf}(Second)*&[120](30)<Round>!^Two\tlines^!&*\r"
                       "{b1.swf}(No type)\r"
                       "[SingleText]{gone.swf}(Gone)\r"
                       "\r"
                       "[SingleText]{b1.swf}(First)*&[100%](45)&*\r");
    const CommandRun r = RunCatalog({catalog.string()});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "TwinText\tb2.swf\tSecond\t120\t30\tRound\tTwo\\tlines\n"
                     "SingleText\tb1.swf\tFirst\t100%\t45\t\t\n");
    const std::string name = catalog.string();
    EXPECT_EQ(r.err, name + ":2: skipped: no type between [ and ]\n" + name +
                         ":3: skipped: file \"gone.swf\" is not in the library folder\n" + name +
                         ":4: skipped: empty line\n");
}

TEST(CatalogCommand, TwoFieldCatalogsNeedNoType) {
    tlx::testing::TempFolder install;
    install.write("FlashMovies/bg.swf", "FWS");
    const auto catalog = install.write("backgrnds.kqz", "{bg.swf}(Sky)\n");
    const CommandRun r = RunCatalog({catalog.string()});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "\tbg.swf\tSky\t\t\t\t\n");
    EXPECT_EQ(r.err, "");
}

TEST(CatalogCommand, UnreadableInputAndBadArgumentsExitTwo) {
    tlx::testing::TempFolder install;
    const CommandRun missing = RunCatalog({(install.path() / "buttons.kqz").string()});
    EXPECT_EQ(missing.code, 2);
    EXPECT_NE(missing.err.find("no such file"), std::string::npos);
    EXPECT_EQ(missing.out, "");

    const CommandRun folder = RunCatalog({install.path().string()});
    EXPECT_EQ(folder.code, 2);
    EXPECT_NE(folder.err.find("cannot read the catalog"), std::string::npos);

    EXPECT_EQ(RunCatalog({}).code, 2);
    EXPECT_EQ(RunCatalog({"a.kqz", "b.kqz"}).code, 2);

    // A readable catalog without its library folder is read, with a warning.
    const auto catalog = install.write("movies.kqz", "[Standard]{m.swf}(M)\r\n");
    const CommandRun bare = RunCatalog({catalog.string()});
    EXPECT_EQ(bare.code, 0);
    EXPECT_EQ(bare.out, "");
    EXPECT_NE(bare.err.find("no library folder"), std::string::npos);
    EXPECT_NE(bare.err.find(":1: skipped: file \"m.swf\""), std::string::npos);
}

} // namespace
} // namespace tlx::app
