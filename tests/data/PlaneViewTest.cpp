#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "data/PlaneView.h"

namespace {
TEST(PlaneView, GreyOfEverySixteenBitValue)
{
    for (unsigned v = 0; v <= 65535u; ++v)
        ASSERT_EQ(PlaneGrey(std::uint16_t(v)), std::uint8_t((v + 128u) / 257u)) << v;
}

// Planes p0..p1-1 of one axis, element by element as the file layout says.
template <class T> std::vector<std::uint8_t> Reference(int axis, const std::vector<T>& v, int dx, int dy, int dz,
                                                       int p0, int p1)
{
    std::vector<std::uint8_t> out;
    auto at = [&](int x, int y, int z) { return PlaneGrey(v[x + (std::size_t(y) + std::size_t(z) * dy) * dx]); };
    for (int p = p0; p < p1; ++p) {
        if (axis == 0)
            for (int z = 0; z < dz; ++z)
                for (int y = 0; y < dy; ++y)
                    out.push_back(at(p, y, z));
        else if (axis == 1)
            for (int x = 0; x < dx; ++x)
                for (int z = 0; z < dz; ++z)
                    out.push_back(at(x, p, z));
        else
            for (int x = 0; x < dx; ++x)
                for (int y = 0; y < dy; ++y)
                    out.push_back(at(x, y, p));
    }
    return out;
}

template <class T> void CheckAllAxes(int dx, int dy, int dz)
{
    std::vector<T> v(std::size_t(dx) * dy * dz);
    std::uint32_t s = 7;
    for (T& t : v) {
        s = s * 1664525u + 1013904223u;
        t = T(s >> 16);
    }
    const int dims[3] = {dx, dy, dz};
    for (int axis = 0; axis < 3; ++axis) {
        // Whole axis, one plane, and a range starting off a tile boundary.
        const int ranges[3][2] = {{0, dims[axis]}, {dims[axis] - 1, dims[axis]}, {dims[axis] / 3, dims[axis]}};
        for (const auto& r : ranges) {
            const auto want = Reference(axis, v, dx, dy, dz, r[0], r[1]);
            std::vector<std::uint8_t> got(want.size(), 0xEE);
            ExtractPlanes(axis, v.data(), dx, dy, dz, r[0], r[1], got.data());
            EXPECT_TRUE(got == want) << "axis " << axis << " planes " << r[0] << ".." << r[1];
        }
    }
}

TEST(PlaneView, ExtractionMatchesTheLayoutForFullAndRaggedTiles)
{
    const int sizes[][3] = {{3, 4, 5}, {32, 32, 32}, {64, 40, 33}, {33, 70, 9}, {1, 65, 31}, {97, 1, 64}};
    for (const auto& d : sizes) {
        SCOPED_TRACE(testing::Message() << d[0] << "x" << d[1] << "x" << d[2]);
        CheckAllAxes<std::uint8_t>(d[0], d[1], d[2]);
        CheckAllAxes<std::uint16_t>(d[0], d[1], d[2]);
    }
}
} // namespace
