#include "cli/EditorLaunch.h"

#include "common/TempFolder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace tlx::app {
namespace {

namespace fs = std::filesystem;
using tlx::testing::TempFolder;

void writeProgram(const fs::path& file, fs::perms perms) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "#!/bin/sh\n";
    fs::permissions(file, perms);
}

// The command line finds the page editor beside itself (the build tree) or in
// ../libexec/tamberlux/ (installed), and only an executable file counts.
TEST(EditorLaunch, FindsTheEditorBesideOrInLibexec) {
    constexpr fs::perms executable = fs::perms::owner_all;
    constexpr fs::perms plain = fs::perms::owner_read | fs::perms::owner_write;
    struct Case {
        const char* name;
        const char* editorAt; // relative to the prefix; nullptr for none
        fs::perms perms;
        bool found;
    };
    for (const Case& c :
         {Case{"beside", "bin/tamberlux-editor", executable, true},
          Case{"libexec", "libexec/tamberlux/tamberlux-editor", executable, true},
          Case{"none", nullptr, executable, false},
          Case{"not executable", "libexec/tamberlux/tamberlux-editor", plain, false},
          Case{"a folder of that name", "bin/tamberlux-editor/x", executable, false}}) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        const fs::path prefix = temp.path() / "usr";
        fs::create_directories(prefix / "bin");
        if (c.editorAt)
            writeProgram(prefix / c.editorAt, c.perms);
        const fs::path found = FindEditor(prefix / "bin");
        if (c.found)
            EXPECT_EQ(found, (prefix / c.editorAt).lexically_normal());
        else
            EXPECT_TRUE(found.empty()) << found;
    }
    EXPECT_TRUE(FindEditor({}).empty());
}

} // namespace
} // namespace tlx::app
