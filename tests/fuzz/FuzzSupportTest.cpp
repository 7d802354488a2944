#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "FuzzSupport.h"
#include "data/DialogRunner.h"
#include "data/MessageLog.h"
#include "platform/Prompter.h"
#include "platform/TempFile.h"

// The pieces of a multi-file input, marks at either end and side by side.
TEST(FuzzCut, PiecesBetweenTheMarks)
{
    const std::string cut(fuzz::kCut);
    struct Case {
        std::string input;
        std::vector<std::string> want;
    };
    const Case cases[] = {
        {"", {""}},
        {"abc", {"abc"}},
        {"a" + cut + "b", {"a", "b"}},
        {cut + "a" + cut, {"", "a", ""}},
        {"a" + cut + cut + "b", {"a", "", "b"}},
        {"a#VXCUT#b", {"a#VXCUT#b"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> got;
        for (std::string_view p : fuzz::Cut(c.input))
            got.emplace_back(p);
        EXPECT_EQ(got, c.want) << c.input;
    }
}

// A run installs the scripted seams and a message log, writes into a folder
// under the private temporary folder, and leaves nothing of either behind.
TEST(FuzzRun, SeamsForOneInputAndNothingLeftAfter)
{
    IPrompter* const prompter = &Prompter();
    IDialogRunner* const dialogs = &DialogRunner();
    std::string folder, file;
    {
        fuzz::Run run;
        EXPECT_EQ(&Prompter(), &run.prompter);
        EXPECT_EQ(&DialogRunner(), &run.dialogs);
        EXPECT_NE(CMessageLog::GetExisting(), nullptr);
        folder = run.Folder();
        file = run.Write("x.bin", std::string_view("\0\1", 2));
        EXPECT_EQ(std::filesystem::file_size(file), 2u);
        EXPECT_EQ(folder.rfind(fuzz::ScratchRoot(), 0), 0u);
        EXPECT_EQ(GetTempFolder(), fuzz::ScratchRoot()) << "cache files must land where the check looks";
    }
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(CMessageLog::GetExisting(), nullptr);
    EXPECT_EQ(&Prompter(), prompter);
    EXPECT_EQ(&DialogRunner(), dialogs);
}

// What a reader leaves behind fails the input: a cache file or an open
// descriptor, wherever it was made.
TEST(FuzzRunDeathTest, LeftoversAbort)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The dying child makes its folder inside this process's, which goes at exit.
    fuzz::ScratchRoot();
    EXPECT_DEATH(
        {
            fuzz::Run run;
            CreateTempFileName("~vx");
        },
        "temporary file left behind: .*~vx");
    EXPECT_DEATH(
        {
            fuzz::Run run;
            const std::string path = run.Write("open.bin", "x");
            ::open(path.c_str(), O_RDONLY);
        },
        "file descriptor left open: [0-9]+ -> .*open.bin");
    // What the dead children left is no later test's leftover.
    for (const auto& e : std::filesystem::directory_iterator(fuzz::ScratchRoot()))
        std::filesystem::remove_all(e.path());
}
