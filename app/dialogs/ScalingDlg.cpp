#include "app/dialogs/ScalingDlg.h"

#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "app/UpDown.h"
#include "app/Vexilo.h"
#include "app/dialogs/IntegerField.h"
#include "data/Volume.h"
#include "data/VoxelSize.h"
#include "platform/Prompter.h"
#include "res/ControlIds.h"

wxBEGIN_EVENT_TABLE(CScalingDlg, wxDialog)
    EVT_INIT_DIALOG(CScalingDlg::OnInitDialog)
    EVT_TEXT(IDC_SIZE_X, CScalingDlg::OnSizeChanged)
    EVT_TEXT(IDC_SIZE_Y, CScalingDlg::OnSizeChanged)
    EVT_TEXT(IDC_SIZE_Z, CScalingDlg::OnSizeChanged)
wxEND_EVENT_TABLE()

// The import dialogs bound voxel sizes by the longest volume this dialog shows.
static_assert(CScalingDlg::kMaxSize == kMaxVolumeExtent * 10.0);

namespace {
void SetTextIfChanged(wxWindow* window, const wxString& text)
{
    if (!window)
        return;
    // Rewriting a field with its own text would move its cursor.
    if (auto* edit = dynamic_cast<wxTextCtrl*>(window)) {
        if (edit->GetValue() != text)
            edit->ChangeValue(text);
    } else if (window->GetLabel() != text) {
        window->SetLabel(text);
    }
}
} // namespace

CScalingDlg::CScalingDlg(CVexilo* view, wxWindow* parent) : m_pView(view)
{
    wxXmlResource& xrc = *wxXmlResource::Get();
    xrc.LoadDialog(this, parent, "IDD_SCALING");
    const struct {
        const char* name;
        int edit;
        CUpDown** spin;
    } spins[] = {{"IDC_SPIN_X", IDC_SIZE_X, &m_spinX}, {"IDC_SPIN_Y", IDC_SIZE_Y, &m_spinY},
                 {"IDC_SPIN_Z", IDC_SIZE_Z, &m_spinZ}};
    for (const auto& s : spins) {
        auto* spin = new CUpDown;
        spin->Create(this, wxID_ANY);
        if (!xrc.AttachUnknownControl(s.name, spin, this)) {
            spin->Destroy();
            continue;
        }
        spin->SetBuddy(dynamic_cast<wxTextCtrl*>(FindWindow(s.edit)));
        *s.spin = spin;
    }
    SetClientSize(ConvertDialogToPixels(wxSize(329, 92)));
    CentreOnParent();
}

float CScalingDlg::ScaleFor(int size, int dimension)
{
    return float(static_cast<long double>(size) * static_cast<long double>(0.1f) / dimension);
}

void CScalingDlg::SetScaleTexts()
{
    m_strScaleX = wxString::Format("%.8f", m_fScaleX);
    m_strScaleY = wxString::Format("%.8f", m_fScaleY);
    m_strScaleZ = wxString::Format("%.8f", m_fScaleZ);
}

bool CScalingDlg::TransferDataToWindow()
{
    SetTextIfChanged(FindWindow(IDC_VOXEL_COUNT), m_strVoxels);
    SetTextIfChanged(FindWindow(IDC_SCALE_X), m_strScaleX);
    SetTextIfChanged(FindWindow(IDC_SCALE_Y), m_strScaleY);
    SetTextIfChanged(FindWindow(IDC_SCALE_Z), m_strScaleZ);
    SetTextIfChanged(FindWindow(IDC_SIZE_X), wxString::Format("%d", m_nSizeX));
    SetTextIfChanged(FindWindow(IDC_SIZE_Y), wxString::Format("%d", m_nSizeY));
    SetTextIfChanged(FindWindow(IDC_SIZE_Z), wxString::Format("%d", m_nSizeZ));
    return true;
}

bool CScalingDlg::TransferDataFromWindow()
{
    for (auto [id, size] : {std::pair{int(IDC_SIZE_X), &m_nSizeX}, std::pair{int(IDC_SIZE_Y), &m_nSizeY},
                            std::pair{int(IDC_SIZE_Z), &m_nSizeZ}}) {
        auto* edit = dynamic_cast<wxTextCtrl*>(FindWindow(id));
        if (!edit)
            continue;
        if (!ParseDialogInt(edit->GetValue(), *size)) {
            VxMessageBox(kEnterInteger, MB_OK | MB_ICONEXCLAMATION);
            edit->SetFocus();
            edit->SelectAll();
            return false;
        }
    }
    return true;
}

void CScalingDlg::OnInitDialog(wxInitDialogEvent&)
{
    TransferDataToWindow();
    if (m_pVolume) {
        m_nDimX = m_pVolume->m_nDimX;
        m_nDimY = m_pVolume->m_nDimY;
        m_nDimZ = m_pVolume->m_nDimZ;
        m_fScaleX = m_pVolume->m_fScaleX;
        m_fScaleY = m_pVolume->m_fScaleY;
        m_fScaleZ = m_pVolume->m_fScaleZ;
    }
    m_strVoxels = wxString::Format("Volume size (in voxels) is %d x %d x %d", m_nDimX, m_nDimY, m_nDimZ);
    SetScaleTexts();
    for (CUpDown* spin : {m_spinX, m_spinY, m_spinZ})
        if (spin)
            spin->SetRange(kMinSize, kMaxSize);
    // In single precision, as the sizes were first worked out; held within
    // what a size can be, whatever voxel size the volume came with.
    m_nSizeX = TruncToInt32(float(m_nDimX) * m_fScaleX * 10.0f);
    m_nSizeY = TruncToInt32(float(m_nDimY) * m_fScaleY * 10.0f);
    m_nSizeZ = TruncToInt32(float(m_nDimZ) * m_fScaleZ * 10.0f);
    TransferDataToWindow();
    m_bReady = true;
}

void CScalingDlg::OnSizeChanged(wxCommandEvent&) { ApplyScaling(); }

void CScalingDlg::ApplyScaling()
{
    if (!m_bReady)
        return;
    // A size that is not an integer has been reported; the others go on
    // with the sizes last read, which the exchange below writes back.
    TransferDataFromWindow();
    for (int size : {m_nSizeX, m_nSizeY, m_nSizeZ})
        if (size < kMinSize || size > kMaxSize)
            return;
    if (m_nDimX <= 0 || m_nDimY <= 0 || m_nDimZ <= 0)
        return;
    m_fScaleX = ScaleFor(m_nSizeX, m_nDimX);
    m_fScaleY = ScaleFor(m_nSizeY, m_nDimY);
    m_fScaleZ = ScaleFor(m_nSizeZ, m_nDimZ);
    if (m_pVolume)
        m_pVolume->SetVoxelSize(m_fScaleX, m_fScaleY, m_fScaleZ);
    SetScaleTexts();
    TransferDataToWindow();
    if (m_pView)
        m_pView->ApplyVoxelSize();
}
