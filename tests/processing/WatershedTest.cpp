#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "data/Volume.h"
#include "processing/SliceImage.h"
#include "processing/Snake.h"
#include "processing/Watershed.h"

namespace {

using Fill = std::function<std::uint8_t(int, int, int)>;

std::unique_ptr<CVolume> MakeVolume(int w, int h, int d, const Fill& fill, int bits = 8)
{
    auto v = std::make_unique<CVolume>(w, h, d, bits);
    if (bits == 8)
        for (int z = 0; z < d; ++z)
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    v->m_pData[x + std::size_t(w) * (y + std::size_t(h) * z)] = fill(x, y, z);
    return v;
}

std::uint8_t At(const CVolume& v, int x, int y, int z)
{
    return v.m_pData[x + std::size_t(v.m_nDimX) * (y + std::size_t(v.m_nDimY) * z)];
}

bool Run3D(CVolume& v, bool invert = false, bool keep = false)
{
    v.LockData();
    CWatershed ws(&v);
    const bool ok = ws.Segment3D(invert, keep);
    v.UnlockData();
    EXPECT_EQ(v.m_nLockCount, 0);
    return ok;
}

// Cube [4, 7]^3 of 200 in a 12^3 volume of 50.
std::uint8_t Cube(int x, int y, int z)
{
    auto in = [](int c) { return c >= 4 && c <= 7; };
    return in(x) && in(y) && in(z) ? 200 : 50;
}

std::uint32_t Hash(std::uint32_t i)
{
    i ^= i >> 16;
    i *= 0x7feb352dU;
    i ^= i >> 15;
    i *= 0x846ca68bU;
    return i ^ (i >> 16);
}

TEST(CWatershed3D, FailuresLeaveTheVolumeUntouched)
{
    struct Case {
        const char* what;
        int w, h, d, bits;
        std::vector<SeedPoint> in, out;
    };
    const Case cases[] = {
        {"no object seed", 12, 12, 12, 8, {}, {{1, 1, 1}}},
        {"no background seed", 12, 12, 12, 8, {{6, 6, 6}}, {}},
        {"object seed beyond the last voxel is not counted", 12, 12, 12, 8, {{12, 6, 6}}, {{1, 1, 1}}},
        {"negative background seed", 12, 12, 12, 8, {{6, 6, 6}}, {{1, -1, 1}}},
        {"seed far outside any int", 12, 12, 12, 8, {{6, 6, 1e30f}}, {{1, 1, 1}}},
        {"a single slice has no interior", 12, 12, 1, 8, {{6, 6, 0}}, {{1, 1, 0}}},
        {"two slices have no interior", 12, 2, 12, 8, {{6, 0, 6}}, {{1, 1, 1}}},
        {"16-bit volumes are not segmented", 12, 12, 12, 16, {{6, 6, 6}}, {{1, 1, 1}}},
    };
    for (const Case& c : cases) {
        auto v = MakeVolume(c.w, c.h, c.d, [](int x, int y, int z) { return std::uint8_t(50 + x + y + z); }, c.bits);
        const std::vector<std::uint8_t> before(v->m_pData.get(), v->m_pData.get() + v->m_nDataBytes);
        v->m_aInPoints = c.in;
        v->m_aOutPoints = c.out;
        EXPECT_FALSE(Run3D(*v)) << c.what;
        EXPECT_EQ(std::memcmp(before.data(), v->m_pData.get(), before.size()), 0) << c.what;
    }
}

TEST(CWatershed3D, SplitsACubeFromItsBackground)
{
    auto v = MakeVolume(12, 12, 12, Cube);
    v->m_aInPoints = {{5.9f, 6.2f, 6.0f}}; // truncated to (5, 6, 6)
    v->m_aOutPoints = {{1, 1, 1}, {10, 10, 10}};
    ASSERT_TRUE(Run3D(*v));
    for (int z = 0; z < 12; ++z)
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x) {
                auto in = [](int c, int lo, int hi) { return c >= lo && c <= hi; };
                const bool core = in(x, 5, 6) && in(y, 5, 6) && in(z, 5, 6);
                const bool far = !(in(x, 3, 8) && in(y, 3, 8) && in(z, 3, 8));
                if (core) {
                    ASSERT_EQ(At(*v, x, y, z), 127) << x << "," << y << "," << z;
                }
                if (far) { // includes the outer shell, which is never flooded
                    ASSERT_EQ(At(*v, x, y, z), 0) << x << "," << y << "," << z;
                }
                ASSERT_TRUE(At(*v, x, y, z) == 0 || At(*v, x, y, z) == 127);
            }
}

TEST(CWatershed3D, WriteBackRules)
{
    struct Case {
        const char* what;
        bool invert, keep;
        std::uint8_t object, background;
    };
    const Case cases[] = {
        {"object 127, rest 0", false, false, 127, 0},
        {"object keeps its values, rest 0", false, true, 200, 0},
        {"inverted: object 0, rest 127", true, false, 0, 127},
        {"inverted, rest keeps its values", true, true, 0, 50},
    };
    for (const Case& c : cases) {
        auto v = MakeVolume(12, 12, 12, Cube);
        v->m_aInPoints = {{6, 6, 6}};
        v->m_aOutPoints = {{1, 1, 1}};
        ASSERT_TRUE(Run3D(*v, c.invert, c.keep)) << c.what;
        EXPECT_EQ(At(*v, 6, 5, 6), c.object) << c.what;
        EXPECT_EQ(At(*v, 1, 2, 1), c.background) << c.what;
        EXPECT_EQ(At(*v, 0, 0, 0), c.background) << c.what << " (outer shell)";
    }
}

TEST(CWatershed3D, SeedRules)
{
    auto v = MakeVolume(12, 12, 12, Cube);
    // (2, 2, 2) is named by both lists: background. (9, 2, 2) is an object
    // seed deep in the background and keeps its label; (0, 6, 6) is an
    // object seed on the outer shell.
    v->m_aInPoints = {{6, 6, 6}, {2, 2, 2}, {9, 2, 2}, {0, 6, 6}};
    v->m_aOutPoints = {{1, 1, 1}, {2, 2, 2}, {10, 10, 10}};
    ASSERT_TRUE(Run3D(*v));
    EXPECT_EQ(At(*v, 2, 2, 2), 0);
    EXPECT_EQ(At(*v, 9, 2, 2), 127);
    EXPECT_EQ(At(*v, 0, 6, 6), 127);
    EXPECT_EQ(At(*v, 0, 7, 6), 0);
    EXPECT_EQ(At(*v, 6, 6, 6), 127);
}

TEST(CWatershed3D, ColourBlockFollowsTheResult)
{
    auto v = std::make_unique<CRgbVolume>(8, 8, 8);
    ASSERT_TRUE(v->AllocateColour());
    std::memset(v->m_pData.get(), 90, 512);
    std::memset(v->m_pColour.get(), 33, 3 * 512);
    v->m_aInPoints = {{2, 4, 4}};
    v->m_aOutPoints = {{6, 4, 4}};
    ASSERT_TRUE(Run3D(*v));
    for (int i = 0; i < 512; ++i)
        for (int k = 0; k < 3; ++k)
            ASSERT_EQ(v->m_pColour[3 * i + k], v->m_pData[i]);
    EXPECT_EQ(v->m_pData[2 + 8 * (4 + 8 * 4)], 127);
}

TEST(CWatershed3D, FictitiousItemIsNoCell)
{
    // 300 x 300 x 200 has more than 2^24 cells; cell 2^24 is the interior
    // voxel (16, 124, 186). Uniform: one level, flooded by distance.
    auto v = MakeVolume(300, 300, 200, [](int, int, int) { return std::uint8_t(80); });
    v->m_aInPoints = {{16, 124, 185}};
    v->m_aOutPoints = {{290, 290, 10}};
    ASSERT_TRUE(Run3D(*v));
    EXPECT_EQ(16 + 300 * (124 + 300 * 186), 1 << 24);
    EXPECT_EQ(At(*v, 16, 124, 186), 127);
    EXPECT_EQ(At(*v, 280, 280, 20), 0);
    // Taking that cell for the end of a distance step adds a step to the
    // flood and moves the meeting line of the two basins off these voxels.
    EXPECT_EQ(At(*v, 271, 34, 1), 127);
    EXPECT_EQ(At(*v, 264, 41, 1), 127);
}

// Where the distance byte wraps a cell may be queued once per neighbour, so
// the flood's queue can meet its capacity: the push that would overwrite the
// ring's oldest item is refused and marked, which fails the flood.
TEST(CWatershed, FullQueueRefusesThePushAndKeepsItsItems)
{
    CWatershed::Queue q;
    q.capacity = 3;
    q.items = MakeLargeArray<std::int32_t>(3);
    q.Push(1);
    EXPECT_EQ(q.Pop(), 1);
    for (std::int32_t v : {2, 3, 4})
        q.Push(v); // the ring wraps past its end
    EXPECT_FALSE(q.overflowed);
    q.Push(5);
    EXPECT_TRUE(q.overflowed);
    ASSERT_EQ(q.count, 3);
    for (std::int32_t v : {2, 3, 4})
        EXPECT_EQ(q.Pop(), v);
}

// Runs the shared steps on a volume the way Segment3D sets them up.
struct Grid {
    explicit Grid(CVolume& v) : vol(v), ws(&v)
    {
        ws.m_nWidth = v.m_nDimX;
        ws.m_nHeight = v.m_nDimY;
        ws.m_nDepth = v.m_nDimZ;
        ws.m_nStartX = ws.m_nStartY = ws.m_nStartZ = 1;
        ws.m_nEndX = ws.m_nWidth - 2;
        ws.m_nEndY = ws.m_nHeight - 2;
        ws.m_nEndZ = ws.m_nDepth - 2;
        ws.m_b3D = true;
        ws.m_nCount = std::uint32_t(v.m_nVoxels);
        ws.m_nPlaneSize = ws.m_nWidth * ws.m_nHeight;
        ws.m_pSource = v.m_pData.get();
        labels.resize(ws.m_nCount);
        ws.m_pLabels = labels.data();
    }
    CVolume& vol;
    CWatershed ws;
    std::vector<std::uint8_t> labels;
};

TEST(CWatershed3D, GradientKernels)
{
    // A step of 100 along x between x = 4 and 5: the positive weights sum
    // to 22, so 22 * 100 / 20 = 110 on both sides of the step, 0 further away.
    auto step = MakeVolume(9, 5, 5, [](int x, int, int) { return std::uint8_t(x >= 5 ? 100 : 0); });
    Grid g(*step);
    g.ws.InitNeighbours();
    const int row = 9 * (2 + 5 * 2);
    EXPECT_EQ(g.ws.GradientAt(row + 3), 0);
    EXPECT_EQ(g.ws.GradientAt(row + 4), 110);
    EXPECT_EQ(g.ws.GradientAt(row + 5), 110);
    EXPECT_EQ(g.ws.GradientAt(row + 6), 0);

    // A 255 step along y: 280.5 saturates.
    auto sy = MakeVolume(5, 9, 5, [](int, int y, int) { return std::uint8_t(y >= 5 ? 255 : 0); });
    Grid gy(*sy);
    gy.ws.InitNeighbours();
    EXPECT_EQ(gy.ws.GradientAt(2 + 5 * (4 + 9 * 2)), 255);
    auto sz = MakeVolume(5, 5, 9, [](int x, int, int z) { return std::uint8_t(z >= 5 ? 30 + x : 0); });
    Grid gz(*sz);
    gz.ws.InitNeighbours();
    // At (2, 2, 5): gz = -22 * 32 = -704 and gx = 2 * (12 + 5) = 34 from the
    // two planes where x rises: sqrt(704^2 + 34^2) / 20 = 35.24.
    EXPECT_EQ(gz.ws.GradientAt(2 + 5 * (2 + 5 * 5)), 35);
}

TEST(CWatershed3D, FastGradientMatchesTheKernels)
{
    // Wide rows take the run path (last run overlapping), narrow ones the
    // per-voxel path; random values cover every rounding case nearby.
    for (int w : {41, 17, 10, 9, 3}) {
        auto v = MakeVolume(w, 7, 5, [](int x, int y, int z) { return std::uint8_t(Hash(x * 131 + y * 7 + z * 977)); });
        Grid g(*v);
        g.ws.AllocateWork();
        g.ws.InitNeighbours();
        g.ws.MarkBorder();
        g.ws.ComputeGradient();
        for (int z = 0; z < 5; ++z)
            for (int y = 0; y < 7; ++y)
                for (int x = 0; x < w; ++x) {
                    const int i = x + w * (y + 7 * z);
                    const bool shell = x == 0 || y == 0 || z == 0 || x == w - 1 || y == 6 || z == 4;
                    ASSERT_EQ(g.ws.m_pGradient[i], shell ? 255 : g.ws.GradientAt(i)) << w << ": " << x << "," << y << "," << z;
                }
        g.ws.FreeWork();
    }
}

TEST(CWatershed3D, EveryInteriorCellEndsInABasin)
{
    // Noise with many levels, plateaus and ties.
    auto v = MakeVolume(23, 19, 17, [](int x, int y, int z) { return std::uint8_t(Hash(x + 23 * (y + 19 * z)) % 7 * 30); });
    v->m_aInPoints = {{5, 5, 5}, {6, 12, 3}};
    v->m_aOutPoints = {{18, 14, 12}, {1, 17, 15}};
    Grid g(*v);
    ASSERT_TRUE(g.ws.Flood());
    std::size_t object = 0;
    for (int z = 0; z < 17; ++z)
        for (int y = 0; y < 19; ++y)
            for (int x = 0; x < 23; ++x) {
                const std::uint8_t l = g.labels[x + 23 * (y + 19 * z)];
                const bool shell = x == 0 || y == 0 || z == 0 || x == 22 || y == 18 || z == 16;
                if (shell)
                    ASSERT_EQ(l, 255);
                else
                    ASSERT_TRUE(l == 60 || l == 174) << int(l) << " at " << x << "," << y << "," << z;
                object += l == 60;
            }
    EXPECT_GT(object, 0u);
    EXPECT_EQ(g.labels[5 + 23 * (5 + 19 * 5)], 60);
    EXPECT_EQ(g.labels[18 + 23 * (14 + 19 * 12)], 174);
}

// The flood as first written: separate label and distance bytes, every
// neighbour visited in order with the conflict flag. The optimised flood
// must give the same labels, wrapped distances included.
std::vector<std::uint8_t> ReferenceFlood(CVolume& v)
{
    Grid g(v);
    CWatershed& ws = g.ws;
    std::vector<std::uint8_t>& label = g.labels;
    std::fill(label.begin(), label.end(), 255);
    for (const SeedPoint& p : v.m_aInPoints)
        ws.SetSeed(60, int(p.x), int(p.y), int(p.z));
    for (const SeedPoint& p : v.m_aOutPoints)
        ws.SetSeed(174, int(p.x), int(p.y), int(p.z));
    ws.AllocateWork();
    ws.InitNeighbours();
    ws.MarkBorder();
    ws.ComputeGradient();
    const std::uint8_t* grad = ws.m_pGradient;
    const int w = v.m_nDimX, h = v.m_nDimY, d = v.m_nDimZ;
    std::vector<std::vector<int>> levels(256);
    for (int z = 1; z < d - 1; ++z)
        for (int y = 1; y < h - 1; ++y)
            for (int x = 1; x < w - 1; ++x) {
                const int c = x + w * (y + h * z);
                levels[grad[c]].push_back(c);
            }
    std::vector<std::uint8_t> dist(label.size(), 0);
    std::vector<int> queue, stack;
    for (const auto& level : levels) {
        queue.clear();
        std::size_t head = 0;
        for (int p : level)
            if (label[p] == 255) {
                label[p] = 180;
                for (int k = 0; k < 26; ++k)
                    if (label[p + ws.m_anOffset[k]] < 175) {
                        dist[p] = 1;
                        queue.push_back(p);
                        break;
                    }
            }
        queue.push_back(-1);
        int current = 1;
        for (;;) {
            int p = queue[head++];
            if (p == -1) {
                if (head == queue.size())
                    break;
                queue.push_back(-1);
                ++current;
                p = queue[head++];
            }
            stack.push_back(p);
            bool flag = true;
            for (int k = 0; k < 26; ++k) {
                const int q = p + ws.m_anOffset[k];
                if (dist[q] < current && label[q] < 175) {
                    if (label[q] != 0) {
                        if (label[p] == 180 || (label[p] == 0 && flag))
                            label[p] = label[q];
                        else if (label[p] != label[q]) {
                            label[p] = 0;
                            flag = false;
                        }
                    } else if (label[p] == 180) {
                        label[p] = 0;
                    }
                } else if (label[q] == 180 && dist[q] == 0) {
                    dist[q] = std::uint8_t(current + 1);
                    queue.push_back(q);
                }
            }
        }
        for (int p : stack)
            dist[p] = 0;
        stack.clear();
    }
    ws.ResolveDividingLines();
    ws.FreeWork();
    return label;
}

TEST(CWatershed3D, SameLabelsAsTheReferenceFlood)
{
    struct Case {
        const char* what;
        int w, h, d;
        Fill fill;
        std::vector<SeedPoint> in, out;
    };
    const Case cases[] = {
        {"noise with few levels", 19, 17, 13,
         [](int x, int y, int z) { return std::uint8_t(Hash(x + 19 * (y + 17 * z)) % 5 * 40); },
         {{4, 4, 4}, {9, 12, 6}}, {{15, 3, 10}, {2, 14, 2}}},
        {"noise with many levels", 21, 15, 11,
         [](int x, int y, int z) { return std::uint8_t(Hash(x * 7 + 1000 * y + 77 * z)); },
         {{10, 7, 5}}, {{1, 1, 1}, {19, 13, 9}}},
        {"cube with seeds on both sides and one on the shell", 12, 12, 12, Cube,
         {{6, 6, 6}, {0, 5, 5}}, {{1, 1, 1}, {2, 9, 9}}},
        // Plateaus flooded over more than 255 steps: distances wrap.
        {"long uniform tube", 600, 5, 5, [](int, int, int) { return std::uint8_t(9); },
         {{1, 2, 2}}, {{598, 2, 2}}},
        {"long tube with a step", 600, 4, 4, [](int x, int, int) { return std::uint8_t(x < 420 ? 10 : 60); },
         {{1, 1, 1}}, {{598, 2, 2}, {590, 1, 1}}},
    };
    for (const Case& c : cases) {
        auto v = MakeVolume(c.w, c.h, c.d, c.fill);
        v->m_aInPoints = c.in;
        v->m_aOutPoints = c.out;
        const std::vector<std::uint8_t> want = ReferenceFlood(*v);
        Grid g(*v);
        ASSERT_TRUE(g.ws.Flood()) << c.what;
        std::size_t differ = 0;
        for (std::size_t i = 0; i < want.size(); ++i)
            differ += g.labels[i] != want[i];
        EXPECT_EQ(differ, 0u) << c.what;
    }
}

// Column-major slice from a row-major picture of w x h bytes.
std::vector<std::uint8_t> ColumnMajor(const std::vector<std::uint8_t>& rowMajor, int w, int h)
{
    std::vector<std::uint8_t> out(rowMajor.size());
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c)
            out[std::size_t(c) * h + r] = rowMajor[std::size_t(r) * w + c];
    return out;
}

TEST(CWatershed2D, SeedsOnTheSlice)
{
    // Volume 4 x 5 x 6; the image of each axis has the slice buffers' columns
    // and rows: z and y for X, x and z for Y, x and y for Z.
    struct Case {
        const char* what;
        int axis, slice, w, h;
        std::vector<SeedPoint> in, out;
        bool ok;
        int inCol, inRow, outCol, outRow;
    };
    const Case cases[] = {
        {"x slice: columns z, rows y", 0, 2, 6, 5, {{2, 3, 1}, {3, 1, 1}}, {{2, 1, 4}}, true, 1, 3, 4, 1},
        {"y slice: columns x, rows z", 1, 3, 4, 6, {{1, 3, 4}}, {{2.5f, 3.9f, 1}}, true, 1, 4, 2, 1},
        {"z slice: columns x, rows y", 2, 0, 4, 5, {{3, 2, 0}}, {{0, 4, 0}, {1, 1, 1}}, true, 3, 2, 0, 4},
        {"object seeds only on other slices fail", 2, 0, 4, 5, {{3, 2, 1}}, {{0, 4, 0}}, false, -1, 0, 0, 4},
        {"background seeds only on other slices fail", 0, 2, 6, 5, {{2, 3, 1}}, {{1, 1, 4}}, false, 1, 3, -1, 0},
        {"a seed beyond the image is ignored", 2, 0, 4, 5, {{3, 7, 0}}, {{0, 4, 0}}, false, -1, 0, 0, 4},
    };
    for (const Case& c : cases) {
        CVolume vol;
        vol.m_nDimX = 4;
        vol.m_nDimY = 5;
        vol.m_nDimZ = 6;
        vol.m_aInPoints = c.in;
        vol.m_aOutPoints = c.out;
        std::vector<std::uint8_t> px(std::size_t(c.w * c.h), 10);
        CSliceImage img(px.data(), c.w, c.h);
        CWatershed ws(&vol);
        EXPECT_EQ(ws.Segment2D(&img, c.axis, c.slice), c.ok) << c.what;
        if (c.inCol >= 0) {
            EXPECT_EQ(img.m_pLabels[c.inRow * c.w + c.inCol], 60) << c.what;
        }
        if (c.outCol >= 0) {
            EXPECT_EQ(img.m_pLabels[c.outRow * c.w + c.outCol], 174) << c.what;
        }
        int set = 0;
        for (int i = 0; i < img.m_nSize; ++i)
            set += img.m_pLabels[i] != 255;
        if (!c.ok) { // only the seeds are labelled
            EXPECT_EQ(set, (c.inCol >= 0) + (c.outCol >= 0)) << c.what;
        }
        EXPECT_EQ(ws.m_pLabels, nullptr) << c.what;
    }
}

TEST(CWatershed2D, UniformSliceFloodsByDistance)
{
    // 11 x 3: the interior is row 1, columns 1..9; seeds at columns 2 and 8.
    // Column 5 is equally far from both, a dividing cell, and takes the
    // label of its first neighbour (+1) as every gradient is 0.
    CVolume vol;
    vol.m_aInPoints = {{2, 1, 0}};
    vol.m_aOutPoints = {{8, 1, 0}};
    const std::vector<std::uint8_t> px(33, 99);
    CSliceImage img(px.data(), 11, 3);
    CWatershed ws(&vol);
    ASSERT_TRUE(ws.Segment2D(&img, 2, 0));
    const std::vector<std::uint8_t> row(img.m_pLabels.get() + 11, img.m_pLabels.get() + 22);
    EXPECT_EQ(row, (std::vector<std::uint8_t>{255, 60, 60, 60, 60, 174, 174, 174, 174, 174, 255}));
    for (int c = 0; c < 11; ++c) {
        EXPECT_EQ(img.m_pLabels[c], 255);
        EXPECT_EQ(img.m_pLabels[22 + c], 255);
    }
    ASSERT_EQ(img.m_aContours.size(), 1u);
    EXPECT_EQ(img.m_aContours[0]->m_nCount, 6); // columns 1..4 traced there and back
}

TEST(CWatershed2D, LevelAfterAWidePlateauStillJoinsABasin)
{
    // Gradient 0 everywhere but one cell of level 5 in the far corner of
    // the interior, the seeds in the near corner: level 0 floods over 597
    // steps, its distance byte wrapping twice, and the cells it reaches last
    // are the ones around the level-5 cell. Their distances must be cleared
    // for level 5, or the cell finds no reached neighbour and stays masked.
    constexpr int n = 600;
    CVolume vol;
    vol.m_aInPoints = {{1, 1, 0}};
    vol.m_aOutPoints = {{1, 2, 0}};
    const std::vector<std::uint8_t> px(std::size_t(n) * n, 99);
    CSliceImage img(px.data(), n, n);
    img.m_pGradient = std::make_unique<std::uint8_t[]>(std::size_t(n) * n);
    img.m_pGradient[std::size_t(n - 2) * n + (n - 2)] = 5;
    CWatershed ws(&vol);
    ASSERT_TRUE(ws.Segment2D(&img, 2, 0));
    std::size_t unlabelled = 0;
    for (int y = 1; y < n - 1; ++y)
        for (int x = 1; x < n - 1; ++x) {
            const std::uint8_t l = img.m_pLabels[std::size_t(y) * n + x];
            unlabelled += l != CWatershed::kObject && l != CWatershed::kBackground;
        }
    EXPECT_EQ(unlabelled, 0u);
}

TEST(CWatershed2D, DiscPreviewAndRepeatedRuns)
{
    // A bright disc on a dark slice; one record serves several previews.
    const int w = 64, h = 48;
    std::vector<std::uint8_t> rm(std::size_t(w * h));
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c)
            rm[std::size_t(r * w + c)] = (c - 30) * (c - 30) + (r - 24) * (r - 24) < 144 ? 180 : 20;
    const auto slice = ColumnMajor(rm, w, h);
    CVolume vol;
    vol.m_aInPoints = {{30, 24, 7}};
    vol.m_aOutPoints = {{5, 5, 7}, {60, 40, 7}};
    CWatershed ws(&vol);
    for (int run = 0; run < 2; ++run) {
        CSliceImage img(slice.data(), w, h);
        ASSERT_TRUE(ws.Segment2D(&img, 2, 7));
        int object = 0;
        for (int r = 1; r < h - 1; ++r)
            for (int c = 1; c < w - 1; ++c) {
                const std::uint8_t l = img.m_pLabels[r * w + c];
                ASSERT_TRUE(l == 60 || l == 174) << int(l);
                object += l == 60;
                const int d2 = (c - 30) * (c - 30) + (r - 24) * (r - 24);
                if (d2 < 64) {
                    ASSERT_EQ(l, 60);
                }
                if (d2 > 256) {
                    ASSERT_EQ(l, 174);
                }
            }
        EXPECT_GT(object, 300);
        ASSERT_EQ(img.m_aContours.size(), 1u);
        float my = 0, mx = 0;
        img.m_aContours[0]->GetCentroid(my, mx);
        EXPECT_NEAR(mx, 30, 1.5);
        EXPECT_NEAR(my, 24, 1.5);
    }
}

TEST(CWatershed2D, FailedPreviewStillTracesTheSeeds)
{
    CVolume vol;
    vol.m_aInPoints = {{4, 3, 0}};
    const std::vector<std::uint8_t> px(80, 50);
    CSliceImage img(px.data(), 10, 8);
    CWatershed ws(&vol);
    EXPECT_FALSE(ws.Segment2D(&img, 2, 0));
    ASSERT_EQ(img.m_aContours.size(), 1u);
    EXPECT_EQ(img.m_aContours[0]->m_nCount, 1);
}

} // namespace
