#include "data/Mesh.h"

#include <algorithm>
#include <new>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "data/Colour.h"
#include "platform/Format.h"

CMesh::CMesh()
{
    m_strType = "Mesh";
    ColorRefToRGB(m_crSolid, m_vSolidColour);
    ColorRefToRGB(m_crWire, m_vWireColour);
}

CMesh::~CMesh() = default;

void CMesh::UpdateBounds() { m_bDirty = false; }

void CMesh::BoundsFromVertices()
{
    m_bDirty = false;
    if (m_nVertices <= 0 || !m_pVertices) {
        m_vMin = m_vMax = CVector3();
        return;
    }
    m_vMin = m_vMax = m_pVertices[0];
    for (int i = 0; i < m_nVertices; ++i) {
        const CVector3& v = m_pVertices[i];
        m_vMin.x = std::min(m_vMin.x, v.x);
        m_vMin.y = std::max(m_vMin.y, v.y);
        m_vMin.z = std::max(m_vMin.z, v.z);
        m_vMax.x = std::max(m_vMax.x, v.x);
        m_vMax.y = std::min(m_vMax.y, v.y);
        m_vMax.z = std::min(m_vMax.z, v.z);
    }
}

void CMesh::GetBounds(CVector3& first, CVector3& second)
{
    if (m_bDirty)
        UpdateBounds();
    first = m_vMin;
    second = m_vMax;
}

void CMesh::UpdateCentre()
{
    if (m_bDirty)
        UpdateBounds();
    m_vCentre = (m_vMin + m_vMax) * 0.5f;
}

float CMesh::GetSize()
{
    if (m_bDirty)
        UpdateBounds();
    return (m_vMax - m_vMin).Length();
}

std::string CMesh::GetInfo()
{
    const char* type = m_nPrimitive == kGlTriangles ? "GL_TRIANGLES"
                       : m_nPrimitive == kGlQuads   ? "GL_QUADS"
                                                    : "** Unknown **";
    m_strInfo = m_pszDescription +
                FormatString("\r\nNumber of vertices = %d\r\nNumber of polygons = %d\r\nPolygon type = %s", m_nVertices,
                             m_nPolygons, type);
    return m_strInfo;
}

void CMesh::AddGroup(int firstIndex, int indexCount, const std::string& name)
{
    m_aGroups.push_back({firstIndex, indexCount, name});
}

CVector3* CMesh::SetVertexCount(int n)
{
    m_pVertices.reset();
    m_pNormals.reset();
    m_nVertices = n;
    if (n <= 0) {
        m_nVertices = std::max(n, 0);
        return nullptr;
    }
    m_pVertices.reset(new CVector3[size_t(n)]);
    m_pNormals.reset(new CVector3[size_t(n)]);
    return m_pVertices.get();
}

std::int32_t* CMesh::SetIndexCount(int m)
{
    m_pIndices.reset();
    m_nIndices = m;
    if (m <= 0) {
        m_nIndices = std::max(m, 0);
        return nullptr;
    }
    m_pIndices.reset(new std::int32_t[size_t(m)]);
    return m_pIndices.get();
}

namespace {

// Unit Newell normal of a polygon of K corners.
template <int K> CVector3 FaceNormal(const std::int32_t* idx, const CVector3* vertices)
{
    CVector3 f;
#pragma GCC unroll 4
    for (int i = 0; i < K; ++i) {
        const CVector3& a = vertices[idx[i]];
        const CVector3& b = vertices[idx[i + 1 == K ? 0 : i + 1]];
        f.x += (a.y - b.y) * (a.z + b.z);
        f.y += (a.z - b.z) * (a.x + b.x);
        f.z += (a.x - b.x) * (a.y + b.y);
    }
    f.Normalize();
    return f;
}

#ifdef __SSE2__
// The same for four triangles at once, operation for operation, so every
// lane rounds as FaceNormal<3> does.
void FaceNormals4(const std::int32_t* idx, const CVector3* v, CVector3* out)
{
    auto lane = [&](int corner, float CVector3::*c) {
        return _mm_set_ps(v[idx[9 + corner]].*c, v[idx[6 + corner]].*c, v[idx[3 + corner]].*c, v[idx[corner]].*c);
    };
    __m128 x[3], y[3], z[3];
    for (int i = 0; i < 3; ++i) {
        x[i] = lane(i, &CVector3::x);
        y[i] = lane(i, &CVector3::y);
        z[i] = lane(i, &CVector3::z);
    }
    __m128 fx = _mm_setzero_ps(), fy = _mm_setzero_ps(), fz = _mm_setzero_ps();
    for (int i = 0; i < 3; ++i) {
        const int j = i + 1 == 3 ? 0 : i + 1;
        fx = _mm_add_ps(fx, _mm_mul_ps(_mm_sub_ps(y[i], y[j]), _mm_add_ps(z[i], z[j])));
        fy = _mm_add_ps(fy, _mm_mul_ps(_mm_sub_ps(z[i], z[j]), _mm_add_ps(x[i], x[j])));
        fz = _mm_add_ps(fz, _mm_mul_ps(_mm_sub_ps(x[i], x[j]), _mm_add_ps(y[i], y[j])));
    }
    const __m128 len =
        _mm_sqrt_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(fx, fx), _mm_mul_ps(fy, fy)), _mm_mul_ps(fz, fz)));
    // A zero length leaves a zero normal; NaN compares unequal and goes on.
    const __m128 keep = _mm_cmpneq_ps(len, _mm_setzero_ps());
    const __m128 inv = _mm_div_ps(_mm_set1_ps(1.0f), len);
    alignas(16) float ox[4], oy[4], oz[4];
    _mm_store_ps(ox, _mm_and_ps(_mm_mul_ps(fx, inv), keep));
    _mm_store_ps(oy, _mm_and_ps(_mm_mul_ps(fy, inv), keep));
    _mm_store_ps(oz, _mm_and_ps(_mm_mul_ps(fz, inv), keep));
    for (int q = 0; q < 4; ++q)
        out[q] = {ox[q], oy[q], oz[q]};
}
#endif

// Area-weighted normals of polygons of K corners, summed into the vertex
// normals in polygon order. The unit face normals of a block come first:
// independent of each other, their square roots and divisions overlap, where
// one loop would wait on each before the next scatter.
template <int K>
void AccumulateNormals(const std::int32_t* indices, int polygons, const CVector3* vertices, int nVertices,
                       CVector3* normals)
{
    constexpr int kBlock = 256;
    CVector3 face[kBlock];
    bool valid[kBlock];
    for (int p0 = 0; p0 < polygons; p0 += kBlock) {
        const int n = std::min(kBlock, polygons - p0);
        const std::int32_t* block = indices + size_t(p0) * K;
        for (int q = 0; q < n; ++q) {
            bool ok = true;
#pragma GCC unroll 4
            for (int i = 0; i < K; ++i)
                ok = ok && block[q * K + i] >= 0 && block[q * K + i] < nVertices;
            valid[q] = ok;
        }
        int q = 0;
#ifdef __SSE2__
        if constexpr (K == 3) {
            for (; q + 4 <= n; q += 4) {
                if (valid[q] && valid[q + 1] && valid[q + 2] && valid[q + 3]) {
                    FaceNormals4(block + q * K, vertices, face + q);
                    continue;
                }
                for (int r = q; r < q + 4; ++r)
                    if (valid[r])
                        face[r] = FaceNormal<K>(block + r * K, vertices);
            }
        }
#endif
        for (; q < n; ++q)
            if (valid[q])
                face[q] = FaceNormal<K>(block + q * K, vertices);
        for (q = 0; q < n; ++q) {
            if (!valid[q])
                continue;
#pragma GCC unroll 4
            for (int i = 0; i < K; ++i)
                normals[block[q * K + i]] += face[q];
        }
    }
}

} // namespace

void CMesh::ComputeNormals()
{
    if (m_nVertices <= 0 || !m_pNormals)
        return;
    const int k = IndicesPerPolygon();
    std::fill(m_pNormals.get(), m_pNormals.get() + m_nVertices, CVector3());
    const int polygons = std::min(m_nPolygons, m_pIndices ? m_nIndices / k : 0);
    if (k == 3)
        AccumulateNormals<3>(m_pIndices.get(), polygons, m_pVertices.get(), m_nVertices, m_pNormals.get());
    else
        AccumulateNormals<4>(m_pIndices.get(), polygons, m_pVertices.get(), m_nVertices, m_pNormals.get());
    for (int i = 0; i < m_nVertices; ++i) {
        m_pNormals[i].Normalize();
        if (m_bClockwise)
            m_pNormals[i] = m_pNormals[i] * -1.0f;
    }
}

CObjMesh::CObjMesh()
{
    SetDescription("Polygonal mesh model from an OBJ format file.");
    m_nPrimitive = kGlTriangles;
}

COffMesh::COffMesh()
{
    SetDescription("Polygonal mesh model from an OFF format file.");
    m_nPrimitive = kGlTriangles;
}

CSurfaceMesh::CSurfaceMesh() { m_nPrimitive = kGlTriangles; }
