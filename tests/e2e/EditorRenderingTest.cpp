// The page editor with real renderings (needs the web engine and a display: run under
// xvfb-run): a library button in a page plays in the rendered view, clicking the player
// selects its OBJECT in the source, and the rendering follows typing.

#include "BuildPaths.h"
#include "common/TempFolder.h"
#include "host/Application.h"
#include "host/HtmlDocument.h"
#include "host/qt/MainWindow.h"
#include "host/qt/PageView.h"
#include "host/qt/WebServer.h"
#include "markup/FlashObject.h"
// After the host headers: Qt defines a macro named like a member of Signal.h.
#include "common/QtTestEnvironment.h"
#include "common/QtWait.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <gtest/gtest.h>
#include <memory>

namespace tlx::host::test {

using tlx::testing::readFile;
using tlx::testing::writeFile;
namespace {

namespace fs = std::filesystem;

const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new tlx::testing::QtTestEnvironment(
        tlx::testing::QtTestEnvironment::Display::RealForWebEngines));

void wait(int ms) {
    tlx::testing::Pause(ms);
}

QString evaluate(QWebEnginePage& page, const QString& script) {
    // The answer may come after the wait has given up: it then finds no loop to end.
    struct Answer {
        QString value;
        QPointer<QEventLoop> loop;
    };
    const auto answer = std::make_shared<Answer>();
    QEventLoop loop;
    answer->loop = &loop;
    page.runJavaScript(script, [answer](const QVariant& value) {
        answer->value = value.toString();
        if (answer->loop)
            answer->loop->quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    answer->loop = nullptr;
    return answer->value;
}

// The box of the element that the script expression `element` gives, in the view's pixels
// (empty when there is none).
QRect boxOfElement(QWebEnginePage& page, const QString& element) {
    const QStringList parts =
        evaluate(page, QStringLiteral("(() => { const e = %1; if (!e) return ''; const r = "
                                      "e.getBoundingClientRect(); return [r.left, r.top, r.width, "
                                      "r.height].map(Math.round).join(','); })()")
                           .arg(element))
            .split(QLatin1Char(','));
    if (parts.size() != 4)
        return QRect();
    return QRect(parts[0].toInt(), parts[1].toInt(), parts[2].toInt(), parts[3].toInt());
}

// Presses the mouse as a user does on the middle of the element that the script expression
// `element` gives; false when it is not there.
bool clickOn(QWebEngineView& view, const QString& element) {
    const QRect box = boxOfElement(*view.page(), element);
    if (box.isEmpty())
        return false;
    QWidget* input = view.focusProxy() ? view.focusProxy() : &view;
    QTest::mouseClick(input, Qt::LeftButton, {}, box.center());
    return true;
}

// Pixels of about the given colour.
int countNear(const QImage& image, QColor colour, int tolerance = 40) {
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

class EditorRendering : public ::testing::Test {
protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs a display (xvfb-run)";
        const fs::path movie = fs::path(TLX_BINARY_DIR) / "install" / "FlashMovies" / "btround.swf";
        if (!fs::exists(movie))
            GTEST_SKIP() << "the library movies are not built";
        WebServer probe;
        if (!QFile::exists(probe.mountFolder(WebServer::kRuffle) + QStringLiteral("/ruffle.js")))
            GTEST_SKIP() << "Ruffle is not installed (npm ci)";
        fs::copy_file(movie, web.path() / "btround.swf");
        app = Application::create();
        ASSERT_TRUE(app->openWeb(web.path()));
        window = std::make_unique<MainWindow>(app, MainWindow::Options{true});
        window->askSaveChanges = [](const QString&) { return QMessageBox::Discard; };
        window->resize(1100, 700);
        window->show();
    }

    // Waits (bounded) until the page's rendering has loaded `count` times.
    bool waitForLoads(PageView* view, int count, int timeoutMs = 20000) {
        return tlx::testing::WaitUntil([&] { return view->renderingLoads() >= count; }, timeoutMs);
    }

    tlx::testing::TempFolder web;
    std::shared_ptr<Application> app;
    std::unique_ptr<MainWindow> window;
};

const char kButtonPage[] =
    "<html><head><title>Button</title><style>body{margin:0;background:#fff}</style></head>\n"
    "<body>\n<p id=before>A button:</p>\n"
    "<object classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\" id=\"fbutton1\" width=\"320\" "
    "height=\"84\"><param name=\"movie\" value=\"btround.swf?T1=Hello&amp;TC=FF0000\">"
    "<param name=\"quality\" value=\"high\"><embed src=\"btround.swf?T1=Hello&amp;TC=FF0000\" "
    "width=\"320\" height=\"84\" type=\"application/x-shockwave-flash\"></embed></object>\n"
    "</body></html>\n";

TEST_F(EditorRendering, LibraryButtonPlaysAndClickSelectsItsObject) {
    writeFile(web.path() / "button.htm", kButtonPage);
    const auto page = app->openPage(web.path() / "button.htm");
    ASSERT_TRUE(page);
    PageView* view = window->viewFor(page);
    ASSERT_TRUE(view && view->webView());
    ASSERT_TRUE(waitForLoads(view, 1));

    // Red text on the button once the player has drawn it.
    QElapsedTimer clock;
    clock.start();
    int red = 0;
    QImage shot;
    while (clock.elapsed() < 20000) {
        shot = view->webView()->grab().toImage();
        red = countNear(shot, QColor(255, 0, 0));
        if (red > 30)
            break;
        wait(250);
    }
    if (!qEnvironmentVariableIsEmpty("TLX_E2E_SHOT"))
        window->grab().save(qEnvironmentVariable("TLX_E2E_SHOT"));
    EXPECT_GT(red, 30) << "no red text in the rendering after " << clock.elapsed() << " ms";

    // Without a GPU the player may be drawn on the CPU; it must not cover the movie with its
    // notice about hardware acceleration when the mouse comes over it.
    const QString notice = evaluate(
        *view->webView()->page(),
        QStringLiteral("(() => { const p = document.querySelector('ruffle-object, ruffle-embed');"
                       " if (!p || !p.shadowRoot) return 'no player'; const c = "
                       "p.shadowRoot.getElementById('container'); c.dispatchEvent(new "
                       "MouseEvent('mouseover', {bubbles: true})); const m = "
                       "p.shadowRoot.getElementById('hardware-acceleration-modal'); return m && "
                       "!m.classList.contains('hidden') ? 'shown' : 'hidden'; })()"));
    EXPECT_EQ(notice, QStringLiteral("hidden"));

    // A click of the user on the player selects the OBJECT in the source.
    EXPECT_TRUE(clickOn(*view->webView(), QStringLiteral("document.querySelector('ruffle-object, "
                                                         "ruffle-embed, object')")));
    clock.restart();
    const auto object = page->document()->all().item("fbutton1");
    ASSERT_TRUE(object);
    const auto span = page->document()->spanOf(object);
    ASSERT_TRUE(span);
    while (page->document()->selectionStart() != span->first && clock.elapsed() < 5000)
        wait(20);
    EXPECT_EQ(page->document()->selectionStart(), span->first);
    EXPECT_EQ(page->document()->selectionEnd(), span->second);
    EXPECT_TRUE(
        view->sourceEditor()->textCursor().selectedText().startsWith(QStringLiteral("<object")));

    // The add-in rewrites the object with another text colour: the player shows it.
    std::string markup = object->outerHTML();
    for (std::size_t at; (at = markup.find("FF0000")) != std::string::npos;)
        markup.replace(at, 6, "0000FF");
    const int loads = view->renderingLoads();
    ASSERT_TRUE(object->setOuterHTML(markup));
    ASSERT_TRUE(waitForLoads(view, loads + 1, 5000));
    clock.restart();
    int blue = 0;
    while (clock.elapsed() < 20000) {
        shot = view->webView()->grab().toImage();
        blue = countNear(shot, QColor(0, 0, 255));
        if (blue > 30)
            break;
        wait(250);
    }
    EXPECT_GT(blue, 30) << "no blue text after the object was rewritten";
    EXPECT_LT(countNear(shot, QColor(255, 0, 0)), 30);
}

TEST_F(EditorRendering, ChineseAndJapaneseButtonTextsAreDrawnInPagesOfTheirEncodings) {
    // The movie draws its texts as device text, the main one bold, the one under it regular;
    // the player's own font has none of these glyphs, the system's fonts have them. Blue is
    // the texts' colour only (the tab is orange).
    fs::copy_file(fs::path(TLX_BINARY_DIR) / "install" / "FlashMovies" / "bttab.swf",
                  web.path() / "bttab.swf");
    struct Case {
        const char* charset;
        const char* text; // the movie's T1 and T2, escaped as the dialogs write them
    };
    for (const Case c : {Case{"Shift_JIS", "%E6%97%A5%E6%9C%AC%E8%AA%9E"},
                         Case{"GBK", "%E4%B8%AD%E6%96%87%E6%8C%89%E9%92%AE"}}) {
        SCOPED_TRACE(c.charset);
        const std::string name = std::string(c.charset) + ".htm";
        std::string text = kButtonPage;
        text.replace(text.find("<title>"), 0, std::string("<meta charset=\"") + c.charset + "\">");
        const std::string movie = "btround.swf?T1=Hello&amp;TC=FF0000";
        for (std::size_t at; (at = text.find(movie)) != std::string::npos;)
            text.replace(at, movie.size(),
                         std::string("bttab.swf?T1=") + c.text + "&amp;T2=" + c.text +
                             "&amp;TC=0000FF");
        writeFile(web.path() / name, text);
        const auto page = app->openPage(web.path() / name);
        ASSERT_TRUE(page);
        PageView* view = window->viewFor(page);
        ASSERT_TRUE(view && view->webView());
        ASSERT_TRUE(waitForLoads(view, 1));
        // Blue pixels in the upper half of the player (the main text) and in its lowest
        // third (the text under it).
        int main = 0;
        int under = 0;
        tlx::testing::WaitUntil(
            [&] {
                const QRect box = boxOfElement(
                    *view->webView()->page(),
                    QStringLiteral("document.querySelector('ruffle-object, ruffle-embed')"));
                const QImage shot = view->webView()->grab().toImage();
                const auto blueIn = [&](double from, double to) {
                    const int top = box.top() + int(box.height() * from);
                    const int bottom = int(box.top() + box.height() * to);
                    return countNear(shot.copy(box.left(), top, box.width(), bottom - top),
                                     QColor(0, 0, 255));
                };
                main = blueIn(0, 0.5);
                under = blueIn(0.64, 1);
                return main > 30 && under > 15;
            },
            20000, 250);
        EXPECT_GT(main, 30) << "the button's bold text is not drawn";
        EXPECT_GT(under, 15) << "the button's regular text is not drawn";
    }
}

TEST_F(EditorRendering, APageKeepsANotoSansOfItsOwn) {
    // The movies' font faces stand in for Noto Sans only where the page brings none: here the
    // page's own Noto Sans (a serif, to tell them apart) draws its text.
    writeFile(web.path() / "noto.htm",
              "<html><head><style>@font-face{font-family:\"Noto Sans\";src:local(\"DejaVu "
              "Serif\"),local(\"DejaVuSerif\")}</style></head><body style=\"font-size:40px\">"
              "<span id=own style=\"font-family:'Noto Sans'\">Harbour Lights</span><br>"
              "<span id=serif style=\"font-family:'DejaVu Serif'\">Harbour Lights</span>"
              "</body></html>\n");
    const auto page = app->openPage(web.path() / "noto.htm");
    ASSERT_TRUE(page);
    PageView* view = window->viewFor(page);
    ASSERT_TRUE(view && view->webView());
    ASSERT_TRUE(waitForLoads(view, 1));
    QString both;
    EXPECT_TRUE(tlx::testing::WaitUntil(
        [&] {
            both = evaluate(*view->webView()->page(),
                            QStringLiteral("(() => { const o = document.getElementById('own')"
                                           ".getBoundingClientRect().width, s = document."
                                           "getElementById('serif').getBoundingClientRect()"
                                           ".width; return Math.round(o) + ' ' + Math.round(s)"
                                           "; })()"));
            const QStringList parts = both.split(QLatin1Char(' '));
            return parts.size() == 2 && parts[0] == parts[1];
        },
        5000))
        << both.toStdString();
}

TEST_F(EditorRendering, RenderingOfALargePageFollowsEachKeystroke) {
    std::string big = "<html><head><title>Big</title></head><body>\n<h1 id=t>Title</h1>\n";
    while (big.size() < 100 * 1024)
        big += "<p>Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod "
               "tempor incididunt ut labore et dolore magna aliqua.</p>\n";
    big += "</body></html>\n";
    writeFile(web.path() / "big.htm", big);
    const auto page = app->openPage(web.path() / "big.htm");
    ASSERT_TRUE(page);
    PageView* view = window->viewFor(page);
    ASSERT_TRUE(waitForLoads(view, 1));
    wait(500);

    qint64 worst = 0;
    for (int i = 0; i < 5; ++i) {
        const int loads = view->renderingLoads();
        QTextCursor cursor = view->sourceEditor()->textCursor();
        cursor.setPosition(
            int(view->sourceEditor()->toPlainText().indexOf(QStringLiteral("Title"))));
        view->sourceEditor()->setTextCursor(cursor);
        view->sourceEditor()->insertPlainText(QStringLiteral("X"));
        ASSERT_TRUE(waitForLoads(view, loads + 1, 5000));
        worst = std::max(worst, view->lastRenderLatencyMs());
        const QString heading = evaluate(
            *view->webView()->page(), QStringLiteral("document.getElementById('t').textContent"));
        EXPECT_TRUE(heading.startsWith(QString(i + 1, QLatin1Char('X')))) << heading.toStdString();
        wait(300);
    }
    // The time is reported, not asserted: a test machine's load says nothing about the editor.
    std::cout << "keystroke to rendering, worst of 5 on a " << big.size() / 1024
              << " KB page: " << worst << " ms\n";
}

// The page's own scripts cannot reach the editor. A page whose script, every few milliseconds,
// writes what the editor's script once wrote to the console, replaces its functions, looks for
// the channel and presses an element with made-up events: it sees no channel, and the editor
// neither selects, nor loads the page again, nor takes an update as shown before it is.
TEST_F(EditorRendering, APagesScriptsCanNeitherSelectNorReloadNorFinishAnUpdate) {
    const std::string text =
        "<html><head><title>Hostile</title><script>\n"
        "window.tlxSeen = [typeof qt, typeof QWebChannel, typeof tlxBridge].join(' ');\n"
        "setInterval(function () {\n"
        "  var target = document.getElementById('target');\n"
        "  var offset = target ? target.getAttribute('data-tlx-src') : '0';\n"
        "  for (var n = 0; n < 40; n++) {\n"
        "    console.log('tlx-pick:' + offset);\n"
        "    console.log('tlx-updated:' + n + ' ok');\n"
        "    console.log('tlx-updated:' + n + ' failed');\n"
        "  }\n"
        "  window.tlxUpdate = function () {};\n"
        "  document.title = 'shown 1';\n"
        "  if (target) {\n"
        "    target.dispatchEvent(new PointerEvent('pointerdown', {bubbles: true, composed: "
        "true}));\n"
        "    target.dispatchEvent(new MouseEvent('mousedown', {bubbles: true, composed: true}));\n"
        "  }\n"
        "}, 5);\n"
        "</script></head><body>\n<p id=target>Target</p>\n<p id=text>Before</p>\n</body></html>\n";
    writeFile(web.path() / "hostile.htm", text);
    const auto page = app->openPage(web.path() / "hostile.htm");
    ASSERT_TRUE(page);
    PageView* view = window->viewFor(page);
    ASSERT_TRUE(view && view->webView());
    ASSERT_TRUE(waitForLoads(view, 1));
    QWebEnginePage& rendering = *view->webView()->page();
    const QUrl shown = view->webView()->url();
    page->document()->setSelection(0, 0);
    wait(1000);

    EXPECT_EQ(evaluate(rendering, QStringLiteral("window.tlxSeen")),
              QStringLiteral("undefined undefined undefined"))
        << "the page's scripts see the editor's channel";
    EXPECT_EQ(page->document()->selectionStart(), 0U) << "a script's press selected an element";
    EXPECT_EQ(view->renderingLoads(), 1) << "the console made the editor load the page again";

    // An edit of the body is put in place (the page is not loaded again: what its script set
    // stays) and counts as shown once, when it shows.
    evaluate(rendering, QStringLiteral("window.tlxStillHere = 'yes'"));
    const std::size_t before = page->document()->text().find("Before");
    int shownWithNewText = 0;
    int shownWithOldText = 0;
    QObject::connect(view, &PageView::renderingLoaded, view, [&](bool) {
        rendering.runJavaScript(QStringLiteral("document.getElementById('text').textContent"),
                                [&](const QVariant& shownText) {
                                    ++(shownText.toString() == QLatin1String("After")
                                           ? shownWithNewText
                                           : shownWithOldText);
                                });
    });
    ASSERT_TRUE(page->document()->replaceRange(before, before + 6, "After"));
    ASSERT_TRUE(
        tlx::testing::WaitUntil([&] { return shownWithNewText + shownWithOldText > 0; }, 10000));
    wait(1000);
    EXPECT_EQ(shownWithOldText, 0) << "an update was taken as shown before it was";
    EXPECT_EQ(shownWithNewText, 1);
    EXPECT_EQ(view->renderingLoads(), 2);
    EXPECT_EQ(evaluate(rendering, QStringLiteral("window.tlxStillHere")), QStringLiteral("yes"));
    EXPECT_EQ(view->webView()->url(), shown);
    EXPECT_NE(page->document()->selectionStart(), text.find("<p id=target>"));
}

TEST_F(EditorRendering, TypingIntoASingleBytePageShowsWhatWasTyped) {
    // Declared Windows-1252: what is typed is written in that code page, and the body put in
    // place while typing is read in it too (as the whole page is).
    writeFile(web.path() / "latin.htm",
              "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
              "charset=windows-1252\"></head><body>\n<p id=t>Caf\xE9</p>\n</body></html>\n");
    const auto page = app->openPage(web.path() / "latin.htm");
    ASSERT_TRUE(page);
    PageView* view = window->viewFor(page);
    ASSERT_TRUE(waitForLoads(view, 1));
    const int loads = view->renderingLoads();
    QTextCursor cursor = view->sourceEditor()->textCursor();
    cursor.setPosition(int(view->sourceEditor()->toPlainText().indexOf(QStringLiteral("Caf"))));
    view->sourceEditor()->setTextCursor(cursor);
    view->sourceEditor()->insertPlainText(QString::fromUtf8("Cr\xC3\xA8me "));
    EXPECT_NE(page->document()->text().find("Cr\xE8me Caf\xE9"), std::string::npos);
    ASSERT_TRUE(waitForLoads(view, loads + 1, 10000));
    EXPECT_EQ(evaluate(*view->webView()->page(),
                       QStringLiteral("document.getElementById('t').textContent")),
              QString::fromUtf8("Cr\xC3\xA8me Caf\xC3\xA9"));
}

// A web holding the sample web's movies and a page of `count` movies: the sample web's heading
// and button objects, one after the other, each with an ID of its own.
std::string writeManyMoviesPage(const fs::path& web, int count) {
    const fs::path sample(TLX_SAMPLE_WEB_DIR);
    for (const char* movie : {"hdwave.swf", "bgwaves.swf", "btgel.swf", "sndclick.swf"})
        fs::copy_file(sample / movie, web / movie, fs::copy_options::overwrite_existing);
    const std::string index = readFile(sample / "index.htm");
    std::vector<std::string> objects;
    for (std::size_t at = index.find("<OBJECT"); at != std::string::npos;
         at = index.find("<OBJECT", at + 1))
        objects.push_back(index.substr(at, index.find("</OBJECT>", at) + 9 - at));
    std::string page = "<html>\n<head>\n<title>Movies</title>\n</head>\n<body>\n";
    for (int i = 0; i < count && !objects.empty(); ++i) {
        std::string object = objects[std::size_t(i) % objects.size()];
        for (const char* kind : {"HD", "BT"})
            for (std::size_t at;
                 (at = object.find(std::string("Kestrelite") + kind + "00")) != std::string::npos;)
                object.replace(at, 15, "Movie" + std::string(kind) + std::to_string(10000 + i));
        page += "<p>Movie " + std::to_string(i + 1) + "</p>\n<p>" + object + "</p>\n";
    }
    page += "</body>\n</html>\n";
    writeFile(web / "movies.htm", page);
    return page;
}

int evaluateInt(QWebEnginePage& page, const QString& script) {
    return evaluate(page, script).toInt();
}

const QString kPlayers = QStringLiteral("document.querySelectorAll('ruffle-object, ruffle-embed')"
                                        ".length");
const QString kWaiting = QStringLiteral("document.querySelectorAll('[data-tlx-movie]').length");

TEST_F(EditorRendering, ManyMoviesPlayInViewOnlyAndTabsCloseAtAnyTime) {
    if (!fs::exists(fs::path(TLX_SAMPLE_WEB_DIR) / "hdwave.swf"))
        GTEST_SKIP() << "the sample web's movies are not built";
    writeManyMoviesPage(web.path(), 300);
    auto page = app->openPage(web.path() / "movies.htm");
    ASSERT_TRUE(page);
    PageView* view = window->viewFor(page);
    ASSERT_TRUE(waitForLoads(view, 1));
    QWebEnginePage& rendering = *view->webView()->page();

    // The movies in view play, the others wait as placeholders.
    QElapsedTimer clock;
    clock.start();
    while (evaluateInt(rendering, kPlayers) == 0 && clock.elapsed() < 20000)
        wait(100);
    // At most 8 movies play while fewer are in view (the window shows about 6).
    constexpr int kMostPlaying = 8;
    const int playing = evaluateInt(rendering, kPlayers);
    EXPECT_GT(playing, 0);
    EXPECT_LE(playing, kMostPlaying);
    EXPECT_GT(evaluateInt(rendering, kWaiting), 250);
    evaluate(rendering, QStringLiteral("document.querySelectorAll('ruffle-object, ruffle-embed')"
                                       ".forEach(p => { p.tlxFromTheTop = true; }); 1"));

    // Scrolled to the end: the movies there play, those at the top have given up their players.
    evaluate(rendering, QStringLiteral("window.scrollTo(0, document.body.scrollHeight)"));
    clock.restart();
    const QString lastPlays =
        QStringLiteral("!!document.querySelector('#oMovieBT10299 ruffle-embed, "
                       "ruffle-object#oMovieBT10299')");
    while (evaluate(rendering, lastPlays) != QStringLiteral("true") && clock.elapsed() < 20000)
        wait(100);
    EXPECT_EQ(evaluate(rendering, lastPlays), QStringLiteral("true"));
    EXPECT_LE(evaluateInt(rendering, kPlayers), kMostPlaying);
    EXPECT_EQ(evaluate(rendering, QStringLiteral("!!document.querySelector('#oMovieHD10000')")),
              QStringLiteral("false"));
    // The players given up at the top play movies at the end: a player is not made anew for
    // every movie scrolled to (what one leaves behind is never freed).
    EXPECT_GT(evaluateInt(rendering,
                          QStringLiteral("Array.from(document.querySelectorAll('ruffle-object, "
                                         "ruffle-embed')).filter(p => p.tlxFromTheTop).length")),
              0);

    // Tabs closed while loading, right after a save, after typing, and when settled.
    for (int round = 0; round < 20; ++round) {
        page = app->openPage(web.path() / "movies.htm");
        ASSERT_TRUE(page);
        view = window->viewFor(page);
        ASSERT_TRUE(view);
        if (round % 4 == 1) {
            view->sourceEditor()->insertPlainText(QStringLiteral(" "));
            ASSERT_TRUE(window->saveWindow(page));
        } else if (round % 4 == 2) {
            view->sourceEditor()->insertPlainText(QStringLiteral("x"));
            wait(PageView::kRenderDelayMs + 50);
        } else if (round % 4 == 3) {
            waitForLoads(view, 1, 5000);
        }
        ASSERT_TRUE(window->closeWindow(page));
        QApplication::processEvents();
    }
    EXPECT_EQ(window->tabs()->count(), 0);
    window.reset(); // the window goes with pages loading
}

TEST_F(EditorRendering, MoviesWaitWhileAModalDialogHoldsTheInput) {
    if (!fs::exists(fs::path(TLX_SAMPLE_WEB_DIR) / "hdwave.swf"))
        GTEST_SKIP() << "the sample web's movies are not built";
    writeManyMoviesPage(web.path(), 2);
    const auto page = app->openPage(web.path() / "movies.htm");
    ASSERT_TRUE(page);
    PageView* view = window->viewFor(page);
    ASSERT_TRUE(waitForLoads(view, 1));
    QWebEnginePage& rendering = *view->webView()->page();
    const QString playing =
        QStringLiteral("Array.from(document.querySelectorAll('ruffle-object, ruffle-embed'))"
                       ".filter(p => p.isPlaying).length");
    const auto waitPlaying = [&](int count) {
        QElapsedTimer clock;
        clock.start();
        while (evaluateInt(rendering, playing) != count && clock.elapsed() < 20000)
            wait(100);
        return evaluateInt(rendering, playing);
    };
    ASSERT_EQ(waitPlaying(2), 2);
    // One movie the user paused stays paused after the dialog.
    evaluate(rendering, QStringLiteral("document.querySelector('ruffle-object, ruffle-embed')"
                                       ".pause(); 1"));
    ASSERT_EQ(waitPlaying(1), 1);

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        QDialog dialog;
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.show();
        EXPECT_EQ(waitPlaying(0), 0) << "the rendering behind the dialog waits";
        EXPECT_EQ(evaluateInt(rendering,
                              QStringLiteral("Array.from(document.querySelectorAll('ruffle-object,"
                                             " ruffle-embed')).filter(p => p.shadowRoot"
                                             " .getElementById('play-button').style.display"
                                             " == 'block').length")),
                  1)
            << "only the movie paused by the user shows its play button";
        dialog.close();
        EXPECT_EQ(waitPlaying(1), 1) << "the movie that played plays again";
    }
}

TEST_F(EditorRendering, TheRenderingStaysOnTheEditedPageAndPicksEveryMovie) {
    if (!fs::exists(fs::path(TLX_SAMPLE_WEB_DIR) / "hdwave.swf"))
        GTEST_SKIP() << "the sample web's movies are not built";
    writeManyMoviesPage(web.path(), 2);
    writeFile(web.path() / "other.htm", "<html><body><p id=other>Other</p></body></html>\n");
    const auto page = app->openPage(web.path() / "movies.htm");
    ASSERT_TRUE(page);
    PageView* view = window->viewFor(page);
    ASSERT_TRUE(waitForLoads(view, 1));
    QWebEnginePage& rendering = *view->webView()->page();
    QElapsedTimer clock;
    clock.start();
    while (evaluateInt(rendering, kPlayers) < 2 && clock.elapsed() < 20000)
        wait(100);
    ASSERT_EQ(evaluateInt(rendering, kPlayers), 2);

    // A press on the heading's player (inside its shadow tree) selects the heading's OBJECT.
    const auto heading = page->document()->all().item("oMovieHD10000");
    ASSERT_TRUE(heading);
    const auto span = page->document()->spanOf(heading);
    ASSERT_TRUE(span);
    EXPECT_TRUE(
        clickOn(*view->webView(), QStringLiteral("(document.getElementById('oMovieHD10000')"
                                                 ".querySelector('ruffle-embed') || "
                                                 "document.getElementById('oMovieHD10000'))")));
    clock.restart();
    while (page->document()->selectionStart() != span->first && clock.elapsed() < 5000)
        wait(20);
    EXPECT_EQ(page->document()->selectionStart(), span->first);
    EXPECT_EQ(page->document()->selectionEnd(), span->second);

    // Links, scripts and new windows do not take the rendering elsewhere.
    const QUrl shown = view->webView()->url();
    evaluate(rendering, QStringLiteral("window.open('other.htm'); location.href = 'other.htm'; 1"));
    wait(1000);
    EXPECT_EQ(view->webView()->url(), shown);
    EXPECT_EQ(evaluate(rendering, QStringLiteral("!!document.getElementById('other')")),
              QStringLiteral("false"));
}

TEST_F(EditorRendering, SaveAsAndOpenWebLeaveNoStaleRendering) {
    writeFile(web.path() / "button.htm", kButtonPage);
    const auto page = app->openPage(web.path() / "button.htm");
    ASSERT_TRUE(page);
    PageView* view = window->viewFor(page);
    ASSERT_TRUE(waitForLoads(view, 1));

    // Saved under another name, the rendering comes from the new file and follows typing.
    window->askSaveAsFile = [&](const fs::path&) {
        return std::optional(web.path() / "renamed.htm");
    };
    ASSERT_TRUE(window->saveWindowAs(page));
    EXPECT_EQ(page->document()->locationHref().substr(0, 7), "file://");
    EXPECT_NE(page->document()->locationHref().find("renamed.htm"), std::string::npos);
    const int loads = view->renderingLoads();
    QTextCursor cursor = view->sourceEditor()->textCursor();
    cursor.setPosition(
        int(view->sourceEditor()->toPlainText().indexOf(QStringLiteral("A button"))));
    view->sourceEditor()->setTextCursor(cursor);
    view->sourceEditor()->insertPlainText(QStringLiteral("Renamed "));
    ASSERT_TRUE(waitForLoads(view, loads + 1, 10000));
    QElapsedTimer clock;
    clock.start();
    const QString text = QStringLiteral("document.getElementById('before').textContent");
    while (!evaluate(*view->webView()->page(), text).startsWith(QStringLiteral("Renamed")) &&
           clock.elapsed() < 10000)
        wait(100);
    EXPECT_TRUE(evaluate(*view->webView()->page(), text).startsWith(QStringLiteral("Renamed")));
    EXPECT_TRUE(view->webView()->url().path().endsWith(QStringLiteral("/renamed.htm")));

    // Another web: the old web's page is asked about and closed first.
    tlx::testing::TempFolder other;
    QStringList asked;
    window->askSaveChanges = [&](const QString& name) {
        asked << name;
        return QMessageBox::Discard;
    };
    ASSERT_TRUE(window->openWebFolder(other.path()));
    EXPECT_EQ(asked, QStringList{QStringLiteral("renamed.htm")});
    EXPECT_TRUE(page->isClosed());
    EXPECT_EQ(window->tabs()->count(), 0);
    EXPECT_EQ(app->web()->root(), fs::canonical(other.path()));
}

// ---- movies of the rendering: players reused, window mode and alignment, typed-out texts

// The box of the first element `selector` finds in the rendering, in the view's pixels.
QRect boxOf(QWebEnginePage& page, const QString& selector) {
    return boxOfElement(page, QStringLiteral("document.querySelector(\"%1\")").arg(selector));
}

bool isRed(QColor c) {
    return c.red() > 170 && c.green() < 90 && c.blue() < 90;
}

// The first and last columns of `area` that hold red text, {-1, -1} when none does.
std::pair<int, int> redColumns(const QImage& image, const QRect& area) {
    std::pair<int, int> columns{-1, -1};
    const QRect inside = area.intersected(image.rect());
    for (int x = inside.left(); x <= inside.right(); ++x)
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            if (isRed(image.pixelColor(x, y))) {
                if (columns.first < 0)
                    columns.first = x;
                columns.second = x;
                break;
            }
    return columns;
}

int countIn(const QImage& image, const QRect& area, const std::function<bool(QColor)>& test) {
    int count = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (test(image.pixelColor(x, y)))
                ++count;
    return count;
}

std::string buttonObject(const std::string& id, const std::string& movie) {
    return "<object classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\" id=\"" + id +
           "\" width=\"320\" height=\"84\"><param name=\"movie\" value=\"" + movie +
           "\"><embed src=\"" + movie +
           "\" width=\"320\" height=\"84\" type=\"application/x-shockwave-flash\"></embed>"
           "</object>";
}

const QString kFailedPlayers =
    QStringLiteral("Array.from(document.querySelectorAll('ruffle-object, ruffle-embed'))"
                   ".filter(p => p.shadowRoot && p.shadowRoot.getElementById('panic')).length");

TEST_F(EditorRendering, AMovieWhoseFileIsGoneLeavesTheOtherMoviesPlaying) {
    writeFile(web.path() / "three.htm",
              "<html><head><title>Three</title></head><body>\n<p>" +
                  buttonObject("first", "btround.swf?T1=One&amp;TC=FF0000") + "</p>\n<p>" +
                  buttonObject("gone", "gone.swf") + "</p>\n<p>" +
                  buttonObject("second", "btround.swf?T1=Two&amp;TC=FF0000") +
                  "</p>\n</body></html>\n");
    const auto page = app->openPage(web.path() / "three.htm");
    ASSERT_TRUE(page);
    PageView* view = window->viewFor(page);
    ASSERT_TRUE(waitForLoads(view, 1));
    QWebEnginePage& rendering = *view->webView()->page();
    // The player of the missing file says so.
    ASSERT_TRUE(tlx::testing::WaitUntil([&] { return evaluateInt(rendering, kFailedPlayers) == 1; },
                                        20000, 200));

    // The object of the missing file goes (as an undo of its insertion takes it out): the body
    // is put in place anew and its movies take the players given up.
    const auto gone = page->document()->all().item("gone");
    ASSERT_TRUE(gone);
    const int loads = view->renderingLoads();
    ASSERT_TRUE(gone->setOuterHTML(""));
    ASSERT_TRUE(waitForLoads(view, loads + 1, 10000));
    ASSERT_TRUE(tlx::testing::WaitUntil(
        [&] {
            return evaluateInt(rendering, kPlayers) == 2 && evaluateInt(rendering, kWaiting) == 0;
        },
        10000, 100));
    wait(1500);
    EXPECT_EQ(evaluateInt(rendering, kFailedPlayers), 0);
    const QImage shot = view->webView()->grab().toImage();
    for (const char* id : {"first", "second"}) {
        const QRect box = boxOf(
            rendering, QStringLiteral("#%1 ruffle-embed, ruffle-object#%1").arg(QLatin1String(id)));
        EXPECT_GT(countIn(shot, box, isRed), 30) << id << " shows no red text";
    }
}

TEST_F(EditorRendering, MoviesPlayWithTheWindowModeAndAlignmentOfTheirObject) {
    // The markup the save-time repair writes: window mode and alignment as the OBJECT's
    // parameters only, the window mode upper-cased. The page behind is blue.
    tlx::FlashObject object;
    object.Id = "oKestreliteBT001";
    object.MovieRef = "btround.swf?T1=Left&TC=FF0000";
    object.Width = "400";
    object.Height = "42";
    object.Background = "#FFFFFF";
    object.WMode = "TRANSPARENT";
    object.SAlign = "L";
    const std::string markup =
        tlx::FlashObjectMarkup(object, tlx::SAlignPlacement::BeforeFlashVars);
    ASSERT_EQ(markup.find("wmode="), std::string::npos);
    writeFile(web.path() / "aligned.htm",
              "<html><head><title>Aligned</title><style>body{margin:0;background:#0000FF}"
              "</style></head><body>\n<p>" +
                  markup + "</p>\n</body></html>\n");
    const auto page = app->openPage(web.path() / "aligned.htm");
    ASSERT_TRUE(page);
    PageView* view = window->viewFor(page);
    ASSERT_TRUE(waitForLoads(view, 1));
    QWebEnginePage& rendering = *view->webView()->page();
    QRect box;
    QImage shot;
    ASSERT_TRUE(tlx::testing::WaitUntil(
        [&] {
            box = boxOf(rendering, QStringLiteral("#oKestreliteBT001 ruffle-embed"));
            shot = view->webView()->grab().toImage();
            return box.width() == 400 && countIn(shot, box, isRed) > 30;
        },
        20000, 250));
    wait(500);
    shot = view->webView()->grab().toImage();
    // Aligned left: the button's text stands in the left part of the box (the stage is 160
    // pixels wide, as high as the box).
    const auto [first, last] = redColumns(shot, box);
    EXPECT_LT((first + last) / 2 - box.left(), box.width() * 3 / 8)
        << "text from " << first - box.left() << " to " << last - box.left();
    // Transparent: beside the stage the page shows through.
    const QRect right(box.left() + box.width() * 3 / 4, box.top(), box.width() / 4, box.height());
    EXPECT_GT(countIn(shot, right, [](QColor c) { return c.blue() > 200 && c.red() < 60; }),
              right.width() * right.height() / 2);
}

TEST_F(EditorRendering, AnIntroTypesOutItsWholeTextOnABusyPage) {
    for (const char* movie : {"mvstory.swf", "mvletter.swf"}) {
        const fs::path built = fs::path(TLX_BINARY_DIR) / "install" / "FlashMovies" / movie;
        if (!fs::exists(built))
            GTEST_SKIP() << "the intro movies are not built";
        fs::copy_file(built, web.path() / movie);
    }
    // As the intro movie dialog writes it: single-byte text.
    writeFile(web.path() / "FP1234.htm", "T1=Head&T2=na\xEFve cr\xE8me&eof=1\r\n");
    // The same texts typed out (mvstory) and faded in whole (mvletter), at the same size.
    std::string body;
    for (const char* movie : {"mvstory", "mvletter"})
        body += std::string("<div>") +
                "<object classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-"
                "444553540000\" id=\"" +
                movie +
                "\" width=\"500\" height=\"360\"><param "
                "name=\"movie\" value=\"" +
                movie +
                ".swf?TF=FP1234.htm&amp;TC=FF0000&amp;TS=34\">"
                "<embed src=\"" +
                movie +
                ".swf?TF=FP1234.htm&amp;TC=FF0000&amp;TS=34\" "
                "width=\"500\" height=\"360\" type=\"application/x-shockwave-flash\"></embed>"
                "</object></div>\n";
    writeFile(web.path() / "intro.htm",
              "<html><head><title>Intro</title><style>body{margin:0}div{height:360px}</style>"
              "</head><body>\n" +
                  body + "</body></html>\n");
    window->resize(1100, 1000);
    const auto page = app->openPage(web.path() / "intro.htm");
    ASSERT_TRUE(page);
    PageView* view = window->viewFor(page);
    ASSERT_TRUE(waitForLoads(view, 1));
    QWebEnginePage& rendering = *view->webView()->page();
    // The page is busy for most of the time the intros start in (as while a change is put in
    // place): the players draw a frame now and then, each long after the one before.
    evaluate(rendering, QStringLiteral("(() => { const end = Date.now() + 6000; const id = "
                                       "setInterval(() => { const t = Date.now(); while "
                                       "(Date.now() - t < 300) {} if (Date.now() > end) "
                                       "clearInterval(id); }, 350); return 1; })()"));
    wait(7000);
    // Once the heading has come in, the additional text stands below it.
    const auto textColumns = [&](const char* id) {
        const QRect box =
            boxOf(rendering, QStringLiteral("#%1 ruffle-embed").arg(QLatin1String(id)));
        const QImage shot = view->webView()->grab().toImage();
        return redColumns(shot, QRect(box.left(), box.top() + 114, box.width(), 80));
    };
    std::pair<int, int> story;
    std::pair<int, int> letter;
    tlx::testing::WaitUntil(
        [&] {
            story = textColumns("mvstory");
            letter = textColumns("mvletter");
            return letter.first >= 0 && story.first >= 0 &&
                   std::abs((story.second - story.first) - (letter.second - letter.first)) <= 3;
        },
        10000, 250);
    ASSERT_GE(letter.first, 0) << "no additional text faded in";
    EXPECT_GT(letter.second - letter.first, 40);
    EXPECT_NEAR(story.second - story.first, letter.second - letter.first, 3)
        << "typed out from " << story.first << " to " << story.second << ", whole from "
        << letter.first << " to " << letter.second;
}

} // namespace
} // namespace tlx::host::test
