#include "panel/PanelState.h"

#include "markup/FlashFix.h"
#include "platform/Log.h"

#include <exception>

namespace tlx {

int TwipsToPixels(int twips) {
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

int PixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

int MainRollerState::Click(int currentHeightTwips) {
    if (caption_ == kRollUpCaption) {
        caption_ = std::string(kRollDownCaption);
        restoreHeight_ = currentHeightTwips;
        return kRolledUpHeightTwips;
    }
    caption_ = std::string(kRollUpCaption);
    return restoreHeight_;
}

bool PropsButtonEnabled(const HostEditor& editor, bool current) noexcept {
    try {
        if (!editor.IsEditableView())
            return current;
        const DocumentPtr document = editor.ActiveDocument();
        if (!document)
            return current;
        const ElementPtr active = document->activeElement();
        return active && IsFlashObjectElement(*active);
    } catch (const std::exception&) {
        LogCurrentException("Timer1");
        return current;
    }
}

} // namespace tlx
