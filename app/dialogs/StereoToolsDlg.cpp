#include "app/dialogs/StereoToolsDlg.h"

CStereoToolsDlg::CStereoToolsDlg(CVexilo* view) : m_pView(view) {}

bool CStereoToolsDlg::Create(wxWindow* parent)
{
    if (!wxDialog::Create(parent, wxID_ANY, "Stereo Attributes", wxDefaultPosition, wxSize(240, 160)))
        return false;
    Show();
    return true;
}

void CStereoToolsDlg::GetSettings(StereoSettings& settings) const { settings = m_settings; }

void CStereoToolsDlg::ShowValues() {}
