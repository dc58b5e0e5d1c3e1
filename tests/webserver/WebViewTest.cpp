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

// Writes kRedMovie as red.swf into `folder`.
bool WriteRedMovie(const QTemporaryDir& folder) {
    QFile movie(folder.filePath(QStringLiteral("red.swf")));
    return folder.isValid() && movie.open(QIODevice::WriteOnly) &&
           movie.write(kRedMovie) == kRedMovie.size();
}

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
    ASSERT_TRUE(WriteRedMovie(library));
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

// A page as it is published or served (the script in its head, the objects parsed after it):
// the player plays each OBJECT's EMBED with the OBJECT's window mode and alignment, unless the
// EMBED states its own.
TEST(WebServerInWebView, EmbedsPlayWithTheWindowModeAndAlignmentOfTheirObject) {
    WebServer server;
    if (!QFile::exists(server.mountFolder(WebServer::kRuffle) + QStringLiteral("/ruffle.js")))
        GTEST_SKIP() << "Ruffle is not installed (npm ci)";
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    struct Case {
        const char* name;
        const char* params;   // of the OBJECT
        const char* embed;    // attributes of its EMBED; no EMBED for nullptr
        const char* expected; // wmode|salign the EMBED plays with
    };
    const Case cases[] = {
        // as the save-time repair writes it
        {"canonical", "<PARAM NAME=WMode VALUE=TRANSPARENT><PARAM NAME=SAlign VALUE=LB>", "",
         "transparent|LB"},
        // as the properties dialog writes it
        {"dialog", "<PARAM NAME=wmode VALUE=opaque><PARAM NAME=salign VALUE=RT>",
         " wmode=opaque salign=RT", "opaque|RT"},
        {"own", "<PARAM NAME=WMode VALUE=TRANSPARENT><PARAM NAME=SAlign VALUE=L>", " wmode=opaque",
         "opaque|L"},
        {"empty", "<PARAM NAME=WMode VALUE=><PARAM NAME=SAlign VALUE=>", "", "|"},
        // an OBJECT the player plays itself: its own PARAMs, read in any letter case
        {"alone", "<PARAM NAME=WMode VALUE=TRANSPARENT><PARAM NAME=SAlign VALUE=LB>", nullptr,
         "transparent|LB"},
    };
    QByteArray body;
    for (const Case& c : cases)
        body += QByteArray("<OBJECT classid='clsid:D27CDB6E-AE6D-11cf-96B8-444553540000' NAME=o") +
                c.name + " WIDTH=30 HEIGHT=20><PARAM NAME=movie VALUE=\"../lib/red.swf\">" +
                c.params +
                (c.embed ? QByteArray("<EMBED src='../lib/red.swf' NAME=e") + c.name + c.embed +
                               " TYPE='application/x-shockwave-flash' WIDTH=30 HEIGHT=20></EMBED>"
                         : QByteArray()) +
                "</OBJECT>";
    QTemporaryDir library;
    ASSERT_TRUE(WriteRedMovie(library));
    server.setMountFolder(WebServer::kLibrary, library.path());
    server.setPreviewPage(QStringLiteral("modes.htm"),
                          "<!DOCTYPE html><html><head><title>modes</title></head><body>" + body +
                              "</body></html>");
    ASSERT_TRUE(server.start());
    QWebEngineView view;
    view.resize(400, 300);
    view.show();
    view.load(server.urlFor(WebServer::kPreview, QStringLiteral("modes.htm")));

    // What each EMBED (or the player standing in its place) says once the player has come.
    QJsonObject played;
    ASSERT_TRUE(tlx::testing::WaitUntil(
        [&] {
            played = evaluate(
                *view.page(),
                QStringLiteral(
                    "(() => { const r = {}; document.querySelectorAll('ruffle-embed').forEach("
                    "e => { r[e.getAttribute('name')] = (e.getAttribute('wmode') || '') + '|' + "
                    "(e.getAttribute('salign') || ''); }); document.querySelectorAll("
                    "'ruffle-object').forEach(o => { const v = n => Array.from(o.children)"
                    ".filter(p => p.tagName === 'PARAM' && p.getAttribute('name').toLowerCase()"
                    " === n).map(p => p.getAttribute('value')).join(''); r['e' + "
                    "o.getAttribute('name').slice(1)] = v('wmode') + '|' + v('salign'); }); "
                    "return JSON.stringify(r); })()"));
            return played.size() == int(std::size(cases));
        },
        30000, 250))
        << QJsonDocument(played).toJson().toStdString();
    for (const Case& c : cases)
        EXPECT_EQ(
            played.value(QStringLiteral("e") + QLatin1String(c.name)).toString().toStdString(),
            c.expected)
            << c.name;
}

} // namespace
} // namespace tlx::host
