#include "cli/InstallFolder.h"

#include "platform/Log.h"
#include "platform/ShippedData.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <map>

namespace tlx::app {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFolderName = "tamberlux";

std::vector<fs::path> sortedEntries(const fs::path& folder, std::error_code& error) {
    std::vector<fs::path> entries;
    fs::directory_iterator it(folder, error);
    for (const fs::directory_iterator end; !error && it != end; it.increment(error))
        entries.push_back(it->path());
    std::sort(entries.begin(), entries.end());
    return entries;
}

// A stable fingerprint of a file's bytes (64-bit FNV-1a), written in hexadecimal.
std::string fingerprint(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4)
        text[static_cast<std::size_t>(i)] = kDigits[hash & 0xf];
    return text;
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// What was copied from the shipped folder: the fingerprint of each copied file by its path
// below the folder (lower case, "/" between names).
using SeededFiles = std::map<std::string, std::string>;

SeededFiles readSeeded(const fs::path& file) {
    SeededFiles seeded;
    const auto bytes = ReadFileBytes(file);
    if (!bytes)
        return seeded;
    for (const std::string_view line : SplitLines(*bytes)) {
        // "<16 hexadecimal digits> <path>"; anything else is not ours and is skipped.
        if (line.size() < 18 || line[16] != ' ')
            continue;
        const std::string_view print = line.substr(0, 16);
        if (print.find_first_not_of("0123456789abcdef") != std::string_view::npos)
            continue;
        seeded[std::string(line.substr(17))] = std::string(print);
    }
    return seeded;
}

std::string seededText(const SeededFiles& seeded) {
    std::string text;
    for (const auto& [path, print] : seeded)
        text += print + ' ' + path + '\n';
    return text;
}

struct Seeding {
    SeedReport& report;
    SeededFiles& seeded;
};

void seedFolder(const fs::path& from, const fs::path& to, const std::string& below,
                Seeding& seeding) {
    SeedReport& report = seeding.report;
    std::error_code error;
    const auto entries = sortedEntries(from, error);
    if (error) {
        report.problems.push_back(from.string() + ": " + error.message());
        return;
    }
    for (const auto& source : entries) {
        const std::string name = source.filename().string();
        const std::string key = below + lowered(name);
        const auto status = fs::status(source, error);
        const auto existing = FindNoCase(to, name);
        if (fs::is_directory(status)) {
            fs::path folder = existing.value_or(to / name);
            if (!existing && !fs::create_directory(folder, error) && error) {
                report.problems.push_back(folder.string() + ": " + error.message());
                continue;
            }
            if (!fs::is_directory(folder, error)) {
                report.problems.push_back(folder.string() + ": not a folder");
                continue;
            }
            seedFolder(source, folder, key + '/', seeding);
        } else if (fs::is_regular_file(status)) {
            const auto bytes = ReadFileBytes(source);
            if (!bytes) {
                report.problems.push_back(source.string() + ": cannot be read");
                continue;
            }
            const std::string shippedPrint = fingerprint(*bytes);
            if (existing) {
                // A file still as an earlier version shipped it takes this version's; one the
                // user (or an import) changed, or one of unknown origin, stays as it is.
                const auto own = ReadFileBytes(*existing);
                const auto was = seeding.seeded.find(key);
                const std::string ownPrint = own ? fingerprint(*own) : std::string();
                if (ownPrint == shippedPrint) {
                    seeding.seeded[key] = shippedPrint;
                } else if (own && was != seeding.seeded.end() && was->second == ownPrint) {
                    if (const Result<> written = WriteFileAtomically(*existing, *bytes); !written) {
                        report.problems.push_back(written.error());
                    } else {
                        was->second = shippedPrint;
                        ++report.updated;
                        continue;
                    }
                }
                ++report.kept;
                continue;
            }
            if (const Result<> written = WriteFileAtomically(to / name, *bytes); !written) {
                report.problems.push_back(written.error());
            } else {
                seeding.seeded[key] = shippedPrint;
                ++report.copied;
            }
        }
    }
}

} // namespace

std::optional<fs::path> UserInstallFolder(const char* xdgDataHome, const char* home) {
    if (xdgDataHome && *xdgDataHome && fs::path(xdgDataHome).is_absolute())
        return fs::path(xdgDataHome) / kFolderName;
    if (home && *home)
        return fs::path(home) / ".local" / "share" / kFolderName;
    return std::nullopt;
}

std::optional<fs::path> UserInstallFolder() {
    return UserInstallFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

std::optional<fs::path> LogFileFor(const char* xdgStateHome, const char* home) {
    if (xdgStateHome && *xdgStateHome && fs::path(xdgStateHome).is_absolute())
        return fs::path(xdgStateHome) / kFolderName / "tamberlux.log";
    if (home && *home)
        return fs::path(home) / ".local" / "state" / kFolderName / "tamberlux.log";
    return std::nullopt;
}

fs::path ShippedInstallFolder() {
    return ThisProgramsShippedData().installSeed;
}

SeedReport SeedInstallFolder(const fs::path& shipped, const fs::path& target) {
    SeedReport report;
    const fs::path record = target / kSeededFileName;
    SeededFiles seeded = readSeeded(record);
    const std::string before = seededText(seeded);
    Seeding seeding{report, seeded};
    seedFolder(shipped, target, std::string(), seeding);
    if (const std::string after = seededText(seeded); after != before) {
        if (const Result<> written = WriteFileAtomically(record, after); !written) {
            // Without the record later versions keep these files as they are: nothing is lost.
            LogWarning("install folder", written.error());
        }
    }
    return report;
}

namespace {

bool isEmptyFolder(const fs::path& folder) {
    std::error_code error;
    return fs::is_empty(folder, error) && !error;
}

// Creates `folder` when needed and seeds it from `shipped`.
InstallFolderChoice setUpFolder(const fs::path& folder, const fs::path& shipped) {
    InstallFolderChoice choice;
    std::error_code error;
    fs::create_directories(folder, error);
    if (!fs::is_directory(folder, error)) {
        choice.message = "Cannot create the install folder " + folder.string() + ".";
        return choice;
    }
    const SeedReport report = SeedInstallFolder(shipped, folder);
    choice.folder = folder;
    if (!report.problems.empty()) {
        choice.message = "Some files of the install folder could not be copied:";
        for (const auto& problem : report.problems)
            choice.message += "\n  " + problem;
    }
    return choice;
}

std::string missingShippedText(const fs::path& shipped) {
    return "The shipped install folder " + shipped.string() +
           " is missing (the build assembles it from data/install and the library's movies)";
}

} // namespace

InstallFolderChoice PrepareInstallFolder(const std::optional<fs::path>& overrideFolder,
                                         const fs::path& shipped,
                                         const std::optional<fs::path>& userFolder) {
    InstallFolderChoice choice;
    std::error_code error;
    const bool haveShipped = !shipped.empty() && fs::is_directory(shipped, error);
    if (overrideFolder) {
        // A folder that already holds files is the user's own and is used as it stands; a
        // missing or empty one is set up like the default folder.
        const bool exists = fs::exists(*overrideFolder, error);
        if (exists && !fs::is_directory(*overrideFolder, error)) {
            choice.message = "The install folder " + overrideFolder->string() + " is not a folder.";
            return choice;
        }
        if (exists && !isEmptyFolder(*overrideFolder)) {
            choice.folder = *overrideFolder;
            return choice;
        }
        if (!haveShipped) {
            if (exists) {
                choice.folder = *overrideFolder;
                choice.message = missingShippedText(shipped) + "; the empty install folder " +
                                 overrideFolder->string() + " is used as it stands.";
            } else {
                choice.message = missingShippedText(shipped) + ", so the install folder " +
                                 overrideFolder->string() + " cannot be set up.";
            }
            return choice;
        }
        return setUpFolder(*overrideFolder, shipped);
    }
    if (!userFolder) {
        choice.message = "Cannot find the user's data folder: neither XDG_DATA_HOME nor HOME is "
                         "set. Name an install folder with --install DIR.";
        return choice;
    }
    if (!haveShipped) {
        if (fs::is_directory(*userFolder, error)) {
            choice.folder = *userFolder;
            choice.message = "The shipped install folder " + shipped.string() +
                             " is missing; using " + userFolder->string() + " as it stands.";
        } else {
            choice.message = missingShippedText(shipped) + ", so " + userFolder->string() +
                             " cannot be set up. Build the program completely, or name an "
                             "install folder with --install DIR.";
        }
        return choice;
    }
    return setUpFolder(*userFolder, shipped);
}

InstallFolderChoice PrepareInstallFolder(const std::optional<fs::path>& overrideFolder) {
    return PrepareInstallFolder(overrideFolder, ShippedInstallFolder(), UserInstallFolder());
}

} // namespace tlx::app
