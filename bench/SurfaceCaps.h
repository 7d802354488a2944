#pragma once
// The closing caps of a surface from our marching cubes: where an object
// meets the edge of the volume, the march reads zeros outside and closes the
// surface there, which a generator without that padding leaves open.
#include <cstdint>

#include "data/Mesh.h"
#include "data/Volume.h"

namespace bench {

// Triangles of the cells outside the volume: all three corners at or below
// 0, or at or above dim - 1, on one axis. A triangle lying flat in the first
// or last voxel layer, which voxels equal to the iso value can give, counts
// too.
inline int CapTriangles(const CSurfaceMesh& m, const CVolume& v)
{
    const float dim[3] = {float(v.m_nDimX - 1), float(v.m_nDimY - 1), float(v.m_nDimZ - 1)};
    const float scale[3] = {v.m_fScaleX, v.m_fScaleY, v.m_fScaleZ};
    int caps = 0;
    for (int f = 0; f < m.m_nPolygons; ++f) {
        const std::int32_t* c = &m.m_pIndices[3 * std::size_t(f)];
        bool cap = false;
        for (int a = 0; a < 3 && !cap; ++a) {
            bool low = true, high = true;
            for (int k = 0; k < 3; ++k) {
                const CVector3& p = m.m_pVertices[c[k]];
                const float q = (a == 0 ? p.x : a == 1 ? p.y : p.z) / scale[a];
                low = low && q <= 0.0f;
                high = high && q >= dim[a];
            }
            cap = low || high;
        }
        caps += cap;
    }
    return caps;
}

} // namespace bench
