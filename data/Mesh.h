#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/Model.h"
#include "platform/Types.h"

constexpr int kGlTriangles = 4; // GL_TRIANGLES
constexpr int kGlQuads = 7;     // GL_QUADS

struct CMeshGroup {
    int m_nFirstIndex = 0;
    int m_nIndexCount = 0;
    std::string m_strName;
};

// A polygon mesh: vertices, one normal per vertex and an index list of
// triangles or quads, with colours, a solid/wireframe flag, a winding flag
// and optional named polygon groups. Save is in MeshNativeFile.cpp, the text
// exports in MeshExport.cpp.
class CMesh : public CModel {
public:
    CMesh();
    ~CMesh() override;

    void GetBounds(CVector3& first, CVector3& second) override;
    void UpdateCentre() override;
    float GetSize() override;
    bool Save(const std::string& path) override;
    bool IsMesh() const override { return true; }
    bool IsVolume() const override { return false; }
    std::string GetInfo() override;
    // Triangle exports as text, indices taken three at a time; false, with
    // no file made, for an index list that is not whole triangles.
    bool SaveOFF(const std::string& path);
    bool SaveSMF(const std::string& path);
    // Brings the bounds up to date; the base keeps the stored bounds.
    virtual void UpdateBounds();

    void AddGroup(int firstIndex, int indexCount, const std::string& name);
    // Reallocates n zero vertices and normals; null and empty when n <= 0.
    CVector3* SetVertexCount(int n);
    // Reallocates m indices for the caller to fill; null when m <= 0.
    std::int32_t* SetIndexCount(int m);
    void ComputeNormals();
    // Indices per polygon: 4 for quads, else 3.
    int IndicesPerPolygon() const { return m_nPrimitive == kGlQuads ? 4 : 3; }

    bool m_bClockwise = false;
    std::string m_strInfo;
    CVector3 m_vSolidColour;
    CVector3 m_vWireColour;
    int m_nPrimitive = kGlQuads;
    int m_nVertices = 0;
    std::unique_ptr<CVector3[]> m_pVertices;
    std::unique_ptr<CVector3[]> m_pNormals;
    int m_nPolygons = 0;
    int m_nIndices = 0;
    std::unique_ptr<std::int32_t[]> m_pIndices;
    bool m_bSolid = true;
    COLORREF m_crSolid = 0x02661FB3;
    COLORREF m_crWire = 0x02CCCCCC;
    std::vector<CMeshGroup> m_aGroups;

protected:
    // Bounds from the vertices: m_vMin the smallest x, largest y and largest
    // z, m_vMax the largest x, smallest y and smallest z (see CModel).
    void BoundsFromVertices();
};

// Mesh kinds that compute their bounds from the vertices.
class CObjMesh : public CMesh {
public:
    CObjMesh();
    void UpdateBounds() override { BoundsFromVertices(); }
};

class COffMesh : public CMesh {
public:
    COffMesh();
    void UpdateBounds() override { BoundsFromVertices(); }
};

class CSurfaceMesh : public CMesh {
public:
    CSurfaceMesh();
    void UpdateBounds() override { BoundsFromVertices(); }
};
