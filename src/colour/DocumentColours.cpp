#include "colour/DocumentColours.h"

#include <algorithm>
#include <cctype>

namespace tlx {

std::optional<std::string> TagColourText(std::string_view outerHtml) {
    const std::size_t close = outerHtml.find('>');
    if (close == std::string_view::npos)
        return std::nullopt;
    const std::string_view tag = outerHtml.substr(0, close + 1);
    const std::size_t hash = tag.rfind('#');
    if (hash == std::string_view::npos)
        return std::nullopt;
    return std::string(tag.substr(hash, 7));
}

std::vector<std::string> SortedColourList(std::vector<std::string> texts) {
    const auto lessIgnoringCase = [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                            [](char x, char y) {
                                                return std::toupper(static_cast<unsigned char>(x)) <
                                                       std::toupper(static_cast<unsigned char>(y));
                                            });
    };
    std::stable_sort(texts.begin(), texts.end(), lessIgnoringCase);
    std::vector<std::string> list;
    for (std::string& text : texts)
        if (list.empty() || list.back() != text)
            list.push_back(std::move(text));
    return list;
}

} // namespace tlx
