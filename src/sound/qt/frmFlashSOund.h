#pragma once
// "Insert Flash Sound Event": attaches a sound of the library to an image of the page, played
// when the mouse comes over the image, leaves it or clicks it.

#include "addinbase/AddinContext.h"
#include "catalog/qt/PreviewFactory.h"
#include "editing/qt/DemoPreview.h"
#include "editing/qt/EditingDialog.h"
#include "platform/qt/DialogParts.h"
#include "sound/SoundEvent.h"

#include <memory>
#include <string_view>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QToolButton;

namespace tlx {

// The status bar's note when the clipboard, borrowed to look at an image, could not be given
// back what the user had on it; the reason follows.
inline constexpr std::string_view kClipboardNotRestoredText =
    "What was on the clipboard could not be put back";

class frmFlashSOund : public EditingDialog {
public:
    explicit frmFlashSOund(AddinContext& context, QWidget* parent = nullptr,
                           const PreviewFactory& previews = WebPreviewFactory());

    // ---- controls
    QComboBox* FLashSound = nullptr;
    QComboBox* ImgEvent = nullptr;
    QComboBox* ImgList = nullptr;
    QLabel* ImPreview = nullptr;
    QWidget* FlashDemo = nullptr; // the preview's widget
    FlashPreview* Demo = nullptr;
    QLabel* lblDesc = nullptr;
    QPushButton* Command2 = nullptr;
    QToolButton* Command1 = nullptr;
    QToolButton* Command7 = nullptr;
    QToolButton* btHelp = nullptr;

    // The sounds behind FLashSound (index 0 of the list is its placeholder, so the sound of
    // list index i is Sounds()[i - 1]).
    const std::vector<SoundEntry>& Sounds() const { return sounds_; }

    // ---- handlers; none lets an exception out
    void Form_Load();
    void FLashSound_Click();
    void Command2_Click();
    void ImgList_Click();
    void Command1_Click();
    void Command7_Click();
    void btHelp_Click();

    const PreviewRequest& LastPreview() const { return lastPreview_; }

private:
    void PlayPreview();

    PreviewRequest lastPreview_;
    std::vector<SoundEntry> sounds_;
};

using frmFlashSOundForm = DialogForm<frmFlashSOund, "frmFlashSOund">;

} // namespace tlx
