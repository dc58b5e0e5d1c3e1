#include "addin/ToolbarPositionFile.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

namespace tlx {

namespace {

namespace fs = std::filesystem;

// Lines end at CR, CR LF or a lone LF; a final line end does not start another line.
std::vector<std::string_view> Lines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        lines.push_back(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines.push_back(bytes.substr(start));
    return lines;
}

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

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

std::string ToolbarPositionPath(const std::string& installFolder) {
    const fs::path folder(installFolder);
    std::error_code ec;
    if (fs::exists(folder / ToolbarPositionFileName, ec))
        return (folder / ToolbarPositionFileName).string();
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (EqualIgnoringCase(it->path().filename().string(), ToolbarPositionFileName))
            return it->path().string();
    }
    return (folder / ToolbarPositionFileName).string();
}

RestoredToolbarPosition ParseToolbarPosition(std::string_view bytes) {
    const auto lines = Lines(bytes);
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
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return {};
    return ParseToolbarPosition(bytes);
}

std::string ToolbarPositionBytes(const ToolbarPositionValues& values) {
    std::string bytes;
    for (std::int32_t v : {values.Position, values.Left, values.Top, values.RowIndex})
        bytes += std::to_string(v) + "\n";
    return bytes;
}

bool WriteToolbarPositionFile(const std::string& path, const ToolbarPositionValues& values) {
    const std::string bytes = ToolbarPositionBytes(values);
    fs::path temp(path);
    temp += ".saving";
    std::error_code ec;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            fs::remove(temp, ec);
            return false;
        }
    }
    fs::rename(temp, path, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

} // namespace tlx
