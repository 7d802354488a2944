#pragma once
#include <wx/window.h>

// Pane (0,0) of the main frame: the three orthogonal slices of the volume.
class CLightBox : public wxWindow {
public:
    static constexpr int kIdealWidth = 224;

    explicit CLightBox(wxWindow* parent);
};
