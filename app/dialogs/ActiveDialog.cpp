#include "app/dialogs/ActiveDialog.h"

CActiveDialog::CActiveDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Active contour settings")
{
}
