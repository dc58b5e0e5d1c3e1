#pragma once
// The preview that really plays: a web view in which the Flash player runs the movie, served
// over the loopback web server together with the movie's folder (its companion files) and
// the player's own files.
//
// The player has no way to set a variable in a running movie, so a restart loads the movie
// again with the variables as its parameters. Restarts are coalesced: the calls of one
// handler make one restart, and while a restart is still loading only the latest values are
// kept for the next one. Each restart builds its player hidden on top of the one playing and
// swaps when the new movie has its first frame, so that typing does not make the view blink.

#include "catalog/FlashPreview.h"

#include <QByteArray>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QWebEngineView>
#include <utility>
#include <vector>

class QTimer;

namespace tlx {

namespace host {
class WebServer;
}

// What the preview's player page reports to (through the web channel, from the program's
// script world: see host/qt/ScriptBridge.h).
class PreviewBridge : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Restart `restart` shows its movie, or could not load it.
    Q_INVOKABLE void settled(int restart, bool shown);

signals:
    void restartSettled(int restart, bool shown);
};

class WebFlashPreview : public QWebEngineView, public FlashPreview {
public:
    // A view of exactly `size` pixels.
    explicit WebFlashPreview(QSize size, QWidget* parent = nullptr);
    ~WebFlashPreview() override;

    void Movie(const std::string& path) override;
    void BGColor(const std::string& colourText) override;
    void SetVariable(const std::string& name, const std::string& value) override;
    void GotoFrame(int frame) override;
    void StopPlay() override;
    void Play() override;
    void Focus() override;

    // ---- for tests and measurements
    // Restarts handed to the player so far, and how many of them have shown their movie.
    int RestartsIssued() const { return issued_; }
    int RestartsShown() const { return shown_; }
    // The parameters of the latest restart handed to the player, as "KEY=value&...".
    QString LastParameters() const { return lastParameters_; }
    bool PageReady() const { return pageReady_; }
    // The page the view loads; its script swaps the players (tests drive it with a stand-in
    // player).
    static QByteArray PlayerPage();

private:
    void ScheduleRestart();
    void Issue();
    void Settled(int sequence);
    QString ParametersJson() const;

    QPointer<host::WebServer> server_;
    QPointer<PreviewBridge> bridge_;
    QTimer* coalesce_ = nullptr;
    QTimer* flightLimit_ = nullptr;
    std::string moviePath_;
    std::string background_ = "#FFFFFF";
    std::vector<std::pair<std::string, std::string>> variables_;
    bool pageReady_ = false;
    int pageAttempts_ = 0;
    bool inFlight_ = false;
    bool pending_ = false;
    bool stopped_ = false;
    int sequence_ = 0;
    int issued_ = 0;
    int shown_ = 0;
    QString lastParameters_;
};

} // namespace tlx
