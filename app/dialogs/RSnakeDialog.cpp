#include "app/dialogs/RSnakeDialog.h"

CRSnakeDialog::CRSnakeDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "R-Snake Diagnostics")
{
}
