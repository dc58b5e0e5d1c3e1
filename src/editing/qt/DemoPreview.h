#pragma once
// How the editing and sound dialogs hand their live preview to a Flash player: the movie of the
// library, the background colour and the movie's variables, set before it restarts from its
// first frame.

#include <functional>
#include <string>
#include <utility>
#include <vector>

class QWidget;

namespace tlx {

struct PreviewRequest {
    std::string MoviePath;       // full path of a movie in the library folder
    std::string BackgroundColor; // "#RRGGBB"; empty leaves the preview's own
    std::vector<std::pair<std::string, std::string>> Variables;
};

// Plays `request` in the dialog's preview area `demo`.
using PreviewShow = std::function<void(QWidget& demo, const PreviewRequest& request)>;

} // namespace tlx
