#include "platform/FileUtil.h"

#include "platform/Log.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
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

// Temporary files of this writer that nothing has touched for this long were left by a run
// that ended between writing and renaming: a running writer renames within moments of its
// last write.
constexpr std::time_t kAbandonedAfterSeconds = 120;

// Removes the abandoned temporary files of this writer in `folder`: ours by name and owner,
// regular files, untouched for a while. Failures are left for the next time.
void removeAbandonedTemporaries(const fs::path& folder) {
    // Run before every write, also in folders of thousands of files: names are tested as the
    // listing gives them, and only a temporary's name costs a status call.
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] != '.' || !IsAtomicWriteTemporaryName(name))
            continue;
        struct stat info {};
        if (::fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
            info.st_uid != ::geteuid() || now - info.st_mtime < kAbandonedAfterSeconds)
            continue;
        if (::unlinkat(dirFd, name, 0) != 0)
            LogWarning("WriteFileAtomically", "cannot remove the abandoned " +
                                                  (folder / name).string() + ": " +
                                                  errnoText(errno));
    }
    ::closedir(dir);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

std::string PercentDecoded(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
            hexValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

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

std::optional<std::vector<std::string>> RegularFileNames(const fs::path& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return std::nullopt;
    const int dirFd = ::dirfd(dir);
    std::vector<std::string> names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry)
            break;
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        bool regular = entry->d_type == DT_REG;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat status {};
            regular = ::fstatat(dirFd, name, &status, 0) == 0 && S_ISREG(status.st_mode);
        }
        if (regular)
            names.emplace_back(name);
    }
    const int error = errno;
    ::closedir(dir);
    if (error != 0) {
        LogWarning("RegularFileNames", folder.string() + ": " + errnoText(error));
        return std::nullopt;
    }
    return names;
}

Result<std::string> ReadFileBytes(const fs::path& path) {
    // Only regular files: reading a pipe or a device could block or never end (and opening
    // some devices does something), so the kind is asked before the open, and again of what
    // was opened.
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec || !fs::exists(status))
        return Fail(path.string() + ": " + (ec ? ec.message() : "no such file"));
    if (!fs::is_regular_file(status))
        return Fail(path.string() + " is not a file");
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return Fail("cannot open " + path.string() + ": " + errnoText(errno));
    const struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode))
        return Fail(path.string() + " is not a file");
    // Read straight into the result, sized by the file; a file that grows meanwhile is read
    // to its end all the same.
    std::string bytes(static_cast<std::size_t>(std::max<off_t>(opened.st_size, 0)) + 1, '\0');
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.size())
            bytes.resize(bytes.size() * 2);
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Fail("cannot read " + path.string() + ": " + errnoText(errno));
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

bool IsAtomicWriteTemporaryName(std::string_view name) {
    // "." + the file's name + ".tmp-" + six hexadecimal digits
    constexpr std::string_view marker = ".tmp-";
    if (name.size() < 1 + 1 + marker.size() + 6 || name.front() != '.')
        return false;
    const std::string_view digits = name.substr(name.size() - 6);
    if (name.substr(name.size() - 6 - marker.size(), marker.size()) != marker)
        return false;
    return std::all_of(digits.begin(), digits.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

Result<> WriteFileAtomically(const fs::path& requested, std::string_view bytes, LinkPolicy links) {
    try {
        std::error_code ec;
        fs::path target = requested;
        // A followed link: its destination gets the new bytes, the link stays. A replaced
        // one is renamed over like a file.
        if (links == LinkPolicy::Follow && fs::is_symlink(fs::symlink_status(requested, ec))) {
            target = fs::canonical(requested, ec);
            if (ec)
                return Fail("cannot follow the link " + requested.string());
        }
        if (target.filename().empty())
            return Fail("no file name in " + requested.string());
        struct stat existing {};
        const bool exists = (links == LinkPolicy::Follow ? ::stat(target.c_str(), &existing)
                                                         : ::lstat(target.c_str(), &existing)) == 0;
        const bool isLink = exists && S_ISLNK(existing.st_mode);
        if (exists && !isLink && !S_ISREG(existing.st_mode))
            return Fail(target.string() + " is not a file");

        const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
        removeAbandonedTemporaries(folder);
        fs::path temporary;
        int fd = -1;
        for (int attempt = 0; attempt < 20 && fd < 0; ++attempt) {
            temporary = folder / temporaryName(target);
            fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0 && errno != EEXIST)
                break;
        }
        if (fd < 0)
            return Fail("cannot write in " + folder.string() + ": " + errnoText(errno));
        const auto fail = [&](const char* what) {
            const std::string text = target.string() + ": " + what + ": " + errnoText(errno);
            if (fd >= 0)
                ::close(fd);
            ::unlink(temporary.c_str());
            return text;
        };
        // An existing file keeps its permission bits.
        if (exists && !isLink && ::fchmod(fd, existing.st_mode & 07777) != 0)
            return Fail(fail("cannot keep the file's permissions"));
        for (std::string_view rest = bytes; !rest.empty();) {
            const ssize_t wrote = ::write(fd, rest.data(), rest.size());
            if (wrote < 0 && errno == EINTR)
                continue;
            if (wrote <= 0)
                return Fail(fail("cannot write the file"));
            rest.remove_prefix(static_cast<std::size_t>(wrote));
        }
        if (::fsync(fd) != 0)
            return Fail(fail("cannot flush the file"));
        const int closing = ::close(fd);
        fd = -1;
        if (closing != 0)
            return Fail(fail("cannot close the file"));
        if (::rename(temporary.c_str(), target.c_str()) != 0)
            return Fail(fail("cannot replace the file"));
        // Make the rename itself durable; a failure here no longer endangers the file.
        const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folderFd >= 0) {
            ::fsync(folderFd);
            ::close(folderFd);
        }
        return {};
    } catch (const std::exception& e) {
        return Fail(requested.string() + ": " + e.what());
    }
}

std::vector<std::string_view> SplitLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    const auto lineEnd = [&bytes](std::size_t from) {
        for (std::size_t i = from; i < bytes.size(); ++i)
            if (bytes[i] == '\r' || bytes[i] == '\n')
                return i;
        return std::string_view::npos;
    };
    while (start < bytes.size()) {
        const std::size_t end = lineEnd(start);
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
