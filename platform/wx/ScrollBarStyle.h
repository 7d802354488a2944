#pragma once
class wxScrollBar;

// Makes a GTK scroll bar take clicks as a Windows one does. GTK moves the
// thumb straight to a primary click in the trough ("warping"), which a
// program sees as thumb tracking to some far position; with warping off a
// trough click steps by the page size, which the program sets. The setting
// is GTK's, for every scroll bar of the program. GTK's default theme also
// draws no arrow buttons, so line steps could not be made with the mouse;
// this bar gets its arrows back.
void UseWindowsScrollBarClicks(wxScrollBar& bar);

// Makes a trough click move the bar by nothing, as a page size of 0 does.
// wx cannot give GTK that page size: it passes at least 1 and asserts on a
// GTK page step of 0, so the page steps are refused where GTK makes them.
void IgnoreScrollBarPageSteps(wxScrollBar& bar);
