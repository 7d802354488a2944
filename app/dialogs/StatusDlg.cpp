#include "app/dialogs/StatusDlg.h"

#include <wx/evtloop.h>
#include <wx/stattext.h>
#include <wx/xrc/xmlres.h>

#include "res/CommandIds.h"

bool CStatusDlg::Create(wxWindow* parent)
{
    if (!wxXmlResource::Get()->LoadDialog(this, parent, "IDD_STATUS"))
        return false;
    SetClientSize(ConvertDialogToPixels(wxSize(220, 38)));
    CentreOnScreen();
    Show();
    return TransferDataToWindow();
}

bool CStatusDlg::TransferDataToWindow()
{
    auto* text = dynamic_cast<wxStaticText*>(FindWindow(IDC_STATUS_TEXT));
    if (!text)
        return false;
    text->SetLabel(m_strText);
    PaintNow();
    return true;
}

void CStatusDlg::PaintNow()
{
    // The box shows while the loop waits on synchronous work: paint now and
    // let GTK draw, but take no input.
    Update();
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive())
        loop->YieldFor(wxEVT_CATEGORY_UI);
}
