// How long a creation dialog takes to open with large catalogs: reading its catalogs, filling
// its lists and showing its window (with the recording preview, so the web engine's start is
// not part of it). Catalogs of 10,000 lines each, naming files of a library of 10,000 movies;
// the goal is under 150 ms for each dialog.

#include "addinbase/AddinContext.h"
#include "catalog/qt/FlashMovie.h"
#include "catalog/qt/fButton.h"
#include "common/RecordingPreviewFactory.h"
#include "common/ScriptedPlatform.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

namespace fs = std::filesystem;
constexpr int kLines = 10000;

struct Install {
    fs::path root;
    Install() {
        std::random_device rd;
        root = fs::temp_directory_path() / ("tlx-dialog-bench-" + std::to_string(rd()));
        fs::create_directories(root / "FlashMovies");
        const auto catalog = [&](const char* name, const char* prefix, bool sized) {
            std::ofstream out(root / name, std::ios::binary);
            for (int i = 0; i < kLines; ++i) {
                char file[40];
                std::snprintf(file, sizeof file, "%s%05d.swf", prefix, i);
                std::ofstream(root / "FlashMovies" / file, std::ios::binary) << "FWS";
                out << "[TwinTextSnd]{" << file << "}(Item number " << i << ")";
                if (sized)
                    out << "*&[120](30)<Category " << i % 17 << ">!^Number " << i << "^!&*";
                out << "\r\n";
            }
        };
        catalog("buttons.kqz", "bt", true);
        catalog("sounds.kqz", "sd", false);
        catalog("movies.kqz", "mv", true);
        catalog("mcmusic.kqz", "mu", false);
        catalog("teffects.kqz", "te", false);
        catalog("backgrnds.kqz", "bg", false);
    }
    ~Install() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
};

Install& TheInstall() {
    static Install install;
    return install;
}

template <typename Dialog> void BM_OpenDialog(benchmark::State& state) {
    tlx::ScriptedPlatform platform;
    tlx::AddinContext context(platform, TheInstall().root.string());
    for (auto _ : state) {
        Dialog dialog(context, tlx::RecordingPreviewFactory());
        dialog.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(dialog.isVisible());
    }
}
BENCHMARK_TEMPLATE(BM_OpenDialog, tlx::fButton)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_OpenDialog, tlx::FlashMovie)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
