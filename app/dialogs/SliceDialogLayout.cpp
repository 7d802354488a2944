#include "app/dialogs/SliceDialogLayout.h"

#include <algorithm>

#include <wx/dcclient.h>
#include <wx/dialog.h>
#include <wx/scrolbar.h>
#include <wx/stattext.h>

#include "app/ScrollBarNoKbd.h"
#include "app/dialogs/SliceArea.h"

namespace {
constexpr int kGap = 12; // pixels between the area and the column, and at the edges

wxRect AreaRect() { return wxRect(kSliceAreaLeft, kSliceAreaTop, kSliceAreaSize, kSliceAreaSize); }
} // namespace

void PlaceAroundSliceArea(wxDialog& dialog, wxSize templateUnits, wxScrollBar* bar, wxStaticText* hint)
{
    const wxRect area = AreaRect();
    wxSize client = dialog.ConvertDialogToPixels(templateUnits);
    int bottom = area.GetBottom() + 1;
    if (bar) {
        const int height = std::max(bar->GetBestSize().y, dialog.ConvertDialogToPixels(wxSize(0, 10)).y);
        bar->SetSize(area.x, bottom + 4, area.width, height);
        bottom = bar->GetRect().GetBottom() + 1;
    }
    if (hint) {
        hint->Wrap(area.width);
        hint->SetSize(area.x, bottom + 8, area.width, hint->GetBestSize().y);
        bottom = hint->GetRect().GetBottom() + 1;
    }
    auto beside = [&](wxWindow* child) { return child != bar && child != hint; };
    int left = client.x;
    for (wxWindow* child : dialog.GetChildren())
        if (beside(child))
            left = std::min(left, child->GetPosition().x);
    const int shift = std::max(0, area.GetRight() + 1 + kGap - left);
    int right = 0;
    for (wxWindow* child : dialog.GetChildren()) {
        if (beside(child))
            child->Move(child->GetPosition() + wxPoint(shift, 0));
        right = std::max(right, child->GetRect().GetRight() + 1);
        bottom = std::max(bottom, child->GetRect().GetBottom() + 1);
    }
    client.x = std::max(client.x, right + kGap / 2);
    client.y = std::max(client.y, bottom + kGap / 2);
    dialog.SetClientSize(client);
}

void PaintSliceArea(wxDialog& dialog, const wxBitmap& picture)
{
    wxPaintDC dc(&dialog);
    const wxRect area = AreaRect();
    if (dialog.GetUpdateRegion().Contains(area) == wxOutRegion)
        return;
    if (picture.IsOk()) {
        dc.DrawBitmap(picture, area.x, area.y);
    } else {
        dc.SetPen(*wxBLACK_PEN);
        dc.SetBrush(*wxBLACK_BRUSH);
        dc.DrawRectangle(area);
    }
}

int SliceFromScroll(const wxScrollEvent& event, int current, int dim, wxScrollBar* bar)
{
    const int max = std::max(dim - 1, 0);
    const int pos = std::clamp(
        ScrollPosition(ScrollCodeOf(event.GetEventType()), current, event.GetPosition(), 0, max, 0), 0, max);
    if (bar)
        bar->SetThumbPosition(pos);
    return pos;
}

void SetLabelIfChanged(wxWindow* window, const wxString& text)
{
    if (window && window->GetLabel() != text)
        window->SetLabel(text);
}
