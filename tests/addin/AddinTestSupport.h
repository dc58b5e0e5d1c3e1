#pragma once
// What the add-in's tests share: a temporary install folder, pages in the editor's model and
// an altered Flash object as the editor leaves it.

#include "host/Application.h"
#include "host/HtmlDocument.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace tlx::test {

class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tlx-addin-XXXXXX").string();
        if (char* made = ::mkdtemp(pattern.data()))
            path_ = made;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

inline const std::string kPageHead = "<html><head><title>t</title></head>\n<body>\n";
inline const std::string kPageTail = "\n</body></html>\n";

// An owned Flash object as the editor leaves it after its own edits: a Play parameter and no
// FlashVars, so the save-time check wants to fix it.
inline std::string AlteredOwnedObject(const std::string& id = "oKestreliteBT001") {
    return "<object classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\" codebase=\"https://"
           "download.macromedia.com/pub/shockwave/cabs/flash/swflash.cab#version=6,0,23,0\" id=\"" +
           id +
           "\" width=\"150\" height=\"40\"><param name=\"movie\" value=\"b1.swf?T1=Go\">"
           "<param name=\"Play\" value=\"-1\"><embed src=\"b1.swf?T1=Go\" width=\"150\" "
           "height=\"40\"></embed></object>";
}

// A new page of `app` holding `text`, active.
inline std::shared_ptr<host::HtmlDocument> OpenPage(host::Application& app,
                                                    const std::string& text) {
    const auto window = app.newPage();
    const auto document = window->document();
    document->replaceRange(0, document->text().size(), text);
    return document;
}

} // namespace tlx::test
