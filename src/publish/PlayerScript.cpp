#include "publish/PlayerScript.h"

#include "DeviceFontsScript.h"
#include "PlayerNamesScript.h"

#include <algorithm>

namespace tlx::publish {

std::vector<PlayerSetting> PublishedPlayerSettings() {
    // Movies play at once, as they do in the editor's rendering and as the Flash player played
    // them; without sound permission they play muted, without an overlay asking to unmute. No
    // splash screen while the player loads, and the player's menu only on a right click (a
    // long press on a touch screen stays the page's). Links in a movie are followed (the
    // editor's rendering denies them; a visitor's browser must not). Device text is drawn
    // with the visitor's own fonts, as the Flash player drew it: the player's built-in font
    // has no Chinese or Japanese glyphs (the family the library's movies ask for is given by
    // DeviceFonts.js, at the start of the player's script element).
    return {
        {"autoplay", "\"on\""},          {"splashScreen", "false"},
        {"unmuteOverlay", "\"hidden\""}, {"contextMenu", "\"rightClickOnly\""},
        {"openUrlMode", "\"allow\""},    {"deviceFontRenderer", "\"canvas\""},
    };
}

std::string PublishedPageScripts() {
    // The player names script comes as an element of its own; its code goes into ours.
    std::string_view names = host::kPlayerNamesScript;
    constexpr std::string_view open = "<script>";
    constexpr std::string_view close = "</script>";
    if (names.starts_with(open) && names.ends_with(close))
        names = names.substr(open.size(), names.size() - open.size() - close.size());
    return std::string(names);
}

std::string PlayerFolderAddress(std::string_view pagePath, int extraLevels,
                                std::string_view folderName) {
    const auto depth = static_cast<int>(std::count(pagePath.begin(), pagePath.end(), '/'));
    std::string address;
    for (int i = 0; i < depth + extraLevels; ++i)
        address += "../";
    address += folderName;
    address += '/';
    return address;
}

std::string PlayerScriptElement(std::string_view playerFolderAddress) {
    std::string settings;
    for (const auto& [key, value] : PublishedPlayerSettings())
        settings += (settings.empty() ? "" : ",") + key + ":" + value;
    // The player is written into the page where this element stands, so it runs before
    // every later script of the page, as a script element of its own would.
    std::string element = "<script>/* Flash movies of this page play with Ruffle */";
    element += host::kDeviceFontsScript;
    element += "(function(){var r=window.RufflePlayer=window.RufflePlayer||{};"
               "var c=r.config=r.config||{},s={" +
               settings +
               "};for(var k in s)c[k]=s[k];"
               "c.publicPath=new URL(\"" +
               std::string(playerFolderAddress) +
               "\",location.href).href;"
               "document.write('<script src=\"'+c.publicPath+'" +
               std::string(kFlashParamsFileName) +
               "\"><\\/script><script src=\"'+c.publicPath+'ruffle.js\"><\\/script>');"
               "})();";
    element += PublishedPageScripts();
    element += "</script>";
    return element;
}

} // namespace tlx::publish
