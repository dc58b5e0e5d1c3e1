#pragma once
// The live preview of a creation dialog, as the dialogs drive it: load a movie, set its
// background and variables, rewind and play. The Qt web view that really plays the movie and
// the recording double used by tests both implement it.

#include <string>
#include <vector>

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

// Keeps every call, in order, as text: "Movie(path)", "BGColor(#FFFFFF)",
// "SetVariable(T1=Your Text)", "GotoFrame(1)", "StopPlay", "Play", "Focus".
class RecordingFlashPreview : public FlashPreview {
public:
    void Movie(const std::string& path) override { Calls.push_back("Movie(" + path + ")"); }
    void BGColor(const std::string& colourText) override {
        Calls.push_back("BGColor(" + colourText + ")");
    }
    void SetVariable(const std::string& name, const std::string& value) override {
        Calls.push_back("SetVariable(" + name + "=" + value + ")");
    }
    void GotoFrame(int frame) override {
        Calls.push_back("GotoFrame(" + std::to_string(frame) + ")");
    }
    void StopPlay() override { Calls.push_back("StopPlay"); }
    void Play() override { Calls.push_back("Play"); }
    void Focus() override { Calls.push_back("Focus"); }

    std::vector<std::string> Calls;
};

} // namespace tlx
