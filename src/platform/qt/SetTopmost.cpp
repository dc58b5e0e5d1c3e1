#include "platform/qt/SetTopmost.h"

#include <QApplication>
#include <QWidget>

namespace tlx {

void SetTopmost(QWidget* window, bool onTop) {
    if (!window)
        return;
    window = window->window();
    window->setAttribute(Qt::WA_ShowWithoutActivating, true);

    // A window kept above all others would cover the modal dialog that holds the input, and
    // could not be dragged away while it does: while one is open the window stays among the
    // ordinary ones, below the dialog. The call that follows the dialog puts it back on top.
    QWidget* const modal = QApplication::activeModalWidget();
    const bool belowModal = modal && modal->window() != window;
    if (belowModal)
        onTop = false;

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
    else if (belowModal)
        modal->raise();
}

} // namespace tlx
