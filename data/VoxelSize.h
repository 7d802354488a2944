#pragma once
#include <cstdint>

// How long a volume may be along one axis, in voxel-size units (millimetres):
// the scaling dialog shows and takes each axis' extent in tenths of a
// millimetre up to 100000. A voxel size that makes an axis longer is a fault
// of the data or a slip of the keyboard, and the views draw nothing of it.
inline constexpr double kMaxVolumeExtent = 10000.0;

// The largest voxel size that keeps `voxels` voxels within kMaxVolumeExtent
// (an axis of fewer than one voxel counts as one).
float MaxVoxelSize(std::int64_t voxels);

// Finite, above 0 and at most MaxVoxelSize(voxels).
bool UsableVoxelSize(double size, std::int64_t voxels);

// trunc(v) held within the 32-bit range, 0 for NaN: sizes and extents worked
// out from a voxel size, whatever the voxel size.
std::int32_t TruncToInt32(double v);
