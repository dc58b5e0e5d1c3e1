#pragma once
// Addresses of files and folders on disk: "file://" followed by the absolute path, each byte
// that cannot stand in an address (blanks, controls, non-ASCII bytes and "\"#%<>?[\\]^`{|}")
// written as "%" and two upper-case hexadecimal digits. Folders and pages use this one rule,
// so a page's address begins with the address of every folder that holds it, followed by "/".

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tlx::host {

// The address of an absolute path; a trailing separator is dropped (except for "/" itself,
// whose address is "file://"). Empty for a relative or empty path.
std::string fileUrlFromPath(const std::filesystem::path& path);

// The path of a "file://" address (percent escapes decoded); nullopt for any other address,
// for a host other than empty or "localhost", or for an escape that decodes to NUL.
std::optional<std::filesystem::path> pathFromFileUrl(std::string_view url);

// Percent-encodes one piece of an address by the rule above ("/" is kept).
std::string percentEncodePath(std::string_view text);

} // namespace tlx::host
