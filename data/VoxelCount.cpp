#include "data/VoxelCount.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#define VX_COUNT_X86 1
#define VX_AVX2 __attribute__((target("avx2,popcnt")))
#define VX_AVX2_INLINE __attribute__((target("avx2,popcnt"), always_inline)) inline
#endif

namespace {
constexpr int kBlock = 64;

// trunc(v * (1/65536) * 255 + 0.5): v/65536 is exact in a double, so this is
// floor((255v + 32768) / 65536) in integers.
inline std::uint32_t Bin16(std::uint16_t v) { return (std::uint32_t(v) * 255u + 32768u) >> 16; }

// The increments are the bottleneck (about one per cycle). Eight tables, one
// per byte of a word, keep runs of one bin from waiting on each other; the
// bins are taken out of a 64-bit word because byte loads from a just-stored
// vector stall on store forwarding.
struct Tables {
    std::uint32_t t[8][256] = {};

    void Add8(std::uint64_t w)
    {
#pragma GCC unroll 8
        for (int j = 0; j < 8; ++j) {
            ++t[j][w & 255];
            w >>= 8;
        }
    }
    // Voxels one at a time, before the first block or after the last.
    template <class T, class BinOf>
    void AddEach(const T* v, std::int64_t from, std::int64_t to, T& mn, T& mx, BinOf bin)
    {
        for (std::int64_t i = from; i < to; ++i) {
            ++t[0][bin(v[i])];
            mn = std::min(mn, v[i]);
            mx = std::max(mx, v[i]);
        }
    }
    // The voxels after the last whole block, then the totals and the range.
    template <class T, class BinOf>
    void Finish(const T* v, std::int64_t i, std::int64_t n, T mn, T mx, BinOf bin, VoxelCounts& out)
    {
        AddEach(v, i, n, mn, mx, bin);
        Sum(out.counts);
        out.min = mn;
        out.max = mx;
    }
    void Sum(std::uint32_t out[256]) const
    {
        for (int b = 0; b < 256; ++b) {
            std::uint32_t s = 0;
            for (int j = 0; j < 8; ++j)
                s += t[j][b];
            out[b] = s;
        }
    }
};

inline std::uint64_t Word(const void* p)
{
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
}

// Blocks whose extremes share a bin (most of a thresholded CT is 0) are
// counted with one add: bins never decrease with the value.
void Count16Portable(const std::uint16_t* v, std::int64_t n, VoxelCounts& out)
{
    Tables tables;
    std::uint16_t mn = v[0], mx = v[0];
    std::int64_t i = 0;
    for (; i + kBlock <= n; i += kBlock) {
        // Offset to signed: SSE2 has a signed 16-bit minimum only.
        std::int16_t lo = INT16_MAX, hi = INT16_MIN;
        for (int k = 0; k < kBlock; ++k) {
            const auto s = std::int16_t(v[i + k] ^ 0x8000);
            lo = std::min(lo, s);
            hi = std::max(hi, s);
        }
        const auto bmn = std::uint16_t(lo ^ 0x8000), bmx = std::uint16_t(hi ^ 0x8000);
        mn = std::min(mn, bmn);
        mx = std::max(mx, bmx);
        if (Bin16(bmn) == Bin16(bmx)) {
            tables.t[0][Bin16(bmn)] += kBlock;
            continue;
        }
        alignas(8) std::uint8_t bins[kBlock];
        for (int k = 0; k < kBlock; ++k)
            bins[k] = std::uint8_t(Bin16(v[i + k]));
#pragma GCC unroll 8
        for (int k = 0; k < kBlock; k += 8)
            tables.Add8(Word(bins + k));
    }
    tables.Finish(v, i, n, mn, mx, [](std::uint16_t x) { return Bin16(x); }, out);
}

void Count8Portable(const std::uint8_t* v, std::int64_t n, VoxelCounts& out)
{
    Tables tables;
    std::uint8_t mn = v[0], mx = v[0];
    std::int64_t i = 0;
    for (; i + kBlock <= n; i += kBlock) {
        std::uint8_t bmn = v[i], bmx = v[i];
        for (int k = 0; k < kBlock; ++k) {
            bmn = std::min(bmn, v[i + k]);
            bmx = std::max(bmx, v[i + k]);
        }
        mn = std::min(mn, bmn);
        mx = std::max(mx, bmx);
        if (bmn == bmx) {
            tables.t[0][bmn] += kBlock;
            continue;
        }
#pragma GCC unroll 8
        for (int k = 0; k < kBlock; k += 8)
            tables.Add8(Word(v + i + k));
    }
    tables.Finish(v, i, n, mn, mx, [](std::uint8_t x) { return x; }, out);
}

#ifdef VX_COUNT_X86
// The vector path: the same blocks of 64, the range kept in vector lanes and
// folded once at the end, one compare to find a block of one bin. An AVX-512
// version of it measured slower than this one on Zen 4 and on a Xeon.

// The counting keeps the core too busy for the hardware prefetcher to keep up
// with the stream (on a Xeon the pass ran 15% slower than on voxels in L2); a
// hint this far ahead has them in L1 by the time they are read.
constexpr int kPrefetchBytes = 4096;

// The address may lie past the end of the voxels: a prefetch never faults.
inline void Prefetch(const void* p, int ahead)
{
    _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<std::uintptr_t>(p) + ahead), _MM_HINT_T0);
}

template <class T> void FoldRange(const T* lo, const T* hi, int lanes, T& mn, T& mx)
{
    for (int k = 0; k < lanes; ++k) {
        mn = std::min(mn, lo[k]);
        mx = std::max(mx, hi[k]);
    }
}

VX_AVX2 inline __m256i Bins256(__m256i x)
{
    const __m256i k = _mm256_set1_epi16(255);
    return _mm256_add_epi16(_mm256_mulhi_epu16(x, k), _mm256_srli_epi16(_mm256_mullo_epi16(x, k), 15));
}

VX_AVX2 inline void Add16Avx2(Tables& tables, __m128i x)
{
    tables.Add8(std::uint64_t(_mm_cvtsi128_si64(x)));
    tables.Add8(std::uint64_t(_mm_extract_epi64(x, 1)));
}

// Half a block is narrow when its bins all lie in base .. base + 7, where
// base is its first bin less 4, kept within 0 .. 248: one tissue of a CT,
// whose noise spans a few bins. The bit planes of bin - base count it for a
// fraction of the cost of the increments. With the window inside the bins, a
// bin below base wraps to 8 or more and never passes for a narrow one.
VX_AVX2_INLINE __m256i Relative(__m256i bins)
{
    const __m256i first = _mm256_broadcastb_epi8(_mm256_castsi256_si128(bins));
    const __m256i base = _mm256_min_epu8(_mm256_subs_epu8(first, _mm256_set1_epi8(4)), _mm256_set1_epi8(char(248)));
    return _mm256_sub_epi8(bins, base);
}

VX_AVX2_INLINE bool Narrow(__m256i t) { return _mm256_testz_si256(t, _mm256_set1_epi8(char(0xF8))); }

// Each count goes to its own table: added into one, they become a vector add
// whose load stalls behind the single increments just stored there.
VX_AVX2_INLINE void AddNarrow(Tables& tables, __m256i bins, __m256i t)
{
    const int base = std::clamp((_mm_cvtsi128_si32(_mm256_castsi256_si128(bins)) & 255) - 4, 0, 248);
    // A left shift moves bit k of every byte to its top bit, which the mask reads.
    const auto p0 = std::uint32_t(_mm256_movemask_epi8(_mm256_slli_epi16(t, 7)));
    const auto p1 = std::uint32_t(_mm256_movemask_epi8(_mm256_slli_epi16(t, 6)));
    const auto p2 = std::uint32_t(_mm256_movemask_epi8(_mm256_slli_epi16(t, 5)));
    const std::uint32_t low[4] = {~p1 & ~p0, ~p1 & p0, p1 & ~p0, p1 & p0};
#pragma GCC unroll 8
    for (int j = 0; j < 8; ++j)
        tables.t[j][base + j] += std::uint32_t(std::popcount((j & 4 ? p2 : ~p2) & low[j & 3]));
}

VX_AVX2_INLINE void AddWide(Tables& tables, __m256i bins)
{
    Add16Avx2(tables, _mm256_castsi256_si128(bins));
    Add16Avx2(tables, _mm256_extracti128_si256(bins, 1));
}

// The bins of a block as two halves; random data takes two branches that
// are never taken.
VX_AVX2_INLINE void AddBlock(Tables& tables, __m256i ab, __m256i cd)
{
    const __m256i tab = Relative(ab), tcd = Relative(cd);
    if (Narrow(tab)) {
        AddNarrow(tables, ab, tab);
        if (Narrow(tcd))
            AddNarrow(tables, cd, tcd);
        else
            AddWide(tables, cd);
    } else if (Narrow(tcd)) {
        AddWide(tables, ab);
        AddNarrow(tables, cd, tcd);
    } else {
        AddWide(tables, ab);
        AddWide(tables, cd);
    }
}

// Voxels before the first cache line boundary, so that no vector load of the
// blocks splits a line (unaligned voxels ran 5 to 10% slower on a Xeon).
// Voxels not aligned to their own size never reach one.
template <class T> std::int64_t Head(const T* v, std::int64_t n)
{
    const auto offset = reinterpret_cast<std::uintptr_t>(v) % 64;
    if (offset % sizeof(T) != 0)
        return 0;
    return std::min(n, std::int64_t((64 - offset) % 64 / sizeof(T)));
}

VX_AVX2 void Count16Avx2(const std::uint16_t* v, std::int64_t n, VoxelCounts& out)
{
    const auto bin = [](std::uint16_t x) { return Bin16(x); };
    Tables tables;
    std::uint16_t mn = v[0], mx = v[0];
    const std::int64_t head = Head(v, n);
    tables.AddEach(v, 0, head, mn, mx, bin);
    __m256i vmn = _mm256_set1_epi16(-1), vmx = _mm256_setzero_si256();
    std::int64_t i = head;
    for (; i + kBlock <= n; i += kBlock) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(v + i));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(v + i + 16));
        const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(v + i + 32));
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(v + i + 48));
        Prefetch(v + i, kPrefetchBytes);
        Prefetch(v + i, kPrefetchBytes + 64);
        vmn = _mm256_min_epu16(vmn, _mm256_min_epu16(_mm256_min_epu16(a, b), _mm256_min_epu16(c, d)));
        const __m256i blockMax = _mm256_max_epu16(_mm256_max_epu16(a, b), _mm256_max_epu16(c, d));
        vmx = _mm256_max_epu16(vmx, blockMax);
        // The air of a thresholded CT, about half its blocks, without the bins.
        if (_mm256_testz_si256(blockMax, blockMax)) {
            tables.t[0][0] += kBlock;
            continue;
        }
        const __m256i ab = _mm256_packus_epi16(Bins256(a), Bins256(b));
        const __m256i cd = _mm256_packus_epi16(Bins256(c), Bins256(d));
        const __m128i low = _mm256_castsi256_si128(ab);
        const __m256i first = _mm256_broadcastb_epi8(low);
        const __m256i same = _mm256_and_si256(_mm256_cmpeq_epi8(ab, first), _mm256_cmpeq_epi8(cd, first));
        if (_mm256_movemask_epi8(same) == -1) {
            tables.t[0][_mm_cvtsi128_si32(low) & 255] += kBlock;
            continue;
        }
        AddBlock(tables, ab, cd);
    }
    if (i > head) {
        alignas(32) std::uint16_t lo[16], hi[16];
        _mm256_store_si256(reinterpret_cast<__m256i*>(lo), vmn);
        _mm256_store_si256(reinterpret_cast<__m256i*>(hi), vmx);
        FoldRange(lo, hi, 16, mn, mx);
    }
    tables.Finish(v, i, n, mn, mx, bin, out);
}

VX_AVX2 void Count8Avx2(const std::uint8_t* v, std::int64_t n, VoxelCounts& out)
{
    const auto bin = [](std::uint8_t x) { return x; };
    Tables tables;
    std::uint8_t mn = v[0], mx = v[0];
    const std::int64_t head = Head(v, n);
    tables.AddEach(v, 0, head, mn, mx, bin);
    __m256i vmn = _mm256_set1_epi8(-1), vmx = _mm256_setzero_si256();
    std::int64_t i = head;
    for (; i + kBlock <= n; i += kBlock) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(v + i));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(v + i + 32));
        Prefetch(v + i, kPrefetchBytes);
        vmn = _mm256_min_epu8(vmn, _mm256_min_epu8(a, b));
        vmx = _mm256_max_epu8(vmx, _mm256_max_epu8(a, b));
        const __m256i first = _mm256_set1_epi8(char(v[i]));
        const __m256i same = _mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, first));
        if (_mm256_movemask_epi8(same) == -1) {
            tables.t[0][v[i]] += kBlock;
            continue;
        }
        AddBlock(tables, a, b);
    }
    if (i > head) {
        alignas(32) std::uint8_t lo[32], hi[32];
        _mm256_store_si256(reinterpret_cast<__m256i*>(lo), vmn);
        _mm256_store_si256(reinterpret_cast<__m256i*>(hi), vmx);
        FoldRange(lo, hi, 32, mn, mx);
    }
    tables.Finish(v, i, n, mn, mx, bin, out);
}
#endif
} // namespace

bool CountPathSupported(CountPath path)
{
    switch (path) {
    case CountPath::Portable:
        return true;
#ifdef VX_COUNT_X86
    case CountPath::Avx2:
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
#endif
    default:
        return false;
    }
}

CountPath BestCountPath()
{
    static const CountPath best = CountPathSupported(CountPath::Avx2) ? CountPath::Avx2 : CountPath::Portable;
    return best;
}

namespace {
// The chosen path when this machine has it, else the portable one.
template <class T>
void Dispatch(const T* v, std::int64_t n, VoxelCounts& out, CountPath path,
              void (*portable)(const T*, std::int64_t, VoxelCounts&), void (*avx2)(const T*, std::int64_t, VoxelCounts&))
{
    out = VoxelCounts();
    if (n <= 0)
        return;
    if (avx2 && path == CountPath::Avx2 && CountPathSupported(path))
        return avx2(v, n, out);
    portable(v, n, out);
}

#ifdef VX_COUNT_X86
constexpr auto kCount8Avx2 = &Count8Avx2;
constexpr auto kCount16Avx2 = &Count16Avx2;
#else
constexpr void (*kCount8Avx2)(const std::uint8_t*, std::int64_t, VoxelCounts&) = nullptr;
constexpr void (*kCount16Avx2)(const std::uint16_t*, std::int64_t, VoxelCounts&) = nullptr;
#endif
} // namespace

void CountVoxels8(const std::uint8_t* v, std::int64_t n, VoxelCounts& out, CountPath path)
{
    Dispatch(v, n, out, path, &Count8Portable, kCount8Avx2);
}

void CountVoxels16(const std::uint16_t* v, std::int64_t n, VoxelCounts& out, CountPath path)
{
    Dispatch(v, n, out, path, &Count16Portable, kCount16Avx2);
}
