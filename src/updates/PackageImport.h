#pragma once
// Importing a downloaded content package: a zip archive holding movie files and the data file
// "impinfo.dat", whose first line names a content family ("[Buttons]") and whose further lines
// are catalog lines for that family. The movies go into the library folder, the new lines are
// appended to the family's catalog. This is the work behind the import dialog's "Import Now".

#include "platform/Platform.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tlx {

inline constexpr std::string_view kImportDataFile = "impinfo.dat";
inline constexpr std::string_view kLibraryFolderName = "FlashMovies";

inline constexpr std::string_view kNoFileSelectedMessage = "No File Selected To Import!";
inline constexpr std::string_view kCorruptImportMessage =
    "Corrupt Import or Missing Data File Information.";
inline constexpr std::string_view kBadDataFileMessage =
    "Bad Import Data File OR Missing Mirvane Flash Data Files...Aborting!";
inline constexpr std::string_view kImportFailedMessage =
    "An Error Has Occured In The Process...Aborting Import.";
inline constexpr std::string_view kImportDoneMessage = "Files Imported! Enjoy!";
inline constexpr std::string_view kImportMessageTitle = "Mirvane";

enum class ImportOutcome {
    Imported,       // movies unpacked, new catalog lines appended
    NoFileSelected, // no package path given; nothing done
    Refused,        // not a readable archive, no data file, or an unsafe entry; nothing written
    TooLarge,       // the package unpacks to more than an import takes; nothing written
    BadDataFile,    // the data file names no known family or its catalog is missing; the
                    // movies are unpacked, no catalog changed
    Failed,         // reading or writing failed on the way; nothing written stays
    Cancelled,      // stopped by the caller's progress function; nothing written stays
};

// How far an import has come: entries of the package unpacked so far, of all to unpack.
struct ImportProgress {
    int entriesDone = 0;
    int entriesTotal = 0;
};

struct ImportOptions {
    // The most the whole package may unpack to, counted as it unpacks (never from what the
    // archive states about itself).
    std::uint64_t maxUnpackedBytes = std::uint64_t{2} << 30;
    // Called after each entry and every few megabytes inside a large one, on the calling
    // thread; returning false cancels the import, which then leaves everything as it was.
    std::function<bool(const ImportProgress&)> progress;
};

// The catalog file a data file's section selects ("Buttons" -> "buttons.kqz"); the section
// name is compared exactly. Nothing for an unknown section.
std::optional<std::string> CatalogForSection(std::string_view section);

// The name under which an archive entry is unpacked: its bare file name (an entry stored in a
// folder of the archive is unpacked directly into the library folder). Empty for a folder
// entry, which is skipped. Nothing when the entry's path is unsafe: absolute, with a drive
// letter, or climbing out of the archive's root with "..", with "/" or "\" between names.
std::optional<std::string> UnpackName(std::string_view entryName);

// The catalog lines of `dataFileLines` (the data file's lines from the second on) that are to
// be appended to a catalog whose lines are `catalogLines`: every non-empty line that is not
// already (exactly) one of the catalog's lines, in order, repeats included.
std::vector<std::string> NewCatalogLines(const std::vector<std::string>& catalogLines,
                                         const std::vector<std::string>& dataFileLines);

// The catalog's bytes after appending `lines`, each as a carriage return followed by the line.
std::string AppendCatalogLines(std::string catalog, const std::vector<std::string>& lines);

// Imports the package at `packagePath` into the install folder and shows the outcome's message
// through `platform` (title "Mirvane"); a cancelled import shows none. An empty path means no
// package was chosen. Never throws.
//
// Every entry is first streamed into a temporary file beside its place in the library folder
// and the data file is checked; only then are the files moved into place (a file or link
// standing there is replaced, never written through) and the catalog is written. A failure or
// a cancel on the way removes what was unpacked and puts back what was replaced. Memory use
// does not grow with the package.
ImportOutcome ImportPackage(Platform& platform, const std::filesystem::path& installFolder,
                            const std::string& packagePath, const ImportOptions& options = {});

} // namespace tlx
