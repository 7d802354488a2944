#pragma once
#include <wx/dialog.h>

// The About box: icon, "Vexilo Version 1.2" and OK.
class CAboutDlg : public wxDialog {
public:
    explicit CAboutDlg(wxWindow* parent);
};
