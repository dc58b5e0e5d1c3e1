// The package import under any package file: it never throws, and nothing is written outside
// the install folder, whatever the archive holds (links standing in the library included).

#include "common/ScriptedPlatform.h"
#include "common/TempFolder.h"
#include "fuzz/FuzzSupport.h"
#include "updates/PackageImport.h"

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const tlx::testing::TempFolder root;
    const fs::path install = root.path() / "install";
    root.write("install/buttons.kqz", "{b1.swf}(One)(B)[150x40]\r\n");
    root.write("install/sounds.kqz", "{ding.swf}(Ding)\r\n");
    root.write("install/FlashMovies/b1.swf", "FWS");
    // A link in the library to a folder outside it: the import replaces it, never writes
    // through it.
    root.write("outside/keep.txt", "outside");
    std::error_code ec;
    fs::create_directory_symlink(root.path() / "outside", install / "FlashMovies" / "linked", ec);
    const fs::path package =
        root.write("package.zip", std::string(reinterpret_cast<const char*>(data), size));

    tlx::ScriptedPlatform platform;
    platform.messageBoxAnswers.assign(8, tlx::MsgResult::Ok);
    (void)tlx::ImportPackage(platform, install, package.string());

    std::size_t outside = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root.path() / "outside"))
        outside += entry.is_regular_file() ? 1 : 100;
    FUZZ_CHECK(outside == 1 && root.read("outside/keep.txt") == "outside",
               "the import wrote outside the install folder");
    for (const auto& entry : fs::directory_iterator(root.path())) {
        const std::string name = entry.path().filename().string();
        FUZZ_CHECK(name == "install" || name == "outside" || name == "package.zip", name);
    }
    return 0;
}
