#include "app/dialogs/DecimateDlg.h"

#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/xrc/xmlres.h>

#include "app/dialogs/IntegerField.h"
#include "platform/wx/SliderTicks.h"
#include "res/ControlIds.h"

wxBEGIN_EVENT_TABLE(CDecimateDlg, wxDialog)
    EVT_INIT_DIALOG(CDecimateDlg::OnInitDialog)
    EVT_SLIDER(IDC_PERCENT_SLIDER, CDecimateDlg::OnHScroll)
wxEND_EVENT_TABLE()

CDecimateDlg::CDecimateDlg(wxWindow* parent)
{
    wxXmlResource::Get()->LoadDialog(this, parent, "IDD_DECIMATE");
    m_slider = dynamic_cast<wxSlider*>(FindWindow(IDC_PERCENT_SLIDER));
    SetClientSize(ConvertDialogToPixels(wxSize(286, 93)));
    CentreOnParent();
}

std::uint32_t CDecimateDlg::TargetFor(std::uint32_t polygons, int percent)
{
    return std::uint32_t(std::uint64_t(polygons) * std::uint64_t(percent) / 100u);
}

bool CDecimateDlg::TransferDataToWindow()
{
    const struct {
        int id;
        wxString text;
    } fields[] = {{IDC_POLYGON_COUNT, wxString::Format("%u", m_nPolygons)},
                  {IDC_TARGET_COUNT, wxString::Format("%u", m_nTarget)},
                  {IDC_PERCENT_TEXT, m_strPercent}};
    for (const auto& f : fields)
        if (wxWindow* w = FindWindow(f.id); w && w->GetLabel() != f.text)
            w->SetLabel(f.text);
    return true;
}

bool CDecimateDlg::TransferDataFromWindow()
{
    // The statics hold the numbers they were given, so they read back alike.
    for (auto [id, member] : {std::pair{int(IDC_POLYGON_COUNT), &m_nPolygons}, std::pair{int(IDC_TARGET_COUNT), &m_nTarget}})
        if (wxWindow* w = FindWindow(id); w && !ParseDialogUnsigned(w->GetLabel(), *member))
            return false;
    if (wxWindow* w = FindWindow(IDC_PERCENT_TEXT))
        m_strPercent = w->GetLabel();
    return true;
}

void CDecimateDlg::OnInitDialog(wxInitDialogEvent&)
{
    TransferDataToWindow();
    m_nTarget = m_nPolygons / 2;
    if (m_slider) {
        m_slider->SetRange(1, 100);
        m_slider->SetValue(50);
        m_slider->SetTickFreq(5);
        ShowTicksOnBothSides(*m_slider, 5);
    }
    m_strPercent = "50%";
    TransferDataToWindow();
}

void CDecimateDlg::OnHScroll(wxCommandEvent&)
{
    const int p = m_slider ? m_slider->GetValue() : 50;
    m_nTarget = TargetFor(m_nPolygons, p);
    m_strPercent = wxString::Format("%d%%", p);
    TransferDataToWindow();
}
