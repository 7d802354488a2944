#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <wx/image.h>
#include <wx/menuitem.h>
#include <wx/uiaction.h>
#include <wx/window.h>

#include "GtkRange.h"
#include "GuiTest.h"

// What the X server shows of a window: its pixels read back from the
// screen, not what the program meant to draw.
wxImage GrabWindow(wxWindow& window);

// Whether GTK lets the user reach the window or menu item (its widget and
// every parent sensitive).
bool GtkSensitive(wxWindow& window);
bool GtkSensitive(wxMenuItem& item);

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

inline Rgb PixelAt(const wxImage& image, int x, int y)
{
    return {image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)};
}

// Pixels of `rect` that differ from `colour`.
inline int CountOtherThan(const wxImage& image, const wxRect& rect, Rgb colour)
{
    int n = 0;
    for (int y = rect.GetTop(); y <= rect.GetBottom(); ++y)
        for (int x = rect.GetLeft(); x <= rect.GetRight(); ++x)
            n += !(PixelAt(image, x, y) == colour);
    return n;
}

// Pixels of `rect` in which two pictures differ.
inline int Differing(const wxImage& a, const wxImage& b, const wxRect& rect)
{
    int n = 0;
    for (int y = rect.GetTop(); y <= rect.GetBottom(); ++y)
        for (int x = rect.GetLeft(); x <= rect.GetRight(); ++x)
            n += !(PixelAt(a, x, y) == PixelAt(b, x, y));
    return n;
}

// Pixels of `rect` darker than the wheels' grey edge: text.
inline int CountDark(const wxImage& image, const wxRect& rect)
{
    int n = 0;
    for (int y = rect.GetTop(); y <= rect.GetBottom(); ++y)
        for (int x = rect.GetLeft(); x <= rect.GetRight(); ++x) {
            const Rgb c = PixelAt(image, x, y);
            n += c.r < 100 && c.g < 100 && c.b < 100;
        }
    return n;
}

// Counts the paints a window receives; the window's own handler still runs.
class PaintCounter {
public:
    explicit PaintCounter(wxWindow& window) : m_window(window)
    {
        m_window.Bind(wxEVT_PAINT, &PaintCounter::OnPaint, this);
    }
    ~PaintCounter() { m_window.Unbind(wxEVT_PAINT, &PaintCounter::OnPaint, this); }
    int count = 0;

    // Invalidates the window and waits until it has painted once more.
    bool PaintNow()
    {
        const int before = count;
        m_window.Refresh(false);
        m_window.Update();
        return WaitUntil([&] { return count > before; });
    }

private:
    void OnPaint(wxPaintEvent& event)
    {
        ++count;
        event.Skip();
    }
    wxWindow& m_window;
};

// Real pointer input through the X test extension. Each step waits until
// the window under the pointer has seen the event, so GTK cannot merge
// successive moves.
class Pointer {
public:
    explicit Pointer(wxWindow& target) : m_target(target)
    {
        m_target.Bind(wxEVT_MOTION, &Pointer::OnMouse, this);
        m_target.Bind(wxEVT_LEFT_DOWN, &Pointer::OnMouse, this);
        m_target.Bind(wxEVT_LEFT_DCLICK, &Pointer::OnMouse, this);
        m_target.Bind(wxEVT_LEFT_UP, &Pointer::OnMouse, this);
        m_target.Bind(wxEVT_RIGHT_DOWN, &Pointer::OnMouse, this);
        m_target.Bind(wxEVT_RIGHT_UP, &Pointer::OnMouse, this);
    }
    ~Pointer()
    {
        m_target.Unbind(wxEVT_MOTION, &Pointer::OnMouse, this);
        m_target.Unbind(wxEVT_LEFT_DOWN, &Pointer::OnMouse, this);
        m_target.Unbind(wxEVT_LEFT_DCLICK, &Pointer::OnMouse, this);
        m_target.Unbind(wxEVT_LEFT_UP, &Pointer::OnMouse, this);
        m_target.Unbind(wxEVT_RIGHT_DOWN, &Pointer::OnMouse, this);
        m_target.Unbind(wxEVT_RIGHT_UP, &Pointer::OnMouse, this);
    }
    // Client coordinates of the target window. Each step waits for its own
    // kind of event: a move can arrive between a press and its release.
    bool MoveTo(int x, int y)
    {
        return Step(m_moves, [&] { m_sim.MouseMove(m_target.ClientToScreen(wxPoint(x, y))); });
    }
    bool Down(int button = wxMOUSE_BTN_LEFT) { return Step(m_downs, [&] { m_sim.MouseDown(button); }); }
    bool Up(int button = wxMOUSE_BTN_LEFT) { return Step(m_ups, [&] { m_sim.MouseUp(button); }); }

private:
    bool Step(const int& counter, const std::function<void()>& act)
    {
        const int before = counter;
        act();
        return WaitUntil([&] { return counter > before; });
    }
    void OnMouse(wxMouseEvent& event)
    {
        const wxEventType t = event.GetEventType();
        if (t == wxEVT_MOTION)
            ++m_moves;
        else if (t == wxEVT_LEFT_UP || t == wxEVT_RIGHT_UP)
            ++m_ups;
        else
            ++m_downs;
        event.Skip();
    }

    wxWindow& m_target;
    wxUIActionSimulator m_sim;
    int m_moves = 0, m_downs = 0, m_ups = 0;
};

// The text GTK shows in a label, and whether a check menu item shows checked.
std::string GtkLabelText(wxWindow& label);
// What GTK shows in a one-line edit, a check box's or radio button's label
// and tick, a top-level window's title, and a book's tab labels in order.
std::string GtkEntryText(wxWindow& edit);
std::string GtkButtonLabel(wxWindow& button);
bool GtkToggleActive(wxWindow& button);
std::string GtkWindowTitle(wxWindow& toplevel);
std::vector<std::string> GtkTabLabels(wxWindow& book);
bool GtkChecked(wxMenuItem& item);
// Whether a GTK colour chooser shows its palette of custom colours.
bool GtkColourChooserHasPalette(wxWindow& dialog);
// The value of a GTK scroll bar's adjustment: where GTK draws the thumb.
double GtkRangeValue(wxWindow& scrollBar);
// The pixels along the bar that its thumb spans, first and one past last.
std::pair<int, int> GtkThumbSpan(wxWindow& scrollBar);
// For a multi-line text control: whether GTK has it scrolled to its last
// line, with more lines than fit (false when all fit).
bool GtkScrolledToEnd(wxWindow& text);

// What the X server shows of a window's client area, client pixel (0, 0)
// at the image's top left.
wxImage GrabClient(wxWindow& window);

// The cursor GTK sets on a window's client area: none of its own (the
// parent's shows), the cross hair, or another.
enum class GtkCursorShown { inherited = 0, cross = 1, other = 2 };
int GtkClientCursorCode(wxWindow& window);
inline GtkCursorShown GtkClientCursor(wxWindow& window) { return GtkCursorShown(GtkClientCursorCode(window)); }

// Where GTK placed a child control, in its parent's client pixels.
wxRect AllocationOf(wxWindow& window);
// The label GTK shows for a menu item.
std::string GtkMenuItemLabel(wxMenuItem& item);
// Whether a radio or check button shows as chosen.
bool GtkToggled(wxWindow& button);
// Whether the window under the pointer shows the cross cursor.
bool GtkCrossCursorAtPointer();
