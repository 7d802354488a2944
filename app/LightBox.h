#pragma once
#include <wx/window.h>

class CModel;

// Pane (0,0) of the main frame: the three orthogonal slices of the volume.
class CLightBox : public wxWindow {
public:
    static constexpr int kIdealWidth = 224;

    explicit CLightBox(wxWindow* parent);

    // The model whose slices it shows; none shows nothing.
    void SetModel(CModel* model);
    // Follows the current point that the camera moved.
    void SetSlicesFromCamera();
    // The renderer's palette was rewritten: slices coloured through it are
    // drawn again.
    void OnPaletteChanged();

    CModel* m_pModel = nullptr;
};
