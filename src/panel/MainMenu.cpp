#include "panel/MainMenu.h"

#include "markup/TextHelpers.h"
#include "panel/LinkList.h"
#include "platform/FileUtil.h"

namespace tlx {

namespace {

MenuEntry Entry(const char* caption, int command, bool enabled = true) {
    MenuEntry entry = MenuEntry::item(caption, command);
    entry.enabled = enabled;
    return entry;
}

} // namespace

std::vector<MenuEntry> BuildMainMenu(const std::string& installFolder, bool canImport,
                                     bool canCheckNews) {
    std::vector<MenuEntry> menu;
    menu.push_back(Entry("About Mirvane Flash", kMenuAbout));
    menu.push_back(Entry("Mirvane Flash Help", kMenuHelp));
    menu.push_back(Entry("Import Downloaded Flash Movies", kMenuImport, canImport));
    menu.push_back(Entry("News/Updates", kMenuNews, canCheckNews));

    const std::string linkList = LinkListPath(installFolder);
    std::vector<MenuEntry> links;
    if (FileExists(linkList).isExisting())
        links = LinkMenuEntries(ReadLinkList(linkList));
    MenuEntry web = MenuEntry::sub("On The Web", std::move(links));
    // The submenu's own number is never returned; an empty submenu keeps no number so that
    // the menu shows it as an (empty) submenu rather than as an entry.
    web.command = web.submenu.empty() ? 0 : kMenuOnTheWeb;
    menu.push_back(std::move(web));
    return menu;
}

int ShowMainMenu(Platform& platform, const std::vector<MenuEntry>& menu) {
    return platform.popupMenu(menu);
}

void ActionMainMenu(int command, AddinContext& context, MainMenuActions& actions) {
    switch (command) {
    case kMenuHelp:
        actions.SetTopmost(false);
        ShellOpen(context.Editor, context.platform,
                  ResolveNoCase(context.InstallFolder, "Help/index.htm").string());
        return;
    case kMenuAbout:
        actions.SetTopmost(false);
        actions.ShowAboutBox();
        actions.SetTopmost(true);
        return;
    case kMenuImport:
        if (!actions.CanImport())
            return;
        actions.SetTopmost(false);
        actions.ImportDownloadedMovies();
        actions.SetTopmost(true);
        return;
    case kMenuNews:
        if (!actions.CanCheckNews())
            return;
        context.StatusFlag = std::string(kStatusDoCheckFiles);
        actions.CheckNews();
        for (int round = 0; round < kNewsCheckEventRounds; ++round)
            context.platform.doEvents();
        return;
    default:
        if (command >= FirstLinkCommand && command <= LastLinkCommand)
            if (const auto opened =
                    OpenLinkCommand(context.platform, LinkListPath(context.InstallFolder), command))
                SayWhenNotOpened(context.Editor, *opened);
        return;
    }
}

} // namespace tlx
