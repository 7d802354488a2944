#pragma once
#include <cstdint>

#include <wx/bitmap.h>
#include <wx/brush.h>
#include <wx/dcmemory.h>
#include <wx/event.h>
#include <wx/font.h>
#include <wx/window.h>

class CThumbWheel;

// The messages a wheel sends its parent: the kind added to this.
constexpr int kWmUser = 0x0400;

// A wheel's step report, sent synchronously to the parent. The event's id is
// the message (kWmUser + kind), so an event table binds one handler per wheel
// kind; wParam carries the angle's low 16 bits in its high word.
class CThumbWheelEvent : public wxEvent {
public:
    CThumbWheelEvent(int message, std::uint32_t wParam, CThumbWheel* wheel);
    wxEvent* Clone() const override { return new CThumbWheelEvent(*this); }

    std::uint32_t m_wParam;
    CThumbWheel* m_pWheel; // lParam
};

wxDECLARE_EVENT(VX_EVT_THUMBWHEEL, CThumbWheelEvent);
typedef void (wxEvtHandler::*CThumbWheelEventFunction)(CThumbWheelEvent&);
#define EVT_THUMBWHEEL(message, func)                                                                                  \
    wx__DECLARE_EVT1(VX_EVT_THUMBWHEEL, message, wxEVENT_HANDLER_CAST(CThumbWheelEventFunction, func))

// A ribbed wheel along one edge of its parent that turns drags along it into
// an angle in degrees. Kinds: 1 X (left edge, vertical), 2 Y (top), 3 Z
// (right edge, vertical), 4 Zoom (bottom). It has an X window of its own so
// that it keeps its pixels over a GL canvas.
class CThumbWheel : public wxWindow {
public:
    static constexpr int kThickness = 23;

    CThumbWheel();
    ~CThumbWheel() override;

    // Stores the kind and creates the window; false for a kind outside 1..4
    // or a missing bitmap.
    virtual bool Create(const wxString& text, long style, const wxRect& rect, wxWindow* parent, int id, int kind);
    // Places the wheel along its edge of a parent client area of this size.
    void Reposition(int width, int height);
    // Writes `text` at (x, y) at once over the label written before, which
    // goes; the next paint of the wheel removes it.
    void DrawLabel(int x, int y, const wxString& text);
    // The frame of the current angle at the image position; on the wheel's own
    // device context when none is given.
    void DrawWheel(wxDC* dc = nullptr);

    // The owner writes these directly and then refreshes the wheel.
    bool m_bEnabled = true;
    int m_nAngle = 0; // 0..359, except Zoom which is unbounded

    wxFont m_font;
    wxString m_strLabel;
    int m_nKind = 0;
    bool m_bCreated = false;
    std::uint32_t m_nNotifyMsg = 0;
    wxColour m_crBack{212, 208, 200};
    wxBrush m_brBack;
    int m_nImageX = 0, m_nImageY = 0, m_nImageW = 0, m_nImageH = 0;
    wxRect m_rcWheel;
    int m_nLastX = 0, m_nLastY = 0;
    wxBitmap m_bmWheel;
    wxMemoryDC m_dcMem;

private:
    bool OnCreate();
    bool IsVertical() const { return m_nKind == 1 || m_nKind == 3; }
    wxRect LabelRect() const;
    void DrawEtchedEdge(wxDC& dc) const;

    void OnPaint(wxPaintEvent& event);
    void OnLButtonDown(wxMouseEvent& event);
    void OnLButtonUp(wxMouseEvent& event);
    void OnMouseMove(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);

    // Where DrawLabel last wrote. A paint may have taken only part of it
    // away, so it is kept.
    wxRect m_rcLabel;

    wxDECLARE_EVENT_TABLE();
};
