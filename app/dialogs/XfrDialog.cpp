#include "app/dialogs/XfrDialog.h"

CXfrDialog::CXfrDialog(CVexilo* view) : m_pView(view) {}

bool CXfrDialog::Create(wxWindow* parent)
{
    return wxDialog::Create(parent, wxID_ANY, "Amend Transfer Function", wxDefaultPosition, wxSize(320, 320));
}
