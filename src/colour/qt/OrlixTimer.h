#pragma once
// A named timer with the classic timer control's rules: `Enabled` starts and stops it,
// `Interval` below 1 stops it, an empty `Name` is ignored, and `OnTimer` is raised once per
// interval. It runs on the event loop's own timer: nothing waits or loops.

#include <QObject>
#include <QString>
#include <QTimer>

namespace tlx {

class OrlixTimer : public QObject {
    Q_OBJECT

public:
    explicit OrlixTimer(QObject* parent = nullptr);
    ~OrlixTimer() override;

    bool Enabled() const { return enabled_; }
    // Stores the value and starts counting the interval afresh.
    void SetEnabled(bool enabled);
    int Interval() const { return interval_; }
    // Below 1: the interval becomes 0 and the timer stops. Otherwise the interval is stored
    // and counting starts afresh.
    void SetInterval(int milliseconds);
    const QString& Name() const { return name_; }
    // An empty name is ignored.
    void SetName(const QString& name);

    // True while ticks are being counted (enabled with an interval of at least 1).
    bool IsRunning() const { return timer_.isActive(); }

signals:
    void OnTimer();

private:
    void Restart();

    QTimer timer_;
    bool enabled_ = false;
    int interval_ = 400;
    QString name_ = QStringLiteral("HoverTimer");
};

} // namespace tlx
