#include <algorithm>
#include <cstdint>

#include "data/Volume.h"

namespace {
// One pass over the locked voxels: the value range and the bounding box of the
// non-zero voxels. Any non-zero voxel lies in the x range, so restricting the
// y and z searches to it (as the trim analysis describes) finds the same box.
template <class T> void ScanStatistics(const T* v, int dx, int dy, int dz, VolumeStatistics& s)
{
    T lo = v[0], hi = v[0];
    int minX = dx, maxX = -1, minY = dy, maxY = -1, minZ = dz, maxZ = -1;
    for (int z = 0; z < dz; ++z) {
        for (int y = 0; y < dy; ++y) {
            const T* row = v + (std::int64_t(z) * dy + y) * dx;
            T rlo = row[0], rhi = row[0];
            for (int x = 0; x < dx; ++x) {
                rlo = std::min(rlo, row[x]);
                rhi = std::max(rhi, row[x]);
            }
            lo = std::min(lo, rlo);
            hi = std::max(hi, rhi);
            if (rhi == 0)
                continue;
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
            minZ = std::min(minZ, z);
            maxZ = std::max(maxZ, z);
            // Only the stretches outside the box found so far can widen it.
            for (int x = 0; x < minX; ++x)
                if (row[x] != 0) {
                    minX = x;
                    break;
                }
            for (int x = dx - 1; x > maxX; --x)
                if (row[x] != 0) {
                    maxX = x;
                    break;
                }
        }
    }
    s.minValue = lo;
    s.maxValue = hi;
    if (maxX < 0)
        return; // no non-zero voxel: the record keeps its empty ranges
    s.minX = minX;
    s.maxX = maxX;
    s.minY = minY;
    s.maxY = maxY;
    s.minZ = minZ;
    s.maxZ = maxZ;
    s.sizeX = maxX - minX + 1;
    s.sizeY = maxY - minY + 1;
    s.sizeZ = maxZ - minZ + 1;
    s.trimmable = !(s.sizeX == dx && s.sizeY == dy && s.sizeZ == dz);
}
} // namespace

void CVolume::GetStatistics(VolumeStatistics& s)
{
    // Empty ranges (first -1, last -2, size 0) unless a non-zero voxel is
    // found, so loops from first to last visit nothing and trim never crops.
    s = VolumeStatistics();
    s.bits = m_nBits;
    s.dimX = m_nDimX;
    s.dimY = m_nDimY;
    s.dimZ = m_nDimZ;
    std::uint8_t* data = LockData();
    if (!data)
        return;
    if (m_nVoxels > 0) {
        if (m_nBytesPerVoxel == 2)
            ScanStatistics(reinterpret_cast<const std::uint16_t*>(data), m_nDimX, m_nDimY, m_nDimZ, s);
        else
            ScanStatistics(data, m_nDimX, m_nDimY, m_nDimZ, s);
    }
    UnlockData();
}
