#include "addin/ToolbarPositionFile.h"

#include "platform/FileUtil.h"

#include <array>
#include <charconv>

namespace tlx {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// A signed decimal integer in the 32-bit range, nothing else.
std::optional<std::int32_t> Integer(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() == '-')
            return std::nullopt;
    }
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

std::string ToolbarPositionPath(const std::string& installFolder) {
    return ResolveNoCase(installFolder, std::string(ToolbarPositionFileName)).string();
}

RestoredToolbarPosition ParseToolbarPosition(std::string_view bytes) {
    const auto lines = SplitLines(bytes);
    std::array<std::optional<std::int32_t>, 4> values;
    for (std::size_t i = 0; i < values.size() && i < lines.size(); ++i) {
        const std::string_view text = Trimmed(lines[i]);
        if (text.empty())
            continue;
        values[i] = Integer(text);
        if (!values[i])
            return {};
    }
    return {values[0], values[1], values[2], values[3]};
}

RestoredToolbarPosition ReadToolbarPositionFile(const std::string& path) {
    const auto bytes = ReadFileBytes(path);
    return bytes ? ParseToolbarPosition(*bytes) : RestoredToolbarPosition{};
}

std::string ToolbarPositionBytes(const ToolbarPositionValues& values) {
    std::string bytes;
    for (std::int32_t v : {values.Position, values.Left, values.Top, values.RowIndex})
        bytes += std::to_string(v) + "\n";
    return bytes;
}

bool WriteToolbarPositionFile(const std::string& path, const ToolbarPositionValues& values) {
    return WriteFileAtomically(path, ToolbarPositionBytes(values)).ok();
}

} // namespace tlx
