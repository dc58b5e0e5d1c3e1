#pragma once

class QWidget;

namespace tlx {

// Shows `window` without activating it, above ordinary windows when `onTop` is true or among
// them when false; a hidden window is shown again. Position and size are kept.
void SetTopmost(QWidget* window, bool onTop);

} // namespace tlx
