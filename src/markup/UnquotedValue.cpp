#include "markup/UnquotedValue.h"

namespace tlx {

std::string UnquotedMarkupValue(std::string_view value) {
    std::string safe;
    safe.reserve(value.size());
    for (const char c : value) {
        switch (c) {
        case ' ':
        case '\t':
        case '\n':
        case '\r':
        case '\f':
        case '<':
        case '>':
        case '"':
        case '\'':
        case '`':
        case '&':
            safe += "&#" + std::to_string(static_cast<unsigned char>(c)) + ";";
            break;
        default:
            safe += c;
        }
    }
    return safe;
}

std::string UnquotedMarkupValueBeforeBlank(std::string_view value) {
    return value.empty() ? std::string("\"\"") : UnquotedMarkupValue(value);
}

} // namespace tlx
