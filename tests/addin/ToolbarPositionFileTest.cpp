#include "addin/ToolbarPositionFile.h"

#include "common/TempFolder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace tlx {
namespace {

namespace fs = std::filesystem;

RestoredToolbarPosition All(std::int32_t p, std::int32_t l, std::int32_t t, std::int32_t r) {
    return {p, l, t, r};
}

TEST(ToolbarPositionFile, BytesAreFourIntegersEachWithOneLineFeed) {
    EXPECT_EQ(ToolbarPositionBytes({1, -4, 120, 0}), "1\n-4\n120\n0\n");
    EXPECT_EQ(ToolbarPositionBytes({-2147483647 - 1, 2147483647, 0, -1}),
              "-2147483648\n2147483647\n0\n-1\n");
}

TEST(ToolbarPositionFile, ReadsWhatItWrites) {
    EXPECT_EQ(ParseToolbarPosition(ToolbarPositionBytes({1, -4, 120, 3})), All(1, -4, 120, 3));
    // Lines written by other hands: CR LF, CR, blanks, a plus sign, lines after the fourth.
    EXPECT_EQ(ParseToolbarPosition("2\r\n 10 \r+20\r\n0\nextra\n"), All(2, 10, 20, 0));
    EXPECT_EQ(ParseToolbarPosition("2\n10\n20\n5"), All(2, 10, 20, 5)); // no final line end
}

TEST(ToolbarPositionFile, MissingLinesLeaveTheirValuesUnset) {
    RestoredToolbarPosition two;
    two.Position = 1;
    two.Left = 300;
    EXPECT_EQ(ParseToolbarPosition("1\n300\n"), two);

    RestoredToolbarPosition gap;
    gap.Position = 1;
    gap.Top = 7;
    gap.RowIndex = 2;
    EXPECT_EQ(ParseToolbarPosition("1\n\n7\n2\n"), gap);

    EXPECT_TRUE(ParseToolbarPosition("").Empty());
    EXPECT_TRUE(ParseToolbarPosition("\n\n\n\n").Empty());
}

TEST(ToolbarPositionFile, UnreadableContentRestoresNothing) {
    for (const char* bytes :
         {"1\n2\nabc\n4\n", "1\n2\n3\n4x\n", "1.5\n2\n3\n4\n", "99999999999\n2\n3\n4\n",
          "+-1\n2\n3\n4\n", "-\n2\n3\n4\n", "1 2\n3\n4\n5\n", "\x89PNG\r\n\x1a\n"})
        EXPECT_TRUE(ParseToolbarPosition(bytes).Empty()) << bytes;
    // Content after the fourth line is never read.
    EXPECT_EQ(ParseToolbarPosition("1\n2\n3\n4\ngarbage\n"), All(1, 2, 3, 4));
}

class ToolbarPositionFileOnDisk : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return (dir / name).string(); }

    const testing::TempFolder folder;
    const fs::path dir = folder.path();
};

TEST_F(ToolbarPositionFileOnDisk, WriteReplacesTheFileAndReadsBack) {
    const std::string path = ToolbarPositionPath(dir.string());
    EXPECT_EQ(path, Path("mpos.dat"));
    EXPECT_TRUE(ReadToolbarPositionFile(path).Empty()); // missing file

    std::ofstream(path, std::ios::binary) << "old content that is much longer than the new\n";
    ASSERT_TRUE(WriteToolbarPositionFile(path, {1, 15, 30, 2}));
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "1\n15\n30\n2\n");
    EXPECT_EQ(ReadToolbarPositionFile(path), All(1, 15, 30, 2));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    EXPECT_FALSE(WriteToolbarPositionFile(Path("no-folder/mpos.dat"), {1, 2, 3, 4}));
}

TEST_F(ToolbarPositionFileOnDisk, FileNameMatchesWithoutLetterCase) {
    std::ofstream(Path("MPOS.DAT"), std::ios::binary) << "3\n4\n5\n6\n";
    EXPECT_EQ(ToolbarPositionPath(dir.string()), Path("MPOS.DAT"));
    EXPECT_EQ(ReadToolbarPositionFile(ToolbarPositionPath(dir.string())), All(3, 4, 5, 6));
}

} // namespace
} // namespace tlx
