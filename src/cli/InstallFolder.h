#pragma once
// The install folder: the catalogs, the library "FlashMovies", help pages and the files the
// program keeps. Each user has a writable copy in the XDG data folder
// ($XDG_DATA_HOME/tamberlux, else ~/.local/share/tamberlux), seeded from the install folder
// the program ships with; `--install DIR` names another one. Names inside it match without
// regard to letter case: FindNoCase and ResolveNoCase (platform/FileUtil.h) look them up.

#include "platform/FileUtil.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tlx::app {

using tlx::FindNoCase;
using tlx::ResolveNoCase;

// The user's install folder for the given values of XDG_DATA_HOME and HOME (either may be
// null). XDG_DATA_HOME counts only when it is an absolute path. Nothing without either.
std::optional<std::filesystem::path> UserInstallFolder(const char* xdgDataHome, const char* home);
// The same from the environment.
std::optional<std::filesystem::path> UserInstallFolder();

// The page editor's log file for the given values of XDG_STATE_HOME and HOME:
// $XDG_STATE_HOME/tamberlux/tamberlux.log, else ~/.local/state/tamberlux/tamberlux.log.
std::optional<std::filesystem::path> LogFileFor(const char* xdgStateHome, const char* home);

// The install folder as shipped: the data files plus the built movies (installed beside the
// program, or assembled in the build tree).
std::filesystem::path ShippedInstallFolder();

// The file in an install folder that records what was copied into it from the shipped folder
// (a fingerprint of each file's bytes), so that a later version can tell its own untouched
// files from the user's.
inline constexpr const char* kSeededFileName = ".tamberlux-seeded";

struct SeedReport {
    int copied = 0;  // files copied from the shipped folder
    int updated = 0; // copied earlier, untouched since, replaced by this version's
    int kept = 0;    // files the user already had or changed (never overwritten)
    std::vector<std::string> problems; // files or folders that could not be copied
};

// Copies every file of `shipped` (and its subfolders) that `target` lacks, matching names
// without regard to letter case. A file already there is replaced only when it is still exactly
// what an earlier seeding copied (so a new version's movies, help and catalogs reach the user
// while every file the user or an import changed stays). Each file is written whole or not at
// all.
SeedReport SeedInstallFolder(const std::filesystem::path& shipped,
                             const std::filesystem::path& target);

struct InstallFolderChoice {
    std::optional<std::filesystem::path> folder; // nothing when no install folder is usable
    std::string message;                         // why not, or a warning worth showing
};

// The install folder to work with: `overrideFolder` (from --install) when given, else the
// user's folder. A missing or empty folder is created and seeded from `shipped`; the user's
// folder is also topped up with shipped files it lacks, while a named folder that already holds
// files is used as it stands. When the shipped folder is missing an existing folder is still
// used (with a warning).
InstallFolderChoice PrepareInstallFolder(const std::optional<std::filesystem::path>& overrideFolder,
                                         const std::filesystem::path& shipped,
                                         const std::optional<std::filesystem::path>& userFolder);
// The same with the shipped folder and the user's folder of this program and environment.
InstallFolderChoice
PrepareInstallFolder(const std::optional<std::filesystem::path>& overrideFolder);

} // namespace tlx::app
