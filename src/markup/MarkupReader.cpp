#include "markup/MarkupReader.h"

#include "markup/TextHelpers.h"
#include "platform/FileUtil.h"

namespace tlx {

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 0;
}

int HtmlColorToRgb(std::string_view text) {
    if (text.size() <= 5)
        return 0;
    if (text.front() == '#')
        text = text.substr(text.size() - 6);
    const auto pair = [](char high, char low) { return 16 * HexDigit(high) + HexDigit(low); };
    const int red = pair(text[0], text[1]);
    const int green = pair(text[2], text[3]);
    const int blue = pair(text[text.size() - 2], text[text.size() - 1]);
    return red + 256 * green + 65536 * blue;
}

std::string QueryValue(std::string_view key, std::string_view query) {
    const std::string s = ReplaceText(ReplaceText(query, "+", " "), "&amp;", "&");
    std::string pattern(key);
    pattern += '=';
    const std::size_t at = s.find(pattern);
    if (at == std::string::npos)
        return {};
    const std::size_t from = at + pattern.size();
    const std::size_t end = s.find('&', from);
    // Typed "&", "+", "%" and quotes travel as %26, %2B, %25, %22 and %27.
    return PercentDecoded(
        s.substr(from, end == std::string::npos ? std::string::npos : end - from));
}

std::string MarkupQueryValue(std::string_view key, std::string_view markup) {
    return QueryValue(key, TextBetween(markup, kMovieStartMarker, kMovieEndMarker));
}

std::string MovieFileFromMarkup(std::string_view markup) {
    // A blank in the file name is written %20.
    return PercentDecoded(TextBetween(markup, kMovieStartMarker, ".swf")) + ".swf";
}

} // namespace tlx
