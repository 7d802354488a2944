// The 3D view's transfer-function command and its editor window.
#include "app/Vexilo.h"
#include "app/dialogs/XfrDialog.h"
#include "app/logic/ViewModes.h"
#include "data/Volume.h"
#include "render/TransferFunction.h"

void CVexilo::OnTransferFunction(wxCommandEvent&)
{
    CloseXfrDialog();
    LightBox();
    if (!TransferFunctionState(Facts()).enabled)
        return;
    auto* dlg = new CXfrDialog(this, m_pRenderer.get(), static_cast<CVolume*>(m_pModel));
    if (dlg->Create(this))
        m_pXfrDlg = dlg;
    else
        delete dlg;
}

void CVexilo::CloseXfrDialog() { DestroyWindow(m_pXfrDlg); }
