// Reader and writer of the native mesh file. The reader checks every count
// against the file before allocating, so a damaged file is refused rather
// than trusted.
#include <memory>

#include "data/NativeFileFields.h"
#include "data/NativeMesh.h"
#include "data/SafeWrite.h"

using native::CByteReader;
using native::CByteWriter;
using native::kMeshHeaderBytes;
using native::ReadExactly;

CNativeMesh::CNativeMesh() { SetDescription("Native Vexilo mesh data."); }

bool CNativeMesh::Read(const std::string& path)
{
    CFile f;
    if (!f.Open(path, CFile::modeRead | CFile::typeBinary))
        return false;
    try {
        std::uint8_t header[kMeshHeaderBytes];
        if (!ReadExactly(f, header, 4))
            return false;
        CByteReader r(header);
        if (r.I32() != -1 || !ReadExactly(f, header + 4, kMeshHeaderBytes - 4))
            return false;
        const bool solid = r.U8() != 0;
        const COLORREF crSolid = r.U32(), crWire = r.U32();
        const CVector3 solidColour = r.Vec(), wireColour = r.Vec();
        const std::int32_t primitive = r.I32(), n = r.I32(), polygons = r.I32(), m = r.I32();
        const CVector3 first = r.Vec(), second = r.Vec(), centre = r.Vec();
        const float diagonal = r.F32();

        if (primitive != kGlTriangles && primitive != kGlQuads)
            return false;
        const std::int64_t perPolygon = primitive == kGlQuads ? 4 : 3;
        if (n < 0 || m < 0 || polygons < 0 || std::int64_t(m) != perPolygon * polygons)
            return false;
        const std::uint64_t need = kMeshHeaderBytes + 24 * std::uint64_t(n) + 4 * std::uint64_t(m);
        if (f.GetLength() < need)
            return false;

        std::unique_ptr<CVector3[]> vertices, normals;
        std::unique_ptr<std::int32_t[]> indices;
        if (n > 0) {
            vertices.reset(new CVector3[std::size_t(n)]);
            normals.reset(new CVector3[std::size_t(n)]);
            if (!ReadExactly(f, vertices.get(), 12 * std::uint64_t(n)) ||
                !ReadExactly(f, normals.get(), 12 * std::uint64_t(n)))
                return false;
        }
        if (m > 0) {
            indices.reset(new std::int32_t[std::size_t(m)]);
            if (!ReadExactly(f, indices.get(), 4 * std::uint64_t(m)))
                return false;
            for (std::int32_t i = 0; i < m; ++i)
                if (indices[i] < 0 || indices[i] >= n)
                    return false;
        }

        m_bSolid = solid;
        m_crSolid = crSolid;
        m_crWire = crWire;
        m_vSolidColour = solidColour;
        m_vWireColour = wireColour;
        m_nPrimitive = primitive;
        m_nVertices = n;
        m_nPolygons = polygons;
        m_nIndices = m;
        m_vMin = first;
        m_vMax = second;
        m_vCentre = centre;
        m_fDiagonal = diagonal;
        m_pVertices = std::move(vertices);
        m_pNormals = std::move(normals);
        m_pIndices = std::move(indices);
        m_bDirty = false;
        return true;
    } catch (const CFileException&) {
        return false;
    }
}

bool CMesh::Save(const std::string& path)
{
    // Counts without their arrays would write memory that is not there.
    if (m_nVertices < 0 || m_nIndices < 0 || (m_nVertices > 0 && (!m_pVertices || !m_pNormals)) ||
        (m_nIndices > 0 && !m_pIndices))
        return false;
    return SaveBinarySafely(path, [this](CFile& f) {
        if (m_bDirty)
            UpdateBounds();
        CByteWriter w;
        w.I32(-1);
        w.U8(m_bSolid ? 1 : 0);
        w.U32(m_crSolid);
        w.U32(m_crWire);
        w.Vec(m_vSolidColour);
        w.Vec(m_vWireColour);
        w.I32(m_nPrimitive);
        w.I32(m_nVertices);
        w.I32(m_nPolygons);
        w.I32(m_nIndices);
        w.Vec(m_vMin);
        w.Vec(m_vMax);
        w.Vec(m_vCentre);
        w.F32(m_fDiagonal);
        w.WriteTo(f);
        if (m_nVertices > 0) {
            f.WriteHuge(m_pVertices.get(), 12 * std::uint64_t(m_nVertices));
            f.WriteHuge(m_pNormals.get(), 12 * std::uint64_t(m_nVertices));
        }
        if (m_nIndices > 0)
            f.WriteHuge(m_pIndices.get(), 4 * std::uint64_t(m_nIndices));
        return true;
    });
}
