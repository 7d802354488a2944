#include "processing/PairKeys.h"

#include <cstdint>

#include "processing/MeshDecimator.h"

#if defined(__x86_64__)
#include <immintrin.h>
#define VX_PAIR_KEYS_AVX2 1
#endif

// The kernel's helpers take and return vectors wider than the baseline's
// registers; they are always inlined into their lane count's entry, so no
// call ever passes one.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace {

// The four-lane kernel loads a quadric's entries as (a2, ab, ac, ad),
// (b2, bc, bd, c2) and (cd, d2), and a position as 16 bytes, x, y, z and the
// record's next four bytes (Quadric.h and MeshDecimator.h assert those
// layouts); the entries' columns are then taken apart by lane.
static_assert(offsetof(Quadric, b2) == offsetof(Quadric, a2) + 4 * sizeof(double) &&
              offsetof(Quadric, cd) == offsetof(Quadric, b2) + 4 * sizeof(double));
static_assert(offsetof(DecimVertex, position) + 16 <= sizeof(DecimVertex));

// Each kernel function carries its lane count's instruction set as VX_LANES,
// a function attribute (clang ignores GCC's target pragma).
namespace lanes2 {
#define VX_LANES
constexpr int N = 2;
typedef double D __attribute__((vector_size(16)));
typedef float F __attribute__((vector_size(8)));
typedef std::int64_t MD __attribute__((vector_size(16)));
inline D ToD(const F& v) { return __builtin_convertvector(v, D); }
inline F ToF(const D& v) { return __builtin_convertvector(v, F); }
#include "processing/PairKeysLanes.inc"
#undef VX_LANES

void Keys(const DecimVertex* v, DecimPair* const* pairs)
{
    const DecimVertex& a1 = v[pairs[0]->first];
    const DecimVertex& a2 = v[pairs[0]->second];
    const DecimVertex& b1 = v[pairs[1]->first];
    const DecimVertex& b2 = v[pairs[1]->second];
    auto sum = [&](double Quadric::*m) { return D{a1.quadric.*m, b1.quadric.*m} + D{a2.quadric.*m, b2.quadric.*m}; };
    const Inputs q{sum(&Quadric::a2), sum(&Quadric::ab), sum(&Quadric::ac), sum(&Quadric::ad),
                   sum(&Quadric::b2), sum(&Quadric::bc), sum(&Quadric::bd), sum(&Quadric::c2),
                   sum(&Quadric::cd), sum(&Quadric::d2), F{a1.position.x, b1.position.x},
                   F{a1.position.y, b1.position.y}, F{a1.position.z, b1.position.z},
                   F{a2.position.x, b2.position.x}, F{a2.position.y, b2.position.y},
                   F{a2.position.z, b2.position.z}};
    KeysOf(q, pairs);
}
} // namespace lanes2

#ifdef VX_PAIR_KEYS_AVX2
namespace lanes4 {
#define VX_LANES __attribute__((target("avx2")))
constexpr int N = 4;
typedef double D __attribute__((vector_size(32)));
typedef float F __attribute__((vector_size(16)));
typedef std::int64_t MD __attribute__((vector_size(32)));
// The compiler's generic conversion of four floats takes five instructions.
VX_LANES inline D ToD(const F& v) { return _mm256_cvtps_pd(v); }
VX_LANES inline F ToF(const D& v) { return _mm256_cvtpd_ps(v); }
#include "processing/PairKeysLanes.inc"

// Four rows of four doubles to four columns.
VX_LANES inline void Columns(const __m256d* r, __m256d out[4])
{
    const __m256d t0 = _mm256_unpacklo_pd(r[0], r[1]), t1 = _mm256_unpackhi_pd(r[0], r[1]);
    const __m256d t2 = _mm256_unpacklo_pd(r[2], r[3]), t3 = _mm256_unpackhi_pd(r[2], r[3]);
    out[0] = _mm256_permute2f128_pd(t0, t2, 0x20);
    out[1] = _mm256_permute2f128_pd(t1, t3, 0x20);
    out[2] = _mm256_permute2f128_pd(t0, t2, 0x31);
    out[3] = _mm256_permute2f128_pd(t1, t3, 0x31);
}

// Each pair's two quadrics summed as rows, then the rows turned into one
// vector per entry; the positions likewise.
VX_LANES void Keys(const DecimVertex* v, DecimPair* const* pairs)
{
    __m256d lo[4], mid[4];
    __m128d hi[4];
    __m128 p1[4], p2[4];
#pragma GCC unroll 4
    for (int k = 0; k < 4; ++k) {
        const DecimVertex& x = v[pairs[k]->first];
        const DecimVertex& y = v[pairs[k]->second];
        lo[k] = _mm256_add_pd(_mm256_loadu_pd(&x.quadric.a2), _mm256_loadu_pd(&y.quadric.a2));
        mid[k] = _mm256_add_pd(_mm256_loadu_pd(&x.quadric.b2), _mm256_loadu_pd(&y.quadric.b2));
        hi[k] = _mm_add_pd(_mm_loadu_pd(&x.quadric.cd), _mm_loadu_pd(&y.quadric.cd));
        p1[k] = _mm_loadu_ps(&x.position.x);
        p2[k] = _mm_loadu_ps(&y.position.x);
    }
    __m256d c[4], d[4];
    Columns(lo, c);
    Columns(mid, d);
    // (cd, d2) of pairs 0 and 1, and of 2 and 3, to (cd0..cd3) and (d2_0..d2_3).
    const __m256d h01 = _mm256_set_m128d(hi[1], hi[0]), h23 = _mm256_set_m128d(hi[3], hi[2]);
    const __m256d u = _mm256_permute2f128_pd(h01, h23, 0x20), w = _mm256_permute2f128_pd(h01, h23, 0x31);
    _MM_TRANSPOSE4_PS(p1[0], p1[1], p1[2], p1[3]);
    _MM_TRANSPOSE4_PS(p2[0], p2[1], p2[2], p2[3]);
    const Inputs q{c[0], c[1], c[2], c[3], d[0], d[1], d[2], d[3], _mm256_unpacklo_pd(u, w),
                   _mm256_unpackhi_pd(u, w), p1[0], p1[1], p1[2], p2[0], p2[1], p2[2]};
    KeysOf(q, pairs);
}
#undef VX_LANES
} // namespace lanes4
#endif

} // namespace

int WidestPairKeyLanes()
{
#ifdef VX_PAIR_KEYS_AVX2
    static const int lanes = __builtin_cpu_supports("avx2") ? 4 : 2;
    return lanes;
#else
    return 2;
#endif
}

void ComputePairKeys(const DecimVertex* vertices, DecimPair* const* pairs, std::size_t n, int lanes)
{
    // A short tail repeats its last pair in the spare lanes: the same key
    // written twice.
    DecimPair* tail[4];
    const std::size_t step = lanes == 4 && WidestPairKeyLanes() == 4 ? 4 : 2;
    for (std::size_t k = 0; k < n; k += step) {
        DecimPair* const* group = pairs + k;
        if (k + step > n) {
            for (std::size_t j = 0; j < step; ++j)
                tail[j] = pairs[k + j < n ? k + j : n - 1];
            group = tail;
        }
#ifdef VX_PAIR_KEYS_AVX2
        if (step == 4) {
            lanes4::Keys(vertices, group);
            continue;
        }
#endif
        lanes2::Keys(vertices, group);
    }
}
