#pragma once
#include <wx/event.h>
#include <wx/scrolbar.h>

enum ScrollCode : int;

// A horizontal scroll bar that ignores the keyboard: its key presses and
// releases go to one empty handler, so arrow and page keys never move it.
// As on Windows it does not move itself either: each click, drag or wheel
// turn is reported as a scroll event with its code (a line, a page, the
// thumb, an end) and the owner sets the new position by the scroll
// arithmetic below.
class CScrollBarNoKbd : public wxScrollBar {
public:
    CScrollBarNoKbd();
    CScrollBarNoKbd(wxWindow* parent, wxWindowID id);

    // Sends the scroll event of `code` to the bar's handlers and its parent.
    void Report(ScrollCode code, int position);

private:
    void OnKey(wxKeyEvent& event);
    void OnCreate(wxWindowCreateEvent& event);

    bool m_bReporting = false;

    wxDECLARE_DYNAMIC_CLASS(CScrollBarNoKbd);
    wxDECLARE_EVENT_TABLE();
};

// The notification codes of a horizontal scroll.
enum ScrollCode : int {
    SB_LINEUP = 0,
    SB_LINEDOWN = 1,
    SB_PAGEUP = 2,
    SB_PAGEDOWN = 3,
    SB_THUMBPOSITION = 4,
    SB_THUMBTRACK = 5,
    SB_TOP = 6,
    SB_BOTTOM = 7,
    SB_ENDSCROLL = 8,
};

// The code of a wx scroll event.
ScrollCode ScrollCodeOf(wxEventType type);

// The bar's new position for a scroll code, from its position before the
// event, the position the event gives (thumb codes), its range minimum, its
// maximum and its page size: lines step by 1 and pages by the page, inside
// minimum .. maximum less the page; the ends jump there; end of scroll keeps
// the position.
int ScrollPosition(ScrollCode code, int current, int given, int minimum, int maximum, int page);
