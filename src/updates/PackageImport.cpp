#include "updates/PackageImport.h"

#include "markup/TextHelpers.h"
#include "platform/FileUtil.h"
#include "platform/Log.h"

#include <array>
#include <exception>
#include <map>
#include <new>
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

// A file to unpack: its name in the library folder and its bytes.
struct PackageFile {
    std::string name;
    std::string bytes;
};

// The files of a package as they will stand in the library folder once unpacked: entries that
// land on the same name (ignoring letter case) leave the last one's bytes under the first
// one's position.
class PackageFiles {
public:
    void put(std::string name, std::string bytes) {
        const std::string key = UpperCase(name);
        if (auto it = index_.find(key); it != index_.end()) {
            files_[it->second].bytes = std::move(bytes);
            return;
        }
        index_.emplace(key, files_.size());
        files_.push_back(PackageFile{std::move(name), std::move(bytes)});
    }
    // The bytes unpacked under exactly this name, if the package has it.
    const std::string* exact(std::string_view name) const {
        for (const auto& file : files_)
            if (file.name == name)
                return &file.bytes;
        return nullptr;
    }
    const std::vector<PackageFile>& all() const { return files_; }

private:
    std::vector<PackageFile> files_;
    std::map<std::string, std::size_t> index_;
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

// Reads every entry of the archive into memory. Nothing when the archive cannot be read
// completely or one of its entries has an unsafe path.
std::optional<PackageFiles> readPackage(Platform& platform, const std::string& packagePath) {
    const auto archive = platform.openZip(packagePath);
    if (!archive)
        return std::nullopt;
    PackageFiles files;
    for (const auto& entry : archive->entries()) {
        const auto name = UnpackName(entry);
        if (!name)
            return std::nullopt;
        if (name->empty())
            continue;
        auto bytes = archive->read(entry);
        if (!bytes)
            return std::nullopt;
        files.put(*name, std::move(*bytes));
    }
    return files;
}

ImportOutcome importPackage(Platform& platform, const fs::path& installFolder,
                            const std::string& packagePath) {
    if (packagePath.empty()) {
        showError(platform, kNoFileSelectedMessage);
        return ImportOutcome::NoFileSelected;
    }

    std::error_code error;
    if (!fs::is_directory(installFolder, error))
        return fail(platform, "The install folder " + installFolder.string() + " does not exist.");

    // Everything is read and checked before anything is written.
    const auto package = readPackage(platform, packagePath);
    if (!package)
        return refuse(platform);
    const std::string* dataFile = package->exact(kImportDataFile);
    if (!dataFile)
        return refuse(platform);

    const std::vector<std::string_view> dataLines = SplitLines(*dataFile);
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

    // Unpack the movies (and the data file, which stays in the library folder).
    const fs::path library = ResolveNoCase(installFolder, std::string(kLibraryFolderName));
    fs::create_directories(library, error);
    if (error)
        return fail(platform, "Cannot create " + library.string() + ": " + error.message());
    for (const auto& file : package->all()) {
        const fs::path target = ResolveNoCase(library, file.name);
        if (const std::string problem = WriteFileAtomically(target, file.bytes); !problem.empty())
            return fail(platform, problem);
    }

    if (!newCatalog) {
        showError(platform, kBadDataFileMessage);
        return ImportOutcome::BadDataFile;
    }
    if (const std::string problem = WriteFileAtomically(*catalogPath, *newCatalog);
        !problem.empty())
        return fail(platform, problem);

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
                            const std::string& packagePath) {
    // The message itself must not let a failure escape either.
    const auto failQuietly = [&](const std::string& description) {
        try {
            return fail(platform, description);
        } catch (const std::exception&) {
            LogCurrentException("ImportPackage: the failure message");
            return ImportOutcome::Failed;
        } catch (...) {
            LogCurrentException("ImportPackage: the failure message");
            return ImportOutcome::Failed;
        }
    };
    try {
        return importPackage(platform, installFolder, packagePath);
    } catch (const std::bad_alloc&) {
        LogCurrentException("ImportPackage");
        return failQuietly("Not enough memory to unpack the package.");
    } catch (const std::exception&) {
        return failQuietly(LogCurrentException("ImportPackage"));
    } catch (...) {
        LogCurrentException("ImportPackage");
        return failQuietly("Unexpected failure.");
    }
}

} // namespace tlx
