#pragma once
// `tamberlux insert PAGE KIND ENTRY [KEY=VALUE...] [--install DIR]`: puts one Flash object at
// the end of a page's body, as its dialog would, and saves the page.

#include "cli/Commands.h"

namespace tlx::app {

int runInsertCommand(const Args& args, std::ostream& out, std::ostream& err);

} // namespace tlx::app
