// GtkColorSelectionDialog is deprecated, yet it is what wx builds as its colour chooser.
#define GDK_DISABLE_DEPRECATION_WARNINGS
// Kept apart from the other test sources: GTK's headers name a type that the
// wx prompter's header names a function.
#include <string>

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

std::string GtkWindowTitle(wxWindow& window)
{
    GtkWidget* w = window.GetHandle();
    const char* title = GTK_IS_WINDOW(w) ? gtk_window_get_title(GTK_WINDOW(w)) : nullptr;
    return title ? title : "";
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
