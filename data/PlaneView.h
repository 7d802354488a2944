#pragma once
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

// 8-bit grey of a 16-bit voxel in the plane views: trunc(v * (1/65535) * 255
// + 0.5). v/257 + 0.5 is never a whole number, so (v + 128) / 257 is exact;
// the form below equals it for every v (checked by a test) and stays in
// 16-bit lanes, a high-half multiply, when vectorised.
inline std::uint8_t PlaneGrey(std::uint16_t v)
{
    const auto high = std::uint16_t((std::uint32_t(v) * 65281u) >> 16);
    return std::uint8_t(std::uint16_t(high + 128u) >> 8);
}
inline std::uint8_t PlaneGrey(std::uint8_t v) { return v; }

namespace PlaneViewDetail {
constexpr int kTile = 32;

// Transposes the 8 x 8 bytes held as eight words, byte c of word r being
// element (r, c), by swapping ever larger sub-blocks across the diagonal.
inline void Prefetch(const void* p)
{
#if defined(__GNUC__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

inline void Swap8x8(std::uint64_t& a, std::uint64_t& b, int shift, std::uint64_t mask)
{
    const std::uint64_t t = ((a >> shift) ^ b) & mask;
    b ^= t;
    a ^= t << shift;
}
inline void Transpose8x8(std::uint64_t w[8])
{
    constexpr std::uint64_t m8 = 0x00FF00FF00FF00FFull, m16 = 0x0000FFFF0000FFFFull, m32 = 0xFFFFFFFFull;
    Swap8x8(w[0], w[1], 8, m8), Swap8x8(w[2], w[3], 8, m8), Swap8x8(w[4], w[5], 8, m8), Swap8x8(w[6], w[7], 8, m8);
    Swap8x8(w[0], w[2], 16, m16), Swap8x8(w[1], w[3], 16, m16), Swap8x8(w[4], w[6], 16, m16);
    Swap8x8(w[5], w[7], 16, m16);
    Swap8x8(w[0], w[4], 32, m32), Swap8x8(w[1], w[5], 32, m32), Swap8x8(w[2], w[6], 32, m32);
    Swap8x8(w[3], w[7], 32, m32);
}

// out[(c - c0) * rows + r] = grey(src[r * stride + c]) for r < rows and c in
// c0..c1-1. Each tile is first gathered row by row (whole cache lines, even
// when the rows lie pages apart and alias in the cache), then written out
// column by column from the small buffer: full tiles eight bytes at a time
// through word transposes, the ragged edges byte by byte.
template <class T> void Transpose(const T* src, std::int64_t stride, std::int64_t rows, int c0, int c1,
                                  std::uint8_t* out)
{
    alignas(64) std::uint8_t tile[kTile][kTile];
    for (std::int64_t r0 = 0; r0 < rows; r0 += kTile) {
        const int nr = int(std::min<std::int64_t>(kTile, rows - r0));
        for (int cb = c0; cb < c1; cb += kTile) {
            const int nc = std::min(kTile, c1 - cb);
            // The rows of a tile lie a stride apart, too many streams for the
            // hardware prefetcher: ask for the next tile's rows while this
            // one is worked on.
            const bool lastInStrip = cb + kTile >= c1;
            const std::int64_t nextRow = lastInStrip ? r0 + kTile : r0;
            const int nextCol = lastInStrip ? c0 : cb + kTile;
            const int nextRows = int(std::clamp<std::int64_t>(rows - nextRow, 0, kTile));
            for (int r = 0; r < nextRows; ++r)
                Prefetch(src + (nextRow + r) * stride + nextCol);
            for (int r = 0; r < nr; ++r) {
                const T* s = src + (r0 + r) * stride + cb;
                if (nc == kTile)
                    for (int c = 0; c < kTile; ++c)
                        tile[r][c] = PlaneGrey(s[c]);
                else
                    for (int c = 0; c < nc; ++c)
                        tile[r][c] = PlaneGrey(s[c]);
            }
            std::uint8_t* o = out + std::int64_t(cb - c0) * rows + r0;
            if (std::endian::native == std::endian::little && nr == kTile && nc == kTile) {
                for (int rb = 0; rb < kTile; rb += 8)
                    for (int cw = 0; cw < kTile; cw += 8) {
                        std::uint64_t w[8];
                        for (int k = 0; k < 8; ++k)
                            std::memcpy(&w[k], &tile[rb + k][cw], 8);
                        Transpose8x8(w);
                        for (int k = 0; k < 8; ++k)
                            std::memcpy(o + std::int64_t(cw + k) * rows + rb, &w[k], 8);
                    }
                continue;
            }
            for (int c = 0; c < nc; ++c)
                for (int r = 0; r < nr; ++r)
                    o[std::int64_t(c) * rows + r] = tile[r][c];
        }
    }
}
} // namespace PlaneViewDetail

// Writes planes p0..p1-1 of the 8-bit plane views of `axis` (0 x, 1 y, 2 z)
// of the voxels `v` one after the other into `out`. Plane p of x holds
// grey(p, y, z) at z*dimY + y, of y grey(x, p, z) at x*dimZ + z, of z
// grey(x, y, p) at x*dimY + y.
template <class T> void ExtractPlanes(int axis, const T* v, int dx, int dy, int dz, int p0, int p1,
                                      std::uint8_t* out)
{
    const std::int64_t sx = dx, sxy = std::int64_t(dx) * dy;
    if (axis == 0) {
        // Rows (y, z) are consecutive in memory: one transpose covers the batch.
        PlaneViewDetail::Transpose(v, sx, std::int64_t(dy) * dz, p0, p1, out);
        return;
    }
    for (int p = p0; p < p1; ++p) {
        if (axis == 1)
            PlaneViewDetail::Transpose(v + p * sx, sxy, dz, 0, dx, out + (p - p0) * sx * dz);
        else
            PlaneViewDetail::Transpose(v + p * sxy, sx, dy, 0, dx, out + (p - p0) * sxy);
    }
}
