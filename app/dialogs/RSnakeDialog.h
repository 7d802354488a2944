#pragma once
#include <wx/dialog.h>

class CSliceImage;

// "R-Snake Diagnostics": one image of a slice image, zoomed with the right
// mouse button and panned with the left. The caller lends the slice image
// before the dialog runs; closing the dialog ends the caller's preview.
class CRSnakeDialog : public wxDialog {
public:
    explicit CRSnakeDialog(wxWindow* parent);

    CSliceImage* m_pSliceImage = nullptr;
};
