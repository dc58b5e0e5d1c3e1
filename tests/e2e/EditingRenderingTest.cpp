// Editing objects in the page editor's real rendering (needs the web engine and a display: run
// under xvfb-run): resizing through the properties dialog, re-editing a button of the sample
// web in its creation dialog, tinting through the colour weighting dialog, and a sound event
// started by a mouse-over on an image.

#include "BuildPaths.h"
#include "addinbase/AddinContext.h"
#include "catalog/qt/CreationDialogs.h"
#include "catalog/qt/fButton.h"
#include "common/ScriptedPlatform.h"
#include "common/TempFolder.h"
#include "editing/qt/FlashProp.h"
#include "editing/qt/frmColoriser.h"
#include "host/Application.h"
#include "host/HtmlDocument.h"
#include "host/qt/MainWindow.h"
#include "host/qt/PageView.h"
#include "host/qt/WebServer.h"
#include "markup/FlashObject.h"
#include "sound/qt/frmFlashSOund.h"
// After the host headers: Qt defines a macro named like a member of Signal.h.
#include "common/QtWait.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <gtest/gtest.h>
#include <memory>

namespace tlx::test {

using tlx::testing::writeFile;
namespace {

namespace fs = std::filesystem;

// The application and the web engine's settings come from the environment of this test
// program (EditorRenderingTest.cpp).

void wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

QString evaluate(QWebEnginePage& page, const QString& script) {
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

// Evaluates `script` until it gives `expected` or `timeoutMs` passes; the last answer.
QString evaluateUntil(QWebEnginePage& page, const QString& script, const QString& expected,
                      int timeoutMs = 20000) {
    QElapsedTimer clock;
    clock.start();
    QString answer;
    while (clock.elapsed() < timeoutMs) {
        answer = evaluate(page, script);
        if (answer == expected)
            break;
        wait(200);
    }
    return answer;
}

// Pixels whose blue stands well above their red and green: the tint of a blue weighting.
int countBlueTinted(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.blue() - std::max(c.red(), c.green()) > 60)
                ++count;
        }
    return count;
}

const fs::path kLibrary = fs::path(TLX_BINARY_DIR) / "install" / "FlashMovies";

class EditingRendering : public ::testing::Test {
protected:
    EditingRendering() : context(platform, install.path().string()) {}

    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs a display (xvfb-run)";
        for (const char* movie : {"btround.swf", "hdwave.swf", "sndclick.swf"})
            if (!fs::exists(kLibrary / movie))
                GTEST_SKIP() << "the library movies are not built";
        host::WebServer probe;
        if (!QFile::exists(probe.mountFolder(host::WebServer::kRuffle) +
                           QStringLiteral("/ruffle.js")))
            GTEST_SKIP() << "Ruffle is not installed (npm ci)";
        fs::create_directories(install.path() / "FlashMovies");
        for (const char* movie : {"btround.swf", "hdwave.swf", "sndclick.swf"}) {
            fs::copy_file(kLibrary / movie, web.path() / movie);
            fs::copy_file(kLibrary / movie, install.path() / "FlashMovies" / movie);
        }
        writeFile(install.path() / "sounds.kqz", "[SndClick]{sndclick.swf}(Click)!^A click.^!\r\n");
        app = host::Application::create();
        ASSERT_TRUE(app->openWeb(web.path()));
        context.Editor = HostEditor(app);
        window = std::make_unique<host::MainWindow>(app, host::MainWindow::Options{true});
        window->askSaveChanges = [](const QString&) { return QMessageBox::Discard; };
        window->resize(1100, 700);
        window->show();
    }

    // Opens a page of the web holding `body` and waits for its first rendering.
    host::PageView* open(const std::string& name, const std::string& body) {
        writeFile(web.path() / name,
                  "<html><head><title>t</title><style>body{margin:0;background:#fff}</style>"
                  "</head>\n<body>\n" +
                      body + "\n</body></html>\n");
        page = app->openPage(web.path() / name);
        host::PageView* view = page ? window->viewFor(page) : nullptr;
        if (view && !waitForLoads(view, 1))
            return nullptr;
        return view;
    }
    bool waitForLoads(host::PageView* view, int count, int timeoutMs = 20000) {
        QElapsedTimer clock;
        clock.start();
        while (view->renderingLoads() < count && clock.elapsed() < timeoutMs)
            wait(20);
        return view->renderingLoads() >= count;
    }
    void select(const std::string& id) {
        const auto element = page->document()->all().item(id);
        ASSERT_TRUE(element) << id;
        const auto span = page->document()->spanOf(element);
        ASSERT_TRUE(span);
        page->document()->setSelection(span->first, span->second);
    }
    // Waits until the rendering has taken the page's latest text.
    void settle(host::PageView* view, int loadsBefore) {
        waitForLoads(view, loadsBefore + 1, 5000);
        wait(300);
    }

    tlx::testing::TempFolder web;
    tlx::testing::TempFolder install;
    ScriptedPlatform platform;
    AddinContext context;
    std::shared_ptr<host::Application> app;
    std::unique_ptr<host::MainWindow> window;
    host::PageWindowHandle page;
};

std::string OwnedObject(const std::string& id, const std::string& movie, const std::string& width,
                        const std::string& height) {
    FlashObject object;
    object.Id = id;
    object.MovieRef = movie;
    object.Width = width;
    object.Height = height;
    object.Background = "#FFFFFF";
    object.WMode = "opaque";
    return FlashObjectMarkup(object, SAlignPlacement::BeforeFlashVars);
}

const QString kPlayerSize = QStringLiteral(
    "(() => { const p = document.querySelector('ruffle-object, ruffle-embed'); if (!p) return ''; "
    "const r = p.getBoundingClientRect(); return Math.round(r.width) + 'x' + "
    "Math.round(r.height); })()");

// The rectangle of the player of the object `id` in the rendering ("x,y,w,h"), "" before it
// plays.
QString playerRect(QWebEnginePage& page, const QString& id) {
    return evaluate(page, QStringLiteral("(() => { const o = document.getElementById('%1'); "
                                         "const p = o && (o.matches('ruffle-object') ? o : "
                                         "o.querySelector('ruffle-embed')); if (!p) return ''; "
                                         "const r = p.getBoundingClientRect(); return "
                                         "[r.x, r.y, r.width, r.height].map(Math.round).join(); "
                                         "})()")
                              .arg(id));
}

QRect toRect(const QString& text) {
    const QStringList v = text.split(QLatin1Char(','));
    return v.size() == 4 ? QRect(v[0].toInt(), v[1].toInt(), v[2].toInt(), v[3].toInt()) : QRect();
}

// How wide the run of pure white pixels (a button's white main text) is inside `area`; 0
// when there is none.
int whiteTextWidth(const QImage& image, const QRect& area) {
    int left = -1;
    int right = -1;
    const QRect inside = area.intersected(image.rect());
    for (int x = inside.left(); x <= inside.right(); ++x)
        for (int y = inside.top(); y <= inside.bottom(); ++y) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() >= 245 && c.green() >= 245 && c.blue() >= 245) {
                if (left < 0)
                    left = x;
                right = x;
                break;
            }
        }
    return left < 0 ? 0 : right - left + 1;
}

} // namespace

TEST_F(EditingRendering, ReEditingTheSampleButtonReplacesItInPlaceAndPlaysTheNewText) {
    // The sample web and the install folder as shipped.
    const auto options = fs::copy_options::recursive | fs::copy_options::overwrite_existing;
    fs::copy(TLX_SAMPLE_WEB_DIR, web.path(), options);
    fs::copy(TLX_SHIPPED_INSTALL_DIR, install.path(), options);
    page = app->openPage(web.path() / "index.htm");
    ASSERT_TRUE(page);
    host::PageView* view = window->viewFor(page);
    ASSERT_TRUE(view && view->webView() && waitForLoads(view, 1));
    QWebEngineView& rendering = *view->webView();
    const QString id = QStringLiteral("oKestreliteBT002");
    QRect player;
    ASSERT_TRUE(tlx::testing::WaitUntil(
        [&] {
            player = toRect(playerRect(*rendering.page(), id));
            return player.width() == 180 && player.height() == 44;
        },
        20000))
        << "the sample button does not play";
    int textBefore = 0;
    tlx::testing::WaitUntil(
        [&] { return (textBefore = whiteTextWidth(rendering.grab().toImage(), player)) > 20; },
        10000);
    ASSERT_GT(textBefore, 20) << "no white text on the button";

    // The user clicks the button in the rendering: its OBJECT is selected.
    const auto object = page->document()->all().item(id.toStdString());
    ASSERT_TRUE(object);
    const auto span = page->document()->spanOf(object);
    ASSERT_TRUE(span);
    const std::string before = page->document()->text();
    QWidget* input = rendering.focusProxy() ? rendering.focusProxy() : &rendering;
    QTest::mouseClick(input, Qt::LeftButton, {}, player.center());
    ASSERT_TRUE(tlx::testing::WaitUntil(
        [&] { return page->document()->selectionStart() == span->first; }, 5000));

    // Selected Flash Object Properties: a new size, then Mirvane Properties opens the button
    // dialog in update mode, where the text is changed and Update pressed.
    bool updated = false;
    platform.modalActions.push_back([&](ModalForm& form) {
        auto* creation = dynamic_cast<CreationDialogForm*>(&form);
        auto* button = creation ? dynamic_cast<fButton*>(creation->dialog()) : nullptr;
        ASSERT_TRUE(button) << form.formName();
        ASSERT_TRUE(button->InUpdateMode());
        EXPECT_EQ(button->Text1->text(), "Our breads");
        EXPECT_EQ(button->Text2->text(), "Baked this morning");
        button->Text1->setText(QStringLiteral("Bread"));
        button->btUpdate->click();
        updated = true;
    });
    const int loads = view->renderingLoads();
    {
        FlashPropForm form(context, window.get());
        FlashProp& dialog = form.dialog();
        ASSERT_TRUE(dialog.btOtherProperties->isEnabled());
        dialog.fWidth->setText(QStringLiteral("240"));
        dialog.fHeight->setText(QStringLiteral("50"));
        dialog.btOtherProperties->click();
        EXPECT_TRUE(dialog.Unloaded());
    }
    ASSERT_TRUE(updated);

    // Replaced where it stood, with its ID and the size of the properties dialog.
    const std::string& text = page->document()->text();
    EXPECT_EQ(text.substr(0, span->first), before.substr(0, span->first));
    const auto replaced = page->document()->all().item(id.toStdString());
    ASSERT_TRUE(replaced) << text;
    EXPECT_EQ(page->document()->spanOf(replaced)->first, span->first);
    EXPECT_EQ(replaced->getAttribute("width"), "240");
    EXPECT_EQ(replaced->getAttribute("height"), "50");
    EXPECT_NE(replaced->outerHTML().find("btgel.swf?T1=Bread&T2=Baked+this+morning"),
              std::string::npos)
        << replaced->outerHTML();
    EXPECT_EQ(page->document()->all().tags("OBJECT").size(),
              std::size_t{2}); // the heading and the button

    // The rendering plays the new, shorter text at the new size.
    settle(view, loads);
    int textAfter = 0;
    tlx::testing::WaitUntil(
        [&] {
            player = toRect(playerRect(*rendering.page(), id));
            if (player.width() != 240 || player.height() != 50)
                return false;
            textAfter = whiteTextWidth(rendering.grab().toImage(), player);
            return textAfter > 0 && textAfter < textBefore * 3 / 4;
        },
        20000);
    if (!qEnvironmentVariableIsEmpty("TLX_E2E_SHOT"))
        window->grab().save(qEnvironmentVariable("TLX_E2E_SHOT"));
    EXPECT_EQ(player.size(), QSize(240, 50));
    EXPECT_GT(textAfter, 0) << "no white text after the re-edit";
    EXPECT_LT(textAfter, textBefore * 3 / 4) << "before: " << textBefore;
}

TEST_F(EditingRendering, PropertiesDialogResizesTheObjectInTheRendering) {
    host::PageView* view =
        open("resize.htm",
             "<p>A button:</p>" + OwnedObject("oKestreliteBT001",
                                              "btround.swf?T1=Hello&TC=FF0000&CWR=0&CWG=0&CWB=0",
                                              "200", "50"));
    ASSERT_TRUE(view && view->webView());
    QWebEnginePage& rendering = *view->webView()->page();
    ASSERT_EQ(evaluateUntil(rendering, kPlayerSize, QStringLiteral("200x50")), "200x50");

    select("oKestreliteBT001");
    const int loads = view->renderingLoads();
    FlashPropForm form(context, window.get());
    FlashProp& dialog = form.dialog();
    EXPECT_EQ(dialog.fWidth->text(), "200");
    dialog.fWidth->setText(QStringLiteral("400"));
    dialog.Command3->click(); // Enlarge: 500 x 62
    dialog.Command1->click();
    settle(view, loads);
    EXPECT_EQ(evaluateUntil(rendering, kPlayerSize, QStringLiteral("500x62")), "500x62");
    EXPECT_NE(page->document()->text().find(" WIDTH=500 HEIGHT=62 "), std::string::npos);
}

TEST_F(EditingRendering, ColourWeightingTintsTheHeading) {
    host::PageView* view =
        open("tint.htm",
             OwnedObject("oKestreliteHD001",
                         "hdwave.swf?T1=Harbour&TC=000000&TU=&TW=_self&BM=&CWR=0&CWG=0&CWB=0",
                         "468", "60"));
    ASSERT_TRUE(view && view->webView());
    QWebEngineView& rendering = *view->webView();
    ASSERT_EQ(evaluateUntil(*rendering.page(), kPlayerSize, QStringLiteral("468x60")), "468x60");
    wait(1500);
    const int blueBefore = countBlueTinted(rendering.grab().toImage());

    select("oKestreliteHD001");
    const int loads = view->renderingLoads();
    {
        frmColoriserForm form(context, window.get());
        frmColoriser& dialog = form.dialog();
        dialog.CWRed->setValue(-100);
        dialog.CWGreen->setValue(-100);
        dialog.CWBlue->setValue(100);
        dialog.btUpdate->click();
    }
    ASSERT_NE(page->document()->text().find("CWR=-100&CWG=-100&CWB=100"), std::string::npos);
    settle(view, loads);
    QElapsedTimer clock;
    clock.start();
    int blue = 0;
    while (clock.elapsed() < 20000) {
        blue = countBlueTinted(rendering.grab().toImage());
        if (blue > blueBefore + 200)
            break;
        wait(250);
    }
    if (!qEnvironmentVariableIsEmpty("TLX_E2E_SHOT"))
        window->grab().save(qEnvironmentVariable("TLX_E2E_SHOT"));
    // The heading's black text turns dark blue.
    EXPECT_GT(blue, blueBefore + 200) << "before: " << blueBefore;
}

TEST_F(EditingRendering, MouseOverTheImageStartsTheSoundMovie) {
    QImage picture(60, 40, QImage::Format_RGB32);
    picture.fill(QColor(200, 120, 40));
    ASSERT_TRUE(picture.save(QString::fromStdString((web.path() / "logo.png").string())));
    host::PageView* view =
        open("sound.htm", "<p><img id=logo src=\"logo.png\" width=60 height=40></p>");
    ASSERT_TRUE(view && view->webView());
    QWebEnginePage& rendering = *view->webView()->page();

    const int loads = view->renderingLoads();
    {
        frmFlashSOundForm form(context, window.get());
        frmFlashSOund& dialog = form.dialog();
        ASSERT_EQ(dialog.FLashSound->count(), 2);
        ASSERT_EQ(dialog.ImgList->count(), 2);
        dialog.FLashSound->setCurrentIndex(1);
        dialog.FLashSound_Click();
        dialog.ImgList->setCurrentIndex(1);
        dialog.Command1->click();
    }
    const std::string& text = page->document()->text();
    ASSERT_NE(text.find("onmouseover=\"javascript:document.SndClick.Play();\""), std::string::npos)
        << text;
    ASSERT_NE(text.find(" ID=SndClick NAME=SndClick WIDTH=18 HEIGHT=18>"), std::string::npos);
    settle(view, loads);

    // The player of the sound movie is reached as the handler names it, once the movie has
    // registered its methods.
    const QString ready = QStringLiteral(
        "(() => { const s = document.SndClick; return s && typeof s.tlxPlays === 'function' ? "
        "'ready' : String(s) + ' ' + document.querySelectorAll('ruffle-object, "
        "ruffle-embed').length + "
        "' ' + document.querySelectorAll('object').length + ' ' + [...document.querySelectorAll("
        "'ruffle-object, ruffle-embed')].map(e => e.tagName + '<' + e.parentElement.tagName + ' ' "
        "+ e.id + ' ' + e.getAttribute('name') + ' ' + Object.keys(e).join()).join('|'); })()");
    ASSERT_EQ(evaluateUntil(rendering, ready, QStringLiteral("ready")).toStdString(), "ready");
    const int before = evaluate(rendering, QStringLiteral("document.SndClick.tlxPlays()")).toInt();
    EXPECT_GE(before, 1) << "the sound plays once when the page shows it";
    evaluate(rendering, QStringLiteral("document.getElementById('logo').dispatchEvent(new "
                                       "MouseEvent('mouseover', {bubbles: true})); 'done'"));
    EXPECT_EQ(evaluateUntil(rendering, QStringLiteral("String(document.SndClick.tlxPlays())"),
                            QString::number(before + 1), 5000),
              QString::number(before + 1));
}

} // namespace tlx::test
