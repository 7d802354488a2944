#pragma once
#include <wx/dialog.h>

#include "app/dialogs/StereoDlg.h"

class CVexilo;

// "Stereo Attributes": the focal length, eye separation, method and glasses
// of the stereo window. Its controls come later; until then it gives the
// starting values, which make the stereo window use the base values.
class CStereoToolsDlg : public wxDialog {
public:
    explicit CStereoToolsDlg(CVexilo* view);

    bool Create(wxWindow* parent);
    void GetSettings(StereoSettings& settings) const;
    // Shows the view's focal length and eye separation.
    void ShowValues();

    CVexilo* m_pView;
    StereoSettings m_settings;
};
