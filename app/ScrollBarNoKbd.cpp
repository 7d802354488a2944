#include "app/ScrollBarNoKbd.h"

#include <algorithm>

#include <gtk/gtk.h>

wxIMPLEMENT_DYNAMIC_CLASS(CScrollBarNoKbd, wxScrollBar);

wxBEGIN_EVENT_TABLE(CScrollBarNoKbd, wxScrollBar)
    EVT_KEY_DOWN(CScrollBarNoKbd::OnKey)
    EVT_KEY_UP(CScrollBarNoKbd::OnKey)
    EVT_WINDOW_CREATE(CScrollBarNoKbd::OnCreate)
wxEND_EVENT_TABLE()

namespace {
// GTK moves the thumb to a primary click in the trough where Windows steps a
// page; the owners apply their own page arithmetic, so GTK must not jump.
void StopTroughWarp()
{
    static bool done = false;
    if (done)
        return;
    if (GtkSettings* settings = gtk_settings_get_default()) {
        g_object_set(settings, "gtk-primary-button-warps-slider", FALSE, nullptr);
        done = true;
    }
}
} // namespace

// Set in the constructor: a template creates the bar through the base's
// Create.
CScrollBarNoKbd::CScrollBarNoKbd() { StopTroughWarp(); }

CScrollBarNoKbd::CScrollBarNoKbd(wxWindow* parent, wxWindowID id)
{
    StopTroughWarp();
    Create(parent, id);
}

// Not skipped. GTK's bars step by no key of their own; this keeps any key
// that wx does pass on from reaching them.
void CScrollBarNoKbd::OnKey(wxKeyEvent&) {}

namespace {
ScrollCode CodeOfGtk(GtkScrollType type)
{
    switch (type) {
    case GTK_SCROLL_STEP_BACKWARD:
    case GTK_SCROLL_STEP_LEFT:
    case GTK_SCROLL_STEP_UP: return SB_LINEUP;
    case GTK_SCROLL_STEP_FORWARD:
    case GTK_SCROLL_STEP_RIGHT:
    case GTK_SCROLL_STEP_DOWN: return SB_LINEDOWN;
    case GTK_SCROLL_PAGE_BACKWARD:
    case GTK_SCROLL_PAGE_LEFT:
    case GTK_SCROLL_PAGE_UP: return SB_PAGEUP;
    case GTK_SCROLL_PAGE_FORWARD:
    case GTK_SCROLL_PAGE_RIGHT:
    case GTK_SCROLL_PAGE_DOWN: return SB_PAGEDOWN;
    case GTK_SCROLL_START: return SB_TOP;
    case GTK_SCROLL_END: return SB_BOTTOM;
    default: return SB_THUMBTRACK;
    }
}

wxEventType EventTypeOf(ScrollCode code)
{
    switch (code) {
    case SB_LINEUP: return wxEVT_SCROLL_LINEUP;
    case SB_LINEDOWN: return wxEVT_SCROLL_LINEDOWN;
    case SB_PAGEUP: return wxEVT_SCROLL_PAGEUP;
    case SB_PAGEDOWN: return wxEVT_SCROLL_PAGEDOWN;
    case SB_THUMBPOSITION: return wxEVT_SCROLL_THUMBRELEASE;
    case SB_THUMBTRACK: return wxEVT_SCROLL_THUMBTRACK;
    case SB_TOP: return wxEVT_SCROLL_TOP;
    case SB_BOTTOM: return wxEVT_SCROLL_BOTTOM;
    default: return wxEVT_SCROLL_CHANGED;
    }
}

// A Windows scroll bar only reports; its owner moves it. GTK's own move is
// refused and reported instead with what it was (a step, a page, a jump of
// the thumb), so the owner's arithmetic decides where the thumb goes.
gboolean OnChangeValue(GtkRange*, GtkScrollType type, gdouble value, gpointer data)
{
    static_cast<CScrollBarNoKbd*>(data)->Report(CodeOfGtk(type), int(value + 0.5));
    return TRUE;
}
} // namespace

void CScrollBarNoKbd::OnCreate(wxWindowCreateEvent& event)
{
    event.Skip();
    if (event.GetWindow() != this || m_bReporting)
        return;
    if (GtkWidget* widget = GetHandle()) {
        g_signal_connect(widget, "change-value", G_CALLBACK(OnChangeValue), this);
        m_bReporting = true;
    }
}

void CScrollBarNoKbd::Report(ScrollCode code, int position)
{
    wxScrollEvent event(EventTypeOf(code), GetId(), position, wxHORIZONTAL);
    event.SetEventObject(this);
    HandleWindowEvent(event);
}

ScrollCode ScrollCodeOf(wxEventType type)
{
    if (type == wxEVT_SCROLL_LINEUP)
        return SB_LINEUP;
    if (type == wxEVT_SCROLL_LINEDOWN)
        return SB_LINEDOWN;
    if (type == wxEVT_SCROLL_PAGEUP)
        return SB_PAGEUP;
    if (type == wxEVT_SCROLL_PAGEDOWN)
        return SB_PAGEDOWN;
    if (type == wxEVT_SCROLL_THUMBRELEASE)
        return SB_THUMBPOSITION;
    if (type == wxEVT_SCROLL_THUMBTRACK)
        return SB_THUMBTRACK;
    if (type == wxEVT_SCROLL_TOP)
        return SB_TOP;
    if (type == wxEVT_SCROLL_BOTTOM)
        return SB_BOTTOM;
    return SB_ENDSCROLL;
}

int ScrollPosition(ScrollCode code, int current, int given, int minimum, int maximum, int page)
{
    const int limit = maximum - page;
    switch (code) {
    case SB_LINEUP: return current > minimum ? current - 1 : current;
    case SB_LINEDOWN: return current < limit ? current + 1 : current;
    case SB_PAGEUP: return std::max(current - page, minimum);
    case SB_PAGEDOWN: return std::min(current + page, limit);
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: return given;
    case SB_TOP: return minimum;
    case SB_BOTTOM: return limit;
    default: return current;
    }
}
