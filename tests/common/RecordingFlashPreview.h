#pragma once
// A creation dialog's preview for tests: it plays nothing and keeps every call, in order, as
// text: "Movie(path)", "BGColor(#FFFFFF)", "SetVariable(T1=Your Text)", "GotoFrame(1)",
// "StopPlay", "Play", "Focus".

#include "catalog/FlashPreview.h"

#include <string>
#include <vector>

namespace tlx {

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
