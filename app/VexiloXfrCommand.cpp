// The 3D view's transfer-function command and its editor window.
#include "app/Vexilo.h"
#include "app/dialogs/XfrDialog.h"
#include "data/Volume.h"
#include "render/TransferFunction.h"

namespace {
// The editor needs a volume whose renderer holds a transfer function; the
// empty renderer kept after a failed renderer choice has none.
bool CanEditTransferFunction(CModel* model, CRenderer* renderer)
{
    return model && model->IsVolume() && renderer && renderer->m_pRgbaTable && renderer->m_pTransferFunction;
}
} // namespace

void CVexilo::OnTransferFunction(wxCommandEvent&)
{
    CloseXfrDialog();
    LightBox();
    if (!CanEditTransferFunction(m_pModel, m_pRenderer.get()))
        return;
    auto* dlg = new CXfrDialog(this, m_pRenderer.get(), static_cast<CVolume*>(m_pModel));
    if (dlg->Create(this))
        m_pXfrDlg = dlg;
    else
        delete dlg;
}

void CVexilo::OnUpdateTransferFunction(wxUpdateUIEvent& event)
{
    event.Enable(CanEditTransferFunction(m_pModel, m_pRenderer.get()));
}

void CVexilo::CloseXfrDialog() { DestroyWindow(m_pXfrDlg); }
