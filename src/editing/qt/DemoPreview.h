#pragma once
// What the colour weighting and sound event dialogs last asked their preview to show: the movie
// of the library, the background colour and the movie's variables, set before it restarts from
// its first frame.

#include <string>
#include <utility>
#include <vector>

namespace tlx {

struct PreviewRequest {
    std::string MoviePath;       // full path of a movie in the library folder
    std::string BackgroundColor; // "#RRGGBB"; empty leaves the preview's own
    std::vector<std::pair<std::string, std::string>> Variables;
};

} // namespace tlx
