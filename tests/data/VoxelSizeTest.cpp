#include <cmath>
#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "data/VoxelSize.h"

// An axis of n voxels takes voxel sizes up to 10000 / n, rounded down where
// a float cannot hold it, so that n of them never pass 10000.
TEST(VoxelSize, BoundKeepsTheAxisWithinTheLongestVolume)
{
    struct Case {
        std::int64_t voxels;
        float bound;
    };
    const Case exact[] = {{1, 10000.0f}, {8, 1250.0f}, {128, 78.125f}, {512, 19.53125f}, {0, 10000.0f}, {-3, 10000.0f}};
    for (const Case& c : exact)
        EXPECT_EQ(MaxVoxelSize(c.voxels), c.bound) << c.voxels;
    for (std::int64_t voxels : {3, 7, 181, 2048, 100000, 2000000000}) {
        const double bound = MaxVoxelSize(voxels);
        EXPECT_LE(bound * double(voxels), kMaxVolumeExtent) << voxels;
        EXPECT_GT(double(std::nextafter(float(bound), 1e30f)) * double(voxels), kMaxVolumeExtent) << voxels;
    }
}

TEST(VoxelSize, UsableSizesAreFinitePositiveAndWithinTheBound)
{
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double size;
        std::int64_t voxels;
        bool usable;
    };
    const Case cases[] = {
        {0.33, 2048, true}, {1250.0, 8, true},  {1250.001, 8, false}, {1e38, 1, false}, {3e38, 512, false},
        {0.0, 8, false},    {-0.5, 8, false},   {nan, 8, false},      {inf, 8, false},  {1e-30, 8, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UsableVoxelSize(c.size, c.voxels), c.usable) << c.size << " x " << c.voxels;
}

// Sizes worked out from any voxel size stay within 32 bits.
TEST(VoxelSize, TruncationHoldsAnyValueWithin32Bits)
{
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    constexpr std::int32_t lo = std::numeric_limits<std::int32_t>::min(), hi = std::numeric_limits<std::int32_t>::max();
    struct Case {
        double v;
        std::int32_t expected;
    };
    const Case cases[] = {{2.9, 2},        {-2.9, -2},       {1e38 * 1280.0, hi}, {-1e38, lo}, {inf, hi},
                          {-inf, lo},      {nan, 0},         {2147483647.9, hi},  {-2147483648.5, lo},
                          {100000.0, 100000}};
    for (const Case& c : cases)
        EXPECT_EQ(TruncToInt32(c.v), c.expected) << c.v;
}
