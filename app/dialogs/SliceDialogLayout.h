#pragma once
#include <wx/gdicmn.h>

class wxBitmap;
class wxDialog;
class wxScrollBar;
class wxScrollEvent;
class wxStaticText;
class wxString;
class wxWindow;

// What the slice dialogs (surface generation, segmentation, trajectory
// planner) do alike around their fixed 512 x 512 slice area, on the window
// side; the area's arithmetic and picture are in SliceArea.h.

// The slice bar goes right under the area and the optional hint under the
// bar, both as wide as the area; every other control moves right until the
// column clears the area, whatever a dialog unit measures with the fonts at
// hand; the client grows to hold them, never below the template's size.
void PlaceAroundSliceArea(wxDialog& dialog, wxSize templateUnits, wxScrollBar* bar, wxStaticText* hint = nullptr);

// Paints the area from `picture`, black while there is none. Only the
// picture: GTK repaints a dialog whenever the pointer crosses a control, and
// each dialog's own slice drawing has effects (fields rewritten, the current
// point moved) that a repaint must not repeat.
void PaintSliceArea(wxDialog& dialog, const wxBitmap& picture);

// The slice a bar's event asks for, from the slice last drawn: GTK has moved
// the bar already, and the step is taken as the Windows bar would report it,
// with a page of 0. The bar is set to the result.
int SliceFromScroll(const wxScrollEvent& event, int current, int dim, wxScrollBar* bar);

// Sets a label only when it changes: a label set while GTK draws asks for
// another draw, and the position texts are set on every drawing.
void SetLabelIfChanged(wxWindow* window, const wxString& text);
