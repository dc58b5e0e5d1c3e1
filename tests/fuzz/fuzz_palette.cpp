// The custom palette file (.oxp) reader: any bytes are refused or read, and a palette read
// is written back to the same records.

#include "colour/CustomPaletteFile.h"
#include "fuzz/FuzzSupport.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto records = tlx::DecodeCustomPalette(bytes);
    if (!records) {
        FUZZ_CHECK(!records.error().empty(), std::string(bytes));
        return 0;
    }
    std::vector<tlx::PaletteEntry> custom(tlx::PaletteRecordCount);
    tlx::ApplyPaletteRecords(*records, custom);
    const auto again = tlx::DecodeCustomPalette(tlx::EncodeCustomPalette(custom));
    FUZZ_CHECK(again && *again == *records, std::string(bytes));
    return 0;
}
