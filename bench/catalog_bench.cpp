// How long reading a large catalog takes, against merely reading its lines.
//
// A temporary install folder gets a library of 10,000 movies and a buttons catalog of 10,000
// lines naming them (in varying letter case), plus a few lines that are skipped. Timed:
//   ReadLines         reading the file and splitting it into lines, nothing else
//   ReadCatalog       what a dialog does when it opens: list the library and read the catalog
//   ReadCatalogOnly   reading the catalog against a library listed beforehand
// The ratio of ReadCatalog to ReadLines is printed at the end; the goal is ReadCatalog under
// 50 ms.

#include "catalog/Catalog.h"
#include "catalog/LibraryFolder.h"
#include "platform/FileUtil.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;
constexpr int kLines = 10000;

struct Fixture {
    fs::path root;
    fs::path catalog;

    Fixture() {
        std::random_device rd;
        root = fs::temp_directory_path() / ("tlx-catalog-bench-" + std::to_string(rd()));
        fs::create_directories(root / "FlashMovies");
        catalog = root / "buttons.kqz";
        std::ofstream out(catalog, std::ios::binary);
        for (int i = 0; i < kLines; ++i) {
            char file[32];
            std::snprintf(file, sizeof file, "button%05d.swf", i);
            std::ofstream(root / "FlashMovies" / file, std::ios::binary) << "FWS";
            std::string named = file;
            if (i % 3 == 0) // the catalog spells some names in another letter case
                named[0] = 'B';
            out << "[TwinTextSnd]{" << named << "}(Button number " << i << ")*&[120](30)<Category "
                << i % 17 << ">!^A button with two texts and a "
                << "sound, number " << i << "^!&*\r\n";
            if (i % 1000 == 0)
                out << "[TwinText]{missing" << i << ".swf}(Missing)\r\n[TwinText](No file)\r\n";
        }
    }
    ~Fixture() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

// Records the time per iteration of each benchmark as it is reported.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> milliseconds;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                milliseconds[run.benchmark_name()] =
                    run.real_accumulated_time * 1e3 / double(run.iterations);
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char** argv) {
    const Fixture fixture;

    benchmark::RegisterBenchmark("ReadLines", [&](benchmark::State& state) {
        for (auto _ : state) {
            const std::string bytes = tlx::ReadFileBytes(fixture.catalog).value_or(std::string());
            const auto lines = tlx::SplitLines(bytes);
            benchmark::DoNotOptimize(lines.data());
        }
    })->Unit(benchmark::kMillisecond);

    std::size_t accepted = 0;
    benchmark::RegisterBenchmark("ReadCatalog", [&](benchmark::State& state) {
        for (auto _ : state) {
            const tlx::LibraryFolder library =
                tlx::LibraryFolder::Scan(tlx::LibraryFolder::Locate(fixture.root));
            const auto result = tlx::ReadCatalog(fixture.catalog, tlx::kTypeFileAndName, library);
            accepted = result.Entries.size();
            benchmark::DoNotOptimize(result.Entries.data());
        }
        state.counters["entries"] = double(accepted);
    })->Unit(benchmark::kMillisecond);

    benchmark::RegisterBenchmark("ReadCatalogOnly", [&](benchmark::State& state) {
        const tlx::LibraryFolder library =
            tlx::LibraryFolder::Scan(tlx::LibraryFolder::Locate(fixture.root));
        for (auto _ : state) {
            const auto result = tlx::ReadCatalog(fixture.catalog, tlx::kTypeFileAndName, library);
            benchmark::DoNotOptimize(result.Entries.data());
        }
    })->Unit(benchmark::kMillisecond);

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto lines = reporter.milliseconds.find("ReadLines");
    const auto read = reporter.milliseconds.find("ReadCatalog");
    if (lines != reporter.milliseconds.end() && read != reporter.milliseconds.end() &&
        lines->second > 0) {
        std::printf("\nReadCatalog of %d lines: %.2f ms (goal: under 50 ms), %zu entries; "
                    "reading the lines alone: %.2f ms; ratio %.1f\n",
                    kLines, read->second, accepted, lines->second, read->second / lines->second);
    }
    return 0;
}
