#pragma once
// The news and update check "Updates Check....": a small window that asks the maker's endpoint
// whether it is there, what news and Flash file updates it announces, and for the current
// list of web sites; it asks the user about anything new and closes itself when done.
//
// Every request runs on the event loop (nothing waits for it), ends after its time-out, is cut
// off when its reply grows beyond a limit, and follows a redirect only to https or to the same
// host. Any failure ends the check without a message box; the editor's status bar says how it
// ended when no question was asked: the endpoint could not be reached, or it had no news.

#include "addinbase/AddinContext.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <string>

class QLabel;
class QNetworkAccessManager;
class QNetworkReply;

namespace tlx {

inline constexpr std::string_view kNetCheckerCaption = "Updates Check....";
inline constexpr std::string_view kNetCheckerTitle = "Mirvane";
inline constexpr std::string_view kConnectingText = "Connecting...";
inline constexpr std::string_view kCheckingNewsText = "Checking for news...";
// The status bar's note when the check stopped on a failure of its own; the reason follows.
inline constexpr std::string_view kCheckStoppedNote = "The update check stopped: ";

struct NetCheckerOptions {
    std::string baseAddress;  // ends in "/"
    int timeoutMs = 10000;    // per request, from start to last byte
    int checkLimitMs = 15000; // the whole check, from DoCheck to its end
    qint64 maxReplyBytes = qint64{1} << 20;
};

// The options the program uses: the base address from the environment or the user's
// settings (see updates/Endpoint.h), the default limits.
NetCheckerOptions DefaultNetCheckerOptions();

class NetChecker : public QWidget {
    Q_OBJECT
public:
    // Shows itself (modeless) at once; deletes itself when it closes.
    NetChecker(AddinContext& context, NetCheckerOptions options, QWidget* parent = nullptr);
    ~NetChecker() override;

    QLabel* lblStatus = nullptr;

    // Starts the check and returns at once; the window closes itself when the check ends.
    void DoCheck();

signals:
    // The check has ended (the window closes right after).
    void checkEnded();

private:
    using ReplyHandler = std::function<void(bool ok, const QByteArray& body)>;
    // Requests base address + `relative`; `done` runs once, on the event loop.
    void request(std::string_view relative, ReplyHandler done);
    void onConnectReply(bool ok, const QByteArray& body);
    void onNewsReply(bool ok, const QByteArray& body);
    void onSitesReply(bool ok, const QByteArray& body);
    // True when a question was asked.
    bool evaluateNews();
    void finish();
    // Ends the check with `note` in the host's status bar (none when empty).
    void finishSaying(const std::string& note);
    // What is left of the whole check's time.
    int remainingMs() const;

    AddinContext& context_;
    NetCheckerOptions options_;
    QNetworkAccessManager* network_ = nullptr;
    std::string newsReply_;
    QElapsedTimer started_;
    bool finished_ = false;
};

} // namespace tlx
