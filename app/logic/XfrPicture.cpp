#include "app/logic/XfrPicture.h"

#include <cstdlib>

using xfr::Rgb;

void CXfrPicture::Put(int u, int v, Rgb colour)
{
    if (u < 0 || u >= kSize || v < 0 || v >= kSize)
        return;
    std::uint8_t* p = &m_rgb[3 * (std::size_t(v) * kSize + std::size_t(u))];
    p[0] = colour.r;
    p[1] = colour.g;
    p[2] = colour.b;
}

Rgb CXfrPicture::At(int u, int v) const
{
    const std::uint8_t* p = &m_rgb[3 * (std::size_t(v) * kSize + std::size_t(u))];
    return {p[0], p[1], p[2]};
}

void CXfrPicture::DrawHistogram(const std::uint8_t display[256])
{
    m_rgb.fill(0);
    for (int i = 0; i < kSize; ++i)
        for (int v = kSize - display[i]; v < kSize; ++v)
            Put(i, v, xfr::kHistogramGrey);
}

void CXfrPicture::DrawCurve(const RgbaLookupTable& table, int column, Rgb colour)
{
    auto row = [&](int i) { return kSize - int(table[4 * std::size_t(i) + std::size_t(column)]); };
    for (int i = 0; i < kSize; ++i) {
        const int b = row(i);
        Put(i, b, colour);
        if (i == 0)
            continue;
        const int a = row(i - 1);
        const int n = std::abs(b - a);
        const int step = b > a ? 1 : -1;
        for (int s = 1; s < n; ++s)
            Put(2 * s < n ? i - 1 : i, a + s * step, colour);
    }
}

void CXfrPicture::DrawMarker(int x, int y, bool selected)
{
    // A file's points may lie anywhere in 32 bits; a square that misses the
    // graph draws nothing (and its corners are never computed).
    if (x < -3 || x > kSize + 3 || y < -3 || y > kSize + 3)
        return;
    const int left = x - 4, top = kSize - y - 4;
    for (int v = 0; v < 8; ++v)
        for (int u = 0; u < 8; ++u) {
            const bool edge = u == 0 || v == 0 || u == 7 || v == 7;
            Put(left + u, top + v, edge || selected ? xfr::kMarkerEdge : Rgb{});
        }
}
