#include "updates/Endpoint.h"

#include "platform/Log.h"

namespace tlx {

namespace {

bool usable(std::string_view address) {
    const auto hostAfter = [&](std::string_view scheme) {
        return address.substr(0, scheme.size()) == scheme && address.size() > scheme.size() &&
               address[scheme.size()] != '/';
    };
    if (!hostAfter("http://") && !hostAfter("https://"))
        return false;
    for (const char c : address)
        if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F)
            return false;
    return true;
}

std::string withSlash(std::string_view address) {
    std::string result(address);
    if (result.back() != '/')
        result += '/';
    return result;
}

} // namespace

std::string ChooseEndpoint(std::string_view environment, std::string_view setting) {
    for (const std::string_view candidate : {environment, setting}) {
        if (candidate.empty())
            continue;
        if (usable(candidate))
            return withSlash(candidate);
        LogWarning("Endpoint", "not an http or https address, ignored: " + std::string(candidate));
    }
    return std::string(kDefaultEndpoint);
}

} // namespace tlx
