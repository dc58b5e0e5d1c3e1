// The link list reader: one entry per line, and only http, https and mailto addresses are
// ever let through to be opened.

#include "fuzz/FuzzSupport.h"
#include "panel/LinkList.h"

#include <string>

namespace {
bool StartsWithNoCase(const std::string& text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto entries = tlx::ParseLinkList(bytes);
    (void)tlx::LinkMenuEntries(entries);
    for (const tlx::LinkListEntry& entry : entries) {
        const auto address = tlx::OpenableLinkAddress(entry.Address);
        if (!address)
            continue;
        FUZZ_CHECK(StartsWithNoCase(*address, "http://") ||
                       StartsWithNoCase(*address, "https://") ||
                       StartsWithNoCase(*address, "mailto:"),
                   *address);
        for (const char c : *address)
            FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f, *address);
    }
    return 0;
}
