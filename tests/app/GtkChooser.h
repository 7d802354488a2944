#pragma once
#include <string>
#include <vector>

#include <wx/defs.h> // GtkWidget

// The GTK file chooser behind a wx file dialog, read through GTK. Kept apart
// from the program's wx headers, one of which declares a function named like
// a GTK type.

// Makes the filter of that name current; false when the chooser has none.
bool GtkChooserSelectFilter(GtkWidget* chooser, const std::string& name);
// The names of its filters, in order.
std::vector<std::string> GtkChooserFilterNames(GtkWidget* chooser);
// The texts of the rows its file list shows now: what the folder holds and
// the current filter lets through (names, sizes and dates alike).
std::vector<std::string> GtkChooserListed(GtkWidget* chooser);
// The name typed into a save chooser.
std::string GtkChooserCurrentName(GtkWidget* chooser);
