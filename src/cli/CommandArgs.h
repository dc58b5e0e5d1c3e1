#pragma once
// What the headless commands share in reading their arguments.

#include "cli/Commands.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <stdexcept>

namespace tlx::app {

// A problem with a command's arguments: reported, exit 2, nothing touched.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reads "--install DIR" or "--install=DIR" at args[i] into `install` (moving `i` past the
// folder); false when args[i] is something else. Throws UsageError when the folder is missing.
inline bool TakeInstallOption(const Args& args, std::size_t& i,
                              std::optional<std::filesystem::path>& install) {
    const std::string& arg = args[i];
    if (arg == "--install") {
        if (i + 1 >= args.size())
            throw UsageError("--install needs a folder");
        install = std::filesystem::path(args[++i]);
        return true;
    }
    if (arg.starts_with("--install=")) {
        install = std::filesystem::path(arg.substr(10));
        return true;
    }
    return false;
}

} // namespace tlx::app
