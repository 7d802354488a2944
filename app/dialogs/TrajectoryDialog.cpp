#include "app/dialogs/TrajectoryDialog.h"

#include <algorithm>
#include <cassert>

#include <wx/dcclient.h>
#include <wx/image.h>
#include <wx/radiobut.h>
#include <wx/scrolbar.h>
#include <wx/xrc/xmlres.h>

#include "app/LightBox.h"
#include "app/ScrollBarNoKbd.h"
#include "app/Vexilo.h"
#include "data/Volume.h"
#include "platform/wx/ScrollBarStyle.h"
#include "res/ControlIds.h"

PixelRect TrajectoryAreaRect()
{
    return {kSliceAreaLeft, kSliceAreaTop, kSliceAreaLeft + kSliceAreaSize, kSliceAreaTop + kSliceAreaSize};
}

void TrajectoryPick(const CSliceArea& slice, const SlicePlacement& placement, int x, int y, int voxel[3])
{
    slice.PickVoxel(x, y, placement, placement.width, placement.height, voxel);
}

PixelPoint TrajectoryMarker(const CSliceArea& slice, const SlicePlacement& placement)
{
    const int h = slice.ColumnAxis(), v = slice.RowAxis();
    return {MarkerCoordinate(placement.left, placement.width, slice.Slice(h), slice.Dim(h)),
            MarkerCoordinate(placement.top, placement.height, slice.Slice(v), slice.Dim(v))};
}

CVector3 TrajectoryWorldPoint(const CSliceArea& slice, int x, int y, int z)
{
    const CVolume* volume = slice.m_pVolume;
    const float scale[3] = {volume ? volume->m_fScaleX : 0.0f, volume ? volume->m_fScaleY : 0.0f,
                            volume ? volume->m_fScaleZ : 0.0f};
    float half[3];
    for (int a = 0; a < 3; ++a)
        half[a] = float(slice.Extent(a)) * 0.5f;
    return {float(x) * scale[0] - half[0], float(slice.Dim(1) - y - 1) * scale[1] - half[1],
            float(z) * scale[2] - half[2]};
}

void DrawTrajectoryArea(CSliceArea& slice, const SlicePlacement& placement, CRgbPicture& out)
{
    assert(out.Area() == TrajectoryAreaRect());
    // The picture's bytes are the area's rows top down, as DrawSliceArea
    // writes them.
    static_assert(kSliceAreaBytes == kSliceAreaSize * kSliceAreaSize * 3);
    slice.Draw(placement, out.Row(kSliceAreaTop));
    if (slice.Dim(0) > 0 && slice.Dim(1) > 0 && slice.Dim(2) > 0) {
        const PixelPoint m = TrajectoryMarker(slice, placement);
        DrawCrossHair(out, m.x, m.y, kMarkerRed);
    }
}

wxBEGIN_EVENT_TABLE(CTrajectoryDialog, wxDialog)
    EVT_INIT_DIALOG(CTrajectoryDialog::OnInitDialog)
    EVT_PAINT(CTrajectoryDialog::OnPaint)
    EVT_COMMAND_SCROLL(IDC_SLICE_SCROLL, CTrajectoryDialog::OnHScroll)
    EVT_LEFT_DOWN(CTrajectoryDialog::OnLButtonDown)
    EVT_LEFT_UP(CTrajectoryDialog::OnLButtonUp)
    EVT_MOTION(CTrajectoryDialog::OnMouseMove)
    EVT_MOUSE_CAPTURE_LOST(CTrajectoryDialog::OnCaptureLost)
    EVT_RADIOBUTTON(IDC_AXIS_X, CTrajectoryDialog::OnAxisX)
    EVT_RADIOBUTTON(IDC_AXIS_Y, CTrajectoryDialog::OnAxisY)
    EVT_RADIOBUTTON(IDC_AXIS_Z, CTrajectoryDialog::OnAxisZ)
    EVT_BUTTON(IDC_PROCESS, CTrajectoryDialog::OnProcess)
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

CTrajectoryDialog::CTrajectoryDialog(wxWindow* parent) : m_picture(TrajectoryAreaRect())
{
    wxXmlResource::Get()->LoadDialog(this, parent, "IDD_TRAJECTORY");
    m_sbSlice = dynamic_cast<wxScrollBar*>(FindWindow(IDC_SLICE_SCROLL));
    if (m_sbSlice) {
        UseWindowsScrollBarClicks(*m_sbSlice);
        IgnoreScrollBarPageSteps(*m_sbSlice);
    }
    PlaceAroundArea();
    CentreOnParent();
}

CTrajectoryDialog::~CTrajectoryDialog()
{
    if (HasCapture())
        ReleaseMouse();
    m_slice.FreePlaneBuffers();
}

void CTrajectoryDialog::PlaceAroundArea()
{
    const wxRect area(kSliceAreaLeft, kSliceAreaTop, kSliceAreaSize, kSliceAreaSize);
    wxSize client = ConvertDialogToPixels(kTemplateSize);
    int bottom = area.GetBottom() + 1;
    if (m_sbSlice) {
        const int height = std::max(m_sbSlice->GetBestSize().y, ConvertDialogToPixels(wxSize(0, 10)).y);
        m_sbSlice->SetSize(area.x, bottom + 4, area.width, height);
        bottom = m_sbSlice->GetRect().GetBottom() + 1;
    }
    // The right-hand column starts clear of the area, whatever a dialog unit
    // measures with the fonts at hand.
    int left = client.x;
    for (wxWindow* child : GetChildren())
        if (child != m_sbSlice)
            left = std::min(left, child->GetPosition().x);
    const int shift = std::max(0, area.GetRight() + 1 + kGap - left);
    int right = 0;
    for (wxWindow* child : GetChildren()) {
        if (child != m_sbSlice)
            child->Move(child->GetPosition() + wxPoint(shift, 0));
        right = std::max(right, child->GetRect().GetRight() + 1);
        bottom = std::max(bottom, child->GetRect().GetBottom() + 1);
    }
    client.x = std::max(client.x, right + kGap / 2);
    client.y = std::max(client.y, bottom + kGap / 2);
    SetClientSize(client);
}

bool CTrajectoryDialog::TransferDataToWindow()
{
    SetLabelIfChanged(FindWindow(IDC_POSITION_TEXT), m_strPosition);
    SetLabelIfChanged(FindWindow(IDC_VALUE_TEXT), m_strValue);
    return true;
}

void CTrajectoryDialog::OnInitDialog(wxInitDialogEvent&)
{
    TransferDataToWindow();
    // Also reads the middle voxel of each axis as the current one.
    m_slice.Init(m_pVolume);
    if (auto* x = dynamic_cast<wxRadioButton*>(FindWindow(IDC_AXIS_X)))
        x->SetValue(true);
    // Drawn at once rather than at the first paint, so that the current
    // point, the light box and the 3D view stand at the middle voxel as soon
    // as the dialog opens.
    SetAxis(0);
}

void CTrajectoryDialog::SetAxis(int axis)
{
    m_slice.SetAxis(axis);
    if (m_sbSlice) {
        // Thumb 1, so positions run 0 .. dimension - 1; page 0, as the
        // template leaves it, so trough clicks do not move.
        m_sbSlice->SetScrollbar(m_slice.CurrentSlice(), 1, std::max(m_slice.Dim(m_slice.Axis()), 1), 0);
    }
    DrawSlice();
}

SlicePlacement CTrajectoryDialog::Placement() const
{
    return {m_rcImage.x, m_rcImage.y, m_rcImage.width, m_rcImage.height};
}

void CTrajectoryDialog::ShowTexts(const int voxel[3])
{
    const unsigned value = m_pVolume ? m_pVolume->GetVoxel(voxel[0], voxel[1], voxel[2]) : 0u;
    m_strPosition = wxString::Format("Position = (%d, %d, %d)", voxel[0], voxel[1], voxel[2]);
    m_strValue = wxString::Format("Value = %u", value);
    TransferDataToWindow();
}

void CTrajectoryDialog::DrawSlice()
{
    if (m_sbSlice)
        m_slice.SetCurrentSlice(m_sbSlice->GetThumbPosition());
    int v[3];
    m_slice.Crossing(v);
    if (m_pVolume) {
        m_pVolume->SetEntryPoint(TrajectoryWorldPoint(m_slice, v[0], v[1], v[2]), v[0], v[1], v[2]);
        if (m_pView) {
            if (m_pView->m_pLightBox)
                m_pView->m_pLightBox->SetSlicesFromCamera(true);
            m_pView->RedrawNow();
        }
    }
    const SlicePlacement p = m_slice.Fit(SliceRounding::kTruncate);
    m_rcImage = wxRect(p.left, p.top, p.width, p.height);
    DrawTrajectoryArea(m_slice, p, m_picture);
    m_nMarkX = v[0];
    m_nMarkY = v[1];
    m_nMarkZ = v[2];
    m_bmArea = wxBitmap(wxImage(kSliceAreaSize, kSliceAreaSize, m_picture.Row(kSliceAreaTop), true));
    ShowTexts(v);
    RefreshRect(wxRect(kSliceAreaLeft, kSliceAreaTop, kSliceAreaSize, kSliceAreaSize), false);
    Update();
}

void CTrajectoryDialog::PickTarget(int x, int y)
{
    int v[3];
    TrajectoryPick(m_slice, Placement(), x, y, v);
    m_nPickX = v[0];
    m_nPickY = v[1];
    m_nPickZ = v[2];
    ShowTexts(v);
    if (m_bDragging)
        for (int a = 0; a < 3; ++a)
            m_slice.m_nSlice[a] = v[a];
    DrawSlice();
}

void CTrajectoryDialog::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    const wxRect area(kSliceAreaLeft, kSliceAreaTop, kSliceAreaSize, kSliceAreaSize);
    if (GetUpdateRegion().Contains(area) == wxOutRegion)
        return;
    if (m_bmArea.IsOk()) {
        dc.DrawBitmap(m_bmArea, area.x, area.y);
    } else {
        dc.SetPen(*wxBLACK_PEN);
        dc.SetBrush(*wxBLACK_BRUSH);
        dc.DrawRectangle(area);
    }
    // Only the picture: GTK paints the dialog whenever the pointer crosses a
    // button, and each drawing of the slice moves the current point and
    // redraws the light box and the 3D view.
}

void CTrajectoryDialog::OnHScroll(wxScrollEvent& event)
{
    const int max = std::max(m_slice.Dim(m_slice.Axis()) - 1, 0);
    // GTK has moved the bar already; the step is taken from the position the
    // dialog last drew, as the Windows bar would report it. The page is 0.
    const int pos = ScrollPosition(ScrollCodeOf(event.GetEventType()), m_slice.CurrentSlice(),
                                   event.GetPosition(), 0, max, 0);
    if (m_sbSlice)
        m_sbSlice->SetThumbPosition(std::clamp(pos, 0, max));
    DrawSlice();
}

void CTrajectoryDialog::OnLButtonDown(wxMouseEvent& event)
{
    event.Skip();
    if (m_pVolume && m_rcImage.Contains(event.GetPosition())) {
        m_bDragging = true;
        if (!HasCapture())
            CaptureMouse();
        PickTarget(event.GetX(), event.GetY());
    } else {
        m_bDragging = false;
        if (HasCapture())
            ReleaseMouse();
    }
}

void CTrajectoryDialog::OnMouseMove(wxMouseEvent& event)
{
    event.Skip();
    if (m_bDragging && !m_rcImage.IsEmpty()) {
        // Dragging past an edge keeps the voxel at that edge.
        const int x = std::clamp(event.GetX(), m_rcImage.GetLeft(), m_rcImage.GetRight());
        const int y = std::clamp(event.GetY(), m_rcImage.GetTop(), m_rcImage.GetBottom());
        PickTarget(x, y);
    }
    SetCursor(m_pVolume && m_rcImage.Contains(event.GetPosition()) ? wxCursor(wxCURSOR_CROSS) : wxNullCursor);
}

void CTrajectoryDialog::OnLButtonUp(wxMouseEvent& event)
{
    event.Skip();
    m_bDragging = false;
    if (HasCapture())
        ReleaseMouse();
}

void CTrajectoryDialog::OnCaptureLost(wxMouseCaptureLostEvent&) { m_bDragging = false; }

void CTrajectoryDialog::OnAxisX(wxCommandEvent&) { SetAxis(0); }
void CTrajectoryDialog::OnAxisY(wxCommandEvent&) { SetAxis(1); }
void CTrajectoryDialog::OnAxisZ(wxCommandEvent&) { SetAxis(2); }

void CTrajectoryDialog::OnProcess(wxCommandEvent&)
{
    if (Validate() && TransferDataFromWindow())
        EndModal(wxID_OK);
}
