// The server as the web views see it: a page from one mount, a movie from another, and the
// Flash player's script and WebAssembly, all played in a real web view.

#include "common/QtWait.h"
#include "host/qt/WebServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <gtest/gtest.h>

namespace tlx::host {
namespace {

// A movie of 300 x 200 pixels whose one frame is a red background (SWF 10, uncompressed).
const QByteArray kRedMovie =
    QByteArray::fromHex("465753"
                        "0a"
                        "1d000000"
                        "70000bb800007d00" // RECT: 14-bit fields, 0-6000 by 0-4000 twips
                        "0018"             // 24 frames per second
                        "0100"             // one frame
                        "4302ff0000"       // SetBackgroundColor
                        "4000"             // ShowFrame
                        "0000");           // End

QJsonObject evaluate(QWebEnginePage& page, const QString& script) {
    const auto value = tlx::testing::WaitForCallback<QVariant>(
        [&](auto done) { page.runJavaScript(script, done); }, 5000);
    return value ? QJsonDocument::fromJson(value->toString().toUtf8()).object() : QJsonObject();
}

TEST(WebServerInWebView, RufflePlaysAMovieServedFromTheLibrary) {
    WebServer server;
    if (!QFile::exists(server.mountFolder(WebServer::kRuffle) + QStringLiteral("/ruffle.js")))
        GTEST_SKIP() << "Ruffle is not installed (npm ci)";
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");

    QTemporaryDir library;
    ASSERT_TRUE(library.isValid());
    {
        QFile movie(library.filePath(QStringLiteral("red.swf")));
        ASSERT_TRUE(movie.open(QIODevice::WriteOnly));
        movie.write(kRedMovie);
    }
    server.setMountFolder(WebServer::kLibrary, library.path());
    // Named as a page written on another system would name it.
    server.setPreviewPage(QStringLiteral("check.htm"),
                          "<!DOCTYPE html><html><head><title>check</title>"
                          "<style>body{margin:0}</style></head><body>"
                          "<object width=\"300\" height=\"200\">"
                          "<param name=\"movie\" value=\"../lib/Red.SWF\">"
                          "<embed src=\"../lib/Red.SWF\" width=\"300\" height=\"200\">"
                          "</object></body></html>");
    ASSERT_TRUE(server.start());

    QWebEngineView view;
    view.resize(400, 300);
    view.show();
    view.load(server.urlFor(WebServer::kPreview, QStringLiteral("check.htm")));

    // The player has read the movie once its metadata is known, and shows it once its
    // background is painted.
    QJsonObject state;
    QColor centre;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 60000) {
        tlx::testing::Pause(250);
        state = evaluate(
            *view.page(),
            QStringLiteral("(() => { const p = document.querySelector('ruffle-object, "
                           "ruffle-embed'); return JSON.stringify({element: p ? p.tagName : '', "
                           "metadata: p && p.metadata ? p.metadata : null}); })()"));
        if (state.value(QStringLiteral("metadata")).isObject()) {
            centre = view.grab().toImage().pixelColor(150, 100);
            if (centre == QColor(255, 0, 0))
                break;
        }
    }
    EXPECT_EQ(state.value(QStringLiteral("element")).toString(), QStringLiteral("RUFFLE-OBJECT"));
    const QJsonObject metadata = state.value(QStringLiteral("metadata")).toObject();
    EXPECT_EQ(metadata.value(QStringLiteral("width")).toInt(), 300);
    EXPECT_EQ(metadata.value(QStringLiteral("swfVersion")).toInt(), 10);
    EXPECT_EQ(metadata.value(QStringLiteral("backgroundColor")).toString(),
              QStringLiteral("#FF0000"));
    EXPECT_EQ(centre, QColor(255, 0, 0));
}

} // namespace
} // namespace tlx::host
