#pragma once
// How a dialog gets its preview: a widget to lay out and the FlashPreview it drives. The
// program uses web views that play the movie; offscreen tests pass a factory of their own.

#include "catalog/FlashPreview.h"

#include <QSize>
#include <QWidget>
#include <functional>

namespace tlx {

struct PreviewSlot {
    QWidget* Widget = nullptr; // a child of the parent given to the factory
    FlashPreview* Preview = nullptr;
};

using PreviewFactory = std::function<PreviewSlot(QSize size, QWidget* parent)>;

// The preview sizes of the dialogs, in pixels.
inline constexpr QSize kButtonPreviewSize{209, 57};
inline constexpr QSize kHeadingPreviewSize{329, 57};
inline constexpr QSize kIntroPreviewSize{241, 177};
inline constexpr QSize kMiscPreviewSize{137, 105};
inline constexpr QSize kLocalFilePreviewSize{241, 177};

// Web views in which the player runs the movie.
PreviewFactory WebPreviewFactory();

} // namespace tlx
