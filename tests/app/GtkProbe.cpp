// GtkImageMenuItem is deprecated, yet it is what wx builds for stock items.
#define GDK_DISABLE_DEPRECATION_WARNINGS
#include "GtkProbe.h"

#include <gtk/gtk.h>

namespace {
GtkAccelLabel* FindAccelLabel(GtkWidget* w)
{
    if (GTK_IS_ACCEL_LABEL(w))
        return GTK_ACCEL_LABEL(w);
    GtkAccelLabel* found = nullptr;
    if (GTK_IS_CONTAINER(w)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(w));
        for (GList* c = children; c && !found; c = c->next)
            found = FindAccelLabel(GTK_WIDGET(c->data));
        g_list_free(children);
    }
    return found;
}

gboolean IsClosure(GtkAccelKey*, GClosure* closure, gpointer wanted) { return closure == wanted; }
} // namespace

GtkItemLook LookOf(GtkWidget* menuItem)
{
    GtkItemLook look;
    if (!menuItem)
        return look;
    // An accelerator label shows the visible accelerators of its menu item,
    // which live in the window's accelerator group.
    GList* closures = gtk_widget_list_accel_closures(menuItem);
    for (GList* c = closures; c && !look.accelKey; c = c->next) {
        auto* closure = static_cast<GClosure*>(c->data);
        GtkAccelGroup* group = gtk_accel_group_from_accel_closure(closure);
        GtkAccelKey* key = group ? gtk_accel_group_find(group, IsClosure, closure) : nullptr;
        if (key && (key->accel_flags & GTK_ACCEL_VISIBLE)) {
            look.accelKey = key->accel_key;
            look.accelMods = key->accel_mods;
        }
    }
    g_list_free(closures);
    if (GtkAccelLabel* label = FindAccelLabel(menuItem)) {
        gtk_accel_label_refetch(label);
        // The key's text is measured when the label is sized.
        gint minimum = 0, natural = 0;
        gtk_widget_get_preferred_width(GTK_WIDGET(label), &minimum, &natural);
        look.accelWidth = static_cast<int>(gtk_accel_label_get_accel_width(label));
    }
    look.image = GTK_IS_IMAGE_MENU_ITEM(menuItem) && gtk_image_menu_item_get_image(GTK_IMAGE_MENU_ITEM(menuItem));
    return look;
}

void ActivateItem(GtkWidget* menuItem) { gtk_menu_item_activate(GTK_MENU_ITEM(menuItem)); }
