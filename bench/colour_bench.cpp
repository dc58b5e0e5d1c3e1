// The colour box's painting, offscreen: one frame is 16 ms.
//   (1) painting the whole control (face, both grids, palette list and ">>") into an image;
//   (2) a hover change of the shade grid: the pointer rests on another main cell, the hover
//       tick builds its 48 shades, and the palette surface is painted again.

#include "colour/qt/OXColorBox.h"
#include "common/ScriptedPlatform.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

void PaintWholeControl(benchmark::State& state) {
    tlx::ScriptedPlatform platform;
    tlx::OXColorBox box(platform, "/tmp");
    box.SetHTMLColor(QStringLiteral("#3366CC"));
    QImage image(box.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        box.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(PaintWholeControl)->Unit(benchmark::kMicrosecond);

void HoverChangesTheShadeGrid(benchmark::State& state) {
    tlx::ScriptedPlatform platform;
    tlx::OXColorBox box(platform, "/tmp");
    tlx::ColourBoxModel& model = box.Model();
    QImage image(box.picPopup->size(), QImage::Format_ARGB32_Premultiplied);
    int cell = 0;
    for (auto _ : state) {
        // Rest on the next main cell (hues and White in turn) for one tick.
        cell = (cell + 1) % 32;
        model.MouseMove(8 + (cell / 8) * 12 + 5, 8 + (cell % 8) * 12 + 5, false);
        model.HoverTick();
        model.HoverTick();
        box.picPopup->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(HoverChangesTheShadeGrid)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
