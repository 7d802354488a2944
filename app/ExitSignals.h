#pragma once
#include <csignal>
#include <iterator>
#include <memory>

class wxEventLoopSource;

// SIGTERM, SIGINT and SIGHUP, turned into a request that the program takes
// up when it can act on it. The signal handler only writes the signal's
// number into a pipe, which is all a handler may safely do; the event loop
// wakes on the pipe, notes the signal and asks for an idle pass, where the
// application takes it (Take).
class CExitSignals {
public:
    static constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

    CExitSignals();
    CExitSignals(const CExitSignals&) = delete;
    CExitSignals& operator=(const CExitSignals&) = delete;
    ~CExitSignals(); // Uninstall

    // Installs the handlers (one set per process). False, with nothing
    // installed, when the pipe or a handler cannot be set up.
    bool Install();
    // The signal that arrived, or 0; it is cleared once taken. While a modal
    // dialog is shown or a busy box yields, the signal waits: closing the
    // main window then would delete what the dialog's caller still uses.
    int Take();
    // A signal that arrived and waits to be taken, or 0.
    int Pending() const { return m_nPending; }
    // Puts back the handlers found at Install, so that a further signal does
    // what it did before (ends the program at once).
    void RestoreHandlers();
    // RestoreHandlers, then closes the pipe.
    void Uninstall();
    bool Installed() const { return m_source != nullptr; }

private:
    class CReader;
    class CModalCount;

    void Drain();

    int m_nPending = 0;
    int m_pipe[2] = {-1, -1};
    std::unique_ptr<CReader> m_reader;
    std::unique_ptr<wxEventLoopSource> m_source;
    std::unique_ptr<CModalCount> m_modal;
    struct sigaction m_previous[std::size(kSignals)] = {};
};
