#pragma once
#include <wx/dialog.h>

#include "render/RendererDialogRunner.h"

class wxRadioButton;

// "Confirm rendering options": the texture family and classification the
// renderer factory is about to build, limited to what the driver offers,
// and the 16-bit rescale. The factory's values are edited in place: each
// radio click stores its choice at once, OK also stores the rescale check.
// There is no Cancel; Escape and the close box leave the rescale setting
// alone but keep what was clicked.
class CRendererDialog : public wxDialog {
public:
    CRendererDialog(wxWindow* parent, CRendererDialogValues& values);

    // The rescale setting and the default type and classification.
    void ChooseDefaults();

    CRendererDialogValues& m_values;

private:
    void InitDialog();
    wxRadioButton* Radio(const char* name) const;
    void OnRadio(wxCommandEvent& event);
    void OnOK(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnClose(wxCloseEvent& event);

    wxDECLARE_EVENT_TABLE();
};
