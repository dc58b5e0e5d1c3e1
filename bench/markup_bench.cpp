// The cost of the scan and fix next to the cost of parsing the page once: pages with 1,000
// (about 1 MB) and 4,000 Flash objects among ordinary content.
//   (1) one gumbo parse of the page;
//   (2) the save-time check on the page in its canonical form, already loaded in the editor;
//   (3) the fix of all objects of the page as another editor altered them, with the element
//       tree brought up to date afterwards (the page is loaded outside the timed part).
// Goals, at both sizes: (2) <= 2 x (1); (3) <= 2 x (1), so that the fix grows with the page
// and no faster. The ratios are printed after the runs, from CPU time (the wall clock of a
// busy machine says more about its other work than about ours).

#include "common/ScriptedPlatform.h"
#include "host/Application.h"
#include "host/HtmlDocument.h"
#include "hostapi/HostEditor.h"
#include "markup/FlashFix.h"
#include "markup/FlashObject.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <gumbo.h>
#include <map>
#include <stdexcept>
#include <string>

namespace {

std::string Number(int n) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%03d", n % 1000);
    return buffer;
}

std::string CanonicalObject(int n) {
    tlx::FlashObject object;
    object.Id = "oKestreliteBT" + Number(n);
    object.MovieRef = "button" + std::to_string(n % 12) + ".swf?T1=Item+" + std::to_string(n) +
                      "&T2=Go&TC=FFFFFF&TU=page" + std::to_string(n) +
                      ".htm&TW=_self&BS=1&CWR=0&CWG=0&CWB=0";
    object.Width = "150";
    object.Height = "40";
    object.Background = "#336699";
    object.WMode = "TRANSPARENT";
    return tlx::FlashObjectMarkup(object, tlx::SAlignPlacement::BeforeFlashVars);
}

// The same object as another editor saves it: lower-case tags and quoted attributes, "&amp;"
// in the movie, a Play parameter, FlashVars dropped.
std::string AlteredObject(int n) {
    const std::string id = "oKestreliteBT" + Number(n);
    const std::string movie = "button" + std::to_string(n % 12) + ".swf?T1=Item+" +
                              std::to_string(n) + "&amp;T2=Go&amp;TC=FFFFFF&amp;TU=page" +
                              std::to_string(n) +
                              ".htm&amp;TW=_self&amp;BS=1&amp;CWR=0&amp;"
                              "CWG=0&amp;CWB=0";
    return "<object classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\" codebase=\"https://"
           "download.macromedia.com/pub/shockwave/cabs/flash/swflash.cab#version=6,0,23,0\" "
           "id=\"" +
           id + "\" name=\"" + id +
           "\" width=\"150\" height=\"40\">\n"
           "  <param name=\"movie\" value=\"" +
           movie +
           "\">\n  <param name=\"quality\" value=\"high\">\n"
           "  <param name=\"bgcolor\" value=\"#336699\">\n"
           "  <param name=\"wmode\" value=\"transparent\">\n"
           "  <param name=\"play\" value=\"-1\">\n  <param name=\"loop\" value=\"-1\">\n"
           "  <embed src=\"" +
           movie +
           "\" quality=\"high\" bgcolor=\"#336699\" width=\"150\" height=\"40\" "
           "type=\"application/x-shockwave-flash\"></embed>\n</object>";
}

std::string Page(bool altered, int objects) {
    std::string page =
        "<html>\n<head><title>Catalogue</title>\n<style>td { padding: 2px }</style>\n"
        "</head>\n<body bgcolor=\"#FFFFFF\">\n<h1>Our products</h1>\n";
    for (int n = 1; n <= objects; ++n) {
        page += "<table class=\"row\"><tr><td><a href=\"item" + std::to_string(n) + ".htm\">Item " +
                std::to_string(n) +
                "</a></td><td><img src=\"pic.gif\" width=32 height=32 alt=\"\"></td>"
                "<td>Ordinary text of the page, with <b>bold</b> and <i>italic</i> words "
                "&amp; an entity.</td></tr></table>\n";
        page += altered ? AlteredObject(n) : CanonicalObject(n);
        page += "\n<p>Another paragraph of some length, to stand for the rest of the content of "
                "the catalogue page around the movies.</p>\n";
    }
    page += "</body>\n</html>\n";
    return page;
}

// The pages, made once per size for all runs.
class Pages {
public:
    const std::string& get(bool altered, int objects) {
        auto& page = pages_[{altered, objects}];
        if (page.empty())
            page = Page(altered, objects);
        return page;
    }

private:
    std::map<std::pair<bool, int>, std::string> pages_;
};

Pages& AllPages() {
    static Pages pages;
    return pages;
}

// An editor with one page showing `text`, its elements found once before timing starts.
struct LoadedPage {
    std::shared_ptr<tlx::host::Application> application = tlx::host::Application::create();
    tlx::HostEditor editor{application};
    tlx::host::PageWindowHandle window = application->newPage();

    void load(const std::string& text, int objects) {
        const auto document = window->document();
        document->replaceRange(0, document->text().size(), text);
        if (document->all().tags("OBJECT").size() != static_cast<std::size_t>(objects))
            throw std::runtime_error("the page does not hold the expected objects");
    }
};

void BM_GumboParse(benchmark::State& state) {
    const std::string& page = AllPages().get(true, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        GumboOutput* output =
            gumbo_parse_with_options(&kGumboDefaultOptions, page.data(), page.size());
        benchmark::DoNotOptimize(output);
        gumbo_destroy_output(&kGumboDefaultOptions, output);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
    state.counters["page_bytes"] = static_cast<double>(page.size());
}

void BM_BeforeSaveCheckCleanPage(benchmark::State& state) {
    const int objects = static_cast<int>(state.range(0));
    LoadedPage page;
    page.load(AllPages().get(false, objects), objects);
    tlx::ScriptedPlatform platform;
    for (auto _ : state) {
        const bool fixed = tlx::BeforeSaveCheck(page.editor, platform);
        if (fixed)
            state.SkipWithError("the clean page was taken for altered");
    }
}

void BM_FixAlteredPage(benchmark::State& state) {
    const int objects = static_cast<int>(state.range(0));
    LoadedPage page;
    for (auto _ : state) {
        state.PauseTiming();
        page.load(AllPages().get(true, objects), objects);
        state.ResumeTiming();
        const tlx::FixResult result = tlx::FixFlashObjects(page.editor);
        // The element tree brought up to date, as the next look at the page does.
        benchmark::DoNotOptimize(page.window->document()->all().size());
        if (result.failed || result.rewritten != static_cast<std::size_t>(objects))
            state.SkipWithError("not every object was rewritten");
    }
    if (page.window->document()->text() != AllPages().get(false, objects))
        state.SkipWithError("the fixed page differs from the canonical page");
}

BENCHMARK(BM_GumboParse)->Unit(benchmark::kMillisecond)->Arg(1000)->Arg(4000);
BENCHMARK(BM_BeforeSaveCheckCleanPage)->Unit(benchmark::kMillisecond)->Arg(1000)->Arg(4000);
BENCHMARK(BM_FixAlteredPage)->Unit(benchmark::kMillisecond)->Iterations(5)->Arg(1000)->Arg(4000);

// Keeps each benchmark's time per iteration for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0 && !run.error_occurred)
                seconds_[{run.run_name.function_name, run.run_name.args}] =
                    run.cpu_accumulated_time / static_cast<double>(run.iterations);
    }
    void printRatios() const {
        for (const char* objects : {"1000", "4000"}) {
            const auto time = [&](const char* name) {
                const auto it = seconds_.find({name, objects});
                return it == seconds_.end() ? 0.0 : it->second;
            };
            const double parse = time("BM_GumboParse");
            if (parse <= 0)
                continue;
            std::printf("\n%s objects: parse %.1f ms, check %.1f ms, fix %.1f ms\n"
                        "  ratio check/parse = %.2f (goal <= 2)\n"
                        "  ratio fix/parse   = %.2f (goal <= 2)\n",
                        objects, parse * 1e3, time("BM_BeforeSaveCheckCleanPage") * 1e3,
                        time("BM_FixAlteredPage") * 1e3,
                        time("BM_BeforeSaveCheckCleanPage") / parse,
                        time("BM_FixAlteredPage") / parse);
        }
    }

private:
    std::map<std::pair<std::string, std::string>, double> seconds_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
