#pragma once
// The files the update check keeps in the install folder and the tests it applies to the
// endpoint's replies:
// - "kqz.ver": the versions of the last announced Flash file update and news, two quoted
//   records, one per line;
// - "Sites.KQZ": the last valid sites list, the whole reply as one quoted record.
// The requests themselves and the questions asked are the checker window's matter.

#include "platform/Result.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tlx {

inline constexpr std::string_view kVersionFileName = "kqz.ver";
inline constexpr std::string_view kSitesFileName = "Sites.KQZ";
inline constexpr std::string_view kNoVersion = "Version0";

inline constexpr std::string_view kConnectMarker = "Official Mirvane Connect File";
inline constexpr std::string_view kSitesMarker = "Sites Update File";
inline constexpr std::string_view kNewsMarker = "UPDATENEWS";
inline constexpr std::string_view kFlashMarker = "NEWFLASH";

inline constexpr std::string_view kNewsQuestion =
    "There Is New NEWS At The VORNE Media Website!\rWould you like to go to the website to check?";
inline constexpr std::string_view kFlashQuestion =
    "There Are FLASH FILE UPDATES Available From VORNE Media Exist Online!\r"
    "Would you like to go to the website to check?";

struct KqzVersions {
    std::string filesVersion{kNoVersion}; // record 1: last announced Flash file update
    std::string newsVersion{kNoVersion};  // record 2: last announced news
    bool operator==(const KqzVersions&) const = default;
};

// The two records of a version file's text: each record is a line; a record in double quotes
// has them removed (a record may hold quotes and line breaks of its own as long as its closing
// quote ends a line). A record that is missing counts as "Version0".
KqzVersions ParseVersionFile(std::string_view text);
// The version file's text: each record in double quotes followed by CR LF.
std::string VersionFileText(const KqzVersions& versions);

// The versions kept in the install folder's "kqz.ver" (found ignoring letter case); "Version0"
// for both when there is no such file or it cannot be read.
KqzVersions ReadVersionFile(const std::filesystem::path& installFolder);
// Writes "kqz.ver" anew (replacing it as a whole); a failure says why.
Result<> WriteVersionFile(const std::filesystem::path& installFolder, const KqzVersions& versions);

// The sites file's text for a sites reply: the reply unchanged in double quotes, then CR LF.
std::string SitesFileText(std::string_view reply);
// The reply a sites file holds (the quotes and final line break of its form removed); a file
// not in that form is taken whole.
std::string ParseSitesFile(std::string_view text);
// The sites list in the install folder (its "sites.kqz", found ignoring letter case), or
// nothing when there is none.
std::optional<std::string> ReadSitesFile(const std::filesystem::path& installFolder);
// Replaces the sites file with `reply`. The existing file is replaced under its own name
// ("sites.kqz" stays "sites.kqz"); a new one is called "Sites.KQZ". A failure says why.
Result<> WriteSitesFile(const std::filesystem::path& installFolder, std::string_view reply);

// Marker tests, by plain case-sensitive search.
bool IsConnectReply(std::string_view reply);
bool IsSitesReply(std::string_view reply);

// The version a news reply announces under `marker` ("UPDATENEWS" or "NEWFLASH"): the text
// between "{" and "}" inside the block "[marker" ... "marker]". Nothing when the reply does not
// contain the marker; empty when the block or its braces are missing.
std::optional<std::string> AnnouncedVersion(std::string_view newsReply, std::string_view marker);

// What a news reply means against the kept versions.
struct NewsEvaluation {
    bool askNews = false;  // news announced with a version other than the kept one
    bool askFlash = false; // a Flash file update announced with a version other than the kept one
    KqzVersions versions;  // the versions to keep from now on (announced ones replace kept ones)
};
NewsEvaluation EvaluateNews(std::string_view newsReply, const KqzVersions& kept);

} // namespace tlx
