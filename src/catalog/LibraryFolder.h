#pragma once
// The library folder "FlashMovies" of the install folder, as one listing: which movie, sound,
// music, background and text-effect files it holds. File names are matched with letter case
// ignored, and only bare names count (a name with a folder in it, after "/" or a backslash, is
// never in the library). A listing is a snapshot taken when it is made; make a new one to see later
// changes.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tlx {

class LibraryFolder {
public:
    // An empty library: every lookup fails.
    LibraryFolder() = default;

    // Lists `folder` once. A missing or unreadable folder gives an empty library.
    static LibraryFolder Scan(const std::filesystem::path& folder);

    // The library folder of an install folder: its "FlashMovies" entry, found with letter case
    // ignored (the exact spelling when there is no such entry).
    static std::filesystem::path Locate(const std::filesystem::path& installFolder);

    const std::filesystem::path& folder() const { return folder_; }
    // Whether the folder could be listed.
    bool listed() const { return listed_; }
    std::size_t fileCount() const { return files_.size(); }

    // Whether a file of this bare name (letter case ignored) is in the library.
    bool contains(std::string_view fileName) const;

    // The full path of the library's file of this name: the exact spelling when such a file
    // exists, else the one that matches with letter case ignored; nothing when absent.
    std::optional<std::filesystem::path> pathOf(std::string_view fileName) const;

private:
    std::filesystem::path folder_;
    bool listed_ = false;
    // Upper-cased name -> the name as on disk (the first in name order when several differ only
    // in letter case).
    std::unordered_map<std::string, std::string> files_;
};

} // namespace tlx
