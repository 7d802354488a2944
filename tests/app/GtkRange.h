#pragma once
class wxWindow;

// A slider or scroll bar moved as a drag of its thumb moves it, and what its
// GTK adjustment holds (upper is the last value the thumb can reach). Apart
// from ScreenPixels.h, which GTK's own headers cannot stand beside.
bool GtkMoveRange(wxWindow& range, double value);
struct GtkRangeState {
    bool found = false;
    double value = 0, lower = 0, upper = 0, page = 0;
};
GtkRangeState GtkRangeOf(wxWindow& range);

// Counts the pointer events GTK delivers to a window's widget, whatever the
// widget then does with them (a scroll bar handles its own).
class GtkPointerCounter {
public:
    explicit GtkPointerCounter(wxWindow& window);
    ~GtkPointerCounter();
    GtkPointerCounter(const GtkPointerCounter&) = delete;
    GtkPointerCounter& operator=(const GtkPointerCounter&) = delete;
    int motions = 0, presses = 0, releases = 0;

private:
    void* m_widget = nullptr;
    unsigned long m_handlers[3] = {0, 0, 0};
};
