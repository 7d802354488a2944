#include "app/dialogs/MarkerDlg.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dcclient.h>
#include <wx/image.h>
#include <wx/listbox.h>
#include <wx/radiobut.h>
#include <wx/scrolbar.h>
#include <wx/stattext.h>
#include <wx/utils.h>
#include <wx/xrc/xmlres.h>

#include "app/dialogs/ActiveDialog.h"
#include "app/dialogs/RSnakeDialog.h"
#include "app/dialogs/SliceDialogLayout.h"
#include "data/AppSettings.h"
#include "data/Volume.h"
#include "platform/wx/ScrollBarStyle.h"
#include "processing/SliceImage.h"
#include "processing/Snake.h"
#include "processing/Watershed.h"
#include "res/ControlIds.h"

wxBEGIN_EVENT_TABLE(CMarkerDlg, wxDialog)
    EVT_INIT_DIALOG(CMarkerDlg::OnInitDialog)
    EVT_PAINT(CMarkerDlg::OnPaint)
    EVT_COMMAND_SCROLL(IDC_SLICE_SCROLL, CMarkerDlg::OnHScroll)
    EVT_MOTION(CMarkerDlg::OnMouseMove)
    EVT_LEFT_DOWN(CMarkerDlg::OnLButtonDown)
    EVT_LEFT_DCLICK(CMarkerDlg::OnLButtonDown)
    EVT_LEFT_UP(CMarkerDlg::OnLButtonUp)
    EVT_RIGHT_DOWN(CMarkerDlg::OnRButtonDown)
    EVT_RIGHT_DCLICK(CMarkerDlg::OnRButtonDown)
    EVT_MOUSE_CAPTURE_LOST(CMarkerDlg::OnCaptureLost)
    EVT_TIMER(CMarkerDlg::kPreviewTimer, CMarkerDlg::OnTimer)
    EVT_RADIOBUTTON(IDC_AXIS_X, CMarkerDlg::OnAxisX)
    EVT_RADIOBUTTON(IDC_AXIS_Y, CMarkerDlg::OnAxisY)
    EVT_RADIOBUTTON(IDC_AXIS_Z, CMarkerDlg::OnAxisZ)
    EVT_BUTTON(IDC_SEG_REMOVE_IN, CMarkerDlg::OnRemoveInPoint)
    EVT_BUTTON(IDC_SEG_REMOVE_OUT, CMarkerDlg::OnRemoveOutPoint)
    EVT_LISTBOX(IDC_SEG_IN_LIST, CMarkerDlg::OnInListSelChange)
    EVT_LISTBOX(IDC_SEG_OUT_LIST, CMarkerDlg::OnOutListSelChange)
    EVT_CHECKBOX(IDC_SEG_ACTIVE_CONTOURS, CMarkerDlg::OnUseActiveContours)
    EVT_BUTTON(IDC_SEG_SETTINGS, CMarkerDlg::OnSettings)
    EVT_CHECKBOX(IDC_SEG_HIGHLIGHT, CMarkerDlg::OnContourDisplay)
    EVT_CHECKBOX(IDC_SEG_SHOW_MEANS, CMarkerDlg::OnContourDisplay)
    EVT_BUTTON(IDC_PROCESS, CMarkerDlg::OnProcess)
wxEND_EVENT_TABLE()

namespace {
const wxSize kTemplateSize(526, 356); // dialog units

void EnableControl(wxWindow* parent, int id, bool enable)
{
    if (wxWindow* w = parent->FindWindow(id))
        w->Enable(enable);
}
} // namespace

CMarkerDlg::CMarkerDlg(wxWindow* parent) : m_timer(this, kPreviewTimer)
{
    wxXmlResource::Get()->LoadDialog(this, parent, "IDD_MARKER");
    m_scrollSlice = dynamic_cast<wxScrollBar*>(FindWindow(IDC_SLICE_SCROLL));
    m_listIn = dynamic_cast<wxListBox*>(FindWindow(IDC_SEG_IN_LIST));
    m_listOut = dynamic_cast<wxListBox*>(FindWindow(IDC_SEG_OUT_LIST));
    if (m_scrollSlice) {
        UseWindowsScrollBarClicks(*m_scrollSlice);
        IgnoreScrollBarPageSteps(*m_scrollSlice);
    }
    // GTK hands a press on a label to the label's wx window, not to the
    // dialog under it; the press is the dialog's all the same. A second
    // quick press comes as a double click, which on the dialog is just
    // another press: two quick clicks place two seeds.
    if (wxWindow* preview = FindWindow(IDC_SEG_PREVIEW)) {
        preview->Bind(wxEVT_LEFT_DOWN, &CMarkerDlg::OnPreviewDown, this);
        preview->Bind(wxEVT_LEFT_DCLICK, &CMarkerDlg::OnPreviewDown, this);
    }
    PlaceAroundArea();
    CentreOnParent();
}

CMarkerDlg::~CMarkerDlg()
{
    StopTimer();
    if (HasCapture())
        ReleaseMouse();
    FreePlaneBuffers();
}

wxRect CMarkerDlg::AreaRect() const { return wxRect(kSliceAreaLeft, kSliceAreaTop, kSliceAreaSize, kSliceAreaSize); }

void CMarkerDlg::PlaceAroundArea()
{
    PlaceAroundSliceArea(*this, kTemplateSize, m_scrollSlice,
                         dynamic_cast<wxStaticText*>(FindWindow(XRCID("IDC_SEG_HINT"))));
}

void CMarkerDlg::DoDataExchange(CDataExchange& dx)
{
    dx.Text("IDC_POSITION_TEXT", m_strPosition);
    dx.Text("IDC_VALUE_TEXT", m_strValue);
    dx.Text("IDC_SEG_STATUS", m_strStatus);
    dx.Check("IDC_SEG_INVERT", m_bInvert);
    dx.Check("IDC_SEG_REAPPLY_TEXTURE", m_bReapplyTexture);
    dx.Check("IDC_SEG_HIGHLIGHT", m_bHighlightContours);
    dx.Check("IDC_SEG_SHOW_MEANS", m_bShowMeans);
    dx.Check("IDC_SEG_ACTIVE_CONTOURS", m_bUseActiveContours);
}

void CMarkerDlg::AllocPlaneBuffers() { m_slice.AllocPlaneBuffers(); }

void CMarkerDlg::FreePlaneBuffers() { m_slice.FreePlaneBuffers(); }

void CMarkerDlg::OnInitDialog(wxInitDialogEvent&)
{
    m_slice.Init(m_pVolume);
    m_pInPoints = m_pVolume ? &m_pVolume->m_aInPoints : nullptr;
    m_pOutPoints = m_pVolume ? &m_pVolume->m_aOutPoints : nullptr;
    FillPointLists(true, true);
    EnableControl(this, IDC_SEG_SETTINGS, false);
    m_bInvert = 0;
    m_bReapplyTexture = 1;
    m_bHighlightContours = 1;
    m_bShowMeans = 0;
    if (wxWindow* preview = FindWindow(IDC_SEG_PREVIEW))
        m_rcPreview = preview->GetRect();
    UpdateData(false);
    if (m_pVolume)
        m_pWatershed = std::make_unique<CWatershed>(m_pVolume);
    if (auto* x = dynamic_cast<wxRadioButton*>(FindWindow(IDC_AXIS_X)))
        x->SetValue(true);
    ShowAxis(0);
}

void CMarkerDlg::ShowAxis(int axis)
{
    m_slice.SetAxis(axis);
    if (m_scrollSlice) {
        // Thumb 1, so positions run 0 .. dimension - 1; page 0, as the
        // template leaves it, so trough clicks do not move.
        m_scrollSlice->SetScrollbar(m_slice.Slice(axis), 1, std::max(m_slice.Dim(axis), 1), 0);
    }
    m_pSliceImage.reset();
    DrawSlice();
}

void CMarkerDlg::LoadPlane()
{
    const int axis = m_slice.Axis(), slice = m_slice.CurrentSlice();
    std::vector<std::uint8_t>& plane = m_slice.m_pPlane[axis];
    if (plane.empty() || m_slice.m_nLoaded[axis] == slice)
        return;
    if (!m_bPreviewing || !m_pWatershed) {
        m_slice.Plane();
        return;
    }
    // The buffer still holds the slice shown before the preview began.
    const int w = m_slice.Dim(m_slice.ColumnAxis()), h = m_slice.Dim(m_slice.RowAxis());
    m_pSliceImage.reset();
    m_pSliceImage = std::make_unique<CSliceImage>(plane.data(), w, h);
    m_pWatershed->Segment2D(m_pSliceImage.get(), axis, slice);
    m_pSliceImage->GetImage(CAppSettings::GetInstance()->m_nImageDisplayed, m_bUseActiveContours != 0,
                            m_bInvert != 0, m_bReapplyTexture != 0, plane.data());
    m_slice.m_nLoaded[axis] = slice;
}

void CMarkerDlg::DrawSlice()
{
    UpdateData(true);
    if (m_scrollSlice)
        m_slice.SetCurrentSlice(m_scrollSlice->GetThumbPosition());
    int v[3];
    m_slice.Crossing(v);
    const unsigned value = m_pVolume ? m_pVolume->GetVoxel(v[0], v[1], v[2]) : 0u;
    const SlicePlacement placement = m_slice.Fit(SliceRounding::kNearest);
    m_rcView = MarkerView(m_slice);
    LoadPlane();
    const int axis = m_slice.Axis();
    const std::vector<std::uint8_t>& plane = m_slice.m_pPlane[axis];
    m_picture = MarkerAreaPicture(plane.empty() ? nullptr : plane.data(), m_slice.Dim(m_slice.ColumnAxis()),
                                  m_slice.Dim(m_slice.RowAxis()), placement);
    if (m_pSliceImage && m_bHighlightContours)
        DrawContourEdges(m_picture, *m_pSliceImage, m_rcView);
    if (m_pSliceImage && m_bShowMeans)
        DrawContourMeans(m_picture, *m_pSliceImage, m_rcView);
    if (!m_bPreviewing) {
        m_bInOnSlice = m_pInPoints && DrawSeedMarks(m_picture, m_slice, m_rcView, *m_pInPoints, kInSeedGreen);
        m_bOutOnSlice = m_pOutPoints && DrawSeedMarks(m_picture, m_slice, m_rcView, *m_pOutPoints, kOutSeedRed);
        m_strStatus.clear();
    } else {
        const int contours = m_pSliceImage ? int(m_pSliceImage->m_aContours.size()) : 0;
        m_strStatus = wxString::Format("Segmentation created %d contour(s)", contours).utf8_string();
    }
    UpdateButtons();
    m_strPosition = wxString::Format("Position = (%d, %d, %d)", v[0], v[1], v[2]).utf8_string();
    m_strValue = wxString::Format("Value = %u", value).utf8_string();
    UpdateData(false);
    wxImage image(kSliceAreaSize, kSliceAreaSize, const_cast<unsigned char*>(m_picture.Bytes().data()), true);
    m_bmArea = wxBitmap(image);
    RefreshRect(AreaRect(), false);
    Update();
}

void CMarkerDlg::UpdateButtons()
{
    const MarkerButtons b = m_pVolume ? MarkerButtonsFor(*m_pVolume, m_bInOnSlice, m_bOutOnSlice) : MarkerButtons{};
    EnableControl(this, IDC_PROCESS, b.process);
    EnableControl(this, IDC_SEG_PREVIEW, b.preview);
}

bool CMarkerDlg::PickVoxel(int x, int y)
{
    int v[3];
    if (!PickMarkerVoxel(m_slice, m_rcView, x, y, v))
        return false;
    std::copy(v, v + 3, m_anPick);
    const unsigned value = m_pVolume ? m_pVolume->GetVoxel(v[0], v[1], v[2]) : 0u;
    m_strPosition = wxString::Format("Position = (%d, %d, %d)", v[0], v[1], v[2]).utf8_string();
    m_strValue = wxString::Format("Value = %u", value).utf8_string();
    if (wxWindow* w = FindWindow(IDC_POSITION_TEXT))
        if (w->GetLabel() != m_strPosition)
            w->SetLabel(m_strPosition);
    if (wxWindow* w = FindWindow(IDC_VALUE_TEXT))
        if (w->GetLabel() != m_strValue)
            w->SetLabel(m_strValue);
    return true;
}

void CMarkerDlg::FillPointLists(bool in, bool out)
{
    auto fill = [this](wxListBox* box, const std::vector<SeedPoint>* list, int removeId) {
        if (!box)
            return;
        box->Clear();
        if (list)
            for (std::size_t i = 0; i < list->size(); ++i)
                box->Append(SeedText((*list)[i]), reinterpret_cast<void*>(static_cast<std::intptr_t>(i)));
        EnableControl(this, removeId, false);
    };
    if (in)
        fill(m_listIn, m_pInPoints, IDC_SEG_REMOVE_IN);
    if (out)
        fill(m_listOut, m_pOutPoints, IDC_SEG_REMOVE_OUT);
}

void CMarkerDlg::OnPaint(wxPaintEvent&)
{
    // A slice redraw from a repaint would take the whole preview along; the
    // slice's own changes draw it anew.
    PaintSliceArea(*this, m_bmArea);
}

void CMarkerDlg::OnHScroll(wxScrollEvent& event)
{
    SliceFromScroll(event, m_slice.CurrentSlice(), m_slice.Dim(m_slice.Axis()), m_scrollSlice);
    m_pSliceImage.reset();
    DrawSlice();
}

void CMarkerDlg::OnMouseMove(wxMouseEvent& event)
{
    if (m_pVolume) {
        PickVoxel(event.GetX(), event.GetY());
        SetCursor(m_rcView.Contains(event.GetX(), event.GetY()) ? wxCursor(wxCURSOR_CROSS) : wxNullCursor);
    }
    event.Skip();
}

void CMarkerDlg::AddPoint(std::vector<SeedPoint>& list, wxListBox* box, int x, int y)
{
    if (!PickVoxel(x, y))
        return;
    const int index = AddSeed(list, m_anPick);
    if (box)
        box->Append(SeedText(list.back()), reinterpret_cast<void*>(static_cast<std::intptr_t>(index)));
    DrawSlice();
}

void CMarkerDlg::OnLButtonDown(wxMouseEvent& event)
{
    event.Skip();
    if (!m_pVolume)
        return;
    if (m_rcView.Contains(event.GetX(), event.GetY()))
        AddPoint(*m_pInPoints, m_listIn, event.GetX(), event.GetY());
    else
        PressPreview(event.GetX(), event.GetY());
}

void CMarkerDlg::OnPreviewDown(wxMouseEvent& event)
{
    auto* preview = dynamic_cast<wxWindow*>(event.GetEventObject());
    const wxPoint at = preview ? preview->GetPosition() + event.GetPosition() : event.GetPosition();
    if (m_pVolume)
        PressPreview(at.x, at.y);
}

bool CMarkerDlg::PressPreview(int x, int y)
{
    if (m_bPreviewing || !m_rcPreview.Contains(x, y) || !m_bInOnSlice || !m_bOutOnSlice)
        return false;
    UpdateData(true);
    if (!HasCapture())
        CaptureMouse();
    m_bPreviewing = true;
    StartPreviewDraw();
    if (!m_bUseActiveContours)
        return true;
    if (CAppSettings::GetInstance()->m_nContourType == 1) {
        if (HasCapture())
            ReleaseMouse();
        {
            CRSnakeDialog dlg(this);
            dlg.m_pSliceImage = m_pSliceImage.get();
            dlg.ShowModal();
        }
        ReleasePreview();
    } else {
        StartTimer();
    }
    return true;
}

void CMarkerDlg::StartPreviewDraw()
{
    m_slice.ForgetPlanes();
    wxBusyCursor wait;
    DrawSlice();
}

void CMarkerDlg::ReleasePreview()
{
    if (m_bPreviewing) {
        m_bPreviewing = false;
        m_slice.ForgetPlanes();
        DrawSlice();
    }
    if (HasCapture())
        ReleaseMouse();
    StopTimer();
}

void CMarkerDlg::StartTimer()
{
    // One tick at a time, armed again once a tick has drawn: a tick that
    // takes longer than the period would otherwise always be due, and GTK
    // would never get round to the button's release. Windows only sends a
    // timer tick when nothing else waits, which this keeps.
    m_timer.StartOnce(1);
}

void CMarkerDlg::StopTimer()
{
    if (m_timer.IsRunning())
        m_timer.Stop();
}

void CMarkerDlg::OnLButtonUp(wxMouseEvent& event)
{
    ReleasePreview();
    event.Skip();
}

void CMarkerDlg::OnCaptureLost(wxMouseCaptureLostEvent&)
{
    // Another window took the pointer: the button's release will not come.
    ReleasePreview();
}

void CMarkerDlg::OnRButtonDown(wxMouseEvent& event)
{
    event.Skip();
    if (m_pVolume && m_rcView.Contains(event.GetX(), event.GetY()))
        AddPoint(*m_pOutPoints, m_listOut, event.GetX(), event.GetY());
}

void CMarkerDlg::OnTimer(wxTimerEvent&)
{
    if (!m_pSliceImage) {
        StopTimer();
        return;
    }
    for (const auto& contour : m_pSliceImage->m_aContours)
        if (contour)
            contour->Step();
    DrawSlice();
    if (m_bPreviewing)
        StartTimer();
}

void CMarkerDlg::OnAxisX(wxCommandEvent&) { ShowAxis(0); }
void CMarkerDlg::OnAxisY(wxCommandEvent&) { ShowAxis(1); }
void CMarkerDlg::OnAxisZ(wxCommandEvent&) { ShowAxis(2); }

void CMarkerDlg::RemovePoint(std::vector<SeedPoint>* list, wxListBox* box, bool in)
{
    if (!list || !box)
        return;
    const int selected = box->GetSelection();
    if (selected == wxNOT_FOUND)
        return;
    RemoveSeed(*list, long(reinterpret_cast<std::intptr_t>(box->GetClientData(unsigned(selected)))));
    FillPointLists(in, !in);
    DrawSlice();
}

void CMarkerDlg::OnRemoveInPoint(wxCommandEvent&) { RemovePoint(m_pInPoints, m_listIn, true); }
void CMarkerDlg::OnRemoveOutPoint(wxCommandEvent&) { RemovePoint(m_pOutPoints, m_listOut, false); }

void CMarkerDlg::OnInListSelChange(wxCommandEvent&)
{
    EnableControl(this, IDC_SEG_REMOVE_IN, m_listIn && m_listIn->GetSelection() != wxNOT_FOUND);
}

void CMarkerDlg::OnOutListSelChange(wxCommandEvent&)
{
    EnableControl(this, IDC_SEG_REMOVE_OUT, m_listOut && m_listOut->GetSelection() != wxNOT_FOUND);
}

void CMarkerDlg::SetContourControls()
{
    const bool active = m_bUseActiveContours != 0;
    EnableControl(this, IDC_SEG_HIGHLIGHT, !active);
    EnableControl(this, IDC_SEG_INVERT, !active);
    EnableControl(this, IDC_SEG_REAPPLY_TEXTURE, !active);
    EnableControl(this, IDC_SEG_SETTINGS, active);
}

void CMarkerDlg::OnUseActiveContours(wxCommandEvent&)
{
    UpdateData(true);
    if (m_bUseActiveContours) {
        m_bHighlightContours = 1;
        UpdateData(false);
    }
    SetContourControls();
}

void CMarkerDlg::OnSettings(wxCommandEvent&)
{
    CActiveDialog dlg(this);
    dlg.ShowModal();
}

void CMarkerDlg::OnContourDisplay(wxCommandEvent&)
{
    UpdateData(true);
    DrawSlice();
}

void CMarkerDlg::OnProcess(wxCommandEvent&)
{
    if (UpdateData(true))
        EndModal(wxID_OK);
}
