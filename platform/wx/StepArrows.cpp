#include "platform/wx/StepArrows.h"

#include <algorithm>

#include <wx/dcbuffer.h>
#include <wx/renderer.h>
#include <wx/settings.h>
#include <wx/xrc/xmlres.h>

#include <stdexcept>

CStepArrows::CStepArrows(wxWindow* parent, wxWindowID id)
    : wxControl(parent, id, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE)
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &CStepArrows::OnPaint, this);
    Bind(wxEVT_LEFT_DOWN, &CStepArrows::OnLeftDown, this);
    Bind(wxEVT_LEFT_DCLICK, &CStepArrows::OnLeftDown, this);
    Bind(wxEVT_LEFT_UP, &CStepArrows::OnLeftUp, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &CStepArrows::OnCaptureLost, this);
}

wxSize CStepArrows::DoGetBestSize() const { return FromDIP(wxSize(16, 22)); }

int CStepArrows::HalfAt(const wxPoint& point) const { return point.y < GetClientSize().y / 2 ? 1 : -1; }

void CStepArrows::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    const wxSize size = GetClientSize();
    dc.SetBackground(wxBrush(GetParent()->GetBackgroundColour()));
    dc.Clear();
    const int half = size.y / 2;
    const wxRect upper(0, 0, size.x, half), lower(0, half, size.x, size.y - half);
    const bool enabled = IsThisEnabled() && IsEnabled();
    const wxColour arrow = wxSystemSettings::GetColour(enabled ? wxSYS_COLOUR_BTNTEXT : wxSYS_COLOUR_GRAYTEXT);
    for (int direction : {1, -1}) {
        const wxRect& r = direction > 0 ? upper : lower;
        int flags = enabled ? 0 : int(wxCONTROL_DISABLED);
        if (m_nPressed == direction)
            flags |= wxCONTROL_PRESSED;
        wxRendererNative::Get().DrawPushButton(this, dc, r, flags);
        const int cx = r.x + r.width / 2, cy = r.y + r.height / 2;
        const int w = std::max(2, std::min(r.width, r.height * 2) / 4);
        const int h = std::max(1, w / 2 + 1);
        wxPoint tri[3];
        if (direction > 0) {
            tri[0] = wxPoint(cx - w, cy + h / 2);
            tri[1] = wxPoint(cx + w, cy + h / 2);
            tri[2] = wxPoint(cx, cy + h / 2 - h);
        } else {
            tri[0] = wxPoint(cx - w, cy - h / 2);
            tri[1] = wxPoint(cx + w, cy - h / 2);
            tri[2] = wxPoint(cx, cy - h / 2 + h);
        }
        dc.SetPen(wxPen(arrow));
        dc.SetBrush(wxBrush(arrow));
        dc.DrawPolygon(3, tri);
    }
}

void CStepArrows::OnLeftDown(wxMouseEvent& event)
{
    if (!IsEnabled())
        return;
    m_nPressed = HalfAt(event.GetPosition());
    if (!HasCapture())
        CaptureMouse();
    Refresh(false);
    if (m_onStep)
        m_onStep(m_nPressed);
}

void CStepArrows::OnLeftUp(wxMouseEvent&) { Release(); }

void CStepArrows::OnCaptureLost(wxMouseCaptureLostEvent&)
{
    m_nPressed = 0;
    Refresh(false);
}

void CStepArrows::Release()
{
    if (HasCapture())
        ReleaseMouse();
    m_nPressed = 0;
    Refresh(false);
}

CStepArrows& AttachStepArrows(wxWindow& dialog, const char* name)
{
    auto* control = new CStepArrows(&dialog);
    if (!wxXmlResource::Get()->AttachUnknownControl(name, control, &dialog))
        throw std::logic_error(std::string("dialog control missing: ") + name);
    return *control;
}
