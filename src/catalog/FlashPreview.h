#pragma once
// The live preview of a creation dialog, as the dialogs drive it: load a movie, set its
// background and variables, rewind and play. The Qt web view that really plays the movie
// implements it.

#include <string>

namespace tlx {

class FlashPreview {
public:
    virtual ~FlashPreview() = default;

    // Loads the movie at this full local path; it starts playing. Companion files named by
    // bare names in variables are looked for in the movie's folder.
    virtual void Movie(const std::string& path) = 0;
    // The background colour, "#RRGGBB".
    virtual void BGColor(const std::string& colourText) = 0;
    // A variable the movie sees the next time it runs from its first frame.
    virtual void SetVariable(const std::string& name, const std::string& value) = 0;
    // Rewinds to the given frame (always 1).
    virtual void GotoFrame(int frame) = 0;
    virtual void StopPlay() = 0;
    // Plays from the current frame; after GotoFrame(1) the movie starts again with the
    // variables set so far.
    virtual void Play() = 0;
    // Gives the preview the keyboard focus.
    virtual void Focus() = 0;
};

} // namespace tlx
