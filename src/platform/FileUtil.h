#pragma once
// File routines shared by everything that reads or writes the install folder: whole-file
// reading, atomic writing, splitting data files into lines, and looking names up without
// regard to letter case (the install
// folder's names match as they did on the file system the data files come from, so
// "sites.kqz" and "Sites.KQZ" are one file).

#include "platform/Result.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tlx {

// True when both names are equal ignoring the letter case of A-Z.
bool EqualsNoCase(std::string_view a, std::string_view b);

// The entry of `folder` named `name` without regard to letter case: the exact name when it
// exists, else the first matching entry in name order. Nothing when there is none or the
// folder cannot be read. `name` is one name, not a path.
std::optional<std::filesystem::path> FindNoCase(const std::filesystem::path& folder,
                                                const std::string& name);

// `relative` ("FlashMovies/b1.swf"; "/" or "\" between names) resolved below `folder` one name
// at a time with FindNoCase. Names that do not exist are kept as given, so the result is also
// the path under which a missing file is to be created.
std::filesystem::path ResolveNoCase(const std::filesystem::path& folder,
                                    const std::string& relative);

// The names of the regular files in `folder` (symbolic links to regular files included), in
// no particular order; nothing when the folder cannot be read. Made for large folders: one
// pass over the folder, a status call only for entries whose type the listing does not give.
std::optional<std::vector<std::string>> RegularFileNames(const std::filesystem::path& folder);

// The whole file as bytes; a failure naming the file and why when it is missing, not a regular
// file or cannot be read.
Result<std::string> ReadFileBytes(const std::filesystem::path& path);

// What WriteFileAtomically does with a symbolic link standing at the path.
enum class LinkPolicy {
    Follow, // the link's destination gets the new bytes, the link stays (a user's own link)
    Replace // the link itself is replaced by the file; nothing is written where it points
};

// Writes `bytes` to a temporary file next to `path`, flushes it and renames it over `path`, so
// that the file is either replaced completely or left as it was. An existing file keeps its
// permission bits; a symbolic link is handled as `links` says; anything but a regular file is
// refused. On failure, why (no temporary file remains). Temporary files
// of this writer that an earlier run left behind in the folder (killed between writing and
// renaming; untouched for a few minutes) are removed.
Result<> WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                             LinkPolicy links = LinkPolicy::Follow);

// Whether `name` is the name of one of WriteFileAtomically's temporary files.
bool IsAtomicWriteTemporaryName(std::string_view name);

// `text` with its "%XX" escapes turned back into bytes; a "%" not followed by two hexadecimal
// digits stays as it is.
std::string PercentDecoded(std::string_view text);

// The lines of a data file: a line ends at CR, CR LF or a lone LF, and the break is not part
// of it. Blank lines count; a final line break does not start another line. The views point
// into `bytes`.
std::vector<std::string_view> SplitLines(std::string_view bytes);

} // namespace tlx
