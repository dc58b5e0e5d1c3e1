#include "cli/EditorLaunch.h"

#include "platform/ShippedData.h"

#include <cerrno>
#include <cstring>
#include <ostream>
#include <string>
#include <unistd.h>

namespace tlx::app {

namespace fs = std::filesystem;

fs::path FindEditor(const fs::path& executableFolder) {
    if (executableFolder.empty())
        return {};
    for (const fs::path& candidate :
         {executableFolder / kEditorExecutable,
          (executableFolder / ".." / "libexec" / "tamberlux" / kEditorExecutable)
              .lexically_normal()}) {
        std::error_code error;
        if (fs::is_regular_file(candidate, error) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

int ExecEditor(char** argv, std::ostream& err) {
    const fs::path folder = ExecutableFolder();
    const fs::path editor = FindEditor(folder);
    if (editor.empty()) {
        const std::string message =
            "the page editor (" + std::string(kEditorExecutable) + ") is not installed beside " +
            (folder.empty() ? std::string("this program") : folder.string()) +
            " nor in its ../libexec/tamberlux/";
        err << "tamberlux: " << message << "\n";
        return 2;
    }
    ::execv(editor.c_str(), argv);
    const std::string message = "cannot start " + editor.string() + ": " + std::strerror(errno);
    err << "tamberlux: " << message << "\n";
    return 2;
}

} // namespace tlx::app
