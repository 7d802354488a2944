#include "app/UpDown.h"

#include <algorithm>

#include <wx/dcbuffer.h>
#include <wx/renderer.h>
#include <wx/settings.h>
#include <wx/textctrl.h>

#include "app/dialogs/IntegerField.h"

wxBEGIN_EVENT_TABLE(CUpDown, wxWindow)
    EVT_PAINT(CUpDown::OnPaint)
    EVT_LEFT_DOWN(CUpDown::OnLeftDown)
    EVT_LEFT_DCLICK(CUpDown::OnLeftDown)
    EVT_LEFT_UP(CUpDown::OnLeftUp)
    EVT_MOUSE_CAPTURE_LOST(CUpDown::OnCaptureLost)
    EVT_TIMER(wxID_ANY, CUpDown::OnTimer)
wxEND_EVENT_TABLE()

bool CUpDown::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
{
    if (!wxWindow::Create(parent, id, pos, size, wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE))
        return false;
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    m_timer.SetOwner(this);
    return true;
}

CUpDown::~CUpDown()
{
    m_timer.Stop();
    if (m_pBuddy)
        m_pBuddy->Unbind(wxEVT_KEY_DOWN, &CUpDown::OnBuddyKey, this);
}

wxSize CUpDown::DoGetBestSize() const { return FromDIP(wxSize(16, 22)); }

void CUpDown::SetBuddy(wxTextCtrl* buddy)
{
    if (m_pBuddy)
        m_pBuddy->Unbind(wxEVT_KEY_DOWN, &CUpDown::OnBuddyKey, this);
    m_pBuddy = buddy;
    if (m_pBuddy)
        m_pBuddy->Bind(wxEVT_KEY_DOWN, &CUpDown::OnBuddyKey, this);
}

void CUpDown::SetRange(int min, int max)
{
    m_nMin = std::min(min, max);
    m_nMax = std::max(min, max);
    m_nPos = std::clamp(m_nPos, m_nMin, m_nMax);
}

int CUpDown::GetPos() const
{
    int value = 0;
    if (m_pBuddy && ParseDialogInt(m_pBuddy->GetValue(), value))
        return value;
    return m_nPos;
}

void CUpDown::SetPos(int pos)
{
    m_nPos = std::clamp(pos, m_nMin, m_nMax);
    WriteBuddy(m_nPos);
}

void CUpDown::Step(int delta)
{
    const int current = GetPos();
    // In 64 bits: a typed number near the int limits must not wrap.
    const int next = int(std::clamp<long long>(static_cast<long long>(current) + delta, m_nMin, m_nMax));
    m_nPos = next;
    // At an end of the range the field keeps its text, and nobody hears of it.
    if (next != current)
        WriteBuddy(next);
}

void CUpDown::WriteBuddy(int value)
{
    // SetValue, not ChangeValue: the dialog hears the change as if typed.
    if (m_pBuddy)
        m_pBuddy->SetValue(wxString::Format("%d", value));
}

int CUpDown::ArrowAt(const wxPoint& p) const { return p.y < GetClientSize().y / 2 ? +1 : -1; }

void CUpDown::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    const wxSize size = GetClientSize();
    dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
    dc.Clear();
    const int half = size.y / 2;
    const wxRect halves[2] = {wxRect(0, 0, size.x, half), wxRect(0, half, size.x, size.y - half)};
    const wxColour arrow = IsEnabled() ? wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT)
                                       : wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT);
    for (int i = 0; i < 2; ++i) {
        const int delta = i == 0 ? +1 : -1;
        int flags = 0;
        if (m_nPressed == delta)
            flags |= wxCONTROL_PRESSED;
        if (!IsEnabled())
            flags |= wxCONTROL_DISABLED;
        const wxRect& r = halves[i];
        wxRendererNative::Get().DrawPushButton(this, dc, r, flags);
        // A small triangle pointing up or down in the middle of the half.
        const int w = std::max(2, std::min(r.width - 6, 2 * (r.height - 4)) / 2 * 2);
        const int h = std::max(1, w / 2);
        const int cx = r.x + r.width / 2, cy = r.y + r.height / 2;
        wxPoint tri[3];
        if (delta > 0)
            tri[0] = {cx - w / 2, cy + h / 2}, tri[1] = {cx + w / 2, cy + h / 2}, tri[2] = {cx, cy - (h + 1) / 2};
        else
            tri[0] = {cx - w / 2, cy - h / 2}, tri[1] = {cx + w / 2, cy - h / 2}, tri[2] = {cx, cy + (h + 1) / 2};
        dc.SetPen(wxPen(arrow));
        dc.SetBrush(wxBrush(arrow));
        dc.DrawPolygon(3, tri);
    }
}

void CUpDown::OnLeftDown(wxMouseEvent& event)
{
    if (!IsEnabled())
        return;
    m_nPressed = ArrowAt(event.GetPosition());
    if (!HasCapture())
        CaptureMouse();
    Refresh(false);
    Step(m_nPressed);
    m_timer.StartOnce(m_nRepeatDelay);
}

void CUpDown::OnLeftUp(wxMouseEvent&)
{
    m_timer.Stop();
    m_nPressed = 0;
    if (HasCapture())
        ReleaseMouse();
    Refresh(false);
}

void CUpDown::OnCaptureLost(wxMouseCaptureLostEvent&)
{
    m_timer.Stop();
    m_nPressed = 0;
    Refresh(false);
}

void CUpDown::OnTimer(wxTimerEvent&)
{
    if (!m_nPressed)
        return;
    // Only while the pointer stays over the arrow that was pressed.
    const wxPoint p = ScreenToClient(wxGetMousePosition());
    if (wxRect(GetClientSize()).Contains(p) && ArrowAt(p) == m_nPressed)
        Step(m_nPressed);
    m_timer.StartOnce(m_nRepeatPeriod);
}

void CUpDown::OnBuddyKey(wxKeyEvent& event)
{
    const int key = event.GetKeyCode();
    if (IsEnabled() && !event.HasAnyModifiers() && (key == WXK_UP || key == WXK_DOWN)) {
        Step(key == WXK_UP ? +1 : -1);
        return;
    }
    event.Skip();
}
