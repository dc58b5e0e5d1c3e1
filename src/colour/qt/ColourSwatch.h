#pragma once
// Colour swatches: a label whose fill and tooltip both hold one colour ("#RRGGBB"). Dialogs
// read a swatch's colour from its tooltip, and every swatch opens the Color Selector through
// ChooseSwatchColour.

#include "addinbase/AddinContext.h"

#include <optional>
#include <string>

class QLabel;
class QWidget;

namespace tlx {

// Fills `swatch` with the colour of `colourText` and sets its tooltip to that text.
void SetSwatchColour(QLabel& swatch, const std::string& colourText);
// The colour text a swatch holds: its tooltip.
std::string SwatchColourText(const QLabel& swatch);

// The calling sequence of every colour swatch: the panel leaves the top, the swatch becomes
// ColorTarget, the Color Selector is shown modally over `parent`, the panel goes back on top.
// The new colour text when the swatch's tooltip changed, nothing when the user cancelled or
// chose the colour the swatch already had.
std::optional<std::string> ChooseSwatchColour(AddinContext& context, QLabel& swatch,
                                              QWidget* parent);

} // namespace tlx
