#pragma once
// The state one connection of the add-in shares between its parts: the host application (as
// the HostEditor facade), the desktop services, the install folder and the few program-wide
// values the panel, the event hooks and the dialogs signal each other with.

#include "hostapi/HostEditor.h"
#include "platform/Platform.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tlx {

// Values of StatusFlag.
inline constexpr std::string_view kStatusFPReady = "FPReady";
inline constexpr std::string_view kStatusDoCheckFiles = "DoCheckFiles";
inline constexpr std::string_view kStatusWaiting = "Waiting";
inline constexpr std::string_view kStatusLoadedMovie = "Loaded Movie";

// An intro text file that an update replaced: it goes when its page is saved without it.
struct TextFileToDelete {
    std::string PageHref; // the page's address
    std::string PageFile; // the page's file
    std::string Folder;   // the folder of the text file
    std::string FileName;
};

// Notes for the host's status bar where the add-in itself shows nothing.
inline constexpr std::string_view kNotEditableNote = "Switch to Normal or HTML view to insert";
inline constexpr std::string_view kNoNewsNote = "No news from the update server";
// Followed by the endpoint's host name.
inline constexpr std::string_view kUnreachableNote = "Could not reach ";

struct AddinContext {
    AddinContext(Platform& services, std::string installFolder)
        : platform(services), InstallFolder(std::move(installFolder)) {}
    AddinContext(const AddinContext&) = delete;
    AddinContext& operator=(const AddinContext&) = delete;

    // The application handle; holds no application while not connected.
    HostEditor Editor{nullptr};
    Platform& platform;
    std::string InstallFolder;

    // True while the user has the main panel open.
    bool PanelOpen = false;
    // A simple signal between the host events and the dialogs that wait for them.
    std::string StatusFlag;
    // The ID of the object being edited.
    std::string SelectedObjectId;
    // The colour swatch the Color Selector sets; empty when none.
    std::string ColorTarget;
    // Intro text files waiting for their page to be saved (DeleteReplacedTextFiles).
    std::vector<TextFileToDelete> TextFilesToDelete;

    // Puts the main panel above other windows (true) or among them (false) when it is loaded;
    // does nothing otherwise. Dialogs call it around the modal windows they open.
    std::function<void(bool onTop)> SetPanelTopmost = [](bool) {};
};

} // namespace tlx
