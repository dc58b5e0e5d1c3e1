#pragma once
// What a browser makes of a saved page: the IDs of the OBJECT elements it shows as part of the
// body, by html5lib's tree of the page (tests/common/shown_objects.py, Debian python3-html5lib).

#include "BuildPaths.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tlx::testing {

// nullopt when the parser could not be run.
inline std::optional<std::vector<std::string>> shownObjectIds(const std::filesystem::path& page) {
    // Debian's interpreter, which has html5lib; another one first on the PATH may not.
    const std::string python =
        std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    const std::string command =
        python + " '" TLX_SOURCE_DIR "/tests/common/shown_objects.py' '" + page.string() + "'";
    FILE* const pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return std::nullopt;
    std::string output;
    char buffer[256];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    if (::pclose(pipe) != 0)
        return std::nullopt;
    std::vector<std::string> ids;
    for (std::size_t at = 0; at < output.size();) {
        const std::size_t end = output.find('\n', at);
        ids.push_back(output.substr(at, end - at));
        at = end == std::string::npos ? output.size() : end + 1;
    }
    return ids;
}

} // namespace tlx::testing
