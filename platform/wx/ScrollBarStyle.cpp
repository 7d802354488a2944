#include "platform/wx/ScrollBarStyle.h"

#include <gtk/gtk.h>
#include <wx/scrolbar.h>

void UseWindowsScrollBarClicks(wxScrollBar& bar)
{
    if (GtkSettings* settings = gtk_settings_get_default())
        g_object_set(settings, "gtk-primary-button-warps-slider", FALSE, nullptr);
    GtkWidget* widget = bar.GetHandle();
    if (!widget)
        return;
    static GtkCssProvider* arrows = [] {
        GtkCssProvider* css = gtk_css_provider_new();
        gtk_css_provider_load_from_data(css,
                                        "scrollbar { -GtkScrollbar-has-backward-stepper: true;"
                                        " -GtkScrollbar-has-forward-stepper: true; }",
                                        -1, nullptr);
        return css;
    }();
    gtk_style_context_add_provider(gtk_widget_get_style_context(widget), GTK_STYLE_PROVIDER(arrows),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

namespace {
gboolean RefusePageSteps(GtkRange*, GtkScrollType scroll, gdouble, gpointer)
{
    switch (scroll) {
    case GTK_SCROLL_PAGE_BACKWARD:
    case GTK_SCROLL_PAGE_FORWARD:
    case GTK_SCROLL_PAGE_UP:
    case GTK_SCROLL_PAGE_DOWN:
    case GTK_SCROLL_PAGE_LEFT:
    case GTK_SCROLL_PAGE_RIGHT:
        return TRUE; // handled: the value stays
    default:
        return FALSE;
    }
}
} // namespace

void IgnoreScrollBarPageSteps(wxScrollBar& bar)
{
    GtkWidget* widget = bar.GetHandle();
    if (widget && GTK_IS_RANGE(widget))
        g_signal_connect(widget, "change-value", G_CALLBACK(RefusePageSteps), nullptr);
}
