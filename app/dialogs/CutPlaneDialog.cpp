#include "app/dialogs/CutPlaneDialog.h"

CCutPlaneDialog::CCutPlaneDialog(CVexilo* view) : m_pView(view) {}

bool CCutPlaneDialog::Create(wxWindow* parent)
{
    if (!wxDialog::Create(parent, wxID_ANY, "Adjust cut planes", wxDefaultPosition, wxSize(200, 120)))
        return false;
    Show();
    return true;
}
