#pragma once
#include <wx/dialog.h>

// The busy box: a caption-less window with one line of text that stays up
// while the view works synchronously.
class CStatusDlg : public wxDialog {
public:
    CStatusDlg() = default;

    // Builds the window from its template, centred on the screen, showing
    // m_strText; false when the template fails.
    bool Create(wxWindow* parent);
    // The text into the window, painted at once.
    bool TransferDataToWindow() override;

    wxString m_strText;

private:
    void PaintNow();
};
