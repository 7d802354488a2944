#include "processing/Watershed.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <bit>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "data/Volume.h"
#include "processing/SliceImage.h"

namespace {

// Gradient kernels, entry i weighting the voxel at neighbour offset i.
constexpr int kKernelX[26] = {6, -6, 0, 0, 3, -3, 3, -3, 0, 3, -3, 0, 0, 1, -1, 1, -1, 0, 3, -3, 0, 0, 1, -1, 1, -1};
constexpr int kKernelY[26] = {0, 0, 6, -6, 3, 3, -3, -3, 0, 0, 0, 3, -3, 1, 1, -1, -1, 0, 0, 0, 3, -3, 1, 1, -1, -1};
constexpr int kKernelZ[26] = {0, 0, 0, 0, 0, 0, 0, 0, -6, -3, -3, -3, -3, -1, -1, -1, -1, 6, 3, 3, 3, 3, 1, 1, 1, 1};
constexpr double kGradientDivisor = 20.0;

// Basin bits of a reached neighbour's label: object 1, background 2,
// dividing line 4; unlabelled cells (175 and up) none.
constexpr auto kBasinBit = [] {
    std::array<unsigned, 256> t{};
    t[CWatershed::kObject] = 1;
    t[CWatershed::kBackground] = 2;
    t[CWatershed::kDividing] = 4;
    return t;
}();

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

#if defined(__SSE2__)
// The gradient of eight voxels in a row (src points at the first), in 16-bit
// lanes: every kernel sum stays within 22 * 255. The rounding is that of
// GradientFromSquares, in double precision.
void GradientRun8(const std::uint8_t* src, int w, int plane, std::uint8_t* out)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i b[3][3][3]; // [dz + 1][dy + 1][dx + 1]
#pragma GCC unroll 3
    for (int dz = -1; dz <= 1; ++dz)
#pragma GCC unroll 3
        for (int dy = -1; dy <= 1; ++dy)
#pragma GCC unroll 3
            for (int dx = -1; dx <= 1; ++dx)
                b[dz + 1][dy + 1][dx + 1] = _mm_unpacklo_epi8(
                    _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + dz * plane + dy * w + dx)), zero);
    auto weight = [](int a, int c) { return a == 1 && c == 1 ? 6 : (a == 1 || c == 1 ? 3 : 1); };
    auto term = [](__m128i acc, int wgt, __m128i d) {
        return _mm_add_epi16(acc, wgt == 1 ? d : _mm_mullo_epi16(d, _mm_set1_epi16(std::int16_t(wgt))));
    };
    __m128i gx = zero, gy = zero, gz = zero;
#pragma GCC unroll 3
    for (int i = 0; i < 3; ++i)
#pragma GCC unroll 3
        for (int j = 0; j < 3; ++j) {
            gx = term(gx, weight(i, j), _mm_sub_epi16(b[i][j][2], b[i][j][0]));
            gy = term(gy, weight(i, j), _mm_sub_epi16(b[i][2][j], b[i][0][j]));
            gz = term(gz, weight(i, j), _mm_sub_epi16(b[0][i][j], b[2][i][j]));
        }
    const __m128d divisor = _mm_set1_pd(kGradientDivisor);
    const __m128d top = _mm_set1_pd(255.0);
    const __m128d half = _mm_set1_pd(0.5);
    __m128i q[2];
#pragma GCC unroll 2
    for (int h = 0; h < 2; ++h) {
        const __m128i xy = h ? _mm_unpackhi_epi16(gx, gy) : _mm_unpacklo_epi16(gx, gy);
        const __m128i z0 = h ? _mm_unpackhi_epi16(gz, zero) : _mm_unpacklo_epi16(gz, zero);
        const __m128i sq = _mm_add_epi32(_mm_madd_epi16(xy, xy), _mm_madd_epi16(z0, z0));
        __m128i r[2];
#pragma GCC unroll 2
        for (int k = 0; k < 2; ++k) {
            const __m128d g =
                _mm_div_pd(_mm_sqrt_pd(_mm_cvtepi32_pd(k ? _mm_srli_si128(sq, 8) : sq)), divisor);
            const __m128d rounded = _mm_add_pd(g, half);
            // Above 255 saturates; otherwise g + 0.5 truncated.
            const __m128d sat = _mm_cmpgt_pd(g, top);
            r[k] = _mm_cvttpd_epi32(_mm_or_pd(_mm_and_pd(sat, top), _mm_andnot_pd(sat, rounded)));
        }
        q[h] = _mm_unpacklo_epi64(r[0], r[1]);
    }
    const __m128i words = _mm_packs_epi32(q[0], q[1]);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(words, zero));
}
#endif

// Steps (dx, dy, dz) of the neighbours in their fixed order.
constexpr int kStepX[26] = {1, -1, 0, 0, 1, -1, 1, -1, 0, 1, -1, 0, 0, 1, -1, 1, -1, 0, 1, -1, 0, 0, 1, -1, 1, -1};
constexpr int kStepY[26] = {0, 0, 1, -1, 1, 1, -1, -1, 0, 0, 0, 1, -1, 1, 1, -1, -1, 0, 0, 0, 1, -1, 1, 1, -1, -1};
constexpr int kStepZ[26] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

#if defined(__SSE2__)
// The 3 x 3 x 3 block around a cell read as nine rows (dz, then dy) of four
// 16-bit lanes (dx = -1, 0, 1 and one spare), so that the 26 neighbours are
// classified with a few vector compares instead of 26 branches. Lane masks
// use bit 4 * row + lane.
struct Block26 {
    Block26(std::int32_t w, std::int32_t plane)
    {
        for (int dz = -1, j = 0; dz <= 1; ++dz)
            for (int dy = -1; dy <= 1; ++dy, ++j)
                rows[j] = dz * plane + dy * w - 1;
        for (int j = 0; j < 5; ++j) {
            alignas(16) std::int16_t lanes[8];
            for (int l = 0; l < 8; ++l)
                lanes[l] = std::int16_t((kNeighbours >> (8 * j + l)) & 1 ? -1 : 0);
            valid[j] = _mm_load_si128(reinterpret_cast<const __m128i*>(lanes));
        }
    }

    static constexpr int Bit(int dx, int dy, int dz) { return 4 * ((dz + 1) * 3 + (dy + 1)) + dx + 1; }
    // Lanes 0..2 of every row but the centre cell.
    static constexpr std::uint64_t kNeighbours = 0x777777777ull & ~(1ull << 17);

    // Unrolled at every optimisation level, so the lanes stay in registers
    // and the nine row loads go out together.
    void Load(const std::uint16_t* c)
    {
#pragma GCC unroll 4
        for (int j = 0; j < 4; ++j)
            v[j] = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(c + rows[2 * j])),
                                      _mm_loadl_epi64(reinterpret_cast<const __m128i*>(c + rows[2 * j + 1])));
        v[4] = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(c + rows[8]));
    }

    // Any neighbour labelled (below 175)?
    bool AnyLabelled() const
    {
        __m128i any = _mm_setzero_si128();
#pragma GCC unroll 5
        for (int j = 0; j < 5; ++j)
            any = _mm_or_si128(any, _mm_and_si128(valid[j], _mm_cmplt_epi16(_mm_and_si128(v[j], low), labelled)));
        return _mm_movemask_epi8(any) != 0;
    }

    // Basins among the neighbours reached before distance `current` (bits:
    // object 1, background 2, dividing line 4) and the lanes of the masked
    // neighbours at distance 0.
    unsigned Classify(int current, std::uint64_t& masked) const
    {
        // Stored distances are at most 255.
        const __m128i cur = _mm_set1_epi16(std::int16_t(std::min(current, 256)));
        __m128i obj = _mm_setzero_si128(), bg = obj, div = obj, m[5];
#pragma GCC unroll 5
        for (int j = 0; j < 5; ++j) {
            const __m128i lab = _mm_and_si128(v[j], low);
            const __m128i src = _mm_and_si128(
                valid[j], _mm_and_si128(_mm_cmplt_epi16(lab, labelled), _mm_cmplt_epi16(_mm_srli_epi16(v[j], 8), cur)));
            obj = _mm_or_si128(obj, _mm_and_si128(src, _mm_cmpeq_epi16(lab, object)));
            bg = _mm_or_si128(bg, _mm_and_si128(src, _mm_cmpeq_epi16(lab, background)));
            div = _mm_or_si128(div, _mm_and_si128(src, _mm_cmpeq_epi16(lab, _mm_setzero_si128())));
            m[j] = _mm_cmpeq_epi16(v[j], maskAtZero);
        }
        const std::uint64_t lo = unsigned(_mm_movemask_epi8(_mm_packs_epi16(m[0], m[1])));
        const std::uint64_t mid = unsigned(_mm_movemask_epi8(_mm_packs_epi16(m[2], m[3])));
        const std::uint64_t hi = unsigned(_mm_movemask_epi8(_mm_packs_epi16(m[4], _mm_setzero_si128())));
        masked = (lo | mid << 16 | hi << 32) & kNeighbours;
        return (_mm_movemask_epi8(obj) ? 1u : 0u) | (_mm_movemask_epi8(bg) ? 2u : 0u) |
               (_mm_movemask_epi8(div) ? 4u : 0u);
    }

    const __m128i low = _mm_set1_epi16(0xFF);
    const __m128i labelled = _mm_set1_epi16(CWatershed::kLabelled);
    const __m128i maskAtZero = _mm_set1_epi16(CWatershed::kMask);
    const __m128i object = _mm_set1_epi16(CWatershed::kObject);
    const __m128i background = _mm_set1_epi16(CWatershed::kBackground);
    __m128i valid[5];
    std::int32_t rows[9];
    __m128i v[5];
};

// Lane mask byte b of byte position i -> the same neighbours as bits in
// neighbour order, so pushes keep that order.
constexpr auto kLaneToNeighbour = [] {
    std::array<std::array<std::uint32_t, 256>, 5> t{};
    for (int k = 0; k < 26; ++k) {
        const int bit = Block26::Bit(kStepX[k], kStepY[k], kStepZ[k]);
        for (int b = 0; b < 256; ++b)
            if (b & (1 << (bit % 8)))
                t[std::size_t(bit / 8)][std::size_t(b)] |= 1u << k;
    }
    return t;
}();

std::uint32_t NeighbourOrder(std::uint64_t lanes)
{
    std::uint32_t m = 0;
#pragma GCC unroll 5
    for (std::size_t i = 0; i < 5; ++i)
        m |= kLaneToNeighbour[i][(lanes >> (8 * i)) & 0xFF];
    return m;
}
#endif

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
    m_pOwnedLabels = MakeLargeArray<std::uint8_t>(m_nCount);
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
    if (m_pQueue.overflowed)
        return false;
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
        // Every cell is written: the shell by MarkBorder, the rest by ComputeGradient.
        m_pOwnedGradient = MakeLargeArray<std::uint8_t>(m_nCount);
        m_pGradient = m_pOwnedGradient.get();
    }
    // The spare lane of a block's last row may read one cell past the end.
    m_pCells = MakeLargeArray<std::uint16_t>(std::size_t(m_nCount) + 4);
    // Only interior cells are sorted; nothing reads past them.
    m_pSorted = MakeLargeArray<std::int32_t>(std::size_t(std::max(InteriorCount(), 1)));
    m_pStack.items = MakeLargeArray<std::int32_t>(m_nCount);
    m_pStack.capacity = std::int32_t(m_nCount);
    m_pStack.count = 0;
    m_pQueue.items = MakeLargeArray<std::int32_t>(m_nCount);
    m_pQueue.capacity = std::int32_t(m_nCount);
    m_pQueue.count = m_pQueue.read = m_pQueue.write = 0;
    m_pQueue.overflowed = false;
    std::fill(std::begin(m_anLevelStart), std::end(m_anLevelStart), 0);
}

void CWatershed::InitNeighbours()
{
    for (int k = 0; k < 26; ++k)
        m_anOffset[k] = kStepX[k] + kStepY[k] * m_nWidth + kStepZ[k] * m_nPlaneSize;
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
    const int w = m_nWidth;
    const int plane = m_nPlaneSize;
    for (int z = m_nStartZ; z <= m_nEndZ; ++z)
        for (int y = m_nStartY; y <= m_nEndY; ++y) {
            const std::size_t row = std::size_t(z) * plane + std::size_t(y) * w;
            int x = m_nStartX;
#if defined(__SSE2__)
            // Runs of eight; the last one overlaps its predecessor.
            if (m_nEndX - m_nStartX + 1 >= 8) {
                for (;; x += 8) {
                    x = std::min(x, m_nEndX - 7);
                    GradientRun8(m_pSource + row + x, w, plane, m_pGradient + row + x);
                    if (x + 8 > m_nEndX)
                        break;
                }
                continue;
            }
#endif
            for (; x <= m_nEndX; ++x)
                m_pGradient[row + x] = GradientAt(std::int32_t(row + x));
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
    std::fill(cell + m_nCount, cell + m_nCount + 4, kUnreached);
    const std::int32_t* const sorted = m_pSorted.get();
    std::int32_t off[N];
    std::copy(m_anOffset, m_anOffset + N, off);
    const std::int32_t total = InteriorCount();
    Queue& queue = m_pQueue;
    Stack& stack = m_pStack;

    // The flood front of a wide plateau jumps across the volume, so nearly
    // every neighbourhood read misses the caches; fetching the rows of the
    // cell some items ahead hides part of that latency.
    constexpr int kRows = N == 26 ? 9 : 3;
    constexpr int kAhead = 12;
    std::int32_t rows[9];
    for (int j = 0, dz = N == 26 ? -1 : 0; dz <= (N == 26 ? 1 : 0); ++dz)
        for (int dy = -1; dy <= 1; ++dy, ++j)
            rows[j] = dz * m_nPlaneSize + dy * m_nWidth - 1;
    auto prefetch = [&](std::int32_t c) {
#pragma GCC unroll 9
        for (int r = 0; r < kRows; ++r)
            __builtin_prefetch(cell + c + rows[r], 1);
    };
#if defined(__SSE2__)
    constexpr bool kBlocks = N == 26;
    Block26 block(m_nWidth, m_nPlaneSize);
#else
    constexpr bool kBlocks = false;
#endif

    // Any neighbour labelled (below 175)?
    auto touchesBasin = [&](std::int32_t p) {
#if defined(__SSE2__)
        if constexpr (kBlocks) {
            block.Load(cell + p);
            return block.AnyLabelled();
        }
#endif
        for (int k = 0; k < N; ++k)
            if (std::uint8_t(cell[p + off[k]]) < kLabelled)
                return true;
        return false;
    };

    for (int h = m_nMinLevel; h <= m_nMaxLevel; ++h) {
        const std::int32_t begin = m_anLevelStart[h];
        const std::int32_t end = h < 255 ? m_anLevelStart[h + 1] : total;
        // The queue is empty between levels; restarting at its front keeps
        // the part of the ring ever touched as small as the largest level.
        queue.read = queue.write = 0;
        for (std::int32_t i = begin; i < end; ++i) {
            const std::int32_t p = sorted[i];
            if (i + kAhead < end)
                prefetch(sorted[i + kAhead]);
            if (cell[p] != kUnreached)
                continue;
            if (touchesBasin(p)) {
                cell[p] = kMask | (1 << 8);
                queue.Push(p);
            } else {
                cell[p] = kMask;
            }
        }

        queue.Push(kFictitious);
        int current = 1;
        for (;;) {
            if (queue.overflowed) [[unlikely]]
                return;
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
            // The stack only resets the distances when the level is done. A
            // cell is taken again only where its distance wrapped to 0, and
            // by then it is no longer masked; pushed once, every cell of the
            // level fits, where a push for each time taken could overrun the
            // stack on a plateau wider than 255 cells and leave a distance
            // standing into the next level.
            if (std::uint8_t(cell[p]) == kMask)
                stack.Push(p);

            // The labels of the neighbours already reached (distance below
            // the current one) decide p; in neighbour order the rules come
            // down to: none reached keeps the mask, one basin gives its
            // label, two basins (or only dividing cells) a dividing cell.
            // Masked neighbours at distance 0 are queued in neighbour order.
            // The distance is one byte: on plateaus wider than 254 cells it
            // wraps, and a cell is still queued only while masked at
            // distance 0, so the flood ends.
            const std::uint16_t next = std::uint16_t(kMask | (std::uint8_t(current + 1) << 8));
            unsigned reached = 0;
#if defined(__SSE2__)
            if constexpr (kBlocks) {
                block.Load(cell + p);
                std::uint64_t masked = 0;
                reached = block.Classify(current, masked);
                for (std::uint32_t m = masked ? NeighbourOrder(masked) : 0; m; m &= m - 1) {
                    const std::int32_t q = p + off[std::countr_zero(m)];
                    cell[q] = next;
                    queue.Push(q);
                }
            }
#endif
            if constexpr (!kBlocks) {
                for (int k = 0; k < N; ++k) {
                    const std::int32_t q = p + off[k];
                    const std::uint16_t s = cell[q];
                    if (s == kMask) {
                        cell[q] = next;
                        queue.Push(q);
                    } else {
                        reached |= kBasinBit[s & 0xFF] & (0u - unsigned((s >> 8) < current));
                    }
                }
            }
            std::uint8_t lp = std::uint8_t(cell[p]);
            if (lp == kMask || lp == kDividing) {
                if ((reached & 3) == 3)
                    lp = kDividing;
                else if (reached & 1)
                    lp = kObject;
                else if (reached & 2)
                    lp = kBackground;
                else if (reached & 4)
                    lp = kDividing;
            } else if (reached & (lp == kObject ? 2u : 1u)) {
                lp = kDividing; // a labelled cell queued again meets the other basin
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
