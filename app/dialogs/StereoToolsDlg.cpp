#include "app/dialogs/StereoToolsDlg.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/xrc/xmlres.h>

#include "app/Vexilo.h"

namespace {
const char* const kGlassesNames[6] = {"IDC_GLASSES_RED_BLUE",  "IDC_GLASSES_RED_GREEN", "IDC_GLASSES_RED_CYAN",
                                      "IDC_GLASSES_BLUE_RED",  "IDC_GLASSES_GREEN_RED", "IDC_GLASSES_CYAN_RED"};

wxString Value(float v) { return wxString::Format("%.2f", double(v)); }
} // namespace

int StereoBarPosition(ScrollCode code, int current, int given)
{
    // The wx bar runs 0 .. kStereoBarMax with a thumb of a page, so GTK can
    // only hand back positions the owner then keeps within 1..100.
    const int p = ScrollPosition(code, current, given, kStereoBarMin, kStereoBarMax + kStereoBarPage, kStereoBarPage);
    return std::clamp(p, kStereoBarMin, kStereoBarMax);
}

wxBEGIN_EVENT_TABLE(CStereoToolsDlg, wxDialog)
    EVT_CHAR_HOOK(CStereoToolsDlg::OnCharHook)
    EVT_CLOSE(CStereoToolsDlg::OnClose)
wxEND_EVENT_TABLE()

CStereoToolsDlg::CStereoToolsDlg(CVexilo* view) : m_pView(view) {}

bool CStereoToolsDlg::Create(wxWindow* parent)
{
    if (!wxXmlResource::Get()->LoadDialog(this, parent, "IDD_STEREO_TOOLS"))
        return false;
    // In the units of the dialog's own font, which the template's size is not.
    SetClientSize(ConvertDialogToPixels(wxSize(274, 226)));
    m_sbFocal = XRCCTRL(*this, "IDC_STEREO_FOCAL", CScrollBarNoKbd);
    m_sbSeparation = XRCCTRL(*this, "IDC_STEREO_SEPARATION", CScrollBarNoKbd);
    m_stFocal = XRCCTRL(*this, "IDC_STEREO_FOCAL_VALUE", wxStaticText);
    m_stSeparation = XRCCTRL(*this, "IDC_STEREO_SEPARATION_VALUE", wxStaticText);
    m_chkOverlayLeft = XRCCTRL(*this, "IDC_OVERLAY_LEFT", wxCheckBox);
    m_chkOverlayRight = XRCCTRL(*this, "IDC_OVERLAY_RIGHT", wxCheckBox);
    m_chkFreeze = XRCCTRL(*this, "IDC_FREEZE_VIDEO", wxCheckBox);
    m_spinX = XRCCTRL(*this, "IDC_OFFSET_X", wxSpinCtrl);
    m_spinY = XRCCTRL(*this, "IDC_OFFSET_Y", wxSpinCtrl);
    m_spinZ = XRCCTRL(*this, "IDC_OFFSET_Z", wxSpinCtrl);
    m_sliderFader = XRCCTRL(*this, "IDC_FADER", wxSlider);
    auto* dual = XRCCTRL(*this, "IDC_STEREO_DUAL", wxRadioButton);
    auto* anaglyph = XRCCTRL(*this, "IDC_STEREO_ANAGLYPH", wxRadioButton);
    auto* defaults = XRCCTRL(*this, "IDC_STEREO_DEFAULTS", wxButton);
    if (!m_sbFocal || !m_sbSeparation || !m_stFocal || !m_stSeparation || !m_chkOverlayLeft || !m_chkOverlayRight ||
        !m_chkFreeze || !m_spinX || !m_spinY || !m_spinZ || !m_sliderFader || !dual || !anaglyph || !defaults)
        return false;
    for (const char* name : kGlassesNames) {
        auto* radio = XRCCTRL(*this, name, wxRadioButton);
        if (!radio)
            return false;
        radio->Bind(wxEVT_RADIOBUTTON, &CStereoToolsDlg::OnGlasses, this);
    }
    SetBars(kFocalBarStart, kSeparationBarStart);
    const wxEventTypeTag<wxScrollEvent> scrolls[] = {
        wxEVT_SCROLL_LINEUP,     wxEVT_SCROLL_LINEDOWN,     wxEVT_SCROLL_PAGEUP, wxEVT_SCROLL_PAGEDOWN,
        wxEVT_SCROLL_THUMBTRACK, wxEVT_SCROLL_THUMBRELEASE, wxEVT_SCROLL_TOP,    wxEVT_SCROLL_BOTTOM,
        wxEVT_SCROLL_CHANGED};
    for (CScrollBarNoKbd* bar : {m_sbFocal, m_sbSeparation})
        for (const auto& type : scrolls)
            bar->Bind(type, &CStereoToolsDlg::OnScroll, this);
    dual->Bind(wxEVT_RADIOBUTTON, &CStereoToolsDlg::OnDual, this);
    anaglyph->Bind(wxEVT_RADIOBUTTON, &CStereoToolsDlg::OnAnaglyph, this);
    defaults->Bind(wxEVT_BUTTON, &CStereoToolsDlg::OnDefaults, this);
    for (wxSpinCtrl* spin : {m_spinX, m_spinY, m_spinZ})
        spin->Bind(wxEVT_SPINCTRL, &CStereoToolsDlg::OnSpin, this);
    ShowValues();
    m_bInitialised = true;
    Show();
    return true;
}

void CStereoToolsDlg::SetBars(int focal, int separation)
{
    m_sbFocal->SetScrollbar(focal, kStereoBarPage, kStereoBarMax + kStereoBarPage, kStereoBarPage);
    m_sbSeparation->SetScrollbar(separation, kStereoBarPage, kStereoBarMax + kStereoBarPage, kStereoBarPage);
}

void CStereoToolsDlg::GetSettings(StereoSettings& s) const
{
    s.focalFraction = float(m_sbFocal ? m_sbFocal->GetThumbPosition() : kFocalBarStart) * 0.01f;
    s.separationFraction = float(m_sbSeparation ? m_sbSeparation->GetThumbPosition() : kSeparationBarStart) * 0.01f;
    s.fader = float(m_sliderFader ? m_sliderFader->GetValue() : 50) * 0.01f;
    s.method = m_nMethod;
    s.glasses = m_nGlasses;
    s.overlayLeft = m_chkOverlayLeft && m_chkOverlayLeft->GetValue();
    s.overlayRight = m_chkOverlayRight && m_chkOverlayRight->GetValue();
    s.freeze = m_chkFreeze && m_chkFreeze->GetValue();
    s.offsetX = m_spinX ? m_spinX->GetValue() : 0;
    s.offsetY = m_spinY ? m_spinY->GetValue() : 0;
    s.offsetZ = m_spinZ ? m_spinZ->GetValue() : 0;
}

void CStereoToolsDlg::ShowValues()
{
    if (!m_pView || !m_stFocal || !m_stSeparation)
        return;
    // What the stereo window draws with, so that moving a bar moves its
    // number; at the start positions these are the base values.
    m_stFocal->SetLabel(Value(m_pView->m_fStereoFocal));
    m_stSeparation->SetLabel(Value(m_pView->m_fStereoSeparation));
}

void CStereoToolsDlg::UpdateView()
{
    if (m_pView)
        m_pView->UpdateStereo();
    ShowValues();
}

void CStereoToolsDlg::OnScroll(wxScrollEvent& event)
{
    auto* bar = dynamic_cast<CScrollBarNoKbd*>(event.GetEventObject());
    if (bar != m_sbFocal && bar != m_sbSeparation)
        return;
    const int position = StereoBarPosition(ScrollCodeOf(event.GetEventType()), bar->GetThumbPosition(),
                                           event.GetPosition());
    bar->SetThumbPosition(position);
    UpdateView();
}

void CStereoToolsDlg::OnDual(wxCommandEvent&)
{
    m_nMethod = kStereoDualViewports;
    m_chkOverlayLeft->Disable();
    m_chkOverlayRight->Disable();
    m_chkFreeze->Disable();
    if (m_pView)
        m_pView->UpdateStereo();
}

void CStereoToolsDlg::OnAnaglyph(wxCommandEvent&)
{
    m_nMethod = kStereoAnaglyph;
    m_bOverlayLeft = m_bOverlayRight = false;
    m_chkOverlayLeft->SetValue(false);
    m_chkOverlayRight->SetValue(false);
    m_chkOverlayLeft->Disable();
    m_chkOverlayRight->Disable();
    if (m_pView)
        m_pView->UpdateStereo();
}

void CStereoToolsDlg::OnGlasses(wxCommandEvent& event)
{
    for (int i = 0; i < 6; ++i)
        if (event.GetId() == wxXmlResource::GetXRCID(kGlassesNames[i]))
            m_nGlasses = i;
    if (m_nMethod == kStereoAnaglyph && m_pView)
        m_pView->UpdateStereo();
}

void CStereoToolsDlg::OnDefaults(wxCommandEvent&)
{
    SetBars(kFocalBarStart, kSeparationBarStart);
    UpdateView();
}

void CStereoToolsDlg::OnSpin(wxSpinEvent&)
{
    m_nOffsetX = m_spinX->GetValue();
    m_nOffsetY = m_spinY->GetValue();
    m_nOffsetZ = m_spinZ->GetValue();
}

// Not skipped: neither the controls nor the dialog's own keys see it.
void CStereoToolsDlg::OnCharHook(wxKeyEvent&) {}

void CStereoToolsDlg::OnClose(wxCloseEvent&)
{
    // The two windows open and close together.
    if (m_pView)
        m_pView->CloseStereoDialogs();
    else
        Destroy();
}
