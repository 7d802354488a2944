#include "render/Renderer.h"

#include <algorithm>

#include "data/AppSettings.h"
#include "data/Model.h"
#include "platform/GlDispatch.h"
#include "platform/Glu.h"
#include "render/TransferFunction.h"

CRenderer::CRenderer(CModel* model, IGlSurface* dc, int width, int height)
    : m_pSettings(CAppSettings::GetInstance()), m_pModel(model), m_hDC(dc), m_nWidth(width), m_nHeight(height)
{
    // A minimised window has no height; the aspect stays as it was.
    if (height != 0)
        m_dAspect = double(width) / double(height);
    m_pRgbaTable = std::make_unique<RgbaLookupTable>();
    m_pRgbaTable->fill(0);
    m_pBgrPalette = std::make_unique<BgrPalette>();
    for (int i = 0; i < 256; ++i)
        for (int c = 0; c < 3; ++c)
            (*m_pBgrPalette)[3 * i + c] = std::uint8_t(i);
    if (model && model->IsVolume())
        m_pTransferFunction = std::make_unique<CTransferFunction>(this, model);
    ResetCutPlaneBasis();
}

CRenderer::~CRenderer() = default;

void CRenderer::SetDescription(const std::string& text) { m_pszDescription = text.substr(0, 131); }

void CRenderer::BeginFrameCommon(IGlSurface* dc, COLORREF background, IGlContext* context)
{
    GlMakeCurrent(dc, context ? context : m_hGLRC.get());
    const CGlDispatch& gl = Gl();
    gl.ClearColor(GetRValue(background) / 255.0f, GetGValue(background) / 255.0f, GetBValue(background) / 255.0f,
                  0.0f);
    gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

bool CRenderer::OpenOwnContext(IGlSurface* dc)
{
    if (!dc || !dc->SetPixelFormat(kRendererPixelFormat))
        return false;
    m_hGLRC = dc->CreateContext();
    return m_hGLRC && GlMakeCurrent(dc, m_hGLRC.get());
}

void CRenderer::CloseOwnContext()
{
    GlMakeCurrent(nullptr, nullptr);
    m_hGLRC.reset();
}

void CRenderer::ScreenToModelDir(int, int, CVector3& out) { out = CVector3(0, 0, 1); }

void CRenderer::AttachModel(CModel* model)
{
    m_fRadius = model ? model->GetSize() : 1.0f;
    m_pModel = model;
    ResetCamera();
    m_dMaxDistance = 1.0;
    m_nFaceMask = 63;
    ResetCutPlaneBasis();
    m_bTexturesDirty = true;
    // The model replaced may be deleted next (trim, crop, downsample): the
    // presets must read the new volume's histogram, not the old one's.
    if (m_pTransferFunction)
        m_pTransferFunction->SetModel(model);
    SetModel(model);
}

void CRenderer::ResetCamera()
{
    double d = 1.75 * m_fRadius;
    double h = 0.5 * m_fRadius + 20.0;
    m_dNear = d - h;
    if (m_dNear <= 0.0)
        m_dNear = 0.001;
    m_dFar = d + h;
    m_CameraLookAt = {CVector3(0, 0, float(d)), CVector3(0, 0, -1), CVector3(0, 1, 0)};
    Zoom(0);
    PlaneDistancesToExtents();
    // The drawn faces follow the planes they stand for.
    ComputeFaceQuads();
    const CGlDispatch& gl = Gl();
    gl.LoadIdentity();
    const CameraLookAt& c = m_CameraLookAt;
    GluLookAt(c.eye.x, c.eye.y, c.eye.z, c.centre.x, c.centre.y, c.centre.z, c.up.x, c.up.y, c.up.z);
}

void CRenderer::Zoom(int wheel)
{
    double fov = std::clamp(30.0 - 0.2 * wheel, 0.1, 180.0);
    SetPerspective(fov, 0, 0, 0);
}

void CRenderer::SetPerspective(double fovy, double zNear, double zFar, double aspect)
{
    if (fovy > 0)
        m_dFovY = fovy;
    if (zNear > 0)
        m_dNear = zNear;
    if (zFar > 0)
        m_dFar = zFar;
    if (aspect > 0)
        m_dAspect = aspect;
    const CGlDispatch& gl = Gl();
    gl.MatrixMode(GL_PROJECTION);
    gl.LoadIdentity();
    GluPerspective(m_dFovY, m_dAspect, m_dNear, m_dFar);
    gl.MatrixMode(GL_MODELVIEW);
    ComputeShellGrid();
}

void CRenderer::Resize(int width, int height)
{
    m_nWidth = width;
    m_nHeight = height;
    if (height != 0)
        m_dAspect = double(width) / double(height);
    Gl().Viewport(0, 0, width, height);
    SetPerspective(0, 0, 0, 0);
    OnResize(width, height);
}
