#pragma once
// The link list "sites.kqz" in the install folder: the web links of the main menu's "On The
// Web" submenu. Each line k (from 1) is the entry of command 1000 + k; its caption lies between
// "[" and "]" and its address between "{" and "}", in any order and with anything around them.
// A line without a caption is a separator but still uses up its number.

#include "platform/Platform.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tlx {

inline constexpr std::string_view LinkListFileName = "sites.kqz";
inline constexpr std::string_view LinkSeparatorCaption = "/Separator/";
// Command numbers of the link list: line k is command LinkCommandBase + k. Only the lines
// whose commands fall in FirstLinkCommand..LastLinkCommand can be opened; later lines are
// listed but do nothing.
inline constexpr int LinkCommandBase = 1000;
inline constexpr int FirstLinkCommand = 1001;
inline constexpr int LastLinkCommand = 1099;

struct LinkListEntry {
    int Command = 0;
    std::string Caption; // empty for a separator
    std::string Address;

    bool IsSeparator() const { return Caption.empty(); }
    friend bool operator==(const LinkListEntry&, const LinkListEntry&) = default;
};

// The link list of an install folder; its name is matched without regard to letter case (the
// update check writes it as "Sites.KQZ").
std::string LinkListPath(const std::string& installFolder);

// One entry per line of the bytes (lines end at CR, CR LF or LF; blank lines count), no limit.
std::vector<LinkListEntry> ParseLinkList(std::string_view bytes);
// The entries of a link list file; none when it is missing or cannot be read.
std::vector<LinkListEntry> ReadLinkList(const std::string& path);

// The entries of the "On The Web" submenu: the caption, or a separator captioned
// "/Separator/", each with its command number.
std::vector<MenuEntry> LinkMenuEntries(const std::vector<LinkListEntry>& entries);

// The address on the line of `command` as the file holds it now, or nothing when the command
// is not a link command, the file or the line is missing, or the line has no address.
std::optional<std::string> LinkAddressForCommand(const std::string& path, int command);

// The address, without surrounding blanks, when it may be opened from the link list: an
// http or https address with a host, or a mailto address; nothing for any other scheme, for
// an address without one and for an address holding control characters.
std::optional<std::string> OpenableLinkAddress(std::string_view address);

// Runs a link command: hands its line's address to the shell when it may be opened. Nothing
// when no address was handed on, else what the shell answered (above 32 when opened).
std::optional<int> OpenLinkCommand(Platform& platform, const std::string& linkListPath,
                                   int command);

} // namespace tlx
