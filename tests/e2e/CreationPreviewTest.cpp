// The creation dialogs' preview really plays (needs the web engine and a display: run under
// xvfb-run): a library button shows the typed text in the chosen colour, typing restarts it
// without falling behind, and each kind inserted through its dialog into a saved page of the
// sample web plays in the page's rendering.

#include "BuildPaths.h"
#include "addinbase/AddinContext.h"
#include "catalog/qt/FlashHeading.h"
#include "catalog/qt/FlashMisc.h"
#include "catalog/qt/FlashMovie.h"
#include "catalog/qt/FromFile.h"
#include "catalog/qt/WebFlashPreview.h"
#include "catalog/qt/fButton.h"
#include "colour/qt/ColourSwatch.h"
#include "common/QtWait.h"
#include "common/RecordingPreviewFactory.h"
#include "common/ScriptedPlatform.h"
#include "common/TempFolder.h"
#include "host/Application.h"
#include "host/HtmlDocument.h"
#include "host/qt/MainWindow.h"
#include "host/qt/PageView.h"
#include "host/qt/WebServer.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>

namespace tlx::test {
namespace {

namespace fs = std::filesystem;

void pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

int pixelsNear(const QImage& image, QColor colour, int tolerance = 50) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) <= tolerance &&
                std::abs(c.green() - colour.green()) <= tolerance &&
                std::abs(c.blue() - colour.blue()) <= tolerance)
                ++count;
        }
    return count;
}

// Waits (at most `timeoutMs`) until `widget` shows at least `least` pixels near `colour`.
int waitForColour(QWidget& widget, QColor colour, int least, int timeoutMs = 20000) {
    QElapsedTimer clock;
    clock.start();
    int found = 0;
    while (clock.elapsed() < timeoutMs) {
        found = pixelsNear(widget.grab().toImage(), colour);
        if (found >= least)
            break;
        pause(200);
    }
    return found;
}

const fs::path kInstall = fs::path(TLX_BINARY_DIR) / "install";

class CreationPreview : public ::testing::Test {
protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs a display (xvfb-run)";
        if (!fs::exists(kInstall / "FlashMovies" / "btgel.swf"))
            GTEST_SKIP() << "the library movies are not built";
        host::WebServer probe;
        if (!QFile::exists(probe.mountFolder(host::WebServer::kRuffle) +
                           QStringLiteral("/ruffle.js")))
            GTEST_SKIP() << "Ruffle is not installed (npm ci)";
        // A writable install folder: the intro dialog writes its text file there.
        fs::copy(kInstall, install.path(), fs::copy_options::recursive);
        fs::copy(fs::path(TLX_BINARY_DIR) / "sample-web", web.path(), fs::copy_options::recursive);
        context.InstallFolder = install.path().string();
    }

    tlx::testing::TempFolder install;
    tlx::testing::TempFolder web;
    ScriptedPlatform platform;
    AddinContext context{platform, ""};
};

TEST_F(CreationPreview, ButtonPreviewShowsTypedTextInItsColourAndKeepsUpWithTyping) {
    fButton dialog(context);
    auto* preview = dynamic_cast<WebFlashPreview*>(dialog.FlashDemo);
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->size(), QSize(209, 57));
    dialog.show();
    SetSwatchColour(*dialog.fTextColor, "#FF0000");
    dialog.PresetStyle("btgel.swf");
    EXPECT_GT(waitForColour(*preview, QColor(255, 0, 0), 20), 20) << "no red text in the preview";

    // Keystrokes one by one, a little faster than a quick typist.
    std::vector<qint64> latencies;
    const QString typed = QStringLiteral("Hello Tom & Jerry");
    dialog.Text1->clear();
    pause(300);
    for (const QChar c : typed) {
        dialog.Text1->setText(dialog.Text1->text() + c);
        const QString expected = QStringLiteral("T1=") + dialog.Text1->text();
        QElapsedTimer clock;
        clock.start();
        const int shownBefore = preview->RestartsShown();
        while (clock.elapsed() < 5000 && !(preview->RestartsShown() > shownBefore &&
                                           preview->LastParameters().contains(expected)))
            pause(5);
        latencies.push_back(clock.elapsed());
        pause(80);
    }
    // The view ends on the latest text, and coalescing kept it from loading once per key
    // when keys came faster than it could load.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 5000 &&
           !preview->LastParameters().contains(QStringLiteral("T1=") + typed))
        pause(20);
    EXPECT_TRUE(preview->LastParameters().contains(QStringLiteral("T1=") + typed))
        << preview->LastParameters().toStdString();
    EXPECT_GT(waitForColour(*preview, QColor(255, 0, 0), 20), 20);

    // A typed "+" shows as "+", not as a blank: a text of plus signs alone draws red.
    dialog.Text2->clear();
    dialog.Text1->setText(QStringLiteral("++++"));
    settle.restart();
    while (settle.elapsed() < 10000 &&
           !(preview->LastParameters().contains(QStringLiteral("T1=++++&")) &&
             preview->RestartsShown() == preview->RestartsIssued()))
        pause(20);
    EXPECT_GT(waitForColour(*preview, QColor(255, 0, 0), 20), 20)
        << "no plus signs in the preview: " << preview->LastParameters().toStdString();
    std::sort(latencies.begin(), latencies.end());
    std::cout << "keystroke to preview, median of " << latencies.size() << ": "
              << latencies[latencies.size() / 2] << " ms (worst " << latencies.back()
              << " ms), restarts " << preview->RestartsIssued() << "\n";
}

TEST_F(CreationPreview, HeadingPreviewPlaysWithItsBackground) {
    FlashHeading dialog(context);
    auto* preview = dynamic_cast<WebFlashPreview*>(dialog.FlashDemo);
    ASSERT_NE(preview, nullptr);
    dialog.show();
    pause(500);
    SetSwatchColour(*dialog.fTextColor, "#FF0000");
    dialog.FlashStyle->setCurrentIndex(1);
    dialog.BackStyle->setCurrentIndex(1);
    dialog.Text1->setText(QStringLiteral("Fresh today"));
    EXPECT_GT(waitForColour(*preview, QColor(255, 0, 0), 20), 20)
        << "no red text in the heading preview; restarts " << preview->RestartsIssued() << " shown "
        << preview->RestartsShown() << " " << preview->LastParameters().toStdString();
}

TEST_F(CreationPreview, IntroPreviewShowsTheTextOfItsTextFile) {
    FlashMovie dialog(context);
    auto* preview = dynamic_cast<WebFlashPreview*>(dialog.FlashDemo);
    ASSERT_NE(preview, nullptr);
    dialog.show();
    pause(500);
    SetSwatchColour(*dialog.fTextColor, "#FF0000");
    dialog.FlashStyle->setCurrentIndex(1);
    dialog.FlashMusic->setCurrentIndex(1);
    dialog.HeadStyle->setCurrentIndex(1);
    dialog.Text1->setText(QStringLiteral("Welcome in"));
    dialog.SetTextToPreview();
    const int red = waitForColour(*preview, QColor(255, 0, 0), 20);
    if (!qEnvironmentVariableIsEmpty("TLX_E2E_SHOT"))
        preview->grab().save(qEnvironmentVariable("TLX_E2E_SHOT"));
    EXPECT_GT(red, 20) << "no red text in the intro preview; restarts " << preview->RestartsIssued()
                       << " shown " << preview->RestartsShown() << " "
                       << preview->LastParameters().toStdString();
}

QString evaluateIn(QWebEnginePage& page, const QString& script);

// The player page's swaps, with a stand-in for the player whose loading the test drives: the
// view shows the newest restart that has data, a late older one never replaces it, and a
// failed or still loading one leaves the shown movie in place.
TEST(PlayerPage, ShowsTheNewestRestartThatHasDataWhateverOrderTheyLoadIn) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs a display (xvfb-run)";
    const QString standIn = QStringLiteral(R"(<script>
var tlxFake={};
window.RufflePlayer={newest:function(){return {createPlayer:function(){
  var p=document.createElement('div');
  p.pause=function(){};
  p.load=function(o){tlxFake[o.parameters.N]=p;
    return new Promise(function(ok,fail){p.ok=ok;p.fail=fail;});};
  return p;}};}};
function tlxData(n){tlxFake[n].ok();tlxFake[n].dispatchEvent(new Event('loadeddata'));}
function tlxFail(n){tlxFake[n].fail(new Error('broken'));}
function tlxProbe(text){requestAnimationFrame(function(){requestAnimationFrame(function(){
  requestAnimationFrame(function(){document.title=text;});});});}
function tlxState(){return tlxPlayers().map(function(p){
  return p.tlxRestart+(p.style.visibility==='hidden'?'h':'v');}).join(',');}
</script>)");
    QString html = QString::fromUtf8(WebFlashPreview::PlayerPage());
    html.replace(QStringLiteral("<head>"), QStringLiteral("<head>") + standIn);
    QWebEngineView view;
    view.resize(209, 57);
    view.show();
    bool loaded = false;
    QObject::connect(&view, &QWebEngineView::loadFinished, [&](bool ok) { loaded = ok; });
    view.setHtml(html, QUrl(QStringLiteral("http://127.0.0.1/")));
    ASSERT_TRUE(tlx::testing::WaitUntil([&] { return loaded; }, 20000));

    // Runs `script`, then has the page report `title` once three frames have passed (the swap
    // waits two), and gives the players then: restart number, h(idden) or v(isible).
    int step = 0;
    const auto after = [&](const QString& script) {
        const QString title = QStringLiteral("step %1").arg(++step);
        view.page()->runJavaScript(script + QStringLiteral(";tlxProbe('%1');").arg(title));
        EXPECT_TRUE(tlx::testing::WaitUntil([&] { return view.title() == title; }, 10000))
            << script.toStdString();
        return evaluateIn(*view.page(), QStringLiteral("tlxState()")).toStdString();
    };
    const auto restart = [](int n) {
        return QStringLiteral("tlxRestart(%1,'m.swf',{N:%1},'#FFFFFF',true)").arg(n);
    };
    EXPECT_EQ(after(restart(1) + ";" + restart(2) + ";" + restart(3)), "2h,3h")
        << "a newer restart keeps only the newest loading one";
    EXPECT_EQ(after("tlxData(3)"), "3v");
    EXPECT_EQ(after("tlxData(2)"), "3v") << "a dropped older restart came back";
    EXPECT_EQ(after(restart(4) + ";tlxFail(4)"), "3v");
    EXPECT_EQ(after(restart(5) + ";" + restart(6)), "3v,5h,6h") << "no data, nothing shown";
    EXPECT_EQ(after("tlxData(5)"), "5v,6h");
    EXPECT_EQ(after("tlxData(6)"), "6v");
}

QString evaluateIn(QWebEnginePage& page, const QString& script) {
    QString result;
    QEventLoop loop;
    page.runJavaScript(script, [&](const QVariant& value) {
        result = value.toString();
        loop.quit();
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    return result;
}

// Each kind, inserted through its dialog into a saved page of the sample web, plays in the
// page's rendering: the text kinds show their red text, art and local files a player.
TEST_F(CreationPreview, EveryKindInsertedThroughItsDialogPlaysInThePage) {
    const auto app = host::Application::create();
    ASSERT_TRUE(app->openWeb(web.path()));
    host::MainWindow window(app, host::MainWindow::Options{true});
    window.askSaveChanges = [](const QString&) { return QMessageBox::Discard; };
    window.webServer()->setMountFolder(
        host::WebServer::kLibrary,
        QString::fromStdString((install.path() / "FlashMovies").string()));
    window.resize(1200, 900);
    window.show();
    const auto page = app->openPage(web.path() / "about.htm");
    ASSERT_TRUE(page);
    context.Editor = HostEditor(app);
    host::PageView* view = window.viewFor(page);
    ASSERT_TRUE(view && view->webView());

    const auto atEnd = [&] {
        const std::size_t end = page->document()->text().rfind("</body>");
        page->document()->setSelection(end, end);
    };
    const auto players = [&] {
        return evaluateIn(*view->webView()->page(),
                          QStringLiteral("document.querySelectorAll('ruffle-object, "
                                         "ruffle-embed').length"))
            .toInt();
    };
    const auto waitForPlayers = [&](int count) {
        QElapsedTimer clock;
        clock.start();
        while (players() < count && clock.elapsed() < 20000)
            pause(250);
        return players();
    };
    const fs::path clip = install.path() / "clip.swf";
    fs::copy_file(install.path() / "FlashMovies" / "artsun.swf", clip);
    platform.openFileAnswers.push_back(clip.string());

    struct Kind {
        const char* name;
        std::function<std::unique_ptr<CreationDialog>()> make;
        bool red;
    };
    const std::vector<Kind> kinds{
        {"button",
         [&] {
             auto d = std::make_unique<fButton>(context, RecordingPreviewFactory());
             SetSwatchColour(*d->fTextColor, "#FF0000");
             d->PresetStyle("btgel.swf");
             d->Text1->setText(QStringLiteral("Order now"));
             return d;
         },
         true},
        {"heading",
         [&] {
             auto d = std::make_unique<FlashHeading>(context, RecordingPreviewFactory());
             SetSwatchColour(*d->fTextColor, "#FF0000");
             d->PresetStyle("hdwave.swf");
             d->PresetBackground("bgstars.swf");
             return d;
         },
         true},
        {"intro",
         [&] {
             auto d = std::make_unique<FlashMovie>(context, RecordingPreviewFactory());
             SetSwatchColour(*d->fTextColor, "#FF0000");
             d->PresetStyle("mvplain.swf");
             d->Text1->setText(QStringLiteral("Welcome"));
             d->SetTextToPreview();
             return d;
         },
         true},
        {"art", [&] { return std::make_unique<FlashMisc>(context, RecordingPreviewFactory()); },
         false},
        {"file",
         [&] {
             auto d = std::make_unique<FromFile>(context, RecordingPreviewFactory());
             d->Command2_Click();
             return d;
         },
         false},
    };
    int expected = waitForPlayers(1);
    for (const Kind& kind : kinds) {
        atEnd();
        auto dialog = kind.make();
        dialog->Command1_Click();
        ASSERT_FALSE(dialog->PlacedId().empty()) << kind.name;
        ASSERT_TRUE(app->savePage(page)) << kind.name;
        ++expected;
        EXPECT_EQ(waitForPlayers(expected), expected) << kind.name;
        if (kind.red) {
            // Scrolled to the new object, the last in the page.
            evaluateIn(*view->webView()->page(),
                       QStringLiteral("window.scrollTo(0, document.body.scrollHeight)"));
            EXPECT_GT(waitForColour(*view->webView(), QColor(255, 0, 0), 20), 20)
                << kind.name << " shows no red text in the page";
        }
    }
    if (!qEnvironmentVariableIsEmpty("TLX_E2E_SHOT")) {
        waitForColour(*view->webView(), QColor(255, 0, 0), 20);
        window.grab().save(qEnvironmentVariable("TLX_E2E_SHOT"));
    }
}

} // namespace
} // namespace tlx::test
