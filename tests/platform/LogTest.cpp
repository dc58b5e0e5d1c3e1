#include "platform/Log.h"

#include "common/TempFolder.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace tlx {
namespace {

TEST(Log, CaughtExceptionsAreNamedAndReachTheLogFile) {
    testing::TempFolder folder;
    const auto path = folder.path() / "state" / "tamberlux.log";
    SetLogFile(path.string());
    EXPECT_EQ(LogFilePath(), path.string());

    std::string typed, untyped;
    try {
        throw std::runtime_error("disk gone");
    } catch (...) {
        typed = LogCurrentException("save");
    }
    try {
        throw 42;
    } catch (...) {
        untyped = LogCurrentException("timer");
    }
    LogWarning("scan", "two objects skipped");
    SetLogFile("");
    LogError("after", "not in the file");

    EXPECT_EQ(typed, "disk gone");
    EXPECT_EQ(untyped, "unknown failure");
    const std::string text = testing::readFile(path);
    EXPECT_NE(text.find("error save: disk gone\n"), std::string::npos) << text;
    EXPECT_NE(text.find("error timer: unknown failure\n"), std::string::npos) << text;
    EXPECT_NE(text.find("warning scan: two objects skipped\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("not in the file"), std::string::npos) << text;
    EXPECT_TRUE(LogFilePath().empty());
}

} // namespace
} // namespace tlx
