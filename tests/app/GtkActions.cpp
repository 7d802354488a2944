#include "GtkActions.h"

#include <initializer_list>

#include <gtk/gtk.h>

static_assert(kGdkKeyEscape == GDK_KEY_Escape);

void GtkClick(GtkWidget* button) { gtk_button_clicked(GTK_BUTTON(button)); }

void GtkPressKey(GtkWidget* toplevel, unsigned keyval)
{
    GdkWindow* window = gtk_widget_get_window(toplevel);
    GdkDisplay* display = gdk_window_get_display(window);
    guint16 keycode = 0;
    GdkKeymapKey* keys = nullptr;
    gint count = 0;
    if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), keyval, &keys, &count) && count)
        keycode = guint16(keys[0].keycode);
    g_free(keys);
    for (GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
        GdkEvent* e = gdk_event_new(type);
        e->key.window = GDK_WINDOW(g_object_ref(window));
        e->key.send_event = TRUE;
        e->key.time = GDK_CURRENT_TIME;
        e->key.keyval = keyval;
        e->key.hardware_keycode = keycode;
        gdk_event_set_device(e, gdk_seat_get_keyboard(gdk_display_get_default_seat(display)));
        gdk_event_put(e);
        gdk_event_free(e);
    }
}
