#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it at the end
// of the test; files are written as raw bytes.

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

namespace tlx::testing {

class TempFolder {
public:
    TempFolder() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() /
                ("tlx-test-" + std::to_string(rd()) + "-" + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

    std::filesystem::path write(const std::filesystem::path& relative,
                                std::string_view bytes) const {
        const std::filesystem::path full = path_ / relative;
        std::filesystem::create_directories(full.parent_path());
        std::ofstream out(full, std::ios::binary);
        out.write(bytes.data(), std::streamsize(bytes.size()));
        return full;
    }

    std::string read(const std::filesystem::path& relative) const {
        std::ifstream in(path_ / relative, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::filesystem::path path_;
};

} // namespace tlx::testing
