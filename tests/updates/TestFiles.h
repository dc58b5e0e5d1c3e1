#pragma once
// Helpers for tests that work on real files: the temporary folder and whole-file helpers of
// common/TempFolder.h, zip archives built with libzip, and snapshots of whole folder trees.

#include "common/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <utility>
#include <vector>
#include <zip.h>

namespace tlx::testing {

namespace fs = std::filesystem;

using ZipEntries = std::vector<std::pair<std::string, std::string>>;

// Writes a zip archive with the entries as given (names stored unchanged); an entry whose
// name ends in "/" is a folder.
inline void writeZip(const fs::path& path, const ZipEntries& entries) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(archive, nullptr) << "zip_open failed: " << error;
    for (const auto& [name, bytes] : entries) {
        if (!name.empty() && name.back() == '/') {
            ASSERT_GE(zip_dir_add(archive, name.c_str(), ZIP_FL_ENC_RAW), 0) << name;
            continue;
        }
        zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        ASSERT_NE(source, nullptr);
        if (zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_RAW) < 0) {
            zip_source_free(source);
            FAIL() << "cannot add " << name << ": " << zip_strerror(archive);
        }
    }
    ASSERT_EQ(zip_close(archive), 0) << zip_strerror(archive);
}

// Every file and folder below `root` with the bytes of each file ("<folder>" for folders).
inline std::map<std::string, std::string> snapshot(const fs::path& root) {
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = fs::relative(entry.path(), root).string();
        tree[name] = entry.is_directory() ? "<folder>" : readFile(entry.path());
    }
    return tree;
}

} // namespace tlx::testing
