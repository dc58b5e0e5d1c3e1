#pragma once
// The news and update check "Updates Check....": a small window that asks the maker's endpoint
// whether it is there, what news and Flash file updates it announces, and for the current
// list of web sites; it asks the user about anything new and closes itself when done.
//
// Every request runs on the event loop (nothing waits for it), ends after its time-out, is cut
// off when its reply grows beyond a limit, and follows a redirect only to https or to the same
// host. Any failure ends the check quietly.

#include "addin/AddinContext.h"

#include <QByteArray>
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

struct NetCheckerOptions {
    std::string baseAddress; // ends in "/"
    int timeoutMs = 10000;   // per request, from start to last byte
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
    void evaluateNews();
    void finish();

    AddinContext& context_;
    NetCheckerOptions options_;
    QNetworkAccessManager* network_ = nullptr;
    std::string newsReply_;
    bool finished_ = false;
};

} // namespace tlx
