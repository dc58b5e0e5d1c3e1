#pragma once
// "Insert Flash Sound Event": attaches a sound of the library to an image of the page, played
// when the mouse comes over the image, leaves it or clicks it.

#include "addinbase/AddinContext.h"
#include "catalog/qt/PreviewFactory.h"
#include "editing/qt/DemoPreview.h"
#include "platform/Platform.h"
#include "sound/SoundEvent.h"

#include <QDialog>
#include <memory>
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

class frmFlashSOund : public QDialog {
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
    bool Unloaded() const { return unloaded_; }

private:
    template <typename Body> void Guarded(const char* where, Body&& body);
    void PlayPreview();
    void Unload();

    AddinContext& context_;
    PreviewRequest lastPreview_;
    std::vector<SoundEntry> sounds_;
    bool unloaded_ = false;
};

class frmFlashSOundForm : public ModalForm {
public:
    frmFlashSOundForm(AddinContext& context, QWidget* parent = nullptr,
                      const PreviewFactory& previews = WebPreviewFactory());
    std::string formName() const override { return "frmFlashSOund"; }
    void execModal() override;
    frmFlashSOund& dialog() { return *dialog_; }

private:
    std::unique_ptr<frmFlashSOund> dialog_;
};

} // namespace tlx
