#include "app/dialogs/RSnakeDialog.h"

#include <algorithm>
#include <stdexcept>

#include <wx/dcclient.h>
#include <wx/image.h>
#include <wx/xrc/xmlres.h>

#include "data/AppSettings.h"
#include "processing/SliceImage.h"

namespace {
const wxSize kTemplateSize(94, 66); // dialog units
// Pixels kept clear between the view and the controls beside it.
constexpr int kGap = 12;
} // namespace

wxBEGIN_EVENT_TABLE(CRSnakeDialog, CDdxDialog)
    EVT_INIT_DIALOG(CRSnakeDialog::OnInitDialog)
    EVT_PAINT(CRSnakeDialog::OnPaint)
    EVT_LEFT_DOWN(CRSnakeDialog::OnLButtonDown)
    EVT_LEFT_UP(CRSnakeDialog::OnLButtonUp)
    EVT_MOTION(CRSnakeDialog::OnMouseMove)
    EVT_RIGHT_DOWN(CRSnakeDialog::OnRButtonDown)
    EVT_RIGHT_UP(CRSnakeDialog::OnRButtonUp)
    EVT_MOUSE_CAPTURE_LOST(CRSnakeDialog::OnCaptureLost)
    EVT_CHECKBOX(XRCID("IDC_SHOW_GRIDLINES"), CRSnakeDialog::OnShowGridlines)
wxEND_EVENT_TABLE()

CRSnakeDialog::CRSnakeDialog(wxWindow* parent) : m_viewRgb(kRSnakeViewBytes, 0)
{
    if (!wxXmlResource::Get()->LoadDialog(this, parent, "IDD_RSNAKE"))
        throw std::runtime_error("dialog template IDD_RSNAKE missing");
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    PlaceBesideView();
    CentreOnParent();
}

CRSnakeDialog::~CRSnakeDialog() { ReleaseIfHeld(); }

void CRSnakeDialog::PlaceBesideView()
{
    const wxRect view = ViewRect();
    wxSize client = ConvertDialogToPixels(kTemplateSize);
    int left = client.x;
    for (wxWindow* child : GetChildren())
        left = std::min(left, child->GetPosition().x);
    const int shift = std::max(0, view.GetRight() + 1 + kGap - left);
    int right = 0, bottom = view.GetBottom() + 1;
    for (wxWindow* child : GetChildren()) {
        child->Move(child->GetPosition() + wxPoint(shift, 0));
        right = std::max(right, child->GetRect().GetRight() + 1);
        bottom = std::max(bottom, child->GetRect().GetBottom() + 1);
    }
    SetClientSize(std::max(client.x, right + kGap / 2), std::max(client.y, bottom + view.x));
}

void CRSnakeDialog::DoDataExchange(CDataExchange& dx) { dx.Check("IDC_SHOW_GRIDLINES", m_bShowGridlines); }

void CRSnakeDialog::OnInitDialog(wxInitDialogEvent&)
{
    UpdateData(false);
    m_imageRgb.clear();
    if (m_pSliceImage && m_pSliceImage->m_nWidth > 0 && m_pSliceImage->m_nHeight > 0) {
        const int w = m_pSliceImage->m_nWidth, h = m_pSliceImage->m_nHeight;
        m_view.Fit(w, h);
        // A kind the image does not have writes nothing: the view stays black.
        std::vector<std::uint8_t> plane(std::size_t(w) * std::size_t(h), 0);
        m_pSliceImage->GetImage(CAppSettings::GetInstance()->m_nImageDisplayed, true, false, false, plane.data());
        m_imageRgb = CRSnakeView::GreyImage(plane.data(), w, h);
    } else {
        m_view.Fit(0, 0);
    }
    Redraw();
}

void CRSnakeDialog::Redraw()
{
    m_view.Draw(m_imageRgb.empty() ? nullptr : m_imageRgb.data(), m_bShowGridlines != 0, m_viewRgb.data());
    m_bmView = wxBitmap(wxImage(kRSnakeViewSize, kRSnakeViewSize, m_viewRgb.data(), true));
    RefreshRect(ViewRect(), false);
}

void CRSnakeDialog::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    // The background is ours to paint (nothing erases it first).
    dc.SetBackground(wxBrush(GetBackgroundColour()));
    dc.Clear();
    if (m_bmView.IsOk())
        dc.DrawBitmap(m_bmView, kRSnakeViewLeft, kRSnakeViewTop);
}

void CRSnakeDialog::OnRButtonDown(wxMouseEvent& event)
{
    if (!CRSnakeView::InView(event.GetX(), event.GetY()))
        return;
    if (!HasCapture())
        CaptureMouse();
    m_view.BeginZoom(event.GetX());
}

void CRSnakeDialog::OnLButtonDown(wxMouseEvent& event)
{
    if (!CRSnakeView::InView(event.GetX(), event.GetY()) || !m_view.BeginPan(event.GetX(), event.GetY())) {
        event.Skip();
        return;
    }
    if (!HasCapture())
        CaptureMouse();
}

void CRSnakeDialog::OnMouseMove(wxMouseEvent& event)
{
    if (m_view.MoveTo(event.GetX(), event.GetY()))
        Redraw();
    event.Skip();
}

void CRSnakeDialog::OnLButtonUp(wxMouseEvent& event)
{
    m_view.EndPan();
    ReleaseIfHeld();
    event.Skip();
}

void CRSnakeDialog::OnRButtonUp(wxMouseEvent& event)
{
    m_view.EndZoom();
    ReleaseIfHeld();
    event.Skip();
}

void CRSnakeDialog::ReleaseIfHeld()
{
    if (HasCapture())
        ReleaseMouse();
}

// Another window took the pointer (a menu, a grab): the drag is over.
void CRSnakeDialog::OnCaptureLost(wxMouseCaptureLostEvent&)
{
    m_view.EndPan();
    m_view.EndZoom();
}

void CRSnakeDialog::OnShowGridlines(wxCommandEvent&)
{
    UpdateData(true);
    Redraw();
}
