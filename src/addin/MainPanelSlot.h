#pragma once
// What the connection and the host event hooks do with the main panel. The panel is loaded on
// first use: every call but IsLoaded and Unload loads it first when it is not loaded.

namespace tlx {

class MainPanelSlot {
public:
    virtual ~MainPanelSlot() = default;
    virtual bool IsLoaded() const = 0;
    // Shows the panel without a modal wait.
    virtual void Show() = 0;
    virtual void SetVisible(bool visible) = 0;
    // The panel above other windows (true) or among them (false), shown, without taking the
    // keyboard focus.
    virtual void SetTopmost(bool onTop) = 0;
    // Destroys the panel when it is loaded.
    virtual void Unload() = 0;
};

} // namespace tlx
