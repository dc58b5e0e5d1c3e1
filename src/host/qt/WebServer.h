#pragma once
// The loopback web server through which the web views get pages, their movies and the Flash
// player's files. WebEngine refuses fetch() of file:// and custom schemes, which the player
// needs for its WebAssembly, so everything goes over HTTP on 127.0.0.1.
//
// Every address lies under a random prefix (/<32 hex digits>/<mount>/<path>), so that no
// other program or web page can guess one. Only GET and HEAD are answered; names that would
// leave a mount ("..", absolute paths, symbolic links pointing outside) are refused, and
// folders are never listed.

#include <QAbstractHttpServer>
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

namespace tlx::host {

class WebServer : public QAbstractHttpServer {
    Q_OBJECT

public:
    // The mounts the program uses.
    static inline const QString kWeb = QStringLiteral("web");       // the open web
    static inline const QString kLibrary = QStringLiteral("lib");   // install folder's FlashMovies
    static inline const QString kRuffle = QStringLiteral("ruffle"); // the Flash player's files
    static inline const QString kPreview = QStringLiteral("preview"); // generated preview pages

    // Answers a request from memory instead of the disk (a page's unsaved text); nullopt lets
    // the mount's folder answer. `relPath` is decoded and checked, joined with "/".
    using Override =
        std::function<std::optional<QByteArray>(const QString& mount, const QString& relPath)>;

    explicit WebServer(QObject* parent = nullptr);
    ~WebServer() override;

    // Listens on 127.0.0.1 on a free port; false when no port could be had. Calling it again
    // once listening does nothing.
    bool start();
    bool isListening() const { return port_ != 0; }
    quint16 port() const { return port_; }
    // The random path prefix, without slashes.
    QString prefix() const { return prefix_; }

    // The address of a file of a mount; `relativePath` uses "/" (or "\") between names and is
    // percent-encoded here. Add a query with QUrl::setQuery. Empty before start().
    QUrl urlFor(const QString& mount, const QString& relativePath) const;

    // Serves `folder` under `mount` (letters and digits only); an empty folder removes it.
    // The Ruffle mount starts with the folder the program was built with.
    void setMountFolder(const QString& mount, const QString& folder);
    QString mountFolder(const QString& mount) const;

    void setOverride(Override override);

    // Pages held in memory under the preview mount; an empty name is refused.
    void setPreviewPage(const QString& name, const QByteArray& html);
    void removePreviewPage(const QString& name);

    // When on (the default), every HTML page served gets the Flash player's configuration and
    // script right after its <head>; the page's own text is never changed.
    void setInjectRuffle(bool on) { injectRuffle_ = on; }
    bool injectRuffle() const { return injectRuffle_; }

    // The text inserted into HTML pages.
    QByteArray ruffleSnippet() const;
    // The script (JavaScript, without a <script> element) that gives the EMBED of every Flash
    // OBJECT the OBJECT's WMode, SAlign, Scale, Quality and BGColor parameters, which the
    // player reads from the EMBED only: kFlashParamsScript of FlashParamsScript.h, which code
    // without Qt's windows (publishing) includes as well. A page plays its movies as the
    // OBJECT says when this runs before the player's own script, as in ruffleSnippet().
    static const QByteArray& flashParamsScript();
    // `html` with the snippet inserted after the opening <head> tag, or after a leading
    // doctype (at the very start when there is none) when the page has no <head>.
    static QByteArray injectInto(const QByteArray& html, const QByteArray& snippet);

    // The Content-Type of a file name by its extension.
    static QByteArray contentTypeFor(const QString& fileName);

    // The file under `root` named by the checked `segments`, matching each name without regard
    // to letter case when the exact name is missing; empty when there is none, when it is not
    // a regular file or when it lies outside `root` after resolving links.
    static QString resolveFile(const QString& root, const QStringList& segments);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    struct Answer {
        int status = 404;
        QByteArray body;
        QByteArray contentType;
        bool cacheable = false;
    };
    Answer answer(const QHttpServerRequest& request) const;
    // `document`: the browser shows what it asked for as a document (see answer()).
    Answer serve(const QString& mount, const QStringList& segments, bool document = true) const;

    QString prefix_;
    quint16 port_ = 0;
    QHash<QString, QString> mounts_;
    QHash<QString, QByteArray> previewPages_;
    Override override_;
    bool injectRuffle_ = true;
};

} // namespace tlx::host
