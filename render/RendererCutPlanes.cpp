// The cut-plane box of CRenderer: six clip planes on the basis n, u, v, the
// face quads drawn for them, colour-coded picking and dragging.
#include <algorithm>
#include <cmath>

#include "data/Quaternion.h"
#include "data/Volume.h"
#include "platform/GlDispatch.h"
#include "platform/Glu.h"
#include "render/Renderer.h"

namespace {
constexpr float kFaceInset = 0.95f;
// Handles 0, 1, 2 are faces 0, 2, 4 and handles 3, 4, 5 faces 1, 3, 5.
constexpr int kHandleFace[6] = {0, 2, 4, 1, 3, 5};

int FaceOfHandle(int handle) { return handle >= 0 && handle < 6 ? kHandleFace[handle] : -1; }

// The MPR plane of one axis at p, one unit outside the box, in drawing order.
void MprPlaneCorners(int axis, const CVector3& M, const CVector3& m, const CVector3& p, CVector3 out[4])
{
    switch (axis) {
    case 0:
        out[0] = {p.x, m.y - 1, m.z - 1};
        out[1] = {p.x, m.y - 1, M.z + 1};
        out[2] = {p.x, M.y + 1, M.z + 1};
        out[3] = {p.x, M.y + 1, m.z - 1};
        break;
    case 1:
        out[0] = {m.x - 1, p.y, m.z - 1};
        out[1] = {m.x - 1, p.y, M.z + 1};
        out[2] = {M.x + 1, p.y, M.z + 1};
        out[3] = {M.x + 1, p.y, m.z - 1};
        break;
    default:
        out[0] = {m.x - 1, m.y - 1, p.z};
        out[1] = {m.x - 1, M.y + 1, p.z};
        out[2] = {M.x + 1, M.y + 1, p.z};
        out[3] = {M.x + 1, m.y - 1, p.z};
        break;
    }
}

void Vertex(const CGlDispatch& gl, const CVector3& p) { gl.Vertex3f(p.x, p.y, p.z); }

// Truncation toward zero of an index formula; what no index can be gives 0.
std::int64_t TruncIndex(double v)
{
    if (!std::isfinite(v))
        return 0;
    return std::int64_t(std::clamp(std::trunc(v), -4e9, 4e9));
}

std::int32_t ClampIndex(std::int64_t v, int dim) { return std::int32_t(std::clamp<std::int64_t>(v, 0, std::max(dim - 1, 0))); }
} // namespace

void CRenderer::WritePlaneNormals()
{
    const CVector3 axes[3] = {m_vN, m_vU, m_vV};
    for (int i = 0; i < 6; ++i) {
        const CVector3& a = axes[i / 2];
        double sign = (i % 2 == 0) ? -1.0 : 1.0;
        m_dPlanes[i][0] = sign * a.x;
        m_dPlanes[i][1] = sign * a.y;
        m_dPlanes[i][2] = sign * a.z;
    }
}

void CRenderer::PlaneDistancesToExtents()
{
    const float extent[3] = {m_vExtent.x, m_vExtent.y, m_vExtent.z};
    for (int i = 0; i < 6; ++i)
        m_dPlanes[i][3] = extent[i / 2];
}

void CRenderer::ResetCutPlaneBasis()
{
    m_vN = {1, 0, 0};
    m_vU = {0, 1, 0};
    m_vV = {0, 0, 1};
    m_vRefU = m_vU;
    m_vRefV = m_vV;
    m_nPlaneRotation = 0;
    WritePlaneNormals();
    PlaneDistancesToExtents();
    ComputeFaceQuads();
}

void CRenderer::UpdateClipPlanes(const CVector3& n, const CVector3& u, const CVector3& v)
{
    m_vN = n;
    m_vU = u;
    m_vV = v;
    WritePlaneNormals();
    for (int face : {1, 0, 2, 3, 4, 5})
        MoveFace(face, 0.0);
}

void CRenderer::SetClipExtents(double limit, float halfX, float halfY, float halfZ)
{
    m_dMaxDistance = limit + 1.0;
    m_vExtent = {halfX + 1.0f, halfY + 1.0f, halfZ + 1.0f};
    PlaneDistancesToExtents();
    UpdateClipPlanes(m_vN, m_vU, m_vV);
}

void CRenderer::MoveFace(int face, double amount)
{
    double& d = m_dPlanes[face][3];
    const double opposite = m_dPlanes[face ^ 1][3];
    d += amount;
    // The slab keeps a thickness of one unit.
    if (d <= -opposite)
        d = 1.0 - opposite;
    if (d > m_dMaxDistance)
        d = m_dMaxDistance;
    ComputeFaceQuads();
}

void CRenderer::ComputeFaceQuads()
{
    const float s = kFaceInset;
    float d[6];
    for (int i = 0; i < 6; ++i)
        d[i] = float(m_dPlanes[i][3]);
    const CVector3 &n = m_vN, &u = m_vU, &v = m_vV;
    CVector3* e = m_vEdge;
    e[0] = (u * -d[3] - v * d[5]) * s;
    e[1] = (u * -d[3] + v * d[4]) * s;
    e[2] = (u * d[2] + v * d[4]) * s;
    e[3] = (u * d[2] - v * d[5]) * s;
    e[4] = (v * -d[5] - n * d[1]) * s;
    e[5] = (v * -d[5] + n * d[0]) * s;
    e[6] = (v * d[4] + n * d[0]) * s;
    e[7] = (v * d[4] - n * d[1]) * s;
    e[8] = (u * -d[3] - n * d[1]) * s;
    e[9] = (u * -d[3] + n * d[0]) * s;
    e[10] = (u * d[2] + n * d[0]) * s;
    e[11] = (u * d[2] - n * d[1]) * s;

    const CVector3 centre[6] = {n * d[0], n * -d[1], u * d[2], u * -d[3], v * d[4], v * -d[5]};
    for (int f = 0; f < 6; ++f) {
        const CVector3* edges = e + 4 * (f / 2);
        for (int k = 0; k < 4; ++k) {
            // Even faces take the corners in order, odd faces reversed.
            int corner = f % 2 == 0 ? k : 3 - k;
            m_vFaceQuads[f][k] = centre[f] + edges[corner];
        }
    }
}

void CRenderer::EnableClipPlanes(bool enable)
{
    const CGlDispatch& gl = Gl();
    if (enable) {
        for (int i = 0; i < 6; ++i) {
            if (m_nFaceMask & (1 << i)) {
                gl.ClipPlane(GL_CLIP_PLANE0 + i, m_dPlanes[i]);
                gl.Enable(GL_CLIP_PLANE0 + i);
            } else {
                gl.Disable(GL_CLIP_PLANE0 + i);
            }
        }
        m_bClipEnabled = true;
        return;
    }
    if (m_bClipEnabled)
        for (int i = 0; i < 6; ++i)
            gl.Disable(GL_CLIP_PLANE0 + i);
    m_bClipEnabled = false;
}

int CRenderer::PickFace(int x, int y)
{
    const CGlDispatch& gl = Gl();
    m_nPicked = -1;
    GLint vp[4] = {0, 0, 0, 0};
    gl.GetIntegerv(GL_VIEWPORT, vp);
    const int readX = x, readY = vp[3] - y;
    // The view ends a drag with a pick outside the window: no handle there.
    if (readX < vp[0] || readX >= vp[0] + vp[2] || readY < vp[1] || readY >= vp[1] + vp[3])
        return -1;
    gl.ClearColor(0, 0, 0, 0);
    gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    gl.PushMatrix();
    gl.Enable(GL_DEPTH_TEST);
    gl.Disable(GL_TEXTURE_3D);
    gl.Disable(GL_TEXTURE_2D);
    gl.MultMatrixf(m_mModel);
    gl.Disable(GL_CULL_FACE);
    gl.Enable(GL_LINE_SMOOTH);
    gl.Enable(GL_POLYGON_SMOOTH);
    EnableTexturing(false);
    DrawPickTargets();
    gl.PopMatrix();
    // No swap: the image stays in the back buffer until the next frame.
    gl.Flush();

    GLfloat rgb[3] = {0, 0, 0};
    gl.ReadPixels(readX, readY, 1, 1, GL_RGB, GL_FLOAT, rgb);
    int handle = -1;
    for (int c = 0; c < 3; ++c)
        if (rgb[c] > 0.9f)
            handle = c;
    if (handle < 0)
        for (int c = 0; c < 3; ++c)
            if (rgb[c] > 0.4f)
                handle = 3 + c;
    if (handle < 0)
        return -1;
    m_nPicked = handle;
    ComputeDragDirection();
    return handle;
}

void CRenderer::DrawPickTargets()
{
    if (m_nRenderMode == kRenderMpr && m_pModel && m_pModel->IsVolume()) {
        const CVector3 boxMin(m_fBox[0], m_fBox[2], m_fBox[4]);
        const CVector3 boxMax(m_fBox[1], m_fBox[3], m_fBox[5]);
        DrawMprPickPlanes(boxMax, boxMin, static_cast<CVolume*>(m_pModel)->m_vEntry);
    } else if (m_nRenderMode == kRenderCutPlanes) {
        DrawCutPlaneFaces();
    }
}

void CRenderer::DrawMprPickPlanes(const CVector3& boxMax, const CVector3& boxMin, const CVector3& p)
{
    const CGlDispatch& gl = Gl();
    gl.Begin(GL_QUADS);
    for (int axis = 0; axis < 3; ++axis) {
        gl.Color3f(axis == 0 ? 1.0f : 0.0f, axis == 1 ? 1.0f : 0.0f, axis == 2 ? 1.0f : 0.0f);
        CVector3 corners[4];
        MprPlaneCorners(axis, boxMax, boxMin, p, corners);
        for (const CVector3& c : corners)
            Vertex(gl, c);
    }
    gl.End();
}

void CRenderer::DrawCutPlaneFaces()
{
    const CGlDispatch& gl = Gl();
    for (int handle = 0; handle < 6; ++handle) {
        int face = kHandleFace[handle];
        if (!(m_nFaceMask & (1 << face)))
            continue;
        // Bright for the faces at +n, +u, +v, dark for their opposites.
        float level = handle < 3 ? 1.0f : 0.5f;
        int axis = handle % 3;
        gl.Color3f(axis == 0 ? level : 0.0f, axis == 1 ? level : 0.0f, axis == 2 ? level : 0.0f);
        gl.Begin(GL_QUADS);
        for (const CVector3& c : m_vFaceQuads[face])
            Vertex(gl, c);
        gl.End();
    }
}

void CRenderer::ComputeDragDirection()
{
    const CGlDispatch& gl = Gl();
    GLdouble proj[16], model[16];
    GLint vp[4];
    gl.PushMatrix();
    gl.MultMatrixf(m_mModel);
    gl.GetDoublev(GL_PROJECTION_MATRIX, proj);
    gl.GetDoublev(GL_MODELVIEW_MATRIX, model);
    gl.GetIntegerv(GL_VIEWPORT, vp);
    gl.PopMatrix();

    CVector3 axis;
    if (m_nPicked >= 0 && m_nPicked < 6) {
        if (m_nRenderMode == kRenderMpr) {
            const CVector3 xyz[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
            axis = xyz[m_nPicked % 3];
        } else {
            const CVector3 nuv[3] = {m_vN, m_vU, m_vV};
            axis = nuv[m_nPicked % 3];
        }
        if (m_nPicked >= 3)
            axis = axis * -1.0f;
    }
    const CVector3 o = axis * (0.1f * m_fRadius);
    double ax, ay, az, bx, by, bz;
    bool ok = GluProject(-o.x, -o.y, -o.z, model, proj, vp, &ax, &ay, &az) &&
              GluProject(o.x, o.y, o.z, model, proj, vp, &bx, &by, &bz);
    m_fDragDirX = m_fDragDirY = 0.0f;
    if (!ok)
        return;
    // Window y downward, as the mouse reports it.
    double dx = bx - ax;
    double dy = (vp[3] - by - 1) - (vp[3] - ay - 1);
    double len = std::sqrt(dx * dx + dy * dy);
    if (len == 0.0)
        return;
    m_fDragDirX = float(dx / len);
    m_fDragDirY = float(dy / len);
}

double CRenderer::DragAmount(int dx, int dy) const
{
    double len = std::sqrt(double(dx) * dx + double(dy) * dy);
    double amount = std::max(len, 1.0);
    if (len > 0.0 && (dx / len) * m_fDragDirX + (dy / len) * m_fDragDirY < 0.0)
        amount = -amount;
    return amount;
}

void CRenderer::MoveCutFaceByHandle(int handle, double amount)
{
    int face = FaceOfHandle(handle);
    if (face >= 0)
        MoveFace(face, amount);
}

void CRenderer::Drag(int dx, int dy)
{
    if (m_nRenderMode == kRenderCutPlanes)
        MoveCutFaceByHandle(m_nPicked, DragAmount(dx, dy));
}

void CRenderer::RotateCutPlaneBy(int degrees)
{
    CVector3 u = m_vRefU, v = m_vRefV;
    int r = degrees % 360;
    m_nPlaneRotation = r;
    if (r > 0) {
        float half = float(-r * M_PI / 360.0);
        float s = std::sin(half);
        Quaternion q{s * m_vN.x, s * m_vN.y, s * m_vN.z, std::cos(half)};
        float m[16];
        QuatToMatrix(q, m);
        TransformPoint(m, u);
        TransformPoint(m, v);
    }
    UpdateClipPlanes(m_vN, u, v);
}

void CRenderer::RotateCutPlaneByDrag(int x, int y)
{
    CVector3 d;
    ScreenToModelDir(x, y, d);
    float angle = std::acos(std::clamp(Dot(d, m_vPickPoint), -1.0f, 1.0f));
    if (!(angle > 0.00001f))
        return;
    CVector3 axis = Cross(d, m_vPickPoint);
    axis.Normalize();
    float m[16];
    QuatToMatrix(AxisAngleToQuat(axis, angle), m);
    CVector3 n = m_vN, u = m_vU, v = m_vV;
    TransformPoint(m, n);
    TransformPoint(m, u);
    TransformPoint(m, v);
    u.Normalize();
    v.Normalize();
    m_vRefU = u;
    m_vRefV = v;
    m_nPlaneRotation = 0;
    UpdateClipPlanes(n, u, v);
    m_vPickPoint = d;
}

void CRenderer::DrawMprFrames(const CVector3& boxMax, const CVector3& boxMin, const CVector3& p)
{
    const CGlDispatch& gl = Gl();
    for (int axis = 0; axis < 3; ++axis) {
        if (axis == m_nPicked)
            gl.Color3f(1, 0, 0);
        else
            gl.Color3f(0, 0, 1);
        CVector3 corners[4];
        MprPlaneCorners(axis, boxMax, boxMin, p, corners);
        gl.Begin(GL_LINE_LOOP);
        for (const CVector3& c : corners)
            Vertex(gl, c);
        gl.End();
    }
}

void CRenderer::DrawCutPlaneBox()
{
    const CGlDispatch& gl = Gl();
    const float t = 0.05f * m_fRadius;
    const int pickedFace = FaceOfHandle(m_nPicked);
    const CVector3 axes[3] = {m_vN, m_vU, m_vV};
    for (int face = 0; face < 6; ++face) {
        if (!(m_nFaceMask & (1 << face)))
            continue;
        const CVector3* quad = m_vFaceQuads[face];
        if (face == pickedFace) {
            gl.Color3f(1, 0, 0);
            const CVector3 tick = axes[face / 2] * t;
            gl.Begin(GL_LINES);
            for (int k = 0; k < 4; ++k) {
                Vertex(gl, quad[k] + tick);
                Vertex(gl, quad[k] - tick);
            }
            gl.End();
        } else {
            gl.Color3f(0, 0, 1);
        }
        gl.Begin(GL_LINE_LOOP);
        for (int k = 0; k < 4; ++k)
            Vertex(gl, quad[k]);
        gl.End();
    }
}

void CRenderer::ClipBoxToVoxelBounds(std::int32_t& x0, std::int32_t& x1, std::int32_t& y0, std::int32_t& y1,
                                     std::int32_t& z0, std::int32_t& z1)
{
    x0 = x1 = y0 = y1 = z0 = z1 = 0;
    if (!m_pModel || !m_pModel->IsVolume())
        return;
    const CVolume& vol = *static_cast<CVolume*>(m_pModel);
    const double sx = vol.m_fScaleX, sy = vol.m_fScaleY, sz = vol.m_fScaleZ;
    const double x0m = m_fBox[0], y0m = m_fBox[2], z0m = m_fBox[4];
    const double (&d)[6][4] = m_dPlanes;
    x0 = ClampIndex(TruncIndex((-d[1][3] - x0m) / sx + 0.5), vol.m_nDimX);
    x1 = ClampIndex(TruncIndex((d[0][3] - x0m) / sx + 0.5), vol.m_nDimX);
    // Row y is drawn upside down, over world y from ymin + (Y-1-y)·sy to
    // ymin + (Y-y)·sy: the x rule counted from the last row.
    const std::int64_t lastRow = vol.m_nDimY - 1;
    y0 = ClampIndex(lastRow - TruncIndex((-d[3][3] - y0m) / sy + 0.5), vol.m_nDimY);
    y1 = ClampIndex(lastRow - TruncIndex((d[2][3] - y0m) / sy + 0.5), vol.m_nDimY);
    z0 = ClampIndex(TruncIndex((-d[5][3] - z0m) / sz + 0.5), vol.m_nDimZ);
    z1 = ClampIndex(TruncIndex((d[4][3] - z0m) / sz + 0.5), vol.m_nDimZ);
}
