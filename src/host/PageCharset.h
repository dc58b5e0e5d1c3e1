#pragma once
// The character encoding a page declares for itself, as browsers read it: the first
// "charset=" in its first 4 KB (of a meta element's content or charset attribute).

#include <string>
#include <string_view>

namespace tlx::host {

// The declared charset, lower-cased ("windows-1252", "utf-8"); empty when none is declared.
std::string DeclaredCharset(std::string_view text);

// Whether a charset is UTF-8 by one of its names.
bool IsUtf8Charset(std::string_view charset);

} // namespace tlx::host
