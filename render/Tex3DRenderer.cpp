#include "render/Tex3DRenderer.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

#include "data/AppSettings.h"
#include "data/DataLock.h"
#include "data/MessageLog.h"
#include "data/Quaternion.h"
#include "data/Volume.h"
#include "platform/Prompter.h"
#include "render/RendererFactory.h"

namespace {
// The lattice size a renderer is made with: below 2 is no lattice, so 8.
std::int32_t ConstructionLattice(std::int32_t n) { return n < 2 ? 8 : std::min(n, CTex3DRenderer::kMaxLattice); }

struct Point2 {
    float x, y;
};

// The part of the convex polygon in[0..n) where a x + b y + c >= 0, into
// out; returns its vertex count.
int ClipHalfPlane(const Point2* in, int n, float a, float b, float c, Point2* out)
{
    int m = 0;
    for (int i = 0; i < n; ++i) {
        const Point2& p = in[i];
        const Point2& q = in[(i + 1) % n];
        const float fp = a * p.x + b * p.y + c, fq = a * q.x + b * q.y + c;
        if (fp >= 0)
            out[m++] = p;
        if ((fp >= 0) != (fq >= 0)) {
            const float t = fp / (fp - fq);
            out[m++] = {p.x + t * (q.x - p.x), p.y + t * (q.y - p.y)};
        }
    }
    return m;
}

struct Point3 {
    float x, y, z;
};

// The part of the convex polygon in[0..n) where a x + b y + c z + e >= 0,
// into out; returns its vertex count.
int ClipHalfSpace(const Point3* in, int n, float a, float b, float c, float e, Point3* out)
{
    int m = 0;
    for (int i = 0; i < n; ++i) {
        const Point3& p = in[i];
        const Point3& q = in[(i + 1) % n];
        const float fp = a * p.x + b * p.y + c * p.z + e, fq = a * q.x + b * q.y + c * q.z + e;
        if (fp >= 0)
            out[m++] = p;
        if ((fp >= 0) != (fq >= 0)) {
            const float t = fp / (fp - fq);
            out[m++] = {p.x + t * (q.x - p.x), p.y + t * (q.y - p.y), p.z + t * (q.z - p.z)};
        }
    }
    return m;
}

// Model coordinate k of the slice-frame point (x, y, z) under the
// column-major modelview m, whose rotation took model points there.
inline float ModelAxis(const GLfloat m[16], int k, float x, float y, float z)
{
    return m[4 * k] * x + m[4 * k + 1] * y + m[4 * k + 2] * z;
}

// The first and last non-zero texels of `count` in a staging row, as
// [lo, hi] (lo > hi when none).
template <typename Texel> void RowBounds(const std::uint8_t* row, int count, int& lo, int& hi)
{
    auto at = [row](int i) {
        Texel t;
        std::memcpy(&t, row + std::size_t(i) * sizeof(Texel), sizeof(Texel));
        return t;
    };
    lo = 0;
    while (lo < count && at(lo) == 0)
        ++lo;
    hi = count - 1;
    while (hi >= lo && at(hi) == 0)
        --hi;
}
} // namespace

CTex3DRenderer::CTex3DRenderer(CModel* model, IGlSurface* dc, int width, int height, const char* description,
                               bool autoUpdate)
    : CVolumeRenderer(model, dc, width, height, description, autoUpdate)
{
    m_nLatticePoints = ConstructionLattice(m_pSettings->m_nLatticePoints);
    m_pSettings->m_nLatticePoints = m_nLatticePoints;
    CreateContext(dc);
}

CTex3DRenderer::~CTex3DRenderer()
{
    MakeOwnContextCurrent();
    CTex3DRenderer::FreeTextures();
}

void CTex3DRenderer::SetModel(CModel* model)
{
    CVolumeRenderer::SetModel(model);
    BuildVolumeLattice();
}

void CTex3DRenderer::OnModeChanged() { SetupTexGen(); }

void CTex3DRenderer::BuildVolumeLattice()
{
    const int n = m_nLatticePoints;
    assert(n >= 2 && n <= kMaxLattice);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const double u = double(j) / double(n - 1) - 0.5;
            const float v = float(double(i) / double(n - 1) - 0.5);
            const float s = float(1.0 / std::sqrt(u * u + double(v) * v + 0.25));
            m_aVolumeLattice[std::size_t(i * n + j)] = {float(u * m_fRadius * s), v * m_fRadius * s, 0.5f * s - 1.0f};
        }
}

void CTex3DRenderer::ComputeShellGrid()
{
    const double h = 2.0 * std::tan(m_dFovY * std::numbers::pi / 180.0 / 2.0) * (m_dNear + (m_dFar - m_dNear) * 0.5);
    m_dFrustumHeight = h;
    m_dFrustumWidth = h * m_dAspect;
    // The lattice the drawing reads: the renderer's own size, never the raw
    // setting, which an option page may have changed beyond the arrays.
    const int n = m_nLatticePoints;
    assert(n >= 2 && n <= kMaxLattice);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const double u = double(j) / double(n - 1) - 0.5;
            const double v = double(i) / double(n - 1) - 0.5;
            const double s = 1.0 / std::sqrt(u * u + v * v + 0.25);
            m_aViewLattice[std::size_t(i * n + j)] = {float(m_dFrustumWidth * u * s), float(m_dFrustumHeight * v * s),
                                                      float(0.5 * s - 1.0)};
        }
}

void CTex3DRenderer::OnOptionsChanged()
{
    const std::int32_t n = std::clamp(m_pSettings->m_nLatticePoints, 8, kMaxLattice);
    if (n != m_nLatticePoints) {
        // Both lattices and the texture anew, as for the model first
        // attached; but the volume is the same, so the camera and the
        // cut-plane box stay as the user left them (a fly-through eye
        // inside the volume included).
        m_nLatticePoints = n;
        BuildVolumeLattice();
        ComputeShellGrid();
        m_bTexturesDirty = true;
    }
    m_pSettings->m_nLatticePoints = n;
    CVolumeRenderer::OnOptionsChanged();
}

void CTex3DRenderer::ComputeGeometry()
{
    if (!m_pVolume)
        return;
    ComputeBoxGeometry();
    if (m_nTexWidth > 0 && m_nTexHeight > 0 && m_nTexDepth > 0) {
        m_vTexScale = CVector3(m_fMaxTexEdge / m_fSpacingX / float(m_nTexWidth),
                               m_fMaxTexEdge / m_fSpacingY / float(m_nTexHeight),
                               m_fMaxTexEdge / m_fSpacingZ / float(m_nTexDepth));
    }
    // A new voxel size changes the radius without a new model: the slices
    // and shells follow it here, not only at the next build.
    m_fFirstSlice = -m_fRadius * 0.5f;
    m_fLastSlice = m_fRadius * 0.5f;
    BuildVolumeLattice();
}

void CTex3DRenderer::InitExtensions()
{
    m_pfnTexImage3D = IsExtensionSupported("GL_EXT_texture3D")
                          ? reinterpret_cast<PFNGLTEXIMAGE3DPROC>(GlGetProcAddress("glTexImage3D"))
                          : nullptr;
    CVolumeRenderer::InitExtensions();
}

void CTex3DRenderer::FreeTextures()
{
    CVolumeRenderer::FreeTextures();
    m_bOccupiedKnown = false;
    if (m_nTexture3D)
        Gl().DeleteTextures(1, &m_nTexture3D);
    m_nTexture3D = 0;
}

bool CTex3DRenderer::StageVolume()
{
    if (!m_pVolume)
        return false;
    CVolume& v = *m_pVolume;
    CDataLock lock(v);
    CMessageLog::ShowStatus("Building 3D texture ... please wait", true);
    // Voxels that cannot be brought back from the swap file are no texture.
    if (!lock.Get()) {
        BuildFailed();
        return false;
    }
    InitExtensions();
    m_nDimX = v.m_nDimX;
    m_nDimY = v.m_nDimY;
    m_nDimZ = v.m_nDimZ;
    m_fHalfDimX = m_nDimX * 0.5f;
    m_fHalfDimY = m_nDimY * 0.5f;
    m_fHalfDimZ = m_nDimZ * 0.5f;
    m_nBits = v.m_nBits;
    m_nTexWidth = TextureSize(m_nDimX);
    m_nTexHeight = TextureSize(m_nDimY);
    m_nTexDepth = TextureSize(m_nDimZ);
    m_fMaxTexEdge = float(std::max({m_nTexWidth, m_nTexHeight, m_nTexDepth}));
    ComputeGeometry();
    if (m_nBits == 16 && (m_pSettings->m_bRescaleTo8Bit || StagesEightBitIndices()))
        m_nBits = 8;
    if (!AllocStagingBuffer()) {
        BuildFailed();
        return false;
    }
    SelectVolumeTextureUnit();
    ProxyTest();
    const CGlDispatch& gl = Gl();
    gl.GenTextures(1, &m_nTexture3D);
    gl.Enable(GL_TEXTURE_3D);
    FillStaging(lock.Get(), v.m_nBits / 8);
    FindOccupiedBox();
    m_bTexturesDirty = false;
    return true;
}

void CTex3DRenderer::FindOccupiedBox()
{
    VoxelBox box;
    box.x0 = box.y0 = box.z0 = std::numeric_limits<std::int32_t>::max();
    box.x1 = box.y1 = box.z1 = -1;
    const std::size_t X = std::size_t(m_nTexWidth), Y = std::size_t(m_nTexHeight);
    const std::size_t ox = std::size_t(m_nTexWidth - m_nDimX) / 2;
    const std::size_t oy = std::size_t(m_nTexHeight - m_nDimY) / 2;
    const std::size_t oz = std::size_t(m_nTexDepth - m_nDimZ) / 2;
    const std::size_t texel = std::size_t(m_nBytesPerVoxel);
    for (int z = 0; z < m_nDimZ; ++z)
        for (int y = 0; y < m_nDimY; ++y) {
            const std::size_t row = Y - 1 - oy - std::size_t(y);
            const std::uint8_t* p = m_pStaging.get() + ((std::size_t(z) + oz) * Y + row) * X * texel + ox * texel;
            int lo = 0, hi = -1;
            if (texel == 2)
                RowBounds<std::uint16_t>(p, m_nDimX, lo, hi);
            else
                RowBounds<std::uint8_t>(p, m_nDimX, lo, hi);
            if (lo > hi)
                continue;
            box.x0 = std::min(box.x0, lo);
            box.x1 = std::max(box.x1, hi);
            box.y0 = std::min(box.y0, y);
            box.y1 = std::max(box.y1, y);
            box.z0 = std::min(box.z0, z);
            box.z1 = std::max(box.z1, z);
        }
    if (box.x1 < 0) {
        m_occupied = VoxelBox();
    } else {
        // Half-open and two voxels wider on each side: linear filtering
        // reaches one, and an odd padding shifts the texels by half a voxel
        // against the box.
        m_occupied = {box.x0 - 2, box.x1 + 3, box.y0 - 2, box.y1 + 3, box.z0 - 2, box.z1 + 3};
    }
    m_bOccupiedKnown = true;
}

void CTex3DRenderer::OccupiedBounds(CVector3& lo, CVector3& hi) const
{
    const VoxelBox& b = m_occupied;
    // Voxel x lies from -half + x spacing on; world y runs against the
    // voxel rows.
    lo = CVector3(m_fBox[0] + float(b.x0) * m_fSpacingX, m_fBox[3] - float(b.y1) * m_fSpacingY,
                  m_fBox[4] + float(b.z0) * m_fSpacingZ);
    hi = CVector3(m_fBox[0] + float(b.x1) * m_fSpacingX, m_fBox[3] - float(b.y0) * m_fSpacingY,
                  m_fBox[4] + float(b.z1) * m_fSpacingZ);
}

bool CTex3DRenderer::ZeroTexelIsClear() const
{
    const RgbaLookupTable& t = *m_pRgbaTable;
    return t[0] == 0 && t[1] == 0 && t[2] == 0 && t[3] == 0;
}

void CTex3DRenderer::BuildTextures() { StageVolume(); }

void CTex3DRenderer::ProxyTest()
{
    if (!m_pfnTexImage3D)
        return;
    const bool wide = m_nBits == 16;
    m_pfnTexImage3D(GL_PROXY_TEXTURE_3D, 0, wide ? GL_INTENSITY16 : GL_INTENSITY8, m_nTexWidth, m_nTexHeight,
                    m_nTexDepth, 0, GL_LUMINANCE, wide ? GL_UNSIGNED_SHORT : GL_UNSIGNED_BYTE, nullptr);
    GLint width = 0;
    Gl().GetTexLevelParameteriv(GL_PROXY_TEXTURE_3D, 0, GL_TEXTURE_WIDTH, &width);
    if (width == 0)
        VxMessageBox("Insufficient texture resources - results will be undefined!", MB_OK | MB_ICONINFORMATION);
}

void CTex3DRenderer::FillStaging(const std::uint8_t* voxels, int voxelBytes)
{
    assert(m_nDimX <= m_nTexWidth && m_nDimY <= m_nTexHeight && m_nDimZ <= m_nTexDepth);
    const std::size_t X = std::size_t(m_nTexWidth), Y = std::size_t(m_nTexHeight);
    const std::size_t ox = std::size_t(m_nTexWidth - m_nDimX) / 2;
    const std::size_t oy = std::size_t(m_nTexHeight - m_nDimY) / 2;
    const std::size_t oz = std::size_t(m_nTexDepth - m_nDimZ) / 2;
    const std::size_t srcBytes = std::size_t(voxelBytes), dstBytes = std::size_t(m_nBytesPerVoxel);
    const std::size_t dimX = std::size_t(m_nDimX), dimY = std::size_t(m_nDimY);
    for (std::size_t z = 0; z < std::size_t(m_nDimZ); ++z)
        for (std::size_t y = 0; y < dimY; ++y) {
            const std::uint8_t* in = voxels + (y + z * dimY) * dimX * srcBytes;
            const std::size_t row = Y - 1 - oy - y;
            std::uint8_t* out = m_pStaging.get() + ((z + oz) * Y + row) * X * dstBytes + ox * dstBytes;
            if (srcBytes == dstBytes) {
                std::memcpy(out, in, dimX * srcBytes);
                continue;
            }
            for (std::size_t x = 0; x < dimX; ++x) {
                std::uint16_t value;
                std::memcpy(&value, in + 2 * x, 2);
                out[x] = RescaleTo8Bit(value);
            }
        }
}

void CTex3DRenderer::UploadVolume(GLint internalFormat, GLenum format, GLenum type)
{
    if (!m_pStaging)
        return;
    const CGlDispatch& gl = Gl();
    gl.BindTexture(GL_TEXTURE_3D, m_nTexture3D);
    gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    const GLfloat border[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    gl.TexParameterfv(GL_TEXTURE_3D, GL_TEXTURE_BORDER_COLOR, border);
    gl.TexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_BORDER);
    gl.TexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_BORDER);
    gl.TexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_BORDER);
    gl.TexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gl.TexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    if (m_pfnTexImage3D) {
        // Rows as narrow as 2 texels: packed.
        gl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
        m_pfnTexImage3D(GL_TEXTURE_3D, 0, internalFormat, m_nTexWidth, m_nTexHeight, m_nTexDepth, 0, format, type,
                        m_pStaging.get());
        gl.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
    }
    CVolumeRenderer::FreeTextures();
}

void CTex3DRenderer::UploadIntensity()
{
    const bool wide = m_nBits == 16;
    UploadVolume(wide ? GL_INTENSITY16 : GL_INTENSITY8, GL_LUMINANCE, wide ? GL_UNSIGNED_SHORT : GL_UNSIGNED_BYTE);
}

void CTex3DRenderer::SetupTexGen()
{
    if (m_nTexWidth <= 0 || m_nTexHeight <= 0 || m_nTexDepth <= 0)
        return;
    const CGlDispatch& gl = Gl();
    GLfloat s[4] = {0, 0, 0, 0.5f}, t[4] = {0, 0, 0, 0.5f}, r[4] = {0, 0, 0, 0.5f};
    if (m_nRenderMode == kRenderMpr) {
        s[0] = 1.0f / (float(m_nTexWidth) * m_fSpacingX);
        t[1] = 1.0f / (float(m_nTexHeight) * m_fSpacingY);
        r[2] = 1.0f / (float(m_nTexDepth) * m_fSpacingZ);
    } else {
        // One scale for all three: m_vTexScale in the texture matrix makes
        // it each axis's own after the rotation.
        s[0] = t[1] = r[2] = 1.0f / m_fMaxTexEdge;
    }
    for (GLenum coord : {GL_S, GL_T, GL_R})
        gl.TexGeni(coord, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    gl.TexGenfv(GL_S, GL_OBJECT_PLANE, s);
    gl.TexGenfv(GL_T, GL_OBJECT_PLANE, t);
    gl.TexGenfv(GL_R, GL_OBJECT_PLANE, r);
    gl.Enable(GL_TEXTURE_GEN_S);
    gl.Enable(GL_TEXTURE_GEN_T);
    gl.Enable(GL_TEXTURE_GEN_R);
}

void CTex3DRenderer::DrawSlices()
{
    const CGlDispatch& gl = Gl();
    GLfloat m[16] = {};
    gl.GetFloatv(GL_MODELVIEW_MATRIX, m);
    const GLfloat tx = m[12], ty = m[13], tz = m[14];
    // The inverse of the rotation is its transpose.
    GLfloat inverse[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            inverse[i * 4 + j] = m[j * 4 + i];
    gl.PopMatrix();

    gl.Enable(GL_TEXTURE_3D);
    gl.MatrixMode(GL_TEXTURE);
    gl.LoadIdentity();
    if (m_nRenderMode != kRenderMpr) {
        gl.Translatef(0.5f, 0.5f, 0.5f);
        gl.Scalef(m_vTexScale.x, m_vTexScale.y, m_vTexScale.z);
        gl.MultMatrixf(inverse);
        gl.Translatef(-0.5f, -0.5f, -0.5f);
    }
    gl.MatrixMode(GL_MODELVIEW);

    gl.PushMatrix();
    SetupTexGen();
    gl.Color4f(1.0f, 1.0f, 1.0f, 1.0f);
    gl.BindTexture(GL_TEXTURE_3D, m_nTexture3D);
    if (m_nRenderMode == kRenderMpr) {
        DrawMprPlanes();
        return;
    }
    // Facing the viewer: only the volume's place stays of the modelview.
    gl.LoadIdentity();
    gl.Translatef(tx, ty, tz);

    const int n = int(m_fRadius) + 1;
    const float step = (m_fLastSlice - m_fFirstSlice) / float(n);
    // On the 256^3 chest of the benchmark at 800 x 600 (whose cut planes
    // already clip the slices to the volume) trimming to the body takes a
    // frame from 448 to 257 CPU ms with quads and from 482 to 286 with
    // shells; llvmpipe spends nearly all of it shading fragments.
    const bool trim = m_bSkipEmptySpace && m_bOccupiedKnown && ZeroTexelIsClear();
    if (trim && m_occupied.Empty())
        return;
    CVector3 lo, hi;
    if (trim)
        OccupiedBounds(lo, hi);
    // Narrowed to the frustum, the slices stand where the view axis crosses
    // them, not at the volume's centre: a fly-through eye looks from
    // anywhere inside the volume, and sees farther than mid depth, so there
    // they take the frustum's size at the farthest slice in view.
    const float axisX = -tx, axisY = -ty;
    const double widen = m_nRenderMode == kRenderFlyThrough ? FlyThroughWidening(tz) : 1.0;
    const double width = m_dFrustumWidth * widen, height = m_dFrustumHeight * widen;
    if (m_pSettings->m_bUseQuads) {
        float x0 = m_fFirstSlice, x1 = m_fLastSlice, y0 = m_fFirstSlice, y1 = m_fLastSlice;
        if (width < m_fRadius) {
            x0 = axisX + float(-width / 2.0);
            x1 = axisX + float(width / 2.0);
        }
        if (height < m_fRadius) {
            y0 = axisY + float(-height / 2.0);
            y1 = axisY + float(height / 2.0);
        }
        if (trim)
            DrawTrimmedQuads(m, lo, hi, x0, x1, y0, y1, n, step);
        else
            DrawQuads(x0, x1, y0, y1, n, step);
    } else {
        const bool whole = width >= m_fRadius && height >= m_fRadius;
        const Lattice& lattice = whole ? m_aVolumeLattice : m_aViewLattice;
        const LatticePlace place = whole ? LatticePlace{} : LatticePlace{float(widen), axisX, axisY};
        if (trim)
            DrawTrimmedShells(m, lo, hi, lattice, place, n, step);
        else
            DrawShells(lattice, place, n, step);
    }
}

double CTex3DRenderer::FlyThroughWidening(float centreZ) const
{
    // The frustum grows with depth: from inside the volume the farthest
    // slice in view may lie well beyond mid depth, where the narrowing is
    // measured.
    const double mid = m_dNear + (m_dFar - m_dNear) * 0.5;
    const double farthest = std::min(m_dFar, double(-centreZ) + double(m_fRadius) * 0.5);
    return mid > 0.0 ? std::max(1.0, farthest / mid) : 1.0;
}

void CTex3DRenderer::DrawTrimmedQuads(const GLfloat rotation[16], const CVector3& lo, const CVector3& hi, float x0,
                                      float x1, float y0, float y1, int n, float step)
{
    const CGlDispatch& gl = Gl();
    const float los[3] = {lo.x, lo.y, lo.z}, his[3] = {hi.x, hi.y, hi.z};
    gl.Begin(GL_TRIANGLES);
    float d = m_fFirstSlice;
    for (int k = 0; k < n; ++k, d += step) {
        // The slice's rectangle, cut by the six faces of the box.
        Point2 a[16] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, b[16];
        int count = 4;
        for (int axis = 0; axis < 3 && count > 0; ++axis) {
            const float ax = rotation[4 * axis], ay = rotation[4 * axis + 1], az = rotation[4 * axis + 2] * d;
            count = ClipHalfPlane(a, count, ax, ay, az - los[axis], b);
            count = ClipHalfPlane(b, count, -ax, -ay, his[axis] - az, a);
        }
        for (int i = 1; i + 1 < count; ++i) {
            gl.Vertex3f(a[0].x, a[0].y, d);
            gl.Vertex3f(a[i].x, a[i].y, d);
            gl.Vertex3f(a[i + 1].x, a[i + 1].y, d);
        }
    }
    gl.End();
}

void CTex3DRenderer::DrawTrimmedShells(const GLfloat rotation[16], const CVector3& lo, const CVector3& hi,
                                       const Lattice& lattice, const LatticePlace& place, int n, float step)
{
    const CGlDispatch& gl = Gl();
    const int N = m_nLatticePoints;
    const float los[3] = {lo.x, lo.y, lo.z}, his[3] = {hi.x, hi.y, hi.z};
    auto emit = [&](const Point3& v) { gl.Vertex3f(v.x, v.y, v.z); };
    // The triangle (a, b, c) cut by the six faces of the box, as a fan.
    auto clipped = [&](const Point3& a, const Point3& b, const Point3& c) {
        Point3 u[16] = {a, b, c}, w[16];
        int count = 3;
        for (int axis = 0; axis < 3 && count > 0; ++axis) {
            const float* r = rotation + 4 * axis;
            count = ClipHalfSpace(u, count, r[0], r[1], r[2], -los[axis], w);
            count = ClipHalfSpace(w, count, -r[0], -r[1], -r[2], his[axis], u);
        }
        for (int i = 1; i + 1 < count; ++i) {
            emit(u[0]);
            emit(u[i]);
            emit(u[i + 1]);
        }
    };
    float d = m_fFirstSlice;
    for (int k = 0; k < n; ++k, d += step) {
        gl.Begin(GL_TRIANGLES);
        for (int i = 0; i < N - 1; ++i)
            for (int j = 0; j < N - 1; ++j) {
                const int p = i * N + j;
                const int corners[4] = {p, p + 1, p + N + 1, p + N};
                Point3 v[4];
                for (int c = 0; c < 4; ++c) {
                    const LatticePoint& q = lattice[std::size_t(corners[c])];
                    v[c] = {q.x * place.scale + place.dx, q.y * place.scale + place.dy, d - q.sag};
                }
                // The patch lies inside its corners' bounds: a quad whose
                // bounds miss the box draws only zeros, one inside it is
                // drawn whole.
                bool outside = false, inside = true;
                for (int axis = 0; axis < 3 && !outside; ++axis) {
                    float a = std::numeric_limits<float>::max(), b = -a;
                    for (const Point3& c : v) {
                        const float m = ModelAxis(rotation, axis, c.x, c.y, c.z);
                        a = std::min(a, m);
                        b = std::max(b, m);
                    }
                    outside = b < los[axis] || a > his[axis];
                    inside = inside && a >= los[axis] && b <= his[axis];
                }
                if (outside)
                    continue;
                // The diagonal from the second corner to the fourth, as
                // llvmpipe splits a quad: the shells bend too little for
                // the other to differ by more than rounding.
                if (inside) {
                    for (int c : {0, 1, 3, 1, 2, 3})
                        emit(v[c]);
                } else {
                    clipped(v[0], v[1], v[3]);
                    clipped(v[1], v[2], v[3]);
                }
            }
        gl.End();
    }
}

void CTex3DRenderer::DrawQuads(float x0, float x1, float y0, float y1, int n, float step)
{
    const CGlDispatch& gl = Gl();
    gl.Begin(GL_QUADS);
    float d = m_fFirstSlice;
    for (int k = 0; k < n; ++k) {
        gl.Vertex3f(x0, y0, d);
        gl.Vertex3f(x1, y0, d);
        gl.Vertex3f(x1, y1, d);
        gl.Vertex3f(x0, y1, d);
        d += step;
    }
    gl.End();
}

void CTex3DRenderer::DrawShells(const Lattice& lattice, const LatticePlace& place, int n, float step)
{
    const CGlDispatch& gl = Gl();
    const int N = m_nLatticePoints;
    float d = m_fFirstSlice;
    for (int k = 0; k < n; ++k) {
        gl.Begin(GL_QUADS);
        auto vertex = [&](int p) {
            const LatticePoint& q = lattice[std::size_t(p)];
            gl.Vertex3f(q.x * place.scale + place.dx, q.y * place.scale + place.dy, d - q.sag);
        };
        for (int i = 0; i < N - 1; ++i)
            for (int j = 0; j < N - 1; ++j) {
                const int p = i * N + j;
                vertex(p);
                vertex(p + 1);
                vertex(p + N + 1);
                vertex(p + N);
            }
        gl.End();
        d += step;
    }
}

void CTex3DRenderer::DrawMprPlanes()
{
    if (!m_pVolume)
        return;
    const CGlDispatch& gl = Gl();
    gl.Disable(GL_BLEND);
    const CVector3 p = m_pVolume->m_vEntry;
    const float* b = m_fBox;
    gl.PushMatrix();
    QuatToMatrix(m_pVolume->m_qOrientation, m_mModel);
    gl.MultMatrixf(m_mModel);
    gl.Begin(GL_QUADS);
    gl.Vertex3f(p.x, b[2], b[4]);
    gl.Vertex3f(p.x, b[2], b[5]);
    gl.Vertex3f(p.x, b[3], b[5]);
    gl.Vertex3f(p.x, b[3], b[4]);
    gl.Vertex3f(b[0], p.y, b[4]);
    gl.Vertex3f(b[0], p.y, b[5]);
    gl.Vertex3f(b[1], p.y, b[5]);
    gl.Vertex3f(b[1], p.y, b[4]);
    gl.Vertex3f(b[0], b[2], p.z);
    gl.Vertex3f(b[0], b[3], p.z);
    gl.Vertex3f(b[1], b[3], p.z);
    gl.Vertex3f(b[1], b[2], p.z);
    gl.End();
    gl.PopMatrix();
}
