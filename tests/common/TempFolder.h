#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it at the end
// of the test, and whole-file helpers that write and read raw bytes.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

namespace tlx::testing {

// Writes `bytes` as the whole file, making its folders first.
inline void writeFile(const std::filesystem::path& path, std::string_view bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

// The whole file, or the empty text when it cannot be read.
inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The folder's path is canonical (no link in it), so that paths the program works out
// compare equal to the test's own.
class TempFolder {
public:
    explicit TempFolder(const std::string& stem = "tlx-test") {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() /
                (stem + "-" + std::to_string(rd()) + "-" + std::to_string(rd()));
        std::filesystem::create_directories(path_);
        path_ = std::filesystem::canonical(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        // A test may have taken its own write permission away.
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

    std::filesystem::path write(const std::filesystem::path& relative,
                                std::string_view bytes) const {
        const std::filesystem::path full = path_ / relative;
        writeFile(full, bytes);
        return full;
    }

    std::string read(const std::filesystem::path& relative) const {
        return readFile(path_ / relative);
    }

private:
    std::filesystem::path path_;
};

} // namespace tlx::testing
