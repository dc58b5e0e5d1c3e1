// The catalog reader under any catalog file, over a small library.

#include "catalog/Catalog.h"
#include "catalog/LibraryFolder.h"
#include "common/TempFolder.h"
#include "fuzz/FuzzSupport.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const tlx::testing::TempFolder install;
    static const bool made = [] {
        install.write("FlashMovies/b1.swf", "FWS");
        install.write("FlashMovies/Head.SWF", "FWS");
        return true;
    }();
    (void)made;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto catalog = install.write("buttons.kqz", bytes);
    const auto library = tlx::LibraryFolder::Scan(install.path() / "FlashMovies");
    for (const tlx::CatalogFields fields : {tlx::kTypeFileAndName, tlx::kFileAndName}) {
        const tlx::CatalogResult result = tlx::ReadCatalog(catalog, fields, library);
        FUZZ_CHECK(result.Status == tlx::CatalogStatus::Read, bytes);
        for (const tlx::CatalogEntry& entry : result.Entries)
            (void)tlx::ReadSizeBlock(entry.SizeBlock);
        for (const tlx::SkippedLine& skipped : result.Skipped)
            (void)tlx::DescribeSkip(skipped);
        tlx::CatalogList list("(pick one)", "-");
        list.append(result);
        (void)list.styleNames();
    }
    (void)tlx::ReadCatalogTypeTags(catalog);
    return 0;
}
