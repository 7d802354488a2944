#pragma once
#include <wx/aui/aui.h>
#include <wx/frame.h>
#include <wx/splitter.h>

class CLightBox;
class CVexilo;
class CSliderDlg;
class wxAuiToolBar;

// The main window: toolbar, status bar, frame-slider bar and the splitter
// with the light box (pane 0,0) and the 3D view (pane 0,1). Commands and
// their update requests are offered to the view before the frame.
class CMainFrame : public wxFrame {
public:
    // Registers the DICOM decoders for the life of the frame.
    CMainFrame();
    ~CMainFrame() override;

    // Builds the window with its client, bars and menu; false on failure.
    bool Create();

    // A pane of the splitter, or null until the splitter is complete.
    wxWindow* GetPane(int row, int col) const;
    CLightBox* GetLightBox() const;
    CVexilo* GetView() const;

    // The pane that F6 and Shift+F6 move from; the view unless the light box
    // was activated last.
    wxWindow* GetActivePane() const;
    void SetActivePane(wxWindow* pane);

    wxSplitterWindow* GetSplitter() const { return m_wndSplitter; }
    wxAuiToolBar* GetToolBarWindow() const { return m_wndToolBar; }
    CSliderDlg* GetSliderBar() const { return m_wndSliderBar; }

    // Refreshes the status-bar indicators through the same routing as menu
    // items: pane 134 is filled by the view's update handler for it.
    void UpdateStatusIndicators();

    bool m_bSplitterCreated = false;

protected:
    bool TryBefore(wxEvent& event) override;
    bool TryAfter(wxEvent& event) override;

private:
    bool OnCreateClient();
    bool CreateToolBar128();
    bool CreateStatusBar128();
    bool CreateSliderBar();
    bool HasCommandHandler(int id) const;

    void OnSetFocus(wxFocusEvent& event);
    void OnActivate(wxActivateEvent& event);
    void OnChildFocus(wxChildFocusEvent& event);
    void OnIdle(wxIdleEvent& event);
    void OnExit(wxCommandEvent& event);
    void OnNextPane(wxCommandEvent& event);
    void OnViewToolBar(wxCommandEvent& event);
    void OnUpdateViewToolBar(wxUpdateUIEvent& event);
    void OnViewStatusBar(wxCommandEvent& event);
    void OnUpdateViewStatusBar(wxUpdateUIEvent& event);
    void OnUpdateKeyIndicator(wxUpdateUIEvent& event);
    void OnToolBarMotion(wxMouseEvent& event);
    void OnToolBarLeave(wxMouseEvent& event);

    wxSplitterWindow* m_wndSplitter = nullptr;
    wxAuiToolBar* m_wndToolBar = nullptr;
    CSliderDlg* m_wndSliderBar = nullptr;
    wxAuiManager m_mgr;
    wxWindow* m_pActivePane = nullptr;
    int m_nToolBarHelpId = wxID_NONE;

    wxDECLARE_EVENT_TABLE();
};

// The main frame of the running program and its panes; null when absent.
CMainFrame* GetMainFrame();
CVexilo* GetViewPane();
CLightBox* GetLightBoxPane();
