// How soon the button dialog's preview follows a typed key: from the key reaching the text
// field to the player page reporting the restart with that text on show. Needs a display
// (xvfb-run), the built library movies and Ruffle; the install folder is the build's own
// (../install beside bench/) unless TAMBERLUX_INSTALL names another. Keys come one by one,
// 80 ms apart after each shown restart, a little faster than a quick typist. The goal is a
// median under 300 ms, also with another process keeping a core busy.

#include "addinbase/AddinContext.h"
#include "catalog/qt/WebFlashPreview.h"
#include "catalog/qt/fButton.h"
#include "colour/qt/ColourSwatch.h"
#include "common/ScriptedPlatform.h"
#include "host/Application.h"
#include "host/qt/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

void pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The latencies of one benchmark's keys: each key's time is its iteration's, and the
// benchmark reports their median and worst.
class Latencies {
public:
    // The key timed by `clock` was shown; the next one waits `restMs` (not timed).
    void shown(benchmark::State& state, const QElapsedTimer& clock, int restMs) {
        const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        values_.push_back(ms);
        state.SetIterationTime(ms / 1000.0);
        state.PauseTiming();
        pause(restMs);
        state.ResumeTiming();
    }
    void report(benchmark::State& state) {
        std::sort(values_.begin(), values_.end());
        if (values_.empty())
            return;
        state.counters["median_ms"] = values_[values_.size() / 2];
        state.counters["worst_ms"] = values_.back();
    }

private:
    std::vector<double> values_;
};

QString installFolder() {
    const QString given = qEnvironmentVariable("TAMBERLUX_INSTALL");
    return given.isEmpty()
               ? QDir(QCoreApplication::applicationDirPath() + "/../install").absolutePath()
               : given;
}

// Waits until the preview shows a restart after `shownBefore` whose parameters hold
// `expected`; the milliseconds it took, or -1 after `limitMs`.
qint64 waitShown(const tlx::WebFlashPreview& preview, int shownBefore, const QString& expected,
                 int limitMs = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < limitMs) {
        if (preview.RestartsShown() > shownBefore && preview.LastParameters().contains(expected))
            return clock.elapsed();
        pause(2);
    }
    return -1;
}

void BM_KeyToPreview(benchmark::State& state) {
    const QString install = installFolder();
    if (!QFile::exists(install + "/FlashMovies/btgel.swf")) {
        state.SkipWithError("the library movies are not built");
        return;
    }
    tlx::ScriptedPlatform platform;
    tlx::AddinContext context(platform, install.toStdString());
    tlx::fButton dialog(context);
    auto* preview = dynamic_cast<tlx::WebFlashPreview*>(dialog.FlashDemo);
    if (!preview) {
        state.SkipWithError("the dialog has no web preview");
        return;
    }
    dialog.show();
    tlx::SetSwatchColour(*dialog.fTextColor, "#FF0000");
    dialog.PresetStyle("btgel.swf");
    // The first picture: the web engine and Ruffle start.
    if (waitShown(*preview, 0, QStringLiteral("T1="), 30000) < 0) {
        state.SkipWithError("the preview never showed the movie");
        return;
    }
    dialog.Text1->clear();
    pause(500);

    Latencies latencies;
    int typed = 0;
    for (auto _ : state) {
        if (dialog.Text1->text().size() > 24)
            dialog.Text1->clear();
        const QChar key = QLatin1Char(static_cast<char>('a' + typed++ % 26));
        const int shownBefore = preview->RestartsShown();
        QElapsedTimer clock;
        clock.start();
        dialog.Text1->setText(dialog.Text1->text() + key);
        const QString expected = QStringLiteral("T1=") + dialog.Text1->text() + "&";
        if (waitShown(*preview, shownBefore, expected) < 0) {
            state.SkipWithError("a key was not shown within 5 s");
            return;
        }
        latencies.shown(state, clock, 80);
    }
    latencies.report(state);
    state.counters["restarts"] = preview->RestartsIssued();
}
BENCHMARK(BM_KeyToPreview)->UseManualTime()->Iterations(40)->Unit(benchmark::kMillisecond);

// What the X server shows of `widget` (not a fresh rendering of it, as QWidget::grab gives).
QImage onScreen(const QWidget& widget) {
    const QPoint at = widget.mapToGlobal(QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, at.x(), at.y(), widget.width(), widget.height())
        .toImage();
}

// From the key to the screen showing the preview changed: what the user sees. With an
// argument of 1 the page editor shows the sample web's index page behind the dialog, its
// movies playing in the rendering, as when the dialog is opened from the panel.
void BM_KeyToScreen(benchmark::State& state) {
    const QString install = installFolder();
    if (!QFile::exists(install + "/FlashMovies/btgel.swf")) {
        state.SkipWithError("the library movies are not built");
        return;
    }
    std::shared_ptr<tlx::host::Application> editorModel;
    std::unique_ptr<tlx::host::MainWindow> editor;
    if (state.range(0) == 1) {
        const std::filesystem::path web =
            std::filesystem::path(install.toStdString()).parent_path() / "sample-web";
        editorModel = tlx::host::Application::create();
        if (!editorModel->openWeb(web) || !editorModel->openPage(web / "index.htm")) {
            state.SkipWithError("no sample web beside the install folder");
            return;
        }
        editor = std::make_unique<tlx::host::MainWindow>(editorModel,
                                                         tlx::host::MainWindow::Options{true});
        editor->show();
        pause(4000); // the rendering loads and its movies start
    }
    tlx::ScriptedPlatform platform;
    tlx::AddinContext context(platform, install.toStdString());
    tlx::fButton dialog(context);
    auto* preview = dynamic_cast<tlx::WebFlashPreview*>(dialog.FlashDemo);
    if (!preview) {
        state.SkipWithError("the dialog has no web preview");
        return;
    }
    // Modal, as the panel shows it (exec), so that the editor behind it knows.
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    tlx::SetSwatchColour(*dialog.fTextColor, "#FF0000");
    dialog.PresetStyle("btgel.swf");
    if (waitShown(*preview, 0, QStringLiteral("T1="), 30000) < 0) {
        state.SkipWithError("the preview never showed the movie");
        return;
    }
    dialog.Text1->setText(QStringLiteral("W"));
    pause(1500);

    Latencies latencies;
    int typed = 0;
    for (auto _ : state) {
        if (dialog.Text1->text().size() > 12) {
            dialog.Text1->setText(QStringLiteral("W"));
            pause(1500);
        }
        const QImage before = onScreen(*preview);
        const QChar key = QLatin1Char("WMHK"[typed++ % 4]);
        QElapsedTimer clock;
        clock.start();
        dialog.Text1->setText(dialog.Text1->text() + key);
        bool changed = false;
        while (!changed && clock.elapsed() < 5000) {
            pause(2);
            changed = onScreen(*preview) != before;
        }
        if (!changed) {
            state.SkipWithError("the screen did not change within 5 s");
            return;
        }
        latencies.shown(state, clock, 150);
    }
    latencies.report(state);
}
BENCHMARK(BM_KeyToScreen)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // The web engine shares its contexts with the widgets, as in the program.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
