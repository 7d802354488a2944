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
#include "app/dialogs/SliceDialogLayout.h"
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
    PlaceAroundSliceArea(*this, kTemplateSize, m_scrollSlice);
}

void CSurfaceDlg::AllocPlaneBuffers() { m_slice.AllocPlaneBuffers(); }

void CSurfaceDlg::FreePlaneBuffers() { m_slice.FreePlaneBuffers(); }

bool CSurfaceDlg::TransferDataToWindow()
{
    ShowPickTexts();
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
    // Any integer is taken as typed, so that a redraw shows it again and
    // Process refuses it if it is out of range.
    int value = 0;
    if (m_editIso && ParseDialogInt(m_editIso->GetValue(), value))
        m_nIsoValue = value;
}

void CSurfaceDlg::ShowPickTexts()
{
    SetLabelIfChanged(FindWindow(IDC_POSITION_TEXT), m_strPosition);
    SetLabelIfChanged(FindWindow(IDC_VALUE_TEXT), m_strValue);
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
    // Not the iso field: what it holds stays as typed (a value being typed,
    // or one that is not yet a number) until a click or Process.
    ShowPickTexts();
    return true;
}

void CSurfaceDlg::OnPaint(wxPaintEvent&)
{
    // Rewriting the iso field from a repaint would take back what the user is
    // typing; the slice's own redraws (opening, scrolling, a new axis) do.
    PaintSliceArea(*this, m_bmArea);
}

void CSurfaceDlg::OnHScroll(wxScrollEvent& event)
{
    SliceFromScroll(event, m_slice.CurrentSlice(), m_slice.Dim(m_slice.Axis()), m_scrollSlice);
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
