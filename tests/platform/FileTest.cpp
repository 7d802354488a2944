#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/FaultInjection.h"
#include "platform/File.h"
#include "platform/FileFinder.h"
#include "platform/TempFile.h"
#include "platform/TextFile.h"
#include "support/TempDir.h"

TEST(CFile, CreateWriteReadSeekAndLength)
{
    TempDir dir;
    CFile f;
    ASSERT_TRUE(f.Open(dir.File("a.bin"), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary));
    f.Write("abcdef", 6);
    f.Close();

    ASSERT_TRUE(f.Open(dir.File("a.bin"), CFile::modeRead));
    EXPECT_EQ(f.GetLength(), 6u);
    char buf[8] = {};
    f.Seek(2, CFile::begin);
    EXPECT_EQ(f.Read(buf, 8), 4u) << "a read past the end is short, not an error";
    EXPECT_STREQ(buf, "cdef");
}

TEST(CFile, OpenFailsWithCauseForMissingFileAndDirectory)
{
    TempDir dir;
    CFile f;
    CFileException::Cause cause = CFileException::none;
    EXPECT_FALSE(f.Open(dir.File("missing"), CFile::modeRead, &cause));
    EXPECT_EQ(cause, CFileException::fileNotFound);
    EXPECT_FALSE(f.Open(dir.Path(), CFile::modeRead));
}

TEST(CFile, CreateTruncatesUnlessNoTruncate)
{
    TempDir dir;
    std::string p = dir.Write("t.bin", "0123456789");
    {
        CFile f;
        ASSERT_TRUE(f.Open(p, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite));
        EXPECT_EQ(f.GetLength(), 10u);
    }
    {
        CFile f;
        ASSERT_TRUE(f.Open(p, CFile::modeCreate | CFile::modeWrite));
        EXPECT_EQ(f.GetLength(), 0u);
    }
}

TEST(CFile, WriteBeyondInjectedBudgetThrowsDiskFull)
{
    TempDir dir;
    CFile f;
    ASSERT_TRUE(f.Open(dir.File("w.bin"), CFile::modeCreate | CFile::modeWrite));
    FaultInjection::ArmWriteBudget(4);
    f.Write("abcd", 4);
    try {
        f.Write("e", 1);
        FAIL() << "expected an exception";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::diskFull);
    }
    FaultInjection::Disarm();
}

TEST(TextFiles, WriterEndsLinesWithCrLfAndReaderStripsCr)
{
    TempDir dir;
    CTextWriter w;
    ASSERT_TRUE(w.Open(dir.File("t.txt")));
    w.WriteString("OFF\n");
    w.WriteFormat("%d %.8f\n", 3, 0.5);
    ASSERT_TRUE(w.Close());
    EXPECT_EQ(TempDir::Read(dir.File("t.txt")), "OFF\r\n3 0.50000000\r\n");

    CLineReader r;
    ASSERT_TRUE(r.Open(dir.File("t.txt")));
    std::string line;
    std::vector<std::string> lines;
    while (r.ReadString(line))
        lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"OFF", "3 0.50000000"}));
}

TEST(TextFiles, WriterReportsFailedWrite)
{
    TempDir dir;
    CTextWriter w;
    ASSERT_TRUE(w.Open(dir.File("t.txt")));
    FaultInjection::ArmWriteBudget(2);
    w.WriteString("too long\n");
    FaultInjection::Disarm();
    EXPECT_FALSE(w.Close());
}

TEST(TempFiles, UniqueNamesWithPrefixInTempFolder)
{
    TempDir dir;
    EXPECT_EQ(GetTempFolder(), dir.Path());
    std::string a = CreateTempFileName("~vx");
    std::string b = CreateTempFileName("~vx");
    EXPECT_NE(a, b);
    EXPECT_EQ(dir.FilesStartingWith("~vx").size(), 2u);
    EXPECT_EQ(CreateTempFileName("~vx", dir.File("no-such-folder")), "");
}

// A process that was killed leaves its temporary files behind; the next one
// removes those whose owner no longer runs, and nothing else.
TEST(TempFiles, OrphansOfEndedProcessesAreRemoved)
{
    TempDir dir;
    const std::string own = CreateOwnedTempFileName("~vx");
    const std::string name = std::filesystem::path(own).filename().string();
    const std::string pid = std::to_string(getpid());
    ASSERT_EQ(name.rfind("~vx" + pid + "-", 0), 0u) << name;
    ASSERT_GT(name.size(), 3 + pid.size() + 1 + 7);
    // "~vx<pid>-<host>-XXXXXX": the same process id on another machine is
    // another process.
    const std::string host = name.substr(3 + pid.size() + 1, name.size() - (3 + pid.size() + 1) - 7);
    char machine[256] = {};
    ASSERT_EQ(gethostname(machine, sizeof machine - 1), 0);
    EXPECT_EQ(host, machine);
    ASSERT_EQ(name[name.size() - 7], '-');
    const std::string other = host == "elsewhere" ? "elsewhere2" : "elsewhere";

    // A process that has ended: a child reaped before the files are made.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(0);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    const std::string dead = std::to_string(child);
    const std::string parent = std::to_string(getppid()); // a live process of another program

    struct Case {
        std::string name;
        bool removed;
    };
    const std::string h = "-" + host + "-";
    const Case cases[] = {
        {"~vx" + dead + h + "aB3dE9", true},
        {"~vx" + dead + h + "ZZZZZZ", true},
        {"~vx" + pid + h + "Qw3rty", false},    // this process
        {"~vx" + parent + h + "Qw3rty", false}, // a running one
        {"~vx" + dead + "-" + other + "-aB3dE9", false}, // another machine's
        {"~vx" + dead + "-aB3dE9", false},      // no machine named
        {"~vx" + dead + h + "aB3dE", false},    // not as mkstemp names: foreign
        {"~vx" + dead + h + "aB3dE99", false},
        {"~vx" + dead + h + "aB.dE9", false},
        {"~vx" + dead + host + "-aB3dE9", false},
        {"~vx0" + dead + h + "aB3dE9", false},
        {"~vx-" + dead + h + "aB3dE9", false},
        {"~vxaB3dE9", false},       // made without an owner
        {"~vx99999999999999999999" + h + "aB3dE9", false},
        {"~dcm" + dead + h + "aB3dE9", false}, // another prefix
        {"x~vx" + dead + h + "aB3dE9", false},
    };
    for (const Case& c : cases)
        dir.Write(c.name, "data");
    // A folder and a link named like orphans are not files to remove.
    std::filesystem::create_directory(dir.File("~vx" + dead + h + "Folder"));
    std::filesystem::create_symlink(dir.File(cases[2].name), dir.File("~vx" + dead + h + "Linked"));

    EXPECT_EQ(RemoveOrphanedTempFiles("~vx"), 2);
    for (const Case& c : cases)
        EXPECT_EQ(std::filesystem::exists(dir.File(c.name)), !c.removed) << c.name;
    EXPECT_TRUE(std::filesystem::exists(own));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("~vx" + dead + h + "Folder")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("~vx" + dead + h + "Linked")));
    EXPECT_EQ(RemoveOrphanedTempFiles("~vx", dir.File("no-such-folder")), 0);
}

TEST(SafeSave, CommitReplacesTargetAndAbandonLeavesItUntouched)
{
    TempDir dir;
    std::string target = dir.Write("model.vxq", "old");
    {
        CSafeSave save(target);
        ASSERT_FALSE(save.TempPath().empty());
        CFile f;
        ASSERT_TRUE(f.Open(save.TempPath(), CFile::modeCreate | CFile::modeWrite));
        f.Write("half", 4);
        // no commit: as when a write failed
    }
    EXPECT_EQ(TempDir::Read(target), "old");
    EXPECT_EQ(dir.FilesStartingWith(".").size(), 0u) << "temporary file removed";
    {
        CSafeSave save(target);
        CFile f;
        ASSERT_TRUE(f.Open(save.TempPath(), CFile::modeCreate | CFile::modeWrite));
        f.Write("new", 3);
        f.Close();
        EXPECT_TRUE(save.Commit());
    }
    EXPECT_EQ(TempDir::Read(target), "new");
}

TEST(FileFinder, WildcardTable)
{
    struct Row {
        const char* name;
        const char* pattern;
        bool match;
    } rows[] = {
        {"slice001.raw", "*.*", true},   {"noext", "*.*", true},        {"a.dcm", "*.dcm", true},
        {"A.DCM", "*.dcm", true},        {"a.dcmx", "*.dcm", false},    {"img1", "img?", true},
        {"img12", "img?", false},        {"noext", "noext.*", true},    {"x.tar.gz", "*.gz", true},
        {"abc", "a*c", true},            {"abd", "a*c", false},         {"", "*", true},
    };
    for (const Row& r : rows)
        EXPECT_EQ(MatchesWildcard(r.name, r.pattern), r.match) << r.name << " ~ " << r.pattern;
}

TEST(FileFinder, ResultsAreSortedByName)
{
    TempDir dir;
    for (const char* n : {"c.raw", "a.raw", "b.txt", "b.raw"})
        dir.Write(n, "x");
    std::vector<std::string> names;
    for (const auto& f : FindFiles(dir.Path(), "*.raw"))
        names.push_back(f.name);
    EXPECT_EQ(names, (std::vector<std::string>{"a.raw", "b.raw", "c.raw"}));
    EXPECT_EQ(FindFiles(dir.File("none")).size(), 0u);
}

// Names found as Windows finds them: the literal name first, then one that
// differs only in ASCII case, the first in byte order when several do.
TEST(FileFinder, ResolveNameCase)
{
    struct Case {
        std::vector<const char*> present;
        const char* asked;
        const char* found; // nullptr: the name as asked
        const char* why;
    };
    const Case cases[] = {
        {{"scan.end", "SCAN.END"}, "scan.end", "scan.end", "the literal name wins"},
        {{"SCAN.END"}, "SCAN.end", "SCAN.END", "another case"},
        {{"scan.END", "Scan.End", "SCAN.END"}, "scan.end", "SCAN.END", "several: the first in byte order"},
        {{"SCAN.ENDX", "SCAN.EN", "SCAN.\xc9ND"}, "scan.end", nullptr, "none"},
        {{"\xc9t\xc9.mar"}, "\xe9t\xe9.mar", nullptr, "only ASCII letters fold"},
        {{}, "scan.end", nullptr, "empty folder"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        for (const char* n : c.present)
            dir.Write(n, "x");
        EXPECT_EQ(ResolveNameCase(dir.File(c.asked)), dir.File(c.found ? c.found : c.asked)) << c.why;
    }
    EXPECT_EQ(ResolveNameCase("/no/such/folder/SCAN.END"), "/no/such/folder/SCAN.END");
    EXPECT_EQ(ResolveNameCase(""), "");
}
