#include "app/Vexilo.h"

#include <algorithm>

#include <wx/dcclient.h>
#include <wx/utils.h>

#include "app/App.h"
#include "app/LightBox.h"
#include "app/MainFrame.h"
#include "app/dialogs/MessageDlg.h"
#include "app/dialogs/StatusDlg.h"
#include "app/dialogs/StereoDlg.h"
#include "data/AppSettings.h"
#include "data/MessageLog.h"
#include "data/Volume.h"
#include "platform/wx/NativeWindow.h"
#include "render/RendererFactory.h"
#include "res/CommandIds.h"

namespace {
// Frames counted towards the next frame-rate readout; one view, one count.
int s_nFpsFrames = 0;
} // namespace

wxBEGIN_EVENT_TABLE(CVexilo, wxGLCanvas)
    // Life, painting, sizing and timers (this file).
    EVT_PAINT(CVexilo::OnPaint)
    EVT_ERASE_BACKGROUND(CVexilo::OnEraseBackground)
    EVT_SIZE(CVexilo::OnSize)
    EVT_UPDATE_UI(ID_INDICATOR_FRAME, CVexilo::OnUpdateFrameIndicator)
    EVT_MENU(ID_VIEW_RESET, CVexilo::OnResetViewCommand)
    // Mouse, spin timer and thumb-wheels (VexiloInput.cpp).
    EVT_TIMER(wxID_ANY, CVexilo::OnTimer)
    EVT_LEFT_DOWN(CVexilo::OnLButtonDown)
    EVT_LEFT_UP(CVexilo::OnLButtonUp)
    EVT_MOTION(CVexilo::OnMouseMove)
    EVT_RIGHT_DOWN(CVexilo::OnRButtonDown)
    EVT_RIGHT_UP(CVexilo::OnRButtonUp)
    EVT_MOUSE_CAPTURE_LOST(CVexilo::OnCaptureLost)
    EVT_THUMBWHEEL(kWmUser + 1, CVexilo::OnWheelX)
    EVT_THUMBWHEEL(kWmUser + 2, CVexilo::OnWheelY)
    EVT_THUMBWHEEL(kWmUser + 3, CVexilo::OnWheelZ)
    EVT_THUMBWHEEL(kWmUser + 4, CVexilo::OnWheelZoom)
    // Files (VexiloFileCommands.cpp).
    EVT_MENU(ID_FILE_OPEN, CVexilo::OnFileOpen)
    EVT_MENU(ID_FILE_IMPORT, CVexilo::OnImportRgb)
    EVT_MENU(ID_FILE_SAVE_AS, CVexilo::OnFileSaveAs)
    EVT_MENU(ID_FILE_EXPORT_RAW, CVexilo::OnExportRaw)
    EVT_MENU(ID_FILE_EXPORT_SMF, CVexilo::OnExportSmf)
    EVT_MENU(ID_FILE_EXPORT_OFF, CVexilo::OnExportOff)
    EVT_UPDATE_UI(ID_FILE_SAVE_AS, CVexilo::OnUpdateModelLoaded)
    EVT_UPDATE_UI(ID_FILE_EXPORT_RAW, CVexilo::OnUpdateExportRaw)
    EVT_UPDATE_UI(ID_FILE_EXPORT_SMF, CVexilo::OnUpdateExportMesh)
    EVT_UPDATE_UI(ID_FILE_EXPORT_OFF, CVexilo::OnUpdateExportMesh)
    // Busy box, log window, information (VexiloWindows.cpp).
    EVT_MENU(ID_VIEW_MESSAGE_LOG, CVexilo::OnMessageLog)
    EVT_MENU(ID_EDIT_CLEAR_LOG, CVexilo::OnClearLog)
    EVT_MENU(ID_VIEW_INFORMATION, CVexilo::OnInformation)
    EVT_UPDATE_UI(ID_VIEW_MESSAGE_LOG, CVexilo::OnUpdateMessageLog)
    EVT_UPDATE_UI(ID_VIEW_INFORMATION, CVexilo::OnUpdateInformation)
    // Render modes, display and navigation (VexiloModeCommands.cpp).
    EVT_MENU(ID_MODE_NORMAL, CVexilo::OnNormalView)
    EVT_MENU(ID_MODE_MIP, CVexilo::OnMipView)
    EVT_MENU(ID_MODE_MPR, CVexilo::OnMprView)
    EVT_MENU(ID_MODE_CUTPLANES, CVexilo::OnCutPlanes)
    EVT_MENU(ID_MODE_FLYTHROUGH, CVexilo::OnFlyThrough)
    EVT_MENU(ID_VIEW_SOLID, CVexilo::OnSolidModel)
    EVT_MENU(ID_VIEW_WIREFRAME, CVexilo::OnWireframeModel)
    EVT_MENU(ID_COLOURS_BACKGROUND, CVexilo::OnBackgroundColour)
    EVT_MENU(ID_COLOURS_SOLID, CVexilo::OnSolidColour)
    EVT_MENU(ID_COLOURS_WIREFRAME, CVexilo::OnWireframeColour)
    EVT_MENU(ID_COLOURS_DEFAULTS, CVexilo::OnResetColours)
    EVT_MENU(ID_VIEW_SHOW_FPS, CVexilo::OnShowFps)
    EVT_MENU(ID_VIEW_STEREO, CVexilo::OnStereoWindow)
    EVT_MENU(ID_EDIT_TRANSFER_FUNCTION, CVexilo::OnTransferFunction)
    EVT_MENU(ID_EDIT_OPTIONS, CVexilo::OnOptions)
    EVT_UPDATE_UI(ID_MODE_NORMAL, CVexilo::OnUpdateNormalView)
    EVT_UPDATE_UI(ID_MODE_MIP, CVexilo::OnUpdateMipView)
    EVT_UPDATE_UI(ID_MODE_MPR, CVexilo::OnUpdateMprView)
    EVT_UPDATE_UI(ID_MODE_CUTPLANES, CVexilo::OnUpdateCutPlanes)
    EVT_UPDATE_UI(ID_MODE_FLYTHROUGH, CVexilo::OnUpdateFlyThrough)
    EVT_UPDATE_UI(ID_VIEW_SOLID, CVexilo::OnUpdateSolidModel)
    EVT_UPDATE_UI(ID_VIEW_WIREFRAME, CVexilo::OnUpdateWireframeModel)
    EVT_UPDATE_UI(ID_COLOURS_SOLID, CVexilo::OnUpdateMeshColour)
    EVT_UPDATE_UI(ID_COLOURS_WIREFRAME, CVexilo::OnUpdateMeshColour)
    EVT_UPDATE_UI(ID_COLOURS_DEFAULTS, CVexilo::OnUpdateModelLoaded)
    EVT_UPDATE_UI(ID_VIEW_SHOW_FPS, CVexilo::OnUpdateShowFps)
    EVT_UPDATE_UI(ID_VIEW_STEREO, CVexilo::OnUpdateStereoWindow)
    EVT_UPDATE_UI(ID_EDIT_TRANSFER_FUNCTION, CVexilo::OnUpdateTransferFunction)
    // Processing (VexiloProcessCommands.cpp).
    EVT_MENU(ID_EDIT_ISOSURFACE, CVexilo::OnGenerateSurface)
    EVT_MENU(ID_EDIT_DECIMATE, CVexilo::OnDecimate)
    EVT_MENU(ID_EDIT_SEGMENTATION, CVexilo::OnSegmentation)
    EVT_MENU(ID_EDIT_TRIM, CVexilo::OnTrimVolume)
    EVT_MENU(ID_EDIT_SUBVOLUME, CVexilo::OnTrimToCutPlanes)
    EVT_MENU(ID_FLIP_TOP_BOTTOM, CVexilo::OnFlipTopBottom)
    EVT_MENU(ID_FLIP_LEFT_RIGHT, CVexilo::OnFlipLeftRight)
    EVT_MENU(ID_FLIP_BACK_FRONT, CVexilo::OnFlipBackFront)
    EVT_MENU(ID_EDIT_DOWNSAMPLE, CVexilo::OnDownsample)
    EVT_MENU(ID_EDIT_SCALING, CVexilo::OnScaling)
    EVT_MENU(ID_VIEW_CLOCKWISE, CVexilo::OnClockwiseWinding)
    EVT_MENU(ID_PLAN_TRAJECTORY, CVexilo::OnPlanTrajectory)
    EVT_MENU(ID_SHOW_TRAJECTORY, CVexilo::OnShowTrajectory)
    EVT_UPDATE_UI(ID_EDIT_ISOSURFACE, CVexilo::OnUpdatePlanTrajectory)
    EVT_UPDATE_UI(ID_PLAN_TRAJECTORY, CVexilo::OnUpdatePlanTrajectory)
    EVT_UPDATE_UI(ID_EDIT_DECIMATE, CVexilo::OnUpdateDecimate)
    EVT_UPDATE_UI(ID_EDIT_SEGMENTATION, CVexilo::OnUpdateSegmentation)
    EVT_UPDATE_UI(ID_EDIT_TRIM, CVexilo::OnUpdateTrimVolume)
    EVT_UPDATE_UI(ID_EDIT_SUBVOLUME, CVexilo::OnUpdateTrimToCutPlanes)
    EVT_UPDATE_UI(ID_FLIP_TOP_BOTTOM, CVexilo::OnUpdateVolumeCommand)
    EVT_UPDATE_UI(ID_FLIP_LEFT_RIGHT, CVexilo::OnUpdateVolumeCommand)
    EVT_UPDATE_UI(ID_FLIP_BACK_FRONT, CVexilo::OnUpdateVolumeCommand)
    EVT_UPDATE_UI(ID_EDIT_SCALING, CVexilo::OnUpdateVolumeCommand)
    EVT_UPDATE_UI(ID_EDIT_DOWNSAMPLE, CVexilo::OnUpdateDownsample)
    EVT_UPDATE_UI(ID_VIEW_CLOCKWISE, CVexilo::OnUpdateClockwiseWinding)
    EVT_UPDATE_UI(ID_SHOW_TRAJECTORY, CVexilo::OnUpdateShowTrajectory)
wxEND_EVENT_TABLE()

// The window class of a view: redrawn whole on a resize, its children
// clipped (they have X windows of their own), the background never erased.
CVexilo::CVexilo(wxWindow* parent)
    : wxGLCanvas(parent, ChooseGlAttributes(kRendererPixelFormat), wxID_ANY, wxDefaultPosition,
                 wxSize(kIdealWidth, 100), wxFULL_REPAINT_ON_RESIZE),
      m_surface(*this), m_spinTimer(this, kSpinTimerId)
{
    m_pLog = CMessageLog::GetInstance(this);
    m_pSettings = CAppSettings::GetInstance();
    m_bCreated = OnCreate();
}

bool CVexilo::OnCreate()
{
    SetCursor(wxCursor(wxCURSOR_ARROW));
    // The renderer makes its context current on this window at once.
    if (!MakeNativeWindow(*this))
        return false;
    const struct {
        CThumbWheel* wheel;
        int id;
    } wheels[] = {{&m_wheelX, IDC_WHEEL_X}, {&m_wheelY, IDC_WHEEL_Y}, {&m_wheelZ, IDC_WHEEL_Z},
                  {&m_wheelZoom, IDC_WHEEL_ZOOM}};
    int kind = 1;
    for (const auto& w : wheels)
        if (!w.wheel->Create(wxString(), 0, wxRect(), this, w.id, kind++))
            return false;
    const wxSize size = ClientSize();
    m_pRenderer = CreateRenderer(nullptr, &m_surface, size.x, size.y);
    m_transform.Init(size.x, size.y);
    m_timer.Start();
    m_bShowFps = wxGetApp().m_bShowFps;
    return m_pRenderer != nullptr;
}

CVexilo::~CVexilo()
{
    // The light box went first with the splitter's other pane.
    m_pLightBox = nullptr;
    CloseMessageLog();
    CloseModel();
    // Nothing uses the settings or the log after the view.
    delete m_pSettings;
    m_pSettings = nullptr;
    delete m_pLog;
    m_pLog = nullptr;
}

wxSize CVexilo::ClientSize() const
{
    const wxSize s = GetClientSize();
    return wxSize(std::max(s.x, 1), std::max(s.y, 1));
}

bool CVexilo::MakeRendererCurrent()
{
    return m_pRenderer && GlMakeCurrent(&m_surface, m_pRenderer->m_hGLRC.get());
}

CMainFrame* CVexilo::Frame() const { return dynamic_cast<CMainFrame*>(wxGetTopLevelParent(const_cast<CVexilo*>(this))); }

CLightBox* CVexilo::LightBox()
{
    if (!m_pLightBox && !IsBeingDeleted())
        if (CMainFrame* frame = Frame())
            m_pLightBox = frame->GetLightBox();
    return m_pLightBox;
}

void CVexilo::GiveModelToLightBox(CModel* model)
{
    if (CLightBox* lightBox = LightBox())
        lightBox->SetModel(model);
}

void CVexilo::Log(const std::string& line)
{
    if (m_pLog)
        m_pLog->AddLine(line);
}

void CVexilo::RenderScene(wxDC* dc)
{
    if (m_pModel) {
        const wxPoint cursor = ScreenToClient(wxGetMousePosition());
        m_pModel->m_qOrientation = m_transform.Update(cursor.x, cursor.y);
    }
    if (!m_pRenderer) {
        ClearWithoutRenderer(dc);
        return;
    }
    if (m_bShowFps && ++s_nFpsFrames >= 10) {
        m_fFps = m_timer.GetRate(10);
        s_nFpsFrames = 0;
        m_wheelY.DrawLabel(300, 5, wxString::Format("%.2f FPS", m_fFps));
    }
    if (m_nRenderMode == kRenderFlyThrough && m_pFlyThrough && PollFlyThrough(m_timer.GetElapsed())) {
        if (CLightBox* lightBox = LightBox())
            lightBox->SetSlicesFromCamera();
        if (CStereoDlg* stereo = StereoWindow())
            stereo->UpdateFrustums();
    }
    m_pRenderer->BeginFrame(&m_surface, m_crBackground, nullptr);
    m_pRenderer->Render(&m_surface, true);
    if (m_pStereoDlg)
        m_pStereoDlg->Refresh(false);
    if (m_pStatusDlg) {
        CloseStatusBox();
        Invalidate();
    }
}

void CVexilo::ClearWithoutRenderer(wxDC* dc)
{
    // Nothing else draws on the canvas until a renderer is made (a loader's
    // dialog may be up meanwhile), and the window system keeps whatever
    // covered it last: a closed file chooser would stay in the view.
    const wxColour background(GetRValue(m_crBackground), GetGValue(m_crBackground), GetBValue(m_crBackground));
    auto clear = [&](wxDC& on) {
        on.SetBackground(wxBrush(background));
        on.Clear();
    };
    if (dc) {
        clear(*dc);
        return;
    }
    wxClientDC client(this);
    clear(client);
}

void CVexilo::RedrawNow() { RenderScene(nullptr); }

void CVexilo::Invalidate() { InvalidateWindowOnly(*this); }

void CVexilo::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    // While the busy box lets GTK draw, the view's state may be half made.
    if (m_bYielding) {
        m_bPaintDeferred = true;
        return;
    }
    RenderScene(&dc);
}

void CVexilo::OnEraseBackground(wxEraseEvent& event)
{
    if (!m_pRenderer)
        event.Skip();
}

void CVexilo::OnSize(wxSizeEvent& event)
{
    event.Skip();
    const wxSize s = GetClientSize();
    if (s.x <= 0 || s.y <= 0)
        return;
    for (CThumbWheel* wheel : {&m_wheelX, &m_wheelY, &m_wheelZ, &m_wheelZoom})
        wheel->Reposition(s.x, s.y);
    // The rotation stays; only the drag's scale follows the window.
    m_transform.m_nWidth = s.x;
    m_transform.m_nHeight = s.y;
    if (m_pRenderer) {
        MakeRendererCurrent();
        m_pRenderer->Resize(s.x, s.y);
    }
}

void CVexilo::OnUpdateFrameIndicator(wxUpdateUIEvent& event)
{
    if (m_nFrame == m_nFrameShown)
        return;
    event.SetText(wxString::Format("Frame %d of %d", m_nFrame, m_nFrames));
    m_nFrameShown = m_nFrame;
}

void CVexilo::SetCurrentFrame(int n)
{
    if (n <= 0 || !m_pModels || n > int(m_pModels->size()))
        return;
    m_nFrame = n;
    m_pModel = (*m_pModels)[n - 1].get();
    if (m_pRenderer) {
        MakeRendererCurrent();
        m_pRenderer->AttachModel(m_pModel);
    }
    OnResetView();
    GiveModelToLightBox(m_pModel);
}

void CVexilo::ApplyOptions()
{
    if (m_pModel)
        m_pModel->OnOptionsChanged();
    if (m_pRenderer) {
        MakeRendererCurrent();
        m_pRenderer->OnOptionsChanged();
    }
    GiveModelToLightBox(m_pModel);
    RedrawNow();
}

void CVexilo::SetCameraFromLightBox()
{
    if (m_nRenderMode == kRenderFlyThrough && m_pFlyThrough) {
        MoveCameraToCurrentPoint();
        RedrawNow();
        return;
    }
    const bool trajectory = m_pModel && m_pModel->IsVolume() && static_cast<CVolume*>(m_pModel)->m_bShowTrajectory;
    if (m_nRenderMode == kRenderMpr || trajectory)
        RedrawNow();
}

void CVexilo::ResetTransform()
{
    m_spinTimer.Stop();
    m_nSpinTimer = 0;
    const wxSize s = ClientSize();
    m_transform.Init(s.x, s.y);
    Invalidate();
}

void CVexilo::OnResetView()
{
    ResetTransform();
    m_nLastWheel.fill(0);
    for (CThumbWheel* wheel : {&m_wheelX, &m_wheelY, &m_wheelZ, &m_wheelZoom})
        wheel->m_nAngle = 0;
    m_timer.Start();
    if (m_pRenderer) {
        MakeRendererCurrent();
        m_pRenderer->ResetCamera();
    }
    // The reset camera looks from outside the volume with its near plane
    // there: a flight goes on through its own.
    ReapplyFlyThroughCamera();
    if (CStereoDlg* stereo = StereoWindow())
        stereo->UpdateFrustums();
    Invalidate();
}

void CVexilo::OnResetViewCommand(wxCommandEvent&) { OnResetView(); }

void CVexilo::ExitRenderMode()
{
    if (!m_pRenderer)
        return;
    if (m_nRenderMode == kRenderFlyThrough) {
        for (CThumbWheel* wheel : {&m_wheelX, &m_wheelY, &m_wheelZ}) {
            wheel->m_bEnabled = true;
            wheel->Refresh();
        }
        DeleteFlyThroughCamera();
        // Back to what the frame-rate readout needs, which is off unless it
        // was turned on during the flight.
        wxGetApp().m_bContinuousRedraw = m_bShowFps;
        if (CLightBox* lightBox = LightBox())
            lightBox->Invalidate();
        MakeRendererCurrent();
        m_pRenderer->ResetCamera();
        if (CStereoDlg* stereo = StereoWindow())
            stereo->UpdateFrustums();
    }
    DestroyWindow(m_pCutPlaneDlg);
}

void CVexilo::CloseModel()
{
    m_nPickedPlane = -1;
    m_bLeftButton = m_bRightButton = false;
    m_bShowTrajectory = false;
    SetRenderMode(kRenderNormal);
    wxGetApp().m_bContinuousRedraw = m_bShowFps;
    DestroyWindow(m_pXfrDlg);
    DeleteFlyThroughCamera();
    m_pRenderer.reset();
    DestroyWindow(m_pCutPlaneDlg);
    CloseStatusBox();
    CloseStereoDialogs();
    m_pModel = nullptr;
    if (m_pModels) {
        for (std::unique_ptr<CModel>& model : *m_pModels)
            model.reset();
        m_pModels.reset();
    }
    m_nFrames = 0;
    m_nFrame = 0;
    m_nFrameShown = -1;
    if (!IsBeingDeleted()) {
        SetFrameTitle(std::string());
        GiveModelToLightBox(nullptr);
    }
}
