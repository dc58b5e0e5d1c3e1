#pragma once
// Catalog files: one line per library item, its fields between fixed delimiters:
//   [type]{file}(name)*&[width](height)<category>!^description^!&*
// A line becomes an entry when the fields its catalog requires are non-empty and the file it
// names is in the library folder. Lines end at CR, CR LF or a lone LF; bytes are read as
// single-byte text; nothing is trimmed, sorted or merged.

#include "catalog/LibraryFolder.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tlx {

// The catalog files of the install folder.
inline constexpr std::string_view kButtonsCatalog = "buttons.kqz";
inline constexpr std::string_view kSoundsCatalog = "sounds.kqz";
inline constexpr std::string_view kHeadingsCatalog = "headings.kqz";
inline constexpr std::string_view kBackgroundsCatalog = "backgrnds.kqz";
inline constexpr std::string_view kMoviesCatalog = "movies.kqz";
inline constexpr std::string_view kMusicCatalog = "mcmusic.kqz";
inline constexpr std::string_view kTextEffectsCatalog = "teffects.kqz";
inline constexpr std::string_view kMiscFlashCatalog = "miscflash.kqz";

// The parts of a size block, each taken from the block alone.
struct SizeParts {
    std::string Width;       // "[" ... "]"
    std::string Height;      // "(" ... ")"
    std::string Category;    // "<" ... ">"
    std::string Description; // "!^" ... "^!"
};

SizeParts ReadSizeBlock(std::string_view sizeBlock);

// Whether a button's size block names a category: it holds "<" and ">" after its first
// character.
bool IsCategorised(std::string_view sizeBlock);

// One catalog line's fields (all possibly empty).
struct CatalogEntry {
    std::string TypeTag;        // "[" ... "]": style type; the category in the misc art catalog
    std::string FileName;       // "{" ... "}": bare file name in the library folder
    std::string StyleName;      // "(" ... ")": name shown in the pick list
    std::string SizeBlock;      // "*&" ... "&*": kept whole
    std::string Line;           // the whole line, for readers that take more fields from it
    std::size_t LineNumber = 0; // 1-based; 0 for a placeholder

    std::string Width() const;
    std::string Height() const;
    std::string Category() const;
    std::string Description() const;
};

// The fields of one line, first occurrence of each delimiter pair, nothing tested.
CatalogEntry ParseCatalogLine(std::string_view line, std::size_t lineNumber = 0);

// Which fields must be non-empty for a line to be an entry.
struct CatalogFields {
    bool Type = false;
    bool File = false;
    bool Name = false;
    bool any() const { return Type || File || Name; }
    friend bool operator==(const CatalogFields&, const CatalogFields&) = default;
};

inline constexpr CatalogFields kTypeFileAndName{true, true, true};
inline constexpr CatalogFields kFileAndName{false, true, true};

// The fields a catalog of this file name requires (letter case of the name ignored): type, file
// and name for the buttons, headings, movies and misc art catalogs; file and name for the
// others. Nothing for a name that is not one of the eight catalogs.
std::optional<CatalogFields> RequiredFieldsFor(std::string_view catalogFileName);

// Why a line is not an entry.
enum class SkipReason { EmptyLine, MissingFields, FileNotInLibrary, Filtered };

struct SkippedLine {
    std::size_t LineNumber = 0;
    SkipReason Reason = SkipReason::EmptyLine;
    CatalogFields Missing; // for MissingFields: the required fields that are empty
    std::string FileName;  // for FileNotInLibrary
};

// One line of text saying why the line was skipped, e.g. "no name between ( and )".
std::string DescribeSkip(const SkippedLine& skipped);

// A dialog's acceptance test, applied after the required fields and the library test.
using CatalogFilter = std::function<bool(const CatalogEntry&)>;

// The button dialog's category filter for the selected index of its category list: 0 (or no
// selection, negative) accepts every line; 1 accepts lines without a category; a greater index
// accepts lines whose category is exactly `categoryText`.
CatalogFilter ButtonCategoryFilter(int selectedIndex, std::string categoryText);

// The misc art dialog's filter: the line's category (its type tag) is exactly `category`.
CatalogFilter MiscCategoryFilter(std::string category);

enum class CatalogStatus { Read, Missing, Unreadable };

struct CatalogResult {
    CatalogStatus Status = CatalogStatus::Missing;
    std::filesystem::path File; // the file read (its spelling on disk when found)
    std::string Problem;        // why it could not be read (Unreadable)
    std::vector<CatalogEntry> Entries;
    std::vector<SkippedLine> Skipped;
};

// Reads a catalog: every line whose required fields are non-empty, whose file is in `library`
// and which `filter` (when given) accepts becomes an entry, in file order. The catalog file is
// found with the letter case of its name ignored. A missing catalog gives no entries and status
// Missing; it is not an error for the dialogs.
CatalogResult ReadCatalog(const std::filesystem::path& catalogFile, CatalogFields required,
                          const LibraryFolder& library, const CatalogFilter& filter = {});

// A catalog as a dialog holds it: one list of entries sharing one index with the pick list.
// With a placeholder, index 0 is the placeholder record (its name is the pick list's fixed
// first line, its file, type and size block the hidden lists' fixed first line) and the
// entries follow at 1, 2, ...; without one (misc art) entries start at 0.
class CatalogList {
public:
    CatalogList() = default;
    CatalogList(std::string pickPlaceholder, std::string hiddenPlaceholder);

    // Empties the list and, when given, puts a new placeholder at index 0.
    void reset();
    void reset(std::string pickPlaceholder, std::string hiddenPlaceholder);

    void append(CatalogEntry entry);
    void append(const CatalogResult& result);

    bool hasPlaceholder() const { return hasPlaceholder_; }
    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const CatalogEntry& operator[](std::size_t index) const { return items_.at(index); }
    const std::vector<CatalogEntry>& items() const { return items_; }

    // The pick list's lines: every record's name, the placeholder included.
    std::vector<std::string> styleNames() const;

    // The index of the last record whose file name equals `fileName` exactly (letter case
    // significant); 0 when none does.
    std::size_t indexOfFileName(std::string_view fileName) const;

private:
    bool hasPlaceholder_ = false;
    std::vector<CatalogEntry> items_;
};

// Reads a catalog into a dialog's list (appending after what it holds) and returns the result.
CatalogResult ReadCatalog(const std::filesystem::path& catalogFile, CatalogFields required,
                          const LibraryFolder& library, CatalogList& target,
                          const CatalogFilter& filter = {});

// The distinct non-empty type tags of a catalog's lines, in the order of their first line
// (exact comparison), with no other test; the misc art dialog's category list.
std::vector<std::string> ReadCatalogTypeTags(const std::filesystem::path& catalogFile);

} // namespace tlx
