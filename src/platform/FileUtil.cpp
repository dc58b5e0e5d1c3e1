#include "platform/FileUtil.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <unistd.h>
#include <vector>

namespace tlx {

namespace fs = std::filesystem;

namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string errnoText(int error) {
    return std::strerror(error);
}

std::string temporaryName(const fs::path& target) {
    std::random_device device;
    std::uniform_int_distribution<unsigned> digits(0, 0xFFFFFF);
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%06x", digits(device));
    return "." + target.filename().string() + ".tmp-" + suffix;
}

} // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

std::optional<fs::path> FindNoCase(const fs::path& folder, const std::string& name) {
    if (name.empty() || name == "." || name == "..")
        return std::nullopt;
    std::error_code error;
    const fs::path exact = folder / name;
    if (fs::exists(fs::symlink_status(exact, error)))
        return exact;
    std::vector<std::string> matches;
    fs::directory_iterator it(folder, error);
    if (error)
        return std::nullopt;
    for (const fs::directory_iterator end; it != end; it.increment(error)) {
        if (error)
            break;
        const std::string entry = it->path().filename().string();
        if (EqualsNoCase(entry, name))
            matches.push_back(entry);
    }
    if (matches.empty())
        return std::nullopt;
    std::sort(matches.begin(), matches.end());
    return folder / matches.front();
}

fs::path ResolveNoCase(const fs::path& folder, const std::string& relative) {
    fs::path result = folder;
    std::size_t start = 0;
    while (start <= relative.size()) {
        const std::size_t end = relative.find_first_of("/\\", start);
        const std::string name =
            relative.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!name.empty()) {
            if (auto found = FindNoCase(result, name))
                result = *found;
            else
                result /= name;
        }
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return result;
}

std::optional<std::string> ReadFileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes;
    std::error_code error;
    const auto size = fs::file_size(path, error);
    if (!error)
        bytes.reserve(static_cast<std::size_t>(size));
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (in.bad())
        return std::nullopt;
    return bytes;
}

std::string WriteFileAtomically(const fs::path& path, std::string_view bytes) {
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    const fs::path temporary = folder / temporaryName(path);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return temporary.string() + ": " + errnoText(errno);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0) {
            const int error = errno;
            ::close(fd);
            ::unlink(temporary.c_str());
            return path.string() + ": " + errnoText(error);
        }
        done += static_cast<std::size_t>(wrote);
    }
    int error = ::fsync(fd) == 0 ? 0 : errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return path.string() + ": " + errnoText(error);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return path.string() + ": " + errnoText(error);
    }
    return {};
}

std::vector<std::string_view> SplitLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(bytes.substr(start));
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 1;
        if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n')
            ++start;
    }
    return lines;
}

} // namespace tlx
