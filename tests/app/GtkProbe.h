#pragma once
#include <wx/defs.h> // GtkWidget

// What GTK itself gives a menu item, read through GTK rather than wx (wx's
// own tables do not know what GTK adds to stock items). Kept apart from the
// program's wx headers, one of which declares a function named like a GTK
// type.
struct GtkItemLook {
    unsigned accelKey = 0;  // GDK key value of the visible accelerator, 0 for none
    unsigned accelMods = 0; // its GdkModifierType
    int accelWidth = 0;     // pixels the label reserves for the key's text
    bool image = false;     // a stock image, shown where GTK's menu images are on
};
GtkItemLook LookOf(GtkWidget* menuItem);

// Activates a menu item as GTK does when the user chooses it.
void ActivateItem(GtkWidget* menuItem);
