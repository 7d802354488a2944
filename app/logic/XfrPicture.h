#pragma once
#include <array>
#include <cstdint>

#include "render/Renderer.h"

// The transfer-function editor's graph: a 256 x 256 pixel square whose top
// left is at (10, 10) of the editor's client area. Input values run left to
// right, output values bottom to top; value v sits on client row 266 - v, so
// an output of 0 falls just below the square and the top row stands for 256.
namespace xfr {
constexpr int kGraphLeft = 10;
constexpr int kGraphTop = 10;
constexpr int kGraphRight = 266; // exclusive
constexpr int kGraphBottom = 266; // exclusive
constexpr int kGraphSize = 256;

struct GraphPoint {
    int x = 0;
    int y = 0;
    bool operator==(const GraphPoint&) const = default;
};

// Whether a client point lies on the graph (right and bottom edges outside).
constexpr bool GraphContains(int px, int py)
{
    return px >= kGraphLeft && px < kGraphRight && py >= kGraphTop && py < kGraphBottom;
}

// Input and output value of a client point. Points off the graph run beyond
// 0..255 (a drag clamps them later); only y is held at 255, since the top
// row would give 256.
constexpr GraphPoint ClientToGraph(int px, int py)
{
    const int y = kGraphBottom - py;
    return {px - kGraphLeft, y > 255 ? 255 : y};
}

// The client pixel that stands for input x and output y.
constexpr GraphPoint GraphToClient(int x, int y) { return {kGraphLeft + x, kGraphBottom - y}; }

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

constexpr Rgb kHistogramGrey{127, 127, 127};
constexpr Rgb kRedCurve{255, 0, 0};
constexpr Rgb kGreenCurve{0, 255, 0};
constexpr Rgb kBlueCurve{0, 0, 255};
constexpr Rgb kAlphaCurve{255, 0, 255};
constexpr Rgb kIntensityCurve{255, 255, 0};
constexpr Rgb kMarkerEdge{255, 255, 255};
} // namespace xfr

// The graph's pixels as RGB bytes, top row first; pixel (u, v) is client
// pixel (10 + u, 10 + v). Everything drawn is clipped to the square.
//
// Pixel rules (all exact, so a picture can be compared byte for byte):
// - histogram: the square black, then in column i the bottom h[i] pixels
//   (rows 256 - h[i] .. 255) grey;
// - curve of a table column T: in column i the pixel of row 256 - T[i]; where
//   two neighbouring entries lie more than one row apart, the rows strictly
//   between them are filled, the nearer half in the left column and the rest
//   (the middle included) in the right column, so the curve has no gaps;
// - marker at (x, y): the 8 x 8 square of columns x - 4 .. x + 3 and rows
//   256 - y - 4 .. 256 - y + 3, a white edge around a white (selected) or
//   black inside.
class CXfrPicture {
public:
    static constexpr int kSize = xfr::kGraphSize;
    std::array<std::uint8_t, 3 * kSize * kSize> m_rgb{};

    // The black square with the histogram of a 256-entry display table.
    void DrawHistogram(const std::uint8_t display[256]);
    // One column (0..3) of the lookup table as a curve.
    void DrawCurve(const RgbaLookupTable& table, int column, xfr::Rgb colour);
    // A marker for the control point (x, y).
    void DrawMarker(int x, int y, bool selected);

    xfr::Rgb At(int u, int v) const;
    // Writes one pixel; pixels outside the square are dropped.
    void Put(int u, int v, xfr::Rgb colour);
};
