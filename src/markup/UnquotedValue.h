#pragma once
// Values written into markup without quotes around them (IDs, sizes, colours, window modes):
// characters that could end the attribute or the tag early, or make the value a quoted one, are
// written as character references, which every HTML reader turns back into the same value. "&"
// becomes "&#38;", as "&amp;" is what the save-time check takes for another editor's hand.

#include <string>
#include <string_view>

namespace tlx {

// Blanks, line breaks, < > " ' ` and & become "&#NN;"; letters, digits, "#", "%" and the rest
// stay as they are.
std::string UnquotedMarkupValue(std::string_view value);

// The same for a value followed by more attributes: the empty value is written "" so that the
// reader does not take the next attribute for it.
std::string UnquotedMarkupValueBeforeBlank(std::string_view value);

} // namespace tlx
