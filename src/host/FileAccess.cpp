#include "host/FileAccess.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace tlx::host {

namespace fs = std::filesystem;

std::optional<std::string> readFileBytes(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (in.bad())
        return std::nullopt;
    return bytes;
}

namespace {

void setError(std::string* error, std::string text) {
    if (error)
        *error = std::move(text);
}

std::string errnoText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// A name for the temporary file next to `target` that no one else is likely to use.
std::string temporaryName(const fs::path& target, std::mt19937_64& random) {
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix;
    for (int i = 0; i < 10; ++i)
        suffix += letters[random() % (sizeof letters - 1)];
    return (target.parent_path() / ("." + target.filename().string() + ".tlx-" + suffix)).string();
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

bool writeFileAtomically(const fs::path& requested, std::string_view bytes, std::string* error) {
    try {
        std::error_code ec;
        fs::path target = requested;
        if (fs::is_symlink(fs::symlink_status(requested, ec))) {
            target = fs::canonical(requested, ec);
            if (ec) {
                setError(error, "cannot follow the link " + requested.string());
                return false;
            }
        }
        if (target.filename().empty()) {
            setError(error, "no file name in " + requested.string());
            return false;
        }
        struct stat existing {};
        const bool exists = ::stat(target.c_str(), &existing) == 0;
        if (exists && !S_ISREG(existing.st_mode)) {
            setError(error, target.string() + " is not a file");
            return false;
        }

        std::mt19937_64 random(static_cast<std::uint64_t>(
            std::chrono::steady_clock::now().time_since_epoch().count() ^ ::getpid()));
        std::string temporary;
        int fd = -1;
        for (int attempt = 0; attempt < 20 && fd < 0; ++attempt) {
            temporary = temporaryName(target, random);
            fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0 && errno != EEXIST)
                break;
        }
        if (fd < 0) {
            setError(error,
                     errnoText(("cannot write in " + target.parent_path().string()).c_str()));
            return false;
        }
        const auto fail = [&](const char* what) {
            setError(error, errnoText(what));
            if (fd >= 0)
                ::close(fd);
            ::unlink(temporary.c_str());
            return false;
        };
        if (exists && ::fchmod(fd, existing.st_mode & 07777) != 0)
            return fail("cannot keep the file's permissions");
        if (!writeAll(fd, bytes))
            return fail("cannot write the file");
        if (::fsync(fd) != 0)
            return fail("cannot flush the file");
        const int closing = ::close(fd);
        fd = -1;
        if (closing != 0)
            return fail("cannot close the file");
        if (::rename(temporary.c_str(), target.c_str()) != 0)
            return fail("cannot replace the file");
        // Make the rename itself durable; a failure here no longer endangers the file.
        const int folder = ::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            ::fsync(folder);
            ::close(folder);
        }
        return true;
    } catch (const std::exception& e) {
        setError(error, e.what());
        return false;
    }
}

} // namespace tlx::host
