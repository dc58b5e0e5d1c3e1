#include "platform/Log.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <exception>
#include <filesystem>
#include <mutex>

namespace tlx {
namespace {

// The one sink of the process. It is set once at start and guarded, since a log line may be
// written from any thread the libraries call back on.
struct LogSink {
    std::mutex mutex;
    std::string path;
    std::FILE* file = nullptr;
    bool reportedFailure = false;

    ~LogSink() {
        if (file)
            std::fclose(file);
    }
};

LogSink& Sink() {
    static LogSink sink;
    return sink;
}

const char* LevelName(LogLevel level) {
    switch (level) {
    case LogLevel::Info:
        return "info";
    case LogLevel::Warning:
        return "warning";
    case LogLevel::Error:
        return "error";
    }
    return "error";
}

std::string TimeStamp() {
    const auto now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm parts{};
    localtime_r(&now, &parts);
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

} // namespace

void WriteLog(LogLevel level, std::string_view where, std::string_view what) noexcept {
    try {
        std::string line = "tamberlux: ";
        line += LevelName(level);
        line += ' ';
        line += where;
        line += ": ";
        line += what;
        line += '\n';
        LogSink& sink = Sink();
        const std::lock_guard lock(sink.mutex);
        std::fputs(line.c_str(), stderr);
        if (sink.file) {
            const std::string stamped = TimeStamp() + ' ' + line;
            if (std::fputs(stamped.c_str(), sink.file) < 0 || std::fflush(sink.file) != 0) {
                if (!sink.reportedFailure)
                    std::fprintf(stderr, "tamberlux: cannot write the log file %s\n",
                                 sink.path.c_str());
                sink.reportedFailure = true;
            }
        }
    } catch (...) {
        // Out of memory while building a log line: nothing more can be said. The log cannot
        // log its own failure, and nothing may leave a noexcept writer: it takes everything.
        std::fputs("tamberlux: a log line was lost\n", stderr);
    }
}

std::string LogCurrentException(std::string_view where) noexcept {
    std::string what = "unknown failure";
    try {
        const std::exception_ptr current = std::current_exception();
        if (current)
            std::rethrow_exception(current);
    } catch (const std::exception& e) {
        what = e.what();
    } catch (...) {
        // Not a std::exception: "unknown failure" is all that can be said of it, and it is said.
    }
    WriteLog(LogLevel::Error, where, what);
    return what;
}

void SetLogFile(const std::string& path) noexcept {
    LogSink& sink = Sink();
    const std::lock_guard lock(sink.mutex);
    if (sink.file) {
        std::fclose(sink.file);
        sink.file = nullptr;
    }
    sink.reportedFailure = false;
    try {
        sink.path = path;
        if (path.empty())
            return;
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
        sink.file = std::fopen(path.c_str(), "a");
        if (!sink.file)
            std::fprintf(stderr, "tamberlux: cannot open the log file %s\n", path.c_str());
    } catch (...) {
        // The log cannot log its own failure: standard error is the only place left.
        std::fputs("tamberlux: cannot set the log file\n", stderr);
    }
}

std::string LogFilePath() {
    LogSink& sink = Sink();
    const std::lock_guard lock(sink.mutex);
    return sink.file ? sink.path : std::string();
}

} // namespace tlx
