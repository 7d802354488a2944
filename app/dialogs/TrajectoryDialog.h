#pragma once
#include <wx/bitmap.h>
#include <wx/dialog.h>

#include "app/dialogs/SliceArea.h"
#include "app/logic/LightBoxPicture.h"
#include "data/Vector3.h"

class CVexilo;
class CVolume;
class wxScrollBar;
class wxScrollEvent;

// The planner's arithmetic, without a window.

// The drawing area as a picture in client pixels: (11, 11) to (523, 523).
PixelRect TrajectoryAreaRect();

// The voxel under client pixel (x, y) of the slice drawn at `placement`:
// the shown axis keeps its current slice, the two others are
// trunc((p - start) / length * dim + 0.5), the last voxel at most.
void TrajectoryPick(const CSliceArea& slice, const SlicePlacement& placement, int x, int y, int voxel[3]);

// Where the cross-hair of the current voxel stands: image start +
// trunc(length * index / dim + 0.5) along the slice's columns and rows.
PixelPoint TrajectoryMarker(const CSliceArea& slice, const SlicePlacement& placement);

// The world point of voxel (x, y, z): x * scale - half per axis, half being
// half the rounded extent, with y counted from the far side (world y runs
// against the voxel index). A voxel size of 0 gives 0 on that axis.
CVector3 TrajectoryWorldPoint(const CSliceArea& slice, int x, int y, int z);

// What the area shows: black, the shown slice at `placement` (through the
// plane views, read once per slice), the red cross-hair at the current
// voxel, nothing outside the area.
void DrawTrajectoryArea(CSliceArea& slice, const SlicePlacement& placement, CRgbPicture& out);

// "Trajectory Planner": one slice of the current volume along X, Y or Z, on
// which a left click or drag picks a voxel. The picked voxel becomes the
// volume's current point, the start of the trajectory line, at once: the
// light box and the 3D view follow while the user picks, so "Close" keeps
// the last point too. "Process" ends the dialog with OK and the view then
// shows the trajectory. The voxels themselves are only read.
class CTrajectoryDialog : public wxDialog {
public:
    explicit CTrajectoryDialog(wxWindow* parent);
    ~CTrajectoryDialog() override;

    bool TransferDataToWindow() override;

    // The slice of the shown axis at the scroll position with the marker of
    // the current voxel, which becomes the volume's current point; the light
    // box and the 3D view are redrawn with it.
    void DrawSlice();
    // The voxel under client pixel (x, y) shown with its value; while
    // dragging it becomes the current voxel. The slice is drawn anew.
    void PickTarget(int x, int y);
    // Shows the slice across `axis` (0 x, 1 y, 2 z) at its current index.
    void SetAxis(int axis);

    CVexilo* m_pView = nullptr;   // set by the caller
    CVolume* m_pVolume = nullptr; // set by the caller: the view's current model
    // Dimensions, extents, the current voxel (one slice index per axis) and
    // the plane buffers of the three axes.
    CSliceArea m_slice;
    int m_nMarkX = -1, m_nMarkY = -1, m_nMarkZ = -1;
    int m_nPickX = 0, m_nPickY = 0, m_nPickZ = 0;
    wxRect m_rcImage; // where the slice lies: left and top inclusive
    bool m_bDragging = false;
    wxScrollBar* m_sbSlice = nullptr;
    wxString m_strPosition = "Position = (0, 0, 0)";
    wxString m_strValue = "Value = 0";

private:
    // Lays the controls around the drawing area, which keeps its pixels.
    void PlaceAroundArea();
    SlicePlacement Placement() const;
    void ShowTexts(const int voxel[3]);

    void OnInitDialog(wxInitDialogEvent& event);
    void OnPaint(wxPaintEvent& event);
    void OnHScroll(wxScrollEvent& event);
    void OnLButtonDown(wxMouseEvent& event);
    void OnLButtonUp(wxMouseEvent& event);
    void OnMouseMove(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnAxisX(wxCommandEvent& event);
    void OnAxisY(wxCommandEvent& event);
    void OnAxisZ(wxCommandEvent& event);
    void OnProcess(wxCommandEvent& event);

    CRgbPicture m_picture; // the drawing area as last drawn
    wxBitmap m_bmArea;

    wxDECLARE_EVENT_TABLE();
};
