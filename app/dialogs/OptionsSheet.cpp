#include "app/dialogs/OptionsSheet.h"

#include <wx/bookctrl.h>
#include <wx/button.h>

COptionsSheet::COptionsSheet(wxWindow* parent, CAppSettings&)
{
    Create(parent, wxID_ANY, "Vexilo Options");
    CreateButtons(wxOK | wxCANCEL | wxAPPLY);
    // Apply waits for a page to change something.
    if (wxWindow* apply = FindWindow(wxID_APPLY))
        apply->Disable();
    LayoutDialog();
}

void COptionsSheet::StoreSettings(CAppSettings&) const {}
