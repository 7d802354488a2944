#pragma once
#include <wx/panel.h>

class CVexilo;
class wxScrollEvent;
class wxSlider;

// The frame-slider bar along the bottom of the main frame: one trackbar
// that selects the current frame of a series.
class CSliderDlg : public wxPanel {
public:
    CSliderDlg() = default;

    // Builds the bar from its XRC template; range 0..0, position 0.
    bool Create(wxWindow* parent);

    wxSlider* GetSlider() const;

private:
    void OnHScroll(wxScrollEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnPaint(wxPaintEvent& event);

    CVexilo* m_pView = nullptr;

    wxDECLARE_EVENT_TABLE();
};
