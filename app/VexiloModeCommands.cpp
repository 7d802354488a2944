// The 3D view's commands that change how the model is shown: render modes,
// solid or wireframe, colours, the frame-rate readout, the stereo windows,
// the transfer-function editor and the options sheet.
#include "app/App.h"
#include "app/LightBox.h"
#include "app/Vexilo.h"
#include "app/dialogs/CutPlaneDialog.h"
#include "app/dialogs/OptionsSheet.h"
#include "app/dialogs/StereoDlg.h"
#include "app/dialogs/StereoToolsDlg.h"
#include "app/dialogs/XfrDialog.h"
#include "app/logic/ViewModes.h"
#include "data/Colour.h"
#include "data/Mesh.h"
#include "platform/Prompter.h"
#include "render/StereoGeometry.h"

namespace {
CMesh* AsMesh(CModel* model) { return model && model->IsMesh() ? static_cast<CMesh*>(model) : nullptr; }
} // namespace

void CVexilo::SetRenderMode(int mode)
{
    ExitRenderMode();
    // The renderer draws by its own copy; the view's decides input and the
    // commands' rules.
    m_nRenderMode = mode;
    if (m_pRenderer) {
        m_pRenderer->m_nRenderMode = mode;
        MakeRendererCurrent();
        m_pRenderer->OnModeChanged();
    }
    if (CStereoDlg* stereo = StereoWindow())
        stereo->UpdateFrustums();
    Invalidate();
}

void CVexilo::OnNormalView(wxCommandEvent&) { SetRenderMode(kRenderNormal); }
void CVexilo::OnMipView(wxCommandEvent&) { SetRenderMode(kRenderMip); }
void CVexilo::OnMprView(wxCommandEvent&) { SetRenderMode(kRenderMpr); }

void CVexilo::OnCutPlanes(wxCommandEvent&)
{
    if (!m_pRenderer)
        return;
    SetRenderMode(kRenderCutPlanes);
    OpenCutPlaneWindow();
    Invalidate();
}

void CVexilo::OnFlyThrough(wxCommandEvent&)
{
    if (m_nRenderMode == kRenderFlyThrough || !m_pRenderer)
        return;
    SetRenderMode(kRenderFlyThrough);
    for (CThumbWheel* wheel : {&m_wheelX, &m_wheelY, &m_wheelZ}) {
        wheel->m_bEnabled = false;
        wheel->Refresh();
    }
    ResetTransform();
    if (m_bShowFps)
        ToggleShowFps();
    LightBox();
    MakeRendererCurrent();
    MakeFlyThroughCamera();
    if (StereoWindow()) {
        const StereoDistances base = StereoBaseDistances(m_pRenderer->m_dNear, kStereoFlyThroughFactor);
        m_fFocalLength = base.focal;
        m_fEyeSeparation = base.eyeSeparation;
        UpdateStereo();
        if (CStereoToolsDlg* tools = StereoTools())
            tools->ShowValues();
    }
    if (AskToUseJoystick(FlyThroughHasJoystick()))
        UseFlyThroughJoystick();
    // The camera's first step counts from now, not from the last reading,
    // which may be minutes old.
    m_timer.GetElapsed();
    wxGetApp().m_bContinuousRedraw = ContinuousRedraw(m_bShowFps, m_nRenderMode);
    if (CLightBox* lightBox = LightBox())
        lightBox->Invalidate();
    Invalidate();
}

void CVexilo::OnSolidModel(wxCommandEvent&)
{
    if (CMesh* mesh = AsMesh(m_pModel))
        mesh->m_bSolid = true;
    Invalidate();
}

void CVexilo::OnWireframeModel(wxCommandEvent&)
{
    if (CMesh* mesh = AsMesh(m_pModel))
        mesh->m_bSolid = false;
    Invalidate();
}

void CVexilo::OnBackgroundColour(wxCommandEvent&)
{
    COLORREF colour = m_crBackground;
    if (Prompter().ChooseColour(colour))
        m_crBackground = colour;
    Invalidate();
}

void CVexilo::ChooseMeshColour(bool solid)
{
    if (CMesh* mesh = AsMesh(m_pModel)) {
        COLORREF colour = solid ? mesh->m_crSolid : mesh->m_crWire;
        if (Prompter().ChooseColour(colour)) {
            (solid ? mesh->m_crSolid : mesh->m_crWire) = colour;
            ColorRefToRGB(colour, solid ? mesh->m_vSolidColour : mesh->m_vWireColour);
        }
    }
    Invalidate();
}

void CVexilo::OnSolidColour(wxCommandEvent&) { ChooseMeshColour(true); }
void CVexilo::OnWireframeColour(wxCommandEvent&) { ChooseMeshColour(false); }

void CVexilo::OnResetColours(wxCommandEvent&)
{
    if (CMesh* mesh = AsMesh(m_pModel)) {
        mesh->m_crSolid = kDefaultSolidColour;
        mesh->m_crWire = kDefaultWireColour;
        ColorRefToRGB(mesh->m_crSolid, mesh->m_vSolidColour);
        ColorRefToRGB(mesh->m_crWire, mesh->m_vWireColour);
    }
    m_crBackground = kDefaultBackground;
    Invalidate();
}

void CVexilo::ToggleShowFps()
{
    m_bShowFps = !m_bShowFps;
    wxGetApp().m_bShowFps = m_bShowFps;
    wxGetApp().m_bContinuousRedraw = ContinuousRedraw(m_bShowFps, m_nRenderMode);
    // Its next paint removes a readout drawn on it.
    m_wheelY.Refresh();
}

void CVexilo::OnShowFps(wxCommandEvent&) { ToggleShowFps(); }

void CVexilo::OnOptions(wxCommandEvent&)
{
    if (m_pSettings)
        RunOptionsSheet(this);
}

namespace {
void Apply(wxUpdateUIEvent& event, const CommandState& state)
{
    event.Enable(state.enabled);
    event.Check(state.checked);
}

// For the items that are not checkable.
void EnableOnly(wxUpdateUIEvent& event, const CommandState& state) { event.Enable(state.enabled); }
} // namespace

ViewFacts CVexilo::Facts()
{
    ViewFacts f;
    f.model = !m_pModel ? ModelKind::none : m_pModel->IsVolume() ? ModelKind::volume
                                          : m_pModel->IsMesh()   ? ModelKind::mesh
                                                                 : ModelKind::none;
    f.mode = m_nRenderMode;
    f.renderer = m_pRenderer != nullptr;
    if (m_pRenderer) {
        f.normalView = m_pRenderer->SupportsFeature(1);
        f.mipView = m_pRenderer->SupportsFeature(2);
        // The empty renderer kept after a failed renderer choice has a table
        // but no transfer function to edit.
        f.lookupTable = m_pRenderer->m_pRgbaTable != nullptr && m_pRenderer->m_pTransferFunction != nullptr;
    }
    if (CMesh* mesh = AsMesh(m_pModel))
        f.solid = mesh->m_bSolid;
    f.showFps = m_bShowFps;
    f.stereo = m_bStereo;
    return f;
}

void CVexilo::OnUpdateNormalView(wxUpdateUIEvent& event) { Apply(event, RenderModeState(kRenderNormal, Facts())); }
void CVexilo::OnUpdateMipView(wxUpdateUIEvent& event) { Apply(event, RenderModeState(kRenderMip, Facts())); }
void CVexilo::OnUpdateMprView(wxUpdateUIEvent& event) { Apply(event, RenderModeState(kRenderMpr, Facts())); }
void CVexilo::OnUpdateCutPlanes(wxUpdateUIEvent& event) { Apply(event, RenderModeState(kRenderCutPlanes, Facts())); }
void CVexilo::OnUpdateFlyThrough(wxUpdateUIEvent& event)
{
    Apply(event, RenderModeState(kRenderFlyThrough, Facts()));
}
void CVexilo::OnUpdateSolidModel(wxUpdateUIEvent& event) { Apply(event, SolidModelState(Facts())); }
void CVexilo::OnUpdateWireframeModel(wxUpdateUIEvent& event) { Apply(event, WireframeModelState(Facts())); }
void CVexilo::OnUpdateMeshColour(wxUpdateUIEvent& event) { EnableOnly(event, MeshColourState(Facts())); }
void CVexilo::OnUpdateShowFps(wxUpdateUIEvent& event) { Apply(event, ShowFpsState(Facts())); }
void CVexilo::OnUpdateStereoWindow(wxUpdateUIEvent& event) { Apply(event, StereoWindowState(Facts())); }
void CVexilo::OnUpdateTransferFunction(wxUpdateUIEvent& event) { EnableOnly(event, TransferFunctionState(Facts())); }
