#include "render/VolumeRenderer.h"

#include <algorithm>
#include <limits>

#include "data/Quaternion.h"
#include "data/Volume.h"
#include "platform/Glu.h"
#include "platform/Memory.h"
#include "platform/Prompter.h"
#include "render/RendererFactory.h"

CVolumeRenderer::CVolumeRenderer(CModel* model, IGlSurface* dc, int width, int height, const char* description,
                                 bool autoUpdate)
    : CRenderer(model, dc, width, height)
{
    SetDescription(description);
    m_bAutoUpdate = autoUpdate;
}

CVolumeRenderer::~CVolumeRenderer()
{
    m_pStaging.reset();
    CloseOwnContext();
}

void CVolumeRenderer::BeginFrame(IGlSurface* dc, COLORREF background, IGlContext* context)
{
    BeginFrameCommon(dc, background, context);
}

void CVolumeRenderer::CreateContext(IGlSurface* dc)
{
    if (!OpenOwnContext(dc))
        return;
    const CGlDispatch& gl = Gl();
    gl.LoadIdentity();
    gl.Disable(GL_LIGHTING);
    gl.Disable(GL_DEPTH_TEST);
    gl.Disable(GL_LINE_SMOOTH);
    gl.Disable(GL_POINT_SMOOTH);
    gl.Disable(GL_POLYGON_SMOOTH);
    gl.Disable(GL_CULL_FACE);
    gl.Disable(GL_COLOR_MATERIAL);
    gl.Disable(GL_LIGHT0);
    gl.Color4f(1.0f, 1.0f, 1.0f, 1.0f);
    gl.Viewport(0, 0, m_nWidth, m_nHeight);
    Zoom(0);
}

void CVolumeRenderer::MakeOwnContextCurrent()
{
    if (m_hDC && m_hGLRC && GlGetCurrentContext() != m_hGLRC.get())
        GlMakeCurrent(m_hDC, m_hGLRC.get());
}

void CVolumeRenderer::ComputeBoxGeometry()
{
    const CVolume& v = *m_pVolume;
    m_fSpacingX = v.m_fScaleX;
    m_fSpacingY = v.m_fScaleY;
    m_fSpacingZ = v.m_fScaleZ;
    const CVector3 half(v.m_nDimX * m_fSpacingX * 0.5f, v.m_nDimY * m_fSpacingY * 0.5f,
                        v.m_nDimZ * m_fSpacingZ * 0.5f);
    m_vBoxMax = half;
    m_vBoxMin = half * -1.0f;
    const float box[6] = {-half.x, half.x, -half.y, half.y, -half.z, half.z};
    const float radius = m_pVolume->GetSize();
    // A rebuild of the volume in the box the view was fitted to (a table
    // edit, new voxel values, options) changes only how it looks: the zoom
    // and the cut faces the user set stay.
    const bool fitted = m_bViewFitted && std::equal(box, box + 6, m_fBox) && radius == m_fRadius;
    std::copy(box, box + 6, m_fBox);
    m_fRadius = radius;
    if (fitted)
        return;
    // The fly-through camera owns the look-at and the perspective in mode 4:
    // a new box there (a new voxel size, a trim) must not put the eye back
    // outside the volume until the next camera step.
    if (m_nRenderMode != kRenderFlyThrough)
        ResetCamera();
    SetClipExtents(m_fRadius / 2.0, half.x, half.y, half.z);
    m_bViewFitted = true;
}

void CVolumeRenderer::RebuildOnTableChange()
{
    if (!m_bTexturesMissing)
        m_bTexturesDirty = true;
}

void CVolumeRenderer::InitExtensions()
{
    m_bHasBlendMinMax = IsExtensionSupported("GL_EXT_blend_minmax");
    m_pfnBlendEquationEXT =
        m_bHasBlendMinMax ? reinterpret_cast<PFNGLBLENDEQUATIONEXTPROC>(GlGetProcAddress("glBlendEquationEXT"))
                          : nullptr;
}

bool CVolumeRenderer::AllocStagingBuffer()
{
    m_nBytesPerVoxel = m_nBits / 8;
    FreeTextures();
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    const std::int64_t w = m_nTexWidth, h = m_nTexHeight, d = m_nTexDepth;
    if (w <= 0 || h <= 0 || d <= 0 || m_nBytesPerVoxel <= 0)
        return false;
    // Each step stays far inside 64 bits before it is checked.
    const std::int64_t plane = w * h;
    if (plane > kMax)
        return false;
    const std::int64_t voxels = plane * d;
    const std::int64_t bytes = voxels * m_nBytesPerVoxel;
    if (voxels > kMax || bytes > kMax)
        return false;
    m_pStaging = AllocateZeroed(std::size_t(bytes));
    if (!m_pStaging)
        return false;
    m_nStagingVoxels = std::int32_t(voxels);
    m_nStagingBytes = std::int32_t(bytes);
    return true;
}

void CVolumeRenderer::FreeTextures()
{
    m_pStaging.reset();
    m_nStagingVoxels = 0;
    m_nStagingBytes = 0;
}

std::int32_t CVolumeRenderer::TextureSize(std::int32_t dimension)
{
    std::int64_t size = 2;
    while (size < dimension)
        size *= 2;
    // Past INT32_MAX no staging buffer can be had anyway.
    return std::int32_t(std::min<std::int64_t>(size, std::numeric_limits<std::int32_t>::max()));
}

void CVolumeRenderer::RebuildTextures()
{
    m_bTexturesMissing = false;
    BuildTextures();
}

void CVolumeRenderer::BuildFailed()
{
    FreeTextures();
    // Once per attempt: a frame that finds the textures missing does not try
    // again, so continuous redraw cannot repeat the box.
    m_bTexturesDirty = false;
    m_bTexturesMissing = true;
    VxMessageBox("Unable to allocate memory for texture!", MB_OK | MB_ICONEXCLAMATION);
}

void CVolumeRenderer::ReportGlError()
{
    const GLenum error = Gl().GetError();
    if (error != GL_NO_ERROR)
        VxMessageBox(GluErrorString(error), MB_OK | MB_ICONINFORMATION);
}

void CVolumeRenderer::SetModel(CModel* model)
{
    m_pVolume = model && model->IsVolume() ? static_cast<CVolume*>(model) : nullptr;
    m_bTexturesMissing = false;
    m_bViewFitted = false;
}

void CVolumeRenderer::OnOptionsChanged()
{
    if (m_bTexturesMissing)
        m_bTexturesDirty = true;
}

bool CVolumeRenderer::SupportsFeature(int feature)
{
    if (feature == 1)
        return true;
    if (feature == 2)
        return m_bHasBlendMinMax;
    return false;
}

void CVolumeRenderer::LineState()
{
    const CGlDispatch& gl = Gl();
    gl.Enable(GL_DEPTH_TEST);
    gl.Disable(GL_CULL_FACE);
    gl.Enable(GL_LINE_SMOOTH);
    gl.Enable(GL_POLYGON_SMOOTH);
    // A build just before may have left a texture target on, and the
    // classes without a lookup stage switch nothing off themselves.
    gl.Disable(GL_TEXTURE_2D);
    gl.Disable(GL_TEXTURE_3D);
    EnableTexturing(false);
}

void CVolumeRenderer::CompositingBlend()
{
    const CGlDispatch& gl = Gl();
    gl.Enable(GL_BLEND);
    if (m_bHasBlendMinMax && m_pfnBlendEquationEXT)
        m_pfnBlendEquationEXT(GL_FUNC_ADD_EXT);
    gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void CVolumeRenderer::DrawTrajectory()
{
    const CGlDispatch& gl = Gl();
    LineState();
    m_pVolume->SetTargetFromDirection(m_vN);
    gl.Color4f(1.0f, 1.0f, 0.0f, 1.0f);
    const CVector3& a = m_pVolume->m_vEntry;
    const CVector3& b = m_pVolume->m_vTarget;
    gl.Begin(GL_LINES);
    gl.Vertex3f(a.x, a.y, a.z);
    gl.Vertex3f(b.x, b.y, b.z);
    gl.End();
}

void CVolumeRenderer::Render(IGlSurface* dc, bool swap)
{
    IGlContext* current = GlGetCurrentContext();
    GlMakeCurrent(dc, current ? current : m_hGLRC.get());
    const CGlDispatch& gl = Gl();
    if (m_pVolume && m_bTexturesDirty) {
        RebuildTextures();
        ReportGlError();
    }
    if (m_pVolume && !m_bTexturesMissing) {
        gl.PushMatrix();
        QuatToMatrix(m_pVolume->m_qOrientation, m_mModel);
        gl.MultMatrixf(m_mModel);
        if (m_pVolume->m_bShowTrajectory)
            DrawTrajectory();
        switch (m_nRenderMode) {
        case kRenderNormal:
            gl.Enable(GL_DEPTH_TEST);
            gl.Disable(GL_CULL_FACE);
            CompositingBlend();
            EnableClipPlanes(true);
            break;
        case kRenderMip:
            gl.Enable(GL_DEPTH_TEST);
            gl.Disable(GL_CULL_FACE);
            gl.Enable(GL_BLEND);
            if (m_bHasBlendMinMax && m_pfnBlendEquationEXT)
                m_pfnBlendEquationEXT(GL_MAX_EXT);
            gl.BlendFunc(GL_SRC_COLOR, GL_DST_COLOR);
            EnableClipPlanes(true);
            break;
        case kRenderMpr:
            gl.Disable(GL_BLEND);
            LineState();
            DrawMprFrames(m_vBoxMax, m_vBoxMin, m_pVolume->m_vEntry);
            EnableClipPlanes(false);
            break;
        case kRenderCutPlanes:
            LineState();
            DrawCutPlaneBox();
            CompositingBlend();
            EnableClipPlanes(true);
            break;
        case kRenderFlyThrough:
            gl.Disable(GL_DEPTH_TEST);
            CompositingBlend();
            EnableClipPlanes(false);
            break;
        default:
            break;
        }
        EnableTexturing(true);
        DrawSlices();
        gl.PopMatrix();
        gl.Disable(GL_BLEND);
        gl.Disable(GL_TEXTURE_2D);
        gl.Disable(GL_TEXTURE_3D);
        EnableTexturing(false);
        EnableClipPlanes(false);
    }
    gl.Flush();
    if (swap && dc)
        dc->SwapBuffers();
}

void CVolumeRenderer::ScreenToModelDir(int x, int y, CVector3& out)
{
    const CGlDispatch& gl = Gl();
    GLdouble proj[16], model[16];
    GLint vp[4] = {0, 0, 0, 0};
    gl.PushMatrix();
    gl.MultMatrixf(m_mModel);
    gl.GetDoublev(GL_PROJECTION_MATRIX, proj);
    gl.GetDoublev(GL_MODELVIEW_MATRIX, model);
    gl.GetIntegerv(GL_VIEWPORT, vp);
    gl.PopMatrix();
    double px = 0, py = 0, pz = 0;
    if (!GluUnProject(x, vp[3] - y, 0.0, model, proj, vp, &px, &py, &pz)) {
        out = CVector3();
        return;
    }
    const CVector3 entry = m_pVolume ? m_pVolume->m_vEntry : CVector3();
    out = CVector3(float(px), float(py), float(pz)) - entry;
    out.Normalize();
}

void CVolumeRenderer::Drag(int dx, int dy)
{
    if (m_nRenderMode == kRenderMpr)
        MoveMprSlice(DragAmount(dx, dy));
    else if (m_nRenderMode == kRenderCutPlanes)
        MoveCutFace(DragAmount(dx, dy));
}

void CVolumeRenderer::MoveMprSlice(double amount)
{
    if (!m_pVolume)
        return;
    CVector3 p = m_pVolume->m_vEntry;
    float* axis[3] = {&p.x, &p.y, &p.z};
    if (m_nPicked >= 0 && m_nPicked < 3) {
        float& v = *axis[m_nPicked];
        v = float(std::clamp(double(v) + amount, double(m_fBox[2 * m_nPicked]), double(m_fBox[2 * m_nPicked + 1])));
    }
    m_pVolume->SetEntryPoint(p, -1, -1, -1);
}

void CVolumeRenderer::MoveCutFace(double amount) { MoveCutFaceByHandle(m_nPicked, amount); }
