#include <cstring>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "VolumeFixtures.h"
#include "data/AppSettings.h"
#include "data/PlaneView.h"
#include "data/Volume.h"
#include "support/TempDir.h"

namespace {
// Low and high bytes differ, so a flip that moves single bytes shows.
std::uint16_t Wide(int x, int y, int z) { return std::uint16_t(1 + x * 1000 + y * 10 + z) * 7; }

std::uint16_t Value(int x, int y, int z, int bits) { return bits == 16 ? Wide(x, y, z) : Pattern(x, y, z, 8); }

std::unique_ptr<CVolume> MakeFilled(int dx, int dy, int dz, int bits)
{
    auto vol = std::make_unique<CVolume>(dx, dy, dz, bits);
    for (int z = 0; z < dz; ++z)
        for (int y = 0; y < dy; ++y)
            for (int x = 0; x < dx; ++x)
                vol->SetVoxel(x, y, z, Value(x, y, z, bits));
    return vol;
}

// Colour bytes unlike the grey voxel and unlike each other.
void PaintColours(CRgbVolume& v)
{
    for (int i = 0; i < v.m_nColourBytes; ++i)
        v.m_pColour[i] = std::uint8_t(i * 5 + 1);
}

const std::uint8_t* ColourAt(const CRgbVolume& v, int x, int y, int z)
{
    return &v.m_pColour[3 * (x + (std::size_t(y) + std::size_t(z) * v.m_nDimY) * v.m_nDimX)];
}

class MinAlphaScope {
public:
    explicit MinAlphaScope(float value) : m_old(CAppSettings::GetInstance()->m_fMinAlpha)
    {
        CAppSettings::GetInstance()->m_fMinAlpha = value;
    }
    ~MinAlphaScope() { CAppSettings::GetInstance()->m_fMinAlpha = m_old; }

private:
    float m_old;
};

void Flip(CVolume& v, int axis)
{
    if (axis == 0)
        v.FlipX();
    else if (axis == 1)
        v.FlipY();
    else
        v.FlipZ();
}
} // namespace

TEST(VolumeFlip, MirrorsWholeVoxelsAlongEachAxis)
{
    TempDir tmp;
    const int d[3] = {3, 4, 5}; // odd and even lengths
    for (int bits : {8, 16})
        for (int axis = 0; axis < 3; ++axis) {
            SCOPED_TRACE(testing::Message() << bits << " bits, axis " << axis);
            auto vol = MakeFilled(d[0], d[1], d[2], bits);
            Flip(*vol, axis);
            for (int z = 0; z < d[2]; ++z)
                for (int y = 0; y < d[1]; ++y)
                    for (int x = 0; x < d[0]; ++x) {
                        int p[3] = {x, y, z};
                        p[axis] = d[axis] - 1 - p[axis];
                        ASSERT_EQ(vol->GetVoxel(x, y, z), Value(p[0], p[1], p[2], bits)) << x << y << z;
                    }
            Flip(*vol, axis);
            for (int z = 0; z < d[2]; ++z)
                for (int y = 0; y < d[1]; ++y)
                    for (int x = 0; x < d[0]; ++x)
                        ASSERT_EQ(vol->GetVoxel(x, y, z), Value(x, y, z, bits));
        }
}

TEST(VolumeFlip, RebuildsPlaneViewsKeepsHistogram)
{
    TempDir tmp;
    StatusRecorder status;
    auto vol = MakeFilled(3, 4, 5, 16);
    vol->BuildHistogram();
    vol->BuildDiskCache();
    const CHistogram before = vol->m_histogram;
    status.owner.statuses.clear();
    vol->FlipX();
    EXPECT_EQ(std::memcmp(&before, &vol->m_histogram, sizeof before), 0);
    EXPECT_EQ(vol->m_pData, nullptr); // swapped out again
    EXPECT_EQ(vol->m_nLockCount, 0);
    std::uint8_t plane[20];
    ASSERT_TRUE(vol->ReadPlaneView(0, 0, plane));
    EXPECT_EQ(plane[3 * 4 + 2], PlaneGrey(Wide(2, 2, 3)));
    EXPECT_EQ(status.owner.ShownTexts(),
              (std::vector<std::string>{"Inverting ...", "Extracting planar views ...", "Building disk cache ..."}));
    EXPECT_FALSE(status.owner.statuses.back().show);
}

TEST(VolumeFlip, MirrorsTheColourBlockInTriples)
{
    TempDir tmp;
    for (int axis = 0; axis < 3; ++axis) {
        SCOPED_TRACE(axis);
        CRgbVolume vol(3, 4, 5);
        PaintColours(vol);
        CRgbVolume ref(3, 4, 5);
        PaintColours(ref);
        Flip(vol, axis);
        const int d[3] = {3, 4, 5};
        for (int z = 0; z < 5; ++z)
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 3; ++x) {
                    int p[3] = {x, y, z};
                    p[axis] = d[axis] - 1 - p[axis];
                    ASSERT_EQ(std::memcmp(ColourAt(vol, x, y, z), ColourAt(ref, p[0], p[1], p[2]), 3), 0);
                }
    }
}

TEST(VolumeDownsample, AveragesTwoByTwoBlocks)
{
    TempDir tmp;
    StatusRecorder status;
    MinAlphaScope alpha(0.0f);
    CVolume src(5, 4, 3, 8);
    src.SetVoxelSize(1.5f, 2.0f, 3.0f);
    const std::uint8_t block[4] = {1, 2, 3, 4}; // (2x, 2y), (2x+1, 2y), (2x, 2y+1), (2x+1, 2y+1)
    for (int i = 0; i < 4; ++i)
        src.SetVoxel(i % 2, i / 2, 0, block[i]);
    src.SetVoxel(3, 3, 1, 1); // 0, 0, 0, 1
    src.SetVoxel(4, 0, 2, 200); // odd last column: dropped
    for (int y = 0; y < 2; ++y)
        for (int x = 2; x < 4; ++x)
            src.SetVoxel(x, y, 2, 255);
    status.owner.statuses.clear();
    std::unique_ptr<CVolume> v = src.Downsample();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->m_nDimX, 2);
    EXPECT_EQ(v->m_nDimY, 2);
    EXPECT_EQ(v->m_nDimZ, 3);
    EXPECT_EQ(v->m_nBits, 8);
    EXPECT_FLOAT_EQ(v->m_fScaleX, 3.0f);
    EXPECT_FLOAT_EQ(v->m_fScaleY, 4.0f);
    EXPECT_FLOAT_EQ(v->m_fScaleZ, 3.0f);
    EXPECT_FLOAT_EQ(v->m_fHalfX, 3.0f);
    EXPECT_EQ(v->GetVoxel(0, 0, 0), 3);
    EXPECT_EQ(v->GetVoxel(1, 1, 1), 0);
    EXPECT_EQ(v->GetVoxel(1, 0, 2), 255);
    EXPECT_EQ(v->GetVoxel(0, 0, 2), 0);
    EXPECT_EQ(v->m_histogram.m_nTotal, 12);
    EXPECT_EQ(v->m_histogram.m_nMax, 255);
    EXPECT_TRUE(v->HasSwapFile());
    EXPECT_EQ(v->GetInfo().rfind("\r\nDimensions 2x2x3", 0), 0u);
    EXPECT_EQ(src.m_nDimX, 5); // source unchanged
    EXPECT_EQ(src.GetVoxel(4, 0, 2), 200);
    EXPECT_EQ(status.owner.ShownTexts(), (std::vector<std::string>{"Downsampling ...", "Building histogram ...",
                                                                   "Extracting planar views ...",
                                                                   "Building disk cache ..."}));
}

TEST(VolumeDownsample, SixteenBitRoundingAndThreshold)
{
    TempDir tmp;
    MinAlphaScope alpha(0.05f); // cutoff 3276 on the result
    struct Row {
        std::uint16_t v[4];
        std::uint16_t want;
    };
    const Row rows[] = {
        {{65535, 65535, 65535, 65535}, 65535}, // no overflow
        {{10000, 10001, 10001, 10001}, 10001}, // 40003/4 = 10000.75
        {{10000, 10000, 10000, 10002}, 10001}, // 10000.5 rounds up
        {{4000, 4000, 4000, 1}, 0},            // 3000 is under the threshold
    };
    for (const Row& r : rows) {
        CVolume src(2, 2, 1, 16);
        for (int i = 0; i < 4; ++i)
            src.SetVoxel(i % 2, i / 2, 0, r.v[i]);
        auto v = src.Downsample();
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->GetVoxel(0, 0, 0), r.want) << r.v[0];
    }
}

TEST(VolumeDownsample, KeepsAveragedColour)
{
    TempDir tmp;
    MinAlphaScope alpha(0.0f);
    CRgbVolume src(4, 2, 1);
    PaintColours(src);
    auto v = src.Downsample();
    ASSERT_NE(v, nullptr);
    auto* rgb = dynamic_cast<CRgbVolume*>(v.get());
    ASSERT_NE(rgb, nullptr);
    EXPECT_TRUE(rgb->m_bRgb);
    ASSERT_EQ(rgb->m_nColourBytes, 6);
    for (int x = 0; x < 2; ++x)
        for (int c = 0; c < 3; ++c) {
            const int sum = ColourAt(src, 2 * x, 0, 0)[c] + ColourAt(src, 2 * x + 1, 0, 0)[c] +
                            ColourAt(src, 2 * x, 1, 0)[c] + ColourAt(src, 2 * x + 1, 1, 0)[c];
            EXPECT_EQ(ColourAt(*rgb, x, 0, 0)[c], (sum + 2) / 4) << x << c;
        }
}

TEST(VolumeDownsample, ZeroAxisGivesNothing)
{
    TempDir tmp;
    const int shapes[][3] = {{1, 4, 3}, {4, 1, 3}};
    for (const auto& s : shapes) {
        CVolume src(s[0], s[1], s[2], 8);
        EXPECT_EQ(src.Downsample(), nullptr);
        EXPECT_EQ(src.m_nLockCount, 0);
    }
    CVolume empty;
    EXPECT_EQ(empty.Downsample(), nullptr);
    EXPECT_TRUE(tmp.FilesStartingWith("~vx").empty());
}

TEST(VolumeCrop, OrdersClampsAndCopies)
{
    TempDir tmp;
    MinAlphaScope alpha(0.0f);
    struct Row {
        const char* name;
        int box[6];    // as passed
        int range[6];  // x0, x1, y0, y1, z0, z1 after ordering and clamping
        bool swapped;  // source swapped out
    };
    const Row rows[] = {
        {"ordered and clamped", {7, 2, -5, 1, 0, 100}, {2, 7, 0, 1, 0, 9}, false},
        {"same from the swap file", {7, 2, -5, 1, 0, 100}, {2, 7, 0, 1, 0, 9}, true},
        {"full rows from the swap file", {0, 9, 3, 8, 9, 2}, {0, 9, 3, 8, 2, 9}, true},
        {"single voxel", {4, 4, 5, 5, 6, 6}, {4, 4, 5, 5, 6, 6}, true},
        {"whole volume", {-1, 10, -1, 10, -1, 10}, {0, 9, 0, 9, 0, 9}, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        auto src = MakeFilled(10, 10, 10, 16);
        src->SetVoxelSize(0.5f, 1.5f, 2.0f);
        if (r.swapped) {
            src->BuildDiskCache();
            ASSERT_EQ(src->m_pData, nullptr);
        }
        auto v = src->Crop(r.box[0], r.box[1], r.box[2], r.box[3], r.box[4], r.box[5]);
        ASSERT_NE(v, nullptr);
        if (r.swapped) {
            EXPECT_EQ(src->m_pData, nullptr) << "the source is never loaded";
            EXPECT_EQ(src->m_nLockCount, 0);
        }
        EXPECT_EQ(v->m_nDimX, r.range[1] - r.range[0] + 1);
        EXPECT_EQ(v->m_nDimY, r.range[3] - r.range[2] + 1);
        EXPECT_EQ(v->m_nDimZ, r.range[5] - r.range[4] + 1);
        EXPECT_EQ(v->m_fScaleY, 1.5f);
        EXPECT_FLOAT_EQ(v->m_fHalfZ, v->m_nDimZ * 2.0f / 2);
        for (int z = 0; z < v->m_nDimZ; ++z)
            for (int y = 0; y < v->m_nDimY; ++y)
                for (int x = 0; x < v->m_nDimX; ++x)
                    ASSERT_EQ(v->GetVoxel(x, y, z), Wide(x + r.range[0], y + r.range[2], z + r.range[4]));
        EXPECT_TRUE(v->HasSwapFile());
        EXPECT_EQ(v->m_histogram.m_nTotal, v->m_nVoxels);
    }
}

TEST(VolumeCrop, BoxOutsideTheVolumeGivesNothing)
{
    TempDir tmp;
    auto src = MakeFilled(10, 10, 10, 8);
    const int boxes[][6] = {
        {12, 15, 0, 9, 0, 9}, {0, 9, -5, -1, 0, 9}, {0, 9, 0, 9, 10, 10}, {-3, -8, 0, 9, 0, 9},
    };
    for (const auto& b : boxes)
        EXPECT_EQ(src->Crop(b[0], b[1], b[2], b[3], b[4], b[5]), nullptr);
    CVolume empty;
    EXPECT_EQ(empty.Crop(0, 0, 0, 0, 0, 0), nullptr);
    EXPECT_TRUE(tmp.FilesStartingWith("~vx").empty());
}

TEST(VolumeCrop, KeepsCroppedColour)
{
    TempDir tmp;
    MinAlphaScope alpha(0.0f);
    CRgbVolume src(4, 3, 2);
    PaintColours(src);
    src.BuildDiskCache(); // the colour block stays in memory
    auto v = src.Crop(1, 2, 1, 2, 1, 1);
    ASSERT_NE(v, nullptr);
    auto* rgb = dynamic_cast<CRgbVolume*>(v.get());
    ASSERT_NE(rgb, nullptr);
    ASSERT_EQ(rgb->m_nColourBytes, 2 * 2 * 1 * 3);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(std::memcmp(ColourAt(*rgb, x, y, 0), ColourAt(src, x + 1, y + 1, 1), 3), 0) << x << y;
}
