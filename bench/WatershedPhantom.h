#pragma once
// The test volume of the watershed benchmarks (ours and the peer's): a
// background of 40, a ball of 150 with a brighter core and a second ball
// apart, with deterministic noise; and the seeds inside and outside.
#include <array>
#include <cstdint>
#include <vector>

namespace bench {

// Deterministic noise in -8..7.
inline int Noise(std::uint32_t i)
{
    i ^= i >> 16;
    i *= 0x7feb352dU;
    i ^= i >> 15;
    i *= 0x846ca68bU;
    i ^= i >> 16;
    return int(i & 15) - 8;
}

inline std::uint8_t Phantom(int x, int y, int z, int n, std::uint32_t i)
{
    const int c = n / 2;
    const int d2 = (x - c) * (x - c) + (y - c) * (y - c) + (z - c) * (z - c);
    const int r = n * 30 / 100;
    int v = 40;
    if (d2 < r * r)
        v = d2 < (r / 3) * (r / 3) ? 220 : 150;
    const int e = n / 8;
    const int dx = x - e * 2, dy = y - e * 6, dz = z - e * 2;
    if (dx * dx + dy * dy + dz * dz < e * e)
        v = 150;
    return std::uint8_t(v + Noise(i));
}

// n^3 voxels, x fastest.
inline std::vector<std::uint8_t> PhantomVolume(int n)
{
    std::vector<std::uint8_t> v(std::size_t(n) * n * n);
    std::uint32_t i = 0;
    for (int z = 0; z < n; ++z)
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x, ++i)
                v[i] = Phantom(x, y, z, n, i);
    return v;
}

using Point = std::array<float, 3>;

inline std::vector<Point> InSeeds(int n)
{
    const float c = float(n / 2);
    const float o = float(n) * 0.1f;
    return {{c, c, c}, {c + o, c, c}, {c, c - o, c}, {c, c, c + o}};
}

inline std::vector<Point> OutSeeds(int n)
{
    const float lo = float(n) * 0.05f, hi = float(n) * 0.95f;
    return {{lo, lo, lo}, {hi, lo, lo}, {lo, hi, hi}, {hi, hi, hi}, {lo, hi, lo}};
}

} // namespace bench
