#pragma once
// Where the program finds what it ships with: the install folder as shipped (catalogs, movies,
// help, templates), the sample web and the Flash player's files (Ruffle). An installed program
// keeps them in ../share/tamberlux beside its bin/ folder (the page editor, in
// libexec/tamberlux/, in ../../share/tamberlux); a program run from its build tree
// finds them in the build and source trees.

#include <filesystem>

namespace tlx {

struct ShippedData {
    std::filesystem::path installSeed; // the install folder as shipped
    std::filesystem::path sampleWeb;   // the sample web, with its movies
    std::filesystem::path ruffle;      // ruffle.js and its WebAssembly
};

// The data folder of an installed program whose executable lies in `executableFolder`:
// executableFolder/../share/tamberlux, or ../../share/tamberlux for a folder named tamberlux
// (libexec/tamberlux/, where the page editor's executable is installed).
std::filesystem::path InstalledDataFolder(const std::filesystem::path& executableFolder);

// Each of the three taken from the installed data folder where it exists there, else from
// `buildTree`.
ShippedData FindShippedData(const std::filesystem::path& executableFolder,
                            const ShippedData& buildTree);

// The folder of the running executable (from /proc/self/exe); empty when it cannot be told.
std::filesystem::path ExecutableFolder();

// The shipped data of this program, found once at first use.
const ShippedData& ThisProgramsShippedData();

} // namespace tlx
