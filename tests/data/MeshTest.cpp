#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "data/Colour.h"
#include "data/Mesh.h"
#include "support/TriangleMesh.h"

TEST(CMesh, NewMeshDefaultsAndInfo)
{
    CMesh m;
    EXPECT_EQ(m.m_strType, "Mesh");
    EXPECT_EQ(m.m_nPrimitive, kGlQuads);
    EXPECT_TRUE(m.m_bSolid);
    EXPECT_FALSE(m.m_bClockwise);
    EXPECT_EQ(m.m_vSolidColour, CVector3(179 * kByteToUnit, 31 * kByteToUnit, 102 * kByteToUnit));
    EXPECT_EQ(m.m_vWireColour, CVector3(204 * kByteToUnit, 204 * kByteToUnit, 204 * kByteToUnit));
    EXPECT_TRUE(m.IsMesh());
    EXPECT_FALSE(m.IsVolume());
    EXPECT_EQ(m.m_qOrientation, (Quaternion{0, 0, 0, 0}));
    EXPECT_EQ(m.GetInfo(), "\r\nNumber of vertices = 0\r\nNumber of polygons = 0\r\nPolygon type = GL_QUADS");
}

TEST(CMesh, InfoTextsByKindAndPrimitive)
{
    struct Row {
        std::unique_ptr<CMesh> mesh;
        int primitive;
        std::string want;
    };
    Row rows[3];
    rows[0] = {std::make_unique<CObjMesh>(), kGlTriangles,
               "Polygonal mesh model from an OBJ format file.\r\nNumber of vertices = 0\r\nNumber of polygons = 0\r\n"
               "Polygon type = GL_TRIANGLES"};
    rows[1] = {std::make_unique<COffMesh>(), 5,
               "Polygonal mesh model from an OFF format file.\r\nNumber of vertices = 0\r\nNumber of polygons = 0\r\n"
               "Polygon type = ** Unknown **"};
    rows[2] = {std::make_unique<CSurfaceMesh>(), kGlTriangles,
               "\r\nNumber of vertices = 0\r\nNumber of polygons = 0\r\nPolygon type = GL_TRIANGLES"};
    for (auto& r : rows) {
        r.mesh->m_nPrimitive = r.primitive;
        EXPECT_EQ(r.mesh->GetInfo(), r.want);
        EXPECT_EQ(r.mesh->m_strInfo, r.want);
    }
}

TEST(CMesh, BoundsFollowTheCornerRule)
{
    CObjMesh m;
    CVector3* v = m.SetVertexCount(2);
    v[0] = {0, 0, 0};
    v[1] = {2, 4, 6};
    CVector3 a, b;
    m.GetBounds(a, b);
    EXPECT_EQ(a, CVector3(0, 4, 6));
    EXPECT_EQ(b, CVector3(2, 0, 0));
    m.UpdateCentre();
    EXPECT_EQ(m.m_vCentre, CVector3(1, 2, 3));
    EXPECT_FLOAT_EQ(m.GetSize(), std::sqrt(56.0f));
    EXPECT_FALSE(m.m_bDirty);

    CSurfaceMesh empty;
    empty.GetBounds(a, b);
    EXPECT_EQ(a, CVector3());
    EXPECT_EQ(b, CVector3());
    EXPECT_EQ(empty.GetSize(), 0.0f);
}

TEST(CMesh, BaseMeshKeepsStoredBounds)
{
    CMesh m;
    m.m_vMin = {-1, 2, 3};
    m.m_vMax = {1, -2, -3};
    CVector3* v = m.SetVertexCount(1);
    v[0] = {100, 100, 100};
    CVector3 a, b;
    m.GetBounds(a, b);
    EXPECT_EQ(a, CVector3(-1, 2, 3));
    EXPECT_FALSE(m.m_bDirty);
}

TEST(CMesh, NormalsOfATriangleAndItsClockwiseFlip)
{
    CObjMesh m;
    MakeUnitTriangle(m);
    m.ComputeNormals();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(m.m_pNormals[i], CVector3(0, 0, 1));
    m.m_bClockwise = true;
    m.ComputeNormals();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(m.m_pNormals[i], CVector3(0, 0, -1));
}

TEST(CMesh, NormalsOfQuadsDegeneratePolygonsAndUnusedVertices)
{
    CMesh m; // quads
    CVector3* v = m.SetVertexCount(6);
    v[0] = {0, 0, 0};
    v[1] = {1, 0, 0};
    v[2] = {1, 1, 0};
    v[3] = {0, 1, 0};
    v[4] = {5, 5, 5};
    v[5] = {9, 9, 9};
    std::int32_t* i = m.SetIndexCount(8);
    int idx[8] = {0, 1, 2, 3, 4, 4, 4, 4};
    std::copy(idx, idx + 8, i);
    m.m_nPolygons = 2;
    m.ComputeNormals();
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(m.m_pNormals[k], CVector3(0, 0, 1));
    EXPECT_EQ(m.m_pNormals[4], CVector3()) << "degenerate polygon adds nothing";
    EXPECT_EQ(m.m_pNormals[5], CVector3()) << "unused vertex keeps zero";
}

// Many triangles, so that blocks and groups of faces are computed together,
// among them faces naming a vertex outside the mesh, faces without area and
// faces too small for their normal to have a length.
TEST(CMesh, TriangleNormalsAreSumsOfUnitFaceNormalsInOrder)
{
    constexpr int kVertices = 50, kTriangles = 530;
    CSurfaceMesh m;
    m.m_nPrimitive = kGlTriangles;
    CVector3* v = m.SetVertexCount(kVertices);
    std::uint32_t seed = 7;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int i = 0; i < kVertices; ++i) {
        const float scale = i < 3 ? 1e-25f : 1.0f;
        v[i] = {scale * float(next() % 1000), scale * float(next() % 1000), scale * float(next() % 1000)};
    }
    std::int32_t* idx = m.SetIndexCount(3 * kTriangles);
    for (int k = 0; k < 3 * kTriangles; ++k)
        idx[k] = std::int32_t(next() % kVertices);
    idx[3 * 5] = -1;
    idx[3 * 9 + 2] = kVertices;
    idx[3 * 300 + 1] = idx[3 * 300];
    idx[3 * 301 + 0] = 0, idx[3 * 301 + 1] = 1, idx[3 * 301 + 2] = 2;
    m.m_nPolygons = kTriangles;

    std::vector<CVector3> want(kVertices);
    for (int t = 0; t < kTriangles; ++t) {
        const std::int32_t* c = idx + 3 * t;
        if (std::any_of(c, c + 3, [](std::int32_t i) { return i < 0 || i >= kVertices; }))
            continue;
        CVector3 n;
        for (int i = 0; i < 3; ++i) {
            const CVector3 &a = v[c[i]], &b = v[c[(i + 1) % 3]];
            n.x += (a.y - b.y) * (a.z + b.z);
            n.y += (a.z - b.z) * (a.x + b.x);
            n.z += (a.x - b.x) * (a.y + b.y);
        }
        n.Normalize();
        for (int i = 0; i < 3; ++i)
            want[std::size_t(c[i])] += n;
    }
    for (CVector3& n : want)
        n.Normalize();
    m.ComputeNormals();
    for (int i = 0; i < kVertices; ++i)
        EXPECT_EQ(m.m_pNormals[i], want[std::size_t(i)]) << "vertex " << i;
}

TEST(CMesh, SetCountsAndGroups)
{
    CMesh m;
    EXPECT_NE(m.SetVertexCount(4), nullptr);
    EXPECT_EQ(m.m_pNormals[3], CVector3());
    EXPECT_EQ(m.SetVertexCount(0), nullptr);
    EXPECT_EQ(m.m_pVertices, nullptr);
    EXPECT_EQ(m.m_pNormals, nullptr);
    EXPECT_EQ(m.SetIndexCount(-3), nullptr);
    EXPECT_EQ(m.m_nIndices, 0);
    m.m_nPolygons = 7;
    m.SetIndexCount(6);
    EXPECT_EQ(m.m_nPolygons, 7) << "SetIndexCount leaves the polygon count to the caller";
    m.AddGroup(0, 3, "Group 1");
    m.AddGroup(3, 3, "Group 2");
    ASSERT_EQ(m.m_aGroups.size(), 2u);
    EXPECT_EQ(m.m_aGroups[1].m_nFirstIndex, 3);
    EXPECT_EQ(m.m_aGroups[1].m_strName, "Group 2");
}
