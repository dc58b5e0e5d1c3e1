#pragma once
// The maker's web endpoint: its base address, the requests the update check makes of it, and
// where a maker's own address comes from.

#include <string>
#include <string_view>

namespace tlx {

// The maker's web site, shown in the about box and opened when the update check announces
// something, and the endpoint below it.
inline constexpr std::string_view kMakerWebSite = "https://www.vornemedia.example/";
inline constexpr std::string_view kDefaultEndpoint = "https://www.vornemedia.example/Mirvane/";
// Where the base address can be changed: the user's setting, and for tests and trials an
// environment variable, which wins.
inline constexpr std::string_view kEndpointSettingKey = "updates/baseAddress";
inline constexpr std::string_view kEndpointEnvironment = "TAMBERLUX_ENDPOINT";

// The requests, relative to the base address.
inline constexpr std::string_view kConnectRequest = "fpconnect.asp";
inline constexpr std::string_view kNewsRequest = "fpnews.asp?product=Kestrelite&version=1.31";
inline constexpr std::string_view kSitesRequest = "TextFiles/sites.txt";

// The base address to use: the first of `environment` and `setting` that is a usable http or
// https address, else the default; always ending in "/".
std::string ChooseEndpoint(std::string_view environment, std::string_view setting);

} // namespace tlx
