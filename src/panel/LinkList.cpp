#include "panel/LinkList.h"

#include "markup/TextHelpers.h"
#include "platform/FileUtil.h"

#include <algorithm>

namespace tlx {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::string LinkListPath(const std::string& installFolder) {
    return ResolveNoCase(installFolder, std::string(LinkListFileName)).string();
}

std::vector<LinkListEntry> ParseLinkList(std::string_view bytes) {
    std::vector<LinkListEntry> entries;
    int k = 0;
    for (std::string_view line : SplitLines(bytes)) {
        ++k;
        entries.push_back(
            {LinkCommandBase + k, TextBetween(line, "[", "]"), TextBetween(line, "{", "}")});
    }
    return entries;
}

std::vector<LinkListEntry> ReadLinkList(const std::string& path) {
    const auto bytes = ReadFileBytes(path);
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
    const auto bytes = ReadFileBytes(path);
    if (!bytes)
        return std::nullopt;
    const auto lines = SplitLines(*bytes);
    const std::size_t number = static_cast<std::size_t>(command - LinkCommandBase);
    if (lines.size() < number)
        return std::nullopt;
    std::string url = TextBetween(lines[number - 1], "{", "}");
    if (url.empty())
        return std::nullopt;
    return url;
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
    if (EqualsNoCase(scheme, "http") || EqualsNoCase(scheme, "https")) {
        if (rest.size() < 3 || rest.substr(0, 2) != "//")
            return std::nullopt;
        const char hostStart = rest[2];
        if (hostStart == '/' || hostStart == '?' || hostStart == '#' || IsBlank(hostStart))
            return std::nullopt;
    } else if (EqualsNoCase(scheme, "mailto")) {
        if (rest.empty())
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    return std::string(address);
}

std::optional<int> OpenLinkCommand(Platform& platform, const std::string& linkListPath,
                                   int command) {
    const auto address = LinkAddressForCommand(linkListPath, command);
    if (!address)
        return std::nullopt;
    const auto openable = OpenableLinkAddress(*address);
    if (!openable)
        return std::nullopt;
    return platform.shellOpen(*openable);
}

} // namespace tlx
