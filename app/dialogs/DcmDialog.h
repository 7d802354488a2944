#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/wx/WxDataExchange.h"

class DicomImage;
class wxCheckBox;
class wxTextCtrl;

// "Review DICOM format": what the probe found, a 128 x 128 preview of the
// chosen file under the window shown, and the size, window and voxel
// scaling to load with. It changes nothing itself; the factory reads the
// members after OK. It has no Cancel: the close box and Escape end it
// without OK.
class CDcmDialog : public CDdxDialog {
public:
    static constexpr int kPreviewSize = 128;

    // Template 142; the members at their defaults.
    explicit CDcmDialog(wxWindow* parent);

    // The window the dialog opens with: the image's full value range, or the
    // first window stored in the file when there is one; a width below 1
    // becomes 1.
    struct OpeningWindow {
        double min = 0.0, max = 0.0;
        double centre = 0.0, width = 1.0;
        // The preview had one value only and no stored window: its window
        // is a stand-in of width 1 that says nothing of the other slices.
        bool uniform = false;
    };
    // Leaves `image` set to that window. No image gives the defaults.
    static OpeningWindow FindOpeningWindow(DicomImage* image);
    // The image under the window (level, width) as top-down RGB rows,
    // width x height x 3 bytes; empty when the toolkit renders nothing.
    static std::vector<std::uint8_t> RenderPreview(DicomImage& image, int level, int width);

    wxWindow* m_stcPreview = nullptr;
    // The pixels of the last preview drawn, as RenderPreview gives them.
    std::vector<std::uint8_t> m_pPreviewBits;
    // The preview image set by the factory, which keeps it.
    DicomImage* m_pPreviewImage = nullptr;
    std::string m_strMessage;
    std::int32_t m_nNewY = 0;
    std::int32_t m_nNewX = 0;
    std::int32_t m_nWindowLevel = 0;
    std::int32_t m_nWindowWidth = 0;
    CSpinBuddy m_spnLevel, m_spnWidth;
    wxCheckBox* m_btnAuto = nullptr;
    std::int32_t m_bAuto = 0;
    wxTextCtrl* m_edtLevel = nullptr;
    wxTextCtrl* m_edtWidth = nullptr;
    float m_fScaleX = 1.0f, m_fScaleY = 1.0f, m_fScaleZ = 1.0f;
    // The slices the series loads as, set by the factory: with the image's
    // size (the new X and Y it opens with) they bound the scalings.
    std::int64_t m_nSlices = 1;

    // Previews drawn since the dialog opened.
    int PreviewsDrawn() const { return m_nPreviews; }

protected:
    void DoDataExchange(CDataExchange& dx) override;

private:
    void OnInitDialog(wxInitDialogEvent& event);
    void OnPaintPreview(wxPaintEvent& event);
    void OnWindowChanged(wxCommandEvent& event);
    void OnAuto(wxCommandEvent& event);
    void OnOK(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnClose(wxCloseEvent& event);
    // The level and width the edits show, without validation: the last
    // valid pair when either is not a number or the width is below 1.
    void ShownWindow(int& level, int& width);

    int m_nSourceX = 1, m_nSourceY = 1;
    int m_nLastLevel = 0, m_nLastWidth = 1;
    // The stand-in window of a uniform preview, while the user keeps it.
    bool m_bStandInWindow = false;
    int m_nOpeningLevel = 0, m_nOpeningWidth = 1;
    int m_nPreviews = 0;

    wxDECLARE_EVENT_TABLE();
};
