#include <cstdint>

#include <gtest/gtest.h>

#include "app/logic/XfrPicture.h"

using xfr::GraphPoint;
using xfr::Rgb;

namespace {
// An expected picture written pixel run by pixel run, from coordinates
// worked out by hand.
struct Expected {
    CXfrPicture p;
    void Column(int u, int v0, int v1, Rgb c)
    {
        for (int v = v0; v <= v1; ++v)
            p.Put(u, v, c);
    }
    void Row(int v, int u0, int u1, Rgb c)
    {
        for (int u = u0; u <= u1; ++u)
            p.Put(u, v, c);
    }
};

// Where two pictures differ, as "(u, v)" of the first pixel and a count.
std::string Difference(const CXfrPicture& got, const CXfrPicture& want)
{
    int count = 0;
    std::string first;
    for (int v = 0; v < CXfrPicture::kSize; ++v)
        for (int u = 0; u < CXfrPicture::kSize; ++u)
            if (!(got.At(u, v) == want.At(u, v)) && count++ == 0)
                first = "(" + std::to_string(u) + ", " + std::to_string(v) + ")";
    return count ? std::to_string(count) + " pixels differ, first at " + first : "";
}
} // namespace

// Client pixels to graph values: the square's corners, the top row that
// would read 256, and points beside the square, which run beyond 0..255.
TEST(XfrGraph, ClientPointsToValues)
{
    struct Case {
        int px, py;
        bool inside;
        GraphPoint want;
        const char* why;
    };
    const Case cases[] = {
        {10, 265, true, {0, 1}, "bottom-left pixel"},
        {265, 265, true, {255, 1}, "bottom-right pixel"},
        {10, 11, true, {0, 255}, "second row from the top"},
        {10, 10, true, {0, 255}, "top row held at 255"},
        {138, 139, true, {128, 127}, "middle"},
        {9, 100, false, {-1, 166}, "left of the square"},
        {266, 100, false, {256, 166}, "right edge is outside"},
        {100, 266, false, {90, 0}, "bottom edge is outside"},
        {100, 300, false, {90, -34}, "below: y runs negative"},
        {100, 9, false, {90, 255}, "above: still held at 255"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(xfr::GraphContains(c.px, c.py), c.inside) << c.why;
        EXPECT_EQ(xfr::ClientToGraph(c.px, c.py), c.want) << c.why;
    }
    // And back: every value below the top maps to the pixel it came from.
    for (int x : {0, 1, 127, 255})
        for (int y : {1, 2, 128, 255}) {
            const GraphPoint p = xfr::GraphToClient(x, y);
            EXPECT_TRUE(xfr::GraphContains(p.x, p.y)) << x << ", " << y;
            EXPECT_EQ(xfr::ClientToGraph(p.x, p.y), (GraphPoint{x, y})) << x << ", " << y;
        }
    EXPECT_EQ(xfr::GraphToClient(0, 0), (GraphPoint{10, 266})); // an output of 0 lies below the square
}

// A known histogram, curve and two markers, compared byte for byte: the
// bars stand on the bottom row, output 0 is off the square, jumps are
// filled half in each column (the odd middle row in the right one), the
// markers are 8 x 8 and clipped at the edges, the selected one filled white.
TEST(CXfrPicture, KnownGraphByteForByte)
{
    std::uint8_t display[256] = {};
    display[3] = 5;
    display[200] = 255;
    RgbaLookupTable table{};
    table.fill(77); // the other columns must not show
    auto set = [&](int from, int to, int value) {
        for (int i = from; i <= to; ++i)
            table[4 * i + 3] = std::uint8_t(value);
    };
    set(0, 9, 0);
    set(10, 19, 3);
    set(20, 254, 5);
    set(255, 255, 255);

    CXfrPicture got;
    got.m_rgb.fill(99); // the histogram clears whatever was there
    got.DrawHistogram(display);
    got.DrawCurve(table, 3, xfr::kAlphaCurve);
    got.DrawMarker(10, 3, true);
    got.DrawMarker(255, 255, false);

    const Rgb grey = xfr::kHistogramGrey, alpha = xfr::kAlphaCurve, white = xfr::kMarkerEdge, black{};
    Expected want;
    want.Column(3, 251, 255, grey);
    want.Column(200, 1, 255, grey);
    // Entries 0..9 lie on row 256, outside.
    want.Column(9, 255, 255, alpha);  // jump 256 -> 253: row 255 left,
    want.Column(10, 253, 254, alpha); // row 254 right, then the entry
    want.Row(253, 11, 19, alpha);
    want.Column(20, 251, 252, alpha); // jump 253 -> 251: the middle row right
    want.Row(251, 21, 254, alpha);
    want.Column(254, 127, 250, alpha); // jump 251 -> 1: 124 rows left,
    want.Column(255, 1, 126, alpha);   // 125 and the entry right
    for (int v = 249; v <= 255; ++v)   // the selected marker, its bottom row clipped
        want.Row(v, 6, 13, white);
    for (int v = 0; v <= 3; ++v) // the other: rows -3..4, columns 251..258
        want.Row(v, 252, 255, black);
    want.Column(251, 0, 4, white);
    want.Row(4, 251, 255, white);

    EXPECT_EQ(Difference(got, want.p), "");
    EXPECT_TRUE(got.m_rgb == want.p.m_rgb);
}

// Points read from a file can hold any 32-bit value: a marker just beside
// the square still shows its edge, one further out or at the far ends of
// the range draws nothing.
TEST(CXfrPicture, MarkersFarOutsideTheSquare)
{
    struct Case {
        int x, y;
        int count; // marker pixels on the square
        const char* why;
    };
    const Case cases[] = {
        {-3, 128, 8, "left edge column only"},
        {259, 128, 8, "right edge column only"},
        {128, -3, 8, "bottom edge row only"},
        {128, 259, 8, "top edge row only"},
        {-4, 128, 0, "one column further left"},
        {260, 128, 0, "one column further right"},
        {128, -4, 0, "one row further down"},
        {128, 260, 0, "one row further up"},
        {INT32_MIN, 0, 0, "smallest x"},
        {0, INT32_MIN, 0, "smallest y"},
        {INT32_MAX, INT32_MAX, 0, "largest x and y"},
    };
    for (const Case& c : cases) {
        CXfrPicture p;
        p.DrawMarker(c.x, c.y, false);
        int count = 0;
        for (int v = 0; v < CXfrPicture::kSize; ++v)
            for (int u = 0; u < CXfrPicture::kSize; ++u)
                count += p.At(u, v) == xfr::kMarkerEdge;
        EXPECT_EQ(count, c.count) << c.why;
    }
}

// A flat curve is one row; a rising identity is a diagonal without fill;
// a falling jump fills the same way as a rising one.
TEST(CXfrPicture, CurveRows)
{
    RgbaLookupTable table{};
    for (int i = 0; i < 256; ++i) {
        table[4 * i + 0] = 200;
        table[4 * i + 1] = std::uint8_t(i);
        table[4 * i + 2] = std::uint8_t(i < 128 ? 250 : 10);
    }
    struct Case {
        int column;
        std::vector<std::pair<int, int>> on; // (u, v) pixels that must be set
        int count;                           // how many pixels are set in all
        const char* why;
    };
    const Case cases[] = {
        {0, {{0, 56}, {128, 56}, {255, 56}}, 256, "flat at 200"},
        {1, {{1, 255}, {128, 128}, {255, 1}}, 255, "identity: entry 0 off the square"},
        // 6 -> 246 over 240 rows: rows 7..125 left, 126..245 right.
        {2, {{127, 6}, {127, 7}, {127, 125}, {128, 126}, {128, 245}, {128, 246}}, 256 + 239, "falling jump"},
    };
    for (const Case& c : cases) {
        CXfrPicture p;
        p.DrawCurve(table, c.column, xfr::kRedCurve);
        for (auto [u, v] : c.on)
            EXPECT_EQ(p.At(u, v), xfr::kRedCurve) << c.why << " at " << u << ", " << v;
        int count = 0;
        for (int v = 0; v < 256; ++v)
            for (int u = 0; u < 256; ++u)
                count += p.At(u, v) == xfr::kRedCurve;
        EXPECT_EQ(count, c.count) << c.why;
    }
}
