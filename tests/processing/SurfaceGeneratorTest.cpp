#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "MeshShapes.h"
#include "data/Mesh.h"
#include "data/Volume.h"
#include "processing/SurfaceGenerator.h"
#include "processing/SurfaceTables.h"

namespace {

using Fill = std::function<std::uint16_t(int, int, int)>;

std::unique_ptr<CVolume> MakeVolume(int dx, int dy, int dz, int bits, const Fill& f)
{
    auto v = std::make_unique<CVolume>(dx, dy, dz, bits);
    for (int z = 0; z < dz; ++z)
        for (int y = 0; y < dy; ++y)
            for (int x = 0; x < dx; ++x)
                v->SetVoxel(x, y, z, f(x, y, z));
    return v;
}

Fill Random(std::uint32_t seed, int modulo, int scale = 1)
{
    return [seed, modulo, scale](int x, int y, int z) mutable {
        seed = seed * 1664525u + 1013904223u + std::uint32_t(x + 7 * y + 31 * z);
        return std::uint16_t(int((seed >> 8) % std::uint32_t(modulo)) * scale);
    };
}

Fill Ball(float cx, float cy, float cz, float r, float peak)
{
    return [=](int x, int y, int z) {
        const float d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy) + (z - cz) * (z - cz));
        return std::uint16_t(std::max(0.0f, peak * (1.0f - d / r)));
    };
}

Fill Box(int x0, int x1, int y0, int y1, int z0, int z1, std::uint16_t v)
{
    return [=](int x, int y, int z) {
        return std::uint16_t(x >= x0 && x <= x1 && y >= y0 && y <= y1 && z >= z0 && z <= z1 ? v : 0);
    };
}

struct Arrays {
    std::vector<CVector3> vertices;
    std::vector<std::int32_t> indices;
};

Arrays FromMesh(const CMesh& m)
{
    Arrays a;
    a.vertices.assign(m.m_pVertices.get(), m.m_pVertices.get() + m.m_nVertices);
    a.indices.assign(m.m_pIndices.get(), m.m_pIndices.get() + m.m_nIndices);
    return a;
}

Arrays Generate(CVolume& v, std::uint16_t iso)
{
    CSurfaceGenerator g(&v);
    auto mesh = g.Generate(iso);
    EXPECT_EQ(mesh->m_nPrimitive, kGlTriangles);
    EXPECT_EQ(mesh->m_nIndices, 3 * mesh->m_nPolygons);
    return FromMesh(*mesh);
}

// The march as plainly described: every cell from one below the non-zero box
// to its top, corners read one by one, vertices in an ordered map by edge id,
// triangles written in reverse.
Arrays Reference(CVolume& v, std::uint16_t iso)
{
    static const int corner[8][3] = {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0},
                                     {0, 0, 1}, {0, 1, 1}, {1, 1, 1}, {1, 0, 1}};
    static const int ends[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                    {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
    VolumeStatistics s;
    v.GetStatistics(s);
    CSurfaceGenerator g(&v);
    std::map<std::int64_t, CVector3> map;
    std::vector<std::int64_t> tris;
    for (int z = s.minZ - 1; z <= s.maxZ; ++z)
        for (int y = s.minY - 1; y <= s.maxY; ++y)
            for (int x = s.minX - 1; x <= s.maxX; ++x) {
                int val[8];
                unsigned c = 0;
                for (int k = 0; k < 8; ++k) {
                    val[k] = v.GetVoxel(x + corner[k][0], y + corner[k][1], z + corner[k][2]);
                    if (val[k] < iso)
                        c |= 1u << k;
                }
                const unsigned mask = kEdgeTable[c];
                for (int e : {3, 0, 8}) {
                    if (!(mask & (1u << e)))
                        continue;
                    const int a = ends[e][0], b = ends[e][1];
                    const float t = float(int(iso) - val[a]) / float(val[b] - val[a]);
                    const float sc[3] = {v.m_fScaleX, v.m_fScaleY, v.m_fScaleZ};
                    const int at[3] = {x, y, z};
                    float p[3];
                    for (int k = 0; k < 3; ++k) {
                        const float pa = float(at[k] + corner[a][k]) * sc[k];
                        const float pb = float(at[k] + corner[b][k]) * sc[k];
                        p[k] = pa + t * (pb - pa);
                    }
                    map.emplace(g.GetEdgeId(x, y, z, e), CVector3{p[0], p[1], p[2]});
                }
                for (int t = 0; kTriTable[c][t] >= 0; t += 3)
                    for (int k = 2; k >= 0; --k)
                        tris.push_back(g.GetEdgeId(x, y, z, kTriTable[c][t + k]));
            }
    Arrays r;
    std::map<std::int64_t, std::int32_t> number;
    for (const auto& [id, p] : map) {
        number[id] = std::int32_t(r.vertices.size());
        r.vertices.push_back(p);
    }
    for (std::int64_t id : tris) {
        EXPECT_TRUE(number.count(id)) << "triangle names an edge without vertex";
        r.indices.push_back(number[id]);
    }
    return r;
}

// Every edge of the mesh is used by exactly two triangles, once in each
// direction: closed and consistently wound.
void ExpectWatertight(const Arrays& a, const std::string& what)
{
    std::map<std::pair<int, int>, int> directed;
    for (std::size_t t = 0; t < a.indices.size(); t += 3)
        for (int k = 0; k < 3; ++k)
            ++directed[{a.indices[t + k], a.indices[t + (k + 1) % 3]}];
    for (const auto& [e, n] : directed) {
        ASSERT_EQ(n, 1) << what << ": edge " << e.first << "-" << e.second << " used twice one way";
        ASSERT_EQ(directed.count({e.second, e.first}), 1u)
            << what << ": edge " << e.first << "-" << e.second << " is open";
    }
}

struct Case {
    const char* name;
    int dx, dy, dz, bits;
    Fill fill;
    std::uint16_t iso;
    CVector3 scale{1, 1, 1};
};

std::vector<Case> Cases()
{
    return {
        {"random bytes", 7, 6, 5, 8, Random(1, 256), 128},
        {"random bytes low iso", 6, 6, 6, 8, Random(2, 256), 9},
        {"segmentation noise", 9, 8, 7, 8, Random(3, 2, 127), 127},
        {"solid cube filling the volume", 6, 5, 4, 8, [](int, int, int) { return std::uint16_t(127); }, 127},
        {"solid cube inside", 10, 9, 8, 8, Box(2, 6, 3, 5, 1, 4, 127), 64},
        {"16-bit ball", 12, 10, 9, 16, Ball(6, 4.5f, 4, 6, 1000), 500, {0.5f, 1.25f, 2.0f}},
        {"16-bit noise", 6, 7, 5, 16, Random(4, 40000), 20000},
        {"two blobs", 20, 16, 12, 8, [](int x, int y, int z) {
             return std::uint16_t(std::max(Ball(5, 5, 5, 4, 200)(x, y, z), Ball(14, 10, 7, 3, 90)(x, y, z)));
         }, 1},
        {"thin", 1, 5, 3, 8, Random(5, 256), 100},
        // Rows longer than one machine word, and boxes whose ends fall on
        // either side of a word boundary.
        {"rows across words", 127, 3, 3, 8, Random(7, 256), 128},
        {"16-bit rows across words", 62, 4, 3, 16, Random(8, 3000), 1500},
        {"16-bit row of 63", 63, 3, 3, 16, Random(10, 3000), 1500},
        {"noise inside a wide box", 150, 5, 4, 8, [r = Random(9, 256)](int x, int y, int z) mutable {
             const std::uint16_t v = r(x, y, z);
             return std::uint16_t(x >= 3 && x <= 133 && y >= 1 && z <= 2 ? v : 0);
         }, 100},
    };
}

} // namespace

TEST(SurfaceGenerator, MatchesThePlainMarch)
{
    for (const Case& c : Cases()) {
        auto v = MakeVolume(c.dx, c.dy, c.dz, c.bits, c.fill);
        v->SetVoxelSize(c.scale.x, c.scale.y, c.scale.z);
        const Arrays got = Generate(*v, c.iso);
        const Arrays want = Reference(*v, c.iso);
        EXPECT_GT(got.indices.size(), 0u) << c.name;
        EXPECT_EQ(got.vertices, want.vertices) << c.name;
        EXPECT_EQ(got.indices, want.indices) << c.name;
        // Identical from run to run.
        const Arrays again = Generate(*v, c.iso);
        EXPECT_EQ(again.vertices, got.vertices) << c.name;
        EXPECT_EQ(again.indices, got.indices) << c.name;
    }
}

TEST(SurfaceGenerator, SurfacesAreClosed)
{
    for (const Case& c : Cases()) {
        auto v = MakeVolume(c.dx, c.dy, c.dz, c.bits, c.fill);
        ExpectWatertight(Generate(*v, c.iso), c.name);
    }
    // Every iso of one noisy volume, so that all cases of the table occur.
    auto v = MakeVolume(8, 8, 8, 8, Random(6, 256));
    for (int iso = 1; iso < 256; iso += 7)
        ExpectWatertight(Generate(*v, std::uint16_t(iso)), "noise iso " + std::to_string(iso));
}

TEST(SurfaceGenerator, OneVertexPerCutEdge)
{
    auto v = MakeVolume(7, 5, 6, 8, Random(7, 256));
    const std::uint16_t iso = 90;
    int cut = 0;
    // Grid points from -1 to dim on each axis; outside the volume reads 0.
    for (int z = -1; z <= 6; ++z)
        for (int y = -1; y <= 5; ++y)
            for (int x = -1; x <= 7; ++x) {
                const bool below = v->GetVoxel(x, y, z) < iso;
                cut += (x < 7 && below != (v->GetVoxel(x + 1, y, z) < iso));
                cut += (y < 5 && below != (v->GetVoxel(x, y + 1, z) < iso));
                cut += (z < 6 && below != (v->GetVoxel(x, y, z + 1) < iso));
            }
    EXPECT_EQ(int(Generate(*v, iso).vertices.size()), cut);
}

TEST(SurfaceGenerator, EmptySurfaces)
{
    struct Row {
        const char* name;
        int bits;
        Fill fill;
        std::uint16_t iso;
    } rows[] = {
        {"iso 0", 8, Random(8, 256), 0},
        {"iso above every voxel", 8, Random(9, 200), 200},
        {"iso beyond 8 bits", 8, Random(10, 256), 300},
        {"16-bit iso above every voxel", 16, Random(11, 5000), 5000},
        {"no non-zero voxel", 8, [](int, int, int) { return std::uint16_t(0); }, 1},
    };
    for (const Row& r : rows) {
        auto v = MakeVolume(5, 4, 3, r.bits, r.fill);
        CSurfaceGenerator g(v.get());
        auto mesh = g.Generate(r.iso);
        EXPECT_EQ(mesh->m_nVertices, 0) << r.name;
        EXPECT_EQ(mesh->m_nPolygons, 0) << r.name;
        EXPECT_EQ(mesh->m_nIndices, 0) << r.name;
        EXPECT_EQ(v->m_nLockCount, 0) << r.name;
    }
}

TEST(SurfaceGenerator, SingleVoxel)
{
    struct Row {
        int x, y, z;
        std::uint16_t iso;
        std::size_t vertices, triangles;
    } rows[] = {
        {2, 2, 2, 100, 6, 8}, {2, 2, 2, 200, 6, 8}, {2, 2, 2, 201, 0, 0}, {2, 2, 2, 1, 6, 8},
        // On the volume's low corner and high corner the surface is closed too.
        {0, 0, 0, 100, 6, 8}, {4, 4, 4, 100, 6, 8}, {0, 4, 0, 100, 6, 8},
    };
    for (const Row& r : rows) {
        auto v = MakeVolume(5, 5, 5, 8, Box(r.x, r.x, r.y, r.y, r.z, r.z, 200));
        const Arrays a = Generate(*v, r.iso);
        EXPECT_EQ(a.vertices.size(), r.vertices) << r.x << "," << r.iso;
        EXPECT_EQ(a.indices.size(), 3 * r.triangles) << r.x << "," << r.iso;
        if (r.triangles)
            ExpectWatertight(a, "single voxel");
    }
    // Vertices halfway along the cut edges, in ascending edge id: by z, then
    // y, then x, then axis.
    auto v = MakeVolume(5, 5, 5, 8, Box(2, 2, 2, 2, 2, 2, 200));
    const Arrays a = Generate(*v, 100);
    EXPECT_EQ(a.vertices, (std::vector<CVector3>{{2, 2, 1.5f}, {2, 1.5f, 2}, {1.5f, 2, 2}, {2.5f, 2, 2},
                                                 {2, 2.5f, 2}, {2, 2, 2.5f}}));
}

TEST(SurfaceGenerator, EdgeIds)
{
    CVolume v; // only its dimensions matter here
    v.m_nDimX = 4;
    v.m_nDimY = 3;
    v.m_nDimZ = 2;
    CSurfaceGenerator g(&v);
    // Neighbouring cells name their common edges alike.
    struct Same {
        int x, y, z, e, x2, y2, z2, e2;
    } same[] = {
        {1, 1, 1, 1, 1, 2, 1, 3},   {1, 1, 1, 2, 2, 1, 1, 0},   {1, 1, 1, 4, 1, 1, 2, 0},
        {1, 1, 1, 5, 1, 2, 2, 3},   {1, 1, 1, 6, 2, 1, 2, 0},   {1, 1, 1, 7, 1, 1, 2, 3},
        {1, 1, 1, 9, 1, 2, 1, 8},   {1, 1, 1, 10, 2, 2, 1, 8},  {1, 1, 1, 11, 2, 1, 1, 8},
        {-1, -1, -1, 6, 0, -1, 0, 0}, {3, 2, 1, 10, 4, 3, 1, 8},
    };
    for (const Same& s : same)
        EXPECT_EQ(g.GetEdgeId(s.x, s.y, s.z, s.e), g.GetEdgeId(s.x2, s.y2, s.z2, s.e2)) << s.e;
    EXPECT_EQ(g.GetEdgeId(-1, -1, -1, 3), 0);
    EXPECT_EQ(g.GetEdgeId(-1, -1, -1, 0), 1);
    EXPECT_EQ(g.GetEdgeId(-1, -1, -1, 8), 2);
    EXPECT_EQ(g.GetEdgeId(0, 0, 0, 3), 3 * (1 + 6 * (1 + 5 * 1)));
    EXPECT_EQ(g.GetEdgeId(0, 0, 0, 12), -1);
    EXPECT_EQ(g.GetEdgeId(0, 0, 0, -1), -1);

    // A 1024 x 1024 x 700 volume has ids beyond 32 bits.
    v.m_nDimX = 1024;
    v.m_nDimY = 1024;
    v.m_nDimZ = 700;
    CSurfaceGenerator big(&v);
    const std::int64_t last = big.GetEdgeId(1023, 1023, 699, 8);
    EXPECT_EQ(last, 3 * (1024 + 1026 * (1024 + 1026 * std::int64_t(700))) + 2);
    EXPECT_GT(last, std::int64_t(INT32_MAX));
    EXPECT_LT(big.GetEdgeId(1023, 1023, 698, 8), last);
}

// One text per slice of the non-zero box, counted 1..n of n: the padding
// cells below the box are no slice of the volume's own.
TEST(SurfaceGenerator, BusyTextsOncePerSlice)
{
    struct Case {
        int z0, z1; // the block's z range
        const char* why;
    };
    const Case cases[] = {{2, 3, "two slices"}, {0, 0, "one slice at the bottom"}, {1, 5, "five up to the top"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        StatusRecorder rec;
        auto v = MakeVolume(4, 4, 6, 8, Box(1, 2, 1, 2, c.z0, c.z1, 50));
        v->LockData(); // a lock held by the caller is kept
        CSurfaceGenerator g(v.get());
        auto mesh = g.Generate(10);
        EXPECT_EQ(v->m_nLockCount, 1);
        // A 2 x 2 x n block: 8 corner cells of one triangle, 4n + 4 edge and
        // 4n - 2 face cells of two.
        const int n = c.z1 - c.z0 + 1;
        EXPECT_EQ(mesh->m_nPolygons, 8 + (4 * n + 4) * 2 + (4 * n - 2) * 2);
        std::vector<std::string> want;
        for (int k = 1; k <= n; ++k)
            want.push_back("Generating surface - slice " + std::to_string(k) + " of " + std::to_string(n) + " ...");
        for (const char* t : {"Reorganising vertices ...", "Building mesh ...", "Generating normals ..."})
            want.push_back(t);
        EXPECT_EQ(rec.Texts(), want);
        v->UnlockData();
    }
}
