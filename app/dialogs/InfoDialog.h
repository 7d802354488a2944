#pragma once
#include <wx/dialog.h>

// The modal information box: the renderer's and the model's description.
class CInfoDialog : public wxDialog {
public:
    explicit CInfoDialog(wxWindow* parent);

    // The text reaches the window before it is shown.
    int ShowModal() override;
    bool TransferDataToWindow() override;

    wxString m_strText;
};
