#pragma once
#include <wx/window.h>

// Realises `window` at once (its parents too, the toplevel unmapped) and gives
// it an X window of its own. GTK makes X windows only on realising, so a GL
// canvas could make no context current before its frame is shown; and a
// child of a GL canvas without an X window of its own shares the canvas's,
// so every buffer swap paints over it. False when GTK gave no native window.
bool MakeNativeWindow(wxWindow& window);

// Asks for a paint of `window` alone. wx's Refresh repaints the children
// too, which would wipe what a child (a thumb-wheel's readout) drew on
// itself outside its paint, and repaint them with every frame.
void InvalidateWindowOnly(wxWindow& window);
