#pragma once
#include <memory>

#include "data/Mesh.h"

// `count` triangles side by side in the z = 0 plane, facing +z: triangle t
// has its corners at x = 3t, 3t + 2 (y 0) and 3t + 1 (y 2), indices in order.
inline std::unique_ptr<CMesh> MakeTriangleRow(int count)
{
    auto mesh = std::make_unique<COffMesh>();
    mesh->m_nPrimitive = kGlTriangles;
    CVector3* v = mesh->SetVertexCount(3 * count);
    std::int32_t* idx = mesh->SetIndexCount(3 * count);
    for (int t = 0; t < count; ++t) {
        float x = float(3 * t);
        v[3 * t] = {x, 0, 0};
        v[3 * t + 1] = {x + 2, 0, 0};
        v[3 * t + 2] = {x + 1, 2, 0};
        for (int k = 0; k < 3; ++k) {
            idx[3 * t + k] = 3 * t + k;
            mesh->m_pNormals[3 * t + k] = {0, 0, 1};
        }
    }
    mesh->m_nPolygons = count;
    return mesh;
}

// One triangle (0,0,0), (1,0,0), (0,1,0), counter-clockwise seen from +z,
// into a mesh of any kind.
inline void MakeUnitTriangle(CMesh& m)
{
    CVector3* v = m.SetVertexCount(3);
    v[0] = {0, 0, 0};
    v[1] = {1, 0, 0};
    v[2] = {0, 1, 0};
    std::int32_t* i = m.SetIndexCount(3);
    i[0] = 0;
    i[1] = 1;
    i[2] = 2;
    m.m_nPolygons = 1;
    m.m_nPrimitive = kGlTriangles;
}
