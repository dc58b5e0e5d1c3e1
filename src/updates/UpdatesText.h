#pragma once
// Text routines of the import and the update check: marker search and line splitting as the
// data files of the install folder need them.

#include <string>
#include <string_view>
#include <vector>

namespace tlx::updates {

// The text between the first `startMarker` and the next `endMarker` after it, both found
// ignoring letter case; empty when either is missing.
std::string TextBetweenMarkers(std::string_view source, std::string_view startMarker,
                               std::string_view endMarker);

// The lines of a data file: a line ends at CR, CR LF or a lone LF; a final line break does not
// start another line.
std::vector<std::string> SplitLines(std::string_view text);

} // namespace tlx::updates
