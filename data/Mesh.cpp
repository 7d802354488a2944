#include "data/Mesh.h"

#include <algorithm>
#include <new>

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

// Area-weighted normals of polygons of K corners, summed
// into the vertex normals in polygon order. The unit face normals of a block
// come first: independent of each other, their square roots and divisions
// overlap, where one loop would wait on each before the next scatter.
template <int K>
void AccumulateNormals(const std::int32_t* indices, int polygons, const CVector3* vertices, int nVertices,
                       CVector3* normals)
{
    constexpr int k = K;
    constexpr int kBlock = 256;
    CVector3 face[kBlock];
    bool valid[kBlock];
    for (int p0 = 0; p0 < polygons; p0 += kBlock) {
        const int n = std::min(kBlock, polygons - p0);
        for (int q = 0; q < n; ++q) {
            const std::int32_t* idx = indices + size_t(p0 + q) * size_t(k);
            bool ok = true;
#pragma GCC unroll 4
            for (int i = 0; i < k; ++i)
                ok = ok && idx[i] >= 0 && idx[i] < nVertices;
            valid[q] = ok;
            if (!ok)
                continue;
            CVector3 f;
#pragma GCC unroll 4
            for (int i = 0; i < k; ++i) {
                const CVector3& a = vertices[idx[i]];
                const CVector3& b = vertices[idx[i + 1 == k ? 0 : i + 1]];
                f.x += (a.y - b.y) * (a.z + b.z);
                f.y += (a.z - b.z) * (a.x + b.x);
                f.z += (a.x - b.x) * (a.y + b.y);
            }
            f.Normalize();
            face[q] = f;
        }
        for (int q = 0; q < n; ++q) {
            if (!valid[q])
                continue;
            const std::int32_t* idx = indices + size_t(p0 + q) * size_t(k);
#pragma GCC unroll 4
            for (int i = 0; i < k; ++i)
                normals[idx[i]] += face[q];
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
