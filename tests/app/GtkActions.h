#pragma once
#include <string>

#include <wx/defs.h> // GtkWidget

// User actions delivered through GTK itself rather than through the X
// server, whose pointer and keyboard focus the GUI tests running beside
// each other share. Kept apart from the program's wx headers, one of which
// declares a function named like a GTK type.

// A button, radio or check box clicked as GTK clicks it: its own "clicked",
// after which GTK toggles it and tells wx.
void GtkClick(GtkWidget* button);

// A key pressed and released in a top-level window: both events go into
// GDK's queue as the display's would, and from there through GTK to wx.
void GtkPressKey(GtkWidget* toplevel, unsigned keyval);
constexpr unsigned kGdkKeyEscape = 0xff1b;

// A scale or scroll bar moved as a drag moves it: GTK's own value change,
// which wx then reports.
void GtkSetRangeValue(GtkWidget* range, double value);
// Whether GTK shows a check box or radio button checked.
bool GtkToggleActive(GtkWidget* button);
constexpr unsigned kGdkKeyLeft = 0xff51;
constexpr unsigned kGdkKeyRight = 0xff53;
constexpr unsigned kGdkKeyDown = 0xff54;
// A scroll of `scrollType` (a GtkScrollType: a step, a page, a jump) to
// `value`, as a click in the trough, on an arrow or a drag of the thumb
// asks for it; whoever handles GTK's "change-value" decides.
void GtkScrollRange(GtkWidget* range, int scrollType, double value);
constexpr int kGtkScrollJump = 1, kGtkScrollStepBackward = 2, kGtkScrollStepForward = 3,
              kGtkScrollPageBackward = 4, kGtkScrollPageForward = 5;
double GtkRangeValue(GtkWidget* range);
// The label GTK shows on a button, check box or radio button.
std::string GtkButtonLabel(GtkWidget* button);
// The window manager's close: GTK's delete event on a top-level window.
void GtkCloseWindow(GtkWidget* toplevel);
