// A page as publishing reads it: any bytes give a scan and a place for the player's script
// element, and the published page is the page with exactly that element added there (every
// other byte kept). The addresses the scan finds resolve inside the web or not at all, and
// the files a page saved elsewhere takes along follow their addresses from each place.

#include "fuzz/FuzzSupport.h"
#include "publish/PageScan.h"
#include "publish/PlayerScript.h"
#include "publish/Publisher.h"

#include <algorithm>
#include <filesystem>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view page(reinterpret_cast<const char*>(data), size);
    const tlx::publish::PageFlash flash = tlx::publish::ScanPage(page);
    const std::size_t at = tlx::publish::PlayerScriptOffset(page);
    FUZZ_CHECK(at <= page.size(), std::string(page));
    const std::string element = tlx::publish::PlayerScriptElement("../tamberlux-ruffle/");
    const std::string published = tlx::publish::WithPlayerScript(page, element);
    const bool wide = page.starts_with("\xFF\xFE") || page.starts_with("\xFE\xFF");
    FUZZ_CHECK(published.size() == page.size() + (wide ? 2 : 1) * element.size(),
               std::string(page));
    FUZZ_CHECK(published.compare(0, at, page.substr(0, at)) == 0, std::string(page));
    FUZZ_CHECK(published.compare(published.size() - (page.size() - at), std::string::npos,
                                 page.substr(at)) == 0,
               std::string(page));
    for (const tlx::publish::FlashObjectAddresses& object : flash.objects)
        for (const std::string& movie : object.movies)
            if (const auto path = tlx::publish::ResolveInWeb("a/page.htm", flash.baseHref, movie)) {
                FUZZ_CHECK(!path->empty() && !path->starts_with('/'), movie);
                FUZZ_CHECK(path->find("/../") == std::string::npos && !path->starts_with("../"),
                           movie);
                for (const std::string& companion : object.companions)
                    if (const auto file = tlx::publish::CompanionPath(*path, companion))
                        FUZZ_CHECK(!file->starts_with("../") && !file->starts_with('/'), companion);
            }
    // Saved into another folder, the page takes along each file from where it loads it to
    // where it will load it: each side depends on its own place only (saved back, the same
    // pairs the other way round), the file's name stays, nothing steps out of the root.
    const std::filesystem::path from = "/w/a/page.htm";
    const std::filesystem::path to = "/w/b/c/page.htm";
    const auto there = tlx::publish::FilesItsMoviesLoad(page, from, to);
    const auto back = tlx::publish::FilesItsMoviesLoad(page, to, from);
    FUZZ_CHECK(there.size() == back.size(), std::string(page));
    for (const tlx::publish::CarriedFile& file : there) {
        const std::string pair = file.from.string() + " " + file.to.string();
        FUZZ_CHECK(file.from.is_absolute() && file.to.is_absolute(), pair);
        FUZZ_CHECK(file.from.lexically_normal() == file.from &&
                       file.to.lexically_normal() == file.to,
                   pair);
        FUZZ_CHECK(file.from.filename() == file.to.filename(), pair);
        FUZZ_CHECK(std::any_of(back.begin(), back.end(),
                               [&](const tlx::publish::CarriedFile& b) {
                                   return b.from == file.to && b.to == file.from;
                               }),
                   pair);
    }
    return 0;
}
