#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "data/Volume.h"

namespace {
struct Point {
    int x, y, z;
    std::uint16_t v;
};

std::unique_ptr<CVolume> MakeVolume(int dx, int dy, int dz, int bits, const std::vector<Point>& points)
{
    auto vol = std::make_unique<CVolume>(dx, dy, dz, bits);
    for (const Point& p : points)
        vol->SetVoxel(p.x, p.y, p.z, p.v);
    return vol;
}

void ExpectEmptyRanges(const VolumeStatistics& s)
{
    EXPECT_EQ(s.minX, -1);
    EXPECT_EQ(s.minY, -1);
    EXPECT_EQ(s.minZ, -1);
    EXPECT_EQ(s.maxX, -2);
    EXPECT_EQ(s.maxY, -2);
    EXPECT_EQ(s.maxZ, -2);
    EXPECT_EQ(s.sizeX, 0);
    EXPECT_EQ(s.sizeY, 0);
    EXPECT_EQ(s.sizeZ, 0);
    EXPECT_FALSE(s.trimmable);
}
} // namespace

TEST(VolumeStatistics, BoundingBoxOfNonZeroVoxels)
{
    struct Row {
        const char* name;
        int bits;
        std::vector<Point> points;
        int box[6]; // minX, maxX, minY, maxY, minZ, maxZ
        bool trimmable;
    };
    const Row rows[] = {
        {"single voxel", 8, {{2, 3, 1, 9}}, {2, 2, 3, 3, 1, 1}, true},
        // The second point lies in a later row but further left: the x range
        // must still widen to it.
        {"two rows", 8, {{3, 1, 0, 5}, {1, 4, 2, 6}}, {1, 3, 1, 4, 0, 2}, true},
        // Two opposite corners span the whole grid: nothing to trim.
        {"far corners 16-bit", 16, {{6, 5, 3, 1}, {0, 0, 0, 65535}}, {0, 6, 0, 5, 0, 3}, false},
        {"right edge only", 16, {{6, 2, 2, 300}}, {6, 6, 2, 2, 2, 2}, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        auto vol = MakeVolume(7, 6, 4, r.bits, r.points);
        VolumeStatistics s;
        vol->GetStatistics(s);
        EXPECT_EQ(s.bits, r.bits);
        EXPECT_EQ(s.dimX, 7);
        EXPECT_EQ(s.dimY, 6);
        EXPECT_EQ(s.dimZ, 4);
        EXPECT_EQ(s.minX, r.box[0]);
        EXPECT_EQ(s.maxX, r.box[1]);
        EXPECT_EQ(s.minY, r.box[2]);
        EXPECT_EQ(s.maxY, r.box[3]);
        EXPECT_EQ(s.minZ, r.box[4]);
        EXPECT_EQ(s.maxZ, r.box[5]);
        EXPECT_EQ(s.sizeX, r.box[1] - r.box[0] + 1);
        EXPECT_EQ(s.sizeY, r.box[3] - r.box[2] + 1);
        EXPECT_EQ(s.sizeZ, r.box[5] - r.box[4] + 1);
        EXPECT_EQ(s.trimmable, r.trimmable);
    }
}

TEST(VolumeStatistics, OneFilledXPlane)
{
    CVolume vol(10, 3, 2, 8);
    for (int z = 0; z < 2; ++z)
        for (int y = 0; y < 3; ++y)
            vol.SetVoxel(4, y, z, 1);
    VolumeStatistics s;
    vol.GetStatistics(s);
    EXPECT_EQ(s.minX, 4);
    EXPECT_EQ(s.maxX, 4);
    EXPECT_EQ(s.sizeX, 1);
    EXPECT_EQ(s.sizeY, 3);
    EXPECT_EQ(s.sizeZ, 2);
    EXPECT_TRUE(s.trimmable);
}

TEST(VolumeStatistics, TrimmableOnlyWithAZeroBorderPlane)
{
    // -1: no plane cleared; otherwise the border plane cleared:
    // 0 x=0, 1 x=last, 2 y=0, 3 y=last, 4 z=0, 5 z=last.
    for (int cleared = -1; cleared < 6; ++cleared) {
        SCOPED_TRACE(cleared);
        CVolume vol(4, 5, 3, 16);
        for (int z = 0; z < 3; ++z)
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 4; ++x) {
                    const bool onPlane = (cleared == 0 && x == 0) || (cleared == 1 && x == 3) ||
                                         (cleared == 2 && y == 0) || (cleared == 3 && y == 4) ||
                                         (cleared == 4 && z == 0) || (cleared == 5 && z == 2);
                    vol.SetVoxel(x, y, z, onPlane ? 0 : 1000);
                }
        VolumeStatistics s;
        vol.GetStatistics(s);
        EXPECT_EQ(s.trimmable, cleared >= 0);
        EXPECT_EQ(s.sizeX + s.sizeY + s.sizeZ, 4 + 5 + 3 - (cleared >= 0 ? 1 : 0));
    }
}

TEST(VolumeStatistics, ValueRangeIsRawAndIncludesZeros)
{
    struct Row {
        int bits;
        std::vector<Point> points;
        std::uint16_t lo, hi;
    };
    const Row rows[] = {
        {8, {{0, 0, 0, 200}, {1, 1, 1, 7}}, 0, 200},
        {16, {{0, 0, 0, 40000}, {1, 0, 0, 300}}, 0, 40000},
    };
    for (const Row& r : rows) {
        auto vol = MakeVolume(3, 2, 2, r.bits, r.points);
        VolumeStatistics s;
        vol->GetStatistics(s);
        EXPECT_EQ(s.minValue, r.lo);
        EXPECT_EQ(s.maxValue, r.hi);
    }
    // Without zeros the smallest value is the smallest voxel.
    CVolume full(2, 2, 1, 16);
    const std::uint16_t values[] = {700, 65535, 301, 9000};
    for (int i = 0; i < 4; ++i)
        full.SetVoxel(i % 2, i / 2, 0, values[i]);
    VolumeStatistics s;
    full.GetStatistics(s);
    EXPECT_EQ(s.minValue, 301);
    EXPECT_EQ(s.maxValue, 65535);
    EXPECT_FALSE(s.trimmable);
}

// Rows long enough to be scanned many voxels at a time, with the extremes at
// every place, in the tail and on both sides of 0x8000 for 16 bits.
TEST(VolumeStatistics, ValueRangeOfLongRows)
{
    struct Row {
        int bits;
        std::uint16_t fill, lo, hi;
    };
    const Row rows[] = {{8, 100, 1, 255}, {8, 128, 127, 129}, {16, 40000, 30000, 65535}, {16, 1000, 999, 33000}};
    for (const Row& r : rows)
        for (int width : {7, 8, 9, 15, 16, 17, 31, 33, 40}) {
            for (int at = 0; at < width; ++at) {
                CVolume vol(width, 2, 1, r.bits);
                for (int y = 0; y < 2; ++y)
                    for (int x = 0; x < width; ++x)
                        vol.SetVoxel(x, y, 0, r.fill);
                vol.SetVoxel(at, 1, 0, r.hi);
                vol.SetVoxel((at + 1) % width, 1, 0, r.lo);
                VolumeStatistics s;
                vol.GetStatistics(s);
                EXPECT_EQ(s.minValue, r.lo) << r.bits << " bits, width " << width << ", at " << at;
                EXPECT_EQ(s.maxValue, r.hi) << r.bits << " bits, width " << width << ", at " << at;
            }
        }
}

TEST(VolumeStatistics, AllZeroOrEmptyVolumeHasEmptyRanges)
{
    CVolume zero(5, 4, 3, 16);
    VolumeStatistics s;
    s.minX = 99; // a reused record is reset
    zero.GetStatistics(s);
    ExpectEmptyRanges(s);
    EXPECT_EQ(s.dimX, 5);
    EXPECT_EQ(s.minValue, 0);
    EXPECT_EQ(s.maxValue, 0);
    EXPECT_EQ(zero.m_nLockCount, 0);

    CVolume none;
    VolumeStatistics t;
    none.GetStatistics(t);
    ExpectEmptyRanges(t);
}
