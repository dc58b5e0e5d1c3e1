#include "host/qt/WebServer.h"

#include "DeviceFontsScript.h"
#include "PlayerNamesScript.h"
#include "common/QtTestEnvironment.h"
#include "common/QtWait.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace tlx::host {
namespace {

[[maybe_unused]] const ::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new testing::QtTestEnvironment);

struct Fetched {
    int status = 0;
    QByteArray body;
    QByteArray contentType;
};

// Through the same network stack the web views use.
Fetched fetch(const QUrl& url, const QByteArray& destination = QByteArray()) {
    QNetworkAccessManager network;
    QNetworkRequest request(url);
    if (!destination.isEmpty())
        request.setRawHeader("Sec-Fetch-Dest", destination);
    const std::unique_ptr<QNetworkReply> reply(network.get(request));
    tlx::testing::WaitUntil([&] { return reply->isFinished(); }, 5000);
    Fetched result;
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.body = reply->readAll();
    result.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
    return result;
}

// A request written byte for byte, so that no client tidies the path before it is sent.
struct RawReply {
    int status = 0;
    QByteArray headers;
    QByteArray body;
};

RawReply rawRequest(quint16 port, const QByteArray& method, const QByteArray& target,
                    const QByteArray& host = QByteArray()) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    RawReply result;
    if (!socket.waitForConnected(3000))
        return result;
    const QByteArray hostHeader = host.isEmpty() ? "127.0.0.1:" + QByteArray::number(port) : host;
    socket.write(method + ' ' + target + " HTTP/1.1\r\nHost: " + hostHeader +
                 "\r\nConnection: close\r\n\r\n");
    QByteArray data;
    QEventLoop loop;
    QObject::connect(&socket, &QTcpSocket::readyRead, &loop, [&] {
        data += socket.readAll();
        // Complete once the headers and the announced body have arrived.
        const qsizetype end = data.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        static const QRegularExpression lengthPattern(QStringLiteral("content-length:\\s*(\\d+)"),
                                                      QRegularExpression::CaseInsensitiveOption);
        const auto length = lengthPattern.match(QString::fromLatin1(data.left(end)));
        const qsizetype expected = length.hasMatch() ? length.captured(1).toLongLong() : 0;
        const qsizetype bodyLength = method == "HEAD" ? 0 : expected;
        if (data.size() - end - 4 >= bodyLength)
            loop.quit();
    });
    QObject::connect(&socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
    QTimer::singleShot(3000, &loop, &QEventLoop::quit);
    loop.exec();
    data += socket.readAll();
    const qsizetype end = data.indexOf("\r\n\r\n");
    if (end < 0 || !data.startsWith("HTTP/1."))
        return result;
    result.status = data.mid(9, 3).toInt();
    result.headers = data.left(end);
    result.body = data.mid(end + 4);
    return result;
}

void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class WebServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        root = dir.path();
        // The secret lies next to the mounts, where no request may reach it.
        writeFile(root + "/secret.txt", "SECRET");
        writeFile(root + "/web/index.htm", page);
        writeFile(root + "/web/sub dir/Page Two.html", "<html><body>two</body></html>");
        writeFile(root + "/web/styles/site.css", "body{}");
        writeFile(root + "/lib/button1.swf", "FWS-movie");
        writeFile(root + "/lib/beep.mp3", "ID3");
        writeFile(root + "/ruffle/ruffle.js", "// player");
        writeFile(root + "/ruffle/core.wasm", QByteArray("\0asm", 4));
        server.setMountFolder(WebServer::kWeb, root + "/web");
        server.setMountFolder(WebServer::kLibrary, root + "/lib");
        server.setMountFolder(WebServer::kRuffle, root + "/ruffle");
        ASSERT_TRUE(server.start());
    }

    QByteArray prefixed(const QByteArray& rest) const {
        return '/' + server.prefix().toLatin1() + '/' + rest;
    }

    const QByteArray page = "<!DOCTYPE html><html><head><title>Home</title></head><body>"
                            "<object><embed src=\"button1.swf\"></object></body></html>";
    QTemporaryDir dir;
    QString root;
    WebServer server;
};

TEST_F(WebServerTest, ServesEveryMountOnLoopbackUnderARandomPrefix) {
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^[0-9a-f]{32}$")).match(server.prefix()).hasMatch());
    WebServer other;
    EXPECT_NE(other.prefix(), server.prefix());

    const QUrl movieUrl = server.urlFor(WebServer::kLibrary, QStringLiteral("button1.swf"));
    EXPECT_EQ(movieUrl.host(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(movieUrl.port(), server.port());
    const Fetched movie = fetch(movieUrl);
    EXPECT_EQ(movie.status, 200);
    EXPECT_EQ(movie.body, "FWS-movie");
    EXPECT_EQ(movie.contentType, "application/x-shockwave-flash");

    // Movie references carry their parameters in the query.
    QUrl withQuery = movieUrl;
    withQuery.setQuery(QStringLiteral("T1=Home+Page&TC=%23ff0000"));
    EXPECT_EQ(fetch(withQuery).body, "FWS-movie");

    const Fetched two =
        fetch(server.urlFor(WebServer::kWeb, QStringLiteral("sub dir/Page Two.html")));
    EXPECT_EQ(two.status, 200);
    EXPECT_TRUE(two.body.contains("<body>two</body>"));
    EXPECT_EQ(two.contentType, "text/html");

    const Fetched player = fetch(server.urlFor(WebServer::kRuffle, QStringLiteral("ruffle.js")));
    EXPECT_EQ(player.status, 200);
    EXPECT_EQ(player.contentType, "text/javascript");

    // The player refuses to compile its WebAssembly without this type.
    const Fetched wasm = fetch(server.urlFor(WebServer::kRuffle, QStringLiteral("core.wasm")));
    EXPECT_EQ(wasm.status, 200);
    EXPECT_EQ(wasm.contentType, "application/wasm");
    EXPECT_EQ(wasm.body, QByteArray("\0asm", 4));

    server.setPreviewPage(QStringLiteral("p1.htm"),
                          "<html><head></head><body>preview</body></html>");
    const Fetched preview = fetch(server.urlFor(WebServer::kPreview, QStringLiteral("p1.htm")));
    EXPECT_EQ(preview.status, 200);
    EXPECT_TRUE(preview.body.contains("preview"));
    server.removePreviewPage(QStringLiteral("p1.htm"));
    EXPECT_EQ(fetch(server.urlFor(WebServer::kPreview, QStringLiteral("p1.htm"))).status, 404);
}

TEST_F(WebServerTest, FileNamesMatchWithoutRegardToLetterCase) {
    const Fetched movie = fetch(server.urlFor(WebServer::kLibrary, QStringLiteral("Button1.SWF")));
    EXPECT_EQ(movie.status, 200);
    EXPECT_EQ(movie.body, "FWS-movie");
    EXPECT_EQ(movie.contentType, "application/x-shockwave-flash");
    EXPECT_EQ(fetch(server.urlFor(WebServer::kWeb, QStringLiteral("SUB DIR/page two.HTML"))).status,
              200);
    EXPECT_EQ(fetch(server.urlFor(WebServer::kWeb, QStringLiteral("sub dir/missing.html"))).status,
              404);
}

TEST_F(WebServerTest, NothingOutsideThePrefixTheMountsOrTheFiles) {
    const quint16 port = server.port();
    const QList<QByteArray> refused = {
        "/",
        "/web/index.htm",
        "/0123456789abcdef0123456789abcdef/web/index.htm",
        '/' + server.prefix().toUpper().toLatin1() + "/web/index.htm",
        prefixed(""),
        prefixed("web"),
        prefixed("web/"),
        prefixed("web/sub%20dir"), // a folder is never listed
        prefixed("web/sub%20dir/"),
        prefixed("nomount/index.htm"),
        prefixed("web//index.htm"),
    };
    for (const QByteArray& target : refused) {
        SCOPED_TRACE(target.toStdString());
        const RawReply reply = rawRequest(port, "GET", target);
        EXPECT_EQ(reply.status, 404);
        EXPECT_FALSE(reply.body.contains("<html>"));
    }
    EXPECT_EQ(rawRequest(port, "GET", prefixed("web/index.htm")).status, 200);
}

TEST_F(WebServerTest, TraversalPlainOrEncodedIsRefused) {
    const quint16 port = server.port();
    const QList<QByteArray> attacks = {
        prefixed("web/../secret.txt"),
        prefixed("web/sub%20dir/../../secret.txt"),
        prefixed("web/%2e%2e/secret.txt"),
        prefixed("web/%2E%2E/secret.txt"),
        prefixed("web/%2e%2e%2fsecret.txt"),
        prefixed("web/..%2fsecret.txt"),
        prefixed("web/..%5csecret.txt"),
        prefixed("web/.%2e/secret.txt"),
        prefixed("web/%2fetc%2fpasswd"),
        prefixed("web/./index.htm"),
        prefixed("web/index.htm%00.txt"),
        prefixed("../secret.txt"),
        prefixed("web/" + QDir(root).absoluteFilePath("secret.txt").toLatin1()),
    };
    for (const QByteArray& target : attacks) {
        SCOPED_TRACE(target.toStdString());
        const RawReply reply = rawRequest(port, "GET", target);
        EXPECT_NE(reply.status, 0); // the server answered
        EXPECT_NE(reply.status, 200);
        EXPECT_FALSE(reply.body.contains("SECRET"));
    }
    // The network stack of the web views tidies ".." away before sending; still nothing leaks.
    QUrl tidied = server.urlFor(WebServer::kWeb, QStringLiteral("index.htm"));
    tidied.setPath(tidied.path() + QStringLiteral("/../../../secret.txt"));
    const Fetched fetched = fetch(tidied);
    EXPECT_NE(fetched.status, 200);
    EXPECT_FALSE(fetched.body.contains("SECRET"));
}

TEST_F(WebServerTest, SymbolicLinksLeavingTheMountAreRefused) {
    ASSERT_TRUE(QFile::link(root + "/secret.txt", root + "/web/escape.txt"));
    ASSERT_TRUE(QFile::link(root, root + "/web/up"));
    ASSERT_TRUE(QFile::link(root + "/web/index.htm", root + "/web/alias.htm"));

    const Fetched escape = fetch(server.urlFor(WebServer::kWeb, QStringLiteral("escape.txt")));
    EXPECT_EQ(escape.status, 404);
    EXPECT_FALSE(escape.body.contains("SECRET"));
    EXPECT_EQ(fetch(server.urlFor(WebServer::kWeb, QStringLiteral("up/secret.txt"))).status, 404);
    EXPECT_EQ(fetch(server.urlFor(WebServer::kWeb, QStringLiteral("up/lib/button1.swf"))).status,
              404);
    // A link that stays inside is an ordinary name.
    EXPECT_EQ(fetch(server.urlFor(WebServer::kWeb, QStringLiteral("alias.htm"))).status, 200);
}

TEST_F(WebServerTest, OnlyGetAndHeadForThisServersOwnHostName) {
    const quint16 port = server.port();
    const RawReply head = rawRequest(port, "HEAD", prefixed("lib/button1.swf"));
    EXPECT_EQ(head.status, 200);
    EXPECT_TRUE(head.headers.toLower().contains("content-length: 9"));
    EXPECT_TRUE(head.body.isEmpty());

    for (const QByteArray method : {"POST", "PUT", "DELETE"}) {
        SCOPED_TRACE(method.toStdString());
        const RawReply reply = rawRequest(port, method, prefixed("lib/button1.swf"));
        EXPECT_EQ(reply.status, 405);
        EXPECT_FALSE(reply.body.contains("FWS"));
    }
    // A page that reached 127.0.0.1 through a name of its own gets nothing.
    EXPECT_EQ(rawRequest(port, "GET", prefixed("lib/button1.swf"), "attacker.example").status, 404);
    EXPECT_EQ(rawRequest(port, "GET", prefixed("lib/button1.swf"),
                         "localhost:" + QByteArray::number(port))
                  .status,
              200);
}

TEST_F(WebServerTest, RuffleIsInjectedIntoTheServedCopyOnly) {
    const Fetched served = fetch(server.urlFor(WebServer::kWeb, QStringLiteral("index.htm")));
    ASSERT_EQ(served.status, 200);
    const QByteArray rufflePath =
        server.urlFor(WebServer::kRuffle, QStringLiteral("ruffle.js")).toEncoded();
    // The script that hands the OBJECT's options to its EMBED runs before the player's.
    ASSERT_TRUE(WebServer::flashParamsScript().contains("tlxMendFlashParams"));
    EXPECT_TRUE(served.body.startsWith(
        "<!DOCTYPE html><html><head><script>" + WebServer::flashParamsScript() +
        "</script><script>window.RufflePlayer = "
        "window.RufflePlayer || {}; window.RufflePlayer.config = "
        "{autoplay: \"on\", splashScreen: false, unmuteOverlay: "
        "\"hidden\", openUrlMode: \"deny\", deviceFontRenderer: \"canvas\"};" +
        QByteArray(kDeviceFontsScript) + "</script><script src=\"" + rufflePath + "\"></script>" +
        QByteArray(kPlayerNamesScript) + "<title>Home</title>"));
    EXPECT_EQ(readFile(root + "/web/index.htm"), page);

    // A page shown as a document gets the player, the same page read as data does not (an
    // intro movie's text file, a page's script fetching a page).
    for (const auto& [destination, player] :
         {std::pair{QByteArray("document"), true}, {"iframe", true}, {"empty", false}}) {
        const Fetched asked =
            fetch(server.urlFor(WebServer::kWeb, QStringLiteral("index.htm")), destination);
        EXPECT_EQ(asked.body.contains("ruffle.js"), player) << destination.toStdString();
        if (!player) {
            EXPECT_EQ(asked.body, page);
        }
    }

    // Other files are served untouched; without injection the page is served as it is.
    EXPECT_EQ(fetch(server.urlFor(WebServer::kWeb, QStringLiteral("styles/site.css"))).body,
              "body{}");
    server.setInjectRuffle(false);
    EXPECT_EQ(fetch(server.urlFor(WebServer::kWeb, QStringLiteral("index.htm"))).body, page);
}

TEST_F(WebServerTest, OverrideServesUnsavedTextFromMemory) {
    QStringList asked;
    server.setOverride(
        [&](const QString& mount, const QString& relPath) -> std::optional<QByteArray> {
            asked.append(mount + QLatin1Char(':') + relPath);
            if (mount == WebServer::kWeb && relPath == QLatin1String("index.htm"))
                return QByteArray("<html><head></head><body>unsaved edit</body></html>");
            return std::nullopt;
        });
    const Fetched edited = fetch(server.urlFor(WebServer::kWeb, QStringLiteral("index.htm")));
    EXPECT_EQ(edited.status, 200);
    EXPECT_TRUE(edited.body.contains("unsaved edit"));
    EXPECT_TRUE(edited.body.contains("window.RufflePlayer.config"));
    EXPECT_EQ(readFile(root + "/web/index.htm"), page);
    // Not answered from memory: the disk answers.
    EXPECT_EQ(fetch(server.urlFor(WebServer::kWeb, QStringLiteral("sub dir/Page Two.html"))).status,
              200);
    EXPECT_EQ(asked, (QStringList{QStringLiteral("web:index.htm"),
                                  QStringLiteral("web:sub dir/Page Two.html")}));

    // A failing override is an error answer, not a crash.
    server.setOverride([](const QString&, const QString&) -> std::optional<QByteArray> {
        throw std::runtime_error("document gone");
    });
    EXPECT_EQ(fetch(server.urlFor(WebServer::kWeb, QStringLiteral("index.htm"))).status, 500);
}

TEST(WebServerInjection, AfterTheHeadTagOrAtTheStart) {
    const QByteArray s = "<S>";
    EXPECT_EQ(WebServer::injectInto("<HTML><HEAD lang=\"en\"><TITLE>", s),
              "<HTML><HEAD lang=\"en\"><S><TITLE>");
    // <header> is not <head>.
    EXPECT_EQ(WebServer::injectInto("<body><header>x</header></body>", s),
              "<S><body><header>x</header></body>");
    // A page without <head>: after its doctype, which must stay first.
    EXPECT_EQ(WebServer::injectInto("<!doctype html>\n<p>x", s), "<!doctype html><S>\n<p>x");
    EXPECT_EQ(WebServer::injectInto("\xEF\xBB\xBF<p>x", s), "\xEF\xBB\xBF<S><p>x");
    EXPECT_EQ(WebServer::injectInto("", s), "<S>");
}

TEST(WebServerTypes, ContentTypesByExtension) {
    EXPECT_EQ(WebServer::contentTypeFor(QStringLiteral("a.HTM")), "text/html");
    EXPECT_EQ(WebServer::contentTypeFor(QStringLiteral("a.html")), "text/html");
    EXPECT_EQ(WebServer::contentTypeFor(QStringLiteral("a.swf")), "application/x-shockwave-flash");
    EXPECT_EQ(WebServer::contentTypeFor(QStringLiteral("a.js")), "text/javascript");
    EXPECT_EQ(WebServer::contentTypeFor(QStringLiteral("a.wasm")), "application/wasm");
    EXPECT_EQ(WebServer::contentTypeFor(QStringLiteral("a.css")), "text/css");
    EXPECT_EQ(WebServer::contentTypeFor(QStringLiteral("a.png")), "image/png");
    EXPECT_EQ(WebServer::contentTypeFor(QStringLiteral("a.JPG")), "image/jpeg");
    EXPECT_EQ(WebServer::contentTypeFor(QStringLiteral("a.gif")), "image/gif");
    EXPECT_EQ(WebServer::contentTypeFor(QStringLiteral("a.txt")), "text/plain");
    EXPECT_EQ(WebServer::contentTypeFor(QStringLiteral("a.mp3")), "audio/mpeg");
    EXPECT_EQ(WebServer::contentTypeFor(QStringLiteral("a.wav")), "audio/wav");
    EXPECT_EQ(WebServer::contentTypeFor(QStringLiteral("README")), "application/octet-stream");
}

TEST(WebServerUrls, NamesArePercentEncodedAndEmptyBeforeStart) {
    WebServer server;
    EXPECT_TRUE(server.urlFor(WebServer::kWeb, QStringLiteral("a.htm")).isEmpty());
    ASSERT_TRUE(server.start());
    const QUrl url = server.urlFor(WebServer::kWeb, QStringLiteral("my pages\\50% #1?.htm"));
    EXPECT_EQ(url.toEncoded(), "http://127.0.0.1:" + QByteArray::number(server.port()) + '/' +
                                   server.prefix().toLatin1() +
                                   "/web/my%20pages/50%25%20%231%3F.htm");
}

} // namespace
} // namespace tlx::host
