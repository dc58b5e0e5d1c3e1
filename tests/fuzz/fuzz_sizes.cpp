// Shrink and Enlarge of a size field, whose text may come from a page's WIDTH or HEIGHT: the
// result is plain decimal text with no more decimals than the number it came from, or, for a
// number too long to work out, the field as it was.

#include "editing/ObjectProperties.h"
#include "fuzz/FuzzSupport.h"

#include <string>

namespace {

std::size_t DecimalsOf(std::string_view text) {
    const std::size_t point = text.find('.');
    return point == std::string_view::npos ? 0 : text.size() - point - 1;
}

bool IsPlainDecimal(std::string_view text) {
    if (text.starts_with('-'))
        text.remove_prefix(1);
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    if (whole.empty() || whole.find_first_not_of("0123456789") != std::string_view::npos ||
        (whole.size() > 1 && whole.front() == '0'))
        return false;
    if (point == std::string_view::npos)
        return true;
    const std::string_view decimals = text.substr(point + 1);
    return !decimals.empty() &&
           decimals.find_first_not_of("0123456789") == std::string_view::npos &&
           decimals.back() != '0';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string field(reinterpret_cast<const char*>(data), size);
    std::string_view trimmed(field);
    while (!trimmed.empty() && (trimmed.front() == ' ' || trimmed.front() == '\t'))
        trimmed.remove_prefix(1);
    const bool plainInput = trimmed.find_first_of("eE") == std::string_view::npos;
    for (const std::string& result : {tlx::ShrunkSize(field), tlx::EnlargedSize(field)}) {
        if (result == field && !IsPlainDecimal(result))
            continue; // too long to work out: left as it was
        FUZZ_CHECK(IsPlainDecimal(result), field + "\n-> " + result);
        FUZZ_CHECK(result != "-0", field);
        if (plainInput && tlx::IsNumberText(field))
            FUZZ_CHECK(DecimalsOf(result) <= DecimalsOf(trimmed), field + "\n-> " + result);
    }
    return 0;
}
