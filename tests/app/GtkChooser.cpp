#include "GtkChooser.h"

#include <gtk/gtk.h>

namespace {
std::vector<GtkFileFilter*> Filters(GtkWidget* chooser)
{
    std::vector<GtkFileFilter*> out;
    GSList* list = gtk_file_chooser_list_filters(GTK_FILE_CHOOSER(chooser));
    for (GSList* l = list; l; l = l->next)
        out.push_back(GTK_FILE_FILTER(l->data));
    g_slist_free(list);
    return out;
}

// Every tree view inside, internal children included (the file list is one).
void CollectTreeViews(GtkWidget* widget, std::vector<GtkTreeView*>& views)
{
    if (GTK_IS_TREE_VIEW(widget))
        views.push_back(GTK_TREE_VIEW(widget));
    if (GTK_IS_CONTAINER(widget))
        gtk_container_forall(
            GTK_CONTAINER(widget),
            [](GtkWidget* child, gpointer data) {
                CollectTreeViews(child, *static_cast<std::vector<GtkTreeView*>*>(data));
            },
            &views);
}
} // namespace

bool GtkChooserSelectFilter(GtkWidget* chooser, const std::string& name)
{
    for (GtkFileFilter* f : Filters(chooser))
        if (const char* n = gtk_file_filter_get_name(f); n && name == n) {
            gtk_file_chooser_set_filter(GTK_FILE_CHOOSER(chooser), f);
            return true;
        }
    return false;
}

std::vector<std::string> GtkChooserFilterNames(GtkWidget* chooser)
{
    std::vector<std::string> names;
    for (GtkFileFilter* f : Filters(chooser))
        names.push_back(gtk_file_filter_get_name(f) ? gtk_file_filter_get_name(f) : "");
    return names;
}

std::vector<std::string> GtkChooserListed(GtkWidget* chooser)
{
    std::vector<GtkTreeView*> views;
    CollectTreeViews(chooser, views);
    std::vector<std::string> texts;
    for (GtkTreeView* view : views) {
        GtkTreeModel* model = gtk_tree_view_get_model(view);
        if (!model)
            continue;
        const int columns = gtk_tree_model_get_n_columns(model);
        GtkTreeIter it;
        for (gboolean ok = gtk_tree_model_get_iter_first(model, &it); ok; ok = gtk_tree_model_iter_next(model, &it))
            for (int c = 0; c < columns; ++c) {
                if (gtk_tree_model_get_column_type(model, c) != G_TYPE_STRING)
                    continue;
                gchar* text = nullptr;
                gtk_tree_model_get(model, &it, c, &text, -1);
                if (text)
                    texts.emplace_back(text);
                g_free(text);
            }
    }
    return texts;
}

std::string GtkChooserCurrentName(GtkWidget* chooser)
{
    gchar* name = gtk_file_chooser_get_current_name(GTK_FILE_CHOOSER(chooser));
    std::string out = name ? name : "";
    g_free(name);
    return out;
}
