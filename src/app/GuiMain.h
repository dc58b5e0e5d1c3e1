#pragma once
// `tamberlux [WEB [PAGE]] [--install DIR]`: the page editor with its add-ins.

#include "app/Commands.h"

#include <filesystem>
#include <optional>
#include <string>

namespace tlx::app {

struct GuiOptions {
    std::optional<std::filesystem::path> web;
    std::optional<std::filesystem::path> page;
    std::optional<std::filesystem::path> install;
};

// The options of the page editor; nullopt (with `error` set) for arguments it does not take.
std::optional<GuiOptions> parseGuiArgs(const Args& args, std::string& error);

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

// Runs the page editor; argv[1..] are the editor's arguments. Returns the exit code.
int runGui(int argc, char** argv);

} // namespace tlx::app
