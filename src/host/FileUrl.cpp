#include "host/FileUrl.h"

#include "platform/FileUtil.h"

#include <cctype>
#include <cstring>

namespace tlx::host {

namespace {
bool needsEscape(unsigned char c) {
    return c <= 0x20 || c >= 0x7F || std::strchr("\"#%<>?[\\]^`{|}", c) != nullptr;
}

} // namespace

std::string percentEncodePath(std::string_view text) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string result;
    result.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (needsEscape(c)) {
            result += '%';
            result += digits[c >> 4];
            result += digits[c & 0x0F];
        } else {
            result += ch;
        }
    }
    return result;
}

std::string fileUrlFromPath(const std::filesystem::path& path) {
    std::string text = path.lexically_normal().string();
    if (text.empty() || text.front() != '/')
        return {};
    while (!text.empty() && text.back() == '/')
        text.pop_back();
    return "file://" + percentEncodePath(text);
}

std::optional<std::filesystem::path> pathFromFileUrl(std::string_view url) {
    constexpr std::string_view scheme = "file://";
    if (url.size() < scheme.size())
        return std::nullopt;
    for (std::size_t i = 0; i < scheme.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(url[i])) != scheme[i])
            return std::nullopt;
    std::string_view rest = url.substr(scheme.size());
    if (rest.starts_with("localhost"))
        rest.remove_prefix(std::string_view("localhost").size());
    if (!rest.empty() && rest.front() != '/')
        return std::nullopt;
    std::string decoded = PercentDecoded(rest);
    if (decoded.find('\0') != std::string::npos)
        return std::nullopt;
    if (decoded.empty())
        decoded = "/";
    return std::filesystem::path(decoded);
}

} // namespace tlx::host
