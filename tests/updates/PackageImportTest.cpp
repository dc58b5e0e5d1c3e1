#include "updates/PackageImport.h"

#include "common/ScriptedPlatform.h"
#include "updates/TestFiles.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <optional>
#include <sys/resource.h>

namespace tlx {
namespace {

using namespace tlx::testing;

const std::string kOldCatalog = "[SingleText]{old.swf}(Old)*&[120](30)&*\r\n";
const std::string kDataFile = "[Buttons]\r\n"
                              "[SingleText]{b1.swf}(Blue)*&[120](30)<Web>!^Blue^!&*\r\n"
                              "\r\n"
                              "[SingleText]{old.swf}(Old)*&[120](30)&*\r\n"
                              "[DoubleText]{b2.swf}(Red)\r\n";

// An install folder with the buttons catalog and one movie, and the path of a package.
struct ImportFixture : ::testing::Test {
    TempFolder temp;
    fs::path install = temp.path() / "install";
    fs::path library = install / "FlashMovies";
    fs::path package = temp.path() / "package.zip";
    ScriptedPlatform platform;

    void SetUp() override {
        writeFile(install / "buttons.kqz", kOldCatalog);
        writeFile(install / "sounds.kqz", "{ding.swf}(Ding)\r\n");
        writeFile(library / "old.swf", "OLD");
    }
    ImportOutcome run() { return ImportPackage(platform, install, package.string()); }
    std::vector<std::string> lastMessage() const {
        const auto boxes = platform.callsOf("messageBox");
        return boxes.empty() ? std::vector<std::string>{} : boxes.back().args;
    }
};

TEST(UnpackName, KeepsBareNamesAndRefusesPathsThatLeaveTheFolder) {
    EXPECT_EQ(UnpackName("b1.swf"), "b1.swf");
    EXPECT_EQ(UnpackName("pack/impinfo.dat"), "impinfo.dat");
    EXPECT_EQ(UnpackName("pack\\sub\\b2.swf"), "b2.swf");
    EXPECT_EQ(UnpackName("sub/../b3.swf"), "b3.swf");
    EXPECT_EQ(UnpackName("pack/"), "");
    EXPECT_EQ(UnpackName("pack/.."), "");
    for (const char* unsafe :
         {"../evil.swf", "..", "/tmp/x", "sub/../../x", "a/b/../../../x", "..\\evil.swf",
          "sub\\..\\..\\x", "\\\\server\\share\\x", "C:\\x.swf", "c:x.swf", "../"})
        EXPECT_EQ(UnpackName(unsafe), std::nullopt) << unsafe;
}

TEST(CatalogForSection, MapsTheEightFamiliesExactly) {
    EXPECT_EQ(CatalogForSection("TextEffects"), "teffects.kqz");
    EXPECT_EQ(CatalogForSection("BannerBackgrounds"), "backgrnds.kqz");
    EXPECT_EQ(CatalogForSection("MovieMusic"), "mcmusic.kqz");
    EXPECT_EQ(CatalogForSection("Sound"), "sounds.kqz");
    EXPECT_EQ(CatalogForSection("Buttons"), "buttons.kqz");
    EXPECT_EQ(CatalogForSection("Headings"), "headings.kqz");
    EXPECT_EQ(CatalogForSection("Movies"), "movies.kqz");
    EXPECT_EQ(CatalogForSection("Misc"), "miscflash.kqz");
    EXPECT_EQ(CatalogForSection("Sounds"), std::nullopt);
    EXPECT_EQ(CatalogForSection("buttons"), std::nullopt);
    EXPECT_EQ(CatalogForSection(""), std::nullopt);
}

TEST(NewCatalogLines, SkipsEmptyAndPresentLinesButKeepsRepeatsAndCaseVariants) {
    const std::vector<std::string> catalog{"{a.swf}(A)", "{b.swf}(B)"};
    EXPECT_EQ(
        NewCatalogLines(catalog, {"{a.swf}(A)", "", "{c.swf}(C)", "{A.SWF}(A)", "{c.swf}(C)"}),
        (std::vector<std::string>{"{c.swf}(C)", "{A.SWF}(A)", "{c.swf}(C)"}));
    EXPECT_EQ(AppendCatalogLines("x", {"y", "z"}), "x\ry\rz");
}

TEST_F(ImportFixture, GoodPackageUnpacksMoviesAndAppendsOnlyNewLines) {
    writeZip(package, {{"pack/", ""},
                       {"pack/impinfo.dat", kDataFile},
                       {"pack/b1.swf", "B1"},
                       {"b2.swf", std::string("B2\0\r\n", 5)}});
    ASSERT_EQ(run(), ImportOutcome::Imported);
    EXPECT_EQ(lastMessage(),
              (std::vector<std::string>{"Files Imported! Enjoy!", "0", "64", "Mirvane"}));
    EXPECT_EQ(readFile(library / "b1.swf"), "B1");
    EXPECT_EQ(readFile(library / "b2.swf"), std::string("B2\0\r\n", 5));
    EXPECT_EQ(readFile(library / "impinfo.dat"), kDataFile);
    EXPECT_EQ(readFile(library / "old.swf"), "OLD");
    EXPECT_FALSE(fs::exists(library / "pack"));
    const std::string expected = kOldCatalog +
                                 "\r[SingleText]{b1.swf}(Blue)*&[120](30)<Web>!^Blue^!&*"
                                 "\r[DoubleText]{b2.swf}(Red)";
    EXPECT_EQ(readFile(install / "buttons.kqz"), expected);
    EXPECT_EQ(readFile(install / "sounds.kqz"), "{ding.swf}(Ding)\r\n");

    // The same package again: every line already stands in the catalog.
    const auto before = snapshot(temp.path());
    ASSERT_EQ(run(), ImportOutcome::Imported);
    EXPECT_EQ(snapshot(temp.path()), before);
}

TEST_F(ImportFixture, CatalogWithoutFinalLineBreakGetsItsNewLineOnALineOfItsOwn) {
    writeFile(install / "sounds.kqz", "{ding.swf}(Ding)");
    writeZip(package, {{"impinfo.dat", "junk [Sound] junk\r{bell.swf}(Bell)\r{bell.swf}(Bell)"},
                       {"bell.swf", "BELL"}});
    ASSERT_EQ(run(), ImportOutcome::Imported);
    // A line repeated inside the data file is appended each time.
    EXPECT_EQ(readFile(install / "sounds.kqz"),
              "{ding.swf}(Ding)\r{bell.swf}(Bell)\r{bell.swf}(Bell)");
}

TEST_F(ImportFixture, NamesInTheInstallFolderMatchWithoutRegardToCase) {
    fs::remove_all(install);
    writeFile(install / "Buttons.KQZ", kOldCatalog);
    writeFile(install / "flashmovies" / "B1.SWF", "USER");
    writeZip(package, {{"impinfo.dat", kDataFile}, {"b1.swf", "NEW"}});
    ASSERT_EQ(run(), ImportOutcome::Imported);
    EXPECT_EQ(readFile(install / "flashmovies" / "B1.SWF"), "NEW");
    EXPECT_FALSE(fs::exists(install / "FlashMovies"));
    EXPECT_FALSE(fs::exists(install / "flashmovies" / "b1.swf"));
    EXPECT_EQ(readFile(install / "Buttons.KQZ").substr(0, kOldCatalog.size() + 2),
              kOldCatalog + "\r[");
}

TEST_F(ImportFixture, PackageWithoutDataFileIsRefusedAndWritesNothing) {
    for (const ZipEntries& entries :
         {ZipEntries{{"b1.swf", "B1"}}, ZipEntries{{"IMPINFO.DAT", kDataFile}, {"b1.swf", "B1"}},
          ZipEntries{{"impinfo.dat/", ""}, {"b1.swf", "B1"}}}) {
        writeZip(package, entries);
        const auto before = snapshot(temp.path());
        EXPECT_EQ(run(), ImportOutcome::Refused);
        EXPECT_EQ(lastMessage(),
                  (std::vector<std::string>{"Corrupt Import or Missing Data File Information.", "0",
                                            "16", "Mirvane"}));
        EXPECT_EQ(snapshot(temp.path()), before);
    }
}

TEST_F(ImportFixture, UnknownSectionOrMissingCatalogUnpacksMoviesButChangesNoCatalog) {
    writeZip(package, {{"impinfo.dat", "[Sounds]\r\n{x.swf}(X)\r\n"}, {"x.swf", "X"}});
    EXPECT_EQ(run(), ImportOutcome::BadDataFile);
    EXPECT_EQ(lastMessage()[0],
              "Bad Import Data File OR Missing Mirvane Flash Data Files...Aborting!");
    EXPECT_EQ(readFile(library / "x.swf"), "X");
    EXPECT_EQ(readFile(install / "sounds.kqz"), "{ding.swf}(Ding)\r\n");

    writeZip(package, {{"impinfo.dat", "[Headings]\r\n{h.swf}(H)\r\n"}, {"h.swf", "H"}});
    EXPECT_EQ(run(), ImportOutcome::BadDataFile);
    EXPECT_FALSE(fs::exists(install / "headings.kqz"));
    EXPECT_EQ(readFile(library / "h.swf"), "H");
}

TEST_F(ImportFixture, MaliciousPackageWritesNothingAnywhere) {
    std::random_device device;
    const std::string outside = "/tmp/tlx-evil-" + std::to_string(device());
    for (const std::string& evil : {std::string("../evil.swf"), outside, std::string("sub/../../x"),
                                    std::string("..\\..\\evil.swf"), std::string("sub\\..\\..\\x"),
                                    std::string("C:\\x.swf")}) {
        // The unsafe entry comes last, after entries that would be fine on their own.
        writeZip(package, {{"impinfo.dat", kDataFile}, {"b1.swf", "B1"}, {evil, "EVIL"}});
        const auto before = snapshot(temp.path());
        EXPECT_EQ(run(), ImportOutcome::Refused) << evil;
        EXPECT_EQ(lastMessage()[0], "Corrupt Import or Missing Data File Information.");
        EXPECT_EQ(snapshot(temp.path()), before) << evil;
        EXPECT_FALSE(fs::exists(outside));
    }
}

TEST_F(ImportFixture, DamagedArchiveIsRefusedAndChangesNothing) {
    std::string big(20000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>((i * 7919) % 251);
    writeZip(package, {{"impinfo.dat", kDataFile}, {"b1.swf", big}});
    const std::string whole = readFile(package);
    writeFile(package, whole.substr(0, whole.size() / 2));
    auto before = snapshot(temp.path());
    EXPECT_EQ(run(), ImportOutcome::Refused);
    EXPECT_EQ(lastMessage()[0], "Corrupt Import or Missing Data File Information.");
    EXPECT_EQ(snapshot(temp.path()), before);

    writeFile(package, "this is not a zip archive");
    before = snapshot(temp.path());
    EXPECT_EQ(run(), ImportOutcome::Refused);
    EXPECT_EQ(snapshot(temp.path()), before);
}

TEST_F(ImportFixture, NoPackageChosen) {
    EXPECT_EQ(ImportPackage(platform, install, ""), ImportOutcome::NoFileSelected);
    EXPECT_EQ(lastMessage(),
              (std::vector<std::string>{"No File Selected To Import!", "0", "16", "Mirvane"}));
}

TEST_F(ImportFixture, WriteFailureIsReportedAndLeavesEverythingAsItWas) {
    fs::create_directories(library / "b1.swf" / "inside"); // a folder where a movie must go
    // The data file and the replacement of old.swf are moved into place before b1.swf fails.
    writeZip(package, {{"impinfo.dat", kDataFile}, {"old.swf", "NEW"}, {"b1.swf", "B1"}});
    const auto before = snapshot(temp.path());
    EXPECT_EQ(run(), ImportOutcome::Failed);
    const std::string prefix = "An Error Has Occured In The Process...Aborting Import.\r";
    EXPECT_EQ(lastMessage()[0].substr(0, prefix.size()), prefix);
    EXPECT_GT(lastMessage()[0].size(), prefix.size()); // with the reason
    EXPECT_EQ(snapshot(temp.path()), before);

    // An install folder that is not there is not made by an import.
    const fs::path gone = temp.path() / "gone";
    EXPECT_EQ(ImportPackage(platform, gone, package.string()), ImportOutcome::Failed);
    EXPECT_EQ(lastMessage()[0].substr(0, prefix.size()), prefix);
    EXPECT_FALSE(fs::exists(gone));
}

TEST_F(ImportFixture, ALinkInTheLibraryIsReplacedNeverWrittenThrough) {
    const fs::path outside = temp.path() / "outside.swf";
    writeFile(outside, "OUTSIDE");
    fs::create_symlink(outside, library / "b1.swf");
    writeZip(package, {{"impinfo.dat", kDataFile}, {"b1.swf", "B1"}});
    ASSERT_EQ(run(), ImportOutcome::Imported);
    EXPECT_EQ(readFile(outside), "OUTSIDE");
    EXPECT_FALSE(fs::is_symlink(library / "b1.swf"));
    EXPECT_EQ(readFile(library / "b1.swf"), "B1");
}

// Sets the unpacked size every header of the archive states for its entries.
void stateUnpackedSize(const fs::path& zipPath, std::uint32_t size) {
    std::string bytes = readFile(zipPath);
    const auto put = [&](std::size_t at) {
        for (int i = 0; i < 4; ++i)
            bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((size >> (8 * i)) & 0xFF);
    };
    for (std::size_t at = bytes.find("PK\3\4"); at != std::string::npos;
         at = bytes.find("PK\3\4", at + 4))
        put(at + 22);
    for (std::size_t at = bytes.find("PK\1\2"); at != std::string::npos;
         at = bytes.find("PK\1\2", at + 4))
        put(at + 24);
    writeFile(zipPath, bytes);
}

// Writes an archive of the data file and `count` entries of `size` zero bytes each, made as
// libzip asks for them (never held in memory whole), compressed as fast as possible.
void writeZerosZip(const fs::path& path, int count, std::uint64_t size) {
    struct Zeros {
        std::uint64_t size;
        std::uint64_t at = 0;
    };
    const auto callback = [](void* state, void* data, zip_uint64_t length,
                             zip_source_cmd_t command) -> zip_int64_t {
        auto& zeros = *static_cast<Zeros*>(state);
        switch (command) {
        case ZIP_SOURCE_OPEN:
            zeros.at = 0;
            return 0;
        case ZIP_SOURCE_READ: {
            const zip_uint64_t n = std::min<zip_uint64_t>(length, zeros.size - zeros.at);
            std::memset(data, 0, static_cast<std::size_t>(n));
            zeros.at += n;
            return static_cast<zip_int64_t>(n);
        }
        case ZIP_SOURCE_CLOSE:
            return 0;
        case ZIP_SOURCE_STAT: {
            auto* stat = static_cast<zip_stat_t*>(data);
            zip_stat_init(stat);
            stat->size = zeros.size;
            stat->valid |= ZIP_STAT_SIZE;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_FREE:
            delete &zeros;
            return 0;
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ,
                                                  ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_FREE, -1);
        default:
            return -1;
        }
    };
    writeZip(path, {{"impinfo.dat", kDataFile}});
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), 0, &error);
    ASSERT_NE(archive, nullptr);
    for (int i = 0; i < count; ++i) {
        zip_source_t* source = zip_source_function(archive, callback, new Zeros{size});
        ASSERT_NE(source, nullptr);
        const std::string name = "zeros" + std::to_string(i) + ".swf";
        const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_RAW);
        ASSERT_GE(index, 0);
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 1);
    }
    ASSERT_EQ(zip_close(archive), 0);
}

long peakResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST_F(ImportFixture, OversizedPackagesAreRefusedWithoutBeingHeldInMemory) {
    constexpr std::uint64_t MiB = 1 << 20;
    struct Case {
        const char* what;
        int count;
        std::uint64_t size;
        std::optional<std::uint32_t> stated; // a forged unpacked size in the headers
        std::uint64_t limit;
        ImportOutcome expected;
    };
    const Case cases[] = {
        {"three entries stating 700 MB each", 3, MiB, 700 * MiB, ImportOptions{}.maxUnpackedBytes,
         ImportOutcome::TooLarge},
        {"a small entry stating 1 GiB", 1, 4096, 1u << 30, ImportOptions{}.maxUnpackedBytes,
         ImportOutcome::Refused},
        {"40 MB stated as 10 bytes", 1, 40 * MiB, 10, 16 * MiB, ImportOutcome::Refused},
        {"three entries of 8 MB over a 20 MB limit, stated truly",
         3,
         8 * MiB,
         {},
         20 * MiB,
         ImportOutcome::TooLarge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeZerosZip(package, c.count, c.size);
        if (c.stated)
            stateUnpackedSize(package, *c.stated);
        const auto before = snapshot(install);
        ImportOptions options;
        options.maxUnpackedBytes = c.limit;
        EXPECT_EQ(ImportPackage(platform, install, package.string(), options), c.expected);
        EXPECT_EQ(snapshot(install), before);
        const std::string message = lastMessage().at(0);
        if (c.expected == ImportOutcome::TooLarge) {
            EXPECT_EQ(message, std::string(kImportFailedMessage) +
                                   "\rThe package unpacks to more than " +
                                   std::to_string(c.limit / MiB) +
                                   " MB, more than an import takes. Nothing was imported.");
        } else {
            EXPECT_EQ(message, kCorruptImportMessage);
        }
    }
    // A large package within the limit is unpacked in pieces.
    writeZerosZip(package, 3, 48 * MiB);
    ASSERT_EQ(run(), ImportOutcome::Imported);
    for (const char* name : {"zeros0.swf", "zeros1.swf", "zeros2.swf"})
        EXPECT_EQ(fs::file_size(library / name), 48 * MiB) << name;
    // The whole test program, these packages included, stays below the size of what it unpacked.
    EXPECT_LT(peakResidentKilobytes(), 100 * 1024);
}

} // namespace
} // namespace tlx
