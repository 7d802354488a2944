#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include <wx/glcanvas.h>
#include <wx/timer.h>

#include "app/ThumbWheel.h"
#include "app/logic/PerfTimer.h"
#include "data/Model.h"
#include "platform/LogOwner.h"
#include "platform/Types.h"
#include "platform/wx/WxGlSurface.h"
#include "render/FlyThrough.h"
#include "render/Renderer.h"
#include "render/ViewTransform.h"

class CAppSettings;
class CCutPlaneDialog;
struct CRgbDialogValues;
class CLightBox;
class CMainFrame;
class CMessageDlg;
class CMessageLog;
class CSliderDlg;
class CStatusDlg;
class CStereoDlg;
class CStereoToolsDlg;
struct ViewFacts;
class CVolume;
class wxDC;

// Pane (0,1) of the main frame: the 3D view. It is the GL canvas the
// renderer draws into, framed by four thumb-wheels; it owns the series of
// models, the current model, the one renderer, the trackball and every
// modeless window, and runs the program's commands. The message log reaches
// it as its owner.
//
// Its members are spread over files by concern: Vexilo.cpp (life, painting,
// frames), VexiloInput.cpp (mouse, timer, wheels), VexiloFileCommands.cpp
// (open, import, save, export), VexiloWindows.cpp (busy box, log window,
// information), VexiloFlyThrough.cpp (what the fly-through camera adds),
// VexiloModeCommands.cpp (render modes, colours, frame rate, options),
// VexiloStereo.cpp (the stereo windows and the cut-plane window),
// VexiloXfrCommand.cpp (the transfer-function editor),
// VexiloProcessCommands.cpp (surface, decimation, segmentation, trimming,
// flips, downsampling, scaling, winding, trajectory).
class CVexilo : public wxGLCanvas, public ILogOwner {
public:
    static constexpr int kIdealWidth = 800;
    // The spin timer's id; it runs at a 1 ms period.
    static constexpr int kSpinTimerId = 1;

    // The window with the renderers' pixel format, its wheels and the empty
    // renderer; m_bCreated tells whether that worked.
    explicit CVexilo(wxWindow* parent);
    ~CVexilo() override;

    // ILogOwner: the busy box and the log window refresh.
    void ShowStatus(const char* text, bool show) override;
    void UpdateLogWindow() override;

    // Draws one frame at once.
    void RedrawNow();
    // Asks for a frame without erasing; the wheels are not repainted.
    void Invalidate();
    // Makes frame n (1-based) of the series current; 0, no series or a
    // frame beyond it does nothing.
    void SetCurrentFrame(int n);
    void ApplyOptions();
    void SetCameraFromLightBox();
    void ResetTransform();
    // Reset view, also after every load: trackball, wheels, frame timer and
    // the renderer's camera.
    void OnResetView();
    // Leaves the current render mode; the caller sets the next one.
    void ExitRenderMode();
    // Drops the series, its renderer, the fly-through camera and every
    // modeless window but the log window; the title, the frame pane and the
    // light box then show that nothing is loaded, as at start-up. The
    // caller makes a new renderer.
    void CloseModel();

    // The stereo windows and the cut-plane window (VexiloStereo.cpp).
    // The stereo attributes changed: focal length and eye separation from
    // their bars, passed on to the stereo window.
    void UpdateStereo();
    // Closes the stereo window and its attributes window together.
    void CloseStereoDialogs();
    // The cut-plane window of mode 3, made with the renderer's rotation and
    // face mask; an open one is replaced.
    void OpenCutPlaneWindow();
    CStereoDlg* StereoWindow() const;
    CStereoToolsDlg* StereoTools() const;
    CCutPlaneDialog* CutPlaneWindow() const;
    // Show FPS: the frame-rate readout on or off.
    void ToggleShowFps();

    // The log window: opened when closed (returned either way), closed by
    // the command or its close box.
    CMessageDlg* ShowMessageLog();
    void CloseMessageLog();

    IGlSurface* Surface() { return &m_surface; }

    // The transfer-function editor (VexiloXfrCommand.cpp). Whatever replaces
    // the current volume or the renderer closes it first: it reads both.
    void CloseXfrDialog();
    // Processing (VexiloProcessCommands.cpp): what the commands do once
    // their dialogs have answered.
    // Replaces the volume by the surface mesh at `isoValue`, the only model.
    void GenerateSurface(int isoValue);
    // Decimates the current mesh in place to `target` polygons.
    void DecimateMesh(std::uint32_t target);
    // Segments the current 8-bit volume in place from its seed points; a
    // failed segmentation leaves it untouched.
    void SegmentCurrentVolume(bool invert, bool keepValues);
    // Shows the trajectory just planned, in render mode 0.
    void ShowPlannedTrajectory();
    // Puts `volume` in the current volume's place (current model and series
    // slot) and deletes the old one, after everything that points at the old
    // volume has let go of it: fly-through is left, the transfer-function
    // editor closes, the renderer (and its transfer function's histogram),
    // the stereo window and the light box take the new one. A null volume
    // (a crop or downsample that failed) changes nothing.
    void ReplaceCurrentVolume(std::unique_ptr<CVolume> volume);
    // After the current volume's voxel size changed: light box, renderer
    // geometry and a frame.
    void ApplyVoxelSize();

    // Modeless windows, owned; null while closed. The cut-plane, transfer-
    // function and stereo windows come with their commands.
    wxWindow* m_pCutPlaneDlg = nullptr;
    wxWindow* m_pXfrDlg = nullptr;
    CStatusDlg* m_pStatusDlg = nullptr;
    wxWindow* m_pStereoDlg = nullptr;
    wxWindow* m_pStereoToolsDlg = nullptr;
    CMessageDlg* m_pMessageDlg = nullptr;
    bool m_bStereo = false;
    float m_fFocalLength = 0.0f, m_fEyeSeparation = 0.0f;
    float m_fStereoFocal = 0.0f, m_fStereoSeparation = 0.0f;
    COLORREF m_crBackground = 0;
    CAppSettings* m_pSettings = nullptr;
    CMessageLog* m_pLog = nullptr;
    bool m_bLeftButton = false, m_bRightButton = false;
    bool m_bShowTrajectory = false;
    int m_nFrame = 0;
    int m_nFrameShown = -1;
    int m_nFrames = 0;
    std::unique_ptr<CModelSeries> m_pModels;
    CModel* m_pModel = nullptr;
    std::unique_ptr<CRenderer> m_pRenderer;
    CSliderDlg* m_pSliderBar = nullptr;
    CLightBox* m_pLightBox = nullptr;
    // Made by the fly-through command, so null outside render mode 4.
    std::unique_ptr<CFlyThrough> m_pFlyThrough;
    CViewTransform m_transform;
    wxPoint m_ptLast;
    unsigned m_nSpinTimer = 0;
    CPerfTimer m_timer;
    float m_fFps = 0.0f;
    bool m_bShowFps = false;
    int m_nPickedPlane = -1;
    // Mirrored into the renderer; SetRenderMode alone writes both.
    int m_nRenderMode = kRenderNormal;
    CThumbWheel m_wheelX, m_wheelY, m_wheelZ, m_wheelZoom;
    std::array<int, 4> m_nLastWheel{};

    // False when the window, a wheel or the empty renderer could not be made;
    // the frame's creation then fails.
    bool m_bCreated = false;

private:
    // The creation step: native window, wheels, empty renderer, timer.
    bool OnCreate();
    // One frame through the renderer, with the trackball, the frame-rate
    // readout and the fly-through step; `dc` is the paint's, null for a
    // frame drawn at once.
    void RenderScene(wxDC* dc);
    // The canvas in the background colour, on `dc` or on a client DC.
    void ClearWithoutRenderer(wxDC* dc);
    // The renderer's context made current on this window: the renderer
    // changes its GL state between frames too.
    bool MakeRendererCurrent();
    // The client size, never below 1 x 1.
    wxSize ClientSize() const;
    CMainFrame* Frame() const;
    CLightBox* LightBox();
    void GiveModelToLightBox(CModel* model);
    void Log(const std::string& line);
    void CloseStatusBox();
    template <class W> static void DestroyWindow(W*& window)
    {
        if (window) {
            window->Destroy();
            window = nullptr;
        }
    }

    // Load steps shared by Open and Import. The open series stays until a
    // new one has loaded.
    // Whether a loader's series has a model to show.
    static bool Usable(const CModelSeries* series);
    // Closes the open series and adopts `series` (usable) with its first
    // model as frame 1.
    void TakeSeries(std::unique_ptr<CModelSeries> series);
    // An open or import that gave nothing leaves the open model, its
    // renderer, title, slider and light box as they were; only a failure is
    // reported.
    void KeepOpenModel(bool cancelled);
    void SetFrameTitle(const std::string& name);
    void SetSliderRange();
    // The renderer for the model just taken; the message when none fits.
    void MakeRendererForModel(bool colour);
    std::unique_ptr<CRenderer> MakeColourRenderer(CModel* model);
    // The loaders' part of Open and Import, under the wait cursor; null when
    // nothing loaded (`cancelled` when the user ended the open in a
    // loader's dialog).
    std::unique_ptr<CModelSeries> ReadFile(const std::string& path, bool& cancelled);
    std::unique_ptr<CModelSeries> ReadFolder(const CRgbDialogValues& values);
    // An empty renderer when there is none, whatever went wrong before.
    void EnsureRenderer() noexcept;
    // Whatever the load gave: a renderer, the log lines, the view reset and
    // the light box given the model.
    void FinishLoad();

    // The fly-through camera's steps; nothing while there is no camera.
    bool PollFlyThrough(float seconds);
    void MoveCameraToCurrentPoint();
    // The camera's planes and look-at into the renderer again, after
    // something reset the renderer's own camera.
    void ReapplyFlyThroughCamera();
    // The camera for the renderer, this view and the current volume; false
    // when none was made.
    bool MakeFlyThroughCamera();
    void DeleteFlyThroughCamera();
    // Whether the camera found a joystick, and telling it to use it.
    bool FlyThroughHasJoystick() const;
    void UseFlyThroughJoystick();

    // Render modes, display and navigation (VexiloModeCommands.cpp).
    // Every change of the render mode goes through here: leaves the current
    // one, sets `mode` in the view and the renderer (when there is one) and
    // tells the renderer and the stereo window.
    void SetRenderMode(int mode);
    // What the update rules of these commands look at.
    ViewFacts Facts();
    void ChooseMeshColour(bool solid);
    void OnNormalView(wxCommandEvent& event);
    void OnMipView(wxCommandEvent& event);
    void OnMprView(wxCommandEvent& event);
    void OnCutPlanes(wxCommandEvent& event);
    void OnFlyThrough(wxCommandEvent& event);
    void OnSolidModel(wxCommandEvent& event);
    void OnWireframeModel(wxCommandEvent& event);
    void OnBackgroundColour(wxCommandEvent& event);
    void OnSolidColour(wxCommandEvent& event);
    void OnWireframeColour(wxCommandEvent& event);
    void OnResetColours(wxCommandEvent& event);
    void OnShowFps(wxCommandEvent& event);
    void OnStereoWindow(wxCommandEvent& event);
    void OnTransferFunction(wxCommandEvent& event);
    void OnOptions(wxCommandEvent& event);
    void OnUpdateNormalView(wxUpdateUIEvent& event);
    void OnUpdateMipView(wxUpdateUIEvent& event);
    void OnUpdateMprView(wxUpdateUIEvent& event);
    void OnUpdateCutPlanes(wxUpdateUIEvent& event);
    void OnUpdateFlyThrough(wxUpdateUIEvent& event);
    void OnUpdateSolidModel(wxUpdateUIEvent& event);
    void OnUpdateWireframeModel(wxUpdateUIEvent& event);
    void OnUpdateMeshColour(wxUpdateUIEvent& event);
    void OnUpdateShowFps(wxUpdateUIEvent& event);
    void OnUpdateStereoWindow(wxUpdateUIEvent& event);
    void OnUpdateTransferFunction(wxUpdateUIEvent& event);

    void OnPaint(wxPaintEvent& event);
    void OnEraseBackground(wxEraseEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnTimer(wxTimerEvent& event);
    void OnLButtonDown(wxMouseEvent& event);
    void OnLButtonUp(wxMouseEvent& event);
    void OnMouseMove(wxMouseEvent& event);
    void OnRButtonDown(wxMouseEvent& event);
    void OnRButtonUp(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnWheelX(CThumbWheelEvent& event);
    void OnWheelY(CThumbWheelEvent& event);
    void OnWheelZ(CThumbWheelEvent& event);
    void OnWheelZoom(CThumbWheelEvent& event);
    void OnRotateWheel(CThumbWheelEvent& event, int index);
    void OnUpdateFrameIndicator(wxUpdateUIEvent& event);
    void OnResetViewCommand(wxCommandEvent& event);

    void OnFileOpen(wxCommandEvent& event);
    void OnImportRgb(wxCommandEvent& event);
    void OnFileSaveAs(wxCommandEvent& event);
    void OnExportRaw(wxCommandEvent& event);
    void OnExportSmf(wxCommandEvent& event);
    void OnExportOff(wxCommandEvent& event);
    void OnUpdateModelLoaded(wxUpdateUIEvent& event);
    void OnUpdateExportRaw(wxUpdateUIEvent& event);
    void OnUpdateExportMesh(wxUpdateUIEvent& event);

    void OnMessageLog(wxCommandEvent& event);
    void OnClearLog(wxCommandEvent& event);
    void OnInformation(wxCommandEvent& event);
    void OnUpdateMessageLog(wxUpdateUIEvent& event);
    void OnUpdateInformation(wxUpdateUIEvent& event);

    // Processing commands (VexiloProcessCommands.cpp).
    void OnGenerateSurface(wxCommandEvent& event);
    void OnDecimate(wxCommandEvent& event);
    void OnSegmentation(wxCommandEvent& event);
    void OnTrimVolume(wxCommandEvent& event);
    void OnTrimToCutPlanes(wxCommandEvent& event);
    void OnFlipTopBottom(wxCommandEvent& event);
    void OnFlipLeftRight(wxCommandEvent& event);
    void OnFlipBackFront(wxCommandEvent& event);
    void OnDownsample(wxCommandEvent& event);
    void OnScaling(wxCommandEvent& event);
    void OnClockwiseWinding(wxCommandEvent& event);
    void OnPlanTrajectory(wxCommandEvent& event);
    void OnShowTrajectory(wxCommandEvent& event);
    void OnUpdatePlanTrajectory(wxUpdateUIEvent& event);
    void OnUpdateDecimate(wxUpdateUIEvent& event);
    void OnUpdateSegmentation(wxUpdateUIEvent& event);
    void OnUpdateTrimVolume(wxUpdateUIEvent& event);
    void OnUpdateTrimToCutPlanes(wxUpdateUIEvent& event);
    void OnUpdateVolumeCommand(wxUpdateUIEvent& event);
    void OnUpdateDownsample(wxUpdateUIEvent& event);
    void OnUpdateClockwiseWinding(wxUpdateUIEvent& event);
    void OnUpdateShowTrajectory(wxUpdateUIEvent& event);
    CVolume* CurrentVolume() const;
    void Flip(int axis);
    // Volume edited in place: textures rebuilt on the next frame, the light
    // box shown it again.
    void VolumeChangedInPlace();
    // The segmentation dialog (with its invert and keep-values choices) and
    // the trajectory planner, each run modally on the volume; true when it
    // ended with Process. Until a dialog is part of the program its command
    // ends as on Close.
    bool RunSegmentationDialog(CVolume& volume, bool& invert, bool& keepValues);
    bool RunTrajectoryDialog(CVolume& volume);
    // The stereo window draws `model` from now on (the current one was
    // replaced).
    void PointStereoWindowAt(CModel* model);

    CWxGlSurface m_surface;
    wxTimer m_spinTimer;
    // A paint that came while the busy box let GTK draw, put off until the
    // synchronous work is over.
    bool m_bYielding = false;
    bool m_bPaintDeferred = false;
    // A loader runs, perhaps with its dialogs up, while the open model is
    // still shown: keys typed into them do not fly the camera.
    bool m_bLoading = false;

    wxDECLARE_EVENT_TABLE();
};
