#include "platform/Zip.h"

#include <zip.h>

namespace tlx {

namespace {

// Entries are read whole into memory; one larger than this is treated as unreadable rather
// than trusted (an entry's stated size comes from the archive).
constexpr zip_uint64_t kMaxEntryBytes = zip_uint64_t{1} << 30;

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

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
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat(archive_.get(), entryName.c_str(), ZIP_FL_ENC_RAW, &stat) != 0 ||
            !(stat.valid & ZIP_STAT_SIZE) || stat.size > kMaxEntryBytes)
            return std::nullopt;
        std::unique_ptr<zip_file_t, ZipFileCloser> file(
            zip_fopen(archive_.get(), entryName.c_str(), ZIP_FL_ENC_RAW));
        if (!file)
            return std::nullopt;
        std::string bytes;
        bytes.resize(static_cast<std::size_t>(stat.size));
        zip_uint64_t done = 0;
        while (done < stat.size) {
            const zip_int64_t got = zip_fread(file.get(), bytes.data() + done, stat.size - done);
            if (got <= 0)
                return std::nullopt; // truncated or failed check sum
            done += static_cast<zip_uint64_t>(got);
        }
        return bytes;
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
