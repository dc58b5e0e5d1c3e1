#include "platform/ShippedData.h"

#include "BuildPaths.h"
#include "platform/Log.h"

namespace tlx {

namespace fs = std::filesystem;

fs::path InstalledDataFolder(const fs::path& executableFolder) {
    // The page editor's executable lies in libexec/tamberlux/, one level deeper than bin/.
    const fs::path folder = executableFolder.lexically_normal();
    const fs::path name =
        folder.has_filename() ? folder.filename() : folder.parent_path().filename();
    const fs::path prefix = name == "tamberlux" ? folder / ".." / ".." : folder / "..";
    return (prefix / "share" / "tamberlux").lexically_normal();
}

ShippedData FindShippedData(const fs::path& executableFolder, const ShippedData& buildTree) {
    if (executableFolder.empty())
        return buildTree;
    const fs::path installed = InstalledDataFolder(executableFolder);
    const auto pick = [](const fs::path& candidate, const fs::path& fallback) {
        std::error_code error;
        return fs::is_directory(candidate, error) ? candidate : fallback;
    };
    return ShippedData{pick(installed / "install", buildTree.installSeed),
                       pick(installed / "sample-web", buildTree.sampleWeb),
                       pick(installed / "ruffle", buildTree.ruffle)};
}

fs::path ExecutableFolder() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error) {
        LogWarning("ExecutableFolder", "/proc/self/exe: " + error.message());
        return {};
    }
    return executable.parent_path();
}

const ShippedData& ThisProgramsShippedData() {
    static const ShippedData data =
        FindShippedData(ExecutableFolder(),
                        ShippedData{TLX_SHIPPED_INSTALL_DIR, TLX_SAMPLE_WEB_DIR, TLX_RUFFLE_DIR});
    return data;
}

} // namespace tlx
