#include "app/dialogs/RawDialog.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "data/VoxelSize.h"
#include "platform/DataExchange.h"
#include "platform/wx/StepArrows.h"

namespace {
constexpr std::int32_t kMaxDim = 512;
} // namespace

wxBEGIN_EVENT_TABLE(CRawDialog, CDdxDialog)
    EVT_INIT_DIALOG(CRawDialog::OnInitDialog)
    EVT_TEXT(XRCID("IDC_RAW_DIMX"), CRawDialog::OnLayoutChanged)
    EVT_TEXT(XRCID("IDC_RAW_DIMY"), CRawDialog::OnLayoutChanged)
    EVT_TEXT(XRCID("IDC_RAW_DIMZ"), CRawDialog::OnLayoutChanged)
    EVT_TEXT(XRCID("IDC_RAW_BITS"), CRawDialog::OnLayoutChanged)
    EVT_TEXT(XRCID("IDC_RAW_OFFSET"), CRawDialog::OnLayoutChanged)
    EVT_BUTTON(wxID_OK, CRawDialog::OnOK)
wxEND_EVENT_TABLE()

CRawDialog::CRawDialog(wxWindow* parent, std::uint64_t fileSize)
    : m_strActualSize(DdxFormatInt(std::int64_t(fileSize)))
{
    if (!wxXmlResource::Get()->LoadDialog(this, parent, "IDD_RAW_IMPORT"))
        throw std::runtime_error("dialog template IDD_RAW_IMPORT missing");
    SetClientSize(ConvertDialogToPixels(wxSize(331, 167)));
    for (const char* name : {"IDC_RAW_DIMX", "IDC_RAW_DIMY", "IDC_RAW_DIMZ", "IDC_RAW_BITS", "IDC_RAW_OFFSET"})
        SetDigitsOnly(*XRCCTRL(*this, name, wxTextCtrl));
    m_spinX.Attach(AttachStepArrows(*this, "IDC_RAW_SPINX"), *XRCCTRL(*this, "IDC_RAW_DIMX", wxTextCtrl));
    m_spinY.Attach(AttachStepArrows(*this, "IDC_RAW_SPINY"), *XRCCTRL(*this, "IDC_RAW_DIMY", wxTextCtrl));
    m_spinZ.Attach(AttachStepArrows(*this, "IDC_RAW_SPINZ"), *XRCCTRL(*this, "IDC_RAW_DIMZ", wxTextCtrl));
    m_spinBits.Attach(AttachStepArrows(*this, "IDC_RAW_SPINBITS"), *XRCCTRL(*this, "IDC_RAW_BITS", wxTextCtrl));
    m_spinBits.SetStep(&CRawDialog::ToggleBits);
    CentreOnParent();
}

std::uint64_t CRawDialog::ExpectedSize(std::int32_t dimX, std::int32_t dimY, std::int32_t dimZ, std::int32_t bits,
                                       std::int32_t offset)
{
    // 64 bits keep the largest layout exact; accepted members (dimensions
    // 1 .. 512, an offset of 0 or more) never give a negative total.
    return std::uint64_t(std::max<std::int64_t>(0, std::int64_t(bits / 8) * dimZ * dimY * dimX + offset));
}

int CRawDialog::ToggleBits(int position, int delta)
{
    if (position == 8 && delta > 0)
        return 16;
    if (position == 16 && delta < 0)
        return 8;
    return position;
}

void CRawDialog::DoDataExchange(CDataExchange& dx)
{
    dx.Control("IDC_RAW_SPINX");
    dx.Control("IDC_RAW_SPINY");
    dx.Control("IDC_RAW_SPINZ");
    dx.Control("IDC_RAW_SPINBITS");
    dx.Text("IDC_RAW_ACTUAL_SIZE", m_strActualSize);
    dx.Text("IDC_RAW_EXPECTED_SIZE", m_strExpectedSize);
    dx.Text("IDC_RAW_DIMX", m_nDimX, 1, kMaxDim);
    dx.Text("IDC_RAW_DIMY", m_nDimY, 1, kMaxDim);
    dx.Text("IDC_RAW_DIMZ", m_nDimZ, 1, kMaxDim);
    dx.Text("IDC_RAW_BITS", m_nBits);
    dx.Check("IDC_RAW_LITTLE_ENDIAN", m_bLittleEndian);
    // A voxel size of 0 or less makes a volume without extent, one too large
    // a volume longer than the scaling dialog can show (the dimensions, read
    // just before, tell how long); a negative offset would read before the
    // file's start.
    dx.TextAbove("IDC_RAW_SCALEX", m_fScaleX, 0.0f, MaxVoxelSize(m_nDimX));
    dx.TextAbove("IDC_RAW_SCALEY", m_fScaleY, 0.0f, MaxVoxelSize(m_nDimY));
    dx.TextAbove("IDC_RAW_SCALEZ", m_fScaleZ, 0.0f, MaxVoxelSize(m_nDimZ));
    dx.Text("IDC_RAW_OFFSET", m_nOffset, 0, std::numeric_limits<std::int32_t>::max());
}

void CRawDialog::OnInitDialog(wxInitDialogEvent&)
{
    UpdateData(false);
    for (CSpinBuddy* spin : {&m_spinX, &m_spinY, &m_spinZ}) {
        spin->SetRange(1, kMaxDim);
        spin->SetPos(128);
    }
    m_spinBits.SetRange(8, 16);
    m_spinBits.SetPos(16);
    m_bLittleEndian = 1;
    UpdateData(false);
    // Filling the edits is a change of their text like any other: the
    // expected size follows it.
    ++m_nPosted;
    CallAfter(&CRawDialog::UpdateExpectedSize);
}

void CRawDialog::OnLayoutChanged(wxCommandEvent&)
{
    // Posted, so that the edit has finished its change before the fields
    // are read.
    ++m_nPosted;
    CallAfter(&CRawDialog::UpdateExpectedSize);
}

void CRawDialog::UpdateExpectedSize()
{
    --m_nPosted;
    // A refused field has shown its message; the members still hold the last
    // accepted values, which the exchange out puts back.
    UpdateData(true);
    m_strExpectedSize = DdxFormatInt(std::int64_t(ExpectedSize(m_nDimX, m_nDimY, m_nDimZ, m_nBits, m_nOffset)));
    UpdateData(false);
}

void CRawDialog::OnOK(wxCommandEvent&)
{
    if (UpdateData(true))
        EndModal(wxID_OK);
}
