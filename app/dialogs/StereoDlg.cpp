#include "app/dialogs/StereoDlg.h"

#include "app/Vexilo.h"

wxBEGIN_EVENT_TABLE(CStereoDlg, wxDialog)
    EVT_CLOSE(CStereoDlg::OnClose)
wxEND_EVENT_TABLE()

CStereoDlg::CStereoDlg(CModel* model, CRenderer* renderer, CVexilo* view, double focalLength, double eyeSeparation)
    : m_pRenderer(renderer), m_pModel(model), m_pView(view), m_dFocalLength(focalLength),
      m_dEyeSeparation(eyeSeparation)
{
}

bool CStereoDlg::Create(wxWindow* parent)
{
    if (!wxDialog::Create(parent, wxID_ANY, "Vexilo - Stereo Window", wxDefaultPosition, wxSize(320, 240),
                          wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER))
        return false;
    Show();
    return true;
}

void CStereoDlg::SetStereo(const StereoSettings& settings, double focalLength, double eyeSeparation)
{
    m_nMethod = settings.method;
    m_nGlasses = settings.glasses;
    m_dFocalLength = focalLength;
    m_dEyeSeparation = eyeSeparation;
    UpdateFrustums();
}

void CStereoDlg::UpdateFrustums() {}

void CStereoDlg::ClearShared()
{
    m_pRenderer = nullptr;
    m_pModel = nullptr;
    m_pView = nullptr;
}

void CStereoDlg::OnClose(wxCloseEvent& event)
{
    if (m_pView)
        m_pView->CloseStereoDialogs();
    else
        event.Skip();
}
