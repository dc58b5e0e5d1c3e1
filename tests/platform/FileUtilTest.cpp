#include "platform/FileUtil.h"

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

} // namespace
} // namespace tlx
