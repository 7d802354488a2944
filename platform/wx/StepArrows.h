#pragma once
#include <functional>

#include <wx/control.h>

// A small pair of arrow buttons, one above the other, beside an edit: the
// up-down control of the dialogs that step a number. GTK's own spin button
// lays its buttons side by side and wants twice the height of a dialog's
// edit, so the dialogs draw this one. A press on the upper half steps by +1,
// on the lower half by -1; the control keeps no value of its own.
// Not CUpDown: that one owns its field and range and repeats while held.
class CStepArrows : public wxControl {
public:
    CStepArrows(wxWindow* parent, wxWindowID id = wxID_ANY);

    // Called once per press with +1 or -1.
    std::function<void(int delta)> m_onStep;

    // The half a point of the client area lies in: +1 upper, -1 lower.
    int HalfAt(const wxPoint& point) const;

protected:
    wxSize DoGetBestSize() const override;

private:
    void OnPaint(wxPaintEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void Release();

    int m_nPressed = 0;
};

// Puts an up-down control in the place an XRC template keeps for it (an
// "unknown" object named `name`) and returns it.
CStepArrows& AttachStepArrows(wxWindow& dialog, const char* name);
