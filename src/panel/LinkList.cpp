#include "panel/LinkList.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace tlx {

namespace {

namespace fs = std::filesystem;

// The text between the first `start` and the next `end` after it, or empty (the markers
// used here have no letters, so letter case does not matter).
std::string_view Between(std::string_view source, std::string_view start, std::string_view end) {
    const std::size_t s = source.find(start);
    if (s == std::string_view::npos)
        return {};
    const std::size_t from = s + start.size();
    const std::size_t e = source.find(end, from);
    if (e == std::string_view::npos)
        return {};
    return source.substr(from, e - from);
}

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

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

std::optional<std::string> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::string LinkListPath(const std::string& installFolder) {
    const fs::path folder(installFolder);
    std::error_code ec;
    if (fs::exists(folder / LinkListFileName, ec))
        return (folder / LinkListFileName).string();
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (EqualIgnoringCase(it->path().filename().string(), LinkListFileName))
            return it->path().string();
    }
    return (folder / LinkListFileName).string();
}

std::vector<LinkListEntry> ParseLinkList(std::string_view bytes) {
    std::vector<LinkListEntry> entries;
    int k = 0;
    for (std::string_view line : Lines(bytes)) {
        ++k;
        entries.push_back({LinkCommandBase + k, std::string(Between(line, "[", "]")),
                           std::string(Between(line, "{", "}"))});
    }
    return entries;
}

std::vector<LinkListEntry> ReadLinkList(const std::string& path) {
    const auto bytes = ReadBytes(path);
    return bytes ? ParseLinkList(*bytes) : std::vector<LinkListEntry>{};
}

std::vector<MenuEntry> LinkMenuEntries(const std::vector<LinkListEntry>& entries) {
    std::vector<MenuEntry> menu;
    menu.reserve(entries.size());
    for (const LinkListEntry& e : entries) {
        if (e.IsSeparator()) {
            MenuEntry line = MenuEntry::line();
            line.caption = std::string(LinkSeparatorCaption);
            line.command = e.Command;
            menu.push_back(std::move(line));
        } else {
            menu.push_back(MenuEntry::item(e.Caption, e.Command));
        }
    }
    return menu;
}

std::optional<std::string> LinkAddressForCommand(const std::string& path, int command) {
    if (command < FirstLinkCommand || command > LastLinkCommand)
        return std::nullopt;
    const auto bytes = ReadBytes(path);
    if (!bytes)
        return std::nullopt;
    const auto lines = Lines(*bytes);
    const std::size_t number = static_cast<std::size_t>(command - LinkCommandBase);
    if (lines.size() < number)
        return std::nullopt;
    const std::string_view url = Between(lines[number - 1], "{", "}");
    if (url.empty())
        return std::nullopt;
    return std::string(url);
}

std::optional<std::string> OpenableLinkAddress(std::string_view address) {
    while (!address.empty() && IsBlank(address.front()))
        address.remove_prefix(1);
    while (!address.empty() && IsBlank(address.back()))
        address.remove_suffix(1);
    if (std::any_of(address.begin(), address.end(), [](char c) {
            const auto u = static_cast<unsigned char>(c);
            return u < 0x20 || u == 0x7F;
        }))
        return std::nullopt;

    const std::size_t colon = address.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const std::string_view scheme = address.substr(0, colon);
    const std::string_view rest = address.substr(colon + 1);
    if (EqualIgnoringCase(scheme, "http") || EqualIgnoringCase(scheme, "https")) {
        if (rest.size() < 3 || rest.substr(0, 2) != "//")
            return std::nullopt;
        const char hostStart = rest[2];
        if (hostStart == '/' || hostStart == '?' || hostStart == '#' || IsBlank(hostStart))
            return std::nullopt;
    } else if (EqualIgnoringCase(scheme, "mailto")) {
        if (rest.empty())
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    return std::string(address);
}

bool OpenLinkCommand(Platform& platform, const std::string& linkListPath, int command) {
    const auto address = LinkAddressForCommand(linkListPath, command);
    if (!address)
        return false;
    const auto openable = OpenableLinkAddress(*address);
    if (!openable)
        return false;
    platform.shellOpen(*openable);
    return true;
}

} // namespace tlx
