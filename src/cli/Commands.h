#pragma once
// The headless commands of `tamberlux`. Each takes the arguments after its name and returns
// the process exit code; none needs a display. Output goes to the given streams.

#include <ostream>
#include <string>
#include <vector>

namespace tlx::app {

using Args = std::vector<std::string>;

int runCheckCommand(const Args& args, std::ostream& out, std::ostream& err);
int runFixCommand(const Args& args, std::ostream& out, std::ostream& err);
int runCatalogCommand(const Args& args, std::ostream& out, std::ostream& err);
int runImportCommand(const Args& args, std::ostream& out, std::ostream& err);
int runPublishCommand(const Args& args, std::ostream& out, std::ostream& err);

} // namespace tlx::app
