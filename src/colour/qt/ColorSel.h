#pragma once
// The Color Selector: the colour box `ColorBox`, the hexadecimal value `HTMLColor`, Okay and
// Cancel, and "Get Colors From Document", which puts the colours the page uses into the
// custom palette. The chosen colour goes to the target swatch (fill and tooltip); Cancel
// leaves the swatch as it was. The box's palettes and last colour are kept in the user's
// settings from one use to the next.

#include "addinbase/AddinContext.h"
#include "platform/Platform.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;

namespace tlx {

class OXColorBox;

class ColorSel : public QDialog, public ModalForm {
public:
    // Loads the form; `target` is the swatch a choice is written to (ColorTarget).
    ColorSel(AddinContext& context, QLabel* target, QWidget* parent = nullptr);
    ~ColorSel() override;

    std::string formName() const override { return "ColorSel"; }
    void execModal() override;

    // ---- controls
    OXColorBox* ColorBox = nullptr;
    QLabel* Label20 = nullptr;
    QLineEdit* HTMLColor = nullptr;
    QListWidget* ColorList = nullptr;
    QToolButton* btDocColors = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* cbClose = nullptr;

    // ---- handlers; none lets an exception out
    void Command1_Click();
    void cbClose_Click();
    void ColorBox_DblClick();
    void ColorBox_Change(int NewActiveColor);
    // Enter in the value field: a value of hexadecimal digits becomes the box's colour; a
    // whole colour value (six digits, with or without "#") is then chosen as Okay would.
    void HTMLColor_Enter();
    // Opens on the swatch's colour text: the value field shows it and, when it is a colour
    // ("#" and six hexadecimal digits), the box's colour bar shows it as the active colour
    // too, so that Okay at once keeps the colour the swatch had.
    void OpenAt(const QString& colourText);
    void btDocColors_Click();
    // Keeps the box's properties in the user's settings (once; also run when the form goes).
    void Form_Unload();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    template <typename Body> void Guarded(const char* where, Body&& body);
    void SetTarget();

    AddinContext& context_;
    QPointer<QLabel> target_;
    bool unloaded_ = false;
    bool keepsSettings_ = false;
};

} // namespace tlx
