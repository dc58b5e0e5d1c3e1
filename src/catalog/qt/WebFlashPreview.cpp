#include "catalog/qt/WebFlashPreview.h"

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

// The player page: each restart makes a new player, hidden behind the one playing until its
// movie has data and two frames have passed for its first picture; then it is shown and every older
// player is removed. A player of an older restart is never shown after a newer one, and a player
// without data is never shown, so the view always holds the movie of the newest restart that could
// be shown. While a restart loads, a newer one drops every loading player but the newest, so that a
// slow machine still comes to show one between keystrokes. The title reports "shown N" /
// "failed N" for restart N.
const char* const kPlayerHtml = R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"><style>
html,body{margin:0;padding:0;width:100%;height:100%;overflow:hidden;background:#FFFFFF}
#stage{position:relative;width:100%;height:100%}
#stage>*{position:absolute;left:0;top:0;width:100%;height:100%}
</style></head><body><div id="stage"></div><script>
var tlxShown=0;
function tlxReport(text){document.title=text;}
function tlxPlayers(){return Array.prototype.slice.call(document.getElementById('stage').children);}
function tlxDrop(p){try{p.remove();}catch(e){}}
function tlxRestart(n,url,params,bg,playing){
  var stage=document.getElementById('stage');
  document.body.style.background=bg;
  if(!url){
    tlxShown=n;
    tlxPlayers().forEach(tlxDrop);
    tlxReport('shown '+n);
    return;
  }
  var loading=tlxPlayers().filter(function(p){return p.tlxRestart>tlxShown;});
  loading.slice(0,-1).forEach(tlxDrop);
  var player;
  try{player=window.RufflePlayer.newest().createPlayer();}catch(e){tlxReport('failed '+n);return;}
  player.tlxRestart=n;
  player.style.visibility='hidden';
  stage.appendChild(player);
  var ready=false;
  function show(){
    if(ready||!player.isConnected)return;
    ready=true;
    if(n<tlxShown){tlxDrop(player);return;}
    tlxShown=n;
    player.style.visibility='visible';
    tlxPlayers().forEach(function(p){if(p.tlxRestart<n)tlxDrop(p);});
    if(!playing){try{player.pause();}catch(e){}}
    tlxReport('shown '+n);
  }
  player.addEventListener('loadeddata',function(){
    requestAnimationFrame(function(){requestAnimationFrame(show);});
  });
  player.load({url:url,parameters:params,backgroundColor:bg,autoplay:'on',
    splashScreen:false,unmuteOverlay:'hidden',letterbox:'off',scale:'showAll',
    quality:'high',contextMenu:'on',deviceFontRenderer:'embedded'})
    .catch(function(){
      if(ready)return;
      ready=true;
      tlxDrop(player);
      tlxReport('failed '+n);
    });
}
</script></body></html>)";

} // namespace

QByteArray WebFlashPreview::PlayerPage() {
    return QByteArray(kPlayerHtml);
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
    connect(this, &QWebEngineView::titleChanged, this, [this](const QString& title) {
        const QStringList parts = title.split(QLatin1Char(' '));
        if (parts.size() != 2)
            return;
        bool ok = false;
        const int n = parts[1].toInt(&ok);
        if (!ok)
            return;
        if (parts[0] == QLatin1String("shown")) {
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
