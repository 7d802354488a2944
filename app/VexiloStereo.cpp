// The 3D view's stereo windows and its cut-plane window: opening and closing
// them with their commands, and what the stereo attributes pass on.
#include "app/Vexilo.h"
#include "app/dialogs/CutPlaneDialog.h"
#include "app/dialogs/StereoDlg.h"
#include "app/dialogs/StereoToolsDlg.h"
#include "app/logic/ViewModes.h"
#include "render/StereoGeometry.h"

CStereoDlg* CVexilo::StereoWindow() const { return static_cast<CStereoDlg*>(m_pStereoDlg); }
CStereoToolsDlg* CVexilo::StereoTools() const { return static_cast<CStereoToolsDlg*>(m_pStereoToolsDlg); }
CCutPlaneDialog* CVexilo::CutPlaneWindow() const { return static_cast<CCutPlaneDialog*>(m_pCutPlaneDlg); }

void CVexilo::OnStereoWindow(wxCommandEvent&)
{
    if (m_bStereo || m_pStereoDlg) {
        CloseStereoDialogs();
        return;
    }
    if (!m_pRenderer)
        return;
    const StereoDistances base = StereoBaseDistances(m_pRenderer->m_dNear, kStereoOpenFactor);
    m_fFocalLength = m_fStereoFocal = base.focal;
    m_fEyeSeparation = m_fStereoSeparation = base.eyeSeparation;
    auto* stereo = new CStereoDlg(m_pModel, m_pRenderer.get(), this, m_fFocalLength, m_fEyeSeparation);
    if (!stereo->Create(this)) {
        delete stereo;
        return;
    }
    m_pStereoDlg = stereo;
    auto* tools = new CStereoToolsDlg(this);
    if (!tools->Create(this)) {
        delete tools;
        CloseStereoDialogs();
        return;
    }
    m_pStereoToolsDlg = tools;
    // Side by side over the view, so that neither hides the other.
    const wxPoint origin = ClientToScreen(wxPoint(32, 32));
    stereo->Move(origin);
    tools->Move(origin + wxPoint(stereo->GetSize().x + 8, 0));
    m_bStereo = true;
}

void CVexilo::CloseStereoDialogs()
{
    // Destroying is put off until the loop is idle; by then the renderer and
    // the model may be gone.
    if (CStereoDlg* stereo = StereoWindow())
        stereo->ClearShared();
    if (CStereoToolsDlg* tools = StereoTools())
        tools->m_pView = nullptr;
    DestroyWindow(m_pStereoDlg);
    DestroyWindow(m_pStereoToolsDlg);
    m_bStereo = false;
}

void CVexilo::UpdateStereo()
{
    CStereoToolsDlg* tools = StereoTools();
    if (!tools)
        return;
    StereoSettings settings;
    tools->GetSettings(settings);
    const StereoDistances d = StereoDistancesFromBars(m_fFocalLength, settings.focalFraction,
                                                      settings.separationFraction);
    m_fStereoFocal = d.focal;
    m_fEyeSeparation = d.eyeSeparation;
    m_fStereoSeparation = d.separation;
    if (CStereoDlg* stereo = StereoWindow())
        stereo->SetStereo(settings, m_fStereoFocal, m_fStereoSeparation);
}

void CVexilo::OpenCutPlaneWindow()
{
    DestroyWindow(m_pCutPlaneDlg);
    if (!m_pRenderer)
        return;
    auto* dlg = new CCutPlaneDialog(this);
    dlg->m_nRotation = m_pRenderer->m_nPlaneRotation;
    dlg->m_nFaceMask = m_pRenderer->m_nFaceMask;
    if (dlg->Create(this))
        m_pCutPlaneDlg = dlg;
    else
        delete dlg;
}

