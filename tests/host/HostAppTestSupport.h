#pragma once
// Temporary folders and file helpers for the host model's tests: those of common/.

#include "common/TempFolder.h"

#include <filesystem>
#include <string>

namespace tlx::host::test {

using TempDir = tlx::testing::TempFolder;
using tlx::testing::readFile;
using tlx::testing::writeFile;

inline int countEntries(const std::filesystem::path& folder) {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

} // namespace tlx::host::test
