#include "app/AppDialogRunner.h"

#include <wx/app.h>

#include "app/MainFrame.h"
#include "app/Vexilo.h"
#include "app/dialogs/DcmDialog.h"
#include "app/dialogs/RawDialog.h"
#include "app/dialogs/RendererDialog.h"
#include "app/dialogs/RgbDialog.h"

namespace {
wxWindow* TopWindow() { return wxTheApp ? wxTheApp->GetTopWindow() : nullptr; }

// Runs the dialog; on OK `take` reads what it gives back.
template <typename Dialog, typename Take> bool ShowAndTake(Dialog& dlg, Take take)
{
    if (dlg.ShowModal() != wxID_OK)
        return false;
    take();
    return true;
}

// The voxel size, named alike in the dialogs and the values they exchange.
template <typename To, typename From> void CopyScale(To& to, const From& from)
{
    to.m_fScaleX = from.m_fScaleX;
    to.m_fScaleY = from.m_fScaleY;
    to.m_fScaleZ = from.m_fScaleZ;
}

// What the DICOM review both shows and hands back: the new slice size and
// the voxel size.
template <typename To, typename From> void CopyDcmSize(To& to, const From& from)
{
    to.m_nNewX = from.m_nNewX;
    to.m_nNewY = from.m_nNewY;
    CopyScale(to, from);
}
} // namespace

bool CAppDialogRunner::RunRawDialog(CRawDialogValues& values)
{
    // The factory opens it with no parent.
    CRawDialog dlg(nullptr, values.fileSize);
    return ShowAndTake(dlg, [&] {
        values.m_nDimX = dlg.m_nDimX;
        values.m_nDimY = dlg.m_nDimY;
        values.m_nDimZ = dlg.m_nDimZ;
        values.m_nBits = dlg.m_nBits;
        values.m_bLittleEndian = dlg.m_bLittleEndian;
        CopyScale(values, dlg);
        values.m_nOffset = dlg.m_nOffset;
    });
}

bool CAppDialogRunner::RunDcmDialog(CDcmDialogValues& values)
{
    CDcmDialog dlg(nullptr);
    dlg.m_strMessage = values.m_strMessage;
    CopyDcmSize(dlg, values);
    dlg.m_nSlices = values.m_nSlices;
    dlg.m_pPreviewImage = values.m_pPreviewImage;
    return ShowAndTake(dlg, [&] {
        CopyDcmSize(values, dlg);
        values.m_nWindowLevel = dlg.m_nWindowLevel;
        values.m_nWindowWidth = dlg.m_nWindowWidth;
        values.m_bAuto = dlg.m_bAuto;
    });
}

bool CAppDialogRunner::RunRendererDialog(CRendererDialogValues& values)
{
    CRendererDialog dlg(TopWindow(), values);
    return dlg.ShowModal() == wxID_OK;
}

bool CAppDialogRunner::RunRgbDialog(CRgbDialogValues& values)
{
    // The view's import opens it over the view.
    wxWindow* view = GetViewPane();
    CRgbDialog dlg(view ? view : TopWindow());
    return ShowAndTake(dlg, [&] {
        values.m_strFolder = dlg.m_strFolder;
        values.m_nHeaderBytes = dlg.m_nHeaderBytes;
        values.m_nWidth = dlg.m_nWidth;
        values.m_nHeight = dlg.m_nHeight;
        values.m_fPixelWidth = dlg.m_fPixelWidth;
        values.m_fPixelHeight = dlg.m_fPixelHeight;
        values.m_fSeparation = dlg.m_fSeparation;
        values.m_nDataType = dlg.m_nDataType;
        values.m_bGrayscale = dlg.m_bGrayscale;
    });
}
