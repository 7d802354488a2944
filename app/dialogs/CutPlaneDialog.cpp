#include "app/dialogs/CutPlaneDialog.h"

#include <string>

#include <wx/checkbox.h>
#include <wx/slider.h>
#include <wx/xrc/xmlres.h>

#include "app/Vexilo.h"
#include "render/Renderer.h"

CCutPlaneDialog::CCutPlaneDialog(CVexilo* view) : m_pView(view) {}

bool CCutPlaneDialog::Create(wxWindow* parent)
{
    if (!wxXmlResource::Get()->LoadDialog(this, parent, "IDD_CUT_PLANES"))
        return false;
    // In the units of the dialog's own font, which the template's size is not.
    SetClientSize(ConvertDialogToPixels(wxSize(150, 69)));
    m_wndRotation = XRCCTRL(*this, "IDC_CUT_ROTATION", wxSlider);
    if (!m_wndRotation)
        return false;
    for (int i = 0; i < 6; ++i) {
        m_checks[i] = XRCCTRL(*this, ("IDC_CUT_FACE" + std::to_string(i + 1)).c_str(), wxCheckBox);
        if (!m_checks[i])
            return false;
        m_checks[i]->Bind(wxEVT_CHECKBOX, &CCutPlaneDialog::OnFaceClicked, this);
    }
    Bind(wxEVT_CLOSE_WINDOW, &CCutPlaneDialog::OnClose, this);
    // Escape would hide it; the window lives as long as the mode.
    Bind(wxEVT_BUTTON, [](wxCommandEvent&) {}, wxID_CANCEL);
    m_wndRotation->SetRange(0, 359);
    m_wndRotation->SetValue(m_nRotation);
    m_wndRotation->Refresh();
    for (int i = 0; i < 6; ++i) {
        m_bFace[i] = (m_nFaceMask >> i) & 1;
        m_checks[i]->SetValue(m_bFace[i] != 0);
    }
    // Every change of the position, by drag, click or key.
    m_wndRotation->Bind(wxEVT_SLIDER, &CCutPlaneDialog::OnHScroll, this);
    Show();
    return true;
}

CRenderer* CCutPlaneDialog::Renderer() const
{
    if (!m_pView || !m_pView->m_pRenderer)
        return nullptr;
    CRenderer* renderer = m_pView->m_pRenderer.get();
    // Its clip planes are GL state of its own context, which may be current
    // on the stereo window.
    GlMakeCurrent(m_pView->Surface(), renderer->m_hGLRC.get());
    return renderer;
}

void CCutPlaneDialog::OnHScroll(wxCommandEvent&)
{
    m_nRotation = m_wndRotation->GetValue();
    if (CRenderer* renderer = Renderer()) {
        renderer->RotateCutPlaneBy(m_nRotation);
        m_pView->Invalidate();
    }
}

void CCutPlaneDialog::OnFaceClicked(wxCommandEvent&) { ApplyFaceMask(); }

void CCutPlaneDialog::ApplyFaceMask()
{
    std::uint8_t mask = 0;
    for (int i = 0; i < 6; ++i) {
        m_bFace[i] = m_checks[i] && m_checks[i]->GetValue() ? 1 : 0;
        if (m_bFace[i])
            mask |= std::uint8_t(1 << i);
    }
    m_nFaceMask = mask;
    if (CRenderer* renderer = Renderer()) {
        renderer->m_nFaceMask = mask;
        // Planes that were on follow the new mask; planes that were off stay off.
        renderer->EnableClipPlanes(renderer->m_bClipEnabled);
    }
    if (m_pView)
        m_pView->Invalidate();
}

void CCutPlaneDialog::OnClose(wxCloseEvent& event)
{
    // The view closes it when the mode ends.
    if (event.CanVeto())
        event.Veto();
    else
        Destroy();
}
