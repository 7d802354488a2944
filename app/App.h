#pragma once
#include <functional>

#include <wx/app.h>

#include "app/AppDialogRunner.h"
#include "app/ExitSignals.h"
#include "platform/wx/WxKeyState.h"
#include "platform/wx/WxPrompter.h"

// The one application object; reached as wxGetApp().
class CVexiloApp : public wxApp {
public:
    CVexiloApp();

    // Start-up as wx calls it: the platform seams, InitInstance, then the
    // exit signals.
    bool OnInit() override;
    int OnExit() override;
    // What start-up needs before any window: the C numeric locale, image
    // handlers, resources, the wx prompter, dialog runner and key state.
    // False when resources fail.
    bool InitPlatform();
    // Removes the cache files of Vexilo processes that were killed, then
    // builds and shows the main frame; false ends the program.
    bool InitInstance();
    // SIGTERM, SIGINT and SIGHUP close the program as File > Exit does, so
    // that the volumes delete their cache files; a second one ends it at once.
    bool InstallExitSignals();

    // The idle hook: takes up an exit signal; with continuous redraw on,
    // invalidates the 3D view and asks for more idle time; otherwise wx's
    // own answer.
    bool ProcessIdle() override;

    // An exception escaping a handler is reported and the loop carries on.
    bool OnExceptionInMainLoop() override;
    void OnUnhandledException() override;

    void OnAppAbout(wxCommandEvent& event);

    bool m_bShowFps = false;
    bool m_bContinuousRedraw = false;

    // Stands for OLE initialisation, which has nothing to do here and always
    // succeeds; tests replace it to reach the failure path.
    std::function<bool()> m_initComponents = [] { return true; };

    CExitSignals m_exitSignals;

private:
    static void ReportCurrentException();
    void OnExitSignal();

    CWxPrompter m_prompter;
    CAppDialogRunner m_dialogRunner;
    CWxKeyState m_keyState;

    wxDECLARE_EVENT_TABLE();
};

wxDECLARE_APP(CVexiloApp);
