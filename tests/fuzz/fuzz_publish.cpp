// A page as publishing reads it: any bytes give a scan and a place for the player's script
// element, and the published page is the page with exactly that element added there (every
// other byte kept). The addresses the scan finds resolve inside the web or not at all.

#include "fuzz/FuzzSupport.h"
#include "publish/PageScan.h"
#include "publish/PlayerScript.h"
#include "publish/Publisher.h"

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
    return 0;
}
