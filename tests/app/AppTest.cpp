#include <csignal>
#include <filesystem>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include <wx/modalhook.h>
#include <wx/weakref.h>

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
    char machine[256] = {};
    ASSERT_EQ(gethostname(machine, sizeof machine - 1), 0);
    const std::string host = "-" + std::string(machine) + "-";
    const std::string dead = std::to_string(child), live = std::to_string(getpid());
    const std::string gone[] = {"~vx" + dead + host + "x1Y2z3", "~vx" + dead + host + "A4b5C6"};
    const std::string kept[] = {"~vx" + live + host + "x1Y2z3", "~vx" + dead + "-x1Y2z3", "~vxx1Y2z3",
                                "~dcm" + dead + host + "x1Y2z3", "notes.txt"};
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

namespace {
// Idle passes take a signal up; true when they closed and deleted the frame.
// The fixture's frame is gone either way, so that its tear-down finds none.
bool WaitForTheFrameToGo(const wxWeakRef<CMainFrame>& alive, CMainFrame*& frame, CVexilo*& view)
{
    const bool gone = WaitUntil([&] {
        wxGetApp().ProcessIdle();
        return !alive;
    });
    if (alive)
        alive->Destroy();
    frame = nullptr;
    view = nullptr;
    wxGetApp().ProcessIdle();
    return gone;
}
} // namespace

// SIGTERM, SIGINT and SIGHUP close the program as File > Exit does: the
// frame closes, the volume goes and its cache files with it. The handlers
// found before are put back by then, so a second signal does what it did
// before the program set its own (here: nothing; for a program started
// plainly: end it at once).
TEST_F(ViewTest, ExitSignalsCloseTheProgramAsExitDoes)
{
    for (int signal : CExitSignals::kSignals) {
        SCOPED_TRACE(strsignal(signal));
        if (!frame) {
            ASSERT_TRUE(wxGetApp().InitInstance());
            frame = GetMainFrame();
            view = frame->GetView();
            ASSERT_TRUE(WaitUntil([&] { return frame->IsShownOnScreen(); }));
        }
        TempDir dir;
        Open(view_files::Volume(dir, "v.vxq", 8));
        ASSERT_EQ(dir.FilesStartingWith("~vx").size(), 4u);

        struct sigaction ignore {}, before {}, after {};
        ignore.sa_handler = SIG_IGN;
        sigaction(signal, &ignore, &before);
        ASSERT_TRUE(wxGetApp().InstallExitSignals());
        int exits = 0;
        frame->Bind(wxEVT_MENU, [&](wxCommandEvent& e) {
            ++exits;
            e.Skip();
        }, ID_APP_EXIT);
        const wxWeakRef<CMainFrame> alive(frame);
        raise(signal);
        // The frame closes, and is deleted with its view and the volume.
        const bool gone = WaitForTheFrameToGo(alive, frame, view);
        sigaction(signal, nullptr, &after);
        wxGetApp().m_exitSignals.Uninstall();
        sigaction(signal, &before, nullptr);
        ASSERT_TRUE(gone);
        EXPECT_EQ(exits, 1);
        EXPECT_EQ(after.sa_handler, SIG_IGN);
        EXPECT_TRUE(dir.FilesStartingWith("~vx").empty());
    }
}

// A signal that comes while a modal dialog is shown (here one that is
// entered as wx enters it) waits for the dialog to close: the frame's
// deletion would take the dialog and its caller's objects with it.
TEST_F(ViewTest, ExitSignalWaitsForTheModalDialog)
{
    ASSERT_TRUE(wxGetApp().InstallExitSignals());
    wxDialog dialog(nullptr, wxID_ANY, "Modal");
    ASSERT_EQ(wxModalDialogHook::CallEnter(&dialog), wxID_NONE);
    raise(SIGTERM);
    EXPECT_TRUE(WaitUntil([&] { return wxGetApp().m_exitSignals.Pending() == SIGTERM; }));
    for (int i = 0; i < 3; ++i)
        wxGetApp().ProcessIdle();
    EXPECT_FALSE(frame->IsBeingDeleted());
    const wxWeakRef<CMainFrame> alive(frame);
    wxModalDialogHook::CallExit(&dialog);
    EXPECT_TRUE(WaitForTheFrameToGo(alive, frame, view));
    wxGetApp().m_exitSignals.Uninstall();
}
