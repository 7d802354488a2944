// Where the program looks for its XRC files and bitmaps, without a display.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "app/Resources.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

// An installed program takes share/vexilo of its own prefix, whichever build
// tree it came from; a program in its build tree takes the source's res/.
TEST(ResourceLookup, InstalledResourcesBeforeTheBuildTree)
{
    struct Case {
        const char* what;
        bool installed, build;
        std::string buildTree; // relative to the folder; "" for none
        const char* want;      // relative to the folder
    };
    const Case cases[] = {
        {"installed and built", true, true, "src/res", "prefix/share/vexilo"},
        {"installed, no build tree", true, false, "", "prefix/share/vexilo"},
        {"built only", false, true, "src/res", "src/res"},
        {"neither", false, false, "src/res", "prefix/bin/res"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const fs::path root = dir.Path();
        fs::create_directories(root / "prefix/bin");
        fs::create_directories(root / "prefix/share/vexilo");
        fs::create_directories(root / "src/res");
        if (c.installed)
            dir.Write("prefix/share/vexilo/MainFrame.xrc", "<resource/>");
        if (c.build)
            dir.Write("src/res/MainFrame.xrc", "<resource/>");
        const std::string exe = (root / "prefix/bin/vexilo").string();
        const std::string tree = c.buildTree.empty() ? "" : (root / c.buildTree).string();
        EXPECT_EQ(ResourceDirFor(exe, tree), (root / c.want).string());
    }
}

// The test program itself is no installed one: it finds the source tree's res/.
TEST(ResourceLookup, BuildTreeProgramFindsTheSourceResources)
{
    EXPECT_EQ(fs::path(ResourceDir()), fs::path(VEXILO_SOURCE_DIR) / "res");
}
