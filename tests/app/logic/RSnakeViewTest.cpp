#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/logic/RSnakeView.h"

namespace {
struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

Rgb ViewAt(const std::vector<std::uint8_t>& view, int x, int y)
{
    const std::uint8_t* p = view.data() + (std::size_t(y) * kRSnakeViewSize + std::size_t(x)) * 3;
    return {p[0], p[1], p[2]};
}

// An image whose every pixel has its own colour: red = 10 + column,
// green = 100 + row.
std::vector<std::uint8_t> Numbered(int w, int h)
{
    std::vector<std::uint8_t> rgb(std::size_t(w) * std::size_t(h) * 3);
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            std::uint8_t* p = rgb.data() + (std::size_t(r) * w + c) * 3;
            p[0] = std::uint8_t(10 + c);
            p[1] = std::uint8_t(100 + r);
            p[2] = 7;
        }
    return rgb;
}

Rgb Pixel(int column, int row) { return {10 + column, 100 + row, 7}; }

std::vector<std::uint8_t> Drawn(const CRSnakeView& view, const std::vector<std::uint8_t>& image, bool grid)
{
    std::vector<std::uint8_t> out(kRSnakeViewBytes, 0xAB);
    view.Draw(image.empty() ? nullptr : image.data(), grid, out.data());
    return out;
}

CRSnakeView Zoomed(int w, int h, int drag)
{
    CRSnakeView v;
    v.Fit(w, h);
    v.BeginZoom(100);
    v.MoveTo(100 + drag, 100);
    v.EndZoom();
    return v;
}
} // namespace

// The longer side gets the 511 pixels, the shorter one rounds to the nearest
// pixel (never none); the pixel scale follows the longer side; the centre is
// the image's middle in integer halves; an empty image fits nothing.
TEST(RSnakeView, FitsTheLongerSideInto511Pixels)
{
    struct Case {
        int w, h;
        int viewW, viewH;
        float scale;
        int cx, cy;
    };
    const Case cases[] = {
        {256, 256, 511, 511, 511.0f / 256, 128, 128},
        {512, 256, 511, 256, 511.0f / 512, 256, 128}, // 255.5 rounds up
        {100, 300, 170, 511, 511.0f / 300, 50, 150},  // 170.33
        {300, 200, 511, 341, 511.0f / 300, 150, 100}, // 340.67
        {7, 3, 511, 219, 511.0f / 7, 3, 1},
        {1, 1, 511, 511, 511.0f, 0, 0},
        {3000, 1, 511, 1, 511.0f / 3000, 1500, 0}, // 0.17 would be no row
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
        CRSnakeView v;
        v.Fit(c.w, c.h);
        EXPECT_TRUE(v.HasImage());
        EXPECT_EQ(v.m_nViewWidth, c.viewW);
        EXPECT_EQ(v.m_nViewHeight, c.viewH);
        EXPECT_FLOAT_EQ(v.m_fPixelScale, c.scale);
        EXPECT_EQ(v.m_nCentreX, c.cx);
        EXPECT_EQ(v.m_nCentreY, c.cy);
        EXPECT_EQ(v.m_fZoom, 1.0f);
        EXPECT_EQ(v.Source(), (RSnakeSource{0, 0, c.w, c.h}));
    }
    CRSnakeView empty;
    empty.Fit(0, 5);
    EXPECT_FALSE(empty.HasImage());
    EXPECT_TRUE(empty.GridLines().empty());
}

// The square's edges: its left and top rows are in, right and bottom out.
TEST(RSnakeView, PressesCountInsideTheSquareOnly)
{
    struct Case {
        int x, y;
        bool in;
    };
    const Case cases[] = {{10, 10, true},  {520, 520, true}, {9, 100, false},   {100, 9, false},
                          {521, 100, false}, {100, 521, false}, {265, 265, true}};
    for (const Case& c : cases)
        EXPECT_EQ(CRSnakeView::InView(c.x, c.y), c.in) << c.x << ", " << c.y;
}

// A right drag zooms by 0.01 per pixel to the right of the anchor: left of
// it the zoom stays 1 and the anchor follows the pointer, beyond 4000 pixels
// it stays 41 and the anchor follows as well. A new press goes on from the
// zoom shown, also for zooms a float cannot hold exactly (1.3).
TEST(RSnakeView, RightDragZoomsFromTheAnchor)
{
    CRSnakeView v;
    v.Fit(256, 256);
    EXPECT_FALSE(v.MoveTo(300, 300)) << "no drag, no change";
    v.BeginZoom(100);
    EXPECT_EQ(v.m_nZoomAnchor, 100);
    struct Step {
        int x;
        float zoom;
        int anchor;
    };
    const Step steps[] = {
        {150, 1.5f, 100},  {40, 1.0f, 40},      {41, 1.01f, 40},    {4040, 41.0f, 40},
        {4100, 41.0f, 100}, {4050, 40.5f, 100}, {-500, 1.0f, -500}, {-470, 1.3f, -500},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.x);
        EXPECT_TRUE(v.MoveTo(s.x, 0));
        EXPECT_FLOAT_EQ(v.m_fZoom, s.zoom);
        EXPECT_EQ(v.m_nZoomAnchor, s.anchor);
    }
    v.EndZoom();
    EXPECT_FALSE(v.MoveTo(0, 0));
    EXPECT_FLOAT_EQ(v.m_fZoom, 1.3f);

    v.BeginZoom(200);
    EXPECT_EQ(v.m_nZoomAnchor, 170);
    v.MoveTo(200, 0);
    EXPECT_FLOAT_EQ(v.m_fZoom, 1.3f) << "the zoom continues where it was";
    v.MoveTo(210, 0);
    EXPECT_FLOAT_EQ(v.m_fZoom, 1.4f);
}

// The source is the image over the zoom, rounded, about the centre; a pan
// moves the centre by the pointer's way over the zoom (truncated) and can
// never take the source outside the image. At zoom 1 a left press does
// nothing; zooming back out after a pan shows the whole image again.
TEST(RSnakeView, PanKeepsTheSourceInsideTheImage)
{
    CRSnakeView v = Zoomed(200, 100, 100); // zoom 2
    EXPECT_EQ(v.Source(), (RSnakeSource{50, 25, 100, 50}));

    struct Step {
        int x, y;
        RSnakeSource source;
        int cx, cy;
    };
    ASSERT_TRUE(v.BeginPan(300, 300));
    const Step steps[] = {
        {301, 301, {50, 25, 100, 50}, 100, 50},     // half a pixel truncates to none
        {340, 280, {30, 35, 100, 50}, 80, 60},      // 40 / 2 left, 20 / 2 down
        {500, 300, {0, 25, 100, 50}, 50, 50},       // left edge: the centre follows
        {-300, 0, {100, 50, 100, 50}, 150, 75},     // right and bottom edges
        {300, 1000, {50, 0, 100, 50}, 100, 25},     // top edge held
        {300, -1000, {50, 50, 100, 50}, 100, 75},   // bottom edge
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::to_string(s.x) + ", " + std::to_string(s.y));
        EXPECT_TRUE(v.MoveTo(s.x, s.y));
        EXPECT_EQ(v.Source(), s.source);
        EXPECT_EQ(v.m_nCentreX, s.cx);
        EXPECT_EQ(v.m_nCentreY, s.cy);
    }
    v.EndPan();

    // Zooming out from the corner shows the whole image.
    v.BeginZoom(0);
    v.MoveTo(-200, 0);
    EXPECT_EQ(v.m_fZoom, 1.0f);
    EXPECT_EQ(v.Source(), (RSnakeSource{0, 0, 200, 100}));
    EXPECT_FALSE(v.BeginPan(300, 300)) << "zoom 1";
    EXPECT_FALSE(v.m_bPanning);

    // Odd sizes: 101 / 2 + 0.5 gives 51 pixels, left at centre - 25.
    CRSnakeView odd = Zoomed(101, 9, 100);
    EXPECT_EQ(odd.Source(), (RSnakeSource{25, 2, 51, 5}));
    // A tiny image at zoom 41 still shows one pixel.
    CRSnakeView tiny = Zoomed(3, 2, 4000);
    EXPECT_EQ(tiny.Source(), (RSnakeSource{1, 1, 1, 1}));
}

// Grid lines fall every zoom x pixel scale view pixels, rounded: about 2
// apart for a 256-pixel image at zoom 1, 4 apart at zoom 2, and at the
// quarter points of a 4-pixel image.
TEST(RSnakeView, GridLinesAtTheImagePixelBoundaries)
{
    CRSnakeView v;
    v.Fit(256, 256);
    std::vector<int> lines = v.GridLines();
    ASSERT_EQ(lines.size(), 256u);
    EXPECT_EQ(std::vector<int>(lines.begin(), lines.begin() + 5), (std::vector<int>{0, 2, 4, 6, 8}));
    EXPECT_EQ(lines[128], 256); // 255.5 rounds up
    EXPECT_EQ(lines.back(), 509);

    lines = Zoomed(256, 256, 100).GridLines();
    ASSERT_EQ(lines.size(), 128u);
    EXPECT_EQ(lines[1], 4);
    EXPECT_EQ(lines.back(), 507);

    CRSnakeView four;
    four.Fit(4, 2);
    EXPECT_EQ(four.GridLines(), (std::vector<int>{0, 128, 256, 383}));
    // Spacings below a pixel draw each line once.
    CRSnakeView wide;
    wide.Fit(2000, 2000);
    lines = wide.GridLines();
    EXPECT_EQ(lines.size(), 511u);
}

// The picture: the source stretched over the fitted part of the square by
// nearest sample, black below it, blue grid lines over the whole square;
// zoomed, only the source's pixels show. Column boundaries worked out by
// hand: view x shows column x * 4 / 511 of a 4-pixel-wide image.
TEST(RSnakeView, PictureIsTheSourceStretchedWithGridLines)
{
    const std::vector<std::uint8_t> image = Numbered(4, 2);
    CRSnakeView v;
    v.Fit(4, 2); // 511 x 256
    std::vector<std::uint8_t> view = Drawn(v, image, false);
    struct Probe {
        int x, y;
        Rgb colour;
    };
    const Rgb black{0, 0, 0}, blue{0, 0, 255};
    const Probe plain[] = {
        {0, 0, Pixel(0, 0)},     {127, 0, Pixel(0, 0)},   {128, 0, Pixel(1, 0)},   {255, 127, Pixel(1, 0)},
        {256, 128, Pixel(2, 1)}, {383, 255, Pixel(2, 1)}, {384, 255, Pixel(3, 1)}, {510, 255, Pixel(3, 1)},
        {0, 256, black},         {510, 510, black},
    };
    for (const Probe& p : plain)
        EXPECT_EQ(ViewAt(view, p.x, p.y), p.colour) << p.x << ", " << p.y;

    view = Drawn(v, image, true);
    const Probe grid[] = {
        {0, 50, blue},   {128, 50, blue},  {383, 300, blue}, {129, 50, Pixel(1, 0)}, {50, 128, blue},
        {50, 127, Pixel(0, 0)}, {50, 383, blue}, {50, 384, black}, {510, 510, black},
    };
    for (const Probe& p : grid)
        EXPECT_EQ(ViewAt(view, p.x, p.y), p.colour) << "grid " << p.x << ", " << p.y;

    // Zoom 2: source (1, 1, 2, 1), so only columns 1 and 2 of row 1 show.
    CRSnakeView z = Zoomed(4, 2, 100);
    ASSERT_EQ(z.Source(), (RSnakeSource{1, 1, 2, 1}));
    view = Drawn(z, image, false);
    const Probe zoomed[] = {
        {0, 0, Pixel(1, 1)}, {255, 255, Pixel(1, 1)}, {256, 0, Pixel(2, 1)}, {510, 255, Pixel(2, 1)}, {0, 256, black},
    };
    for (const Probe& p : zoomed)
        EXPECT_EQ(ViewAt(view, p.x, p.y), p.colour) << "zoomed " << p.x << ", " << p.y;
    EXPECT_EQ(z.GridLines(), (std::vector<int>{0, 256})) << "255.5 apart";

    // No image, or no bytes for it: all black.
    CRSnakeView none;
    none.Fit(0, 0);
    EXPECT_EQ(Drawn(none, {}, true), std::vector<std::uint8_t>(kRSnakeViewBytes, 0));
    EXPECT_EQ(Drawn(v, {}, true), std::vector<std::uint8_t>(kRSnakeViewBytes, 0));
}

// A slice image's plane layout (column-major, row 0 first) becomes grey
// RGB rows, top row first.
TEST(RSnakeView, GreyImageFromThePlaneLayout)
{
    // 3 columns, 2 rows: column c, row r at c * 2 + r.
    const std::uint8_t plane[] = {1, 2, 3, 4, 5, 6};
    const std::vector<std::uint8_t> rgb = CRSnakeView::GreyImage(plane, 3, 2);
    EXPECT_EQ(rgb, (std::vector<std::uint8_t>{1, 1, 1, 3, 3, 3, 5, 5, 5, 2, 2, 2, 4, 4, 4, 6, 6, 6}));
    EXPECT_TRUE(CRSnakeView::GreyImage(plane, 0, 2).empty());
}
