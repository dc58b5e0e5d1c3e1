#include "catalog/Catalog.h"

#include "catalog/LibraryFolder.h"
#include "common/TempFolder.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

using testing::TempFolder;

// An install folder with a library holding the given movie files.
struct Install {
    TempFolder root;
    explicit Install(std::initializer_list<const char*> movies) {
        std::filesystem::create_directories(root.path() / "FlashMovies");
        for (const char* movie : movies)
            root.write(std::filesystem::path("FlashMovies") / movie, "FWS");
    }
    LibraryFolder library() const {
        return LibraryFolder::Scan(LibraryFolder::Locate(root.path()));
    }
    CatalogResult read(std::string_view name, std::string_view text, CatalogFields required,
                       const CatalogFilter& filter = {}) const {
        root.write(std::string(name), text);
        return ReadCatalog(root.path() / std::string(name), required, library(), filter);
    }
};

std::vector<std::string> Names(const CatalogResult& r) {
    std::vector<std::string> names;
    for (const auto& e : r.Entries)
        names.push_back(e.StyleName);
    return names;
}

TEST(ReadCatalog, CompleteButtonLineAndTheSizeBlockRead) {
    Install install{"b1.swf"};
    const auto r = install.read("buttons.kqz",
                                "[SingleText]{b1.swf}(Blue)*&[120](30)&*\r\n"
                                "[TwinText]{b1.swf}(Green)*&[100%](45)<Round>!^Two lines^!&*\r\n"
                                "*&[120](30)&*[SingleText]{b1.swf}(Blue)\r\n",
                                kTypeFileAndName);
    ASSERT_EQ(r.Status, CatalogStatus::Read);
    ASSERT_EQ(r.Entries.size(), 3u);
    const CatalogEntry& blue = r.Entries[0];
    EXPECT_EQ(blue.TypeTag, "SingleText");
    EXPECT_EQ(blue.FileName, "b1.swf");
    EXPECT_EQ(blue.SizeBlock, "[120](30)");
    EXPECT_EQ(blue.Width(), "120");
    EXPECT_EQ(blue.Height(), "30");
    EXPECT_EQ(blue.Category(), "");
    EXPECT_EQ(blue.Description(), "");
    EXPECT_EQ(r.Entries[1].Width(), "100%");
    EXPECT_EQ(r.Entries[1].Category(), "Round");
    EXPECT_EQ(r.Entries[1].Description(), "Two lines");
    // Size block first: its own "[" and "(" are taken for the type and the name.
    EXPECT_EQ(r.Entries[2].TypeTag, "120");
    EXPECT_EQ(r.Entries[2].StyleName, "30");
    EXPECT_EQ(r.Entries[2].LineNumber, 3u);
}

TEST(ReadCatalog, RequiredFieldsDependOnTheCatalogAndSkippedLinesSayWhy) {
    Install install{"a.swf"};
    const std::string text = "{a.swf}(No type)\r\n"
                             "[T]{a.swf}()\r\n"
                             "\r\n"
                             "[T](Only name)\r\n"
                             "[T]{a.swf}(Fine)\r\n";
    const auto buttons = install.read("buttons.kqz", text, kTypeFileAndName);
    EXPECT_EQ(Names(buttons), std::vector<std::string>{"Fine"});
    ASSERT_EQ(buttons.Skipped.size(), 4u);
    EXPECT_EQ(buttons.Skipped[0].LineNumber, 1u);
    EXPECT_EQ(DescribeSkip(buttons.Skipped[0]), "no type between [ and ]");
    EXPECT_EQ(DescribeSkip(buttons.Skipped[1]), "no name between ( and )");
    EXPECT_EQ(buttons.Skipped[2].Reason, SkipReason::EmptyLine);
    EXPECT_EQ(buttons.Skipped[3].LineNumber, 4u);
    EXPECT_EQ(DescribeSkip(buttons.Skipped[3]), "no file between { and }");

    // A two-field catalog does not need the type.
    const auto backgrounds = install.read("backgrnds.kqz", text, kFileAndName);
    EXPECT_EQ(Names(backgrounds), (std::vector<std::string>{"No type", "Fine"}));

    // A sounds line without a sound ID is still a sound for the button dialog.
    Install sounds{"ding.swf"};
    EXPECT_EQ(Names(sounds.read("sounds.kqz", "{ding.swf}(Ding)\r\n", kFileAndName)),
              std::vector<std::string>{"Ding"});

    EXPECT_EQ(RequiredFieldsFor("Buttons.KQZ"), kTypeFileAndName);
    EXPECT_EQ(RequiredFieldsFor("miscflash.kqz"), kTypeFileAndName);
    EXPECT_EQ(RequiredFieldsFor("mcmusic.kqz"), kFileAndName);
    EXPECT_EQ(RequiredFieldsFor("sounds.kqz"), kFileAndName);
    EXPECT_EQ(RequiredFieldsFor("other.kqz"), std::nullopt);
}

TEST(ReadCatalog, FirstOccurrenceWinsAndNothingIsMergedOrSorted) {
    Install install{"a.swf", "b.swf"};
    const auto r = install.read("headings.kqz",
                                "[Standard]{b.swf}(Zeta)[NoColor]{a.swf}(Alpha)\r"
                                "[Standard]{a.swf}(Zeta)\r"
                                "[Standard]{a.swf}(Alpha)\r",
                                kTypeFileAndName);
    ASSERT_EQ(r.Entries.size(), 3u);
    EXPECT_EQ(r.Entries[0].TypeTag, "Standard");
    EXPECT_EQ(r.Entries[0].FileName, "b.swf");
    EXPECT_EQ(Names(r), (std::vector<std::string>{"Zeta", "Zeta", "Alpha"}));
}

TEST(ReadCatalog, FilesMustBeInTheLibraryMatchedWithoutLetterCase) {
    Install install{"Blue.SWF", "green.swf"};
    std::filesystem::create_directories(install.root.path() / "FlashMovies" / "sub");
    install.root.write("FlashMovies/sub/deep.swf", "FWS");
    install.root.write("elsewhere.swf", "FWS");
    // A name written with a Windows folder separator names a subfolder, not a file of the
    // library, even where such a name could be a file of its own.
    install.root.write("FlashMovies/sub\\deep.swf", "FWS");
    const auto r = install.read("movies.kqz",
                                "[Standard]{blue.swf}(One)\r\n"
                                "[Standard]{gone.swf}(Two)\r\n"
                                "[Standard]{GREEN.swf}(Three)\r\n"
                                "[Standard]{sub/deep.swf}(Four)\r\n"
                                "[Standard]{../elsewhere.swf}(Five)\r\n"
                                "[Standard]{sub}(Six)\r\n"
                                "[Standard]{sub\\deep.swf}(Seven)\r\n",
                                kTypeFileAndName);
    EXPECT_EQ(Names(r), (std::vector<std::string>{"One", "Three"}));
    ASSERT_EQ(r.Skipped.size(), 5u);
    EXPECT_EQ(r.Skipped[0].LineNumber, 2u);
    EXPECT_EQ(DescribeSkip(r.Skipped[0]), "file \"gone.swf\" is not in the library folder");

    const LibraryFolder library = install.library();
    EXPECT_EQ(library.pathOf("BLUE.swf"), install.root.path() / "FlashMovies" / "Blue.SWF");
    EXPECT_EQ(library.pathOf("gone.swf"), std::nullopt);
    EXPECT_EQ(library.pathOf("sub\\deep.swf"), std::nullopt);
}

TEST(ReadCatalog, CatalogAndLibraryFolderAreFoundWithoutLetterCase) {
    TempFolder root;
    root.write("flashmovies/a.swf", "FWS");
    root.write("Buttons.KQZ", "[T]{a.swf}(A)");
    const LibraryFolder library = LibraryFolder::Scan(LibraryFolder::Locate(root.path()));
    EXPECT_TRUE(library.listed());
    const auto r = ReadCatalog(root.path() / "buttons.kqz", kTypeFileAndName, library);
    ASSERT_EQ(r.Status, CatalogStatus::Read);
    EXPECT_EQ(r.File, root.path() / "Buttons.KQZ");
    EXPECT_EQ(Names(r), std::vector<std::string>{"A"});
}

TEST(ReadCatalog, LineEndsAreCrCrLfOrLoneLfAndBytesStayBytes) {
    Install install{"a.swf"};
    const auto crOnly =
        install.read("mcmusic.kqz", "{a.swf}(One)\r{a.swf}(Two)\r\r{a.swf}(Three)", kFileAndName);
    EXPECT_EQ(Names(crOnly), (std::vector<std::string>{"One", "Two", "Three"}));
    ASSERT_EQ(crOnly.Skipped.size(), 1u);
    EXPECT_EQ(crOnly.Skipped[0].LineNumber, 3u);
    EXPECT_EQ(crOnly.Entries[2].LineNumber, 4u);

    const auto mixed =
        install.read("mcmusic.kqz", "{a.swf}(One)\n{a.swf}(Two)\r\n{a.swf}(Three)\n", kFileAndName);
    EXPECT_EQ(Names(mixed), (std::vector<std::string>{"One", "Two", "Three"}));
    EXPECT_TRUE(mixed.Skipped.empty());

    // LF CR is two line ends with an empty line between them.
    const auto lfcr = install.read("mcmusic.kqz", "{a.swf}(One)\n\r{a.swf}(Two)", kFileAndName);
    EXPECT_EQ(lfcr.Entries[1].LineNumber, 3u);

    const auto latin = install.read("mcmusic.kqz", "{a.swf}(Caf\xE9 \x80)\r\n", kFileAndName);
    ASSERT_EQ(latin.Entries.size(), 1u);
    EXPECT_EQ(latin.Entries[0].StyleName, "Caf\xE9 \x80");

    EXPECT_TRUE(install.read("mcmusic.kqz", "", kFileAndName).Entries.empty());
}

TEST(ReadCatalog, MissingOrUnreadableCatalogLeavesOnlyThePlaceholder) {
    Install install{"a.swf"};
    CatalogList list("Available Flash Buttons...", "Available Flash Buttons...");
    const auto missing =
        ReadCatalog(install.root.path() / "buttons.kqz", kTypeFileAndName, install.library(), list);
    EXPECT_EQ(missing.Status, CatalogStatus::Missing);
    EXPECT_EQ(list.size(), 1u);

    std::filesystem::create_directories(install.root.path() / "headings.kqz");
    const auto folder = ReadCatalog(install.root.path() / "headings.kqz", kTypeFileAndName,
                                    install.library(), list);
    EXPECT_EQ(folder.Status, CatalogStatus::Unreadable);
    EXPECT_FALSE(folder.Problem.empty());

    const auto noFolder = ReadCatalog(install.root.path() / "nowhere" / "buttons.kqz",
                                      kTypeFileAndName, install.library(), list);
    EXPECT_EQ(noFolder.Status, CatalogStatus::Unreadable);
    EXPECT_EQ(list.size(), 1u);

    // Without a library folder every line names a missing file.
    TempFolder bare;
    bare.write("buttons.kqz", "[T]{a.swf}(A)\r\n");
    const LibraryFolder none = LibraryFolder::Scan(LibraryFolder::Locate(bare.path()));
    EXPECT_FALSE(none.listed());
    const auto r = ReadCatalog(bare.path() / "buttons.kqz", kTypeFileAndName, none);
    EXPECT_TRUE(r.Entries.empty());
    ASSERT_EQ(r.Skipped.size(), 1u);
    EXPECT_EQ(r.Skipped[0].Reason, SkipReason::FileNotInLibrary);
}

TEST(CatalogList, PlaceholderHoldsIndexZeroAndEntriesFollowInFileOrder) {
    Install install{"a.swf", "b.swf"};
    install.root.write("headings.kqz", "[Standard]{a.swf}(A)\r\n[NoColor]{b.swf}(B)\r\n"
                                       "[Standard]{a.swf}(A again)\r\n");
    CatalogList list("Available Flash Headings/Banners...", "Available Flash Buttons...");
    ReadCatalog(install.root.path() / "headings.kqz", kTypeFileAndName, install.library(), list);
    EXPECT_EQ(list.styleNames(), (std::vector<std::string>{"Available Flash Headings/Banners...",
                                                           "A", "B", "A again"}));
    EXPECT_EQ(list[0].FileName, "Available Flash Buttons...");
    EXPECT_EQ(list[0].TypeTag, "Available Flash Buttons...");
    EXPECT_EQ(list[0].Description(), "");
    EXPECT_EQ(list[2].TypeTag, "NoColor");
    // Selecting by file name: the last equal item, letter case significant, else the placeholder.
    EXPECT_EQ(list.indexOfFileName("a.swf"), 3u);
    EXPECT_EQ(list.indexOfFileName("B.swf"), 0u);

    list.reset("Available Flash Buttons", "Available Flash Buttons");
    EXPECT_EQ(list.styleNames(), std::vector<std::string>{"Available Flash Buttons"});
    list.reset();
    EXPECT_TRUE(list.empty());
}

TEST(CatalogFilters, ButtonCategoriesAndMiscCategories) {
    Install install{"a.swf", "b.swf", "c.swf"};
    const std::string buttons = "[T]{a.swf}(Plain)*&[1](2)&*\r\n"
                                "[T]{b.swf}(Round one)*&[1](2)<Round>&*\r\n"
                                "[T]{c.swf}(Literal)*&[1](2)<Uncategorised>&*\r\n"
                                "[T]{c.swf}(Round two)*&[1](2)<Round>&*\r\n";
    EXPECT_EQ(Names(install.read("buttons.kqz", buttons, kTypeFileAndName,
                                 ButtonCategoryFilter(0, "All Buttons")))
                  .size(),
              4u);
    EXPECT_EQ(Names(install.read("buttons.kqz", buttons, kTypeFileAndName,
                                 ButtonCategoryFilter(1, "Uncategorised"))),
              std::vector<std::string>{"Plain"});
    const auto round =
        install.read("buttons.kqz", buttons, kTypeFileAndName, ButtonCategoryFilter(2, "Round"));
    EXPECT_EQ(Names(round), (std::vector<std::string>{"Round one", "Round two"}));
    ASSERT_EQ(round.Skipped.size(), 2u);
    EXPECT_EQ(round.Skipped[0].Reason, SkipReason::Filtered);

    EXPECT_TRUE(IsCategorised("[1](2)<x>"));
    EXPECT_FALSE(IsCategorised("[1](2)"));
    EXPECT_FALSE(IsCategorised("<>"));

    install.root.write("miscflash.kqz", "[Animals]{a.swf}(Cat)\r\n"
                                        "[Shapes](incomplete)\r\n"
                                        "[animals]{b.swf}(Dog)\r\n"
                                        "[Animals]{gone.swf}(Cow)\r\n"
                                        "[Animals]{c.swf}(Owl)\r\n");
    EXPECT_EQ(ReadCatalogTypeTags(install.root.path() / "miscflash.kqz"),
              (std::vector<std::string>{"Animals", "Shapes", "animals"}));
    EXPECT_TRUE(ReadCatalogTypeTags(install.root.path() / "missing.kqz").empty());
    CatalogList items;
    ReadCatalog(install.root.path() / "miscflash.kqz", kTypeFileAndName, install.library(), items,
                MiscCategoryFilter("Animals"));
    EXPECT_EQ(items.styleNames(), (std::vector<std::string>{"Cat", "Owl"}));
}

} // namespace
} // namespace tlx
