// File > Publish Web... and File > Preview in Browser.

#include "EditorTestSupport.h"
#include "common/QtWait.h"
#include "host/qt/PublishWebDialog.h"
#include "markup/FlashObject.h"
#include "publish/PageScan.h"
#include "publish/PlayerScript.h"

#include <QAction>
#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace tlx::host::test {
namespace {

std::string PageWithMovie() {
    FlashObject object;
    object.Id = "oKestreliteBT001";
    object.MovieRef = "b.swf?T1=x&BS=snd.swf";
    object.Width = "150";
    object.Height = "40";
    object.Background = "#FFFFFF";
    object.WMode = "Window";
    return "<html><head><title>t</title></head><body>\r\n" + FlashObjectMarkup(object) +
           "\r\n</body></html>\r\n";
}

std::pair<int, QByteArray> Fetch(const QUrl& url) {
    QNetworkAccessManager network;
    const std::unique_ptr<QNetworkReply> reply(network.get(QNetworkRequest(url)));
    tlx::testing::WaitUntil([&] { return reply->isFinished(); }, 5000);
    return {reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll()};
}

using PublishEntries = EditorTest;

TEST_F(PublishEntries, PreviewInBrowserServesTheUnsavedPageWithThePublishedPlayer) {
    EXPECT_EQ(window->action(QStringLiteral("actionPreviewInBrowser"))->shortcut(),
              QKeySequence(Qt::Key_F12));
    const std::string original = PageWithMovie();
    writeFile(web.path() / "b.swf", "FWS");
    const auto page = open("sub/page.htm", original);
    typeAt(page, 0, QStringLiteral("<!-- unsaved -->"));
    QUrl opened;
    window->openInBrowser = [&](const QUrl& address) {
        opened = address;
        return true;
    };
    const QUrl address = window->previewInBrowser();
    ASSERT_FALSE(address.isEmpty()) << errors.join("\n").toStdString();
    EXPECT_EQ(opened, address);
    EXPECT_TRUE(address.path().endsWith(QLatin1String("/web/sub/page.htm")))
        << address.toString().toStdString();

    const auto [status, body] = Fetch(address);
    EXPECT_EQ(status, 200);
    const std::string element = publish::PlayerScriptElement("../../ruffle/");
    EXPECT_EQ(body.toStdString(),
              publish::WithPlayerScript("<!-- unsaved -->" + original, element));
    // the player's address in the element, resolved against the page, is the server's player
    EXPECT_EQ(Fetch(address.resolved(QUrl(QStringLiteral("../../ruffle/ruffle.js")))).first, 200);
    EXPECT_EQ(Fetch(address.resolved(QUrl(QStringLiteral("../b.swf")))).second, "FWS");
    // nothing of the web changed
    EXPECT_EQ(readFile(web.path() / "sub/page.htm"), original);
    EXPECT_FALSE(std::filesystem::exists(web.path() / "tamberlux-ruffle"));
}

TEST_F(PublishEntries, PublishWebRunsTheProgressDialogToItsSummary) {
    open("index.htm", PageWithMovie());
    writeFile(web.path() / "b.swf", "FWS");
    tlx::testing::TempFolder dest("tlx-publish-gui");
    window->askPublishFolder = [&] { return std::optional(dest.path()); };
    QString summary;
    window->runPublishDialog = [&](PublishWebDialog& dialog) {
        tlx::testing::WaitUntil([&] { return dialog.finished(); }, 20000);
        summary = dialog.summary();
    };
    EXPECT_FALSE(window->publishWeb()); // snd.swf is missing
    EXPECT_TRUE(summary.contains(QStringLiteral("Missing (1):"))) << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("index.htm: oKestreliteBT001: snd.swf")))
        << summary.toStdString();
    EXPECT_NE(readFile(dest.path() / "index.htm").find("tamberlux-ruffle/"), std::string::npos);

    writeFile(web.path() / "snd.swf", "FWS");
    EXPECT_TRUE(window->publishWeb());
    EXPECT_TRUE(summary.contains(QStringLiteral("Every movie the pages name is in the copy.")))
        << summary.toStdString();

    // a refused folder says why
    window->askPublishFolder = [&] { return std::optional(web.path() / "inside"); };
    EXPECT_FALSE(window->publishWeb());
    EXPECT_TRUE(summary.contains(QStringLiteral("inside the web"))) << summary.toStdString();
}

} // namespace
} // namespace tlx::host::test
