#pragma once
// "Color Adjustment (If Supported By Object)": red, green and blue weightings for the selected
// Flash object, with a live preview of the object and named presets.

#include "addinbase/AddinContext.h"
#include "catalog/qt/PreviewFactory.h"
#include "editing/Colorisation.h"
#include "editing/qt/DemoPreview.h"
#include "editing/qt/EditingDialog.h"
#include "platform/qt/DialogParts.h"

#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QToolButton;
class QWidget;

namespace tlx {

class frmColoriser : public EditingDialog {
public:
    // Loads the dialog for the page's active element; its preview comes from `previews`.
    explicit frmColoriser(AddinContext& context, QWidget* parent = nullptr,
                          const PreviewFactory& previews = WebPreviewFactory());

    // ---- controls
    QSlider* CWRed = nullptr;
    QSlider* CWGreen = nullptr;
    QSlider* CWBlue = nullptr;
    QLabel* CWTxtRed = nullptr;
    QLabel* CWTxtGreen = nullptr;
    QLabel* CWTxtBlue = nullptr;
    QComboBox* lstColor = nullptr;
    QStringList ColorPresets;     // hidden list: "Colors", then each preset's value text
    QWidget* DemoFlash = nullptr; // the preview's widget
    FlashPreview* Demo = nullptr;
    QToolButton* btUpdate = nullptr;
    QToolButton* Command9 = nullptr;
    QPushButton* Command12 = nullptr;
    QPushButton* Command13 = nullptr;
    QPushButton* Command1 = nullptr;

    // ---- handlers; none lets an exception out
    void Form_Load();
    void RefreshDemo();
    void CWRed_Change();
    void CWGreen_Change();
    void CWBlue_Change();
    void lstColor_Click();
    void btUpdate_Click();
    void Command9_Click();
    void Command12_Click();
    void Command13_Click();
    void Command1_Click();

    // The weightings the labels show.
    Weightings Labels() const;
    // What the last refresh asked the preview to show.
    const PreviewRequest& LastPreview() const { return lastPreview_; }

private:
    PreviewRequest lastPreview_;
    bool loading_ = true;
};

using frmColoriserForm = DialogForm<frmColoriser, "frmColoriser">;

} // namespace tlx
