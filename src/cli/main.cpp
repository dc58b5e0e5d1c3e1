// tamberlux: a headless command, or the page editor with the add-in (a program of its own,
// started in this one's place, so that the commands never load Qt Widgets or the web engine).

#include "Version.h"
#include "cli/Commands.h"
#include "cli/EditorLaunch.h"
#include "cli/InsertCommand.h"
#include "cli/InstallFolder.h"
#include "platform/ShippedData.h"

#include <cstdlib>
#include <exception>
#include <iostream>
#include <string_view>

namespace {

std::string shown(const std::optional<std::filesystem::path>& path) {
    return path ? path->string() : std::string("(none: neither XDG variables nor HOME set)");
}

void printUsage(std::ostream& out) {
    const tlx::ShippedData& shipped = tlx::ThisProgramsShippedData();
    out << "Usage: tamberlux [WEB [PAGE]] [--install DIR]\n"
           "       tamberlux COMMAND [ARGUMENTS...]\n"
           "\n"
           "Without a command, opens the page editor on the web WEB (a folder of pages; by\n"
           "default your own copy of the sample web) and its page PAGE (by default the index\n"
           "page). WEB may also name a page: its folder is opened as the web.\n"
           "\n"
           "Commands (none needs a display):\n"
           "  check PATH...                 list pages whose Flash objects look altered\n"
           "                                (exit 1 when one is listed, 2 when a path cannot\n"
           "                                be read)\n"
           "  fix PATH...                   rewrite the Flash objects of such pages\n"
           "  catalog FILE                  list the entries a catalog file gives\n"
           "  import PACKAGE.zip [--install DIR]\n"
           "                                import a downloaded content package\n"
           "  insert PAGE KIND ENTRY [KEY=VALUE...] [--install DIR]\n"
           "                                insert a library movie into a saved page\n"
           "  publish WEB DEST [--install DIR]\n"
           "                                write a copy of the web that plays its movies in\n"
           "                                today's browsers (with Ruffle) into DEST, for a web\n"
           "                                server; lists missing movies (exit 1 when one is)\n"
           "  --version                     print the version\n"
           "  --help                        print this text\n"
           "\n"
           "--install DIR names the install folder to use; a missing or empty one is set up\n"
           "from the shipped one, one that holds files is used as it stands.\n"
           "\n"
           "Folders:\n"
           "  shipped install folder  "
        << shipped.installSeed.string()
        << "\n"
           "  shipped sample web      "
        << shipped.sampleWeb.string()
        << "\n"
           "  your install folder     "
        << shown(tlx::app::UserInstallFolder())
        << "\n"
           "  log of the page editor  "
        << shown(tlx::app::LogFileFor(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"))) << "\n";
}

} // namespace

int main(int argc, char** argv) {
    using namespace tlx::app;
    const Args args(argv + (argc > 1 ? 2 : argc), argv + argc);
    const std::string_view command = argc > 1 ? argv[1] : "";
    try {
        if (command == "check")
            return runCheckCommand(args, std::cout, std::cerr);
        if (command == "fix")
            return runFixCommand(args, std::cout, std::cerr);
        if (command == "catalog")
            return runCatalogCommand(args, std::cout, std::cerr);
        if (command == "import")
            return runImportCommand(args, std::cout, std::cerr);
        if (command == "publish")
            return runPublishCommand(args, std::cout, std::cerr);
        if (command == "insert")
            return runInsertCommand(args, std::cout, std::cerr);
        if (command == "--help" || command == "-h" || command == "help") {
            printUsage(std::cout);
            return 0;
        }
        if (command == "--version" || command == "-V" || command == "version") {
            std::cout << "tamberlux " << TLX_VERSION << "\n";
            return 0;
        }
        // Anything else is the page editor's: a web, a page, or options. What it does not take
        // (an unknown command among them) it refuses before any window is tried.
        return ExecEditor(argv, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "tamberlux: " << e.what() << "\n";
        return 2;
    }
}
