#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "data/VoxelCount.h"

namespace {
std::uint32_t Hash(std::uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

// The plain loop every path must agree with.
VoxelCounts Reference(const std::vector<std::uint16_t>& v, int bits)
{
    VoxelCounts r;
    if (v.empty())
        return r;
    r.min = r.max = v[0];
    for (std::uint16_t x : v) {
        ++r.counts[bits == 8 ? x : (std::uint32_t(x) * 255u + 32768u) >> 16];
        r.min = std::min(r.min, x);
        r.max = std::max(r.max, x);
    }
    return r;
}

struct Case {
    std::string name;
    int bits;
    std::int64_t n;
    std::function<std::uint16_t(std::int64_t)> value;
};

std::vector<Case> Cases()
{
    const auto random16 = [](std::int64_t i) { return std::uint16_t(Hash(std::uint32_t(i))); };
    const auto random8 = [](std::int64_t i) { return std::uint16_t(Hash(std::uint32_t(i)) & 255); };
    std::vector<Case> cases;
    for (std::int64_t n : {1, 7, 63, 64, 65, 127, 128, 129, 191, 1000, 4133}) {
        cases.push_back({"random", 16, n, random16});
        cases.push_back({"random", 8, n, random8});
    }
    for (std::uint16_t c : {0, 128, 129, 32768, 65535}) {
        cases.push_back({"one value " + std::to_string(c), 16, 300, [c](std::int64_t) { return c; }});
        cases.push_back({"one value " + std::to_string(c & 255), 8, 300, [c](std::int64_t) { return c & 255; }});
    }
    cases.push_back({"0 and 65535 alternating", 16, 257, [](std::int64_t i) { return i % 2 ? 65535 : 0; }});
    cases.push_back({"0 and 255 alternating", 8, 257, [](std::int64_t i) { return i % 2 ? 255 : 0; }});
    // One bin (1 is 129..385) but many raw values: the range must still be raw.
    cases.push_back({"one bin, many values", 16, 640, [](std::int64_t i) { return std::uint16_t(129 + (i * 37) % 257); }});
    cases.push_back({"bins 0 and 1 at the edge", 16, 640, [](std::int64_t i) { return i % 3 ? 128 : 129; }});
    // Blocks of one value broken by a single voxel, at every position of a
    // block and in the tail.
    cases.push_back({"one odd voxel per block", 16, 64 * 70 + 5,
                     [](std::int64_t i) { return std::uint16_t(i % 65 == 0 ? 65535 - (i % 4096) : 4000); }});
    cases.push_back({"one odd voxel per block", 8, 64 * 70 + 5,
                     [](std::int64_t i) { return std::uint16_t(i % 65 == 0 ? 255 - (i % 200) : 17); }});
    // A lone minimum and maximum at every position of a block, so that each
    // vector lane has to carry the range once.
    for (int p = 0; p < 64; ++p) {
        const std::int64_t lo = 64 + p, hi = 64 + (p * 5 + 3) % 64;
        cases.push_back({"lone extremes at " + std::to_string(p), 16, 130,
                         [=](std::int64_t i) { return i == lo ? 1000 : i == hi ? 60000 : 30000; }});
        cases.push_back({"lone extremes at " + std::to_string(p), 8, 130,
                         [=](std::int64_t i) { return i == lo ? 10 : i == hi ? 250 : 100; }});
    }
    // The extremes only in the tail, past the last full block.
    cases.push_back({"extremes in the tail", 16, 64 * 3 + 2,
                     [](std::int64_t i) { return i == 192 ? 0 : i == 193 ? 65535 : 30000; }});
    cases.push_back({"extremes in the tail", 8, 64 * 3 + 2,
                     [](std::int64_t i) { return i == 192 ? 0 : i == 193 ? 255 : 99; }});
    // Every 16-bit value once, scrambled: every bin boundary on every path.
    cases.push_back({"every value", 16, 65536, [](std::int64_t i) { return std::uint16_t(i * 40503); }});
    // Thresholded CT-like runs: zeros, then tissue with noise, then bone.
    cases.push_back({"ct runs", 16, 5000, [](std::int64_t i) {
                         const std::int64_t x = i % 500;
                         const int noise = int(Hash(std::uint32_t(i)) % 961) - 480;
                         return std::uint16_t(x < 100 ? 0 : x < 400 ? 16000 + noise : 26400 + noise);
                     }});
    // Halves of a block whose bins lie within a few of their first one's,
    // counted apart from the increments: the window at both ends of the bins,
    // its edges 4 below and 3 above the first bin, and a half that reaches 4
    // above and so must not count as narrow.
    const auto nearFirst = [](std::int64_t i) {
        const std::int64_t half = i / 32, k = i % 32;
        const int first = 100 + int(half % 5);
        if (k == 0)
            return first;
        if (half % 3 == 2 && k == 1 + (half * 7) % 31)
            return first + 4;
        const int offsets[] = {-4, 3, 0, 1, -1, 2, -2, -3};
        return first + offsets[Hash(std::uint32_t(i)) % 8];
    };
    for (int bits : {8, 16}) {
        // Bin b of 16 bits holds 257b exactly.
        const int scale = bits == 8 ? 1 : 257;
        const std::int64_t n = 64 * 9 + 13;
        cases.push_back({"narrow halves at the window edges", bits, n,
                         [=](std::int64_t i) { return std::uint16_t(nearFirst(i) * scale); }});
        cases.push_back({"narrow halves in the top bins", bits, n, [=](std::int64_t i) {
                             return std::uint16_t((255 - int(Hash(std::uint32_t(i)) % 4)) * scale);
                         }});
        cases.push_back({"narrow halves in the bottom bins", bits, n,
                         [=](std::int64_t i) { return std::uint16_t(int(Hash(std::uint32_t(i)) % 5) * scale); }});
        // A half that starts in the top bins and holds bins near 0: those
        // lie below the window, not in it.
        cases.push_back({"top and bottom bins in one half", bits, n, [=](std::int64_t i) {
                             const int h = int(Hash(std::uint32_t(i)) % 6);
                             return std::uint16_t((i % 32 == 0 ? 255 : h < 3 ? 255 - h : h - 3) * scale);
                         }});
    }
    // Raw values on both sides of a bin boundary, so that a narrow half spans
    // two bins by a single step of the value.
    cases.push_back({"narrow halves across a bin boundary", 16, 64 * 6,
                     [](std::int64_t i) { return std::uint16_t(40 * 257 + 128 + (Hash(std::uint32_t(i)) % 3)); }});
    return cases;
}
} // namespace

TEST(VoxelCount, EveryPathMatchesThePlainLoop)
{
    const CountPath paths[] = {CountPath::Portable, CountPath::Avx2};
    for (const Case& c : Cases()) {
        std::vector<std::uint16_t> values(std::size_t(c.n));
        for (std::int64_t i = 0; i < c.n; ++i)
            values[std::size_t(i)] = c.value(i);
        const VoxelCounts want = Reference(values, c.bits);
        std::vector<std::uint8_t> bytes(values.begin(), values.end());
        for (CountPath path : paths) {
            SCOPED_TRACE(testing::Message() << c.name << ", " << c.bits << " bits, " << c.n << " voxels, path "
                                            << int(path));
            VoxelCounts got;
            if (c.bits == 8)
                CountVoxels8(bytes.data(), c.n, got, path);
            else
                CountVoxels16(values.data(), c.n, got, path);
            for (int b = 0; b < 256; ++b)
                ASSERT_EQ(got.counts[b], want.counts[b]) << "bin " << b;
            EXPECT_EQ(got.min, want.min);
            EXPECT_EQ(got.max, want.max);
        }
    }
}

// The vector paths count the voxels before the first cache line boundary one
// by one: every start within a line, with the blocks, the tail or neither
// after it.
TEST(VoxelCount, EveryPathMatchesThePlainLoopFromAnyStartInACacheLine)
{
    const std::vector<std::string> names = {"random", "ct runs", "narrow halves at the window edges"};
    for (const Case& c : Cases()) {
        if (std::find(names.begin(), names.end(), c.name) == names.end() || (c.name == "random" && c.n < 127))
            continue;
        for (int offset = 0; offset < 64; ++offset) {
            // The vector's storage is aligned to at least 8 bytes, so 64 offsets
            // reach every start within a line, at both sizes.
            std::vector<std::uint16_t> values(std::size_t(offset + c.n));
            for (std::int64_t i = 0; i < c.n; ++i)
                values[std::size_t(offset + i)] = c.value(i);
            const std::vector<std::uint16_t> counted(values.begin() + offset, values.end());
            const VoxelCounts want = Reference(counted, c.bits);
            std::vector<std::uint8_t> bytes(values.begin(), values.end());
            for (CountPath path : {CountPath::Portable, CountPath::Avx2}) {
                SCOPED_TRACE(testing::Message() << c.name << ", " << c.bits << " bits, " << c.n << " voxels from "
                                                << offset << ", path " << int(path));
                VoxelCounts got;
                if (c.bits == 8)
                    CountVoxels8(bytes.data() + offset, c.n, got, path);
                else
                    CountVoxels16(values.data() + offset, c.n, got, path);
                for (int b = 0; b < 256; ++b)
                    ASSERT_EQ(got.counts[b], want.counts[b]) << "bin " << b;
                EXPECT_EQ(got.min, want.min);
                EXPECT_EQ(got.max, want.max);
            }
        }
    }
}

TEST(VoxelCount, NoVoxelsGiveAllZero)
{
    const std::uint16_t one = 7;
    for (CountPath path : {CountPath::Portable, CountPath::Avx2}) {
        VoxelCounts got;
        got.counts[3] = 5;
        got.min = 9;
        CountVoxels16(&one, 0, got, path);
        for (int b = 0; b < 256; ++b)
            ASSERT_EQ(got.counts[b], 0u);
        EXPECT_EQ(got.min, 0);
        EXPECT_EQ(got.max, 0);
    }
}
