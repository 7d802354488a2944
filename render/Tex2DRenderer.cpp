#include "render/Tex2DRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "data/AppSettings.h"
#include "data/DataLock.h"
#include "data/MessageLog.h"
#include "data/Volume.h"

namespace {
// Texel i of a byte buffer (copied, so the bytes are never read through
// another type).
template <typename Texel> Texel TexelAt(const std::uint8_t* bytes, std::size_t i)
{
    Texel t;
    std::memcpy(&t, bytes + i * sizeof(Texel), sizeof(Texel));
    return t;
}

// Column c of every row of every plane, texel by texel: out is Y wide, Z high.
template <typename Texel>
void GatherColumn(const std::uint8_t* staging, int c, int X, int Y, int Z, std::uint8_t* out)
{
    const std::size_t count = std::size_t(Y) * std::size_t(Z);
    for (std::size_t i = 0; i < count; ++i) {
        const Texel t = TexelAt<Texel>(staging, std::size_t(c) + i * std::size_t(X));
        std::memcpy(out + i * sizeof(Texel), &t, sizeof(Texel));
    }
}

void GatherColumn(int bytes, const std::uint8_t* staging, int c, int X, int Y, int Z, std::uint8_t* out)
{
    switch (bytes) {
    case 1:
        GatherColumn<std::uint8_t>(staging, c, X, Y, Z, out);
        break;
    case 2:
        GatherColumn<std::uint16_t>(staging, c, X, Y, Z, out);
        break;
    default:
        GatherColumn<std::uint32_t>(staging, c, X, Y, Z, out);
        break;
    }
}

void SetSliceParameters()
{
    const CGlDispatch& gl = Gl();
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
}

// The part of one slice to draw, in texels of its image's columns and rows
// out of the volume's du x dv.
struct TexelSpan {
    std::int32_t u0, u1, v0, v1, du, dv;
};

// One textured quad in the plane of `axis` at `at`, spanning the box in the
// other two axes, or the part of it over `span`; (s, t) run along them in
// the order (y, z), (x, z), (x, y).
void SliceQuad(int axis, double at, const float box[6], float ts, float tt, const TexelSpan* span = nullptr)
{
    const CGlDispatch& gl = Gl();
    const int a = axis == 0 ? 1 : 0;
    const int b = axis == 2 ? 1 : 2;
    double lo[2] = {box[2 * a], box[2 * b]};
    double hi[2] = {box[2 * a + 1], box[2 * b + 1]};
    float s0 = 0.0f, s1 = ts, t0 = 0.0f, t1 = tt;
    if (span) {
        // Ends that are the slice's own stay exact.
        auto at = [](double from, double to, std::int32_t k, std::int32_t n) {
            return k == 0 ? from : k == n ? to : from + (to - from) * double(k) / double(n);
        };
        auto tex = [](float full, std::int32_t k, std::int32_t n) {
            return k == n ? full : float(double(full) * double(k) / double(n));
        };
        const double l0 = lo[0], h0 = hi[0], l1 = lo[1], h1 = hi[1];
        lo[0] = at(l0, h0, span->u0, span->du);
        hi[0] = at(l0, h0, span->u1, span->du);
        lo[1] = at(l1, h1, span->v0, span->dv);
        hi[1] = at(l1, h1, span->v1, span->dv);
        s0 = tex(ts, span->u0, span->du);
        s1 = tex(ts, span->u1, span->du);
        t0 = tex(tt, span->v0, span->dv);
        t1 = tex(tt, span->v1, span->dv);
    }
    auto vertex = [&](double u, double v) {
        double p[3];
        p[axis] = at;
        p[a] = u;
        p[b] = v;
        gl.Vertex3d(p[0], p[1], p[2]);
    };
    gl.Begin(GL_QUADS);
    gl.TexCoord2f(s0, t0);
    vertex(lo[0], lo[1]);
    gl.TexCoord2f(s0, t1);
    vertex(lo[0], hi[1]);
    gl.TexCoord2f(s1, t1);
    vertex(hi[0], hi[1]);
    gl.TexCoord2f(s1, t0);
    vertex(hi[0], lo[1]);
    gl.End();
}

// Inclusive bounds of non-zero texels seen so far.
struct Bounds {
    std::int32_t u0 = std::numeric_limits<std::int32_t>::max(), u1 = -1;
    std::int32_t v0 = std::numeric_limits<std::int32_t>::max(), v1 = -1;
    void Add(std::int32_t ua, std::int32_t ub, std::int32_t v)
    {
        u0 = std::min(u0, ua);
        u1 = std::max(u1, ub);
        v0 = std::min(v0, v);
        v1 = std::max(v1, v);
    }
};

// Widened by the texel that linear filtering reaches on either side, inside
// the du x dv texels of the volume.
CTex2DRenderer::SliceRect Widened(const Bounds& b, std::int32_t du, std::int32_t dv)
{
    if (b.u1 < 0)
        return {};
    return {std::max(b.u0 - 1, 0), std::min(b.u1 + 2, du), std::max(b.v0 - 1, 0), std::min(b.v1 + 2, dv)};
}

// Bounds of the non-zero texels of every slice of the three stacks, row by
// row of the staging volume.
template <typename Texel>
void FindBounds(const std::uint8_t* staging, int X, int Y, int dimX, int dimY, int dimZ, std::vector<Bounds>& xs,
                std::vector<Bounds>& ys, std::vector<Bounds>& zs)
{
    for (int s = 0; s < dimZ; ++s)
        for (int r = 0; r < dimY; ++r) {
            const std::uint8_t* row = staging + (std::size_t(r) + std::size_t(s) * Y) * X * sizeof(Texel);
            auto at = [row](int x) { return TexelAt<Texel>(row, std::size_t(x)); };
            int first = 0, last = dimX - 1;
            while (first < dimX && at(first) == 0)
                ++first;
            if (first == dimX)
                continue;
            while (at(last) == 0)
                --last;
            zs[s].Add(first, last, r);
            ys[r].Add(first, last, s);
            for (int c = first; c <= last; ++c)
                if (at(c) != 0)
                    xs[c].Add(r, r, s);
        }
}
} // namespace

int ChooseStackFor(float a, float b, float c)
{
    const float fa = std::fabs(a), fb = std::fabs(b), fc = std::fabs(c);
    if (fa > fb) {
        if (fa > fc)
            return a > 0 ? 1 : 0;
    } else if (fb > fc) {
        return b > 0 ? 3 : 2;
    }
    return c > 0 ? 5 : 4;
}

CTex2DRenderer::CTex2DRenderer(CModel* model, IGlSurface* dc, int width, int height, const char* description,
                               bool autoUpdate)
    : CVolumeRenderer(model, dc, width, height, description, autoUpdate)
{
    CreateContext(dc);
}

CTex2DRenderer::~CTex2DRenderer()
{
    MakeOwnContextCurrent();
    CTex2DRenderer::FreeTextures();
    DeleteDisplayLists();
}

void CTex2DRenderer::SetModel(CModel* model)
{
    CVolumeRenderer::SetModel(model);
    DeleteDisplayLists();
}

void CTex2DRenderer::DeleteDisplayLists()
{
    const CGlDispatch& gl = Gl();
    for (GLuint& list : m_nDisplayLists) {
        if (list && gl.IsList(list))
            gl.DeleteLists(list, 1);
        list = 0;
    }
}

void CTex2DRenderer::ComputeGeometry()
{
    if (!m_pVolume)
        return;
    ComputeBoxGeometry();
    DeleteDisplayLists();
}

void CTex2DRenderer::DeleteStack(std::unique_ptr<GLuint[]>& names, std::int32_t& count)
{
    // The count is the array's own: the sizes may already be those of the
    // next build.
    if (names && count > 0)
        Gl().DeleteTextures(count, names.get());
    names.reset();
    count = 0;
}

void CTex2DRenderer::FreeTextures()
{
    CVolumeRenderer::FreeTextures();
    DeleteStack(m_pXTextures, m_nXTextures);
    DeleteStack(m_pYTextures, m_nYTextures);
    DeleteStack(m_pZTextures, m_nZTextures);
    for (auto& rects : m_aSliceRects)
        rects.clear();
}

bool CTex2DRenderer::ZeroTexelIsClear() const
{
    const RgbaLookupTable& t = *m_pRgbaTable;
    return t[0] == 0 && t[1] == 0 && t[2] == 0 && t[3] == 0;
}

void CTex2DRenderer::FindSliceRects()
{
    std::vector<Bounds> xs(static_cast<std::size_t>(m_nDimX)), ys(static_cast<std::size_t>(m_nDimY)),
        zs(static_cast<std::size_t>(m_nDimZ));
    const std::uint8_t* staging = m_pStaging.get();
    const int X = m_nTexWidth, Y = m_nTexHeight;
    switch (m_nBytesPerVoxel) {
    case 1:
        FindBounds<std::uint8_t>(staging, X, Y, m_nDimX, m_nDimY, m_nDimZ, xs, ys, zs);
        break;
    case 2:
        FindBounds<std::uint16_t>(staging, X, Y, m_nDimX, m_nDimY, m_nDimZ, xs, ys, zs);
        break;
    default:
        FindBounds<std::uint32_t>(staging, X, Y, m_nDimX, m_nDimY, m_nDimZ, xs, ys, zs);
        break;
    }
    // x slices span rows and planes, y slices columns and planes, z slices
    // columns and rows.
    auto widen = [](const std::vector<Bounds>& b, std::int32_t du, std::int32_t dv, std::vector<SliceRect>& out) {
        out.clear();
        for (const Bounds& one : b)
            out.push_back(Widened(one, du, dv));
    };
    widen(xs, m_nDimY, m_nDimZ, m_aSliceRects[0]);
    widen(ys, m_nDimX, m_nDimZ, m_aSliceRects[1]);
    widen(zs, m_nDimX, m_nDimY, m_aSliceRects[2]);
}

void CTex2DRenderer::TakeGeometry()
{
    const CVolume& v = *m_pVolume;
    m_nDimX = v.m_nDimX;
    m_nDimY = v.m_nDimY;
    m_nDimZ = v.m_nDimZ;
    ComputeGeometry();
    m_fHalfDimX = m_nDimX * 0.5f;
    m_fHalfDimY = m_nDimY * 0.5f;
    m_fHalfDimZ = m_nDimZ * 0.5f;
    m_nTexWidth = TextureSize(m_nDimX);
    m_nTexHeight = TextureSize(m_nDimY);
    m_nTexDepth = TextureSize(m_nDimZ);
}

void CTex2DRenderer::GenerateTextureNames()
{
    const CGlDispatch& gl = Gl();
    auto make = [&](std::unique_ptr<GLuint[]>& names, std::int32_t& count, std::int32_t size) {
        names = std::make_unique<GLuint[]>(std::size_t(size));
        count = size;
        gl.GenTextures(size, names.get());
    };
    make(m_pXTextures, m_nXTextures, m_nTexWidth);
    make(m_pYTextures, m_nYTextures, m_nTexHeight);
    make(m_pZTextures, m_nZTextures, m_nTexDepth);
}

bool CTex2DRenderer::StageVolume()
{
    if (!m_pVolume)
        return false;
    CVolume& v = *m_pVolume;
    CDataLock lock(v);
    CMessageLog::ShowStatus("Building 2D textures ... please wait", true);
    // Voxels that cannot be brought back from the swap file are no texture.
    if (!lock.Get()) {
        BuildFailed();
        return false;
    }
    InitExtensions();
    m_nBits = v.m_nBits;
    TakeGeometry();
    if (m_nBits == 16 && (m_pSettings->m_bRescaleTo8Bit || StagesEightBitIndices()))
        m_nBits = 8;
    if (!AllocStagingBuffer()) {
        BuildFailed();
        return false;
    }
    GenerateTextureNames();

    const std::size_t X = std::size_t(m_nTexWidth), Y = std::size_t(m_nTexHeight);
    const std::size_t srcBytes = std::size_t(v.m_nBits / 8);
    const std::size_t dstBytes = std::size_t(m_nBytesPerVoxel);
    const std::size_t dimX = std::size_t(m_nDimX);
    const std::uint8_t* src = lock.Get();
    for (std::size_t z = 0; z < std::size_t(m_nDimZ); ++z)
        for (std::size_t y = 0; y < std::size_t(m_nDimY); ++y) {
            const std::uint8_t* in = src + (y + z * std::size_t(m_nDimY)) * dimX * srcBytes;
            std::uint8_t* out = m_pStaging.get() + ((std::size_t(m_nDimY) - 1 - y) + z * Y) * X * dstBytes;
            if (srcBytes == dstBytes) {
                std::memcpy(out, in, dimX * srcBytes);
            } else {
                for (std::size_t x = 0; x < dimX; ++x) {
                    std::uint16_t value;
                    std::memcpy(&value, in + 2 * x, 2);
                    out[x] = RescaleTo8Bit(value);
                }
            }
        }
    FindSliceRects();
    m_bTexturesDirty = false;
    return true;
}

void CTex2DRenderer::BuildTextures() { StageVolume(); }

void CTex2DRenderer::UploadStacks(GLint internalFormat, GLenum format, GLenum type)
{
    const CGlDispatch& gl = Gl();
    const int X = m_nTexWidth, Y = m_nTexHeight, Z = m_nTexDepth;
    const std::size_t texel = std::size_t(m_nBytesPerVoxel);
    const std::uint8_t* staging = m_pStaging.get();
    if (!staging)
        return;
    // Slices as narrow as 2 texels: rows are packed.
    gl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    auto upload = [&](GLuint name, int w, int h, const void* pixels) {
        gl.BindTexture(GL_TEXTURE_2D, name);
        SetSliceParameters();
        gl.TexImage2D(GL_TEXTURE_2D, 0, internalFormat, w, h, 0, format, type, pixels);
        AfterSliceImage();
    };

    const std::size_t plane = std::size_t(X) * std::size_t(Y) * texel;
    for (int s = 0; s < Z; ++s)
        upload(m_pZTextures[s], X, Y, staging + std::size_t(s) * plane);

    std::vector<std::uint8_t> rows(std::size_t(X) * std::size_t(Z) * texel, 0);
    const std::size_t row = std::size_t(X) * texel;
    for (int r = 0; r < m_nDimY; ++r) {
        for (int s = 0; s < Z; ++s)
            std::memcpy(rows.data() + std::size_t(s) * row, staging + std::size_t(s) * plane + std::size_t(r) * row,
                        row);
        upload(m_pYTextures[r], X, Z, rows.data());
    }

    std::vector<std::uint8_t> columns(std::size_t(Y) * std::size_t(Z) * texel, 0);
    for (int c = 0; c < m_nDimX; ++c) {
        GatherColumn(int(texel), staging, c, X, Y, Z, columns.data());
        upload(m_pXTextures[c], Y, Z, columns.data());
    }
    gl.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
    CVolumeRenderer::FreeTextures();
}

int CTex2DRenderer::ChooseStack()
{
    GLfloat m[16] = {};
    Gl().GetFloatv(GL_MODELVIEW_MATRIX, m);
    return ChooseStackFor(m[2], m[6], m[10]);
}

void CTex2DRenderer::DrawStack(int code, float tx, float ty, float tz)
{
    const CGlDispatch& gl = Gl();
    const int axis = code / 2;
    const bool upward = code % 2 == 1;
    const std::int32_t dims[3] = {m_nDimX, m_nDimY, m_nDimZ};
    const float spacing[3] = {m_fSpacingX, m_fSpacingY, m_fSpacingZ};
    const GLuint* names[3] = {m_pXTextures.get(), m_pYTextures.get(), m_pZTextures.get()};
    const std::int32_t counts[3] = {m_nXTextures, m_nYTextures, m_nZTextures};
    const float ts[3] = {ty, tx, tx};
    const float tt[3] = {tz, tz, ty};
    const int n = std::min(dims[axis], counts[axis]);
    if (!names[axis])
        return;
    // Columns and rows of the slice images of each stack.
    const std::int32_t du[3] = {m_nDimY, m_nDimX, m_nDimX};
    const std::int32_t dv[3] = {m_nDimZ, m_nDimZ, m_nDimY};
    auto slice = [&](int c, double at) {
        if (!m_bListsTrimmed) {
            gl.BindTexture(GL_TEXTURE_2D, names[axis][c]);
            SliceQuad(axis, at, m_fBox, ts[axis], tt[axis]);
            return;
        }
        const SliceRect& r = m_aSliceRects[axis][std::size_t(c)];
        if (r.Empty())
            return;
        const TexelSpan span{r.u0, r.u1, r.v0, r.v1, du[axis], dv[axis]};
        gl.BindTexture(GL_TEXTURE_2D, names[axis][c]);
        SliceQuad(axis, at, m_fBox, ts[axis], tt[axis], &span);
    };
    if (upward) {
        double at = m_fBox[2 * axis];
        for (int c = 0; c < n; ++c) {
            slice(c, at);
            at += spacing[axis];
        }
    } else {
        double at = m_fBox[2 * axis + 1];
        for (int c = n - 1; c >= 0; --c) {
            slice(c, at);
            at -= spacing[axis];
        }
    }
}

void CTex2DRenderer::DrawSlices()
{
    const CGlDispatch& gl = Gl();
    const int code = ChooseStack();
    const float tx = float(m_nDimX) / float(m_nTexWidth);
    const float ty = float(m_nDimY) / float(m_nTexHeight);
    const float tz = float(m_nDimZ) / float(m_nTexDepth);
    if (m_nRenderMode == kRenderMpr) {
        DrawMprSlices(tx, ty, tz);
        return;
    }
    gl.Color4f(1.0f, 1.0f, 1.0f, 1.0f);
    gl.Enable(GL_TEXTURE_2D);
    // Rectangles only while zero texels are clear; a table that gives them
    // colour needs the whole slices, recorded anew. On the 256^3 chest of
    // the benchmark at 800 x 600 they halve the work of a frame: 333 to 164
    // CPU ms in the normal mode, 305 to 151 in MIP (llvmpipe spends nearly
    // all of it shading fragments).
    const std::size_t counts[3] = {std::size_t(m_nDimX), std::size_t(m_nDimY), std::size_t(m_nDimZ)};
    bool trim = m_bSkipEmptySpace && ZeroTexelIsClear();
    for (int axis = 0; axis < 3; ++axis)
        trim = trim && m_aSliceRects[axis].size() == counts[axis];
    if (trim != m_bListsTrimmed) {
        DeleteDisplayLists();
        m_bListsTrimmed = trim;
    }
    if (m_nDisplayLists[code]) {
        gl.CallList(m_nDisplayLists[code]);
        return;
    }
    const GLuint list = gl.GenLists(1);
    m_nDisplayLists[code] = list;
    gl.NewList(list, GL_COMPILE_AND_EXECUTE);
    DrawStack(code, tx, ty, tz);
    gl.EndList();
}

void CTex2DRenderer::DrawMprSlices(float tx, float ty, float tz)
{
    if (!m_pVolume || !m_pXTextures || !m_pYTextures || !m_pZTextures)
        return;
    const CGlDispatch& gl = Gl();
    gl.Color4f(1.0f, 1.0f, 1.0f, 1.0f);
    gl.Disable(GL_BLEND);
    gl.Enable(GL_TEXTURE_2D);
    const int px = m_pVolume->m_nSliceX;
    const int row = m_nDimY - m_pVolume->m_nSliceY - 1;
    const int pz = m_pVolume->m_nSliceZ;
    // The current point may be stale for a volume of other dimensions.
    if (px >= 0 && px < std::min(m_nDimX, m_nXTextures)) {
        gl.BindTexture(GL_TEXTURE_2D, m_pXTextures[px]);
        SliceQuad(0, double(px) * m_fSpacingX + m_fBox[0], m_fBox, ty, tz);
    }
    if (row >= 0 && row < std::min(m_nDimY, m_nYTextures)) {
        gl.BindTexture(GL_TEXTURE_2D, m_pYTextures[row]);
        SliceQuad(1, double(row) * m_fSpacingY + m_fBox[2], m_fBox, tx, tz);
    }
    if (pz >= 0 && pz < std::min(m_nDimZ, m_nZTextures)) {
        gl.BindTexture(GL_TEXTURE_2D, m_pZTextures[pz]);
        SliceQuad(2, double(pz) * m_fSpacingZ + m_fBox[4], m_fBox, tx, ty);
    }
}
