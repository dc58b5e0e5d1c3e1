#include "app/InstallFolder.h"

#include "platform/ShippedData.h"

#include <algorithm>
#include <cstdlib>

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

void seedFolder(const fs::path& from, const fs::path& to, SeedReport& report) {
    std::error_code error;
    const auto entries = sortedEntries(from, error);
    if (error) {
        report.problems.push_back(from.string() + ": " + error.message());
        return;
    }
    for (const auto& source : entries) {
        const std::string name = source.filename().string();
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
            seedFolder(source, folder, report);
        } else if (fs::is_regular_file(status)) {
            if (existing) {
                ++report.kept;
                continue;
            }
            const auto bytes = ReadFileBytes(source);
            if (!bytes) {
                report.problems.push_back(source.string() + ": cannot be read");
                continue;
            }
            if (const auto problem = WriteFileAtomically(to / name, *bytes); !problem.empty())
                report.problems.push_back(problem);
            else
                ++report.copied;
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
    seedFolder(shipped, target, report);
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
