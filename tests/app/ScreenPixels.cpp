// Kept apart from the other test sources: GTK's headers name a type that the
// wx prompter's header names a function.
#include <string>

#include <gtk/gtk.h>
#include <wx/image.h>
#include <wx/menuitem.h>
#include <wx/window.h>

#include "GtkRange.h"

wxImage GrabWindow(wxWindow& window)
{
    GdkWindow* gdk = gtk_widget_get_window(window.GetHandle());
    if (!gdk)
        return wxImage();
    gdk_display_sync(gdk_window_get_display(gdk));
    const int w = gdk_window_get_width(gdk), h = gdk_window_get_height(gdk);
    GdkPixbuf* pixbuf = gdk_pixbuf_get_from_window(gdk, 0, 0, w, h);
    if (!pixbuf)
        return wxImage();
    wxImage image(w, h);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const guchar* src = gdk_pixbuf_get_pixels(pixbuf);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const guchar* p = src + y * stride + x * channels;
            image.SetRGB(x, y, p[0], p[1], p[2]);
        }
    g_object_unref(pixbuf);
    return image;
}

bool GtkSensitive(wxWindow& window) { return gtk_widget_is_sensitive(window.GetHandle()); }

bool GtkSensitive(wxMenuItem& item) { return item.GetMenuItem() && gtk_widget_is_sensitive(item.GetMenuItem()); }

std::string GtkLabelText(wxWindow& label)
{
    GtkWidget* w = label.GetHandle();
    return GTK_IS_LABEL(w) ? gtk_label_get_text(GTK_LABEL(w)) : std::string();
}

bool GtkChecked(wxMenuItem& item)
{
    GtkWidget* w = item.GetMenuItem();
    return w && GTK_IS_CHECK_MENU_ITEM(w) && gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(w));
}

bool GtkScrolledToEnd(wxWindow& text)
{
    GtkWidget* w = text.GetHandle();
    if (!GTK_IS_SCROLLED_WINDOW(w))
        return false;
    GtkAdjustment* a = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(w));
    const double upper = gtk_adjustment_get_upper(a), page = gtk_adjustment_get_page_size(a);
    return upper > page && gtk_adjustment_get_value(a) + page >= upper - 1;
}

std::string GtkMenuItemLabel(wxMenuItem& item)
{
    GtkWidget* w = item.GetMenuItem();
    const char* label = w && GTK_IS_MENU_ITEM(w) ? gtk_menu_item_get_label(GTK_MENU_ITEM(w)) : nullptr;
    return label ? label : "";
}

bool GtkToggled(wxWindow& button)
{
    GtkWidget* w = button.GetHandle();
    return GTK_IS_TOGGLE_BUTTON(w) && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w));
}

namespace {
GtkRange* FindRange(GtkWidget* w)
{
    if (!w)
        return nullptr;
    if (GTK_IS_RANGE(w))
        return GTK_RANGE(w);
    GtkRange* found = nullptr;
    if (GTK_IS_CONTAINER(w)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(w));
        for (GList* c = children; c && !found; c = c->next)
            found = FindRange(GTK_WIDGET(c->data));
        g_list_free(children);
    }
    return found;
}
} // namespace

bool GtkMoveRange(wxWindow& range, double value)
{
    GtkRange* r = FindRange(range.GetHandle());
    if (!r)
        return false;
    // What a drag of the thumb does: GTK asks for the new value, then sets it.
    gboolean handled = FALSE;
    g_signal_emit_by_name(r, "change-value", GTK_SCROLL_JUMP, value, &handled);
    if (!handled)
        gtk_range_set_value(r, value);
    return true;
}

GtkRangeState GtkRangeOf(wxWindow& range)
{
    GtkRangeState s;
    if (GtkRange* r = FindRange(range.GetHandle())) {
        GtkAdjustment* a = gtk_range_get_adjustment(r);
        s.value = gtk_adjustment_get_value(a);
        s.lower = gtk_adjustment_get_lower(a);
        s.upper = gtk_adjustment_get_upper(a) - gtk_adjustment_get_page_size(a);
        s.page = gtk_adjustment_get_page_increment(a);
        s.found = true;
    }
    return s;
}

bool GtkCrossCursorAtPointer()
{
    GdkDisplay* display = gdk_display_get_default();
    GdkSeat* seat = display ? gdk_display_get_default_seat(display) : nullptr;
    GdkDevice* pointer = seat ? gdk_seat_get_pointer(seat) : nullptr;
    if (!pointer)
        return false;
    gdk_display_sync(display);
    // The innermost window under the pointer that has a cursor set shows it.
    for (GdkWindow* w = gdk_device_get_window_at_position(pointer, nullptr, nullptr); w;
         w = gdk_window_get_parent(w))
        if (GdkCursor* cursor = gdk_window_get_cursor(w))
            return gdk_cursor_get_cursor_type(cursor) == GDK_CROSSHAIR;
    return false;
}

namespace {
gboolean CountMotion(GtkWidget*, GdkEvent*, gpointer counter)
{
    ++static_cast<GtkPointerCounter*>(counter)->motions;
    return FALSE;
}
gboolean CountPress(GtkWidget*, GdkEvent*, gpointer counter)
{
    ++static_cast<GtkPointerCounter*>(counter)->presses;
    return FALSE;
}
gboolean CountRelease(GtkWidget*, GdkEvent*, gpointer counter)
{
    ++static_cast<GtkPointerCounter*>(counter)->releases;
    return FALSE;
}
} // namespace

GtkPointerCounter::GtkPointerCounter(wxWindow& window)
{
    GtkWidget* w = window.GetHandle();
    if (GtkRange* r = FindRange(w))
        w = GTK_WIDGET(r);
    m_widget = w;
    if (!w)
        return;
    m_handlers[0] = g_signal_connect(w, "motion-notify-event", G_CALLBACK(CountMotion), this);
    m_handlers[1] = g_signal_connect(w, "button-press-event", G_CALLBACK(CountPress), this);
    m_handlers[2] = g_signal_connect(w, "button-release-event", G_CALLBACK(CountRelease), this);
}

GtkPointerCounter::~GtkPointerCounter()
{
    for (unsigned long h : m_handlers)
        if (m_widget && h)
            g_signal_handler_disconnect(m_widget, h);
}
