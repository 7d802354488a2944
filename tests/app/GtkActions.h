#pragma once
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
