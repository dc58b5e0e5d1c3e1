#pragma once
// The one element a published page gets: a script that configures the Flash player of today's
// browsers (Ruffle, self-hosted beside the pages) and loads it before the page's own scripts
// run, from an address relative to the page. The same element serves the browser preview of
// the page editor, with the player's folder relative to the previewed page there.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tlx::publish {

// The folder of the published web that holds the player's files.
inline constexpr std::string_view kPlayerFolderName = "tamberlux-ruffle";
// The script in that folder that hands each Flash OBJECT's WMode, SAlign, Scale, Quality and
// BGColor to its EMBED, which is what the player reads; it runs just before the player.
inline constexpr std::string_view kFlashParamsFileName = "tamberlux-flash-params.js";

// One setting of the player's configuration: its key and its value as JavaScript.
using PlayerSetting = std::pair<std::string, std::string>;

// The settings a published page gives the player (window.RufflePlayer.config), apart from
// publicPath, which the element works out from the page's own address. Everything a page
// needs of the player beyond its defaults is set here.
std::vector<PlayerSetting> PublishedPlayerSettings();

// The code that runs in every published page besides the player's configuration: the player
// names script (movies reachable by their names, as pages written for the ActiveX player expect).
// Other scripts the rendering gives pages for the player belong here too, so that the published
// page and the browser preview behave as the rendering does.
std::string PublishedPageScripts();

// The address from a page at `pagePath` (relative to the web, "/" between names) to the
// player's folder at the top of the web: "tamberlux-ruffle/", "../tamberlux-ruffle/"...
// `extraLevels` adds steps up (the preview server keeps the web one folder below the
// player's).
std::string PlayerFolderAddress(std::string_view pagePath, int extraLevels = 0,
                                std::string_view folderName = kPlayerFolderName);

// The script element for a page whose player folder is at `playerFolderAddress` (relative,
// ending with "/"). ASCII only, one line.
std::string PlayerScriptElement(std::string_view playerFolderAddress);

} // namespace tlx::publish
