#pragma once
// The program's log: what was caught and survived is written here, never dropped. Lines go to
// standard error and, once a log file is set (the page editor sets one in the XDG state
// folder), are appended to that file too. Writing never throws.

#include <string>
#include <string_view>

namespace tlx {

enum class LogLevel { Info, Warning, Error };

// One line "LEVEL where: what" (the time is put in front in the file).
void WriteLog(LogLevel level, std::string_view where, std::string_view what) noexcept;

inline void LogInfo(std::string_view where, std::string_view what) noexcept {
    WriteLog(LogLevel::Info, where, what);
}
inline void LogWarning(std::string_view where, std::string_view what) noexcept {
    WriteLog(LogLevel::Warning, where, what);
}
inline void LogError(std::string_view where, std::string_view what) noexcept {
    WriteLog(LogLevel::Error, where, what);
}

// To be called inside a catch block: logs the exception being handled (its what() when it is a
// std::exception) as an error of `where`, and returns that text for a message to the user.
std::string LogCurrentException(std::string_view where) noexcept;

// Appends every later line to `path` as well (created when missing; its folder too). An empty
// path stops that. The file's own failures are reported once on standard error.
void SetLogFile(const std::string& path) noexcept;

// The log file in use, empty when none.
std::string LogFilePath();

} // namespace tlx
