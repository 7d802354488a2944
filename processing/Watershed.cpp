#include "processing/Watershed.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "data/Volume.h"
#include "processing/SliceImage.h"

namespace {

// Gradient kernels, entry i weighting the voxel at neighbour offset i.
constexpr int kKernelX[26] = {6, -6, 0, 0, 3, -3, 3, -3, 0, 3, -3, 0, 0, 1, -1, 1, -1, 0, 3, -3, 0, 0, 1, -1, 1, -1};
constexpr int kKernelY[26] = {0, 0, 6, -6, 3, 3, -3, -3, 0, 0, 0, 3, -3, 1, 1, -1, -1, 0, 0, 0, 3, -3, 1, 1, -1, -1};
constexpr int kKernelZ[26] = {0, 0, 0, 0, 0, 0, 0, 0, -6, -3, -3, -3, -3, -1, -1, -1, -1, 6, 3, 3, 3, 3, 1, 1, 1, 1};
constexpr double kGradientDivisor = 20.0;

std::uint8_t GradientFromSquares(std::int32_t s)
{
    if (s == 0)
        return 0;
    const double g = std::sqrt(double(s)) / kGradientDivisor;
    return g > 255.0 ? 255 : std::uint8_t(g + 0.5);
}

// Seed coordinates truncate toward zero; one that does not fit an int is
// outside every volume.
bool SeedIndex(float v, int& out)
{
    if (!(std::fabs(v) < 2.0e9f))
        return false;
    out = int(v);
    return true;
}

// Weight of a neighbour that is off-centre along `a` and `b` axes (each -1,
// 0 or 1) in the smoothing across the kernel's own axis: 6, 3 or 1.
constexpr int kCross[3][3] = {{1, 3, 1}, {3, 6, 3}, {1, 3, 1}};

// The gradient of one run of voxels of row (y, z), x from x0 to x0 + n - 1,
// written as sums over the 3 x 3 x 3 block; the same values as GradientAt.
template <int N>
void GradientRun(const std::uint8_t* src, int w, int plane, int x0, std::int32_t* sq)
{
    std::int32_t gx[N] = {}, gy[N] = {}, gz[N] = {};
    for (int dz = -1; dz <= 1; ++dz)
        for (int dy = -1; dy <= 1; ++dy) {
            const std::uint8_t* r = src + dz * plane + dy * w + x0;
            const int wx = kCross[dz + 1][dy + 1];
            for (int i = 0; i < N; ++i)
                gx[i] += wx * (int(r[i + 1]) - int(r[i - 1]));
        }
    for (int dz = -1; dz <= 1; ++dz)
        for (int dx = -1; dx <= 1; ++dx) {
            const std::uint8_t* up = src + dz * plane + w + x0 + dx;
            const std::uint8_t* dn = src + dz * plane - w + x0 + dx;
            const int wy = kCross[dz + 1][dx + 1];
            for (int i = 0; i < N; ++i)
                gy[i] += wy * (int(up[i]) - int(dn[i]));
        }
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const std::uint8_t* back = src - plane + dy * w + x0 + dx;
            const std::uint8_t* front = src + plane + dy * w + x0 + dx;
            const int wz = kCross[dy + 1][dx + 1];
            for (int i = 0; i < N; ++i)
                gz[i] += wz * (int(back[i]) - int(front[i]));
        }
    for (int i = 0; i < N; ++i)
        sq[i] = gx[i] * gx[i] + gy[i] * gy[i] + gz[i] * gz[i];
}

} // namespace

CWatershed::CWatershed(CVolume* volume) : m_pVolume(volume)
{
    if (volume) {
        m_nDimX = volume->m_nDimX;
        m_nDimY = volume->m_nDimY;
        m_nDimZ = volume->m_nDimZ;
    }
}

CWatershed::~CWatershed()
{
    FreeWork();
}

std::int32_t CWatershed::InteriorCount() const
{
    if (m_nEndX < m_nStartX || m_nEndY < m_nStartY || m_nEndZ < m_nStartZ)
        return 0;
    return (m_nEndX - m_nStartX + 1) * (m_nEndY - m_nStartY + 1) * (m_nEndZ - m_nStartZ + 1);
}

bool CWatershed::Segment3D(bool invert, bool keepValues)
{
    if (!m_pVolume || m_pVolume->m_nBits != 8)
        return false;
    CVolume& vol = *m_pVolume;
    m_nDimX = vol.m_nDimX;
    m_nDimY = vol.m_nDimY;
    m_nDimZ = vol.m_nDimZ;
    // Without an interior nothing can be flooded, and writing back the bare
    // seeds would wipe the volume (a single DICOM slice, for instance).
    const VolumeSize size = ComputeVolumeSize(m_nDimX, m_nDimY, m_nDimZ, 8);
    if (!size.ok || m_nDimX < 3 || m_nDimY < 3 || m_nDimZ < 3)
        return false;
    m_nWidth = m_nDimX;
    m_nHeight = m_nDimY;
    m_nDepth = m_nDimZ;
    m_nStartX = m_nStartY = m_nStartZ = 1;
    m_nEndX = m_nWidth - 2;
    m_nEndY = m_nHeight - 2;
    m_nEndZ = m_nDepth - 2;
    m_b3D = true;
    m_nCount = std::uint32_t(size.voxels);

    std::uint8_t* data = vol.LockData();
    if (!data)
        return false;
    m_pSource = data;
    m_pOwnedLabels = std::make_unique_for_overwrite<std::uint8_t[]>(m_nCount);
    m_pLabels = m_pOwnedLabels.get();

    const bool ok = Flood();
    FreeWork();

    // A failed flood leaves only the seeds labelled; writing that back would
    // destroy the volume for nothing.
    if (ok) {
        auto* rgb = dynamic_cast<CRgbVolume*>(&vol);
        std::uint8_t* colour = rgb && rgb->m_pColour ? rgb->m_pColour.get() : nullptr;
        for (std::uint32_t i = 0; i < m_nCount; ++i) {
            const bool object = (m_pLabels[i] == kObject) != invert;
            const std::uint8_t v = object ? (keepValues ? data[i] : 127) : 0;
            data[i] = v;
            if (colour)
                std::memset(colour + 3 * std::size_t(i), v, 3);
        }
    }

    m_pOwnedLabels.reset();
    m_pLabels = nullptr;
    m_pSource = nullptr;
    vol.UnlockData();
    return ok;
}

bool CWatershed::Segment2D(CSliceImage* image, int axis, int slice)
{
    if (!image)
        return false;
    m_nAxis = axis;
    m_nSlice = slice;
    m_pImage = image;
    m_nWidth = image->m_nWidth;
    m_nHeight = image->m_nHeight;
    m_nDepth = 1;
    m_b3D = false;
    m_nStartX = 1;
    m_nStartY = 1;
    m_nStartZ = 0;
    m_nEndX = m_nWidth - 2;
    m_nEndY = m_nHeight - 2;
    m_nEndZ = 0;
    m_nCount = std::uint32_t(image->m_nSize);
    m_pSource = image->m_pPixels.get();
    m_pLabels = image->m_pLabels.get();

    const bool ok = Flood();
    image->BuildContours();
    FreeWork();
    m_pLabels = nullptr;
    m_pSource = nullptr;
    m_pGradient = nullptr;
    return ok;
}

bool CWatershed::Flood()
{
    m_nPlaneSize = m_nWidth * m_nHeight;
    std::memset(m_pLabels, kUnreached, m_nCount);
    if (!PlaceSeeds())
        return false;
    AllocateWork();
    InitNeighbours();
    if (m_b3D) {
        MarkBorder();
        ComputeGradient();
    } else {
        if (!m_pImage->m_pGradient)
            m_pImage->ComputeGradient();
        m_pGradient = m_pImage->m_pGradient.get();
    }
    SortLevels();
    if (m_b3D)
        FloodLevels<26>();
    else
        FloodLevels<8>();
    ResolveDividingLines();
    return true;
}

bool CWatershed::PlaceSeeds()
{
    if (!m_pVolume)
        return false;
    bool object = false;
    bool background = false;
    auto place = [&](const SeedPoint& p, std::uint8_t label) {
        int x, y, z;
        return SeedIndex(p.x, x) && SeedIndex(p.y, y) && SeedIndex(p.z, z) && SetSeed(label, x, y, z);
    };
    for (const SeedPoint& p : m_pVolume->m_aInPoints)
        object = place(p, kObject) || object;
    for (const SeedPoint& p : m_pVolume->m_aOutPoints)
        background = place(p, kBackground) || background;
    return object && background;
}

bool CWatershed::SetSeed(std::uint8_t label, int x, int y, int z)
{
    if (m_b3D) {
        // Seeds persist in the volume across crops and downsampling.
        if (x < 0 || y < 0 || z < 0 || x >= m_nWidth || y >= m_nHeight || z >= m_nDepth)
            return false;
        m_pLabels[x + std::size_t(m_nWidth) * (y + std::size_t(m_nHeight) * z)] = label;
        return true;
    }
    int column, row;
    switch (m_nAxis) {
    case 0:
        if (x != m_nSlice)
            return false;
        column = z;
        row = y;
        break;
    case 1:
        if (y != m_nSlice)
            return false;
        column = x;
        row = z;
        break;
    case 2:
        if (z != m_nSlice)
            return false;
        column = x;
        row = y;
        break;
    default:
        return false;
    }
    if (column < 0 || row < 0 || column >= m_nWidth || row >= m_nHeight)
        return false;
    m_pLabels[column + std::size_t(m_nWidth) * row] = label;
    return true;
}

void CWatershed::AllocateWork()
{
    if (m_b3D) {
        m_pOwnedGradient = std::make_unique<std::uint8_t[]>(m_nCount);
        m_pGradient = m_pOwnedGradient.get();
    }
    m_pCells = std::make_unique_for_overwrite<std::uint16_t[]>(m_nCount);
    // Only interior cells are sorted; nothing reads past them.
    m_pSorted = std::make_unique_for_overwrite<std::int32_t[]>(std::size_t(std::max(InteriorCount(), 1)));
    m_pStack.items = std::make_unique_for_overwrite<std::int32_t[]>(m_nCount);
    m_pStack.capacity = std::int32_t(m_nCount);
    m_pStack.count = 0;
    m_pQueue.items = std::make_unique_for_overwrite<std::int32_t[]>(m_nCount);
    m_pQueue.capacity = std::int32_t(m_nCount);
    m_pQueue.count = m_pQueue.read = m_pQueue.write = 0;
    std::fill(std::begin(m_anLevelStart), std::end(m_anLevelStart), 0);
}

void CWatershed::InitNeighbours()
{
    const std::int32_t w = m_nWidth;
    const std::int32_t p = m_nPlaneSize;
    const std::int32_t offsets[26] = {1,      -1,         w,          -w,         w + 1,      w - 1,      -w + 1,
                                      -w - 1, p,          p + 1,      p - 1,      p + w,      p - w,      p + w + 1,
                                      p + w - 1, p - w + 1, p - w - 1, -p,        -p + 1,     -p - 1,     -p + w,
                                      -p - w, -p + w + 1, -p + w - 1, -p - w + 1, -p - w - 1};
    std::copy(std::begin(offsets), std::end(offsets), m_anOffset);
    m_nNeighbours = m_b3D ? 26 : 8;
}

void CWatershed::MarkBorder()
{
    const std::size_t w = std::size_t(m_nWidth);
    const std::size_t plane = std::size_t(m_nPlaneSize);
    std::uint8_t* g = m_pGradient;
    std::memset(g, 255, plane);
    std::memset(g + plane * std::size_t(m_nDepth - 1), 255, plane);
    for (int z = 1; z < m_nDepth - 1; ++z) {
        std::uint8_t* pl = g + plane * std::size_t(z);
        std::memset(pl, 255, w);
        std::memset(pl + w * std::size_t(m_nHeight - 1), 255, w);
        for (int y = 1; y < m_nHeight - 1; ++y) {
            pl[w * std::size_t(y)] = 255;
            pl[w * std::size_t(y) + w - 1] = 255;
        }
    }
}

void CWatershed::ComputeGradient()
{
    constexpr int kRun = 16;
    const int w = m_nWidth;
    const int plane = m_nPlaneSize;
    const int inner = m_nEndX - m_nStartX + 1;
    std::int32_t sq[kRun];
    for (int z = m_nStartZ; z <= m_nEndZ; ++z)
        for (int y = m_nStartY; y <= m_nEndY; ++y) {
            const std::size_t row = std::size_t(z) * plane + std::size_t(y) * w;
            if (inner < kRun) {
                for (int x = m_nStartX; x <= m_nEndX; ++x)
                    m_pGradient[row + x] = GradientAt(std::int32_t(row + x));
                continue;
            }
            // Fixed-length runs; the last one overlaps its predecessor.
            for (int x0 = m_nStartX;; x0 += kRun) {
                x0 = std::min(x0, m_nEndX - kRun + 1);
                GradientRun<kRun>(m_pSource + row + x0, w, plane, 0, sq);
                for (int i = 0; i < kRun; ++i)
                    m_pGradient[row + x0 + i] = GradientFromSquares(sq[i]);
                if (x0 + kRun > m_nEndX)
                    break;
            }
        }
}

std::uint8_t CWatershed::GradientAt(int cell) const
{
    const std::uint8_t* src = m_pSource + cell;
    std::int32_t gx = 0, gy = 0, gz = 0;
    for (int i = 0; i < 26; ++i) {
        const int v = src[m_anOffset[i]];
        gx += kKernelX[i] * v;
        gy += kKernelY[i] * v;
        gz += kKernelZ[i] * v;
    }
    return GradientFromSquares(gx * gx + gy * gy + gz * gz);
}

void CWatershed::CountLevels()
{
    std::int32_t* count = m_anLevelStart;
    std::fill(count, count + 256, 0);
    for (int z = m_nStartZ; z <= m_nEndZ; ++z)
        for (int y = m_nStartY; y <= m_nEndY; ++y) {
            const std::uint8_t* g = m_pGradient + std::size_t(z) * m_nPlaneSize + std::size_t(y) * m_nWidth;
            for (int x = m_nStartX; x <= m_nEndX; ++x)
                ++count[g[x]];
        }
    m_nMinLevel = 0;
    while (m_nMinLevel < 255 && count[m_nMinLevel] == 0)
        ++m_nMinLevel;
    m_nMaxLevel = 255;
    if (m_nMinLevel < 255)
        while (m_nMaxLevel > m_nMinLevel && count[m_nMaxLevel] == 0)
            --m_nMaxLevel;
    std::int32_t sum = 0;
    for (int h = 0; h < 256; ++h) {
        const std::int32_t c = count[h];
        count[h] = sum;
        sum += c;
    }
}

void CWatershed::SortLevels()
{
    CountLevels();
    std::int32_t next[256];
    std::copy(std::begin(m_anLevelStart), std::end(m_anLevelStart), next);
    std::int32_t* sorted = m_pSorted.get();
    for (int z = m_nStartZ; z <= m_nEndZ; ++z)
        for (int y = m_nStartY; y <= m_nEndY; ++y) {
            const std::int32_t row = z * m_nPlaneSize + y * m_nWidth;
            const std::uint8_t* g = m_pGradient + row;
            for (int x = m_nStartX; x <= m_nEndX; ++x)
                sorted[next[g[x]]++] = row + x;
        }
}

template <int N>
void CWatershed::FloodLevels()
{
    // Label in the low byte, flood distance in the high byte: one load per
    // neighbour instead of two, on arrays far larger than the caches.
    std::uint16_t* const cell = m_pCells.get();
    for (std::uint32_t i = 0; i < m_nCount; ++i)
        cell[i] = m_pLabels[i];
    const std::int32_t* const sorted = m_pSorted.get();
    std::int32_t off[N];
    std::copy(m_anOffset, m_anOffset + N, off);
    const std::int32_t total = InteriorCount();
    Queue& queue = m_pQueue;
    Stack& stack = m_pStack;

    // The flood front of a wide plateau jumps across the volume, so nearly
    // every neighbourhood read misses the caches; fetching the rows of the
    // cell some items ahead hides most of that latency.
    constexpr int kRows = N == 26 ? 9 : 3;
    constexpr int kAhead = 12;
    std::int32_t rows[9];
    {
        const std::int32_t w = m_nWidth, pl = m_nPlaneSize;
        const std::int32_t all[9] = {-1, -1 + w, -1 - w, -1 + pl, -1 - pl, -1 + pl + w, -1 + pl - w, -1 - pl + w, -1 - pl - w};
        std::copy(all, all + kRows, rows);
    }
    auto prefetch = [&](std::int32_t c) {
        for (int r = 0; r < kRows; ++r)
            __builtin_prefetch(cell + c + rows[r], 1);
    };

    for (int h = m_nMinLevel; h <= m_nMaxLevel; ++h) {
        const std::int32_t begin = m_anLevelStart[h];
        const std::int32_t end = h < 255 ? m_anLevelStart[h + 1] : total;
        for (std::int32_t i = begin; i < end; ++i) {
            const std::int32_t p = sorted[i];
            if (i + kAhead < end)
                prefetch(sorted[i + kAhead]);
            if (cell[p] != kUnreached)
                continue;
            cell[p] = kMask;
            for (int k = 0; k < N; ++k)
                if (std::uint8_t(cell[p + off[k]]) < kLabelled) {
                    cell[p] = kMask | (1 << 8);
                    queue.Push(p);
                    break;
                }
        }

        queue.Push(kFictitious);
        int current = 1;
        for (;;) {
            std::int32_t p = queue.Pop();
            if (p == kFictitious) {
                if (queue.count == 0)
                    break;
                queue.Push(kFictitious);
                ++current;
                p = queue.Pop();
            }
            if (queue.count > kAhead) {
                std::int32_t at = queue.read + kAhead;
                if (at >= queue.capacity)
                    at -= queue.capacity;
                if (queue.items[at] != kFictitious)
                    prefetch(queue.items[at]);
            }
            stack.Push(p);
            bool noConflict = true;
            std::uint8_t lp = std::uint8_t(cell[p]);
            for (int k = 0; k < N; ++k) {
                const std::int32_t q = p + off[k];
                const std::uint16_t s = cell[q];
                const std::uint8_t lq = std::uint8_t(s);
                if (lq < kLabelled) {
                    if ((s >> 8) >= current)
                        continue;
                    if (lq != kDividing) {
                        if (lp == kMask || (lp == kDividing && noConflict)) {
                            lp = lq;
                        } else if (lp != lq) {
                            lp = kDividing;
                            noConflict = false;
                        }
                    } else if (lp == kMask) {
                        lp = kDividing;
                    }
                } else if (s == kMask) {
                    // Masked at distance 0. The distance is one byte: on
                    // plateaus wider than 254 cells it wraps, and a cell is
                    // still queued only while masked at distance 0, so the
                    // flood ends.
                    cell[q] = std::uint16_t(kMask | (std::uint8_t(current + 1) << 8));
                    queue.Push(q);
                }
            }
            cell[p] = std::uint16_t((cell[p] & 0xFF00) | lp);
        }
        while (stack.count > 0)
            cell[stack.Pop()] &= 0xFF;
    }
    for (std::uint32_t i = 0; i < m_nCount; ++i)
        m_pLabels[i] = std::uint8_t(cell[i]);
}

void CWatershed::ResolveDividingLines()
{
    Stack& stack = m_pStack;
    stack.count = 0;
    for (std::uint32_t i = 0; i < m_nCount; ++i)
        if (m_pLabels[i] == kDividing)
            stack.Push(std::int32_t(i));
    const int n = m_nNeighbours;
    while (stack.count > 0) {
        const std::int32_t p = stack.Pop();
        int best = 300;
        std::uint8_t chosen = kDividing;
        for (int k = 0; k < n; ++k) {
            const std::int32_t q = p + m_anOffset[k];
            if (m_pLabels[q] != kDividing && m_pGradient[q] < best) {
                best = m_pGradient[q];
                chosen = m_pLabels[q];
            }
        }
        m_pLabels[p] = chosen;
    }
}

void CWatershed::FreeWork()
{
    m_pCells.reset();
    m_pSorted.reset();
    m_pStack = Stack{};
    m_pQueue = Queue{};
    if (m_b3D) {
        m_pOwnedGradient.reset();
        m_pGradient = nullptr;
    }
}
