#include "catalog/qt/WebFlashPreview.h"

#include "host/qt/WebServer.h"
#include "platform/Log.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineSettings>

namespace tlx {

namespace {

const QString kPlayerPage = QStringLiteral("player.htm");

// How long a restart may take to show its movie before the next one goes ahead anyway.
constexpr int kRestartLimitMs = 2000;

// The player page: each restart makes a new player on top of the others, hidden until its
// movie has data, then shows it and removes the older ones. The title reports
// "shown N" / "failed N" for restart N.
const char* const kPlayerHtml = R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"><style>
html,body{margin:0;padding:0;width:100%;height:100%;overflow:hidden;background:#FFFFFF}
#stage{position:relative;width:100%;height:100%}
#stage>*{position:absolute;left:0;top:0;width:100%;height:100%}
</style></head><body><div id="stage"></div><script>
function tlxReport(text){document.title=text;}
function tlxRestart(n,url,params,bg,playing){
  var stage=document.getElementById('stage');
  document.body.style.background=bg;
  if(!url){tlxReport('shown '+n);return;}
  var player;
  try{player=window.RufflePlayer.newest().createPlayer();}catch(e){tlxReport('failed '+n);return;}
  player.style.visibility='hidden';
  stage.appendChild(player);
  var done=false;
  function show(){
    if(done)return;done=true;
    player.style.visibility='visible';
    var all=Array.prototype.slice.call(stage.children);
    all.forEach(function(p){if(p!==player){try{p.remove();}catch(e){}}});
    if(!playing){try{player.pause();}catch(e){}}
    tlxReport('shown '+n);
  }
  player.addEventListener('loadeddata',function(){
    requestAnimationFrame(function(){requestAnimationFrame(show);});
  });
  player.load({url:url,parameters:params,backgroundColor:bg,autoplay:'on',
    splashScreen:false,unmuteOverlay:'hidden',letterbox:'off',scale:'showAll',
    quality:'high',contextMenu:'on',deviceFontRenderer:'embedded'})
    .catch(function(){if(!done){done=true;try{player.remove();}catch(e){}tlxReport('failed '+n);}});
  setTimeout(show,1500);
}
</script></body></html>)";

} // namespace

WebFlashPreview::WebFlashPreview(QSize size, QWidget* parent) : QWebEngineView(parent) {
    setFixedSize(size);
    setContextMenuPolicy(Qt::NoContextMenu);
    page()->setBackgroundColor(Qt::white);
    settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    settings()->setAttribute(QWebEngineSettings::ShowScrollBars, false);

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
    server->setPreviewPage(kPlayerPage, QByteArray(kPlayerHtml));
    connect(this, &QWebEngineView::loadFinished, this, [this](bool ok) {
        if (!ok) {
            LogWarning("FlashPreview", "the player page did not load");
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
    load(server->urlFor(host::WebServer::kPreview, kPlayerPage));
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
