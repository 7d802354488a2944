// OFF and SMF writers behind the view's mesh export commands.
#include "data/Mesh.h"
#include "data/SafeWrite.h"

namespace {
// Both formats take the index list three at a time; a quad list read so
// would give faces joining the wrong corners, so anything but whole
// triangles is refused before a file is made.
bool WholeTriangles(const CMesh& m)
{
    if (m.m_nIndices <= 0)
        return true;
    return m.m_pIndices && m.m_nPrimitive == kGlTriangles && m.m_nIndices % 3 == 0;
}

template <class Fn> void ForEachTriple(const CMesh& m, Fn&& fn)
{
    if (!m.m_pIndices)
        return;
    for (std::int64_t i = 0; i + 3 <= m.m_nIndices; i += 3)
        fn(m.m_pIndices[i], m.m_pIndices[i + 1], m.m_pIndices[i + 2]);
}

int VertexCount(const CMesh& m) { return m.m_pVertices ? m.m_nVertices : 0; }
} // namespace

bool CMesh::SaveOFF(const std::string& path)
{
    if (!WholeTriangles(*this))
        return false;
    return SaveTextSafely(path, [this](CTextWriter& out) {
        if (m_bDirty)
            UpdateBounds();
        out.WriteString("OFF\n");
        out.WriteFormat("%d %d %d\n", m_nVertices, m_nPolygons, 0);
        for (int i = 0; i < VertexCount(*this); ++i) {
            const CVector3& v = m_pVertices[i];
            out.WriteFormat("%.8f %.8f %.8f\n", double(v.x), double(v.y), double(v.z));
        }
        ForEachTriple(*this, [&](int a, int b, int c) { out.WriteFormat("3 %d %d %d\n", a, b, c); });
    });
}

bool CMesh::SaveSMF(const std::string& path)
{
    if (!WholeTriangles(*this))
        return false;
    return SaveTextSafely(path, [this](CTextWriter& out) {
        if (m_bDirty)
            UpdateBounds();
        out.WriteString("begin\n");
        for (int i = 0; i < VertexCount(*this); ++i) {
            const CVector3& v = m_pVertices[i];
            out.WriteFormat("v %.8f %.8f %.8f\n", double(v.x), double(v.y), double(v.z));
        }
        // 1-based, corners in reverse order.
        ForEachTriple(*this, [&](int a, int b, int c) { out.WriteFormat("f %d %d %d\n", c + 1, b + 1, a + 1); });
        out.WriteString("end\n");
    });
}
