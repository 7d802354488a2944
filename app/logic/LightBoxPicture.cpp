#include "app/logic/LightBoxPicture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

CRgbPicture::CRgbPicture(const PixelRect& area)
    : m_area(area), m_bytes(std::size_t(std::max(area.Width(), 0)) * std::size_t(std::max(area.Height(), 0)) * 3)
{
}

void CRgbPicture::Fill(RgbColour c)
{
    for (std::size_t i = 0; i + 2 < m_bytes.size(); i += 3) {
        m_bytes[i] = c.r;
        m_bytes[i + 1] = c.g;
        m_bytes[i + 2] = c.b;
    }
}

void CRgbPicture::Put(int x, int y, RgbColour c)
{
    if (!m_area.Contains(x, y))
        return;
    std::uint8_t* p = Row(y) + std::size_t(x - m_area.left) * 3;
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
}

RgbColour CRgbPicture::At(int x, int y) const
{
    if (!m_area.Contains(x, y))
        return kLightBoxBlack;
    const std::size_t i = (std::size_t(y - m_area.top) * std::size_t(m_area.Width()) + std::size_t(x - m_area.left)) * 3;
    return {m_bytes[i], m_bytes[i + 1], m_bytes[i + 2]};
}

namespace {
// MulDiv's rounding: to the nearest, halves away from zero.
int MulDivRound(int a, int b, int c)
{
    const long long n = (long long)a * b;
    const long long q = (std::llabs(n) * 2 + c) / (2LL * c);
    return int(n < 0 ? -q : q);
}
} // namespace

PixelPoint DialogToPixels(int x, int y) { return {MulDivRound(x, 6, 4), MulDivRound(y, 13, 8)}; }

PixelRect PaneAboveBar(PixelPoint bar)
{
    return {bar.x, bar.y - kLightBoxPaneSize - 2, bar.x + kLightBoxPaneSize, bar.y - 2};
}

PixelRect FitImage(const PixelRect& pane, float across, float down)
{
    const int side = pane.Width();
    if (down > across) {
        const int width = int(across / down * float(side));
        const int left = pane.left + (side - width) / 2;
        return {left, pane.top, left + width, pane.top + side};
    }
    const int height = int(down / across * float(side));
    const int top = pane.top + (side - height) / 2;
    return {pane.left, top, pane.left + side, top + height};
}

float FitLength(int dim, float scale)
{
    const float length = float(dim) * scale;
    if (std::isfinite(length) && length > 0.0f)
        return length;
    return float(std::max(dim, 1));
}

int PixelToVoxel(int offset, int length, int dim)
{
    if (length <= 0 || dim <= 0)
        return 0;
    const int v = int(float(offset) / float(length) * float(dim));
    return std::clamp(v, 0, dim - 1);
}

int MarkerCoordinate(int start, int length, int index, int dim)
{
    if (dim <= 0)
        return start;
    return start + int(float(length) * (float(index) / float(dim)) + 0.5f);
}

void DrawSliceImage(CRgbPicture& out, const PixelRect& image, const std::uint8_t* slice, int dimH, int dimV,
                    const BgrPalette* palette)
{
    if (!slice || dimH <= 0 || dimV <= 0)
        return;
    // Only what lies inside the picture is drawn; the voxel of each pixel is
    // still counted from the image's own origin.
    const PixelRect& area = out.Area();
    const int x0 = std::max(image.left, area.left), x1 = std::min(image.right, area.right);
    const int y0 = std::max(image.top, area.top), y1 = std::min(image.bottom, area.bottom);
    if (x0 >= x1 || y0 >= y1)
        return;
    std::vector<std::size_t> column(std::size_t(x1 - x0));
    for (int x = x0; x < x1; ++x)
        column[std::size_t(x - x0)] = std::size_t(PixelToVoxel(x - image.left, image.Width(), dimH)) * std::size_t(dimV);
    for (int y = y0; y < y1; ++y) {
        const std::uint8_t* voxels = slice + PixelToVoxel(y - image.top, image.Height(), dimV);
        std::uint8_t* p = out.Row(y) + std::size_t(x0 - area.left) * 3;
        if (palette) {
            const std::uint8_t* bgr = palette->data();
            for (std::size_t offset : column) {
                const std::uint8_t* e = bgr + 3 * std::size_t(voxels[offset]);
                *p++ = e[2];
                *p++ = e[1];
                *p++ = e[0];
            }
        } else {
            for (std::size_t offset : column) {
                const std::uint8_t b = voxels[offset];
                *p++ = b;
                *p++ = b;
                *p++ = b;
            }
        }
    }
}

void DrawSegment(CRgbPicture& out, int x0, int y0, int x1, int y1, RgbColour c)
{
    // Bresenham from the start, stopping before the end point as LineTo did.
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    int x = x0, y = y0;
    while (x != x1 || y != y1) {
        out.Put(x, y, c);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void DrawCircle(CRgbPicture& out, int cx, int cy, int r, RgbColour c)
{
    int x = r, y = 0, err = 1 - r;
    while (x >= y) {
        const PixelPoint octants[8] = {{x, y}, {y, x}, {-y, x}, {-x, y}, {-x, -y}, {-y, -x}, {y, -x}, {x, -y}};
        for (const PixelPoint& o : octants)
            out.Put(cx + o.x, cy + o.y, c);
        ++y;
        if (err < 0) {
            err += 2 * y + 1;
        } else {
            --x;
            err += 2 * (y - x) + 1;
        }
    }
}

namespace {
long long EdgeSide(PixelPoint a, PixelPoint b, int x, int y)
{
    return (long long)(b.x - a.x) * (y - a.y) - (long long)(b.y - a.y) * (x - a.x);
}
} // namespace

void FillTriangle(CRgbPicture& out, PixelPoint a, PixelPoint b, PixelPoint c, RgbColour colour)
{
    const PixelRect& area = out.Area();
    const int x0 = std::max({std::min({a.x, b.x, c.x}), area.left});
    const int x1 = std::min({std::max({a.x, b.x, c.x}), area.right - 1});
    const int y0 = std::max({std::min({a.y, b.y, c.y}), area.top});
    const int y1 = std::min({std::max({a.y, b.y, c.y}), area.bottom - 1});
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const long long e0 = EdgeSide(a, b, x, y), e1 = EdgeSide(b, c, x, y), e2 = EdgeSide(c, a, x, y);
            if ((e0 >= 0 && e1 >= 0 && e2 >= 0) || (e0 <= 0 && e1 <= 0 && e2 <= 0))
                out.Put(x, y, colour);
        }
    // The outline as a polygon's pen draws it, closing the last edge.
    DrawSegment(out, a.x, a.y, b.x, b.y, colour);
    DrawSegment(out, b.x, b.y, c.x, c.y, colour);
    DrawSegment(out, c.x, c.y, a.x, a.y, colour);
}

void DrawCrossHair(CRgbPicture& out, int x, int y, RgbColour c)
{
    DrawSegment(out, x - 24, y, x - 3, y, c);
    DrawSegment(out, x + 3, y, x + 24, y, c);
    DrawSegment(out, x, y - 24, x, y - 3, c);
    DrawSegment(out, x, y + 3, x, y + 24, c);
    out.Put(x, y, c);
}

void DrawCameraMarker(CRgbPicture& out, float cx, float cy, float h, float v, float n, RgbColour c)
{
    const int x = int(cx), y = int(cy);
    const int out25 = int(n * 25.0f);
    DrawSegment(out, x - 10, y, x - 3, y, c);
    DrawSegment(out, x + 3, y, x + 10, y, c);
    DrawSegment(out, x, y - 10, x, y - 3, c);
    DrawSegment(out, x, y + 3, x, y + 10, c);
    DrawCircle(out, x, y, 6, c);
    const bool inPlane = int(h) == 0 && int(v) == 0;
    if (out25 < 0 && inPlane) {
        DrawSegment(out, x + 10, y + 10, x - 10, y - 10, c);
        DrawSegment(out, x + 10, y - 10, x - 10, y + 10, c);
    } else if (out25 > 0 && inPlane) {
        DrawCircle(out, x, y, 3, c);
    } else {
        const float px = cx + h, py = cy + v;
        const float len = std::sqrt(h * h + v * v);
        const float k = len > 0.0f ? 5.0f / len : 0.0f;
        const float a = h * k, b = v * k;
        DrawSegment(out, int(cx + a), int(cy + b), int(px), int(py), c);
        // The arrowhead takes the marker's colour: a fill of its own would be
        // left behind outside the image when the marker moves.
        FillTriangle(out, {int(px + a), int(py + b)}, {int(px + b), int(py - a)}, {int(px - b), int(py + a)}, c);
    }
    out.Put(x, y, c);
}

namespace {
// Raster glyphs of the axis letters, 7 x 8, one row a byte, bit 6 leftmost.
struct Glyph {
    char letter;
    std::array<std::uint8_t, 8> rows;
};
constexpr Glyph kGlyphs[] = {
    {'X', {0x41, 0x22, 0x14, 0x08, 0x08, 0x14, 0x22, 0x41}},
    {'Y', {0x41, 0x22, 0x14, 0x08, 0x08, 0x08, 0x08, 0x08}},
    {'Z', {0x7F, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x7F}},
};
// The glyph's top row within its cell (the font's internal leading).
constexpr int kGlyphTop = 2;
} // namespace

void DrawAxisLetter(CRgbPicture& out, const PixelRect& label, char letter, bool topLeft)
{
    const int left = topLeft ? label.left : label.right - kLetterCellWidth;
    const int top = topLeft ? label.top : label.bottom - kLetterCellHeight;
    for (int y = 0; y < kLetterCellHeight; ++y)
        for (int x = 0; x < kLetterCellWidth; ++x)
            out.Put(left + x, top + y, kLightBoxBlack);
    for (const Glyph& g : kGlyphs) {
        if (g.letter != letter)
            continue;
        for (int row = 0; row < 8; ++row)
            for (int col = 0; col < 7; ++col)
                if (g.rows[std::size_t(row)] & (0x40 >> col))
                    out.Put(left + col, top + kGlyphTop + row, kLetterYellow);
    }
}

void DrawLightBoxPane(CRgbPicture& out, const LightBoxPaneView& view)
{
    out.Fill(kLightBoxBlack);
    if (view.slice) {
        DrawSliceImage(out, view.image, view.slice, view.dimH, view.dimV, view.palette);
        const int x = MarkerCoordinate(view.image.left, view.image.Width(), view.indexH, view.dimH);
        const int y = MarkerCoordinate(view.image.top, view.image.Height(), view.indexV, view.dimV);
        if (view.camera)
            DrawCameraMarker(out, float(x), float(y), view.dirH, view.dirV, view.dirOut, kMarkerRed);
        else
            DrawCrossHair(out, x, y, kMarkerRed);
    }
    DrawAxisLetter(out, view.label, view.first, true);
    DrawAxisLetter(out, view.label, view.second, false);
}
