#pragma once
#include <cstdint>
#include <vector>

#include <wx/bitmap.h>
#include <wx/dialog.h>

#include "app/dialogs/SliceArea.h"

class CVexilo;
class CVolume;
class wxScrollBar;
class wxScrollEvent;
class wxTextCtrl;

// "Surface Generation": one slice of the volume along X, Y or Z in the fixed
// drawing area, the voxel under the mouse with its value, and the iso value
// picked by a click on a voxel or typed. "Process" ends it with OK and the
// view generates the surface at m_nIsoValue; "Close" changes nothing. The
// volume is only read.
class CSurfaceDlg : public wxDialog {
public:
    explicit CSurfaceDlg(wxWindow* parent);
    ~CSurfaceDlg() override;

    // The iso value (0..65535), the slice position and the value texts into
    // the controls, and back: a text that is no such integer is reported and
    // keeps the dialog open.
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    // The slice of the shown axis at the scroll position, drawn at once, with
    // the texts of the voxel where the three current slices cross.
    void DrawSlice();
    // The voxel under client pixel (x, y): false when the point is off the
    // slice; otherwise its position and value shown, and m_nValue set.
    bool PickVoxel(int x, int y);
    void AllocPlaneBuffers();
    void FreePlaneBuffers();

    static constexpr int kMaxIsoValue = 65535;

    CVolume* m_pVolume = nullptr; // set by the view before the dialog runs
    CVexilo* m_pView = nullptr;
    CSliceArea m_slice;
    int m_nPickX = 0, m_nPickY = 0, m_nPickZ = 0;
    wxRect m_rcImage; // where the slice lies: left and top inclusive
    std::uint16_t m_nValue = 0;
    wxScrollBar* m_scrollSlice = nullptr;
    wxString m_strPosition = "Position = (0, 0, 0)";
    wxString m_strValue = "Value = 0";
    int m_nIsoValue = 0;

private:
    // Reads the iso field quietly: a field that is not an integer keeps the
    // member, and its text stays.
    void ReadIsoValueQuietly();
    // The position and value texts, without the iso field.
    void ShowPickTexts();
    // Lays the controls around the drawing area, which keeps its pixels.
    void PlaceAroundArea();
    void ShowAxis(int axis);
    wxRect AreaRect() const;

    void OnInitDialog(wxInitDialogEvent& event);
    void OnPaint(wxPaintEvent& event);
    void OnHScroll(wxScrollEvent& event);
    void OnMouseMove(wxMouseEvent& event);
    void OnLButtonDown(wxMouseEvent& event);
    void OnAxisX(wxCommandEvent& event);
    void OnAxisY(wxCommandEvent& event);
    void OnAxisZ(wxCommandEvent& event);
    void OnProcess(wxCommandEvent& event);

    wxTextCtrl* m_editIso = nullptr;
    std::vector<std::uint8_t> m_rgb; // the drawing area as last drawn
    wxBitmap m_bmArea;

    wxDECLARE_EVENT_TABLE();
};
