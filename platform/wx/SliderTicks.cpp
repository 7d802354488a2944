#include "platform/wx/SliderTicks.h"

#include <gtk/gtk.h>
#include <wx/slider.h>

namespace {
GtkScale* FindScale(GtkWidget* widget)
{
    if (!widget)
        return nullptr;
    if (GTK_IS_SCALE(widget))
        return GTK_SCALE(widget);
    GtkScale* found = nullptr;
    if (GTK_IS_CONTAINER(widget)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* c = children; c && !found; c = c->next)
            found = FindScale(GTK_WIDGET(c->data));
        g_list_free(children);
    }
    return found;
}
} // namespace

void ShowTicksOnBothSides(wxSlider& slider, int frequency)
{
    GtkScale* scale = FindScale(slider.GetHandle());
    if (!scale || frequency <= 0)
        return;
    gtk_scale_clear_marks(scale);
    for (int v = slider.GetMin(); v <= slider.GetMax(); v += frequency) {
        gtk_scale_add_mark(scale, v, GTK_POS_TOP, nullptr);
        gtk_scale_add_mark(scale, v, GTK_POS_BOTTOM, nullptr);
    }
}
