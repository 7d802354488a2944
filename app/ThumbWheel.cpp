#include "app/ThumbWheel.h"

#include <wx/dcclient.h>

#include "app/Resources.h"
#include "platform/wx/NativeWindow.h"

wxDEFINE_EVENT(VX_EVT_THUMBWHEEL, CThumbWheelEvent);

CThumbWheelEvent::CThumbWheelEvent(int message, std::uint32_t wParam, CThumbWheel* wheel)
    : wxEvent(message, VX_EVT_THUMBWHEEL), m_wParam(wParam), m_pWheel(wheel)
{
    SetEventObject(wheel);
}

namespace {
struct WheelKind {
    const char* label;
    const char* bitmap; // 131 horizontal, 132 vertical
    int imageX, imageY, imageW, imageH;
    int labelLeft, labelTop, labelRight, labelBottom;
};

constexpr WheelKind kKinds[4] = {
    {"X", "ThumbWheelV.xpm", 3, 64, 17, 123, 0, 40, 23, 64},
    {"Y", "ThumbWheelH.xpm", 32, 3, 123, 17, 0, 5, 32, 23},
    {"Z", "ThumbWheelV.xpm", 3, 32, 17, 123, 0, 8, 23, 32},
    {"Zoom", "ThumbWheelH.xpm", 55, 3, 123, 17, 12, 5, 44, 23},
};

constexpr int kFrameStep = 17; // pixels from one frame of the strip to the next
const wxColour kShadow(128, 128, 128);
const wxColour kHighlight(255, 255, 255);
} // namespace

wxBEGIN_EVENT_TABLE(CThumbWheel, wxWindow)
    EVT_PAINT(CThumbWheel::OnPaint)
    EVT_LEFT_DOWN(CThumbWheel::OnLButtonDown)
    // The wheel knows no double clicks: a quick second press starts a drag.
    EVT_LEFT_DCLICK(CThumbWheel::OnLButtonDown)
    EVT_LEFT_UP(CThumbWheel::OnLButtonUp)
    EVT_MOTION(CThumbWheel::OnMouseMove)
    EVT_MOUSE_CAPTURE_LOST(CThumbWheel::OnCaptureLost)
wxEND_EVENT_TABLE()

// The label font was asked for at 10 tenths of a point, which the raster font
// it named could only give at its smallest size, 8 points; a scalable font at
// 1 point would be unreadable.
CThumbWheel::CThumbWheel() : m_font(wxFontInfo(8).Family(wxFONTFAMILY_SWISS)) {}

CThumbWheel::~CThumbWheel()
{
    if (m_bCreated)
        m_dcMem.SelectObject(wxNullBitmap);
}

bool CThumbWheel::Create(const wxString& text, long style, const wxRect& rect, wxWindow* parent, int id, int kind)
{
    m_nKind = kind;
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    if (!wxWindow::Create(parent, id, rect.GetPosition(), rect.GetSize(), style | wxFULL_REPAINT_ON_RESIZE))
        return false;
    SetLabel(text);
    return OnCreate();
}

bool CThumbWheel::OnCreate()
{
    if (m_nKind < 1 || m_nKind > 4)
        return false;
    const WheelKind& k = kKinds[m_nKind - 1];
    m_bmWheel = LoadResourceBitmap(k.bitmap);
    if (!m_bmWheel.IsOk())
        return false;
    m_brBack = wxBrush(m_crBack);
    m_dcMem.SelectObject(m_bmWheel);
    m_nImageX = k.imageX;
    m_nImageY = k.imageY;
    m_nImageW = k.imageW;
    m_nImageH = k.imageH;
    m_rcWheel = wxRect(m_nImageX, m_nImageY, m_nImageW, m_nImageH);
    m_nNotifyMsg = std::uint32_t(kWmUser + m_nKind);
    m_strLabel = k.label;
    // Over the view's GL canvas every swap would paint over a wheel that
    // shares the canvas's X window.
    MakeNativeWindow(*this);
    m_bCreated = true;
    return true;
}

void CThumbWheel::Reposition(int width, int height)
{
    const int t = kThickness;
    switch (m_nKind) {
    case 1: SetSize(0, 0, t, height - t); break;
    case 2: SetSize(t, 0, width - t, t); break;
    case 3: SetSize(width - t, t, t, height - t); break;
    case 4: SetSize(0, height - t, width - t, t); break;
    default: return;
    }
    Show();
}

wxRect CThumbWheel::LabelRect() const
{
    const WheelKind& k = kKinds[m_nKind - 1];
    return wxRect(wxPoint(k.labelLeft, k.labelTop), wxPoint(k.labelRight - 1, k.labelBottom - 1));
}

void CThumbWheel::DrawLabel(int x, int y, const wxString& text)
{
    wxClientDC dc(this);
    dc.SetFont(m_font);
    const wxRect label(wxPoint(x, y), dc.GetTextExtent(text));
    // The text's own background covers only its extent: a shorter label
    // would leave the tail of a longer one ("7.27 FPSS"). The area of both
    // is drawn off screen and put on the wheel in one go, so that it never
    // shows empty.
    const wxRect area = m_rcLabel.IsEmpty() ? label : label.Union(m_rcLabel);
    wxBitmap bitmap(area.GetSize());
    wxMemoryDC mem(bitmap);
    mem.SetBackground(m_brBack);
    mem.Clear();
    mem.SetFont(m_font);
    mem.SetTextForeground(*wxBLACK);
    mem.SetTextBackground(m_crBack);
    mem.SetBackgroundMode(wxBRUSHSTYLE_SOLID);
    mem.DrawText(text, label.GetPosition() - area.GetPosition());
    dc.Blit(area.GetPosition(), area.GetSize(), &mem, wxPoint(0, 0));
    m_rcLabel = label;
}

void CThumbWheel::DrawWheel(wxDC* dc)
{
    if (!m_bCreated)
        return;
    // The frame of a negative angle counts on from the last one: -1 is 3.
    const int frame = ((m_nAngle % 4) + 4) % 4;
    const int offset = frame * kFrameStep;
    const wxPoint source = IsVertical() ? wxPoint(offset, 0) : wxPoint(0, offset);
    if (dc) {
        dc->Blit(m_nImageX, m_nImageY, m_nImageW, m_nImageH, &m_dcMem, source.x, source.y, wxCOPY);
        return;
    }
    wxClientDC own(this);
    own.Blit(m_nImageX, m_nImageY, m_nImageW, m_nImageH, &m_dcMem, source.x, source.y, wxCOPY);
}

void CThumbWheel::DrawEtchedEdge(wxDC& dc) const
{
    // A sunken line beside a raised one, along the side facing the view's
    // drawing, short of the corner the next wheel covers.
    const wxSize s = GetClientSize();
    const int t = kThickness;
    auto line = [&](const wxColour& c, int x0, int y0, int x1, int y1) {
        dc.SetPen(wxPen(c));
        dc.DrawLine(x0, y0, x1, y1);
    };
    switch (m_nKind) {
    case 1: // right side, below the top 23 pixels
        line(kShadow, s.x - 2, t, s.x - 2, s.y);
        line(kHighlight, s.x - 1, t, s.x - 1, s.y);
        break;
    case 2: // bottom side, short of the right 23 pixels
        line(kShadow, 0, s.y - 2, s.x - t, s.y - 2);
        line(kHighlight, 0, s.y - 1, s.x - t, s.y - 1);
        break;
    case 3: // left side, above the bottom 23 pixels
        line(kShadow, 0, 0, 0, s.y - t);
        line(kHighlight, 1, 0, 1, s.y - t);
        break;
    case 4: // top side, right of the left 23 pixels
        line(kShadow, t, 0, s.x, 0);
        line(kHighlight, t, 1, s.x, 1);
        break;
    default: break;
    }
}

void CThumbWheel::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    if (!m_bCreated)
        return;
    // A repaint of the wheel image alone keeps the rest as it is.
    if (GetUpdateRegion().GetBox() != m_rcWheel) {
        dc.SetBackground(m_brBack);
        dc.Clear();
        DrawEtchedEdge(dc);
        if (m_bEnabled) {
            dc.SetFont(m_font);
            dc.SetTextForeground(*wxBLACK);
            dc.SetTextBackground(m_crBack);
            dc.DrawLabel(m_strLabel, LabelRect(), wxALIGN_CENTRE);
        }
    }
    if (m_bEnabled)
        DrawWheel(&dc);
}

void CThumbWheel::OnLButtonDown(wxMouseEvent& event)
{
    if (!m_rcWheel.Contains(event.GetPosition()))
        return;
    if (!HasCapture())
        CaptureMouse();
    m_nLastX = event.GetX();
    m_nLastY = event.GetY();
}

void CThumbWheel::OnLButtonUp(wxMouseEvent&)
{
    if (HasCapture())
        ReleaseMouse();
}

void CThumbWheel::OnCaptureLost(wxMouseCaptureLostEvent&) {}

void CThumbWheel::OnMouseMove(wxMouseEvent& event)
{
    if (!m_bEnabled || !HasCapture())
        return;
    // Moving up turns the vertical wheels forward.
    const int delta = IsVertical() ? m_nLastY - event.GetY() : event.GetX() - m_nLastX;
    const int step = int(float(delta) * 0.8f);
    // Slow moves add up until they make a whole degree.
    if (step == 0)
        return;
    m_nLastX = event.GetX();
    m_nLastY = event.GetY();
    m_nAngle += step;
    if (m_nKind != 4) {
        while (m_nAngle > 359)
            m_nAngle -= 360;
        while (m_nAngle < 0)
            m_nAngle += 360;
    }
    DrawWheel();
    const std::uint32_t wParam = std::uint32_t(std::uint16_t(m_nAngle)) << 16;
    CThumbWheelEvent notify(int(m_nNotifyMsg), wParam, this);
    if (wxWindow* parent = GetParent())
        parent->GetEventHandler()->ProcessEvent(notify);
}
