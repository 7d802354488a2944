#include <array>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "data/VolumeFixtures.h"
#include "support/TempDir.h"

extern char** environ;

namespace {
// A bound for each wait, far beyond what any step takes: a hung step fails
// the test instead of the run.
constexpr int kWaitSeconds = 60;

// A program started by the test, with the environment and working folder it
// is given; killed if the test leaves it running.
class CChild {
public:
    CChild(const std::vector<std::string>& args, const std::vector<std::string>& env, const std::string& folder,
           const std::string& input = "/dev/null", bool quiet = false)
    {
        std::vector<char*> argv, envp;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        for (const std::string& e : env)
            envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        m_pid = fork();
        if (m_pid == 0) {
            const int in = open(input.c_str(), O_RDONLY), out = open("/dev/null", O_WRONLY);
            dup2(in, 0);
            dup2(out, 1);
            if (quiet)
                dup2(out, 2);
            if (chdir(folder.c_str()) == 0)
                execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
    }
    ~CChild()
    {
        if (m_pid > 0 && !m_exited) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    CChild(const CChild&) = delete;
    CChild& operator=(const CChild&) = delete;

    pid_t Pid() const { return m_pid; }
    // Waits for the child to end; its wait status, or -1 when it did not end.
    int Wait()
    {
        const int fd = int(syscall(SYS_pidfd_open, m_pid, 0));
        if (fd < 0)
            return -1;
        pollfd p{fd, POLLIN, 0};
        const bool ended = poll(&p, 1, kWaitSeconds * 1000) == 1;
        close(fd);
        int status = -1;
        if (ended && waitpid(m_pid, &status, 0) == m_pid) {
            m_exited = true;
            return status;
        }
        return -1;
    }

private:
    pid_t m_pid = -1;
    bool m_exited = false;
};

// What a command prints, and whether it succeeded.
bool Shell(const std::string& command, std::string* out = nullptr)
{
    FILE* p = popen(command.c_str(), "r");
    if (!p)
        return false;
    std::string text;
    std::array<char, 256> buf;
    for (std::size_t n; (n = fread(buf.data(), 1, buf.size(), p)) > 0;)
        text.append(buf.data(), n);
    if (out)
        *out = text;
    return pclose(p) == 0;
}

// The id of the first shown window whose name matches `pattern` (an extended
// regular expression), once there is one; empty if none comes.
std::string WaitForWindow(const std::string& pattern)
{
    std::string out;
    Shell("timeout " + std::to_string(kWaitSeconds) + " xdotool search --sync --onlyvisible --name '" + pattern + "'",
        &out);
    return out.substr(0, out.find('\n'));
}

std::vector<std::string> CacheFiles(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.path().filename().string().rfind("~vx", 0) == 0)
            names.push_back(e.path().filename().string());
    return names;
}

std::vector<std::string> Environment(const std::string& tmp, const std::string& home)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string var = *e;
        const std::string name = var.substr(0, var.find('='));
        if (name != "TMPDIR" && name != "HOME")
            env.push_back(var);
    }
    // No settings or recent files of the user's; no accessibility bus.
    for (const char* v : {"GSETTINGS_BACKEND=memory", "NO_AT_BRIDGE=1", "GDK_BACKEND=x11"})
        env.emplace_back(v);
    env.push_back("TMPDIR=" + tmp);
    env.push_back("HOME=" + home);
    return env;
}
} // namespace

// The program as a user starts it, with a volume open (its cache files in
// the temporary folder), ended by SIGTERM as a session's end or `kill` ends
// it: it closes as File > Exit does, and the volume's files go with it.
TEST(KilledProgram, SigtermClosesItAsExitDoesAndLeavesNoCacheFile)
{
    TempDir dir;
    const std::string tmp = dir.File("tmp"), home = dir.File("home"), volume = dir.File("cube.vxq");
    std::filesystem::create_directory(tmp);
    std::filesystem::create_directory(home);
    {
        auto cube = MakePatterned<CNativeVolume>(16, 16, 16, 8);
        cube->SetVoxelSize(1, 1, 1);
        ASSERT_TRUE(cube->Save(volume));
    }
    const std::string path = dir.Write("path.txt", volume);

    CChild vexilo({VEXILO_PROGRAM}, Environment(tmp, home), dir.Path());
    const std::string main = WaitForWindow("^Vexilo$");
    ASSERT_FALSE(main.empty()) << "the main window did not appear";
    // Without a window manager the keyboard follows the pointer.
    ASSERT_TRUE(Shell("xdotool mousemove --window " + main + " 400 300 key alt+f o"));
    ASSERT_FALSE(WaitForWindow("^Open$").empty()) << "File > Open showed no chooser";
    // The path is pasted into the chooser's location field (typed, it races
    // the field's completion). The clipboard's owner ends once the paste is
    // served, so Return comes after the path.
    {
        CChild clipboard({"/usr/bin/xclip", "-quiet", "-loops", "1", "-selection", "clipboard"}, Environment(tmp, home),
                         dir.Path(), path, true);
        ASSERT_TRUE(Shell("xdotool key ctrl+l ctrl+a ctrl+v"));
        const int served = clipboard.Wait();
        ASSERT_TRUE(WIFEXITED(served)) << "the path was not pasted";
    }
    ASSERT_TRUE(Shell("xdotool key Return"));
    ASSERT_FALSE(WaitForWindow("^Vexilo - \\[cube\\.vxq\\]$").empty()) << "the volume did not open";

    const std::vector<std::string> files = CacheFiles(tmp);
    EXPECT_EQ(files.size(), 4u) << "three plane views and the swap file";
    for (const std::string& f : files)
        EXPECT_EQ(f.rfind("~vx" + std::to_string(vexilo.Pid()) + "-", 0), 0u) << f << " names its owner";

    ASSERT_EQ(kill(vexilo.Pid(), SIGTERM), 0);
    const int status = vexilo.Wait();
    const std::string how = WIFSIGNALED(status) ? "killed by signal " + std::to_string(WTERMSIG(status))
                                                : "status " + std::to_string(status);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << how;
    EXPECT_TRUE(CacheFiles(tmp).empty());
}
