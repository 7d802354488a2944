#include "app/MainFrame.h"

#include <array>
#include <string>

#include <wx/accel.h>
#include <wx/app.h>
#include <wx/aui/auibar.h>
#include <wx/display.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/utils.h>
#include <wx/xrc/xmlres.h>

#include "app/CommandHandlers.h"
#include "app/LightBox.h"
#include "app/Resources.h"
#include "app/Vexilo.h"
#include "app/dialogs/SliderDlg.h"
#include "data/DicomCodecs.h"
#include "data/DicomLog.h"
#include "res/CommandIds.h"

namespace {
// Status-bar panes after the message pane, in order.
constexpr std::array<int, 4> kIndicators = {ID_INDICATOR_FRAME, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
                                            ID_INDICATOR_SCRL};

const VxIdEntry* FindId(int id)
{
    for (const VxIdEntry& e : kVxIds)
        if (e.id == id)
            return &e;
    return nullptr;
}

// The status-bar prompt and the tooltip of a command.
std::string StatusPrompt(const VxIdEntry& e)
{
    std::string p = e.prompt;
    return p.substr(0, p.find('\n'));
}

std::string Tooltip(const VxIdEntry& e)
{
    std::string p = e.prompt;
    auto nl = p.find('\n');
    return nl == std::string::npos ? std::string() : p.substr(nl + 1);
}

void ApplyPrompts(wxMenu& menu)
{
    for (wxMenuItem* item : menu.GetMenuItems()) {
        if (item->IsSubMenu())
            ApplyPrompts(*item->GetSubMenu());
        else if (const VxIdEntry* e = FindId(item->GetId()))
            item->SetHelp(StatusPrompt(*e));
    }
}

bool IsWithin(const wxWindow* w, const wxWindow* ancestor)
{
    for (; w; w = w->GetParent())
        if (w == ancestor)
            return true;
    return false;
}
} // namespace

wxBEGIN_EVENT_TABLE(CMainFrame, wxFrame)
    EVT_SET_FOCUS(CMainFrame::OnSetFocus)
    EVT_ACTIVATE(CMainFrame::OnActivate)
    EVT_CHILD_FOCUS(CMainFrame::OnChildFocus)
    EVT_IDLE(CMainFrame::OnIdle)
    EVT_MENU(ID_APP_EXIT, CMainFrame::OnExit)
    EVT_MENU(ID_NEXT_PANE, CMainFrame::OnNextPane)
    EVT_MENU(ID_PREV_PANE, CMainFrame::OnNextPane)
    EVT_MENU(ID_VIEW_TOOLBAR, CMainFrame::OnViewToolBar)
    EVT_UPDATE_UI(ID_VIEW_TOOLBAR, CMainFrame::OnUpdateViewToolBar)
    EVT_MENU(ID_VIEW_STATUS_BAR, CMainFrame::OnViewStatusBar)
    EVT_UPDATE_UI(ID_VIEW_STATUS_BAR, CMainFrame::OnUpdateViewStatusBar)
    EVT_UPDATE_UI(ID_INDICATOR_CAPS, CMainFrame::OnUpdateKeyIndicator)
    EVT_UPDATE_UI(ID_INDICATOR_NUM, CMainFrame::OnUpdateKeyIndicator)
    EVT_UPDATE_UI(ID_INDICATOR_SCRL, CMainFrame::OnUpdateKeyIndicator)
wxEND_EVENT_TABLE()

CMainFrame::CMainFrame()
{
    RegisterDicomCodecs();
    RouteDicomLog();
}

CMainFrame::~CMainFrame()
{
    UnregisterDicomCodecs();
    m_mgr.UnInit();
}

bool CMainFrame::Create()
{
    // Without a window manager Maximize() does nothing, so start at the size
    // of the work area anyway.
    wxRect area = wxDisplay(0u).GetClientArea();
    if (!wxFrame::Create(nullptr, wxID_ANY, kFrameTitle, area.GetPosition(), area.GetSize()))
        return false;
    wxBitmap icon = LoadResourceBitmap("Vexilo.xpm");
    if (icon.IsOk()) {
        wxIcon i;
        i.CopyFromBitmap(icon);
        SetIcon(i);
    }
    wxMenuBar* menuBar = wxXmlResource::Get()->LoadMenuBar("IDR_MAINFRAME");
    if (!menuBar)
        return false;
    for (size_t i = 0; i < menuBar->GetMenuCount(); ++i)
        ApplyPrompts(*menuBar->GetMenu(i));
    SetMenuBar(menuBar);

    std::vector<wxAcceleratorEntry> keys;
    for (const VxAccelerator& a : kAccelerators)
        keys.emplace_back(a.flags, a.key, a.id);
    SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(keys.size()), keys.data()));

    m_mgr.SetManagedWindow(this);
    if (!OnCreateClient() || !CreateToolBar128() || !CreateStatusBar128() || !CreateSliderBar())
        return false;
    m_mgr.Update();
    return true;
}

bool CMainFrame::OnCreateClient()
{
    m_wndSplitter = new wxSplitterWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                         wxSP_LIVE_UPDATE | wxSP_3DSASH | wxNO_BORDER);
    m_wndSplitter->SetMinimumPaneSize(0);
    // Light box, then view, in the order of their panes. The settings object
    // is made on first use, so neither relies on the other being built first.
    auto* lightBox = new CLightBox(m_wndSplitter);
    auto* view = new CVexilo(m_wndSplitter);
    if (!view->m_bCreated)
        return false;
    m_wndSplitter->SplitVertically(lightBox, view, CLightBox::kIdealWidth);
    m_mgr.AddPane(m_wndSplitter, wxAuiPaneInfo().Name("client").CenterPane().PaneBorder(false));
    m_pActivePane = view;
    m_bSplitterCreated = true;
    return true;
}

bool CMainFrame::CreateToolBar128()
{
    wxBitmap strip = LoadResourceBitmap("Toolbar.xpm");
    if (!strip.IsOk())
        return false;
    m_wndToolBar = new wxAuiToolBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                    wxAUI_TB_DEFAULT_STYLE | wxAUI_TB_GRIPPER);
    m_wndToolBar->SetToolBitmapSize(wxSize(kToolbarImageWidth, kToolbarImageHeight));
    int image = 0;
    for (int id : kToolbarButtons) {
        if (id == wxID_SEPARATOR) {
            m_wndToolBar->AddSeparator();
            continue;
        }
        const VxIdEntry* e = FindId(id);
        wxMenuItem* item = GetMenuBar()->FindItem(id);
        if (!e || !item)
            return false;
        wxRect r(image++ * kToolbarImageWidth, 0, kToolbarImageWidth, kToolbarImageHeight);
        if (r.GetRight() >= strip.GetWidth())
            return false;
        // What the view checks in the menu it checks on the button too.
        m_wndToolBar->AddTool(id, wxString(), strip.GetSubBitmap(r), wxString(Tooltip(*e)),
                              item->IsCheckable() ? wxITEM_CHECK : wxITEM_NORMAL);
        m_wndToolBar->SetToolLongHelp(id, StatusPrompt(*e));
    }
    m_wndToolBar->Realize();
    m_wndToolBar->Bind(wxEVT_MOTION, &CMainFrame::OnToolBarMotion, this);
    m_wndToolBar->Bind(wxEVT_LEAVE_WINDOW, &CMainFrame::OnToolBarLeave, this);
    m_mgr.AddPane(m_wndToolBar, wxAuiPaneInfo().Name("toolbar").ToolbarPane().Top().Gripper());
    return true;
}

bool CMainFrame::CreateStatusBar128()
{
    wxStatusBar* bar = CreateStatusBar(1 + static_cast<int>(kIndicators.size()));
    if (!bar)
        return false;
    std::array<int, 1 + kIndicators.size()> widths{};
    widths[0] = -1;
    for (size_t i = 0; i < kIndicators.size(); ++i) {
        wxString text = FindId(kIndicators[i])->prompt;
        // Each pane is as wide as its text, as the indicator strings size them.
        widths[i + 1] = bar->GetTextExtent(text).GetWidth() + 2 * bar->GetBorderX() + 8;
        bar->SetStatusText(text, static_cast<int>(i + 1));
    }
    bar->SetStatusWidths(static_cast<int>(widths.size()), widths.data());
    std::array<int, 1 + kIndicators.size()> styles;
    styles.fill(wxSB_SUNKEN);
    styles[0] = wxSB_NORMAL;
    bar->SetStatusStyles(static_cast<int>(styles.size()), styles.data());
    return true;
}

bool CMainFrame::CreateSliderBar()
{
    m_wndSliderBar = new CSliderDlg;
    if (!m_wndSliderBar->Create(this)) {
        delete m_wndSliderBar;
        m_wndSliderBar = nullptr;
        return false;
    }
    wxSize size = m_wndSliderBar->GetSize();
    m_mgr.AddPane(m_wndSliderBar, wxAuiPaneInfo()
                                      .Name("slider")
                                      .Bottom()
                                      .Layer(1)
                                      .CaptionVisible(false)
                                      .Gripper(false)
                                      .PaneBorder(false)
                                      .Floatable(false)
                                      .Movable(false)
                                      .Resizable(false)
                                      .DockFixed()
                                      .BestSize(size)
                                      .MinSize(wxSize(-1, size.GetHeight())));
    return true;
}

wxWindow* CMainFrame::GetPane(int row, int col) const
{
    if (!m_bSplitterCreated || row != 0)
        return nullptr;
    if (col == 0)
        return m_wndSplitter->GetWindow1();
    if (col == 1)
        return m_wndSplitter->GetWindow2();
    return nullptr;
}

CLightBox* CMainFrame::GetLightBox() const { return dynamic_cast<CLightBox*>(GetPane(0, 0)); }
CVexilo* CMainFrame::GetView() const { return dynamic_cast<CVexilo*>(GetPane(0, 1)); }

wxWindow* CMainFrame::GetActivePane() const
{
    return m_bSplitterCreated ? m_pActivePane : nullptr;
}

void CMainFrame::SetActivePane(wxWindow* pane)
{
    if (!pane || (pane != GetPane(0, 0) && pane != GetPane(0, 1)))
        return;
    m_pActivePane = pane;
    pane->SetFocus();
}

bool CMainFrame::HasCommandHandler(int id) const
{
    if (CVexilo* view = GetView(); view && ::HasCommandHandler(*view->GetEventHandler(), id))
        return true;
    return ::HasCommandHandler(*GetEventHandler(), id) || (wxTheApp && ::HasCommandHandler(*wxTheApp, id));
}

bool CMainFrame::TryBefore(wxEvent& event)
{
    const wxEventType type = event.GetEventType();
    if (type == wxEVT_MENU || type == wxEVT_UPDATE_UI) {
        CVexilo* view = GetView();
        // What starts in the view has been there already.
        auto* origin = dynamic_cast<wxWindow*>(event.GetEventObject());
        if (view && !IsWithin(origin, view) && view->GetEventHandler()->ProcessEventLocally(event))
            return true;
    }
    return wxFrame::TryBefore(event);
}

bool CMainFrame::TryAfter(wxEvent& event)
{
    if (wxFrame::TryAfter(event))
        return true;
    // Nobody answered an update request: a command of the program is enabled
    // exactly when someone handles it.
    if (event.GetEventType() == wxEVT_UPDATE_UI) {
        const VxIdEntry* e = FindId(event.GetId());
        if (e && e->kind != VxIdKind::bar) {
            static_cast<wxUpdateUIEvent&>(event).Enable(HasCommandHandler(event.GetId()));
            return true;
        }
    }
    return false;
}

void CMainFrame::UpdateStatusIndicators()
{
    wxStatusBar* bar = GetStatusBar();
    if (!bar || !bar->IsShown())
        return;
    for (size_t i = 0; i < kIndicators.size(); ++i) {
        wxUpdateUIEvent ev(kIndicators[i]);
        ev.SetEventObject(bar);
        const bool handled = ProcessWindowEvent(ev);
        int field = static_cast<int>(i + 1);
        // A handler that sets no text leaves the pane as it was.
        wxString text = ev.GetSetText() ? ev.GetText()
                        : handled       ? bar->GetStatusText(field)
                                        : wxString(FindId(kIndicators[i])->prompt);
        // A disabled pane shows nothing.
        if (ev.GetSetEnabled() && !ev.GetEnabled())
            text.clear();
        if (bar->GetStatusText(field) != text)
            bar->SetStatusText(text, field);
    }
}

void CMainFrame::OnSetFocus(wxFocusEvent& event)
{
    if (CVexilo* view = GetView())
        view->SetFocus();
    else
        event.Skip();
}

void CMainFrame::OnActivate(wxActivateEvent& event)
{
    wxWindow* focus = FindFocus();
    if (event.GetActive() && m_pActivePane && !IsWithin(focus, m_wndSplitter))
        m_pActivePane->SetFocus();
    event.Skip();
}

void CMainFrame::OnChildFocus(wxChildFocusEvent& event)
{
    wxWindow* focus = FindFocus();
    for (int col = 0; col < 2; ++col)
        if (wxWindow* pane = GetPane(0, col); pane && IsWithin(focus, pane))
            m_pActivePane = pane;
    event.Skip();
}

void CMainFrame::OnIdle(wxIdleEvent& event)
{
    UpdateStatusIndicators();
    event.Skip();
}

void CMainFrame::OnExit(wxCommandEvent&) { Close(); }

void CMainFrame::OnNextPane(wxCommandEvent&)
{
    // With one row of two panes, next and previous both reach the other one.
    if (!m_bSplitterCreated)
        return;
    SetActivePane(GetActivePane() == GetPane(0, 1) ? GetPane(0, 0) : GetPane(0, 1));
}

void CMainFrame::OnViewToolBar(wxCommandEvent&)
{
    wxAuiPaneInfo& pane = m_mgr.GetPane(m_wndToolBar);
    pane.Show(!pane.IsShown());
    m_mgr.Update();
}

void CMainFrame::OnUpdateViewToolBar(wxUpdateUIEvent& event)
{
    event.Check(m_wndToolBar && m_mgr.GetPane(m_wndToolBar).IsShown());
}

void CMainFrame::OnViewStatusBar(wxCommandEvent&)
{
    if (wxStatusBar* bar = GetStatusBar()) {
        bar->Show(!bar->IsShown());
        SendSizeEvent();
    }
}

void CMainFrame::OnUpdateViewStatusBar(wxUpdateUIEvent& event)
{
    event.Check(GetStatusBar() && GetStatusBar()->IsShown());
}

void CMainFrame::OnUpdateKeyIndicator(wxUpdateUIEvent& event)
{
    wxKeyCode key = event.GetId() == ID_INDICATOR_CAPS ? WXK_CAPITAL
                    : event.GetId() == ID_INDICATOR_NUM ? WXK_NUMLOCK
                                                        : WXK_SCROLL;
    event.Enable(wxGetKeyState(key));
}

void CMainFrame::OnToolBarMotion(wxMouseEvent& event)
{
    // The fly-by prompt: the hovered button's status text in the message pane.
    wxAuiToolBarItem* tool = m_wndToolBar->FindToolByPosition(event.GetX(), event.GetY());
    int id = tool && tool->GetKind() != wxITEM_SEPARATOR ? tool->GetId() : wxID_NONE;
    if (id != m_nToolBarHelpId) {
        m_nToolBarHelpId = id;
        DoGiveHelp(id == wxID_NONE ? wxString() : tool->GetLongHelp(), id != wxID_NONE);
    }
    event.Skip();
}

void CMainFrame::OnToolBarLeave(wxMouseEvent& event)
{
    if (m_nToolBarHelpId != wxID_NONE) {
        m_nToolBarHelpId = wxID_NONE;
        DoGiveHelp(wxString(), false);
    }
    event.Skip();
}

CMainFrame* GetMainFrame()
{
    return wxTheApp ? dynamic_cast<CMainFrame*>(wxTheApp->GetTopWindow()) : nullptr;
}

CVexilo* GetViewPane()
{
    CMainFrame* frame = GetMainFrame();
    return frame ? frame->GetView() : nullptr;
}

CLightBox* GetLightBoxPane()
{
    CMainFrame* frame = GetMainFrame();
    return frame ? frame->GetLightBox() : nullptr;
}
