#include "cli/Commands.h"
#include "cli/ConsolePlatform.h"
#include "cli/InstallFolder.h"
#include "updates/PackageImport.h"

#include <filesystem>
#include <optional>

namespace tlx::app {

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage = "Usage: tamberlux import PACKAGE.zip [--install DIR]\n";

int badArguments(std::ostream& err, const std::string& why) {
    err << "tamberlux import: " << why << "\n" << kUsage;
    return 2;
}

} // namespace

int runImportCommand(const Args& args, std::ostream& out, std::ostream& err) {
    std::optional<std::string> package;
    std::optional<fs::path> installOverride;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--install") {
            if (i + 1 >= args.size())
                return badArguments(err, "--install needs a folder");
            if (installOverride)
                return badArguments(err, "--install given twice");
            installOverride = fs::path(args[++i]);
        } else if (arg.rfind("--install=", 0) == 0) {
            if (installOverride)
                return badArguments(err, "--install given twice");
            installOverride = fs::path(arg.substr(10));
        } else if (arg == "--help" || arg == "-h") {
            out << kUsage;
            return 0;
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "--") {
            return badArguments(err, "unknown option " + arg);
        } else if (package) {
            return badArguments(err, "one package at a time");
        } else {
            package = arg;
        }
    }
    if (!package || package->empty())
        return badArguments(err, "no package named");
    std::error_code error;
    if (!fs::is_regular_file(*package, error))
        return badArguments(err, "no such file: " + *package);
    if (installOverride && installOverride->empty())
        return badArguments(err, "--install needs a folder");

    const InstallFolderChoice install = PrepareInstallFolder(installOverride);
    if (!install.folder) {
        err << "tamberlux import: " << install.message << "\n";
        return 2;
    }
    if (!install.message.empty())
        err << "tamberlux import: " << install.message << "\n";

    ConsolePlatform platform(out, err);
    const ImportOutcome outcome = ImportPackage(platform, *install.folder, *package);
    return outcome == ImportOutcome::Imported ? 0 : 1;
}

} // namespace tlx::app
