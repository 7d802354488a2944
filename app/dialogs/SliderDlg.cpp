#include "app/dialogs/SliderDlg.h"

#include <algorithm>

#include <wx/dcclient.h>
#include <wx/settings.h>
#include <wx/slider.h>
#include <wx/xrc/xmlres.h>

#include "app/MainFrame.h"
#include "app/Vexilo.h"
#include "res/CommandIds.h"

wxBEGIN_EVENT_TABLE(CSliderDlg, wxPanel)
    EVT_COMMAND_SCROLL(IDC_FRAME_SLIDER, CSliderDlg::OnHScroll)
    EVT_SIZE(CSliderDlg::OnSize)
    EVT_PAINT(CSliderDlg::OnPaint)
wxEND_EVENT_TABLE()

bool CSliderDlg::Create(wxWindow* parent)
{
    if (!wxXmlResource::Get()->LoadPanel(this, parent, "IDD_SLIDER"))
        return false;
    wxSlider* slider = GetSlider();
    if (!slider)
        return false;
    slider->SetRange(0, 0);
    slider->SetValue(0);
    // GTK cannot hold the empty range 0..0 (it makes it 0..1), so the bar
    // stays disabled until a load gives it frames to choose from.
    Disable();
    return true;
}

wxSlider* CSliderDlg::GetSlider() const
{
    return dynamic_cast<wxSlider*>(FindWindow(IDC_FRAME_SLIDER));
}

void CSliderDlg::OnHScroll(wxScrollEvent& event)
{
    if (!m_pView)
        m_pView = GetViewPane();
    if (m_pView)
        m_pView->SetCurrentFrame(GetSlider()->GetValue());
    event.Skip();
}

void CSliderDlg::OnSize(wxSizeEvent& event)
{
    event.Skip();
    if (wxSlider* slider = GetSlider()) {
        // The trackbar spans the bar less a margin, at its template position;
        // 20 pixels high where GTK's scale fits in that.
        int height = std::max(20, slider->GetBestSize().GetHeight());
        slider->SetSize(slider->GetPosition().x, slider->GetPosition().y, GetSize().GetWidth() - 22, height);
        slider->Show();
    }
}

void CSliderDlg::OnPaint(wxPaintEvent&)
{
    // The bar's top border, which sets it off from the panes above.
    wxPaintDC dc(this);
    dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_3DSHADOW)));
    dc.DrawLine(0, 0, GetClientSize().GetWidth(), 0);
}
