#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "AllocationBudget.h"
#include "MeshShapes.h"
#include "PlainDecimator.h"
#include "processing/MeshDecimator.h"
#include "processing/PairKeys.h"

namespace {

bool AllOutward(const CMesh& m)
{
    for (int f = 0; f < m.m_nPolygons; ++f) {
        const std::int32_t* t = &m.m_pIndices[3 * f];
        const CVector3 centre = (m.m_pVertices[t[0]] + m.m_pVertices[t[1]] + m.m_pVertices[t[2]]) * (1.0f / 3.0f);
        if (Dot(TriangleNormal(m.m_pVertices.get(), t), centre) <= 0)
            return false;
    }
    return true;
}

void ExpectIndicesInRange(const CMesh& m)
{
    ASSERT_EQ(m.m_nIndices, 3 * m.m_nPolygons);
    for (int i = 0; i < m.m_nIndices; ++i) {
        ASSERT_GE(m.m_pIndices[i], 0);
        ASSERT_LT(m.m_pIndices[i], m.m_nVertices);
    }
}

// The decimator's records after contracting: every live face is in the lists
// of its live corners, every pair of a live vertex is in the heap at its index
// and in the lists of both its ends, and no two pairs join the same vertices.
void ExpectConsistent(const CMeshDecimator& d)
{
    int liveFaces = 0;
    for (int f = 0; f < d.m_nFaces; ++f) {
        const DecimFace& face = d.m_pFaces[f];
        if (!face.valid)
            continue;
        ++liveFaces;
        for (int c : face.corners) {
            ASSERT_TRUE(d.m_pVertices[c].alive) << f;
            const auto faces = d.FacesOf(c);
            ASSERT_EQ(std::count(faces.begin(), faces.end(), f), 1) << f;
        }
    }
    EXPECT_EQ(liveFaces, d.m_nCurrentFaces);
    std::size_t listed = 0;
    for (int v = 0; v < d.m_nVertices; ++v) {
        const auto pairs = d.PairsOf(v);
        if (!d.m_pVertices[v].alive) {
            ASSERT_TRUE(pairs.empty()) << v;
            continue;
        }
        std::set<int> ends;
        for (const DecimPair* p : pairs) {
            ASSERT_TRUE(p->first == v || p->second == v);
            const int o = p->first == v ? p->second : p->first;
            ASSERT_TRUE(d.m_pVertices[o].alive);
            ASSERT_TRUE(ends.insert(o).second) << "duplicate pair " << v << "-" << o;
            ASSERT_GE(d.m_pHeap->IndexOf(p), 0);
            ASSERT_EQ(d.m_pHeap->At(std::size_t(d.m_pHeap->IndexOf(p))), p);
            const auto back = d.PairsOf(o);
            ASSERT_EQ(std::count(back.begin(), back.end(), p), 1);
        }
        listed += pairs.size();
    }
    EXPECT_EQ(listed, 2 * d.m_pHeap->Size());
}

} // namespace

TEST(MeshDecimator, ClosedMeshLosesTwoFacesPerContraction)
{
    struct Row {
        int target, expected;
    } rows[] = {{19, 18}, {18, 18}, {17, 16}, {14, 14}, {8, 8}};
    for (const Row& r : rows) {
        auto mesh = ToMesh(Icosphere(0));
        CMeshDecimator d(mesh.get());
        EXPECT_TRUE(d.Decimate(r.target));
        EXPECT_EQ(mesh->m_nPolygons, r.expected) << r.target;
        ExpectIndicesInRange(*mesh);
        ExpectConsistent(d);
    }
}

TEST(MeshDecimator, BoundaryEdgeLosesOneFace)
{
    // Along the straight boundary of a flat strip a contraction is free; an
    // interior edge would pull a vertex off the boundary.
    for (int target : {8, 7, 5}) {
        auto mesh = ToMesh(Strip(9));
        CMeshDecimator d(mesh.get());
        EXPECT_TRUE(d.Decimate(target));
        EXPECT_EQ(mesh->m_nPolygons, target);
        for (int i = 0; i < mesh->m_nVertices; ++i) {
            const float y = mesh->m_pVertices[i].y;
            EXPECT_TRUE(std::abs(y) < 1e-4f || std::abs(y - 1) < 1e-4f) << y;
        }
    }
    // A single triangle goes in one contraction.
    Shape one{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2}};
    auto mesh = ToMesh(one);
    EXPECT_TRUE(CMeshDecimator(mesh.get()).Decimate(0));
    EXPECT_EQ(mesh->m_nPolygons, 0);
    EXPECT_EQ(mesh->m_nVertices, 0);
}

TEST(MeshDecimator, TargetAtOrAboveCountOnlyCompacts)
{
    Shape s = Icosphere(1);
    // A vertex that no face uses, in the middle of the array.
    s.v.insert(s.v.begin() + 5, CVector3{7, 7, 7});
    for (std::int32_t& i : s.idx)
        if (i >= 5)
            ++i;
    for (int target : {80, 81, 1000}) {
        auto mesh = ToMesh(s);
        for (int i = 0; i < mesh->m_nVertices; ++i)
            mesh->m_pNormals[i] = {};
        EXPECT_TRUE(CMeshDecimator(mesh.get()).Decimate(target));
        ASSERT_EQ(mesh->m_nVertices, int(s.v.size()) - 1);
        ASSERT_EQ(mesh->m_nPolygons, 80);
        for (int i = 0; i < mesh->m_nVertices; ++i) {
            EXPECT_EQ(mesh->m_pVertices[i], s.v[size_t(i < 5 ? i : i + 1)]);
            EXPECT_NEAR(mesh->m_pNormals[i].Length(), 1.0f, 1e-5f);
        }
        for (int i = 0; i < mesh->m_nIndices; ++i) {
            const int old = s.idx[size_t(i)];
            EXPECT_EQ(mesh->m_pIndices[i], old > 5 ? old - 1 : old);
        }
    }
}

TEST(MeshDecimator, KeepsWindingAndStaysConsistent)
{
    auto mesh = ToMesh(Icosphere(3));
    ASSERT_TRUE(AllOutward(*mesh));
    CMeshDecimator d(mesh.get());
    EXPECT_TRUE(d.Decimate(300));
    EXPECT_EQ(mesh->m_nPolygons, 300);
    ExpectIndicesInRange(*mesh);
    EXPECT_TRUE(AllOutward(*mesh));
    ExpectConsistent(d);
    // The survivors stay close to the sphere.
    for (int i = 0; i < mesh->m_nVertices; ++i)
        EXPECT_NEAR(mesh->m_pVertices[i].Length(), 1.0f, 0.05f);
}

TEST(MeshDecimator, RunsOutOfPairs)
{
    // Two separate triangles can lose both faces; a target below 0 is never
    // reached, and what is left is written back.
    Shape two{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 0, 0}, {6, 0, 0}, {5, 1, 0}}, {0, 1, 2, 3, 4, 5}};
    auto mesh = ToMesh(two);
    EXPECT_FALSE(CMeshDecimator(mesh.get()).Decimate(-1));
    EXPECT_EQ(mesh->m_nPolygons, 0);
    EXPECT_EQ(mesh->m_nIndices, 0);
}

TEST(MeshDecimator, BoundaryConstraintsOnlyOnBoundaryEdges)
{
    // A flat hexagon fan: the centre's edges are interior, the rim's are
    // boundary edges of length 1.
    Shape fan;
    fan.v.push_back({0, 0, 0});
    for (int k = 0; k < 6; ++k)
        fan.v.push_back({std::cos(float(k) * 1.0471976f), std::sin(float(k) * 1.0471976f), 0});
    for (int k = 0; k < 6; ++k)
        fan.idx.insert(fan.idx.end(), {0, 1 + k, 1 + (k + 1) % 6});
    auto mesh = ToMesh(fan);
    CMeshDecimator d(mesh.get());
    d.Collect();
    // Moving the centre within the plane costs nothing.
    EXPECT_NEAR(EvaluateQuadric(d.m_pQuadrics[0], {0.3f, -0.2f, 0}), 0.0, 1e-9);
    // Moving a rim vertex outwards by 0.1 leaves both its boundary lines by
    // 0.1 * sin 120 degrees: 2 * 1000 * 0.75 * 0.01.
    for (int k = 1; k <= 6; ++k) {
        const CVector3 p = fan.v[size_t(k)];
        EXPECT_NEAR(EvaluateQuadric(d.m_pQuadrics[k], p * 1.1f), 15.0, 1e-3) << k;
        EXPECT_NEAR(EvaluateQuadric(d.m_pQuadrics[k], p), 0.0, 1e-6) << k;
    }
    // Out of the plane every vertex pays the area-weighted face planes.
    EXPECT_GT(EvaluateQuadric(d.m_pQuadrics[0], {0, 0, 0.1f}), 0.0);
}

TEST(MeshDecimator, CollectionGathersTheQuadricsOfItsSteps)
{
    // Collection takes each face into its corners' lists and quadrics in one
    // pass; the quadric steps run again on its records give them bit for bit.
    Shape fan;
    fan.v.push_back({0, 0, 0});
    for (int k = 0; k < 6; ++k)
        fan.v.push_back({std::cos(float(k) * 1.1f), std::sin(float(k) * 0.9f), 0.1f * float(k)});
    for (int k = 0; k < 6; ++k)
        fan.idx.insert(fan.idx.end(), {0, 1 + k, 1 + (k + 1) % 6});
    for (const Shape& shape : {fan, Icosphere(2)}) {
        auto mesh = ToMesh(shape);
        CMeshDecimator d(mesh.get());
        d.Collect();
        std::vector<Quadric> collected;
        for (int v = 0; v < d.m_nVertices; ++v)
            collected.push_back(d.m_pQuadrics[size_t(v)]);
        d.CollectQuadrics();
        d.ConstrainBoundaries();
        for (int v = 0; v < d.m_nVertices; ++v)
            EXPECT_EQ(std::memcmp(&collected[size_t(v)], &d.m_pQuadrics[size_t(v)], sizeof(Quadric)), 0) << v;
    }
}

TEST(MeshDecimator, PairCostFallsBackToTheBetterEnd)
{
    Shape s{{{0, 0, 1}, {0, 0, 2}, {0, 0, -1}, {1, 2, 2.5f}, {1, 2, 3.5f}}, {}};
    auto mesh = ToMesh(s);
    CMeshDecimator d(mesh.get());
    d.Collect();
    struct Row {
        int first, second;
        CVector3 target;
        float key;
    } rows[] = {
        {0, 1, {0, 0, 1}, -1.0f},  // first end is better
        {1, 0, {0, 0, 1}, -1.0f},  // second end is better
        {0, 2, {0, 0, -1}, -1.0f}, // equal errors: the second end
        {2, 0, {0, 0, 1}, -1.0f},
    };
    for (const Row& r : rows) {
        // One plane, z = 0: a singular system.
        d.m_pQuadrics[r.first] = PlaneQuadric(0, 0, 1, 0);
        d.m_pQuadrics[r.second] = Quadric();
        DecimPair* pair = d.m_pHeap->NewPair();
        pair->first = r.first;
        pair->second = r.second;
        d.ComputePairCost(pair);
        EXPECT_EQ(d.PairTarget(*pair), r.target) << r.first << "," << r.second;
        EXPECT_EQ(pair->key, r.key);
        EXPECT_GE(d.m_pHeap->IndexOf(pair), 0); // entered, and owned by the heap
    }
    // Three orthogonal planes crossing at (1, 2, 3): a well-conditioned
    // system, whose point is the target at cost 0 near the edge and far from
    // it alike.
    d.m_pQuadrics[0] = d.m_pQuadrics[3] = PlaneQuadric(1, 0, 0, -1);
    d.m_pQuadrics[1] = d.m_pQuadrics[4] = PlaneQuadric(0, 1, 0, -2);
    AddQuadric(d.m_pQuadrics[1], PlaneQuadric(0, 0, 1, -3));
    AddQuadric(d.m_pQuadrics[4], PlaneQuadric(0, 0, 1, -3));
    for (const int first : {3, 0}) {
        DecimPair* pair = d.m_pHeap->NewPair();
        pair->first = first;
        pair->second = first + 1;
        d.ComputePairCost(pair);
        const CVector3 t = d.PairTarget(*pair);
        EXPECT_NEAR(t.x, 1.0f, 1e-5f) << first;
        EXPECT_NEAR(t.y, 2.0f, 1e-5f) << first;
        EXPECT_NEAR(t.z, 3.0f, 1e-5f) << first;
        EXPECT_NEAR(pair->key, 0.0f, 1e-6f) << first;
    }
}

TEST(MeshDecimator, NearlySingularSystemsKeepTheirPointNearTheEdge)
{
    // The edge (0, 0, 1)-(0, 0, 2) under the planes x = 0 and y = 0 and the
    // plane z = 50 with a weight: 1 makes an evenly spread system, whose
    // point (0, 0, 50) is taken however far; 1e-4 a nearly singular one (a
    // nearly straight neighbourhood), whose far point is not trusted: the
    // better end, (0, 0, 2) at 1e-4 * 48^2. Near the edge, z = 1.7 with the
    // small weight is solved.
    Shape s{{{0, 0, 1}, {0, 0, 2}}, {}};
    auto mesh = ToMesh(s);
    CMeshDecimator d(mesh.get());
    d.Collect();
    const struct Row {
        double offset, weight;
        CVector3 target;
        float key;
    } rows[] = {
        {-50, 1.0, {0, 0, 50}, 0.0f},
        {-50, 1e-4, {0, 0, 2}, float(-1e-4 * 48 * 48)},
        {-1.7, 1e-4, {0, 0, 1.7f}, 0.0f},
    };
    for (const Row& r : rows) {
        Quadric q = PlaneQuadric(1, 0, 0, 0);
        AddQuadric(q, PlaneQuadric(0, 1, 0, 0));
        AddQuadric(q, PlaneQuadric(0, 0, 1, r.offset, r.weight));
        double det;
        CVector3 point;
        ASSERT_TRUE(SolveOptimalPoint(q, point, det));
        EXPECT_EQ(NearlySingular(q, det), r.weight < 1.0);
        d.m_pQuadrics[0] = q;
        d.m_pQuadrics[1] = Quadric();
        DecimPair* pair = d.m_pHeap->NewPair();
        pair->first = 0;
        pair->second = 1;
        d.ComputePairCost(pair);
        const CVector3 t = d.PairTarget(*pair);
        EXPECT_NEAR(t.z, r.target.z, 1e-4f) << r.offset << " " << r.weight;
        EXPECT_EQ(t.x, 0.0f);
        EXPECT_EQ(t.y, 0.0f);
        EXPECT_NEAR(pair->key, r.key, 1e-6f) << r.offset << " " << r.weight;
    }

    // A gently curved patch, a cap of radius 100 over 39 x 39 unit squares,
    // tilted and far from the origin as a scanner's coordinates are: its
    // systems are nearly singular, and rounding puts their points tens to
    // hundreds of edge lengths away along the surface. The vertices stay on
    // the patch.
    CVector3 n{1, 2, 3};
    n.Normalize();
    CVector3 u = Cross(n, {0, 0, 1});
    u.Normalize();
    const CVector3 v = Cross(n, u);
    const CVector3 origin{400, -300, 700};
    constexpr int kSide = 40;
    constexpr float kRadius = 100, kHalf = (kSide - 1) / 2.0f;
    auto height = [&](float x, float y) { return ((x - kHalf) * (x - kHalf) + (y - kHalf) * (y - kHalf)) / (2 * kRadius); };
    Shape patch;
    for (int j = 0; j < kSide; ++j)
        for (int i = 0; i < kSide; ++i)
            patch.v.push_back(origin + u * float(i) + v * float(j) + n * height(float(i), float(j)));
    for (int j = 0; j + 1 < kSide; ++j)
        for (int i = 0; i + 1 < kSide; ++i) {
            const int a = j * kSide + i;
            patch.idx.insert(patch.idx.end(), {a, a + 1, a + kSide + 1, a, a + kSide + 1, a + kSide});
        }
    for (int target : {1520, 304, 60}) {
        auto cap = ToMesh(patch);
        EXPECT_TRUE(CMeshDecimator(cap.get()).Decimate(target));
        // How far the farthest vertex lies outside the patch's box.
        const float extent = float(kSide - 1), rim = height(0, 0);
        float outside = 0;
        for (int k = 0; k < cap->m_nVertices; ++k) {
            const CVector3 p = cap->m_pVertices[k] - origin;
            const float x = Dot(p, u), y = Dot(p, v), h = Dot(p, n);
            outside = std::max({outside, -x, x - extent, -y, y - extent, -h, h - rim});
        }
        EXPECT_LT(outside, 0.05f) << target << " faces";
    }
}

TEST(MeshDecimator, PairsFollowTheNeighbourOrder)
{
    // The pairs are made vertex by vertex, each with its later neighbours in
    // CollectNeighbours order, and listed at both ends as made; this fixes
    // the heap's order among equal costs. A sphere with a hole has both
    // boundary and interior edges.
    Shape s = Icosphere(1);
    s.idx.erase(s.idx.begin() + 3 * 7, s.idx.begin() + 3 * 10);
    auto mesh = ToMesh(s);
    CMeshDecimator d(mesh.get());
    d.Collect();
    const int n = d.m_nVertices;
    std::vector<std::vector<int>> expected(static_cast<std::size_t>(n));
    std::vector<std::int32_t> around;
    for (int i = 0; i < n; ++i) {
        d.CollectNeighbours(i, around);
        for (int j : around)
            if (j > i) {
                expected[size_t(i)].push_back(j);
                expected[size_t(j)].push_back(i);
            }
    }
    std::size_t pairs = 0;
    for (int i = 0; i < n; ++i) {
        std::vector<int> ends;
        for (const DecimPair* p : d.PairsOf(i)) {
            ASSERT_TRUE(p->first < p->second);
            ends.push_back(p->first == i ? p->second : p->first);
        }
        EXPECT_EQ(ends, expected[size_t(i)]) << i;
        pairs += ends.size();
    }
    EXPECT_EQ(pairs, 2 * d.m_pHeap->Size());
}

TEST(MeshDecimator, PairCostsSeveralAtATimeMatchOneAtATime)
{
    // Random sums of planes at random ends: solved near the edge, solved far
    // from it, singular, equal errors. Each pair gets the key it gets alone,
    // bit for bit, at every lane width and batch length (short batches fill
    // their spare lanes), and the batched costs enter the heap in order.
    Shape s;
    std::uint32_t seed = 4242;
    auto next = [&] {
        seed = seed * 1664525u + 1013904223u;
        return float(seed >> 8) / float(1u << 24) - 0.5f;
    };
    for (int i = 0; i < 64; ++i)
        s.v.push_back({next() * 10, next() * 10, next() * 10});
    auto mesh = ToMesh(s);
    CMeshDecimator d(mesh.get());
    d.Collect();
    for (int i = 0; i < 64; ++i) {
        Quadric q;
        for (int k = 0; k < i % 4; ++k) {
            CVector3 n{next(), next(), next()};
            n.Normalize();
            AddQuadric(q, PlaneQuadric(n.x, n.y, n.z, next() * 10, 1.0 + next()));
        }
        d.m_pQuadrics[size_t(i)] = q;
        if (i % 9 == 0 && i + 1 < 64)
            d.m_pVertices[size_t(i)].position = d.m_pVertices[size_t(i + 1)].position;
    }
    std::vector<DecimPair*> one, many;
    for (int n = 0; n < 301; ++n) {
        const int a = int(std::uint32_t(next() * 1e6f) % 64u), b = (a + 1 + n % 63) % 64;
        for (auto* list : {&one, &many}) {
            DecimPair* p = d.m_pHeap->NewPair();
            p->first = a;
            p->second = b;
            list->push_back(p);
        }
    }
    for (DecimPair* p : one)
        d.ComputePairCost(p);
    auto expectSameKeys = [&](std::size_t count, const std::string& what) {
        for (std::size_t n = 0; n < count; ++n)
            EXPECT_EQ(std::memcmp(&one[n]->key, &many[n]->key, sizeof(float)), 0) << what << " pair " << n;
    };
    std::vector<int> widths = {2};
    if (WidestPairKeyLanes() == 4)
        widths.push_back(4);
    for (int lanes : widths) {
        for (std::size_t count : {std::size_t(1), std::size_t(2), std::size_t(3), std::size_t(5), many.size()}) {
            for (DecimPair* p : many)
                p->key = 12345.0f;
            ComputePairKeys(d.m_pVertices.data(), many.data(), count, lanes);
            expectSameKeys(count, std::to_string(lanes) + " lanes, " + std::to_string(count) + " pairs,");
            if (count < many.size()) {
                EXPECT_EQ(many[count]->key, 12345.0f) << "a batch wrote past its end";
            }
        }
    }
    d.ComputePairCosts(many.data(), many.size());
    expectSameKeys(many.size(), "batched");
    for (DecimPair* p : many)
        EXPECT_GE(d.m_pHeap->IndexOf(p), 0);
}

TEST(MeshDecimator, BusyTextsEveryTwoHundredPairs)
{
    StatusRecorder rec;
    auto mesh = ToMesh(Torus(40, 40));
    ASSERT_EQ(mesh->m_nPolygons, 3200);
    // 401 contractions of two faces each: texts after pairs 1, 201 and 401.
    EXPECT_TRUE(CMeshDecimator(mesh.get()).Decimate(3200 - 802));
    EXPECT_EQ(mesh->m_nPolygons, 3200 - 802);
    std::vector<std::string> texts = rec.Texts();
    std::vector<std::string> targets;
    std::copy_if(texts.begin(), texts.end(), std::back_inserter(targets),
                 [](const std::string& t) { return t.rfind("Target = ", 0) == 0; });
    EXPECT_EQ(targets, (std::vector<std::string>{"Target = 2398, Current = 3198", "Target = 2398, Current = 2798",
                                                 "Target = 2398, Current = 2398"}));
    texts.erase(std::remove_if(texts.begin(), texts.end(),
                               [](const std::string& t) { return t.rfind("Target = ", 0) == 0; }),
                texts.end());
    EXPECT_EQ(texts, (std::vector<std::string>{"Collecting vertices ...", "Collecting polygons ...",
                                               "Collecting quadrics ...", "Constraining boundaries ...",
                                               "Collecting edges ...", "Compacting ...", "Rebuilding vertices ...",
                                               "Rebuilding polygons ..."}));
}

TEST(MeshDecimator, InvalidFacesAreDroppedAtCollection)
{
    const Shape base = Icosphere(0);
    struct Row {
        const char* name;
        std::int32_t a, b, c;
    } rows[] = {
        {"repeated first", 3, 3, 4},  {"repeated last", 3, 4, 4}, {"repeated outer", 4, 3, 4},
        {"all one", 2, 2, 2},         {"negative", -1, 3, 4},     {"beyond", 3, 4, 12},
        {"far beyond", 0, 1, 1 << 30},
    };
    for (const Row& r : rows) {
        Shape s = base;
        s.idx.insert(s.idx.begin() + 9, {r.a, r.b, r.c});
        for (int target : {21, 20, 10}) {
            auto mesh = ToMesh(s);
            CMeshDecimator d(mesh.get());
            EXPECT_TRUE(d.Decimate(target)) << r.name;
            EXPECT_EQ(mesh->m_nPolygons, std::min(target, 20) - (std::min(target, 20) % 2)) << r.name << target;
            ExpectIndicesInRange(*mesh);
            ExpectConsistent(d);
        }
    }
    // Faces promised but missing from the index array are invalid too.
    auto mesh = ToMesh(base);
    mesh->m_nPolygons = 25;
    EXPECT_TRUE(CMeshDecimator(mesh.get()).Decimate(30));
    EXPECT_EQ(mesh->m_nPolygons, 20);
}

TEST(MeshDecimator, GroupsFollowTheSurvivingFaces)
{
    auto mesh = ToMesh(Icosphere(2)); // 320 faces
    mesh->AddGroup(0, 3 * 100, "upper");
    mesh->AddGroup(3 * 100, 3 * 220, "lower");
    EXPECT_TRUE(CMeshDecimator(mesh.get()).Decimate(100));
    ASSERT_EQ(mesh->m_aGroups.size(), 2u);
    const CMeshGroup& a = mesh->m_aGroups[0];
    const CMeshGroup& b = mesh->m_aGroups[1];
    EXPECT_EQ(a.m_strName, "upper");
    EXPECT_EQ(a.m_nFirstIndex, 0);
    EXPECT_EQ(b.m_nFirstIndex, a.m_nIndexCount);
    EXPECT_EQ(b.m_nFirstIndex + b.m_nIndexCount, mesh->m_nIndices);
    EXPECT_GT(a.m_nIndexCount, 0);
    EXPECT_GT(b.m_nIndexCount, 0);
}

namespace {

// A shape with every vertex moved a little along its position: no two costs
// tie by symmetry.
Shape Jittered(Shape s, std::uint32_t seed)
{
    for (CVector3& p : s.v) {
        seed = seed * 1664525u + 1013904223u;
        p = p * (1.0f + 0.05f * (float(seed >> 8) / float(1u << 24) - 0.5f));
    }
    return s;
}

} // namespace

TEST(MeshDecimator, ContractsAsThePlainDecimator)
{
    // The same contractions in the same order to the same targets, and the
    // same mesh written back, as the step-by-step decimator with vectors and
    // sets. Symmetric shapes tie most costs, so the order among equal keys
    // is checked too; the open sphere has boundary edges; the last rows run
    // until the pairs run out.
    Shape open = Icosphere(3);
    open.idx.erase(open.idx.begin() + 3 * 40, open.idx.begin() + 3 * 60);
    const struct Row {
        const char* name;
        Shape shape;
        int target;
    } rows[] = {
        {"icosphere to a tenth", Icosphere(3), 128},
        {"icosphere to a half", Icosphere(3), 640},
        {"jittered icosphere to a tenth", Jittered(Icosphere(3), 5), 128},
        {"torus to a tenth", Torus(40, 40), 320},
        {"jittered torus to a hundredth", Jittered(Torus(40, 40), 9), 32},
        {"open sphere to a tenth", open, 126},
        {"jittered open sphere to a tenth", Jittered(open, 3), 126},
        {"torus until the pairs run out", Torus(12, 8), -1},
        {"jittered open sphere until the pairs run out", Jittered(open, 4), -1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        auto mesh = ToMesh(r.shape);
        CPlainDecimator plain(*mesh);
        const bool plainReached = plain.Decimate(r.target);
        std::vector<ContractionStep> steps;
        CMeshDecimator d(mesh.get());
        d.m_pTrace = &steps;
        EXPECT_EQ(d.Decimate(r.target), plainReached);
        ASSERT_GT(plain.steps.size(), 10u);
        ASSERT_EQ(steps.size(), plain.steps.size());
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const ContractionStep &a = steps[i], &b = plain.steps[i];
            ASSERT_TRUE(a.kept == b.kept && a.removed == b.removed &&
                        std::memcmp(&a.target, &b.target, sizeof a.target) == 0)
                << "contraction " << i << ": " << a.kept << " <- " << a.removed << " at " << a.target.x << ","
                << a.target.y << "," << a.target.z << ", plainly " << b.kept << " <- " << b.removed << " at "
                << b.target.x << "," << b.target.y << "," << b.target.z;
        }
        ASSERT_EQ(mesh->m_nVertices, int(plain.vertices.size()));
        ASSERT_EQ(mesh->m_nIndices, int(plain.indices.size()));
        EXPECT_TRUE(std::equal(plain.vertices.begin(), plain.vertices.end(), mesh->m_pVertices.get()));
        EXPECT_TRUE(std::equal(plain.indices.begin(), plain.indices.end(), mesh->m_pIndices.get()));
    }
}

TEST(MeshDecimator, FailureLeavesTheMeshAsItWas)
{
    if (!g_allocBudgetActive)
        GTEST_SKIP() << "needs the counting allocator";
    const Shape s = Icosphere(1);
    auto reference = ToMesh(s);
    CMeshDecimator(reference.get()).Decimate(30);

    auto same = [](const CMesh& a, const CMesh& b) {
        if (a.m_nVertices != b.m_nVertices || a.m_nIndices != b.m_nIndices || a.m_nPolygons != b.m_nPolygons)
            return false;
        for (int i = 0; i < a.m_nVertices; ++i)
            if (!(a.m_pVertices[i] == b.m_pVertices[i]) || !(a.m_pNormals[i] == b.m_pNormals[i]))
                return false;
        return std::equal(a.m_pIndices.get(), a.m_pIndices.get() + a.m_nIndices, b.m_pIndices.get());
    };

    // Count the allocations of a whole run, then fail each one in turn.
    auto probe = ToMesh(s);
    g_allocCount = 0;
    CMeshDecimator(probe.get()).Decimate(30);
    const long total = g_allocCount;
    ASSERT_GT(total, 10);
    int failures = 0;
    for (long budget = 0; budget <= total; ++budget) {
        auto mesh = ToMesh(s);
        auto original = ToMesh(s);
        bool threw = false;
        g_allocBudget = budget;
        try {
            CMeshDecimator d(mesh.get());
            d.Decimate(30);
        } catch (const std::bad_alloc&) {
            threw = true;
        }
        g_allocBudget = -1;
        if (threw) {
            ++failures;
            ASSERT_TRUE(same(*mesh, *original)) << "allocation " << budget;
        } else {
            ASSERT_TRUE(same(*mesh, *reference)) << "allocation " << budget;
        }
    }
    EXPECT_GE(failures, total - 1);
}
