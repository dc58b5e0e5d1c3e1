#pragma once
// The main panel's popup menu: the about box, the help pages, the import of downloaded
// movies, the news and update check, and the submenu "On The Web" with the link list.

#include "addinbase/AddinContext.h"
#include "platform/Platform.h"

#include <string>
#include <vector>

namespace tlx {

inline constexpr int kMenuAbout = 300;
inline constexpr int kMenuImport = 303;
inline constexpr int kMenuNews = 304;
inline constexpr int kMenuHelp = 305;
inline constexpr int kMenuOnTheWeb = 400;
// How often the host's pending messages run after the news check.
inline constexpr int kNewsCheckEventRounds = 1001;

// What the menu's commands need from the panel that shows it.
class MainMenuActions {
public:
    virtual ~MainMenuActions() = default;
    virtual void SetTopmost(bool onTop) = 0;
    virtual void ShowAboutBox() = 0;
    // Whether the import and the news check can run here; a command that cannot is shown
    // disabled and does nothing.
    virtual bool CanImport() const = 0;
    virtual void ImportDownloadedMovies() = 0;
    virtual bool CanCheckNews() const = 0;
    virtual void CheckNews() = 0;
};

// The menu's entries, read anew from the install folder's link list each time.
std::vector<MenuEntry> BuildMainMenu(const std::string& installFolder, bool canImport,
                                     bool canCheckNews);

// Shows the menu at the pointer: the chosen command, or 0 when it was dismissed.
int ShowMainMenu(Platform& platform, const std::vector<MenuEntry>& menu);

// Carries out a chosen command. A link command opens the address now on its line of the link
// list, and only when it is an http, https or mailto address.
void ActionMainMenu(int command, AddinContext& context, MainMenuActions& actions);

} // namespace tlx
