#include "app/Commands.h"

namespace tlx::app {

int runImportCommand(const Args&, std::ostream&, std::ostream& err) {
    err << "tamberlux: this command is not available yet\n";
    return 2;
}

} // namespace tlx::app
