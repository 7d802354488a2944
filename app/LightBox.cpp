#include "app/LightBox.h"

#include <algorithm>
#include <cstring>
#include <new>

#include <wx/dcclient.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/stattext.h>
#include <wx/xrc/xmlres.h>

#include "app/MainFrame.h"
#include "app/ScrollBarNoKbd.h"
#include "app/Vexilo.h"
#include "data/AppSettings.h"
#include "data/Volume.h"
#include "res/CommandIds.h"

namespace {
// The form's size and where its template places each bar, in dialog units.
constexpr PixelPoint kFormUnits{142, 472};
constexpr PixelPoint kBarUnits[3] = {{7, 151}, {7, 297}, {7, 441}};
} // namespace

wxBEGIN_EVENT_TABLE(CLightBox, wxScrolledWindow)
    EVT_PAINT(CLightBox::OnPaint)
    EVT_COMMAND_SCROLL(IDC_LIGHTBOX_X, CLightBox::OnScroll)
    EVT_COMMAND_SCROLL(IDC_LIGHTBOX_Y, CLightBox::OnScroll)
    EVT_COMMAND_SCROLL(IDC_LIGHTBOX_Z, CLightBox::OnScroll)
    EVT_LEFT_DOWN(CLightBox::OnLButtonDown)
    EVT_LEFT_UP(CLightBox::OnLButtonUp)
    EVT_MOTION(CLightBox::OnMouseMove)
    EVT_MOUSE_CAPTURE_LOST(CLightBox::OnCaptureLost)
wxEND_EVENT_TABLE()

CLightBox::CLightBox(wxWindow* parent)
{
    m_pSettings = CAppSettings::GetInstance();
    if (!wxXmlResource::Get()->LoadObject(this, parent, "IDD_LIGHTBOX", "wxScrolledWindow"))
        Create(parent, wxID_ANY);
    SetSize(wxSize(kIdealWidth, 100));
    m_sbX = dynamic_cast<CScrollBarNoKbd*>(FindWindow(IDC_LIGHTBOX_X));
    m_sbY = dynamic_cast<CScrollBarNoKbd*>(FindWindow(IDC_LIGHTBOX_Y));
    m_sbZ = dynamic_cast<CScrollBarNoKbd*>(FindWindow(IDC_LIGHTBOX_Z));
    m_txtPosition = dynamic_cast<wxStaticText*>(FindWindow(IDC_LIGHTBOX_POSITION));
    for (CScrollBarNoKbd* bar : {m_sbX, m_sbY, m_sbZ})
        if (bar)
            bar->SetScrollbar(0, 1, 1, 0);
    // A form scrolls when its pane is smaller than it, by the mouse only.
    const PixelPoint form = DialogToPixels(kFormUnits.x, kFormUnits.y);
    SetVirtualSize(form.x, form.y);
    SetScrollRate(10, 10);
    DisableKeyboardScrolling();
}

CLightBox::~CLightBox() = default;

void CLightBox::FindView()
{
    if (m_pView || IsBeingDeleted())
        return;
    if (auto* frame = dynamic_cast<CMainFrame*>(wxGetTopLevelParent(this)))
        m_pView = frame->GetView();
}

void CLightBox::TakeRenderer()
{
    if (!m_pView)
        return;
    m_pRenderer = m_pView->m_pRenderer.get();
    m_pLookAt = m_pRenderer ? &m_pRenderer->m_CameraLookAt : nullptr;
    m_pPalette = m_pRenderer ? m_pRenderer->m_pBgrPalette.get() : nullptr;
}

CVolume* CLightBox::ShownVolume() const
{
    // A model the view no longer shows may be gone already.
    if (m_pVolume && m_pView && static_cast<CModel*>(m_pVolume) != m_pView->m_pModel)
        return nullptr;
    return m_pVolume;
}

CScrollBarNoKbd* CLightBox::Bar(int axis) const { return axis == 0 ? m_sbX : axis == 1 ? m_sbY : m_sbZ; }

int* CLightBox::Slice(int axis) { return axis == 0 ? &m_nSliceX : axis == 1 ? &m_nSliceY : &m_nSliceZ; }

void CLightBox::SetModel(CModel* model)
{
    FindView();
    m_pRenderer = nullptr;
    m_pLookAt = nullptr;
    m_pPalette = nullptr;
    TakeRenderer();
    m_pModel = model;
    if (model && model->IsVolume()) {
        m_pVolume = static_cast<CVolume*>(model);
        m_nDimX = m_pVolume->m_nDimX;
        m_nDimY = m_pVolume->m_nDimY;
        m_nDimZ = m_pVolume->m_nDimZ;
        UpdateExtents();
        const int dims[3] = {m_nDimX, m_nDimY, m_nDimZ};
        for (int axis = 0; axis < 3; ++axis) {
            *Slice(axis) = dims[axis] / 2;
            if (CScrollBarNoKbd* bar = Bar(axis))
                bar->SetScrollbar(dims[axis] / 2, 1, std::max(dims[axis], 1), 0);
        }
        AllocateSliceBuffers();
    } else {
        m_pVolume = nullptr;
    }
    if (!model) {
        // Nothing loaded: the bars and the position text as at start-up, so
        // no point of a volume that is gone is shown.
        for (int axis = 0; axis < 3; ++axis) {
            *Slice(axis) = 0;
            if (CScrollBarNoKbd* bar = Bar(axis))
                bar->SetScrollbar(0, 1, 1, 0);
        }
    }
    Invalidate();
}

void CLightBox::UpdateExtents()
{
    if (!m_pVolume)
        return;
    m_fScaleX = m_pVolume->m_fScaleX;
    m_fScaleY = m_pVolume->m_fScaleY;
    m_fScaleZ = m_pVolume->m_fScaleZ;
    m_nExtentX = int(float(m_nDimX) * m_fScaleX + 0.5f);
    m_nExtentY = int(float(m_nDimY) * m_fScaleY + 0.5f);
    m_nExtentZ = int(float(m_nDimZ) * m_fScaleZ + 0.5f);
    m_fHalfX = float(m_nExtentX) * 0.5f;
    m_fHalfY = float(m_nExtentY) * 0.5f;
    m_fHalfZ = float(m_nExtentZ) * 0.5f;
}

void CLightBox::AllocateSliceBuffers()
{
    m_pSliceX.reset();
    m_pSliceY.reset();
    m_pSliceZ.reset();
    m_nSliceBytesX = m_nDimY * m_nDimZ;
    m_nSliceBytesY = m_nDimX * m_nDimZ;
    m_nSliceBytesZ = m_nDimX * m_nDimY;
    // A buffer that cannot be had leaves its pane without a slice.
    if (m_nSliceBytesX > 0)
        m_pSliceX.reset(new (std::nothrow) std::uint8_t[std::size_t(m_nSliceBytesX)]);
    if (m_nSliceBytesY > 0)
        m_pSliceY.reset(new (std::nothrow) std::uint8_t[std::size_t(m_nSliceBytesY)]);
    if (m_nSliceBytesZ > 0)
        m_pSliceZ.reset(new (std::nothrow) std::uint8_t[std::size_t(m_nSliceBytesZ)]);
    m_nLoadedX = m_nLoadedY = m_nLoadedZ = -1;
}

CVector3 CLightBox::SliceToWorld(int x, int y, int z) const
{
    return {float(x) * m_fScaleX - m_fHalfX, float(m_nDimY - y - 1) * m_fScaleY - m_fHalfY,
            float(z) * m_fScaleZ - m_fHalfZ};
}

void CLightBox::DoLayout()
{
    for (int i = 0; i < 3; ++i) {
        m_rcPane[i] = PaneAboveBar(DialogToPixels(kBarUnits[i].x, kBarUnits[i].y));
        m_rcLabel[i] = m_rcPane[i].Shrunk(2);
        m_rcImage[i] = m_rcPane[i];
        m_picture[i] = CRgbPicture(m_rcPane[i]);
    }
    m_bLayoutDone = true;
}

void CLightBox::LoadSlice(int axis, int index)
{
    int* loaded = axis == 0 ? &m_nLoadedX : axis == 1 ? &m_nLoadedY : &m_nLoadedZ;
    std::uint8_t* buffer = axis == 0 ? m_pSliceX.get() : axis == 1 ? m_pSliceY.get() : m_pSliceZ.get();
    if (!buffer || *loaded == index)
        return;
    // From the plane-view file when the volume has one, else from its voxels.
    if (m_pVolume->ReadPlaneView(axis, index, buffer)) {
        *loaded = index;
    } else {
        const int bytes = axis == 0 ? m_nSliceBytesX : axis == 1 ? m_nSliceBytesY : m_nSliceBytesZ;
        std::memset(buffer, 0, std::size_t(bytes));
        *loaded = -1;
    }
}

void CLightBox::DrawPictures(bool updateModel)
{
    if (!m_bLayoutDone)
        DoLayout();
    FindView();
    TakeRenderer();
    for (int axis = 0; axis < 3; ++axis)
        if (CScrollBarNoKbd* bar = Bar(axis))
            *Slice(axis) = bar->GetThumbPosition();

    CVolume* volume = ShownVolume();
    if (volume && updateModel) {
        volume->SetEntryPoint(SliceToWorld(m_nSliceX, m_nSliceY, m_nSliceZ), m_nSliceX, m_nSliceY, m_nSliceZ);
        if (m_pView)
            m_pView->SetCameraFromLightBox();
        // The view may have moved the camera, and so the bars, meanwhile.
        volume = ShownVolume();
    }
    if (volume && m_pLookAt) {
        CVector3 dir = m_pLookAt->centre - m_pLookAt->eye;
        dir.Normalize();
        m_vViewDir = dir * 25.0f;
    }
    const bool coloured = m_pSettings && m_pSettings->m_bLightBoxXfr && m_pPalette;
    const bool camera = m_pView && m_pView->m_nRenderMode == kRenderFlyThrough;
    const int dims[3] = {m_nDimX, m_nDimY, m_nDimZ};
    const float scales[3] = {m_fScaleX, m_fScaleY, m_fScaleZ};
    const int slices[3] = {m_nSliceX, m_nSliceY, m_nSliceZ};
    const std::uint8_t* buffers[3] = {m_pSliceX.get(), m_pSliceY.get(), m_pSliceZ.get()};
    const float dir[3] = {m_vViewDir.x, m_vViewDir.y, m_vViewDir.z};
    for (int i = 0; i < 3; ++i) {
        const LightBoxPaneAxes& axes = kLightBoxPanes[i];
        LightBoxPaneView pane;
        pane.pane = m_rcPane[i];
        pane.label = m_rcLabel[i];
        pane.first = axes.first;
        pane.second = axes.second;
        if (volume) {
            m_rcImage[i] = FitImage(m_rcPane[i], FitLength(dims[axes.across], scales[axes.across]),
                                    FitLength(dims[axes.down], scales[axes.down]));
            LoadSlice(axes.plane, slices[axes.plane]);
            pane.image = m_rcImage[i];
            pane.slice = buffers[axes.plane];
            pane.dimH = dims[axes.across];
            pane.dimV = dims[axes.down];
            pane.indexH = slices[axes.across];
            pane.indexV = slices[axes.down];
            pane.palette = coloured ? m_pPalette : nullptr;
            pane.camera = camera;
            // Screen-down is world -y in the panes that show y.
            pane.dirH = dir[axes.across];
            pane.dirV = axes.down == 1 ? -dir[1] : dir[axes.down];
            pane.dirOut = dir[axes.plane];
        }
        DrawLightBoxPane(m_picture[i], pane);
    }
    m_strPosition = wxString::Format("X = %d, Y = %d, Z = %d", m_nSliceX, m_nSliceY, m_nSliceZ);
    TransferPosition();
    for (int i = 0; i < 3; ++i) {
        const PixelRect& r = m_picture[i].Area();
        wxImage image(r.Width(), r.Height(), const_cast<unsigned char*>(m_picture[i].Bytes().data()), true);
        m_bitmap[i] = wxBitmap(image, 24);
    }
}

void CLightBox::TransferPosition()
{
    if (m_txtPosition && m_txtPosition->GetLabel() != m_strPosition)
        m_txtPosition->SetLabel(m_strPosition);
}

void CLightBox::ShowPictures()
{
    m_bPicturesFresh = true;
    for (const PixelRect& r : m_rcPane) {
        const wxPoint at = CalcScrolledPosition(wxPoint(r.left, r.top));
        RefreshRect(wxRect(at, wxSize(r.Width(), r.Height())), false);
    }
    Update();
}

void CLightBox::DrawSliceViews(bool updateModel)
{
    DrawPictures(updateModel);
    ShowPictures();
}

void CLightBox::Invalidate()
{
    m_bPicturesFresh = false;
    wxWindow::Refresh(false);
}

void CLightBox::SetSlicesFromCamera(bool updateModel)
{
    if (CVolume* volume = ShownVolume()) {
        const int point[3] = {volume->m_nSliceX, volume->m_nSliceY, volume->m_nSliceZ};
        for (int axis = 0; axis < 3; ++axis)
            if (CScrollBarNoKbd* bar = Bar(axis))
                bar->SetThumbPosition(point[axis]);
    }
    DrawSliceViews(updateModel);
}

void CLightBox::Refresh()
{
    UpdateExtents();
    DrawSliceViews(false);
}

void CLightBox::Refresh(bool eraseBackground, const wxRect* rect)
{
    wxScrolledWindow::Refresh(eraseBackground, rect);
}

void CLightBox::OnPaletteChanged()
{
    if (m_pSettings && m_pSettings->m_bLightBoxXfr)
        DrawSliceViews(false);
}

void CLightBox::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    DoPrepareDC(dc);
    // Every paint but the one that shows what was just drawn draws anew, and
    // so writes the slices back as the current point; not while the busy box
    // lets GTK draw in the middle of a command, whose model may be half made.
    const wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    if (!m_bPicturesFresh && !(loop && loop->IsYielding()))
        DrawPictures(true);
    m_bPicturesFresh = false;
    for (int i = 0; i < 3; ++i)
        if (m_bitmap[i].IsOk())
            dc.DrawBitmap(m_bitmap[i], m_rcPane[i].left, m_rcPane[i].top);
}

void CLightBox::OnScroll(wxScrollEvent& event)
{
    CScrollBarNoKbd* bar = dynamic_cast<CScrollBarNoKbd*>(event.GetEventObject());
    if (!bar)
        bar = Bar(event.GetId() - IDC_LIGHTBOX_X);
    if (bar)
        OnHScroll(ScrollCodeOf(event.GetEventType()), event.GetPosition(), bar);
}

void CLightBox::OnHScroll(ScrollCode code, int position, CScrollBarNoKbd* bar)
{
    // The light box gives its bars no page, so page steps stay where they are.
    const int maximum = bar->GetRange() - bar->GetThumbSize();
    const int to = ScrollPosition(code, bar->GetThumbPosition(), position, 0, maximum, 0);
    bar->SetThumbPosition(std::clamp(to, 0, std::max(maximum, 0)));
    DrawSliceViews(true);
}

bool CLightBox::HitTest(int x, int y, int& pane)
{
    pane = 0;
    if (!ShownVolume())
        return false;
    bool hit = false;
    for (int i = 0; i < 3; ++i) {
        const PixelRect& r = m_rcImage[i];
        if (!r.Contains(x, y))
            continue;
        const LightBoxPaneAxes& axes = kLightBoxPanes[i];
        const int dims[3] = {m_nDimX, m_nDimY, m_nDimZ};
        // The voxel drawn under the point, by the rule the slice image uses.
        if (CScrollBarNoKbd* bar = Bar(axes.across))
            bar->SetThumbPosition(PixelToVoxel(x - r.left, r.Width(), dims[axes.across]));
        if (CScrollBarNoKbd* bar = Bar(axes.down))
            bar->SetThumbPosition(PixelToVoxel(y - r.top, r.Height(), dims[axes.down]));
        pane = i + 1;
        hit = true;
    }
    if (hit)
        DrawSliceViews(true);
    return hit;
}

void CLightBox::OnLButtonDown(wxMouseEvent& event)
{
    event.Skip();
    m_bDragging = false;
    m_nDragPane = 0;
    if (!ShownVolume())
        return;
    const wxPoint p = CalcUnscrolledPosition(event.GetPosition());
    int pane = 0;
    if (HitTest(p.x, p.y, pane)) {
        if (!HasCapture())
            CaptureMouse();
        m_bDragging = true;
        m_nDragPane = pane;
    }
}

void CLightBox::OnMouseMove(wxMouseEvent& event)
{
    if (!m_bDragging || m_nDragPane < 1)
        return;
    const PixelRect& r = m_rcImage[m_nDragPane - 1];
    const wxPoint p = CalcUnscrolledPosition(event.GetPosition());
    const int x = std::clamp(p.x, r.left, r.right - 1);
    const int y = std::clamp(p.y, r.top, r.bottom - 1);
    int pane = 0;
    HitTest(x, y, pane);
}

void CLightBox::OnLButtonUp(wxMouseEvent&)
{
    m_bDragging = false;
    m_nDragPane = 0;
    if (HasCapture())
        ReleaseMouse();
}

void CLightBox::OnCaptureLost(wxMouseCaptureLostEvent&)
{
    m_bDragging = false;
    m_nDragPane = 0;
}
