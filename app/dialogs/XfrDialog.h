#pragma once
#include <wx/dialog.h>

class CVexilo;

// "Amend Transfer Function": the modeless editor of the current volume's
// transfer function, at most one, owned by the view.
class CXfrDialog : public wxDialog {
public:
    explicit CXfrDialog(CVexilo* view);

    bool Create(wxWindow* parent);

    CVexilo* m_pView;
};
