#include "catalog/CatalogText.h"

#include <algorithm>
#include <fstream>
#include <system_error>
#include <vector>

namespace tlx::catalog_detail {

namespace fs = std::filesystem;

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = LowerAscii(c);
    return out;
}

std::size_t FindIgnoringCase(std::string_view source, std::string_view marker, std::size_t from) {
    if (from > source.size())
        return std::string_view::npos;
    const bool hasLetters = std::any_of(marker.begin(), marker.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    });
    if (!hasLetters)
        return source.find(marker, from);
    const auto it =
        std::search(source.begin() + std::ptrdiff_t(from), source.end(), marker.begin(),
                    marker.end(), [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
    return it == source.end() && !marker.empty() ? std::string_view::npos
                                                 : std::size_t(it - source.begin());
}

std::string TextBetween(std::string_view source, std::string_view startMarker,
                        std::string_view endMarker) {
    const std::size_t s = FindIgnoringCase(source, startMarker);
    if (s == std::string_view::npos)
        return {};
    const std::size_t from = s + startMarker.size();
    const std::size_t e = FindIgnoringCase(source, endMarker, from);
    if (e == std::string_view::npos)
        return {};
    return std::string(source.substr(from, e - from));
}

std::string ReplaceText(std::string_view source, std::string_view find,
                        std::string_view replacement) {
    if (find.empty())
        return std::string(source);
    std::string out;
    out.reserve(source.size());
    std::size_t pos = 0;
    for (;;) {
        const std::size_t hit = FindIgnoringCase(source, find, pos);
        if (hit == std::string_view::npos)
            break;
        out.append(source.substr(pos, hit - pos));
        out.append(replacement);
        pos = hit + find.size();
    }
    out.append(source.substr(pos));
    return out;
}

FileBytes ReadFileBytes(const fs::path& path) {
    FileBytes result;
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (st.type() == fs::file_type::not_found) {
        // A missing file in an existing folder is simply absent; a missing folder is a failure.
        const fs::path parent = path.parent_path().empty() ? fs::path(".") : path.parent_path();
        if (fs::is_directory(parent, ec)) {
            result.status = FileRead::Missing;
            result.problem = "no such file";
        } else {
            result.status = FileRead::Failed;
            result.problem = "its folder does not exist";
        }
        return result;
    }
    if (ec) {
        result.status = FileRead::Failed;
        result.problem = ec.message();
        return result;
    }
    if (fs::is_directory(st)) {
        result.status = FileRead::Failed;
        result.problem = "it is a folder, not a file";
        return result;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.status = FileRead::Failed;
        result.problem = "it cannot be opened for reading";
        return result;
    }
    // Read in large blocks: the size is only a hint, the file may change while it is read.
    constexpr std::size_t kBlock = 1 << 16;
    const auto size = fs::file_size(path, ec);
    result.bytes.reserve(ec ? kBlock : std::size_t(size) + 1);
    std::size_t used = 0;
    while (in) {
        result.bytes.resize(used + kBlock);
        in.read(result.bytes.data() + used, std::streamsize(kBlock));
        used += std::size_t(in.gcount());
    }
    result.bytes.resize(used);
    if (in.bad()) {
        result.status = FileRead::Failed;
        result.problem = "reading it failed";
        result.bytes.clear();
        return result;
    }
    result.status = FileRead::Read;
    return result;
}

std::optional<fs::path> FindEntryIgnoringCase(const fs::path& folder, std::string_view name) {
    if (name.empty() || name.find('/') != std::string_view::npos)
        return std::nullopt;
    std::error_code ec;
    const fs::path exact = folder / std::string(name);
    if (fs::exists(fs::symlink_status(exact, ec)))
        return exact;
    const std::string wanted = LowerAscii(name);
    std::vector<std::string> matches;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (LowerAscii(entry) == wanted)
            matches.push_back(std::move(entry));
    }
    if (matches.empty())
        return std::nullopt;
    return folder / *std::min_element(matches.begin(), matches.end());
}

fs::path ResolveIgnoringCase(const fs::path& path) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(path, ec)))
        return path;
    const fs::path parent = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    if (auto found = FindEntryIgnoringCase(parent, path.filename().string()))
        return path.parent_path().empty() ? found->filename() : *found;
    return path;
}

} // namespace tlx::catalog_detail
