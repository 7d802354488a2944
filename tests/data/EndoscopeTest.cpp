#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "AllocationWatch.h"
#include "data/EndoscopeLoader.h"
#include "data/EndoscopeModel.h"
#include "data/LoaderFactory.h"
#include "platform/Prompter.h"
#include "support/EndoscopeCapture.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

namespace {
constexpr double kPi = std::numbers::pi;

using capture::Frame1;
using capture::FrameV;
using capture::Head2;
using capture::Head3;
using capture::Header1;
using capture::Item;
using capture::Marker;
using capture::Sensor;

// Sensors 1 apart along u, but for one gap of 1e-6; the target lies on the
// line beyond the last one. Its tube has the most rings a tube may have.
CVector3 TinySegmentPath()
{
    const float k = 1.0f / std::sqrt(14.0f);
    return {k, 2 * k, 3 * k};
}
std::string TinySegmentFrame()
{
    const CVector3 u = TinySegmentPath();
    std::vector<float> lengths(15, 1.0f);
    lengths[3] = 1e-6f;
    std::vector<Sensor> sensors;
    CVector3 p;
    for (std::size_t i = 0; i < 16; ++i) {
        sensors.push_back({true, p.x, p.y, p.z, -u.x, -u.y, -u.z});
        if (i < 15)
            p += u * lengths[i];
    }
    return FrameV(2, sensors, true, 10.0f, false, lengths);
}

int OpenDescriptors()
{
    int n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd"))
        ++n;
    return n;
}

CEndoscopeModel& Model(CModelSeries& s, std::size_t i) { return static_cast<CEndoscopeModel&>(*s.at(i)); }

void ExpectNear(const CVector3& a, const CVector3& b, float tol = 1e-4f)
{
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}
} // namespace

TEST(CEndoscopeLoader, VersionsByTheirFirstBytes)
{
    TempDir dir;
    const std::string v1 = Header1(2, 0, {});
    struct Case {
        const char* what;
        std::string main;
        bool end, mar;
        int version;
    };
    const Case cases[] = {
        {"version 1 with both companions", v1, true, true, 1},
        {"version 1 without the marker file", v1, true, false, -1},
        {"version 1 without the frame file", v1, false, true, -1},
        {"version 1 with a short header", v1.substr(0, 100), true, true, -1},
        {"version 2", Head2(), false, false, 2},
        {"version 3", Head3(), false, false, 3},
        {"identifier with one byte changed", "\x27" + Head3().substr(1), false, false, -1},
        {"something else", "not a capture at all", false, false, -1},
        {"empty file", "", false, false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(dir.File("scan.end"));
        std::filesystem::remove(dir.File("scan.mar"));
        const std::string path = dir.Write("scan.img", c.main);
        if (c.end)
            dir.Write("scan.end", Frame1({{0, 0, 0, 0, 0, true}, {0, 0, 1, 0, 0, true}}, 0));
        if (c.mar)
            dir.Write("scan.mar", Marker(0, 0, 0));
        const int fds = OpenDescriptors();
        CEndoscopeLoader loader;
        CModelSeries series;
        EXPECT_EQ(loader.Load(path, series), c.version > 0);
        EXPECT_EQ(OpenDescriptors(), fds) << "every file is closed again";
        if (c.version < 0) {
            EXPECT_TRUE(series.empty());
        }
        CFile file;
        ASSERT_TRUE(file.Open(path, CFile::modeRead));
        EXPECT_EQ(CEndoscopeLoader().DetectVersion(file), c.version);
    }
    CModelSeries series;
    EXPECT_FALSE(CEndoscopeLoader().Load(dir.File("absent.img"), series));
}

// Captures made on Windows carry names in any case: SCAN.IMG pairs with
// SCAN.END and SCAN.MAR, the literal companion name first.
TEST(CEndoscopeLoader, Version1CompanionsWhateverTheirCase)
{
    struct Case {
        const char* main;
        std::vector<std::pair<const char*, double>> markers; // name, target x
        const char* end;
        double target; // 0: the load fails
    };
    const Case cases[] = {
        {"SCAN.IMG", {{"SCAN.MAR", 1}}, "SCAN.END", 100},
        {"Scan.img", {{"scan.MAR", 1}}, "sCaN.eNd", 100},
        {"scan.img", {{"SCAN.MAR", 2}, {"scan.mar", 1}}, "scan.end", 100},
        {"SCAN.IMG", {{"scan.mar", 2}, {"Scan.Mar", 1}}, "SCAN.END", 100},
        {"SCAN.IMG", {{"SCAN.MARK", 1}}, "SCAN.END", 0},
        {"SCAN.IMG", {{"SCAN.MAR", 1}}, "SCAN.ENDS", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.main + std::string(" with ") + c.end);
        TempDir dir;
        const std::string path = dir.Write(c.main, Header1(2, 0, {0.09}));
        dir.Write(c.end, Frame1({{0, 0, 0, 0, 0, true}, {0, 0, 0.09f, 0, 0, true}}, 0));
        for (auto [name, x] : c.markers)
            dir.Write(name, Marker(x, 0, 0));
        CModelSeries series;
        const bool loaded = CEndoscopeLoader().Load(path, series);
        EXPECT_EQ(loaded, c.target != 0);
        if (loaded && series.size() == 1) {
            EXPECT_FLOAT_EQ(Model(series, 0).m_vTarget.x, float(c.target));
        }
    }
}

TEST(CEndoscopeLoader, Version1FramesWithTipAndMarkers)
{
    TempDir dir;
    // Two sensors and a tip of length 0.5: three points; the lengths start at
    // the tip length.
    const std::string path = dir.Write("scan.img", Header1(2, 0.5, {0.09, 0.18, 0.27}));
    const Item a{1, 2, 3, 0, 0, true}, b{1, 2, 3.09f, 0.5f, 0.25f, true};
    std::string frames = Frame1({a, b}, 1);
    frames += Frame1({a, {0, 0, 0, 0, 0, false}}, 7);   // marker past the file: target of frame 0
    frames += Frame1({{9, 9, 9, 1, 1, false}, b}, 0);    // first sensor invalid: dropped
    frames += Frame1({a, b}, -2);                        // negative index: the last marker read (frame 2's)
    frames += Frame1({a, b}, 0).substr(0, 200);          // partial record: ignored
    dir.Write("scan.end", frames);
    dir.Write("scan.mar", Marker(1, 1, 1) + Marker(0.1, 0.2, 0.3) + "short");

    CModelSeries series;
    ASSERT_TRUE(CEndoscopeLoader().Load(path, series));
    ASSERT_EQ(series.size(), 3u);
    CEndoscopeModel& m = Model(series, 0);
    EXPECT_EQ(m.m_nPoints, 3);
    EXPECT_NEAR(m.m_fSegmentLength[0], 50.0f, 1e-4);
    EXPECT_NEAR(m.m_fSegmentLength[1], 9.0f, 1e-4);
    EXPECT_NEAR(m.m_fSegmentLength[2], 18.0f, 1e-4);
    // The tip lies 0.5 x 100 along item 0's direction (0, 0, 1).
    ExpectNear(m.m_vPoint[0], {100, 200, 350});
    ExpectNear(m.m_vPoint[1], {100, 200, 300});
    ExpectNear(m.m_vPoint[2], {100, 200, 309});
    EXPECT_DOUBLE_EQ(m.m_dAngle[2][0], 0.5);
    EXPECT_DOUBLE_EQ(m.m_dAngle[2][1], 0.25);
    EXPECT_TRUE(m.m_bPointValid[0] && m.m_bPointValid[1] && m.m_bPointValid[2]);
    ExpectNear(m.m_vTarget, {10, 20, 30});
    EXPECT_TRUE(m.m_bDirty);

    CEndoscopeModel& kept = Model(series, 1);
    EXPECT_FALSE(kept.m_bPointValid[2]);
    ExpectNear(kept.m_vTarget, {10, 20, 30});
    ExpectNear(Model(series, 2).m_vTarget, {100, 100, 100});
}

TEST(CEndoscopeLoader, Version1WithoutTipAndSensorCountLimits)
{
    struct Case {
        const char* what;
        std::int16_t sensors;
        double tip;
        int points;
        float firstLength;
    };
    const Case cases[] = {
        {"no tip: n points, lengths from offset 47", 2, 0.0, 2, 9.0f},
        {"more sensors than slots", 40, 0.0, 16, 9.0f},
        {"more sensors than slots with a tip", 16, 1.0, 16, 100.0f},
        {"negative sensor count", -5, 0.0, 0, 9.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = dir.Write("s.img", Header1(c.sensors, c.tip, {0.09, 0.18}));
        std::initializer_list<Item> items = {{0, 0, 0, 0, 0, true},  {0, 0, 1, 0, 0, true},  {0, 0, 2, 0, 0, true},
                                             {0, 0, 3, 0, 0, true},  {0, 0, 4, 0, 0, true},  {0, 0, 5, 0, 0, true},
                                             {0, 0, 6, 0, 0, true},  {0, 0, 7, 0, 0, true},  {0, 0, 8, 0, 0, true},
                                             {0, 0, 9, 0, 0, true},  {0, 0, 10, 0, 0, true}, {0, 0, 11, 0, 0, true},
                                             {0, 0, 12, 0, 0, true}, {0, 0, 13, 0, 0, true}, {0, 0, 14, 0, 0, true},
                                             {0, 0, 15, 0, 0, true}};
        dir.Write("s.end", Frame1(items, 0));
        dir.Write("s.mar", Marker(0, 0, 0));
        CModelSeries series;
        ASSERT_TRUE(CEndoscopeLoader().Load(path, series));
        if (c.points < 2) {
            EXPECT_TRUE(series.empty());
            continue;
        }
        ASSERT_EQ(series.size(), 1u);
        CEndoscopeModel& m = Model(series, 0);
        EXPECT_EQ(m.m_nPoints, c.points);
        EXPECT_NEAR(m.m_fSegmentLength[0], c.firstLength, 1e-4);
        const int last = c.points - 1;
        EXPECT_NEAR(m.m_vPoint[last].z, c.tip != 0 ? 100.0f * (last - 1) : 100.0f * last, 1e-3);
    }
}

TEST(CEndoscopeLoader, Versions2And3)
{
    const Sensor down{true, 1, 2, 3, 0, 0, -1};
    const Sensor side{true, 1, 2, 4, 0, 1, 0};
    struct Case {
        const char* what;
        int version;
        std::string file;
        std::size_t models;
        double theta0;
    };
    const Case cases[] = {
        {"version 2: (0, 0, -1) points down", 2,
         Head2() + FrameV(2, {down, side}, true, 0.5f) + FrameV(2, {down, side}, false, 0.5f) +
             FrameV(2, {down, {false, 0, 0, 0, 0, 0, 1}}, true, 0.5f) + FrameV(2, {down, side}, true, 0.5f).substr(9),
         1, kPi},
        {"version 3: stored negated, so (0, 0, -1) points up; extension skipped", 3,
         Head3() + FrameV(3, {down, side}, true, 0.5f, true) + FrameV(3, {down, side}, true, 0.5f), 2, 0.0},
        {"version 2 with no valid frame", 2, Head2() + FrameV(2, {down, side}, false, 0.5f), 0, 0},
        {"version 3 header only", 3, Head3(), 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        CModelSeries series;
        ASSERT_TRUE(CEndoscopeLoader().Load(dir.Write("c.img", c.file), series));
        ASSERT_EQ(series.size(), c.models);
        for (std::size_t i = 0; i < c.models; ++i) {
            CEndoscopeModel& m = Model(series, i);
            EXPECT_EQ(m.m_nPoints, 15);
            EXPECT_NEAR(m.m_fSegmentLength[0], 25.0f, 1e-4);
            EXPECT_NEAR(m.m_fSegmentLength[14], 375.0f, 1e-3);
            EXPECT_EQ(m.m_fSegmentLength[15], 0.0f);
            ExpectNear(m.m_vPoint[0], {100, 200, 300});
            ExpectNear(m.m_vTarget, {50, 100, 150});
            EXPECT_DOUBLE_EQ(m.m_dAngle[0][0], c.theta0);
            // (0, 1, 0), negated in version 3: theta pi/2, phi -pi/2 or pi/2.
            EXPECT_DOUBLE_EQ(m.m_dAngle[1][0], kPi / 2);
            EXPECT_DOUBLE_EQ(m.m_dAngle[1][1], c.version == 3 ? -kPi / 2 : kPi / 2);
            EXPECT_TRUE(m.m_bPointValid[0] && m.m_bPointValid[1]);
            EXPECT_FALSE(m.m_bPointValid[2]);
        }
    }
}

namespace {
// A chain of points on a straight line along unit direction u, each 9 apart
// unless lengths say otherwise; point directions point backwards, as the
// tangents are the negated directions.
void StraightChain(CEndoscopeModel& m, const CVector3& u, std::vector<float> lengths, const CVector3& target)
{
    const double theta = std::acos(-u.z), phi = std::atan2(-u.y, -u.x);
    CVector3 p;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        m.m_vPoint[i] = p;
        m.m_dAngle[i][0] = theta;
        m.m_dAngle[i][1] = phi;
        m.m_bPointValid[i] = 1;
        p += u * lengths[i];
    }
    m.SetSegmentLengths(int(lengths.size()), lengths.data());
    m.m_vTarget = target;
    m.m_bDirty = true;
}
} // namespace

TEST(CEndoscopeModel, TubeEndsAtTheSampleNearestTheTarget)
{
    struct Case {
        const char* what;
        std::vector<float> lengths;
        CVector3 target;
        int rings;
    };
    const Case cases[] = {
        {"straight 9 and 9, target at the far end: sample 2 wins", {9, 9}, {0, 0, 9}, 4},
        {"target on sample 1", {9, 9}, {0, 0, 3}, 3},
        {"target between samples 1 and 2: the first of equals", {9, 9}, {0, 0, 4.5f}, 3},
        {"target nearest the first point", {9, 9}, {0, 0, -1}, 0},
        {"9 and 18: 3 and 6 samples, all candidates used", {9, 18, 18}, {0, 0, 100}, 10},
        {"a single point", {9}, {0, 0, 9}, 0},
        {"no positive length", {0, -3}, {0, 0, 9}, 0},
        {"no finite length", {std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()},
         {0, 0, 9}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CEndoscopeModel m;
        StraightChain(m, {0, 0, 1}, c.lengths, c.target);
        EXPECT_GE(m.GetSize(), 0.0f);
        EXPECT_FALSE(m.m_bDirty);
        EXPECT_EQ(m.m_nRings, c.rings);
        EXPECT_EQ(m.m_nVertices, 8 * c.rings);
        EXPECT_EQ(m.m_nPolygons, c.rings ? 8 * c.rings - 2 : 0);
        EXPECT_EQ(m.m_nIndices, c.rings ? 32 * c.rings - 8 : 0);
        EXPECT_TRUE(m.m_lstSamples.empty());
        if (c.rings == 0) {
            EXPECT_EQ(m.m_vMin, CVector3());
            EXPECT_EQ(m.m_vMax, CVector3());
            EXPECT_EQ(m.m_fDiagonal, 0.0f);
            continue;
        }
        EXPECT_EQ(m.m_nPrimitive, kGlQuads);
        // Centre points 3 apart along z, then one extrapolated.
        for (int r = 0; r <= c.rings; ++r)
            ExpectNear(m.m_pCentreline[r], {0, 0, 3.0f * r});
        for (int i = 0; i < m.m_nIndices; ++i)
            ASSERT_TRUE(m.m_pIndices[i] >= 0 && m.m_pIndices[i] < m.m_nVertices);
    }
}

TEST(CEndoscopeModel, IndexTableOfThreeRings)
{
    CEndoscopeModel m;
    StraightChain(m, {0, 0, 1}, {9, 9}, {0, 0, 3});
    m.UpdateCentre();
    ASSERT_EQ(m.m_nIndices, 88);
    std::vector<int> expected = {0,  1,  2,  3,  4,  5,  6,  7,  0,  3,  4,  7,
                                 23, 22, 21, 20, 19, 18, 17, 16, 23, 20, 19, 16};
    const int side[32] = {0, 8, 9, 1, 1, 9, 10, 2, 2, 10, 11, 3, 3, 11, 12, 4,
                          5, 4, 12, 13, 6, 5, 13, 14, 7, 6, 14, 15, 0, 7, 15, 8};
    for (int o : {0, 8})
        for (int v : side)
            expected.push_back(o + v);
    EXPECT_EQ(std::vector<int>(m.m_pIndices.get(), m.m_pIndices.get() + 88), expected);
}

TEST(CEndoscopeModel, RingsAreOctagonsAcrossTheCurveAndBoundTheTube)
{
    const CVector3 u(1.0f / 3, 2.0f / 3, 2.0f / 3);
    CEndoscopeModel m;
    StraightChain(m, u, {9, 9}, u * 9.0f);
    m.m_fTubeRadius = 2.0f;
    CVector3 first, second;
    m.GetBounds(first, second);
    ASSERT_EQ(m.m_nRings, 4);
    for (int r = 0; r < 4; ++r) {
        const CVector3 c = m.m_pCentreline[r];
        for (int v = 0; v < 8; ++v) {
            const CVector3 o = m.m_pVertices[8 * r + v] - c;
            EXPECT_NEAR(o.Length(), 2.0f, 1e-4) << r << "," << v;
            EXPECT_NEAR(Dot(o, u), 0.0f, 1e-4) << "ring across the path";
            // The straight sweep repeats ring 0 at each centre point.
            ExpectNear(o, m.m_pVertices[v] - m.m_pCentreline[0]);
        }
    }
    // Bounds from the vertices (smallest x, largest y and z first), so the
    // camera sees it.
    float minX = 1e9f, maxY = -1e9f, maxZ = -1e9f;
    for (int i = 0; i < m.m_nVertices; ++i) {
        minX = std::min(minX, m.m_pVertices[i].x);
        maxY = std::max(maxY, m.m_pVertices[i].y);
        maxZ = std::max(maxZ, m.m_pVertices[i].z);
    }
    EXPECT_EQ(first, CVector3(minX, maxY, maxZ));
    EXPECT_GT(first.x, -3.0f);
    EXPECT_LT(second.y, 3.0f);
    EXPECT_GT(m.GetSize(), 9.0f);
    EXPECT_FLOAT_EQ(m.m_fDiagonal, m.GetSize());
}

TEST(CEndoscopeModel, MitreSweep)
{
    CVector3 ring[8];
    for (int v = 0; v < 8; ++v)
        ring[v] = CVector3(std::cos(v * 0.785f), std::sin(v * 0.785f), 0);
    struct Case {
        const char* what;
        CVector3 c2;
        bool moved; // plain translation by s
    };
    const Case cases[] = {
        {"straight on", {0, 0, 2}, true},
        {"right-angle bend", {1, 0, 1}, false},
        {"folding back: no mitre plane", {0, 0, 0}, true},
    };
    const CVector3 c0(0, 0, 0), c1(0, 0, 1), s = c1 - c0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CVector3 next[8];
        CEndoscopeModel::SweepRing(ring, c0, c1, c.c2, next);
        CVector3 q = s;
        CVector3 out = c.c2 - c1;
        q.Normalize();
        out.Normalize();
        q += out;
        for (int v = 0; v < 8; ++v) {
            ASSERT_TRUE(std::isfinite(next[v].x) && std::isfinite(next[v].y) && std::isfinite(next[v].z));
            // Each vertex slides along s only.
            EXPECT_NEAR(next[v].x, ring[v].x, 1e-6);
            EXPECT_NEAR(next[v].y, ring[v].y, 1e-6);
            if (c.moved)
                EXPECT_NEAR(next[v].z, ring[v].z + 1, 1e-6);
            else
                EXPECT_NEAR(Dot(next[v] - c1, q), 0.0f, 1e-5) << "in the mitre plane";
        }
    }
}

TEST(CEndoscopeModel, RebuildsWhenDirtyAndCapsSamples)
{
    CEndoscopeModel m;
    StraightChain(m, {0, 0, 1}, {9, 9}, {0, 0, 9});
    EXPECT_EQ(m.GetSize() > 0, true);
    EXPECT_EQ(m.m_nRings, 4);
    const float same[2] = {9, 9};
    m.SetSegmentLengths(2, same);
    EXPECT_FALSE(m.m_bDirty) << "unchanged lengths leave the tube as it is";
    const float longer[2] = {18, 9};
    m.SetSegmentLengths(2, longer);
    EXPECT_TRUE(m.m_bDirty);
    CVector3 a, b;
    m.GetBounds(a, b);
    // Six samples on the longer segment, tangents of 18: z = 18t - 27t^2 + 18t^3
    // puts sample 5 nearest the far end.
    EXPECT_EQ(m.m_nRings, 7);

    // One very long segment after a tiny one would ask for millions of samples.
    CEndoscopeModel big;
    StraightChain(big, {0, 0, 1}, {1e-3f, 1e3f, 9}, {0, 0, 2000});
    big.GetBounds(a, b);
    EXPECT_GT(big.m_nRings, 3);
    EXPECT_LE(big.m_nRings, CEndoscopeModel::kMaxSamplesPerTube + 1);
}

// The step is a third of the shortest segment: one of 1e-6 once gave each of
// the other segments 4096 rings, over 400,000 vertices from 759 bytes.
TEST(CEndoscopeModel, OneTinySegmentKeepsTheTubeBounded)
{
    const CVector3 u = TinySegmentPath();
    const std::string file = Head2() + TinySegmentFrame();
    ASSERT_EQ(file.size(), 759u);

    TempDir dir;
    CModelSeries series;
    ASSERT_TRUE(CEndoscopeLoader().Load(dir.Write("tiny.img", file), series));
    ASSERT_EQ(series.size(), 1u);
    CEndoscopeModel& m = Model(series, 0);
    CVector3 a, b;
    m.GetBounds(a, b);
    EXPECT_LE(m.m_nVertices, 8 * (CEndoscopeModel::kMaxSamplesPerTube + 1));
    // The samples spread over the chain by length and reach its last point,
    // point 14 (a version 2 frame has 15 points): 1300 units along u.
    EXPECT_GE(m.m_nRings, CEndoscopeModel::kMaxSamplesPerTube - 15);
    ASSERT_GT(m.m_nRings, 3);
    ExpectNear(m.m_pCentreline[m.m_nRings - 1], u * 1300.0f, 0.05f);
}

// The frame slider visits every frame of a long capture. Each tube is
// bounded, but 2,000 of them kept once shown came to 2.8 GB: the built tubes
// stay within their budget, and a frame shown again is built again, the same.
TEST(CEndoscopeModel, EveryFrameShownKeepsTheBuiltTubesWithinTheirBudget)
{
    constexpr int kFrames = 2000;
    std::string file = Head2();
    const std::string frame = TinySegmentFrame();
    for (int i = 0; i < kFrames; ++i)
        file += frame;
    ASSERT_EQ(file.size(), 105u + 654u * kFrames); // 1.3 MB

    TempDir dir;
    CModelSeries series;
    ASSERT_TRUE(CEndoscopeLoader().Load(dir.Write("long.img", file), series));
    ASSERT_EQ(series.size(), std::size_t(kFrames));

    // Bytes held by the models' arrays, counted from their sizes.
    // Follows the model's own count (TubeBytes) on purpose; the AllocationWatch peak is the independent bound.
    const auto held = [&] {
        std::size_t bytes = 0;
        for (const auto& m : series) {
            const auto& e = static_cast<const CEndoscopeModel&>(*m);
            bytes += 2 * sizeof(CVector3) * std::size_t(e.m_nVertices);
            bytes += sizeof(std::int32_t) * std::size_t(e.m_nIndices);
            bytes += e.m_pCentreline ? sizeof(CVector3) * std::size_t(e.m_nRings + 1) : 0;
            bytes += sizeof(CVector3) * e.m_lstSamples.capacity();
        }
        return bytes;
    };
    constexpr std::size_t kMiB = 1 << 20;
    const std::size_t before = AllocationWatch::HeldBytes();
    AllocationWatch::ResetPeak();
    std::vector<CVector3> first;
    std::size_t most = 0;
    for (int i = 0; i < kFrames; ++i) {
        CEndoscopeModel& m = Model(series, std::size_t(i));
        m.UpdateCentre(); // as attaching the frame to the renderer does
        ASSERT_GT(m.m_nRings, 3000) << "frame " << i << " is built";
        if (i == 0)
            first.assign(m.m_pVertices.get(), m.m_pVertices.get() + m.m_nVertices);
        most = std::max(most, held());
    }
    const std::size_t peak = AllocationWatch::PeakHeldBytes() - before;
    RecordProperty("peak_held_bytes", std::to_string(peak));
    RecordProperty("most_held_by_models", std::to_string(most));
    EXPECT_LE(most, CEndoscopeModel::kTubeBudgetBytes);
    if (AllocationWatch::Active()) {
        EXPECT_LT(peak, 400 * kMiB);
    }

    CEndoscopeModel& again = Model(series, 0);
    EXPECT_TRUE(again.m_bDirty) << "the first frame's tube was released";
    EXPECT_EQ(again.m_nVertices, 0);
    again.UpdateCentre();
    ASSERT_EQ(std::size_t(again.m_nVertices), first.size());
    EXPECT_TRUE(std::equal(first.begin(), first.end(), again.m_pVertices.get()));
}

// The factory's rows for meshes and captures: the exact lower-case extension
// picks the loader; an empty capture is a success; a failed load is null.
TEST(LoadModelFile, MeshAndCaptureExtensions)
{
    const Sensor a{true, 0, 0, 0, 0, 0, -1}, b{true, 0, 0, 0.09f, 0, 0, -1};
    struct Case {
        const char* what;
        std::string extension, content;
        int models; // -1: null
        const char* description;
        bool asksDicom;
    };
    const Case cases[] = {
        {"obj", "obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", 1, "Polygonal mesh model from an OBJ format file.",
         false},
        {"off", "off", "OFF\n3 1\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n", 1,
         "Polygonal mesh model from an OFF format file.", false},
        {"img", "img", Head2() + FrameV(2, {a, b}, true, 0.1f), 1,
         "Endoscope model built with a mesh from Quellin data capture.", false},
        {"img without a usable frame", "img", Head2(), 0, "", false},
        {"bad off", "off", "OFF\n0 0\n", -1, "", false},
        {"bad img", "img", "nothing", -1, "", false},
        {"upper case goes to DICOM", "OBJ", "v 0 0 0\nf 1 1 1\n", -1, "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        CScriptedPrompter prompter;
        CPrompterScope scope(&prompter);
        auto series = LoadModelFile(dir.Write("file." + c.extension, c.content), c.extension);
        EXPECT_EQ(prompter.asked.size(), c.asksDicom ? 1u : 0u);
        if (c.models < 0) {
            EXPECT_EQ(series, nullptr);
            continue;
        }
        ASSERT_NE(series, nullptr);
        ASSERT_EQ(series->size(), std::size_t(c.models));
        if (c.models) {
            EXPECT_EQ(series->at(0)->m_pszDescription, c.description);
        }
    }
}
