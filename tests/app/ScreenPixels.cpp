// GtkColorSelectionDialog is deprecated, yet it is what wx builds as its colour chooser.
#define GDK_DISABLE_DEPRECATION_WARNINGS
// Kept apart from the other test sources: GTK's headers name a type that the
// wx prompter's header names a function.
#include <string>
#include <vector>
#include <functional>

#include <gtk/gtk.h>
#include <wx/image.h>
#include <wx/menuitem.h>
#include <wx/window.h>

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

bool GtkColourChooserHasPalette(wxWindow& dialog)
{
    GtkWidget* w = dialog.GetHandle();
    if (!GTK_IS_COLOR_SELECTION_DIALOG(w))
        return false;
    GtkWidget* selection = gtk_color_selection_dialog_get_color_selection(GTK_COLOR_SELECTION_DIALOG(w));
    return gtk_color_selection_get_has_palette(GTK_COLOR_SELECTION(selection));
}

double GtkRangeValue(wxWindow& scrollBar)
{
    GtkWidget* w = scrollBar.GetHandle();
    return GTK_IS_RANGE(w) ? gtk_range_get_value(GTK_RANGE(w)) : -1.0;
}

std::pair<int, int> GtkThumbSpan(wxWindow& scrollBar)
{
    GtkWidget* w = scrollBar.GetHandle();
    int start = 0, end = 0;
    if (GTK_IS_RANGE(w))
        gtk_range_get_slider_range(GTK_RANGE(w), &start, &end);
    return {start, end};
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

namespace {
GdkWindow* ClientGdkWindow(wxWindow& window)
{
    GtkWidget* w = window.m_wxwindow ? window.m_wxwindow : window.GetHandle();
    return w ? gtk_widget_get_window(w) : nullptr;
}
} // namespace

wxImage GrabClient(wxWindow& window)
{
    GdkWindow* gdk = ClientGdkWindow(window);
    if (!gdk)
        return wxImage();
    gdk_display_sync(gdk_window_get_display(gdk));
    const wxSize size = window.GetClientSize();
    GdkPixbuf* pixbuf = gdk_pixbuf_get_from_window(gdk, 0, 0, size.x, size.y);
    if (!pixbuf)
        return wxImage();
    wxImage image(size.x, size.y);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const guchar* src = gdk_pixbuf_get_pixels(pixbuf);
    for (int y = 0; y < size.y; ++y)
        for (int x = 0; x < size.x; ++x) {
            const guchar* p = src + y * stride + x * channels;
            image.SetRGB(x, y, p[0], p[1], p[2]);
        }
    g_object_unref(pixbuf);
    return image;
}

int GtkClientCursorCode(wxWindow& window)
{
    GdkWindow* gdk = ClientGdkWindow(window);
    GdkCursor* cursor = gdk ? gdk_window_get_cursor(gdk) : nullptr;
    if (!cursor)
        return 0;
    return gdk_cursor_get_cursor_type(cursor) == GDK_CROSSHAIR ? 1 : 2;
}

wxRect AllocationOf(wxWindow& window)
{
    GtkAllocation a;
    gtk_widget_get_allocation(window.GetHandle(), &a);
    return wxRect(a.x, a.y, a.width, a.height);
}

std::string GtkEntryText(wxWindow& edit)
{
    GtkWidget* w = edit.GetHandle();
    return GTK_IS_ENTRY(w) ? gtk_entry_get_text(GTK_ENTRY(w)) : std::string();
}

std::string GtkButtonLabel(wxWindow& button)
{
    GtkWidget* w = button.GetHandle();
    if (!GTK_IS_BUTTON(w))
        return std::string();
    // wx puts its own label widget inside check boxes and radio buttons.
    const char* label = gtk_button_get_label(GTK_BUTTON(w));
    if (label && *label)
        return label;
    GtkWidget* child = gtk_bin_get_child(GTK_BIN(w));
    return child && GTK_IS_LABEL(child) ? gtk_label_get_text(GTK_LABEL(child)) : std::string();
}

bool GtkToggleActive(wxWindow& button)
{
    GtkWidget* w = button.GetHandle();
    return GTK_IS_TOGGLE_BUTTON(w) && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w));
}

std::string GtkWindowTitle(wxWindow& toplevel)
{
    GtkWidget* w = toplevel.GetHandle();
    const char* title = GTK_IS_WINDOW(w) ? gtk_window_get_title(GTK_WINDOW(w)) : nullptr;
    return title ? title : std::string();
}

std::vector<std::string> GtkTabLabels(wxWindow& book)
{
    std::vector<std::string> labels;
    GtkWidget* w = book.GetHandle();
    if (!GTK_IS_NOTEBOOK(w))
        return labels;
    GtkNotebook* nb = GTK_NOTEBOOK(w);
    for (int i = 0; i < gtk_notebook_get_n_pages(nb); ++i) {
        const char* text = gtk_notebook_get_tab_label_text(nb, gtk_notebook_get_nth_page(nb, i));
        if (!text) {
            // wx gives each tab a box with its own label.
            GtkWidget* tab = gtk_notebook_get_tab_label(nb, gtk_notebook_get_nth_page(nb, i));
            std::string found;
            if (tab && GTK_IS_CONTAINER(tab)) {
                GList* children = gtk_container_get_children(GTK_CONTAINER(tab));
                for (GList* c = children; c; c = c->next)
                    if (GTK_IS_LABEL(c->data))
                        found = gtk_label_get_text(GTK_LABEL(c->data));
                g_list_free(children);
            } else if (tab && GTK_IS_LABEL(tab)) {
                found = gtk_label_get_text(GTK_LABEL(tab));
            }
            labels.push_back(found);
        } else {
            labels.push_back(text);
        }
    }
    return labels;
}
#include "GtkRange.h"

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
