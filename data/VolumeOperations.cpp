#include <algorithm>
#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "data/MessageLog.h"
#include "data/Volume.h"

namespace {
// A voxel or colour triple moved as one unit.
template <int N> struct Unit {
    std::uint8_t b[N];
};

// Mirrors a block of dx*dy*dz units of N bytes along `axis` in place.
// Reversing each line of the axis is the same as swapping whole rows (y) or
// slabs (z) end for end, which keeps the copies contiguous.
template <int N> void MirrorBlock(std::uint8_t* data, int dx, int dy, int dz, int axis)
{
    const std::size_t row = std::size_t(dx) * N, slab = row * std::size_t(dy);
    if (axis == 0) {
        for (std::int64_t r = 0; r < std::int64_t(dy) * dz; ++r) {
            auto* line = reinterpret_cast<Unit<N>*>(data + r * row);
            std::reverse(line, line + dx);
        }
    } else if (axis == 1) {
        for (int z = 0; z < dz; ++z)
            for (int y = 0; y < dy / 2; ++y)
                std::swap_ranges(data + z * slab + y * row, data + z * slab + (y + 1) * row,
                                 data + z * slab + (dy - 1 - y) * row);
    } else {
        for (int z = 0; z < dz / 2; ++z)
            std::swap_ranges(data + z * slab, data + (z + 1) * slab, data + (dz - 1 - z) * slab);
    }
}

// The colour block of an RGB volume when it is present and whole.
std::uint8_t* ColourOf(CVolume& v)
{
    auto* rgb = dynamic_cast<CRgbVolume*>(&v);
    if (!rgb || !rgb->m_pColour || std::int64_t(rgb->m_nColourBytes) != 3 * std::int64_t(v.m_nVoxels))
        return nullptr;
    return rgb->m_pColour.get();
}

// A new volume for Downsample and Crop: plain (no description), or an RGB
// volume with its colour block when the source has one.
std::unique_ptr<CVolume> NewLike(CVolume& source, int x, int y, int z)
{
    std::unique_ptr<CVolume> v;
    if (ColourOf(source)) {
        auto rgb = std::make_unique<CRgbVolume>(x, y, z);
        if (!rgb->m_pColour)
            return nullptr;
        v = std::move(rgb);
    } else {
        v = std::make_unique<CVolume>(x, y, z, source.m_nBits);
    }
    if (!v->m_pData)
        return nullptr;
    return v;
}

// trunc((a + b + c + d) * 0.25 + 0.5) of each 2x2 block of the source lines
// r0 and r1 (n units of N channels of type T each).
template <class T, int N> void AverageLines(const T* r0, const T* r1, int n, T* out)
{
    for (int x = 0; x < n; ++x)
        for (int c = 0; c < N; ++c) {
            const unsigned sum = unsigned(r0[(2 * x) * N + c]) + r0[(2 * x + 1) * N + c] + r1[(2 * x) * N + c] +
                                 r1[(2 * x + 1) * N + c];
            out[x * N + c] = T((sum + 2) >> 2);
        }
}

template <class T, int N> void DownsampleBlock(const std::uint8_t* src, int dx, int dy, int nx, int ny, int nz,
                                               std::uint8_t* dst)
{
    const auto* s = reinterpret_cast<const T*>(src);
    auto* d = reinterpret_cast<T*>(dst);
    for (int z = 0; z < nz; ++z)
        for (int y = 0; y < ny; ++y) {
            const T* r0 = s + ((std::int64_t(z) * dy + 2 * y) * dx) * N;
            AverageLines<T, N>(r0, r0 + std::int64_t(dx) * N, nx, d + ((std::int64_t(z) * ny + y) * nx) * N);
        }
}

// Lowest and highest value of a row of n >= 1 voxels, sixteen bytes at a time
// where SSE2 is there (the compiler leaves this reduction scalar at -O2).
template <class T> void RowRange(const T* row, int n, T& lo, T& hi)
{
    int x = 0;
    T l = row[0], h = row[0];
#ifdef __SSE2__
    constexpr int kLanes = 16 / int(sizeof(T));
    if (n >= kLanes) {
        // Unsigned 16-bit order as signed order after flipping the top bit.
        const __m128i flip = sizeof(T) == 2 ? _mm_set1_epi16(std::int16_t(0x8000)) : _mm_setzero_si128();
        __m128i vl = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row)), flip), vh = vl;
        for (; x + kLanes <= n; x += kLanes) {
            const __m128i v = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x)), flip);
            if constexpr (sizeof(T) == 1) {
                vl = _mm_min_epu8(vl, v);
                vh = _mm_max_epu8(vh, v);
            } else {
                vl = _mm_min_epi16(vl, v);
                vh = _mm_max_epi16(vh, v);
            }
        }
        alignas(16) T bl[kLanes], bh[kLanes];
        _mm_store_si128(reinterpret_cast<__m128i*>(bl), _mm_xor_si128(vl, flip));
        _mm_store_si128(reinterpret_cast<__m128i*>(bh), _mm_xor_si128(vh, flip));
        for (int k = 0; k < kLanes; ++k) {
            l = std::min(l, bl[k]);
            h = std::max(h, bh[k]);
        }
    }
#endif
    for (; x < n; ++x) {
        l = std::min(l, row[x]);
        h = std::max(h, row[x]);
    }
    lo = l;
    hi = h;
}

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
            T rlo, rhi;
            RowRange(row, dx, rlo, rhi);
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

void CVolume::FlipX() { Flip(0); }
void CVolume::FlipY() { Flip(1); }
void CVolume::FlipZ() { Flip(2); }

void CVolume::Flip(int axis)
{
    CMessageLog::ShowStatus("Inverting ...", true);
    std::uint8_t* data = LockData();
    if (!data) {
        CMessageLog::ShowStatus(nullptr, false);
        return;
    }
    if (m_nBytesPerVoxel == 2)
        MirrorBlock<2>(data, m_nDimX, m_nDimY, m_nDimZ, axis);
    else
        MirrorBlock<1>(data, m_nDimX, m_nDimY, m_nDimZ, axis);
    if (std::uint8_t* colour = ColourOf(*this))
        MirrorBlock<3>(colour, m_nDimX, m_nDimY, m_nDimZ, axis);
    BuildDiskCache();
    UnlockData();
    CMessageLog::ShowStatus(nullptr, false);
}

std::unique_ptr<CVolume> CVolume::Downsample()
{
    CMessageLog::ShowStatus("Downsampling ...", true);
    const int nx = m_nDimX / 2, ny = m_nDimY / 2, nz = m_nDimZ;
    std::uint8_t* data = nx > 0 && ny > 0 && nz > 0 ? LockData() : nullptr;
    std::unique_ptr<CVolume> v = data ? NewLike(*this, nx, ny, nz) : nullptr;
    if (v) {
        v->SetVoxelSize(2 * m_fScaleX, 2 * m_fScaleY, m_fScaleZ);
        if (m_nBytesPerVoxel == 2)
            DownsampleBlock<std::uint16_t, 1>(data, m_nDimX, m_nDimY, nx, ny, nz, v->m_pData.get());
        else
            DownsampleBlock<std::uint8_t, 1>(data, m_nDimX, m_nDimY, nx, ny, nz, v->m_pData.get());
        if (std::uint8_t* colour = ColourOf(*this))
            DownsampleBlock<std::uint8_t, 3>(colour, m_nDimX, m_nDimY, nx, ny, nz, ColourOf(*v));
    }
    if (data)
        UnlockData();
    CMessageLog::ShowStatus(nullptr, false);
    if (!v)
        return nullptr;
    v->BuildHistogram();
    v->BuildDiskCache();
    return v;
}

std::unique_ptr<CVolume> CVolume::Crop(int x0, int x1, int y0, int y1, int z0, int z1)
{
    int lo[3] = {x0, y0, z0}, hi[3] = {x1, y1, z1};
    const int dims[3] = {m_nDimX, m_nDimY, m_nDimZ};
    for (int a = 0; a < 3; ++a) {
        if (lo[a] > hi[a])
            std::swap(lo[a], hi[a]);
        lo[a] = std::max(lo[a], 0);
        hi[a] = std::min(hi[a], dims[a] - 1);
        // A box that misses the volume on an axis has nothing to keep.
        if (lo[a] > hi[a])
            return nullptr;
    }
    if (!m_pData && !HasSwapFile())
        return nullptr;
    const int nx = hi[0] - lo[0] + 1, ny = hi[1] - lo[1] + 1, nz = hi[2] - lo[2] + 1;
    std::unique_ptr<CVolume> v = NewLike(*this, nx, ny, nz);
    if (!v)
        return nullptr;
    v->SetVoxelSize(m_fScaleX, m_fScaleY, m_fScaleZ);
    // Whole runs of voxels, from memory or from the swap file without
    // loading the source; full-width rows of one z are a single run.
    const std::size_t rowBytes = std::size_t(nx) * std::size_t(m_nBytesPerVoxel);
    const bool fullRows = nx == m_nDimX;
    for (int z = 0; z < nz; ++z)
        for (int y = 0; y < ny; y += fullRows ? ny : 1) {
            const int rows = fullRows ? ny : 1;
            std::uint8_t* out = v->m_pData.get() + (std::size_t(z) * ny + y) * rowBytes;
            if (!ReadVoxels(lo[0], lo[1] + y, lo[2] + z, std::int64_t(nx) * rows, out))
                std::memset(out, 0, rowBytes * rows);
        }
    if (const std::uint8_t* colour = ColourOf(*this)) {
        std::uint8_t* out = ColourOf(*v);
        for (int z = 0; z < nz; ++z)
            for (int y = 0; y < ny; ++y) {
                const std::size_t from = lo[0] + (std::size_t(lo[1] + y) + std::size_t(lo[2] + z) * m_nDimY) * m_nDimX;
                std::memcpy(out + (std::size_t(z) * ny + y) * nx * 3, colour + from * 3, std::size_t(nx) * 3);
            }
    }
    v->BuildHistogram();
    v->BuildDiskCache();
    return v;
}
