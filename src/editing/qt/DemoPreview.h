#pragma once
// What the colour weighting and sound event dialogs last asked their preview to show: the movie
// of the library, the background colour and the movie's variables, set before it restarts from
// its first frame.

#include "catalog/FlashPreview.h"

#include <string>
#include <utility>
#include <vector>

namespace tlx {

struct PreviewRequest {
    std::string MoviePath;       // full path of a movie in the library folder
    std::string BackgroundColor; // "#RRGGBB"; empty leaves the preview's own
    std::vector<std::pair<std::string, std::string>> Variables;
};

// Shows a request in the preview (nothing without one): its movie, its background where it
// names one and its variables, then the movie restarts from its first frame.
inline void PlayDemo(FlashPreview* preview, const PreviewRequest& request) {
    if (!preview)
        return;
    preview->Movie(request.MoviePath);
    if (!request.BackgroundColor.empty())
        preview->BGColor(request.BackgroundColor);
    for (const auto& [name, value] : request.Variables)
        preview->SetVariable(name, value);
    preview->GotoFrame(1);
    preview->Play();
}

} // namespace tlx
