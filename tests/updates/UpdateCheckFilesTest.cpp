#include "updates/UpdateCheckFiles.h"

#include "updates/Endpoint.h"
#include "updates/TestFiles.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

using namespace tlx::testing;

TEST(VersionFile, WritesQuotedRecordsAndReadsThemBack) {
    TempFolder temp;
    EXPECT_EQ(ReadVersionFile(temp.path()), (KqzVersions{"Version0", "Version0"}));

    ASSERT_EQ(WriteVersionFile(temp.path(), {"F 2.1", "N \"7\""}).error(), "");
    EXPECT_EQ(readFile(temp.path() / "kqz.ver"), "\"F 2.1\"\r\n\"N \"7\"\"\r\n");
    EXPECT_EQ(ReadVersionFile(temp.path()), (KqzVersions{"F 2.1", "N \"7\""}));

    // An existing file is found and replaced under its own name.
    fs::rename(temp.path() / "kqz.ver", temp.path() / "KQZ.VER");
    EXPECT_EQ(ReadVersionFile(temp.path()).filesVersion, "F 2.1");
    ASSERT_EQ(WriteVersionFile(temp.path(), {"", "N8"}).error(), "");
    EXPECT_FALSE(fs::exists(temp.path() / "kqz.ver"));
    EXPECT_EQ(ReadVersionFile(temp.path()), (KqzVersions{"", "N8"}));
}

TEST(VersionFile, ToleratesFilesNotWrittenByTheCheck) {
    EXPECT_EQ(ParseVersionFile("\"F1\"\r\n"), (KqzVersions{"F1", "Version0"}));
    EXPECT_EQ(ParseVersionFile("F1\nN1"), (KqzVersions{"F1", "N1"}));
    EXPECT_EQ(ParseVersionFile("\"two\r\nlines\"\r\n\"N\"\r\n"),
              (KqzVersions{"two\r\nlines", "N"}));
    EXPECT_EQ(ParseVersionFile(""), (KqzVersions{"Version0", "Version0"}));
}

TEST(SitesFile, KeepsTheReplyUnchangedInOneQuotedRecord) {
    TempFolder temp;
    EXPECT_EQ(ReadSitesFile(temp.path()), std::nullopt);
    const std::string reply = "Sites Update File\r\n[Tutorials]{http://a.example/}\r\n\"q\"";
    ASSERT_EQ(WriteSitesFile(temp.path(), reply).error(), "");
    EXPECT_EQ(readFile(temp.path() / "Sites.KQZ"), "\"" + reply + "\"\r\n");
    EXPECT_EQ(ReadSitesFile(temp.path()), reply);

    // A shipped "sites.kqz" is the same file: replaced, not joined by a second one.
    fs::remove(temp.path() / "Sites.KQZ");
    writeFile(temp.path() / "sites.kqz", "[Old]{http://old.example/}\r\n");
    EXPECT_EQ(ReadSitesFile(temp.path()), "[Old]{http://old.example/}\r\n");
    ASSERT_EQ(WriteSitesFile(temp.path(), "Sites Update File").error(), "");
    EXPECT_EQ(readFile(temp.path() / "sites.kqz"), "\"Sites Update File\"\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()), 1);
}

TEST(ReplyMarkers, AreFoundCaseSensitively) {
    EXPECT_TRUE(IsConnectReply("<p>Official Mirvane Connect File</p>"));
    EXPECT_FALSE(IsConnectReply("official mirvane connect file"));
    EXPECT_TRUE(IsSitesReply("Sites Update File\r\n[A]{b}"));
    EXPECT_FALSE(IsSitesReply("SITES UPDATE FILE"));

    const std::string news = "x [UPDATENEWS {N7} UPDATENEWS] [NEWFLASH {F3} NEWFLASH]";
    EXPECT_EQ(AnnouncedVersion(news, "UPDATENEWS"), "N7");
    EXPECT_EQ(AnnouncedVersion(news, "NEWFLASH"), "F3");
    EXPECT_EQ(AnnouncedVersion("updatenews {N7}", "UPDATENEWS"), std::nullopt);
    EXPECT_EQ(AnnouncedVersion("[UPDATENEWS no braces UPDATENEWS]", "UPDATENEWS"), "");
    // Braces outside the block do not count.
    EXPECT_EQ(AnnouncedVersion("{X} [NEWFLASH NEWFLASH] {Y}", "NEWFLASH"), "");
}

TEST(EvaluateNews, AsksOnlyAboutVersionsNotSeenBefore) {
    const std::string news = "[UPDATENEWS {N7} UPDATENEWS][NEWFLASH {F3} NEWFLASH]";
    const NewsEvaluation first = EvaluateNews(news, KqzVersions{});
    EXPECT_TRUE(first.askNews);
    EXPECT_TRUE(first.askFlash);
    EXPECT_EQ(first.versions, (KqzVersions{"F3", "N7"}));

    const NewsEvaluation second = EvaluateNews(news, first.versions);
    EXPECT_FALSE(second.askNews);
    EXPECT_FALSE(second.askFlash);
    EXPECT_EQ(second.versions, first.versions);

    const NewsEvaluation onlyNews = EvaluateNews("[UPDATENEWS UPDATENEWS]", {"F3", "N7"});
    EXPECT_TRUE(onlyNews.askNews);
    EXPECT_FALSE(onlyNews.askFlash);
    EXPECT_EQ(onlyNews.versions, (KqzVersions{"F3", ""}));
    EXPECT_FALSE(EvaluateNews("[UPDATENEWS UPDATENEWS]", onlyNews.versions).askNews);

    const NewsEvaluation nothing = EvaluateNews("no markers here", {"F3", "N7"});
    EXPECT_FALSE(nothing.askNews || nothing.askFlash);
    EXPECT_EQ(nothing.versions, (KqzVersions{"F3", "N7"}));
}

TEST(ChooseEndpoint, TheEnvironmentWinsThenTheSettingThenTheMakersAddress) {
    struct Case {
        const char* environment;
        const char* setting;
        const char* chosen;
    };
    const Case cases[] = {
        {"", "", "https://www.vornemedia.example/Mirvane/"},
        {"http://127.0.0.1:8765/Mirvane", "https://own.example/M/",
         "http://127.0.0.1:8765/Mirvane/"},
        {"", "https://own.example/M/", "https://own.example/M/"},
        {"ftp://files.example/", "https://own.example/M/", "https://own.example/M/"},
        {"https://", "http://a b.example/", "https://www.vornemedia.example/Mirvane/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseEndpoint(c.environment, c.setting), c.chosen)
            << c.environment << " | " << c.setting;
}

} // namespace
} // namespace tlx
