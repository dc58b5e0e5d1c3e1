#include "cli/Commands.h"
#include "common/TempFolder.h"
#include "markup/FlashObject.h"
#include "platform/ShippedData.h"
#include "publish/PageScan.h"
#include "publish/PlayerScript.h"
#include "publish/Publisher.h"

#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;
using namespace tlx;
using namespace tlx::publish;
using tlx::testing::TempFolder;

namespace {

// The add-in's own markup of an object.
std::string Owned(const std::string& id, const std::string& movie) {
    FlashObject object;
    object.Id = id;
    object.MovieRef = movie;
    object.Width = "150";
    object.Height = "40";
    object.Background = "#FFFFFF";
    object.WMode = "Window";
    object.SAlign = "";
    return FlashObjectMarkup(object);
}

std::string Utf16Le(std::string_view ascii) {
    std::string out = "\xFF\xFE";
    for (const char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

} // namespace

// "@" marks where the element goes; every other byte must stay.
TEST(PlayerScriptPlacement, GoesBeforeEveryScriptAndKeepsEveryOtherByte) {
    struct Case {
        const char* name;
        std::string page;
    };
    const Case cases[] = {
        {"head", "<!DOCTYPE html>\n<html>\n<head>@\n<title>x</title></head><body></body></html>"},
        {"head with attributes, upper case",
         "<HTML><HEAD profile=\"a>b\">@<SCRIPT>var a;</SCRIPT></HEAD></HTML>"},
        {"no head: after html", "<html lang=en>@<body><p>x</p></body></html>"},
        {"no head, no html: after the doctype", "<!doctype html>@<p>x</p>"},
        {"nothing: at the start", "@<p>x</p>"},
        {"byte order mark, no head", "\xEF\xBB\xBF@<p>x</p>"},
        {"byte order mark and head", "\xEF\xBB\xBF<html><head>@</head></html>"},
        {"a script before the head", "<html>@<script>1</script><head></head></html>"},
        {"a script before the html", "@<script src=a.js></script><html><head></head></html>"},
        {"head in a comment is no head", "<!-- <head> --><html>@<body></body></html>"},
        {"head in a script is no head", "<html>@<script>'<head>'</script><head></head></html>"},
        {"header is not head", "<html>@<body><header>x</header></body></html>"},
        {"CRLF line ends", "<html>\r\n<head>@\r\n<title>x</title>\r\n</head>\r\n</html>\r\n"},
        {"single-byte page: after its charset",
         "<html><head><meta charset=windows-1252>@<title>Caf\xE9</title>"},
        {"charset declared the old way",
         "<HEAD><TITLE>x</TITLE><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
         "charset=iso-8859-1\">@<LINK rel=stylesheet href=s.css></HEAD>"},
        {"a charset after a script stays after it",
         "<head>@<script>1</script><meta charset=utf-8></head>"},
        {"detection script before the body", "<html><head>@<title>t</title></head>"
                                             "<script id=\"FLASHCheck1\">go()</script><body>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string page = c.page;
        const std::size_t at = page.find('@');
        page.erase(at, 1);
        EXPECT_EQ(PlayerScriptOffset(page), at);
        std::string expected = page;
        expected.insert(at, "<E>");
        EXPECT_EQ(WithPlayerScript(page, "<E>"), expected);
    }
    // UTF-16: the element is written in the page's own encoding.
    const std::string wide = Utf16Le("<html><head></head></html>");
    EXPECT_EQ(WithPlayerScript(wide, "<E>"), Utf16Le("<html><head><E></head></html>"));
}

TEST(PlayerScriptElement, LoadsThePlayerFromAnAddressRelativeToThePage) {
    EXPECT_EQ(PlayerFolderAddress("index.htm"), "tamberlux-ruffle/");
    EXPECT_EQ(PlayerFolderAddress("a/b/page.htm"), "../../tamberlux-ruffle/");
    EXPECT_EQ(PlayerFolderAddress("a/page.htm", 1, "ruffle"), "../../ruffle/");
    const std::string element = PlayerScriptElement("../tamberlux-ruffle/");
    EXPECT_TRUE(element.starts_with("<script>"));
    EXPECT_TRUE(element.ends_with("</script>"));
    EXPECT_NE(element.find("new URL(\"../tamberlux-ruffle/\",location.href)"), std::string::npos);
    EXPECT_NE(element.find("ruffle.js"), std::string::npos);
    EXPECT_NE(element.find("autoplay:\"on\""), std::string::npos);
    EXPECT_NE(element.find("splashScreen:false"), std::string::npos);
    EXPECT_NE(element.find("openUrlMode:\"allow\""), std::string::npos);
    // one element, one line: nothing of it can end it early or change the page's line ends
    EXPECT_EQ(element.find("</script>"), element.size() - 9);
    EXPECT_EQ(element.find_first_of("\r\n"), std::string::npos);
}

TEST(PageScan, FindsEveryFlashObjectWithItsMovieAndCompanions) {
    struct Case {
        const char* name;
        std::string page;
        bool needsPlayer;
        std::vector<std::string> ids;
        std::vector<std::string> movies;     // of all objects
        std::vector<std::string> companions; // of all objects
    };
    const Case cases[] = {
        {"the add-in's button",
         "<body>" +
             Owned("oKestreliteBT001",
                   "bttab.swf?T1=Go&T2=&TC=000000&TU=a.htm&TW=_self&BS=sndclick.swf") +
             "</body>",
         true,
         {"oKestreliteBT001"},
         {"bttab.swf?T1=Go&T2=&TC=000000&TU=a.htm&TW=_self&BS=sndclick.swf"},
         {"sndclick.swf"}},
        {"an intro movie's companions",
         Owned("oKestreliteMV002", "mvstory.swf?TF=FP1.htm&TC=FF0000&TM=mcpads.swf&TE=tezoom.swf&"
                                   "BM=bg%20x.swf&TS=40&TU=&TW=_self"),
         true,
         {"oKestreliteMV002"},
         {"mvstory.swf?TF=FP1.htm&TC=FF0000&TM=mcpads.swf&TE=tezoom.swf&BM=bg%20x.swf&TS=40&TU=&TW="
          "_self"},
         {"bg x.swf", "mcpads.swf", "tezoom.swf", "FP1.htm"}},
        {"a key inside a value is no key",
         "<embed src=\"h.swf?T1=ABS=x.swf&BM=\" type=application/x-shockwave-flash>",
         true,
         {""},
         {"h.swf?T1=ABS=x.swf&BM="},
         {}},
        {"an EMBED of its own, entities decoded",
         "<embed name=e1 src=\"m.swf?BS=a&amp;b.swf\"><embed src=pic.png>",
         true,
         {"e1"},
         {"m.swf?BS=a&b.swf"},
         {"a"}},
        {"OBJECT data and FlashVars",
         "<object type=\"application/x-shockwave-flash\" data=\"d.swf\" id=o1>"
         "<param name=FlashVars value=\"TM=music.swf\"></object>",
         true,
         {"o1"},
         {"d.swf"},
         {"music.swf"}},
        {"objects in comments and scripts are not on the page",
         "<!-- <object classid=clsid:D27CDB6E><param name=movie value=a.swf></object> -->"
         "<script>document.write('<embed src=b.swf>')</script>",
         false,
         {},
         {},
         {}},
        {"other objects are no Flash",
         "<object classid=\"clsid:8AD9C840\"><param name=src value=x.mov></object>",
         false,
         {},
         {},
         {}},
        {"the detection script alone",
         "<script id=\"FLASHCheck1\">x</script><body></body>",
         true,
         {},
         {},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PageFlash flash = ScanPage(c.page);
        EXPECT_EQ(flash.needsPlayer(), c.needsPlayer);
        std::vector<std::string> ids, movies, companions;
        for (const FlashObjectAddresses& object : flash.objects) {
            ids.push_back(object.id);
            movies.insert(movies.end(), object.movies.begin(), object.movies.end());
            companions.insert(companions.end(), object.companions.begin(), object.companions.end());
        }
        EXPECT_EQ(ids, c.ids);
        EXPECT_EQ(movies, c.movies);
        EXPECT_EQ(companions, c.companions);
    }
    EXPECT_EQ(ScanPage("<base href=\"sub/\"><base href=other/>").baseHref, "sub/");
}

TEST(Addresses, ResolveAsTheBrowserDoes) {
    struct Case {
        const char* page;
        const char* base;
        const char* address;
        std::optional<std::string> path;
    };
    const Case cases[] = {
        {"index.htm", "", "b.swf?T1=x#f", "b.swf"},
        {"a/page.htm", "", "b%20c.swf", "a/b c.swf"},
        {"a/page.htm", "", "../m/b.swf", "m/b.swf"},
        {"a/page.htm", "", "..\\m\\b.swf", "m/b.swf"},
        {"a/page.htm", "", " ./b.swf ", "a/b.swf"},
        {"a/page.htm", "../x/", "b.swf", "x/b.swf"},
        {"a/page.htm", "x/start.htm", "b.swf", "a/x/b.swf"},
        {"page.htm", "", "../b.swf", std::nullopt},                 // above the web
        {"page.htm", "", "/b.swf", std::nullopt},                   // from the host's root
        {"page.htm", "", "http://example.com/b.swf", std::nullopt}, // another host
        {"page.htm", "", "//example.com/b.swf", std::nullopt},
        {"page.htm", "", "file:///C:/movies/b.swf", std::nullopt},
        {"page.htm", "", "C:\\movies\\b.swf", std::nullopt},
        {"page.htm", "http://example.com/", "b.swf", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.page) + " " + c.base + " " + c.address);
        EXPECT_EQ(ResolveInWeb(c.page, c.base, c.address), c.path);
    }
    EXPECT_EQ(CompanionPath("m/b.swf", "snd.swf"), "m/snd.swf");
    EXPECT_EQ(CompanionPath("m/b.swf", "../snd.swf"), std::nullopt); // the movie refuses it
    EXPECT_EQ(CompanionPath("b.swf", "http://x/snd.swf"), std::nullopt);

    // A page saved elsewhere: each address from each place. "m/b.swf" and "../a/m/b.swf" are
    // one file from a/, two places from b/c/; a companion goes beside its movie.
    const std::vector<CarriedFile> carried =
        FilesItsMoviesLoad("<embed src=\"m/b.swf?BS=snd.swf\"><embed src=\"../a/m/b.swf\">"
                           "<embed src=\"http://example.com/far.swf\">",
                           "/w/a/page.htm", "/w/b/c/page.htm");
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const CarriedFile& file : carried)
        pairs.emplace_back(file.from.string(), file.to.string());
    EXPECT_EQ(pairs, (std::vector<std::pair<std::string, std::string>>{
                         {"/w/a/m/b.swf", "/w/b/c/m/b.swf"},
                         {"/w/a/m/snd.swf", "/w/b/c/m/snd.swf"},
                         {"/w/a/m/b.swf", "/w/b/a/m/b.swf"}}));
}

class PublishFolders : public ::testing::Test {
protected:
    fs::path web() const { return root_.path() / "web"; }
    fs::path dest() const { return root_.path() / "dest"; }
    fs::path player() const { return root_.path() / "player"; }

    void SetUp() override {
        root_.write("player/ruffle.js", "/* ruffle */");
        root_.write("player/LICENSE_MIT", "MIT");
        root_.write("web/plain.htm", "<html>\r\n<head><title>Caf\xE9</title></head>\r\n</html>");
        root_.write("web/b.swf", "FWS");
        root_.write("web/sub/snd.swf", "FWS");
        root_.write("web/Bg.swf", "FWS");
    }

    PublishResult publish(const fs::path& into) const {
        PublishOptions options;
        options.web = web();
        options.dest = into;
        options.player = player();
        options.threads = 2;
        return Publish(options);
    }

    TempFolder root_{"tlx-publish"};
};

TEST_F(PublishFolders, ListsWhatIsMissingAndWritesTheCopyAnyway) {
    root_.write("web/sub/page.htm", "<head></head><body>" +
                                        Owned("oKestreliteBT001", "../b.swf?T1=x&BS=snd.swf") +
                                        Owned("oKestreliteHD002", "../b.swf?T1=y&BM=bg.swf") +
                                        Owned("oKestreliteCL003", "gone.swf?CA=1") +
                                        "<embed id=far src=\"http://example.com/far.swf\"></body>");
    const PublishResult result = publish(dest());
    ASSERT_EQ(result.refused, "");
    EXPECT_EQ(result.pages, 2u);
    EXPECT_EQ(result.flashPages, 1u);
    EXPECT_EQ(result.movies, 4u);
    std::vector<std::string> missing;
    for (const AddressProblem& p : result.missing)
        missing.push_back(p.page + " " + p.objectId + " " + p.file +
                          (p.note.empty() ? "" : " (case)"));
    // snd.swf is in sub/, but the button loads it from beside its movie, at the top
    EXPECT_EQ(missing, (std::vector<std::string>{"sub/page.htm oKestreliteBT001 snd.swf",
                                                 "sub/page.htm oKestreliteCL003 sub/gone.swf",
                                                 "sub/page.htm oKestreliteHD002 bg.swf (case)"}));
    ASSERT_EQ(result.notChecked.size(), 1u);
    EXPECT_EQ(result.notChecked[0].objectId, "far");
    EXPECT_FALSE(result.complete());
    // the copy is there all the same, the pages without Flash byte for byte
    EXPECT_EQ(root_.read("dest/plain.htm"), root_.read("web/plain.htm"));
    EXPECT_EQ(root_.read("dest/tamberlux-ruffle/ruffle.js"), "/* ruffle */");
    EXPECT_EQ(root_.read("dest/tamberlux-ruffle/LICENSE_MIT"), "MIT");
    const std::string page = root_.read("dest/sub/page.htm");
    EXPECT_EQ(page, WithPlayerScript(root_.read("web/sub/page.htm"),
                                     PlayerScriptElement("../tamberlux-ruffle/")));
    EXPECT_NE(root_.read("dest/README.txt").find("web server"), std::string::npos);
}

TEST_F(PublishFolders, RefusesADestinationItMayNotWriteAndUpdatesItsOwn) {
    root_.write("other/x.htm", "x");
    root_.write("full/mine.txt", "the user's");
    struct Case {
        const char* name;
        fs::path dest;
        const char* reason;
    };
    const Case refusals[] = {
        {"the web itself", web(), "the web itself"},
        {"inside the web", web() / "out", "inside the web"},
        {"around the web", root_.path(), "the web lies inside"},
        {"not empty, never published", root_.path() / "full", "neither empty nor"},
        {"a file", root_.path() / "full/mine.txt", "not a folder"},
    };
    for (const Case& c : refusals) {
        SCOPED_TRACE(c.name);
        const PublishResult result = publish(c.dest);
        EXPECT_NE(result.refused.find(c.reason), std::string::npos) << result.refused;
    }
    EXPECT_EQ(root_.read("full/mine.txt"), "the user's");
    EXPECT_FALSE(fs::exists(web() / "out"));

    // published once, then the web changes: files come up to date, stale ones of ours go,
    // the user's own file in the copy stays
    ASSERT_EQ(publish(dest()).refused, "");
    const std::optional<Manifest> manifest = ParseManifest(root_.read("dest/.tamberlux-published"));
    ASSERT_TRUE(manifest);
    EXPECT_EQ(manifest->web, fs::canonical(web()));
    EXPECT_TRUE(manifest->files.count("sub/snd.swf"));
    root_.write("dest/upload-notes.txt", "mine");
    fs::remove(web() / "sub/snd.swf");
    root_.write("web/plain.htm", "changed");
    const PublishResult again = publish(dest());
    ASSERT_EQ(again.refused, "");
    EXPECT_EQ(again.removed, 1u);
    EXPECT_FALSE(fs::exists(dest() / "sub"));
    EXPECT_EQ(root_.read("dest/plain.htm"), "changed");
    EXPECT_EQ(root_.read("dest/upload-notes.txt"), "mine");

    // a file the user put where the web now has one is not replaced
    root_.write("web/upload-notes.txt", "the web's");
    const PublishResult clash = publish(dest());
    EXPECT_EQ(clash.failures.size(), 1u);
    EXPECT_EQ(root_.read("dest/upload-notes.txt"), "mine");

    // a copy of another web is refused; a manifest naming files outside the copy is no manifest
    TempFolder otherWeb("tlx-publish-other");
    otherWeb.write("a.htm", "a");
    PublishOptions options;
    options.web = otherWeb.path();
    options.dest = dest();
    options.player = player();
    EXPECT_NE(Publish(options).refused.find("another web"), std::string::npos);
    EXPECT_FALSE(ParseManifest("tamberlux published web 1\nweb /w\n../outside.txt\n"));
    EXPECT_FALSE(ParseManifest("tamberlux published web 1\nweb /w\n/etc/passwd\n"));
}

TEST(PublishCommand, ExitsZeroOneOrTwo) {
    TempFolder root("tlx-publish-command");
    root.write("web/index.htm", "<html><head></head><body>" +
                                    Owned("oKestreliteBT001", "b.swf?T1=x") + "</body></html>");
    const auto run = [&](std::vector<std::string> args) {
        std::ostringstream out, err;
        const int code = app::runPublishCommand(args, out, err);
        return std::make_pair(code, out.str() + err.str());
    };
    const std::string web = (root.path() / "web").string();
    const auto [missingCode, missingText] = run({web, (root.path() / "one").string()});
    EXPECT_EQ(missingCode, 1) << missingText;
    EXPECT_NE(missingText.find("missing: index.htm: oKestreliteBT001: b.swf"), std::string::npos)
        << missingText;
    root.write("web/b.swf", "FWS");
    const auto [fineCode, fineText] = run({web, (root.path() / "one").string()});
    EXPECT_EQ(fineCode, 0) << fineText;
    EXPECT_NE(fineText.find("pages: 1, pages with Flash: 1, movies: 1"), std::string::npos)
        << fineText;
    EXPECT_EQ(run({web}).first, 2);
    EXPECT_EQ(run({web, (root.path() / "web/inside").string()}).first, 2);
    EXPECT_EQ(run({web, (root.path() / "two").string(), "--bogus"}).first, 2);
}
