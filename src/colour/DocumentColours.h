#pragma once
// The colour texts a page uses, as the Color Selector gathers them: from each element's
// opening tag the text of at most seven characters from its last "#".

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tlx {

// The colour text of one element's outer markup: the markup is cut just after its first ">"
// (markup without ">" gives nothing); the text starts at the last "#" of what is left.
std::optional<std::string> TagColourText(std::string_view outerHtml);

// The texts in the order of a sorted list (letter case ignored, ties in their given order),
// with each text that equals the one before it (exactly) left out.
std::vector<std::string> SortedColourList(std::vector<std::string> texts);

} // namespace tlx
