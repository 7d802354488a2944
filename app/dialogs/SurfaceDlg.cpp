#include "app/dialogs/SurfaceDlg.h"

#include <algorithm>

#include <wx/dcclient.h>
#include <wx/image.h>
#include <wx/radiobut.h>
#include <wx/scrolbar.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "app/dialogs/IntegerField.h"
#include "data/Volume.h"
#include "platform/wx/ScrollBarStyle.h"
#include "res/ControlIds.h"

wxBEGIN_EVENT_TABLE(CSurfaceDlg, wxDialog)
    EVT_INIT_DIALOG(CSurfaceDlg::OnInitDialog)
    EVT_PAINT(CSurfaceDlg::OnPaint)
    EVT_COMMAND_SCROLL(IDC_SLICE_SCROLL, CSurfaceDlg::OnHScroll)
    EVT_MOTION(CSurfaceDlg::OnMouseMove)
    EVT_LEFT_DOWN(CSurfaceDlg::OnLButtonDown)
    EVT_RADIOBUTTON(IDC_AXIS_X, CSurfaceDlg::OnAxisX)
    EVT_RADIOBUTTON(IDC_AXIS_Y, CSurfaceDlg::OnAxisY)
    EVT_RADIOBUTTON(IDC_AXIS_Z, CSurfaceDlg::OnAxisZ)
    EVT_BUTTON(IDC_PROCESS, CSurfaceDlg::OnProcess)
wxEND_EVENT_TABLE()

namespace {
const wxSize kTemplateSize(466, 343); // dialog units
// Pixels kept clear between the drawing area and the controls beside it.
constexpr int kGap = 12;

void SetLabelIfChanged(wxWindow* window, const wxString& text)
{
    // A label set while GTK draws asks for another draw; only a change does.
    if (window && window->GetLabel() != text)
        window->SetLabel(text);
}
} // namespace

CSurfaceDlg::CSurfaceDlg(wxWindow* parent) : m_rgb(kSliceAreaBytes, 0)
{
    wxXmlResource::Get()->LoadDialog(this, parent, "IDD_SURFACE");
    m_scrollSlice = dynamic_cast<wxScrollBar*>(FindWindow(IDC_SLICE_SCROLL));
    m_editIso = dynamic_cast<wxTextCtrl*>(FindWindow(IDC_ISO_VALUE));
    if (m_scrollSlice) {
        UseWindowsScrollBarClicks(*m_scrollSlice);
        IgnoreScrollBarPageSteps(*m_scrollSlice);
    }
    if (m_editIso) {
        // Digits only, as typed; pasted text is checked when it is read.
        m_editIso->Bind(wxEVT_CHAR, [](wxKeyEvent& e) {
            const int c = e.GetUnicodeKey();
            if (c == WXK_NONE || c < ' ' || (c >= '0' && c <= '9') || e.HasAnyModifiers())
                e.Skip();
        });
    }
    PlaceAroundArea();
    CentreOnParent();
}

CSurfaceDlg::~CSurfaceDlg() { FreePlaneBuffers(); }

wxRect CSurfaceDlg::AreaRect() const
{
    return wxRect(kSliceAreaLeft, kSliceAreaTop, kSliceAreaSize, kSliceAreaSize);
}

void CSurfaceDlg::PlaceAroundArea()
{
    const wxRect area = AreaRect();
    wxSize client = ConvertDialogToPixels(kTemplateSize);
    int bottom = area.GetBottom() + 1;
    if (m_scrollSlice) {
        const int height = std::max(m_scrollSlice->GetBestSize().y, ConvertDialogToPixels(wxSize(0, 10)).y);
        m_scrollSlice->SetSize(area.x, bottom + 4, area.width, height);
        bottom = m_scrollSlice->GetRect().GetBottom() + 1;
    }
    // The right-hand column starts clear of the area, whatever a dialog unit
    // measures with the fonts at hand.
    int left = client.x;
    for (wxWindow* child : GetChildren())
        if (child != m_scrollSlice)
            left = std::min(left, child->GetPosition().x);
    const int shift = std::max(0, area.GetRight() + 1 + kGap - left);
    int right = 0;
    for (wxWindow* child : GetChildren()) {
        if (child != m_scrollSlice)
            child->Move(child->GetPosition() + wxPoint(shift, 0));
        right = std::max(right, child->GetRect().GetRight() + 1);
        bottom = std::max(bottom, child->GetRect().GetBottom() + 1);
    }
    client.x = std::max(client.x, right + kGap / 2);
    client.y = std::max(client.y, bottom + kGap / 2);
    SetClientSize(client);
}

void CSurfaceDlg::AllocPlaneBuffers() { m_slice.AllocPlaneBuffers(); }

void CSurfaceDlg::FreePlaneBuffers() { m_slice.FreePlaneBuffers(); }

bool CSurfaceDlg::TransferDataToWindow()
{
    SetLabelIfChanged(FindWindow(IDC_POSITION_TEXT), m_strPosition);
    SetLabelIfChanged(FindWindow(IDC_VALUE_TEXT), m_strValue);
    if (m_editIso) {
        const wxString iso = wxString::Format("%d", m_nIsoValue);
        if (m_editIso->GetValue() != iso)
            m_editIso->ChangeValue(iso);
    }
    return true;
}

bool CSurfaceDlg::TransferDataFromWindow()
{
    return !m_editIso || ReadIntegerField(*m_editIso, m_nIsoValue, 0, kMaxIsoValue);
}

void CSurfaceDlg::ReadIsoValueQuietly()
{
    int value = 0;
    if (m_editIso && ParseDialogInt(m_editIso->GetValue(), value) && value >= 0 && value <= kMaxIsoValue)
        m_nIsoValue = value;
}

void CSurfaceDlg::OnInitDialog(wxInitDialogEvent&)
{
    TransferDataToWindow();
    m_slice.Init(m_pVolume);
    ShowAxis(0);
    if (auto* x = dynamic_cast<wxRadioButton*>(FindWindow(IDC_AXIS_X)))
        x->SetValue(true);
}

void CSurfaceDlg::ShowAxis(int axis)
{
    m_slice.SetAxis(axis);
    if (m_scrollSlice) {
        // Thumb 1, so positions run 0 .. dimension - 1; page 0, as the
        // template leaves it, so trough clicks do not move.
        m_scrollSlice->SetScrollbar(m_slice.Slice(axis), 1, std::max(m_slice.Dim(axis), 1), 0);
    }
    DrawSlice();
}

void CSurfaceDlg::DrawSlice()
{
    if (m_scrollSlice)
        m_slice.SetCurrentSlice(m_scrollSlice->GetThumbPosition());
    int v[3];
    m_slice.Crossing(v);
    const unsigned value = m_pVolume ? m_pVolume->GetVoxel(v[0], v[1], v[2]) : 0u;
    const SlicePlacement p = m_slice.Fit(SliceRounding::kTruncate);
    m_rcImage = wxRect(p.left, p.top, p.width, p.height);
    m_slice.Draw(p, m_rgb.data());
    m_bmArea = wxBitmap(wxImage(kSliceAreaSize, kSliceAreaSize, m_rgb.data(), true));
    m_strPosition = wxString::Format("Position = (%d, %d, %d)", v[0], v[1], v[2]);
    m_strValue = wxString::Format("Value = %u", value);
    TransferDataToWindow();
    RefreshRect(AreaRect(), false);
    Update();
}

bool CSurfaceDlg::PickVoxel(int x, int y)
{
    m_nValue = 0;
    ReadIsoValueQuietly();
    if (!m_rcImage.Contains(x, y))
        return false;
    const SlicePlacement p{m_rcImage.x, m_rcImage.y, m_rcImage.width, m_rcImage.height};
    int v[3];
    m_slice.PickVoxel(x, y, p, m_rcImage.width, m_rcImage.height, v);
    m_nPickX = v[0];
    m_nPickY = v[1];
    m_nPickZ = v[2];
    m_nValue = m_pVolume ? m_pVolume->GetVoxel(v[0], v[1], v[2]) : 0;
    m_strPosition = wxString::Format("Position = (%d, %d, %d)", v[0], v[1], v[2]);
    m_strValue = wxString::Format("Value = %u", unsigned(m_nValue));
    TransferDataToWindow();
    return true;
}

void CSurfaceDlg::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    const wxRect area = AreaRect();
    if (GetUpdateRegion().Contains(area) == wxOutRegion)
        return;
    if (m_bmArea.IsOk()) {
        dc.DrawBitmap(m_bmArea, area.x, area.y);
    } else {
        dc.SetPen(*wxBLACK_PEN);
        dc.SetBrush(*wxBLACK_BRUSH);
        dc.DrawRectangle(area);
    }
    // Only the picture: GTK redraws the whole dialog whenever the pointer
    // crosses a button or the focus moves, and rewriting the iso field from
    // here would take back what the user is typing. The slice's own redraws
    // (opening, scrolling, a new axis) rewrite it.
}

void CSurfaceDlg::OnHScroll(wxScrollEvent& event)
{
    const int axis = m_slice.Axis();
    const int min = 0, max = std::max(m_slice.Dim(axis) - 1, 0);
    // GTK has moved the bar already; the step is taken from the position the
    // dialog last drew, as the Windows bar would report it.
    int pos = m_slice.CurrentSlice();
    const wxEventType type = event.GetEventType();
    if (type == wxEVT_SCROLL_LINEUP)
        pos = std::max(pos - 1, min);
    else if (type == wxEVT_SCROLL_LINEDOWN)
        pos = std::min(pos + 1, max);
    else if (type == wxEVT_SCROLL_TOP)
        pos = min;
    else if (type == wxEVT_SCROLL_BOTTOM)
        pos = max;
    else if (type == wxEVT_SCROLL_THUMBTRACK || type == wxEVT_SCROLL_THUMBRELEASE)
        pos = std::clamp(event.GetPosition(), min, max);
    // Page steps move by the page size, which is 0; anything else stays.
    if (m_scrollSlice)
        m_scrollSlice->SetThumbPosition(pos);
    DrawSlice();
}

void CSurfaceDlg::OnMouseMove(wxMouseEvent& event)
{
    if (m_pVolume) {
        PickVoxel(event.GetX(), event.GetY());
        SetCursor(m_rcImage.Contains(event.GetPosition()) ? wxCursor(wxCURSOR_CROSS) : wxNullCursor);
    }
    event.Skip();
}

void CSurfaceDlg::OnLButtonDown(wxMouseEvent& event)
{
    if (m_pVolume && m_rcImage.Contains(event.GetPosition())) {
        PickVoxel(event.GetX(), event.GetY());
        m_nIsoValue = m_nValue;
        TransferDataToWindow();
    }
    event.Skip();
}

void CSurfaceDlg::OnAxisX(wxCommandEvent&) { ShowAxis(0); }
void CSurfaceDlg::OnAxisY(wxCommandEvent&) { ShowAxis(1); }
void CSurfaceDlg::OnAxisZ(wxCommandEvent&) { ShowAxis(2); }

void CSurfaceDlg::OnProcess(wxCommandEvent&)
{
    if (TransferDataFromWindow())
        EndModal(wxID_OK);
}
