#include "catalog/qt/WebFlashPreview.h"

#include "host/qt/ScriptBridge.h"
#include "host/qt/WebServer.h"
#include "platform/Log.h"

#include <QDialog>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeySequence>
#include <QShortcut>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineSettings>

namespace tlx {

namespace {

const QString kPlayerPage = QStringLiteral("player.htm");

// How long a restart may take to show its movie before the next one goes ahead anyway.
constexpr int kRestartLimitMs = 2000;
// How often the player page is loaded before the preview gives up, and the pause between.
constexpr int kPageAttempts = 3;
constexpr int kPageRetryMs = 300;

} // namespace

void PreviewBridge::settled(int restart, bool shown) {
    emit restartSettled(restart, shown);
}

QByteArray WebFlashPreview::PlayerPage() {
    return host::ResourceText(QStringLiteral(":/tlx/preview-player.htm"));
}

WebFlashPreview::WebFlashPreview(QSize size, QWidget* parent) : QWebEngineView(parent) {
    setFixedSize(size);
    setContextMenuPolicy(Qt::NoContextMenu);
    page()->setBackgroundColor(Qt::white);
    settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    settings()->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    // The player keeps the keys it is given, so Escape would not reach the dialog while the
    // preview has the focus (it takes it after a colour change): the dialog closes as from
    // anywhere else in it.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, [this] {
        if (auto* dialog = qobject_cast<QDialog*>(window()))
            dialog->reject();
    });

    coalesce_ = new QTimer(this);
    coalesce_->setSingleShot(true);
    coalesce_->setInterval(0);
    connect(coalesce_, &QTimer::timeout, this, [this] { Issue(); });
    flightLimit_ = new QTimer(this);
    flightLimit_->setSingleShot(true);
    flightLimit_->setInterval(kRestartLimitMs);
    connect(flightLimit_, &QTimer::timeout, this, [this] { Settled(sequence_); });

    auto* server = new host::WebServer(this);
    server_ = server;
    if (!server->start()) {
        LogWarning("FlashPreview", "no loopback port for the preview; it stays empty");
        return;
    }
    server->setPreviewPage(kPlayerPage, PlayerPage());
    const QUrl page = server->urlFor(host::WebServer::kPreview, kPlayerPage);
    connect(this, &QWebEngineView::loadFinished, this, [this, page](bool ok) {
        if (!ok) {
            // A load cut short (a busy machine) is tried again a few times rather than leaving
            // the preview empty for the dialog's life.
            const bool again = ++pageAttempts_ < kPageAttempts;
            LogWarning("FlashPreview",
                       std::string("the player page did not load") +
                           (again ? "; trying again" : "; the preview stays empty"));
            if (again)
                QTimer::singleShot(kPageRetryMs, this, [this, page] { load(page); });
            return;
        }
        pageReady_ = true;
        if (pending_)
            ScheduleRestart();
    });
    bridge_ = new PreviewBridge(QWebEngineView::page());
    host::InstallScriptBridge(*QWebEngineView::page(), *bridge_,
                              {QStringLiteral(":/tlx/preview.js")});
    connect(bridge_, &PreviewBridge::restartSettled, this, [this](int n, bool shown) {
        if (shown) {
            ++shown_;
            // A window of its own does not always repaint when the engine swaps a frame in.
            for (QWidget* child : findChildren<QWidget*>())
                child->update();
            update();
        } else {
            LogWarning("FlashPreview", "the player could not load " + moviePath_);
        }
        Settled(n);
    });
    load(page);
}

WebFlashPreview::~WebFlashPreview() {
    // Nothing may call back into a half-destroyed view.
    disconnect(this, nullptr, this, nullptr);
    if (bridge_)
        bridge_->disconnect(this);
    coalesce_->stop();
    flightLimit_->stop();
}

void WebFlashPreview::Movie(const std::string& path) {
    moviePath_ = path;
    stopped_ = false;
    ScheduleRestart();
}

void WebFlashPreview::BGColor(const std::string& colourText) {
    background_ = colourText;
    ScheduleRestart();
}

void WebFlashPreview::SetVariable(const std::string& name, const std::string& value) {
    for (auto& variable : variables_)
        if (variable.first == name) {
            variable.second = value;
            return;
        }
    variables_.emplace_back(name, value);
}

void WebFlashPreview::GotoFrame(int) {
    // A rewind takes effect with the next Play: the movie is loaded again from its start.
}

void WebFlashPreview::StopPlay() {
    stopped_ = true;
}

void WebFlashPreview::Play() {
    stopped_ = false;
    ScheduleRestart();
}

void WebFlashPreview::Focus() {
    setFocus(Qt::OtherFocusReason);
}

void WebFlashPreview::ScheduleRestart() {
    pending_ = true;
    if (pageReady_ && !inFlight_ && !coalesce_->isActive())
        coalesce_->start();
}

QString WebFlashPreview::ParametersJson() const {
    QJsonObject parameters;
    for (const auto& [name, value] : variables_)
        parameters.insert(QString::fromStdString(name), QString::fromStdString(value));
    return QString::fromUtf8(QJsonDocument(parameters).toJson(QJsonDocument::Compact));
}

void WebFlashPreview::Issue() {
    if (!pending_ || !pageReady_ || inFlight_ || !server_)
        return;
    pending_ = false;
    QString url;
    if (!moviePath_.empty()) {
        const QFileInfo movie(QString::fromStdString(moviePath_));
        server_->setMountFolder(host::WebServer::kLibrary, movie.absolutePath());
        url = QString::fromLatin1(
            server_->urlFor(host::WebServer::kLibrary, movie.fileName()).toEncoded());
    }
    QStringList pairs;
    for (const auto& [name, value] : variables_)
        pairs << QString::fromStdString(name + "=" + value);
    lastParameters_ = pairs.join(QLatin1Char('&'));

    ++sequence_;
    ++issued_;
    inFlight_ = true;
    flightLimit_->start();
    const QJsonDocument args(QJsonObject{
        {QStringLiteral("url"), url}, {QStringLiteral("bg"), QString::fromStdString(background_)}});
    const QString script = QStringLiteral("(function(a){tlxRestart(%1,a.url,%2,a.bg,%3);})(%4)")
                               .arg(sequence_)
                               .arg(ParametersJson())
                               .arg(stopped_ ? QStringLiteral("false") : QStringLiteral("true"))
                               .arg(QString::fromUtf8(args.toJson(QJsonDocument::Compact)));
    page()->runJavaScript(script);
}

void WebFlashPreview::Settled(int sequence) {
    if (sequence != sequence_ || !inFlight_)
        return;
    inFlight_ = false;
    flightLimit_->stop();
    if (pending_)
        coalesce_->start();
}

} // namespace tlx
