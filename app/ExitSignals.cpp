#include "app/ExitSignals.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/evtloopsrc.h>
#include <wx/modalhook.h>

namespace {
// The pipe's write end, for the handler; -1 while none is installed.
volatile std::sig_atomic_t g_writeEnd = -1;

extern "C" void OnSignal(int signal)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    // Non-blocking: with the pipe full, a signal is already waiting.
    if (g_writeEnd >= 0) {
        [[maybe_unused]] const ssize_t n = ::write(g_writeEnd, &byte, 1);
    }
    errno = saved;
}
} // namespace

class CExitSignals::CReader : public wxEventLoopSourceHandler {
public:
    explicit CReader(CExitSignals& owner) : m_owner(owner) {}
    void OnReadWaiting() override { m_owner.Drain(); }
    void OnWriteWaiting() override {}
    void OnExceptionWaiting() override {}

private:
    CExitSignals& m_owner;
};

// Counts the modal dialogs being shown (message boxes and file choosers
// included); a signal waits until there are none.
class CExitSignals::CModalCount : public wxModalDialogHook {
public:
    int m_nShown = 0;

protected:
    int Enter(wxDialog*) override
    {
        ++m_nShown;
        return wxID_NONE;
    }
    void Exit(wxDialog*) override
    {
        if (m_nShown > 0 && --m_nShown == 0 && wxTheApp)
            wxTheApp->WakeUpIdle();
    }
};

CExitSignals::CExitSignals() = default;

CExitSignals::~CExitSignals() { Uninstall(); }

bool CExitSignals::Install()
{
    if (Installed() || g_writeEnd >= 0)
        return false;
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_pipe[0] = m_pipe[1] = -1;
        return false;
    }
    m_reader = std::make_unique<CReader>(*this);
    m_source.reset(wxEventLoopBase::AddSourceForFD(m_pipe[0], m_reader.get(), wxEVENT_SOURCE_INPUT));
    if (!m_source) {
        Uninstall();
        return false;
    }
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    g_writeEnd = m_pipe[1];
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        if (::sigaction(kSignals[i], &sa, &m_previous[i]) != 0) {
            while (i-- > 0)
                ::sigaction(kSignals[i], &m_previous[i], nullptr);
            g_writeEnd = -1;
            Uninstall();
            return false;
        }
    }
    m_modal = std::make_unique<CModalCount>();
    m_modal->Register();
    return true;
}

int CExitSignals::Take()
{
    if (m_nPending == 0 || (m_modal && m_modal->m_nShown > 0))
        return 0;
    if (const wxEventLoopBase* loop = wxEventLoopBase::GetActive(); loop && loop->IsYielding())
        return 0;
    const int signal = m_nPending;
    m_nPending = 0;
    return signal;
}

void CExitSignals::RestoreHandlers()
{
    if (g_writeEnd >= 0 && g_writeEnd == m_pipe[1]) {
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            ::sigaction(kSignals[i], &m_previous[i], nullptr);
        g_writeEnd = -1;
    }
}

void CExitSignals::Uninstall()
{
    RestoreHandlers();
    m_modal.reset();
    m_source.reset();
    m_reader.reset();
    for (int& fd : m_pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    m_nPending = 0;
}

void CExitSignals::Drain()
{
    unsigned char bytes[16];
    for (ssize_t n; (n = ::read(m_pipe[0], bytes, sizeof bytes)) > 0;)
        m_nPending = bytes[n - 1];
    if (m_nPending != 0 && wxTheApp)
        wxTheApp->WakeUpIdle();
}
