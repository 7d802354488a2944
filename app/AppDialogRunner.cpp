#include "app/AppDialogRunner.h"

#include <wx/app.h>

#include "app/MainFrame.h"
#include "app/Vexilo.h"
#include "app/dialogs/DcmDialog.h"
#include "app/dialogs/RawDialog.h"
#include "app/dialogs/RendererDialog.h"
#include "app/dialogs/RgbDialog.h"

bool CAppDialogRunner::RunRawDialog(CRawDialogValues& values)
{
    // The factory opens it with no parent.
    CRawDialog dlg(nullptr, values.fileSize);
    if (dlg.ShowModal() != wxID_OK)
        return false;
    values.m_nDimX = dlg.m_nDimX;
    values.m_nDimY = dlg.m_nDimY;
    values.m_nDimZ = dlg.m_nDimZ;
    values.m_nBits = dlg.m_nBits;
    values.m_bLittleEndian = dlg.m_bLittleEndian;
    values.m_fScaleX = dlg.m_fScaleX;
    values.m_fScaleY = dlg.m_fScaleY;
    values.m_fScaleZ = dlg.m_fScaleZ;
    values.m_nOffset = dlg.m_nOffset;
    return true;
}

bool CAppDialogRunner::RunDcmDialog(CDcmDialogValues& values)
{
    CDcmDialog dlg(nullptr);
    dlg.m_strMessage = values.m_strMessage;
    dlg.m_nNewX = values.m_nNewX;
    dlg.m_nNewY = values.m_nNewY;
    dlg.m_fScaleX = values.m_fScaleX;
    dlg.m_fScaleY = values.m_fScaleY;
    dlg.m_fScaleZ = values.m_fScaleZ;
    dlg.m_pPreviewImage = values.m_pPreviewImage;
    if (dlg.ShowModal() != wxID_OK)
        return false;
    values.m_nNewX = dlg.m_nNewX;
    values.m_nNewY = dlg.m_nNewY;
    values.m_fScaleX = dlg.m_fScaleX;
    values.m_fScaleY = dlg.m_fScaleY;
    values.m_fScaleZ = dlg.m_fScaleZ;
    values.m_nWindowLevel = dlg.m_nWindowLevel;
    values.m_nWindowWidth = dlg.m_nWindowWidth;
    values.m_bAuto = dlg.m_bAuto;
    return true;
}

bool CAppDialogRunner::RunRendererDialog(CRendererDialogValues& values)
{
    CRendererDialog dlg(wxTheApp ? wxTheApp->GetTopWindow() : nullptr, values);
    return dlg.ShowModal() == wxID_OK;
}

bool CAppDialogRunner::RunRgbDialog(CRgbDialogValues& values)
{
    // The view's import opens it over the view.
    wxWindow* view = GetViewPane();
    CRgbDialog dlg(view ? view : wxTheApp ? wxTheApp->GetTopWindow() : nullptr);
    if (dlg.ShowModal() != wxID_OK)
        return false;
    values.m_strFolder = dlg.m_strFolder;
    values.m_nHeaderBytes = dlg.m_nHeaderBytes;
    values.m_nWidth = dlg.m_nWidth;
    values.m_nHeight = dlg.m_nHeight;
    values.m_fPixelWidth = dlg.m_fPixelWidth;
    values.m_fPixelHeight = dlg.m_fPixelHeight;
    values.m_fSeparation = dlg.m_fSeparation;
    values.m_nDataType = dlg.m_nDataType;
    values.m_bGrayscale = dlg.m_bGrayscale;
    return true;
}
