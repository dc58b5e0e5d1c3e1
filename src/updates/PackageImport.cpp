#include "updates/PackageImport.h"

#include "markup/TextHelpers.h"
#include "platform/FileUtil.h"
#include "platform/Log.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <map>
#include <new>
#include <random>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>
#include <utility>

namespace tlx {

namespace fs = std::filesystem;

namespace {

struct SectionCatalog {
    std::string_view section;
    std::string_view catalog;
};

constexpr std::array<SectionCatalog, 8> kSectionCatalogs{{
    {"TextEffects", "teffects.kqz"},
    {"BannerBackgrounds", "backgrnds.kqz"},
    {"MovieMusic", "mcmusic.kqz"},
    {"Sound", "sounds.kqz"},
    {"Buttons", "buttons.kqz"},
    {"Headings", "headings.kqz"},
    {"Movies", "movies.kqz"},
    {"Misc", "miscflash.kqz"},
}};

// An entry to unpack: the archive entry whose bytes are unpacked, the name it gets in the
// library folder, and, once unpacked, its temporary file there.
struct PackageFile {
    std::string entry;
    std::string name;
    fs::path temporary;
    fs::path target;
    fs::path replaced; // where the file it replaces was moved while the import runs
    bool placed = false;
};

// The files of a package as they will stand in the library folder once unpacked: entries that
// land on the same name (ignoring letter case) leave the last one's bytes under the first
// one's name.
std::vector<PackageFile> planFiles(const std::vector<std::pair<std::string, std::string>>& named) {
    std::vector<PackageFile> files;
    std::map<std::string, std::size_t> index;
    for (const auto& [entry, name] : named) {
        const std::string key = UpperCase(name);
        if (auto it = index.find(key); it != index.end()) {
            files[it->second].entry = entry;
            continue;
        }
        index.emplace(key, files.size());
        files.push_back(PackageFile{entry, name, {}, {}, {}, false});
    }
    return files;
}

std::string errnoText() {
    return std::strerror(errno);
}

// A free hidden name beside `target` for a file of this import ("tmp" for unpacked bytes,
// "old" for a replaced file kept until the import is done). The caller creates it
// exclusively, so a name taken in between is no danger.
fs::path besideName(const fs::path& target, const char* kind) {
    std::random_device random;
    std::uniform_int_distribution<unsigned> digits(0, 0xFFFFFF);
    for (int attempt = 0; attempt < 64; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%06x", digits(random));
        fs::path candidate =
            target.parent_path() / ("." + target.filename().string() + "." + kind + "-" + suffix);
        struct stat existing {};
        if (::lstat(candidate.c_str(), &existing) != 0 && errno == ENOENT)
            return candidate;
    }
    throw std::runtime_error("no free temporary name beside " + target.string());
}

void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Flushes every unpacked file of the folder's file system to the disk in one call, so that no
// file is moved into place before its bytes are on the disk.
std::string syncFileSystem(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return folder.string() + ": " + errnoText();
    const int synced = ::syncfs(fd);
    const std::string why = synced != 0 ? folder.string() + ": cannot flush: " + errnoText() : "";
    ::close(fd);
    return why;
}

// The library side of one import: what was unpacked and placed, undone unless committed.
class LibraryChange {
public:
    explicit LibraryChange(fs::path library) : library_(std::move(library)) {}
    LibraryChange(const LibraryChange&) = delete;
    LibraryChange& operator=(const LibraryChange&) = delete;
    ~LibraryChange() {
        if (!committed_)
            rollBack();
    }

    std::vector<PackageFile> files;

    // Makes the library folder when there is none (removed again by a roll-back).
    std::string prepareFolder() {
        std::error_code error;
        if (fs::is_directory(library_, error))
            return {};
        if (!fs::create_directories(library_, error) || error)
            return "Cannot create " + library_.string() + ": " + error.message();
        createdFolder_ = true;
        return {};
    }

    // Moves every unpacked file into place. A file or link standing there is moved aside
    // first (a link is replaced, never followed); a folder standing there fails the import.
    std::string place() {
        if (std::string problem = syncFileSystem(library_); !problem.empty())
            return problem;
        for (auto& file : files) {
            struct stat existing {};
            if (::lstat(file.target.c_str(), &existing) == 0) {
                if (S_ISDIR(existing.st_mode))
                    return file.target.string() + " is a folder, not a file";
                file.replaced = besideName(file.target, "old");
                if (::rename(file.target.c_str(), file.replaced.c_str()) != 0) {
                    const std::string why =
                        file.target.string() + ": cannot replace the file: " + errnoText();
                    file.replaced.clear();
                    return why;
                }
            } else if (errno != ENOENT) {
                return file.target.string() + ": " + errnoText();
            }
            if (::rename(file.temporary.c_str(), file.target.c_str()) != 0) {
                const std::string why =
                    file.target.string() + ": cannot move the file into place: " + errnoText();
                if (!file.replaced.empty() &&
                    ::rename(file.replaced.c_str(), file.target.c_str()) == 0)
                    file.replaced.clear();
                return why;
            }
            file.temporary.clear();
            file.placed = true;
        }
        syncFolder(library_);
        return {};
    }

    // Keeps what was placed and drops the replaced files.
    void commit() {
        committed_ = true;
        for (const auto& file : files)
            if (!file.replaced.empty() && ::unlink(file.replaced.c_str()) != 0)
                LogWarning("PackageImport",
                           "cannot remove " + file.replaced.string() + ": " + errnoText());
    }

private:
    // Puts the library back as it was before the import; goes on past every failure.
    void rollBack() noexcept {
        for (auto it = files.rbegin(); it != files.rend(); ++it) {
            PackageFile& file = *it;
            if (!file.temporary.empty())
                ::unlink(file.temporary.c_str());
            if (file.placed)
                ::unlink(file.target.c_str());
            if (!file.replaced.empty() &&
                ::rename(file.replaced.c_str(), file.target.c_str()) != 0) {
                const int error = errno;
                try {
                    LogWarning("PackageImport", "cannot put back " + file.target.string() +
                                                    " from " + file.replaced.string() + ": " +
                                                    std::strerror(error));
                } catch (const std::bad_alloc&) {
                    LogWarning("PackageImport", "cannot put back a replaced file");
                }
            }
        }
        if (createdFolder_) {
            std::error_code error;
            fs::remove(library_, error); // only when empty again
        }
    }

    fs::path library_;
    bool createdFolder_ = false;
    bool committed_ = false;
};

void showError(Platform& platform, std::string_view text) {
    platform.messageBox(std::string(text), MsgButtons::OkOnly, MsgIcon::Critical,
                        std::string(kImportMessageTitle));
}

ImportOutcome fail(Platform& platform, const std::string& description) {
    showError(platform, std::string(kImportFailedMessage) + "\r" + description);
    return ImportOutcome::Failed;
}

ImportOutcome refuse(Platform& platform) {
    showError(platform, kCorruptImportMessage);
    return ImportOutcome::Refused;
}

ImportOutcome tooLarge(Platform& platform, std::uint64_t limit) {
    showError(platform, std::string(kImportFailedMessage) + "\r" +
                            "The package unpacks to more than " + std::to_string(limit >> 20) +
                            " MB, more than an import takes. Nothing was imported.");
    return ImportOutcome::TooLarge;
}

// Reports progress, at most every few megabytes inside an entry; false when cancelled.
class ProgressReport {
public:
    ProgressReport(const ImportOptions& options, int total) : options_(options), total_(total) {}
    bool entry(int done) {
        nextReport_ = kStep;
        return report(done);
    }
    bool bytesOfEntry(int done, std::uint64_t bytes) {
        if (bytes < nextReport_)
            return true;
        nextReport_ = bytes + kStep;
        return report(done);
    }

private:
    static constexpr std::uint64_t kStep = std::uint64_t{4} << 20;
    bool report(int done) {
        return !options_.progress || options_.progress(ImportProgress{done, total_});
    }
    const ImportOptions& options_;
    int total_;
    std::uint64_t nextReport_ = kStep;
};

ImportOutcome importPackage(Platform& platform, const fs::path& installFolder,
                            const std::string& packagePath, const ImportOptions& options) {
    if (packagePath.empty()) {
        showError(platform, kNoFileSelectedMessage);
        return ImportOutcome::NoFileSelected;
    }

    std::error_code error;
    if (!fs::is_directory(installFolder, error))
        return fail(platform, "The install folder " + installFolder.string() + " does not exist.");

    // Every entry's name is checked before anything is unpacked.
    const auto archive = platform.openZip(packagePath);
    if (!archive)
        return refuse(platform);
    std::vector<std::pair<std::string, std::string>> named;
    for (const auto& entry : archive->entries()) {
        const auto name = UnpackName(entry);
        if (!name)
            return refuse(platform);
        if (!name->empty())
            named.emplace_back(entry, *name);
    }
    std::vector<PackageFile> files = planFiles(named);
    const auto dataFile = std::find_if(files.begin(), files.end(), [](const PackageFile& file) {
        return file.name == kImportDataFile;
    });
    if (dataFile == files.end())
        return refuse(platform);
    // The data file is unpacked first: it decides what the rest is for.
    std::rotate(files.begin(), dataFile, dataFile + 1);

    // What the archive states is enough to refuse a package at once; what it unpacks to is
    // counted below all the same.
    std::uint64_t stated = 0;
    for (const auto& file : files)
        if (const auto size = archive->declaredSize(file.entry))
            stated += std::min(*size, options.maxUnpackedBytes + 1);
    if (stated > options.maxUnpackedBytes)
        return tooLarge(platform, options.maxUnpackedBytes);

    const fs::path library = ResolveNoCase(installFolder, std::string(kLibraryFolderName));
    LibraryChange change(library);
    if (const std::string problem = change.prepareFolder(); !problem.empty())
        return fail(platform, problem);
    change.files = std::move(files);

    // Unpack every entry beside its place.
    const int total = static_cast<int>(change.files.size());
    ProgressReport progress(options, total);
    if (!progress.entry(0))
        return ImportOutcome::Cancelled;
    std::uint64_t unpacked = 0;
    for (int i = 0; i < total; ++i) {
        PackageFile& file = change.files[static_cast<std::size_t>(i)];
        file.target = ResolveNoCase(library, file.name);
        const fs::path temporary = besideName(file.target, "tmp");
        const ZipExtraction result = archive->extractToFile(
            file.entry, temporary.string(), options.maxUnpackedBytes - unpacked,
            [&](std::uint64_t bytes) { return progress.bytesOfEntry(i, bytes); });
        switch (result.status) {
        case ZipExtraction::Status::Done:
            break;
        case ZipExtraction::Status::Unreadable:
            return refuse(platform);
        case ZipExtraction::Status::OverLimit:
            return tooLarge(platform, options.maxUnpackedBytes);
        case ZipExtraction::Status::WriteFailed:
            return fail(platform, result.error);
        case ZipExtraction::Status::Stopped:
            return ImportOutcome::Cancelled;
        }
        file.temporary = temporary;
        // An archive that states another size than its entry has is damaged or forged.
        if (const auto declared = archive->declaredSize(file.entry);
            declared && *declared != result.bytes)
            return refuse(platform);
        unpacked += result.bytes;
        if (!progress.entry(i + 1))
            return ImportOutcome::Cancelled;
    }

    // The data file names the catalog and its new lines.
    const auto dataBytes = ReadFileBytes(change.files.front().temporary);
    if (!dataBytes)
        return fail(platform, "Cannot read the unpacked " + std::string(kImportDataFile) + ".");
    const std::vector<std::string_view> dataLines = SplitLines(*dataBytes);
    const std::string section =
        dataLines.empty() ? std::string() : TextBetween(dataLines[0], "[", "]");
    std::optional<fs::path> catalogPath;
    if (const auto catalogName = CatalogForSection(section))
        catalogPath = FindNoCase(installFolder, *catalogName);
    std::optional<std::string> newCatalog;
    if (catalogPath) {
        auto catalog = ReadFileBytes(*catalogPath);
        if (!catalog)
            return fail(platform, "Cannot read " + catalogPath->string() + ".");
        const std::vector<std::string> additions(dataLines.begin() + 1, dataLines.end());
        const std::vector<std::string_view> catalogLines = SplitLines(*catalog);
        const auto lines = NewCatalogLines(
            std::vector<std::string>(catalogLines.begin(), catalogLines.end()), additions);
        newCatalog = AppendCatalogLines(std::move(*catalog), lines);
    }

    // Everything is unpacked and checked: move it into place, then write the catalog.
    if (const std::string problem = change.place(); !problem.empty())
        return fail(platform, problem);
    if (!newCatalog) {
        // The movies stay in the library, as they would have been unpacked anyway.
        change.commit();
        showError(platform, kBadDataFileMessage);
        return ImportOutcome::BadDataFile;
    }
    if (const Result<> written = WriteFileAtomically(*catalogPath, *newCatalog); !written)
        return fail(platform, written.error());
    change.commit();

    platform.messageBox(std::string(kImportDoneMessage), MsgButtons::OkOnly, MsgIcon::Information,
                        std::string(kImportMessageTitle));
    return ImportOutcome::Imported;
}

} // namespace

std::optional<std::string> CatalogForSection(std::string_view section) {
    for (const auto& entry : kSectionCatalogs)
        if (entry.section == section)
            return std::string(entry.catalog);
    return std::nullopt;
}

std::optional<std::string> UnpackName(std::string_view entryName) {
    std::string path(entryName);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    if (!path.empty() && path.front() == '/')
        return std::nullopt; // absolute
    if (path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')))
        return std::nullopt; // drive letter
    int depth = 0;
    std::string last;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string name = path.substr(start, end - start);
        if (name == "..") {
            if (--depth < 0)
                return std::nullopt; // climbs out of the root
        } else if (!name.empty() && name != ".") {
            ++depth;
        }
        last = name;
        start = end + 1;
    }
    // A folder entry ("sub/"), or a path ending in "." or "..", names no file.
    if (last.empty() || last == "." || last == "..")
        return std::string();
    return last;
}

std::vector<std::string> NewCatalogLines(const std::vector<std::string>& catalogLines,
                                         const std::vector<std::string>& dataFileLines) {
    // Lines appended now are not added to the set: a line repeated in the data file is
    // appended each time.
    const std::unordered_set<std::string_view> present(catalogLines.begin(), catalogLines.end());
    std::vector<std::string> result;
    for (const auto& line : dataFileLines)
        if (!line.empty() && !present.contains(line))
            result.push_back(line);
    return result;
}

std::string AppendCatalogLines(std::string catalog, const std::vector<std::string>& lines) {
    for (const auto& line : lines) {
        catalog += '\r';
        catalog += line;
    }
    return catalog;
}

ImportOutcome ImportPackage(Platform& platform, const fs::path& installFolder,
                            const std::string& packagePath, const ImportOptions& options) {
    // The message itself must not let a failure escape either.
    const auto failQuietly = [&](const std::string& description) {
        try {
            return fail(platform, description);
        } catch (const std::exception&) {
            LogCurrentException("ImportPackage: the failure message");
            return ImportOutcome::Failed;
        }
    };
    try {
        return importPackage(platform, installFolder, packagePath, options);
    } catch (const std::bad_alloc&) {
        LogCurrentException("ImportPackage");
        return failQuietly("Not enough memory to unpack the package.");
    } catch (const std::exception&) {
        // A file that cannot be read or written, say: the user is told why.
        return failQuietly(LogCurrentException("ImportPackage"));
    }
}

} // namespace tlx
