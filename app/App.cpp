#include "app/App.h"

#include <clocale>
#include <exception>

#include <wx/image.h>

#include "app/MainFrame.h"
#include "app/Resources.h"
#include "app/Vexilo.h"
#include "app/dialogs/AboutDlg.h"
#include "data/DialogRunner.h"
#include "data/Volume.h"
#include "platform/Prompter.h"
#include "render/RendererDialogRunner.h"
#include "res/CommandIds.h"

wxIMPLEMENT_APP_NO_MAIN(CVexiloApp);

wxBEGIN_EVENT_TABLE(CVexiloApp, wxApp)
    EVT_MENU(ID_APP_ABOUT, CVexiloApp::OnAppAbout)
wxEND_EVENT_TABLE()

CVexiloApp::CVexiloApp() = default;

bool CVexiloApp::OnInit()
{
    if (!InitPlatform() || !InitInstance())
        return false;
    InstallExitSignals();
    return true;
}

int CVexiloApp::OnExit()
{
    m_exitSignals.Uninstall();
    return wxApp::OnExit();
}

bool CVexiloApp::InstallExitSignals() { return m_exitSignals.Install(); }

void CVexiloApp::OnExitSignal()
{
    m_exitSignals.RestoreHandlers();
    if (CMainFrame* frame = GetMainFrame()) {
        wxCommandEvent exit(wxEVT_MENU, ID_APP_EXIT);
        frame->ProcessWindowEvent(exit);
    } else {
        ExitMainLoop();
    }
}

bool CVexiloApp::InitPlatform()
{
    // GTK takes the locale from the environment; files and float fields are
    // read and written with a decimal point.
    std::setlocale(LC_NUMERIC, "C");
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxInitAllImageHandlers();
    SetAppDisplayName(kFrameTitle);
    SetPrompter(&m_prompter);
    SetDialogRunner(&m_dialogRunner);
    SetRendererDialogRunner(&m_dialogRunner);
    SetKeyState(&m_keyState);
    if (!LoadResources()) {
        VxMessageBox("Resource files not found in " + ResourceDir(), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

bool CVexiloApp::InitInstance()
{
    if (!m_initComponents()) {
        VxMessageBox(kOleInitFailed);
        return false;
    }
    // Nothing is ever stored under the vendor's name.
    SetVendorName("Halvenmoor");
    // Nothing else would ever remove the cache files of a Vexilo that was
    // killed.
    CVolume::RemoveOrphanedCacheFiles();

    auto* frame = new CMainFrame;
    if (!frame->Create()) {
        if (frame->GetHandle())
            frame->Destroy();
        else
            delete frame;
        return false;
    }
    SetTopWindow(frame);
    frame->Maximize();
    frame->Show();
    frame->Update();
    return true;
}

bool CVexiloApp::ProcessIdle()
{
    bool more = wxApp::ProcessIdle();
    // An exit signal is taken up here, between events, where closing the
    // frame is as safe as File > Exit; another pass deletes the frame.
    if (m_exitSignals.Take()) {
        OnExitSignal();
        more = true;
    }
    if (!m_bContinuousRedraw)
        return more;
    if (CVexilo* view = GetViewPane())
        view->Invalidate();
    return true;
}

void CVexiloApp::ReportCurrentException()
{
    try {
        throw;
    } catch (const std::exception& e) {
        VxMessageBox(e.what(), MB_OK | MB_ICONEXCLAMATION);
    } catch (...) {
        VxMessageBox("Unknown error", MB_OK | MB_ICONEXCLAMATION);
    }
}

bool CVexiloApp::OnExceptionInMainLoop()
{
    ReportCurrentException();
    return true;
}

void CVexiloApp::OnUnhandledException()
{
    ReportCurrentException();
}

void CVexiloApp::OnAppAbout(wxCommandEvent&)
{
    CAboutDlg dlg(GetMainFrame());
    dlg.ShowModal();
}
