// Publishing a web of 2,000 pages with 10 Flash objects each (and the movies and companions
// they name) next to copying the same files (the web's and the player's, what the published
// copy holds) with std::filesystem::copy. Goal: publishing takes no more than 2 x the copy.
// Both run into a fresh folder, alternately, seven times after a round that warms the caches;
// the median of each counts, in wall-clock time (the time the user waits; publishing spreads
// its work over the cores). Before each run the copies of earlier runs are written back to the
// disk, so that no run pays for another's writing. The processor time of both is printed too. With
// --check the program exits 1 when the goal is missed (the test suite runs it so).

#include "markup/FlashObject.h"
#include "platform/ShippedData.h"
#include "publish/Publisher.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kPages = 2000;
constexpr int kObjectsPerPage = 10;
constexpr int kMovies = 40;
constexpr int kRounds = 7;

// Waits until the disk holds all that earlier runs wrote. Their copies stay until the end:
// removing thousands of files just before a run makes the file system's allocation of new
// files (ext4 passes over the numbers of files deleted a moment ago) cost more than the
// writing itself, in whichever run follows.
void Settle() {
    ::sync();
}

void Write(const fs::path& path, std::string_view bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Page(int number) {
    std::string page =
        "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<title>Page " + std::to_string(number) +
        "</title>\r\n<link rel=stylesheet href=\"../style.css\">\r\n</head>\r\n<body>\r\n";
    for (int i = 0; i < kObjectsPerPage; ++i) {
        const int movie = (number * kObjectsPerPage + i) % kMovies;
        tlx::FlashObject object;
        char id[32];
        std::snprintf(id, sizeof id, "oKestreliteBT%03d", i + 1);
        object.Id = id;
        object.MovieRef = "../movies/bt" + std::to_string(movie) + ".swf?T1=Button+" +
                          std::to_string(i) + "&T2=&TC=000000&TU=page" + std::to_string(i) +
                          ".htm&TW=_self&BS=snd" + std::to_string(movie % 5) +
                          ".swf&CWR=0&CWG=0&CWB=0";
        object.Width = "180";
        object.Height = "44";
        object.Background = "#FFFFFF";
        object.WMode = "TRANSPARENT";
        page += "<p>Some text about item " + std::to_string(i) + " of this page.</p>\r\n" +
                tlx::FlashObjectMarkup(object) + "\r\n";
    }
    return page + "</body>\r\n</html>\r\n";
}

// The processor time of the whole process (every thread, user and system) so far: the wall
// clock of a machine busy with other work says more about that work than about ours.
double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return double(t.tv_sec) + double(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace

int main(int argc, char** argv) {
    const bool check = argc > 1 && std::string_view(argv[1]) == "--check";
    std::random_device random;
    const fs::path root =
        fs::temp_directory_path() / ("tlx-publish-bench-" + std::to_string(random()));
    const fs::path web = root / "web";
    const fs::path player = tlx::ThisProgramsShippedData().ruffle;
    std::string movie(12000, 'x');
    movie.replace(0, 3, "FWS");
    for (int m = 0; m < kMovies; ++m)
        Write(web / "movies" / ("bt" + std::to_string(m) + ".swf"), movie);
    for (int s = 0; s < 5; ++s)
        Write(web / "movies" / ("snd" + std::to_string(s) + ".swf"), movie);
    Write(web / "style.css", "body { margin: 0 }\r\n");
    for (int p = 0; p < kPages; ++p)
        Write(web / ("folder" + std::to_string(p / 100)) / ("page" + std::to_string(p) + ".htm"),
              Page(p));

    std::vector<double> copies;
    std::vector<double> publishings;
    std::vector<double> copyCpu;
    std::vector<double> publishCpu;
    bool complete = true;
    // A first round warms the caches and is not counted.
    for (int run = 0; run <= kRounds; ++run) {
        const fs::path copied = root / ("copy" + std::to_string(run));
        // Each run starts with nothing of the earlier ones waiting to be written back, which
        // would otherwise slow whichever run the kernel's writeback happens to meet.
        Settle();
        double start = WallSeconds();
        double cpu = CpuSeconds();
        fs::copy(web, copied, fs::copy_options::recursive);
        fs::copy(player, copied / "player", fs::copy_options::recursive);
        if (run > 0) {
            copies.push_back(WallSeconds() - start);
            copyCpu.push_back(CpuSeconds() - cpu);
        }

        tlx::publish::PublishOptions options;
        options.web = web;
        options.dest = root / ("published" + std::to_string(run));
        options.player = player;
        if (const char* threads = std::getenv("TLX_PUBLISH_THREADS"))
            options.threads = static_cast<unsigned>(std::atoi(threads));
        Settle();
        start = WallSeconds();
        cpu = CpuSeconds();
        const tlx::publish::PublishResult result = tlx::publish::Publish(options);
        if (run > 0) {
            publishings.push_back(WallSeconds() - start);
            publishCpu.push_back(CpuSeconds() - cpu);
        }
        complete = complete && result.complete() && result.flashPages == kPages &&
                   result.movies == static_cast<std::size_t>(kPages * kObjectsPerPage);
    }
    std::error_code ignored;
    fs::remove_all(root, ignored);

    const auto median = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    const double copy = median(copies);
    const double publish = median(publishings);
    const double ratio = publish / copy;
    std::printf("copying the files: %.3f s (processor %.3f s)\n"
                "publishing:        %.3f s (processor %.3f s, all threads): %.2f x the copy; "
                "goal <= 2 x\n",
                copy, median(copyCpu), publish, median(publishCpu), ratio);
    if (!complete) {
        std::printf("FAILED: publishing did not write and check every page\n");
        return 1;
    }
    if (check && ratio > 2.0) {
        std::printf("FAILED: publishing takes more than twice the copy\n");
        return 1;
    }
    return 0;
}
