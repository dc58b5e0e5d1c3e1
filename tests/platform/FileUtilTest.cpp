#include "platform/FileUtil.h"

#include "common/TempFolder.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>

namespace tlx {
namespace {

using Lines = std::vector<std::string_view>;

TEST(SplitLines, LinesEndAtCrCrLfOrLoneLf) {
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd\r\n"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb"), (Lines{"a", "", "b"}));
    // LF CR is two breaks, not one.
    EXPECT_EQ(SplitLines("a\n\rb"), (Lines{"a", "", "b"}));
    // Blank lines count; only the final break starts no further line.
    EXPECT_EQ(SplitLines("\r\n\r\n"), (Lines{"", ""}));
    EXPECT_EQ(SplitLines("\r\r\n"), (Lines{"", ""}));
    EXPECT_EQ(SplitLines("last"), (Lines{"last"}));
    EXPECT_TRUE(SplitLines("").empty());
}

TEST(EqualsNoCase, OnlyAsciiLettersFold) {
    EXPECT_TRUE(EqualsNoCase("Sites.KQZ", "sites.kqz"));
    EXPECT_FALSE(EqualsNoCase("sites.kqz", "sites.kq"));
    EXPECT_FALSE(EqualsNoCase("[", "{")); // differ by the case bit but are not letters
    EXPECT_FALSE(EqualsNoCase("\xc9", "\xe9"));
}

namespace fs = std::filesystem;

// A run killed between writing and renaming leaves its temporary file; the next write into
// the folder removes it once it is clearly abandoned, and nothing that is not the writer's own.
TEST(WriteFileAtomically, RemovesItsOwnAbandonedTemporaryFilesOnly) {
    const testing::TempFolder folder;
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
    struct File {
        const char* name;
        bool old;
        bool removed;
    };
    const File files[] = {
        {".page029.htm.tmp-f85f01", true, true},   // abandoned
        {".page030.htm.tmp-0a0b0c", false, false}, // another writer may be at it
        {".page031.htm.tmp-f85f0", true, false},   // not our name
        {"page032.htm.tmp-f85f01", true, false},   // not hidden: not ours
        {".notes.tmp-ABCDEF", true, false},        // our digits are lower case
    };
    for (const File& f : files) {
        folder.write(f.name, "partial");
        if (f.old)
            fs::last_write_time(folder.path() / f.name, old);
    }
    ASSERT_EQ(WriteFileAtomically(folder.path() / "page.htm", "new").error(), "");
    for (const File& f : files)
        EXPECT_EQ(fs::exists(folder.path() / f.name), !f.removed) << f.name;
    EXPECT_EQ(folder.read("page.htm"), "new");
}

TEST(WriteFileAtomically, ReplacesALinkOrWritesThroughItAsAsked) {
    const testing::TempFolder folder;
    folder.write("outside/target.swf", "theirs");
    fs::create_directories(folder.path() / "library");
    const fs::path link = folder.path() / "library" / "movie.swf";
    fs::create_symlink(folder.path() / "outside" / "target.swf", link);

    ASSERT_EQ(WriteFileAtomically(link, "ours", LinkPolicy::Replace).error(), "");
    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_EQ(folder.read("library/movie.swf"), "ours");
    EXPECT_EQ(folder.read("outside/target.swf"), "theirs");

    fs::remove(link);
    fs::create_symlink(folder.path() / "outside" / "target.swf", link);
    ASSERT_EQ(WriteFileAtomically(link, "followed").error(), "");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(folder.read("outside/target.swf"), "followed");
}

} // namespace
} // namespace tlx
