#include "markup/TextHelpers.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace tlx;

TEST(ReplaceText, IgnoresLetterCaseAndDoesNotRescanReplacement) {
    EXPECT_EQ(ReplaceText("a&AMP;b&amp;c", "&amp;", "&"), "a&b&c");
    EXPECT_EQ(ReplaceText("axbxx", "x", "xx"), "axxbxxxx");
    EXPECT_EQ(ReplaceText("aaaa", "aa", "b"), "bb"); // occurrences never overlap
    EXPECT_EQ(ReplaceText("aaa", "aa", "b"), "ba");
    EXPECT_EQ(ReplaceText("nothing here", "zz", "y"), "nothing here");
    EXPECT_EQ(ReplaceText("T1=Big+Sale+", "+", " "), "T1=Big Sale ");
    EXPECT_EQ(ReplaceText("", "x", "y"), "");
}

TEST(TextBetween, FirstStartMarkerThenNextEndMarker) {
    EXPECT_EQ(TextBetween("[Big Button] (200x50)", "[", "]"), "Big Button");
    EXPECT_EQ(TextBetween("[Big Button] (200x50)", "(", ")"), "200x50");
    EXPECT_EQ(TextBetween("no markers at all", "[", "]"), "");
    EXPECT_EQ(TextBetween("[]", "[", "]"), "");
    EXPECT_EQ(TextBetween("only [start", "[", "]"), "");
    EXPECT_EQ(TextBetween("end] before [start", "[", "]"), "");
    // The end marker is searched after the start marker, not inside it.
    EXPECT_EQ(TextBetween("\"a\"", "\"", "\""), "a");
    EXPECT_EQ(TextBetween("^^", "^", "^"), "");
    EXPECT_EQ(TextBetween("a^b^c^", "^", "^"), "b");
    EXPECT_EQ(TextBetween("*&[1]&*", "*&", "&*"), "[1]");
    EXPECT_EQ(TextBetween("x [updatenews {1} UpdateNews] y", "[UPDATENEWS", "UPDATENEWS]"),
              " {1} ");
    EXPECT_EQ(TextBetween("<PARAM NAME=MOVIE VALUE=\"a.swf\">", "movie VALUE=\"", ".SWF"), "a");
    EXPECT_EQ(TextBetween("x{one}{two}", "{", "}"), "one");
}

TEST(IsAlphanumeric, OnlyAsciiLettersAndDigits) {
    EXPECT_TRUE(IsAlphanumeric("FF00aa"));
    EXPECT_TRUE(IsAlphanumeric("09AZaz"));
    EXPECT_FALSE(IsAlphanumeric("#FF00AA"));
    EXPECT_FALSE(IsAlphanumeric(""));
    EXPECT_FALSE(IsAlphanumeric("a b"));
    EXPECT_FALSE(IsAlphanumeric("\xe9t\xe9"));
    EXPECT_FALSE(IsAlphanumeric("@[`{"));
}

class FileHelpers : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("tlx-markup-files-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(folder_, ignored);
    }
    std::string write(const std::string& name, const std::string& bytes) {
        const fs::path path = folder_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    fs::path folder_;
};

TEST_F(FileHelpers, FileExistsTellsMissingFromFailure) {
    const std::string present = write("here.txt", "x");
    EXPECT_TRUE(FileExists(present).isExisting());

    const FileCheck missing = FileExists((folder_ / "absent.txt").string());
    EXPECT_TRUE(missing.isMissing());
    EXPECT_FALSE(missing.isFailed());

    const FileCheck noFolder = FileExists((folder_ / "no-such-folder" / "absent.txt").string());
    EXPECT_TRUE(noFolder.isFailed());
    EXPECT_TRUE(static_cast<bool>(noFolder.error()));

    EXPECT_TRUE(FileExists(folder_.string()).isFailed()); // a folder is not a readable file
    EXPECT_TRUE(FileExists("").isFailed());
    EXPECT_TRUE(FileExists(present + "/inside").isFailed()); // a file used as a folder
}

TEST_F(FileHelpers, FileExistsFailsWithoutPermission) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    const std::string locked = write("locked.txt", "x");
    fs::permissions(locked, fs::perms::none);
    EXPECT_TRUE(FileExists(locked).isFailed());
}

TEST_F(FileHelpers, ReadWholeFileKeepsEveryByte) {
    const std::string bytes =
        std::string("line1\r\nline2\rline3\n\xe9\xff", 22) + std::string(1, '\0') + "end";
    const std::string path = write("data.bin", bytes);
    EXPECT_EQ(ReadWholeFile(path), bytes);
    EXPECT_EQ(ReadWholeFile((folder_ / "absent").string()), "");
    EXPECT_EQ(ReadWholeFile((folder_ / "none" / "absent").string()), "");
    EXPECT_EQ(ReadWholeFile(write("empty.txt", "")), "");
}

TEST_F(FileHelpers, ReadWholeFileDoesNotWaitOnAPipe) {
    // A named pipe where a data file was expected: nothing writes to it, so reading it would
    // wait for ever.
    const fs::path pipe = folder_ / "pipe.txt";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    auto reading = std::async(std::launch::async, [&] { return ReadWholeFile(pipe.string()); });
    const bool finished = reading.wait_for(std::chrono::seconds(3)) == std::future_status::ready;
    if (!finished) {
        // Let the stuck reader go: a writer that closes at once gives it the end of the data.
        const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }
    EXPECT_TRUE(finished);
    EXPECT_EQ(reading.get(), "");
    EXPECT_EQ(ReadWholeFile("/dev/null"), "");
}
