#pragma once
#include <cstdint>
#include <vector>

#include <wx/bitmap.h>

#include "app/logic/RSnakeView.h"
#include "platform/wx/WxDataExchange.h"

class CSliceImage;

// "R-Snake Diagnostics": one image of a slice image, zoomed with the right
// mouse button and panned with the left. The caller lends the slice image
// before the dialog runs; closing the dialog ends the caller's preview.
class CRSnakeDialog : public CDdxDialog {
public:
    explicit CRSnakeDialog(wxWindow* parent);
    ~CRSnakeDialog() override;

    CSliceImage* m_pSliceImage = nullptr;

    // The view's state and the square as last drawn (RGB, top row first).
    const CRSnakeView& View() const { return m_view; }
    const std::vector<std::uint8_t>& ViewPixels() const { return m_viewRgb; }
    // The image shown, as RGB bytes, top row first; empty without one.
    const std::vector<std::uint8_t>& ImagePixels() const { return m_imageRgb; }
    static wxRect ViewRect() { return {kRSnakeViewLeft, kRSnakeViewTop, kRSnakeViewSize, kRSnakeViewSize}; }

    std::int32_t m_bShowGridlines = 0;

protected:
    void DoDataExchange(CDataExchange& dx) override;

private:
    void PlaceBesideView();
    // Draws the square afresh and repaints it without erasing.
    void Redraw();

    void OnInitDialog(wxInitDialogEvent& event);
    void OnPaint(wxPaintEvent& event);
    void OnLButtonDown(wxMouseEvent& event);
    void OnLButtonUp(wxMouseEvent& event);
    void OnMouseMove(wxMouseEvent& event);
    void OnRButtonDown(wxMouseEvent& event);
    void OnRButtonUp(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnShowGridlines(wxCommandEvent& event);
    void ReleaseIfHeld();

    CRSnakeView m_view;
    std::vector<std::uint8_t> m_imageRgb;
    std::vector<std::uint8_t> m_viewRgb;
    // The square with its grid lines, drawn into m_viewRgb so that what the
    // screen shows can be checked pixel for pixel.
    wxBitmap m_bmView;

    wxDECLARE_EVENT_TABLE();
};
