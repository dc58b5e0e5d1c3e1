#pragma once
// What the fuzz targets share: a check that stops the run with its message (libFuzzer keeps
// the input), and a fresh temporary folder per process.

#include <cstdio>
#include <cstdlib>
#include <string>

namespace tlx::fuzz {

// `text` with its control bytes written \xNN, so that a message shows all of it.
inline std::string Visible(const std::string& text) {
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && c != '\n') {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            shown += escape;
        } else {
            shown += c;
        }
    }
    return shown;
}

[[noreturn]] inline void fail(const char* file, int line, const char* what,
                              const std::string& detail) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n%s\n", file, line, what, Visible(detail).c_str());
    std::abort();
}

} // namespace tlx::fuzz

#define FUZZ_CHECK(condition, detail)                                                              \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::tlx::fuzz::fail(__FILE__, __LINE__, #condition, (detail));                           \
    } while (false)
