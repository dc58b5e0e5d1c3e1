#include "platform/qt/SetTopmost.h"

#include <QWidget>

namespace tlx {

void SetTopmost(QWidget* window, bool onTop) {
    if (!window)
        return;
    window = window->window();
    window->setAttribute(Qt::WA_ShowWithoutActivating, true);

    const bool onTopNow = window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    if (onTopNow != onTop) {
        // Changing the flags recreates the native window and hides it: keep where it was.
        const bool placed = window->isVisible() || window->testAttribute(Qt::WA_Moved);
        const QPoint position = window->pos();
        const QSize size = window->size();
        window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
        if (placed) {
            window->resize(size);
            window->move(position);
        }
    }
    window->show();
    if (onTop)
        window->raise();
}

} // namespace tlx
