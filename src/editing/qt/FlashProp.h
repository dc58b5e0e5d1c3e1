#pragma once
// "Selected Flash Object Properties": how one Flash object of the page is embedded (size in
// pixels or percent, alignment, window mode, background), and shrinking, enlarging,
// duplicating, deleting and re-editing it.

#include "addinbase/AddinContext.h"
#include "editing/ObjectProperties.h"
#include "editing/ReEdit.h"
#include "editing/qt/EditingDialog.h"
#include "platform/qt/DialogParts.h"

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace tlx {

class FlashProp : public EditingDialog {
public:
    // Opens the creation dialog of a button, heading or intro movie in update mode, with the
    // properties dialog hidden but still loaded (the update reads its size and window mode and
    // writes its background swatch). Returns when that dialog has closed: true, or false when
    // it could not be opened and the properties dialog stays.
    using CreationDialogOpener = std::function<bool(FlashProp& properties, ReEditKind kind)>;

    // Loads the dialog for the page's active element. Without an opener the creation dialogs
    // are opened with web previews.
    explicit FlashProp(AddinContext& context, QWidget* parent = nullptr,
                       CreationDialogOpener openCreationDialog = {});

    // ---- controls
    QLineEdit* fWidth = nullptr;
    QCheckBox* wPerc = nullptr;
    QLineEdit* fHeight = nullptr;
    QCheckBox* hPerc = nullptr;
    QComboBox* HAlign = nullptr;
    QComboBox* VAlign = nullptr;
    QComboBox* WMode = nullptr;
    QLabel* fBackColor = nullptr;
    QToolButton* btBackColor = nullptr;
    QToolButton* Command1 = nullptr;
    QToolButton* Command7 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QToolButton* btOtherProperties = nullptr;
    QToolButton* btHelp = nullptr;

    // ---- handlers; none lets an exception out
    void Form_Load();
    void fWidth_Change();
    void fHeight_Change();
    void btBackColor_Click();
    void btHelp_Click();
    void Command1_Click();
    void Command7_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void btOtherProperties_Click();

    // Writes the fields back into the page in place of the object.
    void ChangeProperties();

    // The fields as they stand.
    PropertyFields Fields() const;
    const SelectedObject& Loaded() const { return loaded_; }

private:
    // A size box that holds no number gets the size it was loaded with back.
    void KeepNumber(QLineEdit* box, const std::string& loaded);

    CreationDialogOpener openCreationDialog_;
    SelectedObject loaded_;
    bool resetting_ = false;
};

using FlashPropForm = DialogForm<FlashProp, "FlashProp">;

} // namespace tlx
