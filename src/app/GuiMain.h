#pragma once
// `tamberlux [WEB [PAGE]] [--install DIR]`: the page editor with its add-ins.

#include "cli/Commands.h"

#include <filesystem>
#include <optional>
#include <string>

namespace tlx::app {

// The name of the desktop entry (and of the icon and the AppStream component).
inline constexpr const char* kDesktopId = "org.tamberlux.Tamberlux";

struct GuiOptions {
    std::optional<std::filesystem::path> web;
    std::optional<std::filesystem::path> page;
    std::optional<std::filesystem::path> install;
    bool platformGiven = false; // Qt's own -platform option was given
};

// The options of the page editor; nullopt (with `error` set) for arguments it does not take.
// Qt's own options (-platform NAME, -style NAME, -reverse, ...) are let through for Qt. A WEB
// that names a page file opens the page's folder as the web and that page in it. A WEB that does
// not exist is an error: it is more likely a mistyped command than a web to be made.
std::optional<GuiOptions> parseGuiArgs(const Args& args, std::string& error);

// True when a window can be opened at all: a display (DISPLAY or WAYLAND_DISPLAY) or a Qt
// platform named (QT_QPA_PLATFORM, or the -platform option).
bool HaveDisplay(const char* display, const char* waylandDisplay, const char* qpaPlatform,
                 bool platformGiven);

// The Chromium flags of the web views for the flags the user gave (QTWEBENGINE_CHROMIUM_FLAGS,
// may be null): without any, drawing in software (virtual displays have no GPU); and the page
// scripts may ask the script engine to collect (--js-flags=--expose-gc), which the rendering
// of a page with many movies does after it has ended some. V8 flags the user gave stay as they
// are (Chromium takes one --js-flags only).
std::string ChromiumFlags(const char* given);

// The sample web the editor opens when none is named: the user's own copy
// (~/Tamberlux/Sample Web), made from the shipped sample the first time, so that the user's
// edits never change the shipped pages. The shipped sample itself when there is no home
// folder or the copy cannot be made (`note` then says why).
std::filesystem::path prepareSampleWeb(const std::filesystem::path& shipped, const char* home,
                                       std::string& note);

// The page to open first: `page` (relative names are looked up in the web, then as given) or
// the web's index page ("index.htm" / "index.html", any letter case). Empty when there is none.
std::filesystem::path startPage(const std::filesystem::path& web,
                                const std::optional<std::filesystem::path>& page);

// Runs the page editor; argv[1..] are the editor's arguments. Returns the exit code: 2 for
// arguments it does not take and when there is no display to open a window on.
int runGui(int argc, char** argv);

} // namespace tlx::app
