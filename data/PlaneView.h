#pragma once
#include <algorithm>
#include <cstdint>

// 8-bit grey of a 16-bit voxel in the plane views: trunc(v * (1/65535) * 255
// + 0.5). v/257 + 0.5 is never a whole number, so the integer form is exact.
inline std::uint8_t PlaneGrey(std::uint16_t v) { return std::uint8_t((unsigned(v) + 128u) / 257u); }
inline std::uint8_t PlaneGrey(std::uint8_t v) { return v; }

namespace PlaneViewDetail {
constexpr int kTile = 32;

// out[(c - c0) * rows + r] = grey(src[r * stride + c]) for r < rows and c in
// c0..c1-1. Each tile is first gathered row by row (whole cache lines, even
// when the rows lie pages apart and alias in the cache), then written out
// column by column from the small buffer.
template <class T> void Transpose(const T* src, std::int64_t stride, std::int64_t rows, int c0, int c1,
                                  std::uint8_t* out)
{
    std::uint8_t tile[kTile][kTile];
    for (std::int64_t r0 = 0; r0 < rows; r0 += kTile) {
        const int nr = int(std::min<std::int64_t>(kTile, rows - r0));
        for (int cb = c0; cb < c1; cb += kTile) {
            const int nc = std::min(kTile, c1 - cb);
            for (int r = 0; r < nr; ++r) {
                const T* s = src + (r0 + r) * stride + cb;
                if (nc == kTile)
                    for (int c = 0; c < kTile; ++c)
                        tile[r][c] = PlaneGrey(s[c]);
                else
                    for (int c = 0; c < nc; ++c)
                        tile[r][c] = PlaneGrey(s[c]);
            }
            for (int c = 0; c < nc; ++c) {
                std::uint8_t* o = out + std::int64_t(cb + c - c0) * rows + r0;
                if (nr == kTile)
                    for (int r = 0; r < kTile; ++r)
                        o[r] = tile[r][c];
                else
                    for (int r = 0; r < nr; ++r)
                        o[r] = tile[r][c];
            }
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
