#pragma once
// The pictures of the main panel's buttons and its title bar, drawn here.

#include <QIcon>
#include <QPixmap>

namespace tlx {

enum class PanelIcon {
    Button,
    Heading,
    Intro,
    Shape,
    Sound,
    FromFile,
    Properties,
    Colorise,
    ScanFix,
    Detection,
    Help,
};

QIcon DrawPanelIcon(PanelIcon icon);
// The title bar's background, `width` by `height` pixels.
QPixmap DrawTitleBar(int width, int height);

} // namespace tlx
