#pragma once
#include <cstdint>

#include "data/ContourParameters.h"
#include "platform/wx/WxDataExchange.h"

// "Active contour settings": the six contour parameters, the image kind the
// contour previews show and the contour type, read from the settings when
// the dialog opens and written back on OK only. Each parameter is checked
// against its range, so a preview can neither run without end nor produce
// values that are not finite.
class CActiveDialog : public CDdxDialog {
public:
    explicit CActiveDialog(wxWindow* parent);

    // 0 original, 1 smoothed, 2 gradient, 3 energy; 0 active contour,
    // 1 R-Snake. Values outside check no radio.
    std::int32_t m_nImageDisplayed = 0;
    std::int32_t m_nContourType = 0;
    ContourParameters m_contour;

protected:
    void DoDataExchange(CDataExchange& dx) override;

private:
    void OnInitDialog(wxInitDialogEvent& event);
    void OnOK(wxCommandEvent& event);
    void OnOriginalImage(wxCommandEvent&) { m_nImageDisplayed = 0; }
    void OnSmoothedImage(wxCommandEvent&) { m_nImageDisplayed = 1; }
    void OnGradientImage(wxCommandEvent&) { m_nImageDisplayed = 2; }
    void OnEnergyImage(wxCommandEvent&) { m_nImageDisplayed = 3; }
    void OnActiveContour(wxCommandEvent&) { m_nContourType = 0; }
    void OnRSnake(wxCommandEvent&) { m_nContourType = 1; }

    wxDECLARE_EVENT_TABLE();
};
