#include "app/dialogs/StereoDlg.h"

#include <new>

#include <wx/dcclient.h>
#include <wx/xrc/xmlres.h>

#include "app/Vexilo.h"
#include "platform/Dib.h"
#include "platform/GlDispatch.h"
#include "platform/Prompter.h"
#include "platform/wx/NativeWindow.h"
#include "platform/wx/WxClipboard.h"
#include "platform/wx/WxGlSurface.h"
#include "render/Renderer.h"
#include "render/StereoPair.h"

wxBEGIN_EVENT_TABLE(CStereoDlg, wxDialog)
    EVT_SIZE(CStereoDlg::OnSize)
    EVT_CLOSE(CStereoDlg::OnClose)
    EVT_BUTTON(wxID_CANCEL, CStereoDlg::OnCancel)
wxEND_EVENT_TABLE()

CStereoDlg::CStereoDlg(CModel* model, CRenderer* renderer, CVexilo* view, double focalLength, double eyeSeparation)
    : m_pRenderer(renderer), m_pModel(model), m_pView(view), m_dFocalLength(focalLength),
      m_dEyeSeparation(eyeSeparation), m_putOnClipboard(&PutDibOnClipboard)
{
}

CStereoDlg::~CStereoDlg() = default;

bool CStereoDlg::Create(wxWindow* parent)
{
    if (!wxXmlResource::Get()->LoadDialog(this, parent, "IDD_STEREO"))
        return false;
    // In the units of the dialog's own font, which the template's size is not.
    SetClientSize(ConvertDialogToPixels(wxSize(320, 160)));
    // GLX fixes a window's pixel format when it is made: the canvas is made
    // with the renderers' format so that their context can draw into it.
    m_pCanvas = new wxGLCanvas(this, ChooseGlAttributes(kRendererPixelFormat), wxID_ANY, wxPoint(0, 0),
                               GetClientSize(), wxFULL_REPAINT_ON_RESIZE);
    m_pSurface = std::make_unique<CWxGlSurface>(*m_pCanvas);
    if (!m_pSurface->SetPixelFormat(kRendererPixelFormat) || !MakeNativeWindow(*m_pCanvas))
        return false;
    // Paint, size and mouse events stay with the window that gets them.
    m_pCanvas->Bind(wxEVT_PAINT, &CStereoDlg::OnPaint, this);
    m_pCanvas->Bind(wxEVT_ERASE_BACKGROUND, &CStereoDlg::OnEraseBackground, this);
    m_pCanvas->Bind(wxEVT_SIZE, &CStereoDlg::OnCanvasSize, this);
    m_pCanvas->Bind(wxEVT_LEFT_DCLICK, &CStereoDlg::OnDoubleClick, this);
    m_pViewSurface = m_pView ? m_pView->Surface() : nullptr;
    UpdateFrustums();
    Show();
    return true;
}

void CStereoDlg::ClearShared()
{
    m_pRenderer = nullptr;
    m_pModel = nullptr;
    m_pView = nullptr;
    m_pViewSurface = nullptr;
}

void CStereoDlg::SetStereo(const StereoSettings& settings, double focalLength, double eyeSeparation)
{
    m_nMethod = settings.method;
    m_nGlasses = settings.glasses;
    m_dFocalLength = focalLength;
    m_dEyeSeparation = eyeSeparation;
    m_overlay = settings;
    UpdateFrustums();
    if (m_pCanvas)
        InvalidateWindowOnly(*m_pCanvas);
}

void CStereoDlg::UpdateFrustums()
{
    if (!m_pRenderer || !m_pCanvas)
        return;
    m_rcClient = wxRect(m_pCanvas->GetClientSize());
    StereoCamera camera;
    camera.lookAt = &m_pRenderer->m_CameraLookAt;
    camera.fovY = m_pRenderer->m_dFovY;
    camera.zNear = m_pRenderer->m_dNear;
    camera.zFar = m_pRenderer->m_dFar;
    StereoGeometry g;
    // A collapsed window keeps the pair it had.
    if (!ComputeStereoGeometry(camera, m_rcClient.width, m_rcClient.height, m_nMethod, m_dFocalLength,
                               m_dEyeSeparation, g))
        return;
    m_vLeftEye = g.leftEye;
    m_vRightEye = g.rightEye;
    m_vCentre = g.centre;
    m_vUp = g.up;
    m_dLeftFrustum = g.leftFrustum;
    m_dRightFrustum = g.rightFrustum;
    m_nViewWidth = g.viewWidth;
    m_nViewHeight = g.viewHeight;
    m_bFrustumsValid = true;
}

StereoGeometry CStereoDlg::Geometry() const
{
    StereoGeometry g;
    g.leftEye = m_vLeftEye;
    g.rightEye = m_vRightEye;
    g.centre = m_vCentre;
    g.up = m_vUp;
    g.leftFrustum = m_dLeftFrustum;
    g.rightFrustum = m_dRightFrustum;
    g.viewWidth = m_nViewWidth;
    g.viewHeight = m_nViewHeight;
    return g;
}

bool CStereoDlg::DrawPair(bool swap)
{
    if (!m_pRenderer || !m_pModel || !m_pView || !m_pSurface || !m_bFrustumsValid)
        return false;
    const StereoGeometry g = Geometry();
    StereoPairRequest request;
    request.geometry = &g;
    request.method = m_nMethod;
    request.glasses = m_nGlasses;
    request.background = m_pView->m_crBackground;
    request.swap = swap;
    RenderStereoPair(m_pRenderer, m_pSurface.get(), request);
    return true;
}

void CStereoDlg::GiveContextBack()
{
    // The view and its windows call the renderer between frames and expect
    // its context on the view.
    if (m_pRenderer && m_pViewSurface)
        GlMakeCurrent(m_pViewSurface, m_pRenderer->m_hGLRC.get());
}

void CStereoDlg::RenderStereo(bool swap)
{
    if (DrawPair(swap))
        GiveContextBack();
}

void CStereoDlg::CopyToClipboard()
{
    if (!m_pCanvas)
        return;
    const wxSize size = m_pCanvas->GetClientSize();
    // Rows of a multiple of 4 pixels need no padding in the bitmap.
    const int width = size.x & ~3, height = size.y;
    if (width <= 0 || height <= 0)
        return;
    std::vector<std::uint8_t> pixels, dib;
    try {
        pixels.resize(3 * std::size_t(width) * std::size_t(height));
    } catch (const std::bad_alloc&) {
        return;
    }
    // Drawn without the swap and read before it: after a swap the back
    // buffer's contents are undefined.
    if (!DrawPair(false))
        return;
    const CGlDispatch& gl = Gl();
    GLint alignment = 4;
    gl.GetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    gl.PixelStorei(GL_PACK_ALIGNMENT, 1);
    gl.ReadPixels(0, 0, width, height, GL_BGR, GL_UNSIGNED_BYTE, pixels.data());
    gl.PixelStorei(GL_PACK_ALIGNMENT, alignment);
    m_pSurface->SwapBuffers();
    GiveContextBack();
    try {
        dib = MakeDib24(width, height, pixels.data());
    } catch (const std::bad_alloc&) {
        return;
    }
    if (dib.empty() || !m_putOnClipboard || !m_putOnClipboard(dib))
        return;
    VxMessageBox("Image copied to clipboard", MB_OK | MB_ICONINFORMATION);
}

void CStereoDlg::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(m_pCanvas);
    RenderStereo(true);
}

void CStereoDlg::OnEraseBackground(wxEraseEvent& event)
{
    if (!m_pRenderer)
        event.Skip();
}

void CStereoDlg::OnSize(wxSizeEvent& event)
{
    event.Skip();
    if (m_pCanvas)
        m_pCanvas->SetSize(GetClientSize());
}

void CStereoDlg::OnCanvasSize(wxSizeEvent& event)
{
    event.Skip();
    UpdateFrustums();
    InvalidateWindowOnly(*m_pCanvas);
}

void CStereoDlg::OnClose(wxCloseEvent&)
{
    if (m_pView)
        m_pView->CloseStereoDialogs();
    else
        Destroy();
}

// Escape closes the pair of windows rather than hiding this one.
void CStereoDlg::OnCancel(wxCommandEvent&) { Close(); }

void CStereoDlg::OnDoubleClick(wxMouseEvent&) { CopyToClipboard(); }
