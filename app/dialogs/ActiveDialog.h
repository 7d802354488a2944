#pragma once
#include <wx/dialog.h>

// "Active contour settings": the six contour parameters, the image kind the
// contour previews show and the contour type, read from the settings when
// the dialog opens and written back on OK only.
class CActiveDialog : public wxDialog {
public:
    explicit CActiveDialog(wxWindow* parent);
};
