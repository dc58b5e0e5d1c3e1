#include "updates/qt/NetChecker.h"

#include "markup/TextHelpers.h"
#include "platform/Log.h"
#include "platform/qt/QtPlatform.h"
#include "updates/Endpoint.h"
#include "updates/UpdateCheckFiles.h"

#include <QGuiApplication>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <utility>

namespace tlx {

namespace {

QString qs(std::string_view text) {
    return toQString(std::string(text));
}

constexpr int kMaxRedirects = 5;

} // namespace

NetCheckerOptions DefaultNetCheckerOptions() {
    NetCheckerOptions options;
    const QString environment = qEnvironmentVariable(std::string(kEndpointEnvironment).c_str());
    // ~/.config/Tamberlux/Tamberlux.conf, [updates] baseAddress=...
    const QString setting = QSettings(QStringLiteral("Tamberlux"), QStringLiteral("Tamberlux"))
                                .value(qs(kEndpointSettingKey))
                                .toString(); // empty when unset
    options.baseAddress = ChooseEndpoint(fromQString(environment), fromQString(setting));
    return options;
}

NetChecker::NetChecker(AddinContext& context, NetCheckerOptions options, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      context_(context), options_(std::move(options)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(qs(kNetCheckerCaption));
    auto* layout = new QVBoxLayout(this);
    lblStatus = new QLabel(qs(kConnectingText), this);
    lblStatus->setMinimumWidth(260);
    layout->addWidget(lblStatus);
    setMinimumSize(300, 56);
    network_ = new QNetworkAccessManager(this);
    // In the middle of the screen its owner is on: placed by the window manager beside the
    // panel at the screen's edge, it opened partly off the screen.
    adjustSize();
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - rect().center());
    show();
}

NetChecker::~NetChecker() = default;

void NetChecker::DoCheck() {
    started_.start();
    lblStatus->setText(qs(kConnectingText));
    request(kConnectRequest, [this](bool ok, const QByteArray& body) { onConnectReply(ok, body); });
}

void NetChecker::request(std::string_view relative, ReplyHandler done) {
    const QUrl address(toQString(options_.baseAddress + std::string(relative)));
    const QString startHost = address.host();
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    QNetworkReply* reply = network_->get(request);

    // One shared record per request: the body so far and whether it has been answered.
    struct Pending {
        QByteArray body;
        bool answered = false;
        bool failed = false;
        ReplyHandler done;
    };
    auto pending = std::make_shared<Pending>();
    pending->done = std::move(done);
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);

    // Ends the request once: hands the body (or the failure) on, on a later turn of the loop.
    const auto end = [this, pending, timer, reply = QPointer<QNetworkReply>(reply)](bool failed) {
        if (pending->answered)
            return;
        pending->answered = true;
        pending->failed = failed;
        timer->stop();
        timer->deleteLater();
        if (reply) {
            reply->disconnect(this);
            if (reply->isRunning())
                reply->abort();
            reply->deleteLater();
        }
        QTimer::singleShot(0, this, [this, pending] {
            try {
                pending->done(!pending->failed, pending->body);
            } catch (const std::exception&) {
                // A step that cannot go on (a file of the install folder it cannot read, say)
                // ends the check, which says why, instead of leaving its window waiting.
                finishSaying(std::string(kCheckStoppedNote) + LogCurrentException("NetChecker"));
            }
        });
    };

    connect(timer, &QTimer::timeout, this, [end] { end(true); });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply, pending, end] {
        pending->body += reply->readAll();
        if (pending->body.size() > options_.maxReplyBytes)
            end(true); // cut off: too large to be a reply of the endpoint
    });
    connect(reply, &QNetworkReply::redirected, this, [reply, startHost, end](const QUrl& to) {
        const QString scheme = to.scheme().toLower();
        if (scheme == QLatin1String("https") ||
            (scheme == QLatin1String("http") &&
             to.host().compare(startHost, Qt::CaseInsensitive) == 0))
            emit reply->redirectAllowed();
        else
            end(true);
    });
    connect(reply, &QNetworkReply::finished, this,
            [reply, pending, end, maxBytes = options_.maxReplyBytes] {
                if (pending->answered)
                    return;
                pending->body += reply->readAll();
                const int status =
                    reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
                end(reply->error() != QNetworkReply::NoError || status >= 400 ||
                    pending->body.size() > maxBytes);
            });
    timer->start(std::max(0, std::min(options_.timeoutMs, remainingMs())));
}

int NetChecker::remainingMs() const {
    if (!started_.isValid())
        return options_.checkLimitMs;
    return static_cast<int>(std::max<qint64>(0, options_.checkLimitMs - started_.elapsed()));
}

void NetChecker::onConnectReply(bool ok, const QByteArray& body) {
    if (!ok || !IsConnectReply(body.toStdString())) {
        const QString host = QUrl(toQString(options_.baseAddress)).host();
        finishSaying(std::string(kUnreachableNote) +
                     fromQString(host.isEmpty() ? toQString(options_.baseAddress) : host));
        return;
    }
    lblStatus->setText(qs(kCheckingNewsText));
    request(kNewsRequest,
            [this](bool newsOk, const QByteArray& news) { onNewsReply(newsOk, news); });
}

void NetChecker::onNewsReply(bool ok, const QByteArray& body) {
    // A news reply that did not arrive announces nothing.
    newsReply_ = ok ? body.toStdString() : std::string();
    if (context_.StatusFlag != kStatusDoCheckFiles) {
        finish();
        return;
    }
    request(kSitesRequest,
            [this](bool sitesOk, const QByteArray& sites) { onSitesReply(sitesOk, sites); });
}

void NetChecker::onSitesReply(bool ok, const QByteArray& body) {
    const std::string reply = body.toStdString();
    if (ok && IsSitesReply(reply)) {
        if (const Result<> kept = WriteSitesFile(context_.InstallFolder, reply); !kept)
            LogWarning("NetChecker", "the sites list was not kept: " + kept.error());
    }
    finishSaying(evaluateNews() ? std::string() : std::string(kNoNewsNote));
}

bool NetChecker::evaluateNews() {
    const KqzVersions kept = ReadVersionFile(context_.InstallFolder);
    const NewsEvaluation evaluation = EvaluateNews(newsReply_, kept);
    const auto ask = [this](std::string_view question) {
        const MsgResult answer =
            context_.platform.messageBox(std::string(question), MsgButtons::YesNo,
                                         MsgIcon::Information, std::string(kNetCheckerTitle));
        if (answer == MsgResult::Yes)
            ShellOpen(context_.Editor, context_.platform, options_.baseAddress);
    };
    if (evaluation.askNews)
        ask(kNewsQuestion);
    if (evaluation.askFlash)
        ask(kFlashQuestion);
    const bool asked = evaluation.askNews || evaluation.askFlash;
    // A reply that announces nothing changes nothing.
    if (AnnouncedVersion(newsReply_, kNewsMarker) || AnnouncedVersion(newsReply_, kFlashMarker)) {
        if (const Result<> stored = WriteVersionFile(context_.InstallFolder, evaluation.versions);
            !stored)
            LogWarning("NetChecker", "the announced versions were not kept: " + stored.error());
    }
    return asked;
}

void NetChecker::finishSaying(const std::string& note) {
    if (finished_)
        return;
    if (!note.empty())
        context_.Editor.SetStatusText(note);
    finish();
}

void NetChecker::finish() {
    if (finished_)
        return;
    finished_ = true;
    emit checkEnded();
    close(); // deletes the window
}

} // namespace tlx
