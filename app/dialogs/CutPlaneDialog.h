#pragma once
#include <cstdint>

#include <wx/dialog.h>

class CVexilo;

// "Adjust cut planes", open while the view is in the cut-plane mode. It is
// given the renderer's custom-plane rotation and face mask before it is
// made; its controls come later.
class CCutPlaneDialog : public wxDialog {
public:
    explicit CCutPlaneDialog(CVexilo* view);

    bool Create(wxWindow* parent);

    CVexilo* m_pView;
    int m_nRotation = 0;
    std::uint8_t m_nFaceMask = 63;
};
