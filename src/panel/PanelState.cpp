#include "panel/PanelState.h"

#include "markup/FlashFix.h"
#include "platform/FileUtil.h"
#include "platform/Log.h"

#include <exception>
#include <filesystem>
#include <vector>

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

int DeletePreviewTextFiles(const std::string& installFolder) noexcept {
    int removed = 0;
    try {
        namespace fs = std::filesystem;
        const auto library = FindNoCase(installFolder, "FlashMovies");
        if (!library)
            return 0;
        std::error_code error;
        std::vector<fs::path> doomed;
        for (fs::directory_iterator it(*library, error), end; !error && it != end;
             it.increment(error)) {
            const std::string extension = it->path().extension().string();
            if (EqualsNoCase(extension, ".htm") && it->is_regular_file(error))
                doomed.push_back(it->path());
        }
        for (const fs::path& file : doomed) {
            std::error_code ignored;
            if (fs::remove(file, ignored))
                ++removed;
        }
    } catch (const std::exception&) {
        LogCurrentException("Form_Unload: removing the preview text files");
    }
    return removed;
}

} // namespace tlx
