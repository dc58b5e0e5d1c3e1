#include "host/qt/WebServer.h"

#include "BuildPaths.h"
#include "DeviceFontsScript.h"
#include "FlashParamsScript.h"
#include "PlayerNamesScript.h"
#include "platform/Log.h"
#include "platform/ShippedData.h"
#include "publish/PlayerScript.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpSocket>
#include <algorithm>
#include <array>
#include <exception>

namespace tlx::host {

namespace {

using Status = QHttpServerResponder::StatusCode;

// Files larger than this are not served (the player's WebAssembly is about 10 MB).
constexpr qint64 kMaxFileSize = 256LL * 1024 * 1024;

bool validMountName(const QString& mount) {
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9]+$"));
    return pattern.match(mount).hasMatch();
}

QString randomPrefix() {
    std::array<quint32, 4> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    QString prefix;
    for (const quint32 word : words)
        prefix += QStringLiteral("%1").arg(word, 8, 16, QLatin1Char('0'));
    return prefix;
}

bool isHtml(const QString& name) {
    const QString lower = name.toLower();
    return lower.endsWith(QLatin1String(".htm")) || lower.endsWith(QLatin1String(".html"));
}

// One percent-encoded path segment decoded; nullopt when it names no file of its own ("", ".",
// "..", or a name holding a separator or a NUL once decoded).
std::optional<QString> decodeSegment(const QByteArray& encoded) {
    const QByteArray bytes = QByteArray::fromPercentEncoding(encoded);
    if (bytes.isEmpty() || bytes == "." || bytes == ".." || bytes.contains('/') ||
        bytes.contains('\\') || bytes.contains('\0'))
        return std::nullopt;
    QString name = QString::fromUtf8(bytes);
    if (name.trimmed() == QLatin1String(".."))
        return std::nullopt;
    return name;
}

} // namespace

WebServer::WebServer(QObject* parent) : QAbstractHttpServer(parent), prefix_(randomPrefix()) {
    mounts_.insert(kRuffle, QString::fromStdString(ThisProgramsShippedData().ruffle.string()));
}

WebServer::~WebServer() = default;

bool WebServer::start() {
    if (port_ != 0)
        return true;
    port_ = listen(QHostAddress::LocalHost, 0);
    return port_ != 0;
}

QUrl WebServer::urlFor(const QString& mount, const QString& relativePath) const {
    if (port_ == 0)
        return QUrl();
    QByteArray path = '/' + prefix_.toLatin1() + '/' + QUrl::toPercentEncoding(mount) + '/';
    const QStringList names = QString(relativePath)
                                  .replace(QLatin1Char('\\'), QLatin1Char('/'))
                                  .split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (i > 0)
            path += '/';
        path += QUrl::toPercentEncoding(names[i]);
    }
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(port_);
    url.setPath(QString::fromLatin1(path), QUrl::StrictMode);
    return url;
}

void WebServer::setMountFolder(const QString& mount, const QString& folder) {
    if (!validMountName(mount))
        return;
    if (folder.isEmpty())
        mounts_.remove(mount);
    else
        mounts_.insert(mount, folder);
}

QString WebServer::mountFolder(const QString& mount) const {
    return mounts_.value(mount);
}

void WebServer::setOverride(Override override) {
    override_ = std::move(override);
}

void WebServer::setPreviewPage(const QString& name, const QByteArray& html) {
    if (!name.isEmpty())
        previewPages_.insert(name.toLower(), html);
}

void WebServer::removePreviewPage(const QString& name) {
    previewPages_.remove(name.toLower());
}

const QByteArray& WebServer::flashParamsScript() {
    static const QByteArray script(kFlashParamsScript);
    return script;
}

QByteArray WebServer::ruffleSnippet() const {
    // The EMBED of an OBJECT gets the OBJECT's window mode and alignment before the player
    // takes it. Movies never take a view away from the page it shows (links in a movie stay
    // links of the page being edited). Device text is drawn with the system's fonts, as the
    // Flash player drew it (the player's own font has no Chinese or Japanese glyphs), in the
    // family the library's movies ask for (DeviceFonts.js).
    return QByteArrayLiteral("<script>") + flashParamsScript() +
           QByteArrayLiteral("</script><script>window.RufflePlayer = window.RufflePlayer || {}; "
                             "window.RufflePlayer.config = {autoplay: \"on\", splashScreen: "
                             "false, unmuteOverlay: \"hidden\", openUrlMode: \"deny\", "
                             "deviceFontRenderer: \"canvas\"};") +
           QByteArray(kDeviceFontsScript) + QByteArrayLiteral("</script><script src=\"") +
           urlFor(kRuffle, QStringLiteral("ruffle.js")).toEncoded() +
           QByteArrayLiteral("\"></script>") + QByteArray(kPlayerNamesScript);
}

QByteArray WebServer::injectInto(const QByteArray& html, const QByteArray& snippet) {
    static const QRegularExpression head(QStringLiteral("<head(?:\\s[^>]*)?>"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression doctype(QStringLiteral("^\\s*<!doctype[^>]*>"),
                                            QRegularExpression::CaseInsensitiveOption);
    // Searched as Latin-1 so that every byte keeps its offset, whatever the page's encoding.
    const QString text = QString::fromLatin1(html);
    qsizetype at = 0;
    if (const auto match = head.match(text); match.hasMatch()) {
        at = match.capturedEnd();
    } else {
        const qsizetype bom = html.startsWith("\xEF\xBB\xBF") ? 3 : 0;
        const auto leading = doctype.match(text, bom);
        // Before a doctype the page would fall back to quirks mode.
        at = leading.hasMatch() && leading.capturedStart() == bom ? leading.capturedEnd() : bom;
    }
    QByteArray result = html;
    result.insert(at, snippet);
    return result;
}

QByteArray WebServer::contentTypeFor(const QString& fileName) {
    static const QHash<QString, QByteArray> types = {
        {QStringLiteral("htm"), "text/html"},
        {QStringLiteral("html"), "text/html"},
        {QStringLiteral("swf"), "application/x-shockwave-flash"},
        {QStringLiteral("js"), "text/javascript"},
        {QStringLiteral("mjs"), "text/javascript"},
        {QStringLiteral("wasm"), "application/wasm"},
        {QStringLiteral("css"), "text/css"},
        {QStringLiteral("png"), "image/png"},
        {QStringLiteral("jpg"), "image/jpeg"},
        {QStringLiteral("jpeg"), "image/jpeg"},
        {QStringLiteral("gif"), "image/gif"},
        {QStringLiteral("txt"), "text/plain"},
        {QStringLiteral("mp3"), "audio/mpeg"},
        {QStringLiteral("wav"), "audio/wav"},
        {QStringLiteral("json"), "application/json"},
        {QStringLiteral("map"), "application/json"},
        {QStringLiteral("svg"), "image/svg+xml"},
        {QStringLiteral("ico"), "image/x-icon"},
    };
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return "application/octet-stream";
    return types.value(fileName.mid(dot + 1).toLower(), "application/octet-stream");
}

QString WebServer::resolveFile(const QString& root, const QStringList& segments) {
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    if (canonicalRoot.isEmpty() || segments.isEmpty())
        return QString();
    QString path = canonicalRoot;
    for (const QString& segment : segments) {
        QString next = path + QLatin1Char('/') + segment;
        if (!QFileInfo::exists(next)) {
            // Pages written for other servers may name "Button1.SWF" for "button1.swf".
            const QStringList entries = QDir(path).entryList(
                QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
            const auto found = std::find_if(entries.begin(), entries.end(), [&](const QString& e) {
                return e.compare(segment, Qt::CaseInsensitive) == 0;
            });
            if (found == entries.end())
                return QString();
            next = path + QLatin1Char('/') + *found;
        }
        path = next;
    }
    const QFileInfo info(path);
    if (!info.isFile())
        return QString();
    // Links are followed only while they stay inside the mount.
    const QString canonical = info.canonicalFilePath();
    const QString inside =
        canonicalRoot.endsWith(QLatin1Char('/')) ? canonicalRoot : canonicalRoot + QLatin1Char('/');
    if (canonical.isEmpty() || !canonical.startsWith(inside))
        return QString();
    return canonical;
}

WebServer::Answer WebServer::serve(const QString& mount, const QStringList& segments,
                                   bool document) const {
    Answer answer;
    const QString relPath = segments.join(QLatin1Char('/'));
    const QString fileName = segments.last();

    std::optional<QByteArray> body;
    bool cacheable = false;
    if (override_) {
        try {
            body = override_(mount, relPath);
        } catch (const std::exception&) {
            LogCurrentException("WebServer: a page held in memory");
            answer.status = 500;
            return answer;
        }
    }
    // The script that gives an OBJECT's parameters to its EMBED, where a page loads it as a
    // published page does (beside the player's files).
    if (!body && mount == kRuffle &&
        relPath == QLatin1String(publish::kFlashParamsFileName.data(),
                                 qsizetype(publish::kFlashParamsFileName.size()))) {
        body = flashParamsScript();
        cacheable = true;
    }
    if (!body && mount == kPreview) {
        const auto page = previewPages_.constFind(relPath.toLower());
        if (page != previewPages_.constEnd())
            body = *page;
    }
    if (!body) {
        const QString root = mounts_.value(mount);
        if (root.isEmpty())
            return answer;
        const QString path = resolveFile(root, segments);
        if (path.isEmpty())
            return answer;
        QFile file(path);
        if (file.size() > kMaxFileSize)
            return answer;
        if (!file.open(QIODevice::ReadOnly)) {
            answer.status = 403;
            return answer;
        }
        body = file.readAll();
        cacheable = mount == kRuffle;
    }

    answer.status = 200;
    answer.contentType = contentTypeFor(fileName);
    answer.cacheable = cacheable;
    answer.body = injectRuffle_ && document && isHtml(fileName) ? injectInto(*body, ruffleSnippet())
                                                                : std::move(*body);
    return answer;
}

WebServer::Answer WebServer::answer(const QHttpServerRequest& request) const {
    Answer notFound;
    // Only addresses naming this server; another host name means a page trying to reach it
    // through a name of its own.
    const QByteArray host = request.value("Host").toLower();
    const QByteArray port = QByteArray::number(port_);
    if (host != "127.0.0.1:" + port && host != "localhost:" + port)
        return notFound;

    // The path exactly as sent, split before decoding so that an encoded "/" or ".." never
    // becomes a separator or a step upwards.
    const QByteArray path = request.url().path(QUrl::FullyEncoded).toLatin1();
    const QList<QByteArray> parts = path.split('/');
    // "", prefix, mount, name...
    if (parts.size() < 4 || !parts[0].isEmpty() || parts[1] != prefix_.toLatin1())
        return notFound;
    const QString mount = QString::fromLatin1(parts[2]);
    if (!validMountName(mount))
        return notFound;
    QStringList segments;
    for (qsizetype i = 3; i < parts.size(); ++i) {
        const auto name = decodeSegment(parts[i]);
        if (!name)
            return notFound;
        segments.append(*name);
    }

    const auto method = request.method();
    if (method != QHttpServerRequest::Method::Get && method != QHttpServerRequest::Method::Head) {
        Answer refused;
        refused.status = 405;
        return refused;
    }
    // Only what the browser shows as a document (a window, a frame, an OBJECT's or EMBED's
    // content) gets the player; a page that a script or a movie reads as data (an intro
    // movie's text file, a page's script fetching a page) is served as it is. An engine that
    // does not say what it asks for gets the player in every page.
    const QByteArray destination = request.value("Sec-Fetch-Dest").toLower();
    const bool document = destination.isEmpty() || destination == "document" ||
                          destination == "iframe" || destination == "frame" ||
                          destination == "object" || destination == "embed";
    return serve(mount, segments, document);
}

bool WebServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    Answer reply;
    try {
        reply = answer(request);
    } catch (const std::exception&) {
        LogCurrentException("WebServer");
        reply = Answer{};
        reply.status = 500;
    }
    if (reply.status != 200) {
        reply.contentType = "text/plain";
        reply.body = reply.status == 405   ? QByteArrayLiteral("Method not allowed\n")
                     : reply.status == 500 ? QByteArrayLiteral("Internal error\n")
                     : reply.status == 403 ? QByteArrayLiteral("Forbidden\n")
                                           : QByteArrayLiteral("Not found\n");
    }

    QHttpServerResponder responder = makeResponder(request, socket);
    responder.writeStatusLine(static_cast<Status>(reply.status));
    responder.writeHeader("Content-Type", reply.contentType);
    responder.writeHeader("Content-Length", QByteArray::number(reply.body.size()));
    responder.writeHeader("Cache-Control", reply.cacheable ? "max-age=3600" : "no-store");
    responder.writeHeader("X-Content-Type-Options", "nosniff");
    if (reply.status == 405)
        responder.writeHeader("Allow", "GET, HEAD");
    if (request.method() == QHttpServerRequest::Method::Head)
        responder.writeBody(QByteArray());
    else
        responder.writeBody(reply.body);
    return true;
}

void WebServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.write(QByteArrayLiteral("Not found\n"), "text/plain", Status::NotFound);
}

} // namespace tlx::host
