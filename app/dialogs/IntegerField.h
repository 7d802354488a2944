#pragma once
#include <wx/string.h>

class wxTextCtrl;

// The texts the dialogs show when a number field does not hold what it must.
inline constexpr char kEnterInteger[] = "Please enter an integer.";
// "Please enter an integer between %d and %d."
wxString EnterIntegerBetween(int min, int max);

// Reads a whole decimal integer as the dialogs exchange one: blanks around
// it, an optional sign, digits, nothing else, within the int range. False
// (and `value` untouched) for anything else, the empty text included.
bool ParseDialogInt(const wxString& text, int& value);
bool ParseDialogUnsigned(const wxString& text, unsigned& value);

// Reads `field` into `value`; when it is not an integer within min..max,
// tells the user so (through the prompter), puts the focus on the field
// with its text selected and returns false.
bool ReadIntegerField(wxTextCtrl& field, int& value, int min, int max);
