#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <wx/bitmap.h>
#include <wx/timer.h>

#include "app/dialogs/MarkerView.h"
#include "app/dialogs/SliceArea.h"
#include "platform/wx/WxDataExchange.h"

class CSliceImage;
class CVexilo;
class CVolume;
class CWatershed;
class wxListBox;
class wxScrollBar;
class wxScrollEvent;

// "Volume Segmentation": one slice of an 8-bit volume along X, Y or Z in the
// fixed drawing area, seeds placed inside the object with the left button
// and outside it with the right, straight into the volume's seed lists (so
// they outlive the dialog whichever button closes it), the two lists with
// removal, and a preview of the shown slice while the left button is held on
// "Preview": a 2D watershed from the slice's seeds, optionally refined by
// active contours that move on every tick of timer 1. "Process" ends it with
// OK; the view then segments the whole volume with the two options.
class CMarkerDlg : public CDdxDialog {
public:
    static constexpr int kPreviewTimer = 1;

    explicit CMarkerDlg(wxWindow* parent);
    ~CMarkerDlg() override;

    // Reads the checks and the scroll position, (re)loads the shown slice
    // when needed (segmenting it while a preview runs), and draws the area,
    // the contours or seeds, the texts and the buttons' states.
    void DrawSlice();
    // The voxel under client pixel (x, y): false off the slice; otherwise its
    // position and value shown.
    bool PickVoxel(int x, int y);
    void FillPointLists(bool in, bool out);
    void AllocPlaneBuffers();
    void FreePlaneBuffers();
    void UpdateButtons();
    // Starts a preview as a press on "Preview" does, at client pixel (x, y)
    // of the dialog: false when the press is not on an enabled Preview.
    bool PressPreview(int x, int y);
    // Ends a preview as the button's release does.
    void ReleasePreview();

    CVolume* m_pVolume = nullptr; // set by the view before the dialog runs
    CVexilo* m_pView = nullptr;
    CSliceArea m_slice;
    std::unique_ptr<CWatershed> m_pWatershed;
    std::unique_ptr<CSliceImage> m_pSliceImage;
    int m_anPick[3] = {0, 0, 0}; // the voxel under the mouse
    MarkerViewRect m_rcView;
    wxRect m_rcPreview;
    std::vector<SeedPoint>* m_pInPoints = nullptr;
    std::vector<SeedPoint>* m_pOutPoints = nullptr;
    bool m_bInOnSlice = false, m_bOutOnSlice = false, m_bPreviewing = false;
    wxTimer m_timer; // the preview's ticks, while contours move
    wxScrollBar* m_scrollSlice = nullptr;
    wxListBox* m_listIn = nullptr;
    wxListBox* m_listOut = nullptr;

    std::int32_t m_bInvert = 0;
    std::int32_t m_bReapplyTexture = 1;
    std::int32_t m_bHighlightContours = 1;
    std::int32_t m_bShowMeans = 0;
    std::int32_t m_bUseActiveContours = 0;
    std::string m_strPosition = "Position = (0, 0, 0)";
    std::string m_strValue = "Value = 0";
    std::string m_strStatus;
    // The drawing area as last drawn.
    CRgbPicture m_picture;

protected:
    void DoDataExchange(CDataExchange& dx) override;

private:
    void PlaceAroundArea();
    void ShowAxis(int axis);
    wxRect AreaRect() const;
    // Loads the shown slice into its plane buffer when it holds another.
    void LoadPlane();
    void StartPreviewDraw();
    void StartTimer();
    void StopTimer();
    void AddPoint(std::vector<SeedPoint>& list, wxListBox* box, int x, int y);
    void RemovePoint(std::vector<SeedPoint>* list, wxListBox* box, bool in);
    void SetContourControls();

    void OnInitDialog(wxInitDialogEvent& event);
    void OnPaint(wxPaintEvent& event);
    void OnHScroll(wxScrollEvent& event);
    void OnMouseMove(wxMouseEvent& event);
    void OnLButtonDown(wxMouseEvent& event);
    void OnLButtonUp(wxMouseEvent& event);
    void OnRButtonDown(wxMouseEvent& event);
    void OnPreviewDown(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnTimer(wxTimerEvent& event);
    void OnAxisX(wxCommandEvent& event);
    void OnAxisY(wxCommandEvent& event);
    void OnAxisZ(wxCommandEvent& event);
    void OnRemoveInPoint(wxCommandEvent& event);
    void OnRemoveOutPoint(wxCommandEvent& event);
    void OnInListSelChange(wxCommandEvent& event);
    void OnOutListSelChange(wxCommandEvent& event);
    void OnUseActiveContours(wxCommandEvent& event);
    void OnSettings(wxCommandEvent& event);
    void OnContourDisplay(wxCommandEvent& event);
    void OnProcess(wxCommandEvent& event);

    wxBitmap m_bmArea;

    wxDECLARE_EVENT_TABLE();
};
