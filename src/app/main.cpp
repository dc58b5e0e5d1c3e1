// tamberlux-editor: the page editor with the add-in. The command line `tamberlux` starts it in
// its own place for every invocation that is not a headless command, with the same arguments.

#include "app/GuiMain.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    try {
        return tlx::app::runGui(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "tamberlux: " << e.what() << "\n";
        return 2;
    }
}
