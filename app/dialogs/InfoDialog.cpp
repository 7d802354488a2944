#include "app/dialogs/InfoDialog.h"

#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "res/CommandIds.h"

CInfoDialog::CInfoDialog(wxWindow* parent)
{
    wxXmlResource::Get()->LoadDialog(this, parent, "IDD_INFORMATION");
    SetClientSize(ConvertDialogToPixels(wxSize(276, 154)));
    CentreOnParent();
}

int CInfoDialog::ShowModal()
{
    TransferDataToWindow();
    return wxDialog::ShowModal();
}

bool CInfoDialog::TransferDataToWindow()
{
    auto* text = dynamic_cast<wxTextCtrl*>(FindWindow(IDC_INFO_TEXT));
    if (!text)
        return false;
    text->ChangeValue(m_strText);
    return true;
}
