#include <cstring>

#include <gtest/gtest.h>

#include "data/Histogram.h"
#include "data/Mesh.h"
#include "data/Volume.h"
#include "support/FaultInjection.h"
#include "render/MeshRenderer.h"
#include "render/TransferFunction.h"
#include "support/TempDir.h"

namespace {
using Points = std::vector<TfPoint>;

// A renderer made for a volume owns the transfer function and its table.
struct TfFixture {
    CVolume volume{4, 4, 4, 8};
    CMeshRenderer renderer{&volume, nullptr, 10, 10};
    CTransferFunction& tf = *renderer.m_pTransferFunction;

    int Entry(int channel, int i) const { return (*renderer.m_pRgbaTable)[4 * i + channel]; }
    std::vector<int> Column(int channel) const
    {
        std::vector<int> c;
        for (int i = 0; i < 256; ++i)
            c.push_back(Entry(channel, i));
        return c;
    }
};

std::vector<int> Identity()
{
    std::vector<int> v(256);
    for (int i = 0; i < 256; ++i)
        v[i] = i;
    return v;
}

std::string Int32(std::int32_t v)
{
    std::string s(4, '\0');
    std::memcpy(s.data(), &v, 4);
    return s;
}

// A .tfn image: flag, then per channel a count and the pairs given.
std::string TfnBytes(char flag, const std::vector<std::vector<std::int32_t>>& channels)
{
    std::string s(1, flag);
    for (const auto& c : channels) {
        s += Int32(std::int32_t(c.size() / 2));
        for (std::int32_t v : c)
            s += Int32(v);
    }
    return s;
}
} // namespace

TEST(CTransferFunction, FreshObjectIsTheIdentityInEveryColumn)
{
    TfFixture f;
    EXPECT_EQ(f.tf.m_bSpline, 1);
    EXPECT_EQ(f.tf.m_nCurrent, 0);
    EXPECT_TRUE(f.tf.m_bLinked);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(f.tf.m_aPoints[c], (Points{{0, 0}, {127, 127}, {255, 255}}));
        EXPECT_EQ(f.Column(c), Identity()) << "column " << c;
    }
}

TEST(CTransferFunction, RendererWithoutAVolumeHasNone)
{
    CMesh mesh;
    CMeshRenderer withMesh(&mesh, nullptr, 10, 10);
    CMeshRenderer empty(nullptr, nullptr, 10, 10);
    EXPECT_EQ(withMesh.m_pTransferFunction, nullptr);
    EXPECT_EQ(empty.m_pTransferFunction, nullptr);
    // The palette starts as a grey ramp.
    for (int i : {0, 1, 128, 255})
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ((*empty.m_pBgrPalette)[3 * i + c], i);
}

TEST(CTransferFunction, LinearColumnsTruncate)
{
    TfFixture f;
    f.tf.m_bSpline = 0;
    f.tf.m_bLinked = false;
    f.tf.m_nCurrent = 3;
    f.tf.m_aPoints[3] = {{0, 0}, {255, 255}};
    f.tf.BuildChannel(3, true);
    EXPECT_EQ(f.Column(3), Identity());

    // Slope 2/3 is not exact in single precision: 0, 0.67, 1.33, 2 truncate
    // to 0, 0, 1, 2 where rounding would give 0, 1, 1, 2.
    f.tf.m_aPoints[3] = {{0, 0}, {3, 2}, {255, 255}};
    f.tf.BuildChannel(3, true);
    const std::vector<int> column = f.Column(3);
    EXPECT_EQ(std::vector<int>(column.begin(), column.begin() + 4), (std::vector<int>{0, 0, 1, 2}));
    EXPECT_EQ(f.Entry(3, 255), 255);
}

TEST(CTransferFunction, AddPointRefusesExistingAndOutOfRangeX)
{
    TfFixture f;
    f.tf.m_nCurrent = 3;
    const Points before = f.tf.m_aPoints[3];
    struct Case {
        int x;
        TfPosition want;
        const char* why;
    };
    for (Case c : {Case{127, kNoPoint, "existing x"}, Case{256, kNoPoint, "beyond the last point"},
                   Case{400, kNoPoint, "far beyond"}}) {
        EXPECT_EQ(f.tf.AddPoint(c.x, 10), c.want) << c.why;
        EXPECT_EQ(f.tf.m_aPoints[3], before) << c.why;
    }
    EXPECT_EQ(f.tf.AddPoint(50, 200), 1);
    EXPECT_EQ(f.tf.m_aPoints[3], (Points{{0, 0}, {50, 200}, {127, 127}, {255, 255}}));
    EXPECT_GT(f.Entry(3, 50), 150);
}

TEST(CTransferFunction, MovePointClampsToItsNeighbours)
{
    struct Case {
        TfPosition pos;
        int x, y;
        int wantX, wantY;
        const char* why;
    };
    const Case cases[] = {
        {0, 40, 30, 0, 30, "first point stays at x 0"},
        {4, 100, 30, 255, 30, "last point stays at x 255"},
        {2, 0, 50, 11, 50, "between 10 and 12 only 11"},
        {2, 200, 50, 11, 50, "from the other side too"},
        {1, 10, -5, 10, 0, "y below 0"},
        {1, 10, 300, 10, 255, "y above 255"},
    };
    for (const Case& c : cases) {
        TfFixture f;
        f.tf.m_bLinked = false;
        f.tf.m_aPoints[0] = {{0, 0}, {10, 10}, {11, 11}, {12, 12}, {255, 255}};
        f.tf.BuildChannel(0, true);
        int x = c.x, y = c.y;
        f.tf.MovePoint(c.pos, x, y);
        EXPECT_EQ(x, c.wantX) << c.why;
        EXPECT_EQ(y, c.wantY) << c.why;
        EXPECT_EQ(f.tf.m_aPoints[0][std::size_t(c.pos)], (TfPoint{c.wantX, c.wantY})) << c.why;
    }
}

TEST(CTransferFunction, FindPointNeedsLessThanDistanceFive)
{
    TfFixture f;
    EXPECT_EQ(f.tf.FindPoint(127 + 3, 127 + 4), kNoPoint);
    EXPECT_EQ(f.tf.FindPoint(127 + 3, 127 + 3), 1);
    EXPECT_EQ(f.tf.FindPoint(0, 4), 0);
    EXPECT_EQ(f.tf.FindPoint(60, 60), kNoPoint);
}

TEST(CTransferFunction, StretchFollowsTheOccupiedBins)
{
    struct Case {
        int from, to; // occupied display bins, inclusive; from > to for none
        Points want;
        const char* why;
    };
    const Case cases[] = {
        {10, 200, {{0, 0}, {10, 0}, {200, 255}, {255, 255}}, "bins 10..200"},
        {0, 255, {{0, 0}, {255, 255}}, "whole range"},
        {0, 0, {{0, 0}, {1, 255}, {255, 255}}, "only bin 0: the ramp's top steps right"},
        {100, 100, {{0, 0}, {100, 0}, {101, 255}, {255, 255}}, "one bin: no two points on one x"},
        {254, 254, {{0, 0}, {254, 0}, {255, 255}}, "bin 254: no room to step"},
        {255, 255, {{0, 0}, {255, 0}}, "only bin 255"},
        {1, 0, {{0, 0}, {255, 0}}, "empty histogram"},
    };
    for (const Case& c : cases) {
        TfFixture f;
        f.tf.m_bLinked = false;
        std::memset(f.volume.m_histogram.m_display, 0, 256);
        for (int i = c.from; i <= c.to; ++i)
            f.volume.m_histogram.m_display[i] = 7;
        f.tf.Stretch();
        EXPECT_EQ(f.tf.m_aPoints[0], c.want) << c.why;
        EXPECT_EQ(f.Entry(0, 0), 0) << c.why;
    }
}

namespace {
// An 8-bit volume of 64 voxels with the given values in turn, and its histogram.
std::unique_ptr<CVolume> VolumeOf(const std::vector<std::uint16_t>& values)
{
    auto v = std::make_unique<CVolume>(4, 4, 4, 8);
    for (int i = 0; i < 64; ++i)
        v->SetVoxel(i % 4, i / 4 % 4, i / 16, values[std::size_t(i) % values.size()]);
    ComputeHistogram(*v, v->m_histogram);
    return v;
}
} // namespace

// Trim, crop and downsample attach the renderer to a new volume and delete
// the old one: the presets must read the new volume's histogram (run under
// AddressSanitizer, a stale one is a use after free). The points stay.
TEST(CTransferFunction, PresetsFollowTheAttachedVolume)
{
    auto first = VolumeOf({10, 120, 200});
    auto second = VolumeOf({50, 60, 60, 60});
    std::uint8_t firstLut[256], secondLut[256];
    EqualiseLUT(firstLut, first->m_histogram);
    EqualiseLUT(secondLut, second->m_histogram);
    ASSERT_NE(std::vector<int>(firstLut, firstLut + 256), std::vector<int>(secondLut, secondLut + 256));

    CMeshRenderer renderer(first.get(), nullptr, 10, 10);
    CTransferFunction& tf = *renderer.m_pTransferFunction;
    tf.m_bLinked = false;
    tf.m_nCurrent = 3;
    tf.MakeNegative();
    renderer.AttachModel(second.get());
    first.reset();
    EXPECT_EQ(tf.m_aPoints[3], (Points{{0, 255}, {127, 127}, {255, 0}})) << "points kept";

    tf.Stretch();
    EXPECT_EQ(tf.m_aPoints[3], (Points{{0, 0}, {50, 0}, {60, 255}, {255, 255}}));
    tf.m_nCurrent = 1;
    tf.Equalise();
    ASSERT_EQ(tf.m_aPoints[1].size(), 256u);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(tf.m_aPoints[1][i], (TfPoint{i, secondLut[i]})) << i;

    // A mesh has no histogram: the presets leave the points alone.
    CMesh mesh;
    renderer.AttachModel(&mesh);
    second.reset();
    const Points before = tf.m_aPoints[1];
    tf.Stretch();
    tf.Equalise();
    EXPECT_EQ(tf.m_aPoints[1], before);
}

TEST(CTransferFunction, LinkedModeCopiesRedToGreenAndBlue)
{
    TfFixture f;
    f.tf.m_aPoints[3] = {{0, 255}, {255, 0}};
    f.tf.BuildChannel(3, true);
    const std::vector<int> alpha = f.Column(3);
    int x = 100, y = 10;
    f.tf.MovePoint(1, x, y);
    EXPECT_EQ(f.tf.m_aPoints[0], (Points{{0, 0}, {100, 10}, {255, 255}}));
    for (int c : {1, 2}) {
        EXPECT_EQ(f.tf.m_aPoints[c], f.tf.m_aPoints[0]);
        EXPECT_EQ(f.Column(c), f.Column(0));
    }
    EXPECT_NE(f.Column(0), Identity());
    EXPECT_EQ(f.Column(3), alpha);
}

TEST(CTransferFunction, SplineArraysFollowALinkedCopy)
{
    TfFixture f;
    f.tf.m_bLinked = false;
    f.tf.m_aPoints[0] = {{0, 0}, {40, 200}, {90, 30}, {170, 220}, {255, 255}};
    f.tf.BuildChannel(0, true);
    f.tf.LinkChannels();
    // A build without re-allocation on the copied list must fit it.
    f.tf.BuildChannel(1, false);
    EXPECT_EQ(f.tf.m_spline[1].x.size(), 5u);
    EXPECT_EQ(f.Column(1), f.Column(0));
}

TEST(CTransferFunction, ColumnsOfBrokenPointListsStayInsideTheTable)
{
    struct Case {
        Points pts;
        const char* why;
    };
    const Case cases[] = {
        {{}, "no point"},
        {{{40, 100}}, "one point"},
        {{{0, 0}, {0, 255}, {255, 255}}, "equal x at the start"},
        {{{0, 0}, {100, 50}, {100, 60}, {255, 255}}, "equal x in the middle"},
        {{{255, 0}, {0, 255}}, "falling x"},
        {{{-1000, 0}, {5000, 2000000000}}, "far outside the table"},
        {{{-2147483647 - 1, -5}, {2147483647, 2147483647}}, "extreme values"},
    };
    for (const Case& c : cases)
        for (std::uint8_t spline : {0, 1}) {
            TfFixture f;
            f.renderer.m_pRgbaTable->fill(77);
            f.tf.m_bSpline = spline;
            f.tf.m_aPoints[2] = c.pts;
            f.tf.BuildChannel(2, spline == 1 && c.pts.size() % 2 == 0);
            for (int ch : {0, 1, 3})
                EXPECT_EQ(f.Column(ch), std::vector<int>(256, 77)) << c.why << " spline " << int(spline);
            if (c.pts.size() < 2) {
                EXPECT_EQ(f.Column(2), std::vector<int>(256, 77)) << c.why << " writes nothing";
            }
        }
}

TEST(CTransferFunction, SaveAndLoadRoundTrip)
{
    TempDir dir;
    TfFixture a;
    a.tf.m_bSpline = 0;
    a.tf.m_aPoints[0] = {{0, 5}, {80, 90}, {255, 250}};
    a.tf.m_aPoints[1] = {{0, 0}, {255, 0}};
    a.tf.m_aPoints[2] = {{0, 255}, {30, 31}, {31, 32}, {255, 1}};
    a.tf.m_aPoints[3] = {{0, 0}, {255, 255}};
    for (int c = 0; c < 4; ++c)
        a.tf.BuildChannel(c, true);
    const std::string path = dir.File("curve.tfn");
    ASSERT_TRUE(a.tf.Save(path));
    EXPECT_EQ(TempDir::Read(path), TfnBytes(0, {{0, 5, 80, 90, 255, 250},
                                               {0, 0, 255, 0},
                                               {0, 255, 30, 31, 31, 32, 255, 1},
                                               {0, 0, 255, 255}}));
    EXPECT_EQ(dir.FilesStartingWith("."), std::vector<std::string>{});

    TfFixture b;
    b.tf.m_nCurrent = 2;
    ASSERT_TRUE(b.tf.Load(path));
    EXPECT_EQ(b.tf.m_bSpline, 0);
    EXPECT_EQ(b.tf.m_nCurrent, 2);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(b.tf.m_aPoints[c], a.tf.m_aPoints[c]);
        EXPECT_EQ(b.Column(c), a.Column(c));
    }
}

TEST(CTransferFunction, LoadChangesNothingUnlessTheFileIsWhole)
{
    TempDir dir;
    const std::vector<std::int32_t> ramp = {0, 0, 255, 255};
    const std::string whole = TfnBytes(0, {ramp, ramp, ramp, ramp});
    struct Case {
        std::string bytes;
        bool ok;
        const char* why;
    };
    const Case cases[] = {
        {"", false, "empty file"},
        {whole.substr(0, whole.size() - 1), false, "last point cut short"},
        {whole.substr(0, 1 + 4 + 16 + 2), false, "second count cut short"},
        {std::string(1, '\0') + Int32(-1) + whole.substr(5), false, "negative count"},
        {std::string(1, '\0') + Int32(0x10000000) + whole.substr(5), false, "count beyond the file"},
        {whole + "trailing", true, "bytes after the last channel are ignored"},
        {TfnBytes(1, {{}, {}, {}, {}}), true, "zero counts are allowed"},
    };
    for (const Case& c : cases) {
        TfFixture f;
        const auto before = f.tf.m_aPoints[0];
        ASSERT_EQ(f.tf.Load(dir.Write("c.tfn", c.bytes)), c.ok) << c.why;
        if (!c.ok) {
            EXPECT_EQ(f.tf.m_bSpline, 1) << c.why;
            for (int ch = 0; ch < 4; ++ch)
                EXPECT_EQ(f.tf.m_aPoints[ch], before) << c.why;
            EXPECT_EQ(f.Column(0), Identity()) << c.why;
        }
    }
    TfFixture f;
    EXPECT_FALSE(f.tf.Load(dir.File("missing.tfn")));
}

TEST(CTransferFunction, FailedSaveKeepsTheOldFile)
{
    TempDir dir;
    const std::string path = dir.Write("keep.tfn", "old contents");
    TfFixture f;
    FaultInjection::ArmWriteBudget(10);
    EXPECT_FALSE(f.tf.Save(path));
    FaultInjection::Disarm();
    EXPECT_EQ(TempDir::Read(path), "old contents");
    EXPECT_EQ(dir.FilesStartingWith("."), std::vector<std::string>{});
    EXPECT_FALSE(f.tf.Save(dir.File("no/such/folder.tfn")));
}
