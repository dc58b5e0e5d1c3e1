#pragma once
// What the add-in's tests share: a temporary install folder, pages in the editor's model and
// an altered Flash object as the editor leaves it.

#include "common/TempFolder.h"
#include "host/Application.h"
#include "host/HtmlDocument.h"

#include <filesystem>
#include <string>

namespace tlx::test {

using TempFolder = tlx::testing::TempFolder;

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    tlx::testing::writeFile(path, bytes);
}
inline std::string ReadFile(const std::filesystem::path& path) {
    return tlx::testing::readFile(path);
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
