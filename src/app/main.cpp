// tamberlux: the page editor with the add-in, or a headless command.

#include "app/Commands.h"
#include "app/GuiMain.h"
#include "app/InsertCommand.h"

#include <exception>
#include <iostream>
#include <string_view>

namespace {

void printUsage(std::ostream& out) {
    out << "Usage:\n"
           "  tamberlux check PATH...                 list pages whose Flash objects look altered\n"
           "  tamberlux fix PATH...                   rewrite the Flash objects of such pages\n"
           "  tamberlux catalog FILE                  list the entries a catalog file gives\n"
           "  tamberlux import PACKAGE.zip [--install DIR]   import a content package\n"
           "  tamberlux insert PAGE KIND ENTRY [KEY=VALUE...] [--install DIR]   put a Flash object "
           "(KIND button, heading, intro, art or file) at the end of a page\n"
           "  tamberlux [WEB [PAGE]] [--install DIR]  open the page editor (default: the sample "
           "web)\n";
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
        if (command == "insert")
            return runInsertCommand(args, std::cout, std::cerr);
        if (command == "--help" || command == "-h" || command == "help") {
            printUsage(std::cout);
            return 0;
        }
        // Anything else opens the page editor.
        return runGui(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "tamberlux: " << e.what() << "\n";
        return 2;
    }
}
