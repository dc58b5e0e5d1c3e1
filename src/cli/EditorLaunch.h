#pragma once
// The page editor is a program of its own (it alone loads Qt Widgets and the web engine): the
// command line hands it every invocation that is not a headless command.

#include <filesystem>
#include <iosfwd>

namespace tlx::app {

// The file name of the page editor's executable.
inline constexpr const char* kEditorExecutable = "tamberlux-editor";

// Where the page editor lies for the command line in `executableFolder`: beside it (the build
// tree) or, installed, in ../libexec/tamberlux/. Empty when neither holds an executable file.
std::filesystem::path FindEditor(const std::filesystem::path& executableFolder);

// Replaces this process with the page editor, with the same arguments. Returns only when that
// cannot be done: it then writes why to `err` (the command line keeps no log file) and returns
// the exit code (2).
int ExecEditor(char** argv, std::ostream& err);

} // namespace tlx::app
