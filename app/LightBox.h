#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include <wx/bitmap.h>
#include <wx/scrolwin.h>
#include <wx/string.h>

#include "app/ScrollBarNoKbd.h"
#include "app/logic/LightBoxPicture.h"
#include "data/Vector3.h"
#include "render/Renderer.h"

class CAppSettings;
class CModel;
class CVexilo;
class CVolume;
class wxStaticText;

// Pane (0,0) of the main frame: the current volume as three orthogonal
// slices, one above the other (x, y and z planes), each with a bar choosing
// the slice. The three slice indices are the volume's current point; every
// draw, scroll or click writes them back into the volume and lets the 3D
// view follow. Slices come from the volume's plane-view cache (from its
// voxels when it has none), grey or coloured by the renderer's palette.
//
// The panes are drawn into RGB pictures (LightBoxPicture.h) and blitted, so
// what the screen shows is exactly what the pictures hold.
class CLightBox : public wxScrolledWindow {
public:
    static constexpr int kIdealWidth = 224;

    // The form from its template; the settings object is made when there is
    // none yet.
    explicit CLightBox(wxWindow* parent);
    ~CLightBox() override;

    // The pane itself takes the focus when it is activated (F6), not its
    // first bar: the bars take no keys.
    void SetFocus() override { SetFocusIgnoringChildren(); }

    // Attaches the model the view now shows (a volume; anything else or none
    // detaches), with the view's renderer: bars to 0 .. dim - 1 at the middle
    // slice, the slice buffers made anew. With no model at all the bars go
    // back to 0 .. 0.
    void SetModel(CModel* model);
    // Bars to the volume's current point, then the panes drawn; updateModel
    // writes the point back (snapped to the voxels) and lets the view follow.
    void SetSlicesFromCamera(bool updateModel = false);
    // After a voxel-size change: extents again, the panes redrawn.
    void Refresh();
    // After the renderer's palette was rewritten; only while the panes are
    // coloured by it.
    void OnPaletteChanged();
    // wx's own, unchanged; declared so that the one above hides nothing.
    void Refresh(bool eraseBackground, const wxRect* rect) override;
    // Asks for a paint that draws the panes anew (the view's "invalidate the
    // light box").
    void Invalidate();

    void UpdateExtents();
    void AllocateSliceBuffers();
    CVector3 SliceToWorld(int x, int y, int z) const;
    // Reads the bars, writes the point back when asked, loads changed slices
    // and draws the three pane pictures, then shows them.
    void DrawSliceViews(bool updateModel);
    // Form coordinates; on a hit moves the bars of the two other axes and
    // redraws. pane is 1, 2 or 3.
    bool HitTest(int x, int y, int& pane);
    void OnHScroll(ScrollCode code, int position, CScrollBarNoKbd* bar);
    // The position text into its control.
    void TransferPosition();

    // The model last given, a mesh too; not owned.
    CModel* m_pModel = nullptr;

    CAppSettings* m_pSettings = nullptr;
    CVexilo* m_pView = nullptr;
    CRenderer* m_pRenderer = nullptr;
    BgrPalette* m_pPalette = nullptr;
    bool m_bLayoutDone = false;
    CameraLookAt* m_pLookAt = nullptr;
    CVolume* m_pVolume = nullptr;
    CVector3 m_vViewDir;
    float m_fHalfX = 0, m_fHalfY = 0, m_fHalfZ = 0;
    int m_nDimX = 0, m_nDimY = 0, m_nDimZ = 0;
    float m_fScaleX = 0, m_fScaleY = 0, m_fScaleZ = 0;
    int m_nExtentX = 0, m_nExtentY = 0, m_nExtentZ = 0;
    int m_nSliceX = 0, m_nSliceY = 0, m_nSliceZ = 0;
    int m_nLoadedX = -1, m_nLoadedY = -1, m_nLoadedZ = -1;
    PixelRect m_rcPane[3];
    PixelRect m_rcImage[3];
    PixelRect m_rcLabel[3];
    bool m_bDragging = false;
    int m_nDragPane = 0;
    std::unique_ptr<std::uint8_t[]> m_pSliceX, m_pSliceY, m_pSliceZ;
    int m_nSliceBytesX = 0, m_nSliceBytesY = 0, m_nSliceBytesZ = 0;
    wxString m_strPosition;
    CScrollBarNoKbd* m_sbX = nullptr;
    CScrollBarNoKbd* m_sbY = nullptr;
    CScrollBarNoKbd* m_sbZ = nullptr;
    wxStaticText* m_txtPosition = nullptr;

    // What the panes show, in form coordinates.
    std::array<CRgbPicture, 3> m_picture;

private:
    void FindView();
    // The renderer's camera and palette, taken from the view each time: the
    // view replaces its renderer on every load.
    void TakeRenderer();
    // The volume, only while the view still shows it.
    CVolume* ShownVolume() const;
    void DoLayout();
    // Steps of DrawSliceViews up to the pictures, without showing them.
    void DrawPictures(bool updateModel);
    void LoadSlice(int axis, int index);
    void ShowPictures();
    CScrollBarNoKbd* Bar(int axis) const;
    int* Slice(int axis);

    void OnPaint(wxPaintEvent& event);
    void OnScroll(wxScrollEvent& event);
    void OnLButtonDown(wxMouseEvent& event);
    void OnLButtonUp(wxMouseEvent& event);
    void OnMouseMove(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);

    std::array<wxBitmap, 3> m_bitmap;
    // The pictures were drawn for the paint that comes next; any other paint
    // draws them anew first.
    bool m_bPicturesFresh = false;

    wxDECLARE_EVENT_TABLE();
};
