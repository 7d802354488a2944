#include "app/dialogs/ActiveDialog.h"

#include <stdexcept>

#include <wx/radiobut.h>
#include <wx/xrc/xmlres.h>

#include "data/AppSettings.h"

namespace {
const char* const kImageRadios[] = {"IDC_IMAGE_ORIGINAL", "IDC_IMAGE_SMOOTHED", "IDC_IMAGE_GRADIENT",
                                    "IDC_IMAGE_ENERGY"};
const char* const kTypeRadios[] = {"IDC_TYPE_ACTIVE", "IDC_TYPE_RSNAKE"};

// Chooses radio `value` of a group, or the group's hidden radio (none shown
// chosen) for a value it has no radio for.
template <std::size_t N> void CheckRadio(wxWindow& dialog, const char* const (&radios)[N], const char* none, int value)
{
    const char* name = value >= 0 && value < int(N) ? radios[value] : none;
    if (auto* radio = dynamic_cast<wxRadioButton*>(dialog.FindWindow(wxXmlResource::GetXRCID(name))))
        radio->SetValue(true);
}
} // namespace

wxBEGIN_EVENT_TABLE(CActiveDialog, CDdxDialog)
    EVT_INIT_DIALOG(CActiveDialog::OnInitDialog)
    EVT_BUTTON(wxID_OK, CActiveDialog::OnOK)
    EVT_RADIOBUTTON(XRCID("IDC_IMAGE_ORIGINAL"), CActiveDialog::OnOriginalImage)
    EVT_RADIOBUTTON(XRCID("IDC_IMAGE_SMOOTHED"), CActiveDialog::OnSmoothedImage)
    EVT_RADIOBUTTON(XRCID("IDC_IMAGE_GRADIENT"), CActiveDialog::OnGradientImage)
    EVT_RADIOBUTTON(XRCID("IDC_IMAGE_ENERGY"), CActiveDialog::OnEnergyImage)
    EVT_RADIOBUTTON(XRCID("IDC_TYPE_ACTIVE"), CActiveDialog::OnActiveContour)
    EVT_RADIOBUTTON(XRCID("IDC_TYPE_RSNAKE"), CActiveDialog::OnRSnake)
wxEND_EVENT_TABLE()

CActiveDialog::CActiveDialog(wxWindow* parent)
{
    if (!wxXmlResource::Get()->LoadDialog(this, parent, "IDD_ACTIVE_SETTINGS"))
        throw std::runtime_error("dialog template IDD_ACTIVE_SETTINGS missing");
    SetClientSize(ConvertDialogToPixels(wxSize(341, 124)));
    CentreOnParent();
}

void CActiveDialog::DoDataExchange(CDataExchange& dx)
{
    ContourParameters& c = m_contour;
    dx.Text("IDC_ACTIVE_SEGMENT_LENGTH", c.m_fSegmentLength, kSegmentLengthRange.min, kSegmentLengthRange.max);
    dx.Text("IDC_ACTIVE_EXTERNAL", c.m_fExternalWeight, kContourWeightRange.min, kContourWeightRange.max);
    dx.Text("IDC_ACTIVE_INTERNAL", c.m_fInternalWeight, kContourWeightRange.min, kContourWeightRange.max);
    dx.Text("IDC_ACTIVE_DAMPING", c.m_fDampingWeight, kContourWeightRange.min, kContourWeightRange.max);
    dx.Text("IDC_ACTIVE_MASS", c.m_fPointMass, kPointMassRange.min, kPointMassRange.max);
    dx.Text("IDC_ACTIVE_DELTA", c.m_fDelta, kDeltaRange.min, kDeltaRange.max);
}

void CActiveDialog::OnInitDialog(wxInitDialogEvent&)
{
    const CAppSettings* s = CAppSettings::GetInstance();
    m_contour = s->m_contour;
    m_nImageDisplayed = s->m_nImageDisplayed;
    m_nContourType = s->m_nContourType;
    CheckRadio(*this, kImageRadios, "IDC_IMAGE_NONE", m_nImageDisplayed);
    CheckRadio(*this, kTypeRadios, "IDC_TYPE_NONE", m_nContourType);
    UpdateData(false);
}

void CActiveDialog::OnOK(wxCommandEvent&)
{
    // A refused field has shown its message; the settings stay as they are.
    if (!UpdateData(true))
        return;
    CAppSettings* s = CAppSettings::GetInstance();
    s->m_contour = m_contour;
    s->m_nImageDisplayed = m_nImageDisplayed;
    s->m_nContourType = m_nContourType;
    s->m_bRSnake = m_nContourType == 1;
    EndModal(wxID_OK);
}
