#include "catalog/LibraryFolder.h"

#include "markup/TextHelpers.h"
#include "platform/FileUtil.h"

#include <system_error>

namespace tlx {

namespace fs = std::filesystem;

namespace {

// A catalog line written with a backslash between names means a subfolder, as "/" does; a library
// file whose own name holds a backslash would also become a broken address once copied next to
// a page, so neither counts as a bare name.
bool IsBareName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string_view::npos;
}

} // namespace

LibraryFolder LibraryFolder::Scan(const fs::path& folder) {
    LibraryFolder library;
    library.folder_ = folder;
    std::optional<std::vector<std::string>> names = RegularFileNames(folder);
    if (!names)
        return library;
    library.listed_ = true;
    library.files_.reserve(names->size());
    for (std::string& name : *names) {
        auto [slot, added] = library.files_.try_emplace(UpperCase(name), name);
        if (!added && name < slot->second)
            slot->second = std::move(name);
    }
    return library;
}

fs::path LibraryFolder::Locate(const fs::path& installFolder) {
    return ResolveNoCase(installFolder, "FlashMovies");
}

bool LibraryFolder::contains(std::string_view fileName) const {
    return IsBareName(fileName) && files_.contains(UpperCase(fileName));
}

std::optional<fs::path> LibraryFolder::pathOf(std::string_view fileName) const {
    if (!IsBareName(fileName))
        return std::nullopt;
    const auto it = files_.find(UpperCase(fileName));
    if (it == files_.end())
        return std::nullopt;
    if (it->second != fileName) {
        std::error_code ec;
        const fs::path exact = folder_ / std::string(fileName);
        if (fs::is_regular_file(exact, ec))
            return exact;
    }
    return folder_ / it->second;
}

} // namespace tlx
