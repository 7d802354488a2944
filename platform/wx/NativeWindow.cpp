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

void InvalidateWindowOnly(wxWindow& window)
{
    GtkWidget* widget = window.GetHandle();
    GdkWindow* gdk = widget ? gtk_widget_get_window(widget) : nullptr;
    if (gdk && gdk_window_has_native(gdk))
        gdk_window_invalidate_rect(gdk, nullptr, FALSE);
    else
        window.Refresh(false);
}
