#pragma once
#include <cstdint>

#include <wx/dialog.h>

class wxScrollEvent;
class wxSlider;

// "Mesh Decimation": the mesh's polygon count, a percentage of it chosen
// with a slider (1 .. 100, 50 at start) and the target polygon count that
// gives. On OK the view decimates the mesh to m_nTarget.
class CDecimateDlg : public wxDialog {
public:
    explicit CDecimateDlg(wxWindow* parent);

    // The two counts and the percentage text into the controls, and back
    // (the counts read from what their fields show).
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    // polygons x percent / 100, truncated, in 64 bits so that a large mesh
    // cannot overflow the product.
    static std::uint32_t TargetFor(std::uint32_t polygons, int percent);

    std::uint32_t m_nPolygons = 0; // set by the view before the dialog runs
    std::uint32_t m_nTarget = 0;
    wxString m_strPercent;
    wxSlider* m_slider = nullptr;

private:
    void OnInitDialog(wxInitDialogEvent& event);
    void OnHScroll(wxCommandEvent& event);

    wxDECLARE_EVENT_TABLE();
};
