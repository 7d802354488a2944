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

static_assert(kGdkKeyLeft == GDK_KEY_Left && kGdkKeyRight == GDK_KEY_Right && kGdkKeyDown == GDK_KEY_Down);

void GtkSetRangeValue(GtkWidget* range, double value) { gtk_range_set_value(GTK_RANGE(range), value); }

bool GtkToggleActive(GtkWidget* button) { return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(button)); }

static_assert(kGtkScrollJump == GTK_SCROLL_JUMP && kGtkScrollStepBackward == GTK_SCROLL_STEP_BACKWARD &&
              kGtkScrollStepForward == GTK_SCROLL_STEP_FORWARD && kGtkScrollPageBackward == GTK_SCROLL_PAGE_BACKWARD &&
              kGtkScrollPageForward == GTK_SCROLL_PAGE_FORWARD);

void GtkScrollRange(GtkWidget* range, int scrollType, double value)
{
    gboolean handled = FALSE;
    g_signal_emit_by_name(range, "change-value", GtkScrollType(scrollType), value, &handled);
}

double GtkRangeValue(GtkWidget* range) { return gtk_range_get_value(GTK_RANGE(range)); }

std::string GtkButtonLabel(GtkWidget* button)
{
    const gchar* label = gtk_button_get_label(GTK_BUTTON(button));
    if (label && *label)
        return label;
    // wx gives a check box a label widget of its own.
    GtkWidget* child = gtk_bin_get_child(GTK_BIN(button));
    return child && GTK_IS_LABEL(child) ? gtk_label_get_text(GTK_LABEL(child)) : "";
}

void GtkCloseWindow(GtkWidget* toplevel) { gtk_window_close(GTK_WINDOW(toplevel)); }
