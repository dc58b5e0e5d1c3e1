#include "colour/qt/OrlixTimer.h"

namespace tlx {

OrlixTimer::OrlixTimer(QObject* parent) : QObject(parent) {
    timer_.setTimerType(Qt::CoarseTimer);
    connect(&timer_, &QTimer::timeout, this, &OrlixTimer::OnTimer);
}

OrlixTimer::~OrlixTimer() {
    SetEnabled(false);
}

void OrlixTimer::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Restart();
}

void OrlixTimer::SetInterval(int milliseconds) {
    if (milliseconds < 1) {
        interval_ = 0;
        enabled_ = false;
        timer_.stop();
        return;
    }
    interval_ = milliseconds;
    Restart();
}

void OrlixTimer::SetName(const QString& name) {
    if (!name.isEmpty())
        name_ = name;
}

void OrlixTimer::Restart() {
    if (enabled_ && interval_ >= 1)
        timer_.start(interval_);
    else
        timer_.stop();
}

} // namespace tlx

// Compiled here rather than with the other windows: the host interface uses names that Qt
// defines as macros.
#include "moc_OrlixTimer.cpp"
