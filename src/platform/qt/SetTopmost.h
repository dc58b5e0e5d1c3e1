#pragma once

class QWidget;

namespace tlx {

// Shows `window` without activating it, above ordinary windows when `onTop` is true or among
// them when false; a hidden window is shown again. Position and size are kept. While a modal
// dialog (other than `window`) is open, `window` stays among the ordinary windows, below it.
void SetTopmost(QWidget* window, bool onTop);

} // namespace tlx
