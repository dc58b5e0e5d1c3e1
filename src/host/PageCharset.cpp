#include "host/PageCharset.h"

namespace tlx::host {

namespace {

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isLabelChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

} // namespace

std::string DeclaredCharset(std::string_view text) {
    std::string head(text.substr(0, 4096));
    for (char& c : head)
        c = lower(c);
    const std::size_t at = head.find("charset");
    if (at == std::string::npos)
        return {};
    std::size_t i = at + 7;
    while (i < head.size() &&
           (head[i] == ' ' || head[i] == '\t' || head[i] == '\r' || head[i] == '\n' ||
            head[i] == '\f' || head[i] == '=' || head[i] == '"' || head[i] == '\''))
        ++i;
    std::string label;
    while (i < head.size() && isLabelChar(head[i]))
        label += head[i++];
    return label;
}

bool IsUtf8Charset(std::string_view charset) {
    return charset == "utf-8" || charset == "utf8";
}

} // namespace tlx::host
