#include "app/AppDialogRunner.h"

#include <wx/app.h>

#include "app/dialogs/RendererDialog.h"

bool CAppDialogRunner::RunRendererDialog(CRendererDialogValues& values)
{
    CRendererDialog dlg(wxTheApp ? wxTheApp->GetTopWindow() : nullptr, values);
    return dlg.ShowModal() == wxID_OK;
}
