#pragma once
#include <cstdint>

// The voxel pass of the histogram build: bin counts and the raw value range
// of a run of voxels. The vector path gives exactly the portable path's
// result; it exists only for speed.
enum class CountPath { Portable, Avx2 };

struct VoxelCounts {
    std::uint32_t counts[256] = {};
    std::uint16_t min = 0, max = 0;
};

// Whether this processor can run `path` (Portable always).
bool CountPathSupported(CountPath path);
// The fastest path this processor supports, chosen once.
CountPath BestCountPath();

// An 8-bit voxel v falls in bin v, a 16-bit one in bin (255v + 32768) >> 16.
// With n == 0 the result is all zero. An unsupported path runs the portable one.
void CountVoxels8(const std::uint8_t* v, std::int64_t n, VoxelCounts& out, CountPath path = BestCountPath());
void CountVoxels16(const std::uint16_t* v, std::int64_t n, VoxelCounts& out, CountPath path = BestCountPath());
