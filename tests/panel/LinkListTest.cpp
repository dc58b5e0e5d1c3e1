#include "panel/LinkList.h"

#include "common/ScriptedPlatform.h"
#include "common/TempFolder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace tlx {
namespace {

namespace fs = std::filesystem;

class LinkListFileTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    std::vector<std::string> Opened() const {
        std::vector<std::string> targets;
        for (const auto& call : platform.callsOf("shellOpen"))
            targets.push_back(call.args.at(0));
        return targets;
    }

    const testing::TempFolder folder;
    const fs::path dir = folder.path();
    ScriptedPlatform platform;
};

TEST(LinkList, ParsesCaptionsAddressesAndSeparators) {
    const auto entries = ParseLinkList("[A]{http://a.example/}\r\n-\r\n[B]{http://b.example/}");
    const std::vector<LinkListEntry> expected = {
        {1001, "A", "http://a.example/"}, {1002, "", ""}, {1003, "B", "http://b.example/"}};
    EXPECT_EQ(entries, expected);
    EXPECT_TRUE(entries[1].IsSeparator());

    const auto menu = LinkMenuEntries(entries);
    ASSERT_EQ(menu.size(), 3u);
    EXPECT_EQ(menu[0].caption, "A");
    EXPECT_EQ(menu[0].command, 1001);
    EXPECT_FALSE(menu[0].separator);
    EXPECT_TRUE(menu[1].separator);
    EXPECT_EQ(menu[1].caption, "/Separator/");
    EXPECT_EQ(menu[1].command, 1002);
    EXPECT_EQ(menu[2].command, 1003);
}

TEST(LinkList, LinesFromOtherHands) {
    // Fields in any order with text around them, every kind of line end, blank lines that
    // use up their numbers, an address without caption, a caption without address.
    const auto entries = ParseLinkList("x {http://r.example} y [Reversed] z\r"
                                       "\n"
                                       "{http://nocaption.example}\n"
                                       "[NoAddress]\r\n"
                                       "[]{http://empty.example}\r\n"
                                       "[Last]{mailto:a@b.example}\n");
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0], (LinkListEntry{1001, "Reversed", "http://r.example"}));
    EXPECT_TRUE(entries[1].IsSeparator()); // the lone LF after the CR ends the first line only
    EXPECT_EQ(entries[1].Address, "http://nocaption.example");
    EXPECT_EQ(entries[2], (LinkListEntry{1003, "NoAddress", ""}));
    EXPECT_TRUE(entries[3].IsSeparator());
    EXPECT_EQ(entries[4], (LinkListEntry{1005, "Last", "mailto:a@b.example"}));

    EXPECT_EQ(ParseLinkList("\r\n\r\n").size(), 2u);
    EXPECT_TRUE(ParseLinkList("").empty());
}

TEST(LinkList, OnlyWebAndMailAddressesMayBeOpened) {
    EXPECT_EQ(OpenableLinkAddress("http://www.example.com/x?y=1"), "http://www.example.com/x?y=1");
    EXPECT_EQ(OpenableLinkAddress("HTTPS://Example.com"), "HTTPS://Example.com");
    EXPECT_EQ(OpenableLinkAddress("  https://example.com/\t"), "https://example.com/");
    EXPECT_EQ(OpenableLinkAddress("mailto:someone@example.com"), "mailto:someone@example.com");

    for (const char* refused :
         {"", "file:///etc/passwd", "javascript:alert(1)", "ftp://example.com", "www.example.com",
          "/usr/bin/xterm", "-e sh", "http:", "http://", "http:///path", "http:example.com",
          "mailto:", "https://example.com/\nrm -rf", "https://exa\x01mple.com", "data:text/html,x",
          "C:\\Windows\\notepad.exe", "httpx://example.com"})
        EXPECT_EQ(OpenableLinkAddress(refused), std::nullopt) << refused;
}

TEST_F(LinkListFileTest, CommandsOpenTheAddressNowOnTheirLine) {
    const std::string path = Path("sites.kqz");
    testing::writeFile(path, "[A]{http://a.example/}\r\n-\r\n[B]{http://b.example/}\r\n");
    EXPECT_TRUE(OpenLinkCommand(platform, path, 1003));
    EXPECT_FALSE(OpenLinkCommand(platform, path, 1002)); // separator without address
    EXPECT_FALSE(OpenLinkCommand(platform, path, 1004)); // beyond the end
    EXPECT_EQ(Opened(), std::vector<std::string>{"http://b.example/"});

    // Replaced while the menu was built from the old file: the number opens the new line.
    testing::writeFile(path,
                       "[X]{http://x.example/}\n[Y]{https://y.example/}\n[Z]{http://z.example/}\n");
    EXPECT_TRUE(OpenLinkCommand(platform, path, 1003));
    EXPECT_EQ(Opened().back(), "http://z.example/");
}

TEST_F(LinkListFileTest, LinesFromTheHundredthOnDoNothing) {
    std::string bytes;
    for (int k = 1; k <= 120; ++k)
        bytes += "[L" + std::to_string(k) + "]{http://l" + std::to_string(k) + ".example/}\r\n";
    const std::string path = Path("sites.kqz");
    testing::writeFile(path, bytes);
    const auto entries = ReadLinkList(path);
    ASSERT_EQ(entries.size(), 120u);
    EXPECT_EQ(entries.back().Command, 1120);

    EXPECT_EQ(LinkAddressForCommand(path, 1099), "http://l99.example/");
    EXPECT_EQ(LinkAddressForCommand(path, 1100), std::nullopt);
    EXPECT_EQ(LinkAddressForCommand(path, 1000), std::nullopt);
    EXPECT_FALSE(OpenLinkCommand(platform, path, 1100));
    EXPECT_FALSE(OpenLinkCommand(platform, path, 1120));
    EXPECT_TRUE(Opened().empty());
}

TEST_F(LinkListFileTest, RefusedAndMissingDoNothing) {
    const std::string path = Path("sites.kqz");
    EXPECT_TRUE(ReadLinkList(path).empty());
    EXPECT_FALSE(OpenLinkCommand(platform, path, 1001));

    testing::writeFile(path, "[Evil]{file:///bin/sh}\r\n[Script]{javascript:x}\r\n");
    EXPECT_EQ(LinkAddressForCommand(path, 1001), "file:///bin/sh");
    EXPECT_FALSE(OpenLinkCommand(platform, path, 1001));
    EXPECT_FALSE(OpenLinkCommand(platform, path, 1002));
    EXPECT_TRUE(Opened().empty());
}

TEST_F(LinkListFileTest, FileNameMatchesWithoutLetterCase) {
    EXPECT_EQ(LinkListPath(dir.string()), Path("sites.kqz"));
    testing::writeFile(Path("Sites.KQZ"), "[A]{http://a.example/}\r\n");
    EXPECT_EQ(LinkListPath(dir.string()), Path("Sites.KQZ"));
    EXPECT_EQ(ReadLinkList(LinkListPath(dir.string())).size(), 1u);
}

} // namespace
} // namespace tlx
