#include "colour/qt/ColourSwatch.h"

#include "colour/ColourText.h"
#include "colour/OrlixLibColor.h"
#include "colour/qt/ColorSel.h"
#include "platform/Log.h"

#include <QLabel>
#include <QLineEdit>
#include <QString>

namespace tlx {

using OrlixLibColor::BlueOf;
using OrlixLibColor::GreenOf;
using OrlixLibColor::RedOf;

void SetSwatchColour(QLabel& swatch, const std::string& colourText) {
    const std::int32_t colour = WhatRGB(colourText);
    swatch.setAutoFillBackground(true);
    swatch.setStyleSheet(QStringLiteral("background-color: rgb(%1, %2, %3);")
                             .arg(RedOf(colour))
                             .arg(GreenOf(colour))
                             .arg(BlueOf(colour)));
    swatch.setToolTip(QString::fromStdString(colourText));
}

std::string SwatchColourText(const QLabel& swatch) {
    return swatch.toolTip().toStdString();
}

namespace {

// Puts the panel back on top however the selector ends.
class PanelBackOnTop {
public:
    explicit PanelBackOnTop(AddinContext& context) : context_(context) {}
    ~PanelBackOnTop() {
        context_.ColorTarget.clear();
        try {
            context_.SetPanelTopmost(true);
        } catch (const std::exception&) {
            LogCurrentException("Colour swatch: putting the panel back on top");
        }
    }
    PanelBackOnTop(const PanelBackOnTop&) = delete;
    PanelBackOnTop& operator=(const PanelBackOnTop&) = delete;

private:
    AddinContext& context_;
};

} // namespace

std::optional<std::string> ChooseSwatchColour(AddinContext& context, QLabel& swatch,
                                              QWidget* parent) {
    context.SetPanelTopmost(false);
    const PanelBackOnTop backOnTop(context);
    context.ColorTarget = swatch.objectName().toStdString();
    const std::string before = SwatchColourText(swatch);
    {
        ColorSel form(context, &swatch, parent);
        form.OpenAt(QString::fromStdString(before));
        context.platform.showModal(form);
    }
    const std::string after = SwatchColourText(swatch);
    if (after == before)
        return std::nullopt;
    return after;
}

} // namespace tlx
