#include "colour/qt/ColourSwatch.h"

#include "colour/ColourText.h"
#include "colour/OrlixLibColor.h"

#include <QLabel>
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

std::optional<std::string> ChooseSwatchColour(AddinContext& context, QLabel& swatch,
                                              QWidget* parent) {
    // Until the Color Selector exists, the desktop's colour dialog chooses.
    (void)parent;
    context.SetPanelTopmost(false);
    const std::string before = SwatchColourText(swatch);
    context.ColorTarget = swatch.objectName().toStdString();
    const std::optional<int> chosen = context.platform.colourDialog(WhatRGB(before));
    if (chosen)
        SetSwatchColour(swatch, HTMLFromRGB(RedOf(*chosen), GreenOf(*chosen), BlueOf(*chosen)));
    context.ColorTarget.clear();
    context.SetPanelTopmost(true);
    const std::string after = SwatchColourText(swatch);
    if (after == before)
        return std::nullopt;
    return after;
}

} // namespace tlx
