#pragma once
#include <cstdint>

#include <wx/dialog.h>

class CRenderer;
class CVexilo;
class wxCheckBox;
class wxSlider;

// "Adjust cut planes", open while the view is in the cut-plane mode: six
// checks show or hide the faces of the cut-plane box (and switch their clip
// planes), a trackbar turns the custom plane about its normal by 0 to 359
// degrees. The view fills the rotation and the face mask from its renderer
// before the window is made; the renderer is looked up at each use.
class CCutPlaneDialog : public wxDialog {
public:
    explicit CCutPlaneDialog(CVexilo* view);

    // Builds the window from its template, loads the controls from the
    // fields and shows it.
    bool Create(wxWindow* parent);
    // The mask from the checks, given to the renderer.
    void ApplyFaceMask();

    CVexilo* m_pView;
    std::int32_t m_nRotation = 0;
    std::uint8_t m_nFaceMask = 63;
    wxSlider* m_wndRotation = nullptr;
    std::int32_t m_bFace[6] = {0, 0, 0, 0, 0, 0};

private:
    // The view's renderer with its context current; null without one.
    CRenderer* Renderer() const;
    void OnHScroll(wxCommandEvent& event);
    void OnFaceClicked(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);

    wxCheckBox* m_checks[6] = {};
};
