#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <wx/dialog.h>
#include <wx/glcanvas.h>

#include "data/Vector3.h"
#include "render/StereoGeometry.h"

class CModel;
class CRenderer;
class CVexilo;
class CWxGlSurface;
class IGlSurface;

// The attributes the stereo window draws with, as the attributes window
// gives them: fractions 0..1 of its bars, the method and glasses, and the
// camera-overlay values (which change nothing in the image).
struct StereoSettings {
    float focalFraction = 0.25f;
    float separationFraction = 0.5f;
    float fader = 0.5f;
    int method = kStereoDualViewports;
    int glasses = kGlassesRedBlue;
    bool overlayLeft = false, overlayRight = false, freeze = false;
    int offsetX = 0, offsetY = 0, offsetZ = 0;
};

// "Vexilo - Stereo Window": the scene once more as a stereo pair, drawn by
// the view's renderer on a GL canvas of its own that fills the window. The
// renderer's context is made current on that canvas for these frames (both
// canvases have the renderers' pixel format). A double click copies the
// image to the clipboard.
class CStereoDlg : public wxDialog {
public:
    CStereoDlg(CModel* model, CRenderer* renderer, CVexilo* view, double focalLength, double eyeSeparation);
    ~CStereoDlg() override;

    // Builds the window from its template with its canvas, and shows it.
    bool Create(wxWindow* parent);
    void SetStereo(const StereoSettings& settings, double focalLength, double eyeSeparation);
    // Eyes, frustums and viewports from the renderer's camera and the
    // canvas's size; nothing while the canvas cannot hold a pair.
    void UpdateFrustums();
    // Draws the pair on the canvas; nothing without renderer, model or view.
    void RenderStereo(bool swap = true);
    // The pair as a 24-bit bitmap on the clipboard, then "Image copied to
    // clipboard"; nothing is reported when the clipboard refuses it.
    void CopyToClipboard();
    // The view's renderer, model, view and surface forgotten before the
    // window goes.
    void ClearShared();

    wxGLCanvas* Canvas() const { return m_pCanvas; }

    CRenderer* m_pRenderer;
    CModel* m_pModel;
    CVexilo* m_pView;
    double m_dFocalLength;
    double m_dEyeSeparation;
    int m_nMethod = kStereoDualViewports;
    int m_nGlasses = kGlassesRedBlue;
    wxRect m_rcClient;
    int m_nViewWidth = 0, m_nViewHeight = 0;
    CVector3 m_vLeftEye, m_vRightEye, m_vCentre, m_vUp;
    StereoFrustum m_dLeftFrustum{}, m_dRightFrustum{};
    // The camera-overlay values; they reach the window and change nothing.
    StereoSettings m_overlay;

    // Puts a bitmap on the clipboard; false when it could not be opened or
    // set. Tests stand in for the system clipboard here.
    std::function<bool(const std::vector<std::uint8_t>& dib)> m_putOnClipboard;

private:
    StereoGeometry Geometry() const;
    // The pair on the canvas, its context left current there; false when
    // there was nothing to draw.
    bool DrawPair(bool swap);
    void GiveContextBack();
    void OnPaint(wxPaintEvent& event);
    void OnEraseBackground(wxEraseEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnCanvasSize(wxSizeEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnDoubleClick(wxMouseEvent& event);

    wxGLCanvas* m_pCanvas = nullptr;
    std::unique_ptr<CWxGlSurface> m_pSurface;
    // The view's surface, where the renderer's context goes back after a pair.
    IGlSurface* m_pViewSurface = nullptr;
    bool m_bFrustumsValid = false;

    wxDECLARE_EVENT_TABLE();
};
