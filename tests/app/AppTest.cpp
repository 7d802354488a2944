#include <filesystem>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "ViewFixture.h"
#include "app/App.h"
#include "support/TempDir.h"

// Start-up removes the cache files that a Vexilo which was killed left
// behind, and only those: a running process's files and files named
// otherwise stay.
TEST(StartUp, RemovesTheCacheFilesOfEndedProcesses)
{
    TempDir dir;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(0);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    const std::string dead = std::to_string(child), live = std::to_string(getpid());
    const std::string gone[] = {"~vx" + dead + "-x1Y2z3", "~vx" + dead + "-A4b5C6"};
    const std::string kept[] = {"~vx" + live + "-x1Y2z3", "~vxx1Y2z3", "~dcm" + dead + "-x1Y2z3", "notes.txt"};
    for (const std::string& n : gone)
        dir.Write(n, "swap");
    for (const std::string& n : kept)
        dir.Write(n, "keep");

    CScriptedPrompter prompter;
    CPrompterScope scope(&prompter);
    ASSERT_TRUE(wxGetApp().InitInstance());
    for (const std::string& n : gone)
        EXPECT_FALSE(std::filesystem::exists(dir.File(n))) << n;
    for (const std::string& n : kept)
        EXPECT_TRUE(std::filesystem::exists(dir.File(n))) << n;
    GetMainFrame()->Destroy();
    wxGetApp().ProcessIdle();
}

