#pragma once
// Text and file routines the catalog layer reads its files with. Text is handled as bytes (one
// byte, one character); searches ignore the letter case of the ASCII letters. These follow the
// shared text helpers' rules exactly (first marker wins, no overlapping replacements) and are
// kept here, private to the catalog layer, until the shared ones are folded in.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tlx::catalog_detail {

// The byte with an ASCII upper-case letter turned into lower case; other bytes unchanged.
inline char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

std::string LowerAscii(std::string_view text);

// Position of the first occurrence of `marker` in `source` at or after `from`, letter case
// ignored; npos when there is none. An empty marker is found at `from`.
std::size_t FindIgnoringCase(std::string_view source, std::string_view marker,
                             std::size_t from = 0);

// The text between the first `startMarker` and the next `endMarker` searched from the character
// after the start marker; empty when either is missing.
std::string TextBetween(std::string_view source, std::string_view startMarker,
                        std::string_view endMarker);

// `source` with every occurrence of `find` (letter case ignored) replaced, left to right, never
// searching text that came from `replacement`. `find` must not be empty.
std::string ReplaceText(std::string_view source, std::string_view find,
                        std::string_view replacement);

// How reading a whole file ended.
enum class FileRead { Read, Missing, Failed };

struct FileBytes {
    FileRead status = FileRead::Missing;
    std::string bytes;   // the whole file when read
    std::string problem; // why it could not be read
};

// Reads the whole file as bytes. A missing file (in an existing folder) is `Missing`; a folder
// instead of a file, a missing folder, or a file that cannot be opened or read is `Failed`.
FileBytes ReadFileBytes(const std::filesystem::path& path);

// The entry of `folder` named `name` with letter case ignored: the exact name when it exists,
// else the first matching entry in name order; nothing when there is none or the folder cannot
// be listed. `name` must be a bare name (no separators).
std::optional<std::filesystem::path> FindEntryIgnoringCase(const std::filesystem::path& folder,
                                                           std::string_view name);

// `path` itself when it exists, else its folder's entry of the same name with letter case
// ignored, else `path` unchanged.
std::filesystem::path ResolveIgnoringCase(const std::filesystem::path& path);

} // namespace tlx::catalog_detail
