#include "updates/UpdatesText.h"

#include <algorithm>

namespace tlx::updates {

namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::size_t findNoCase(std::string_view text, std::string_view marker, std::size_t from) {
    if (from > text.size())
        return std::string_view::npos;
    const auto it =
        std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), marker.begin(),
                    marker.end(), [](char a, char b) { return lowerAscii(a) == lowerAscii(b); });
    return it == text.end() && !marker.empty() ? std::string_view::npos
                                               : static_cast<std::size_t>(it - text.begin());
}

} // namespace

std::string TextBetweenMarkers(std::string_view source, std::string_view startMarker,
                               std::string_view endMarker) {
    const std::size_t start = findNoCase(source, startMarker, 0);
    if (start == std::string_view::npos)
        return {};
    const std::size_t from = start + startMarker.size();
    const std::size_t end = findNoCase(source, endMarker, from);
    if (end == std::string_view::npos)
        return {};
    return std::string(source.substr(from, end - from));
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

} // namespace tlx::updates
