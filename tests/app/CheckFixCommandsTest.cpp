#include "cli/Commands.h"
#include "markup/FlashObject.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace tlx;

namespace {

std::string Canonical(const std::string& id, const std::string& movie, const std::string& salign) {
    FlashObject object;
    object.Id = id;
    object.MovieRef = movie;
    object.Width = "150";
    object.Height = "40";
    object.Background = "#FFFFFF";
    object.WMode = "TRANSPARENT";
    object.SAlign = salign;
    return FlashObjectMarkup(object, SAlignPlacement::BeforeFlashVars);
}

// An object as another editor saves it: lower-case, "&amp;", a Play parameter, no FlashVars.
std::string Altered(const std::string& id, const std::string& query, const std::string& eol) {
    return "<object classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\" id=\"" + id +
           "\" width=\"150\" height=\"40\">" + eol + "<param name=\"movie\" value=\"b1.swf?" +
           query + "\">" + eol + "<param name=\"bgcolor\" value=\"#FFFFFF\">" + eol +
           "<param name=\"wmode\" value=\"transparent\">" + eol +
           "<param name=\"play\" value=\"0\">" + eol + "<embed src=\"b1.swf?" + query +
           "\" width=\"150\" height=\"40\"></embed>" + eol + "</object>";
}

class Commands : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("tlx-commands-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    fs::path write(const std::string& name, const std::string& bytes) {
        const fs::path path = root_ / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        // An old time stamp, so that any write shows.
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(48));
        return path;
    }
    static std::string read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    int run(int (*command)(const app::Args&, std::ostream&, std::ostream&), app::Args args) {
        out_.str("");
        err_.str("");
        return command(args, out_, err_);
    }

    fs::path root_;
    std::ostringstream out_;
    std::ostringstream err_;
};

const std::string kCrlfHead = "<HTML>\r\n<HEAD><META charset=iso-8859-1></HEAD>\r\n<body>\r\n"
                              "<!-- Caf\xe9 --><script>var s = '<object>';</script>\r\n";
const std::string kCrlfTail = "\r\n<p>cr\xe8me   br\xfbl\xe9"
                              "e</p>\r\n</body>\r\n</HTML>";

} // namespace

TEST_F(Commands, CheckListsPagesWithAlteredObjectsInFoldersAndSubfolders) {
    const std::string clean = "<html><body>" +
                              Canonical("oKestreliteBT001", "b1.swf?T1=Go&CWR=0", "") +
                              "</body></html>\n";
    write("clean.htm", clean);
    const fs::path altered =
        write("sub/deeper/Altered.HTML",
              "<html><body>" + Altered("oKestreliteBT001", "T1=a", "\n") +
                  Altered("someoneElse", "T1=b&amp;X=1", "\n") + "</body></html>\n");
    write("notes.txt", Altered("oKestreliteBT002", "T1=c", "\n")); // not a page

    EXPECT_EQ(run(app::runCheckCommand, {root_.string()}), 1);
    // The fix rewrites our object; the other maker's is named, and left as it is.
    EXPECT_NE(out_.str().find(altered.string() + ": 1 Flash object looks altered; 1 other too ("),
              std::string::npos)
        << out_.str();
    EXPECT_EQ(out_.str().find("clean.htm"), std::string::npos);
    EXPECT_EQ(out_.str().find("notes.txt"), std::string::npos);
    EXPECT_EQ(err_.str(), "");

    EXPECT_EQ(run(app::runCheckCommand, {(root_ / "clean.htm").string()}), 0);
    EXPECT_NE(out_.str().find("pages needing a fix: 0 of 1"), std::string::npos) << out_.str();
}

TEST_F(Commands, CheckGoesOnPastPathsItCannotRead) {
    const fs::path altered =
        write("page.htm", "<body>" + Altered("oKestreliteHD001", "T1=x", "\n") + "</body>");
    const fs::path missing = root_ / "missing.htm";
    EXPECT_EQ(run(app::runCheckCommand, {missing.string(), altered.string()}), 2);
    EXPECT_NE(err_.str().find(missing.string()), std::string::npos) << err_.str();
    EXPECT_NE(out_.str().find(altered.string() + ": 1 Flash object looks altered"),
              std::string::npos)
        << out_.str();

    fs::create_symlink(root_ / "nowhere.htm", root_ / "broken.htm");
    EXPECT_EQ(run(app::runCheckCommand, {root_.string()}), 2);
    EXPECT_NE(err_.str().find((root_ / "broken.htm").string()), std::string::npos) << err_.str();

    EXPECT_EQ(run(app::runCheckCommand, {}), 2);
    EXPECT_NE(err_.str().find("Usage"), std::string::npos);
}

TEST_F(Commands, FixRewritesOwnedObjectsAndKeepsEveryOtherByte) {
    const std::string foreign = Altered("theirs", "T1=keep&amp;X=1", "\r\n");
    const fs::path page = write(
        "site/page.htm", kCrlfHead + Altered("oKestreliteBT001", "T1=Caf\xe9&amp;CWR=0", "\r\n") +
                             "\r\n" + foreign + "\r\n" +
                             Altered("oKestreliteBT002", "T1=Two&amp;CWR=1", "\r\n") + kCrlfTail);
    const std::string clean = "<html><body>" +
                              Canonical("oKestreliteBT001", "b1.swf?T1=Go&CWR=0", "") +
                              "</body></html>\n";
    const fs::path cleanPage = write("site/clean.htm", clean);
    const fs::path foreignOnly = write("site/foreign.htm", "<body>\n" + foreign + "\n</body>\n");
    const auto cleanTime = fs::last_write_time(cleanPage);
    const auto foreignTime = fs::last_write_time(foreignOnly);

    EXPECT_EQ(run(app::runFixCommand, {root_.string()}), 0) << err_.str();
    EXPECT_NE(out_.str().find(page.string() + ": 2 Flash objects rewritten"), std::string::npos)
        << out_.str();
    EXPECT_EQ(read(page), kCrlfHead + Canonical("oKestreliteBT001", "b1.swf?T1=Caf\xe9&CWR=0", "") +
                              "\r\n" + foreign + "\r\n" +
                              Canonical("oKestreliteBT002", "b1.swf?T1=Two&CWR=1", "") + kCrlfTail);
    // Pages with nothing of ours to rewrite are not written at all.
    EXPECT_EQ(read(cleanPage), clean);
    EXPECT_EQ(fs::last_write_time(cleanPage), cleanTime);
    EXPECT_EQ(fs::last_write_time(foreignOnly), foreignTime);

    // Fixing again writes nothing.
    const std::string fixed = read(page);
    const auto fixedTime = fs::last_write_time(page);
    EXPECT_EQ(run(app::runFixCommand, {root_.string()}), 0) << err_.str();
    EXPECT_EQ(read(page), fixed);
    EXPECT_EQ(fs::last_write_time(page), fixedTime);
    EXPECT_NE(out_.str().find(page.string() + ": nothing to rewrite"), std::string::npos)
        << out_.str();
    EXPECT_NE(out_.str().find("pages rewritten: 0 of 3"), std::string::npos) << out_.str();

    // The fixed page needs no fix: the check and the fix agree. The other maker's object that
    // looks altered is named, and does not count.
    EXPECT_EQ(run(app::runCheckCommand, {page.string()}), 0);
    EXPECT_NE(out_.str().find(page.string() + ": no fix needed; 1 Flash object looks altered"),
              std::string::npos)
        << out_.str();
    EXPECT_NE(out_.str().find("pages needing a fix: 0 of 1"), std::string::npos) << out_.str();
}

TEST_F(Commands, FixLeavesAReadOnlyPageAsItWasAndGoesOn) {
    const std::string bytes = "<body>" + Altered("oKestreliteBT001", "T1=x", "\n") + "</body>";
    const fs::path locked = write("locked.htm", bytes);
    const fs::path open = write("open.htm", bytes);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const auto lockedTime = fs::last_write_time(locked);

    EXPECT_EQ(run(app::runFixCommand, {locked.string(), open.string()}), 2);
    EXPECT_NE(err_.str().find(locked.string()), std::string::npos) << err_.str();
    EXPECT_EQ(read(locked), bytes);
    EXPECT_EQ(fs::last_write_time(locked), lockedTime);
    EXPECT_EQ(fs::status(locked).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_NE(read(open), bytes); // the other page was still fixed
    EXPECT_NE(out_.str().find(open.string() + ": 1 Flash object rewritten"), std::string::npos);

    // Nothing was left behind in the folder.
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(root_))
        ++entries;
    EXPECT_EQ(entries, 2u);
}

TEST_F(Commands, FixReportsPathsItCannotRead) {
    const fs::path missing = root_ / "gone" / "page.htm";
    EXPECT_EQ(run(app::runFixCommand, {missing.string()}), 2);
    EXPECT_NE(err_.str().find(missing.string()), std::string::npos) << err_.str();
}
