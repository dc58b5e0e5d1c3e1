#include "platform/Zip.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>
#include <zip.h>

namespace tlx {

namespace {

// Entries read whole into memory are small ones (data files, catalogs); a larger one is
// treated as unreadable rather than held.
constexpr std::uint64_t kMaxReadBytes = std::uint64_t{16} << 20;
// The piece streamed at a time.
constexpr std::size_t kPieceBytes = std::size_t{64} << 10;

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

using ZipFile = std::unique_ptr<zip_file_t, ZipFileCloser>;

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t wrote = ::write(fd, data, size);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        data += wrote;
        size -= static_cast<std::size_t>(wrote);
    }
    return true;
}

class LibzipArchive : public ZipArchive {
public:
    explicit LibzipArchive(zip_t* archive) : archive_(archive) {}

    std::vector<std::string> entries() const override {
        std::vector<std::string> names;
        const zip_int64_t count = zip_get_num_entries(archive_.get(), 0);
        for (zip_int64_t i = 0; i < count; ++i) {
            const char* name =
                zip_get_name(archive_.get(), static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
            if (name)
                names.emplace_back(name);
        }
        return names;
    }

    std::optional<std::string> read(const std::string& entryName) const override {
        ZipFile file(zip_fopen(archive_.get(), entryName.c_str(), ZIP_FL_ENC_RAW));
        if (!file)
            return std::nullopt;
        // Grown as the bytes arrive: the stated size is not trusted for an allocation.
        std::string bytes;
        std::vector<char> piece(kPieceBytes);
        for (;;) {
            const zip_int64_t got = zip_fread(file.get(), piece.data(), piece.size());
            if (got < 0)
                return std::nullopt; // truncated or failed check sum
            if (got == 0)
                return bytes;
            if (bytes.size() + static_cast<std::uint64_t>(got) > kMaxReadBytes)
                return std::nullopt;
            bytes.append(piece.data(), static_cast<std::size_t>(got));
        }
    }

    std::optional<std::uint64_t> declaredSize(const std::string& entryName) const override {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat(archive_.get(), entryName.c_str(), ZIP_FL_ENC_RAW, &stat) != 0 ||
            !(stat.valid & ZIP_STAT_SIZE))
            return std::nullopt;
        return stat.size;
    }

    ZipExtraction extractToFile(const std::string& entryName, const std::string& path,
                                std::uint64_t maxBytes,
                                const std::function<bool(std::uint64_t)>& onPiece) const override {
        ZipExtraction result;
        ZipFile file(zip_fopen(archive_.get(), entryName.c_str(), ZIP_FL_ENC_RAW));
        if (!file) {
            result.error = zip_strerror(archive_.get());
            return result;
        }
        const int fd =
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) {
            result.status = ZipExtraction::Status::WriteFailed;
            result.error = path + ": cannot create the file: " + std::strerror(errno);
            return result;
        }
        const auto end = [&](ZipExtraction::Status status, std::string error) {
            ::close(fd);
            ::unlink(path.c_str());
            result.status = status;
            result.error = std::move(error);
            return result;
        };
        std::vector<char> piece(kPieceBytes);
        for (;;) {
            const zip_int64_t got = zip_fread(file.get(), piece.data(), piece.size());
            if (got < 0)
                return end(ZipExtraction::Status::Unreadable, zip_file_strerror(file.get()));
            if (got == 0)
                break;
            const auto size = static_cast<std::uint64_t>(got);
            if (result.bytes + size > maxBytes)
                return end(ZipExtraction::Status::OverLimit, {});
            if (!writeAll(fd, piece.data(), static_cast<std::size_t>(got)))
                return end(ZipExtraction::Status::WriteFailed,
                           path + ": cannot write the file: " + std::strerror(errno));
            result.bytes += size;
            if (onPiece && !onPiece(result.bytes))
                return end(ZipExtraction::Status::Stopped, {});
        }
        if (::close(fd) != 0) {
            const std::string why = path + ": cannot close the file: " + std::strerror(errno);
            ::unlink(path.c_str());
            result.status = ZipExtraction::Status::WriteFailed;
            result.error = why;
            return result;
        }
        result.status = ZipExtraction::Status::Done;
        return result;
    }

private:
    std::unique_ptr<zip_t, ZipCloser> archive_;
};

} // namespace

std::unique_ptr<ZipArchive> openZipFile(const std::string& path) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive)
        return nullptr;
    return std::make_unique<LibzipArchive>(archive);
}

} // namespace tlx
