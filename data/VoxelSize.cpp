#include "data/VoxelSize.h"

#include <algorithm>
#include <cmath>
#include <limits>

float MaxVoxelSize(std::int64_t voxels)
{
    const double exact = kMaxVolumeExtent / double(std::max<std::int64_t>(voxels, 1));
    // Rounded down, so that the bound itself keeps the extent.
    float bound = float(exact);
    if (double(bound) > exact)
        bound = std::nextafter(bound, 0.0f);
    return bound;
}

bool UsableVoxelSize(double size, std::int64_t voxels)
{
    return std::isfinite(size) && size > 0.0 && size <= double(MaxVoxelSize(voxels));
}

std::int32_t TruncToInt32(double v)
{
    if (std::isnan(v))
        return 0;
    constexpr double lo = std::numeric_limits<std::int32_t>::min(), hi = std::numeric_limits<std::int32_t>::max();
    return std::int32_t(std::clamp(std::trunc(v), lo, hi));
}
