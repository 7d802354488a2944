#pragma once
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/weakref.h>
#include <wx/window.h>

// A small pair of arrows beside an edit field that steps the integer in the
// field, as the Windows up-down control with a buddy does. GTK's spin button
// is much larger and owns its text: it clamps and reformats what is typed
// before the program sees it, so a dialog that applies every typed change at
// once could not use it. This one leaves the field alone until an arrow is
// pressed: then it reads the field's number (or keeps its own position when
// the text is not one), adds or subtracts one within its range, and writes
// the result back, which the dialog sees as an ordinary text change. Up and
// Down pressed in the field step it too. Holding an arrow repeats the step.
// Not CStepArrows: that one steps once a press and keeps no value or range.
class CUpDown : public wxWindow {
public:
    CUpDown() = default;
    bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize);
    ~CUpDown() override;

    // The field it steps; its Up and Down keys step it as well.
    void SetBuddy(wxTextCtrl* buddy);
    wxTextCtrl* GetBuddy() const { return m_pBuddy; }
    void SetRange(int min, int max);
    int GetMin() const { return m_nMin; }
    int GetMax() const { return m_nMax; }
    // The field's number when it holds one, else the last position.
    int GetPos() const;
    // Sets the position, within the range, and writes it into the field.
    void SetPos(int pos);
    // What a press on the upper (+1) or lower (-1) arrow does.
    void Step(int delta);

    bool AcceptsFocus() const override { return false; }

    // Milliseconds before a held arrow repeats, and between repeats.
    int m_nRepeatDelay = 500;
    int m_nRepeatPeriod = 50;

protected:
    wxSize DoGetBestSize() const override;

private:
    // +1 over the upper half, -1 over the lower one.
    int ArrowAt(const wxPoint& p) const;
    void WriteBuddy(int value);

    void OnPaint(wxPaintEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnTimer(wxTimerEvent& event);
    void OnBuddyKey(wxKeyEvent& event);

    // The field may go first when their window is destroyed.
    wxWeakRef<wxTextCtrl> m_pBuddy;
    int m_nMin = 0, m_nMax = 100, m_nPos = 0;
    int m_nPressed = 0; // the arrow held down, 0 for none
    wxTimer m_timer;

    wxDECLARE_EVENT_TABLE();
};
