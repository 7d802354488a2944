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
#include "app/dialogs/SliceDialogLayout.h"
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
    PlaceAroundSliceArea(*this, kTemplateSize, m_sbSlice);
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
    // Each drawing of the slice moves the current point and redraws the light
    // box and the 3D view, which a repaint must not do.
    PaintSliceArea(*this, m_bmArea);
}

void CTrajectoryDialog::OnHScroll(wxScrollEvent& event)
{
    SliceFromScroll(event, m_slice.CurrentSlice(), m_slice.Dim(m_slice.Axis()), m_sbSlice);
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
