#include "platform/wx/NativeWindow.h"

#include <gtk/gtk.h>

bool MakeNativeWindow(wxWindow& window)
{
    GtkWidget* widget = window.GetHandle();
    if (!widget)
        return false;
    gtk_widget_realize(widget);
    GdkWindow* gdk = gtk_widget_get_window(widget);
    return gdk && gdk_window_ensure_native(gdk);
}
