#include "app/dialogs/AboutDlg.h"

#include <wx/xrc/xmlres.h>

CAboutDlg::CAboutDlg(wxWindow* parent)
{
    wxXmlResource::Get()->LoadDialog(this, parent, "IDD_ABOUTBOX");
    // The template's size is the client area, in dialog units of its font.
    SetClientSize(ConvertDialogToPixels(wxSize(235, 55)));
    CentreOnParent();
}
