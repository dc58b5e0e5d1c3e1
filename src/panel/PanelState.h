#pragma once
// The main panel's logic that needs no window: its sizes in twips, rolling it up to the title
// bar and down again, the properties button's state and the files its unloading removes.

#include "hostapi/HostEditor.h"

#include <string>
#include <string_view>

namespace tlx {

inline constexpr int kTwipsPerPixel = 15;
// The panel's height when it loads, and rolled up to its title bar.
inline constexpr int kPanelHeightTwips = 810;
inline constexpr int kRolledUpHeightTwips = 300;
inline constexpr int kPropsTimerIntervalMs = 500;
inline constexpr std::string_view kRollUpCaption = "<<";
inline constexpr std::string_view kRollDownCaption = ">>";
inline constexpr std::string_view kPanelVersionLabel = "Kestrelite 1.31 ";
inline constexpr std::string_view kPanelCaption = "Tamberlux";

// Nearest whole pixel / twip.
int TwipsToPixels(int twips);
int PixelsToTwips(int pixels);

// `MainRoller`: its caption and the height to restore when rolled down.
class MainRollerState {
public:
    const std::string& Caption() const { return caption_; }
    bool RolledUp() const { return caption_ == kRollDownCaption; }
    int RestoreHeight() const { return restoreHeight_; }
    void SetRestoreHeight(int twips) { restoreHeight_ = twips; }
    // One click: the panel's new height in twips, given its current one.
    int Click(int currentHeightTwips);

private:
    std::string caption_{kRollUpCaption};
    int restoreHeight_ = kPanelHeightTwips;
};

// `Timer1`: in an editable view, whether `cmdProps` is to be enabled (a Flash object is the
// active element); in any other view, or when the host cannot tell, `current`.
bool PropsButtonEnabled(const HostEditor& editor, bool current) noexcept;

} // namespace tlx
