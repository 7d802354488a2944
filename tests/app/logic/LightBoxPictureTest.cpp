#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/logic/LightBoxPicture.h"

namespace {
using Pixels = std::set<std::pair<int, int>>;

// The pixels of `c` in the picture.
Pixels PixelsOf(const CRgbPicture& p, RgbColour c)
{
    Pixels out;
    const PixelRect& a = p.Area();
    for (int y = a.top; y < a.bottom; ++y)
        for (int x = a.left; x < a.right; ++x)
            if (p.At(x, y) == c)
                out.insert({x, y});
    return out;
}

// A picture from rows of characters, one a pixel, by a legend.
std::vector<std::uint8_t> Bytes(const std::vector<std::string>& rows, const std::vector<std::pair<char, RgbColour>>& legend)
{
    std::vector<std::uint8_t> out;
    for (const std::string& row : rows)
        for (char ch : row)
            for (const auto& [key, c] : legend)
                if (key == ch) {
                    out.push_back(c.r);
                    out.push_back(c.g);
                    out.push_back(c.b);
                }
    return out;
}
} // namespace

// The template's dialog units in pixels as MapDialogRect gave them with the
// template's font (6 x 13 base units, rounded to the nearest, halves up),
// and the 192-pixel panes ending 2 pixels above the bars.
TEST(LightBoxLayout, PanesSitAboveTheBars)
{
    EXPECT_EQ(DialogToPixels(7, 151), (PixelPoint{11, 245}));
    EXPECT_EQ(DialogToPixels(7, 297), (PixelPoint{11, 483}));
    EXPECT_EQ(DialogToPixels(7, 441), (PixelPoint{11, 717}));
    EXPECT_EQ(DialogToPixels(128, 11), (PixelPoint{192, 18}));
    EXPECT_EQ(DialogToPixels(142, 472), (PixelPoint{213, 767}));
    EXPECT_EQ(DialogToPixels(4, 4), (PixelPoint{6, 7})); // 6.5 rounds up

    const PixelRect pane = PaneAboveBar({11, 245});
    EXPECT_EQ(pane, (PixelRect{11, 51, 203, 243}));
    EXPECT_EQ(pane.Width(), 192);
    EXPECT_EQ(pane.Height(), 192);
    EXPECT_EQ(pane.Shrunk(2), (PixelRect{13, 53, 201, 241}));
}

// Fitting a slice into its pane by the physical lengths of its axes.
TEST(LightBoxLayout, FitRectangles)
{
    const PixelRect pane{10, 50, 202, 242};
    struct Case {
        const char* what;
        float across, down;
        PixelRect want;
    };
    const Case cases[] = {
        // Dimensions 256, 256, 100 at scales 1, 1, 2: pane 1 shows z (200)
        // across and y (256) down.
        {"taller than wide", 200, 256, {10 + 21, 50, 10 + 21 + 150, 242}},
        {"equal lengths fill the pane", 256, 256, pane},
        {"wider than tall", 256, 200, {10, 50 + 21, 202, 50 + 21 + 150}},
        {"odd leftover halves down", 100, 193, {10 + 46, 50, 10 + 46 + 99, 242}},
        {"a sliver", 1, 1000, {10 + 96, 50, 10 + 96, 242}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FitImage(pane, c.across, c.down), c.want) << c.what;
}

// A physical length that rounds to nothing, is 0 or is not a number falls
// back to the voxel count, so the fit never divides by zero.
TEST(LightBoxLayout, FitLengthFallsBackToTheVoxelCount)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        int dim;
        float scale, want;
    };
    const Case cases[] = {
        {100, 2.0f, 200.0f}, {5, 0.7f, 3.5f}, {10, 0.01f, 0.1f}, // the rounded extent of this is 0
        {10, 0.0f, 10.0f},   {10, -1.0f, 10.0f}, {10, nan, 10.0f}, {10, inf, 10.0f},
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(FitLength(c.dim, c.scale), c.want) << c.dim << " at " << c.scale;

    // A volume of 10 x 10 x 10 voxels a hundredth of a unit each: the slices
    // still fill their panes.
    const PixelRect pane{0, 0, 192, 192};
    EXPECT_EQ(FitImage(pane, FitLength(10, 0.01f), FitLength(10, 0.01f)), pane);
    EXPECT_EQ(FitImage(pane, FitLength(10, 0.0f), FitLength(20, 0.0f)), (PixelRect{48, 0, 144, 192}));
}

// Pixel to voxel (the hit test and the image's stretch) and voxel to marker.
TEST(LightBoxLayout, SliceToPaneMapping)
{
    struct Case {
        int offset, length, dim, voxel;
    };
    const Case toVoxel[] = {
        {0, 150, 100, 0},   {1, 150, 100, 0},   {2, 150, 100, 1},  {149, 150, 100, 99},
        {0, 192, 3, 0},     {63, 192, 3, 0},    {64, 192, 3, 1},   {191, 192, 3, 2},
        {191, 192, 256, 254}, {200, 192, 256, 255}, // past the edge: the last voxel
        {-5, 192, 10, 0},   {5, 0, 10, 0},
    };
    for (const Case& c : toVoxel)
        EXPECT_EQ(PixelToVoxel(c.offset, c.length, c.dim), c.voxel) << c.offset << " of " << c.length;

    struct Marker {
        int start, length, index, dim, at;
    };
    const Marker markers[] = {
        {10, 192, 64, 128, 10 + 96}, {10, 192, 0, 128, 10}, {10, 192, 127, 128, 10 + 191},
        {31, 150, 50, 100, 31 + 75}, {31, 150, 1, 3, 31 + 50}, {31, 150, 2, 3, 31 + 100},
        {0, 149, 1, 2, 75}, // 74.5 rounds up
    };
    for (const Marker& m : markers)
        EXPECT_EQ(MarkerCoordinate(m.start, m.length, m.index, m.dim), m.at) << m.index << " of " << m.dim;
}

// A 3 x 2 slice (column-major: byte h * 2 + v) stretched into 5 x 4 pixels,
// grey and through a palette, byte for byte; what lies outside the picture
// is clipped and the rest of it untouched.
TEST(LightBoxPicture, SliceImageByteForByte)
{
    const std::uint8_t slice[6] = {10, 11, 20, 21, 30, 31}; // (h, v): (0,0)=10 (0,1)=11 (1,0)=20 ...
    const PixelRect image{2, 1, 7, 5};
    CRgbPicture grey(PixelRect{0, 0, 8, 6});
    grey.Fill(RgbColour{1, 2, 3});
    DrawSliceImage(grey, image, slice, 3, 2, nullptr);
    // Columns 0, 1 show h 0; 2, 3 h 1; 4 h 2. Rows 0, 1 show v 0; 2, 3 v 1.
    const RgbColour q{1, 2, 3};
    auto g = [](int v) { return RgbColour{std::uint8_t(v), std::uint8_t(v), std::uint8_t(v)}; };
    const std::vector<std::pair<char, RgbColour>> legend = {
        {'.', q}, {'a', g(10)}, {'b', g(11)}, {'c', g(20)}, {'d', g(21)}, {'e', g(30)}, {'f', g(31)}};
    EXPECT_EQ(grey.Bytes(), Bytes({"........", "..aacce.", "..aacce.", "..bbddf.", "..bbddf.", "........"}, legend));

    BgrPalette palette{};
    for (int i = 0; i < 256; ++i) {
        palette[std::size_t(3 * i)] = std::uint8_t(i);           // blue
        palette[std::size_t(3 * i + 1)] = std::uint8_t(255 - i); // green
        palette[std::size_t(3 * i + 2)] = std::uint8_t(i / 2);   // red
    }
    CRgbPicture coloured(PixelRect{0, 0, 8, 6});
    DrawSliceImage(coloured, image, slice, 3, 2, &palette);
    auto p = [](int v) { return RgbColour{std::uint8_t(v / 2), std::uint8_t(255 - v), std::uint8_t(v)}; };
    const std::vector<std::pair<char, RgbColour>> colours = {
        {'.', kLightBoxBlack}, {'a', p(10)}, {'b', p(11)}, {'c', p(20)}, {'d', p(21)}, {'e', p(30)}, {'f', p(31)}};
    EXPECT_EQ(coloured.Bytes(), Bytes({"........", "..aacce.", "..aacce.", "..bbddf.", "..bbddf.", "........"}, colours));

    // Half the image outside the picture: the rest keeps its voxels.
    CRgbPicture clipped(PixelRect{4, 3, 8, 6});
    DrawSliceImage(clipped, image, slice, 3, 2, nullptr);
    EXPECT_EQ(clipped.Bytes(), Bytes({"ddf.", "ddf.", "...."}, {{'.', kLightBoxBlack}, {'c', g(20)}, {'d', g(21)},
                                                                {'e', g(30)}, {'f', g(31)}}));
}

// Segments leave out their end point as LineTo did; the cross-hair's arms
// run 3 to 24 pixels out with a gap around the set centre pixel.
TEST(LightBoxPicture, SegmentsAndCrossHair)
{
    CRgbPicture p(PixelRect{0, 0, 12, 12});
    DrawSegment(p, 1, 1, 5, 1, kMarkerRed);
    DrawSegment(p, 1, 3, 5, 5, kMarkerRed);
    DrawSegment(p, 9, 9, 9, 9, kMarkerRed); // empty
    // Halfway rows go to the later row.
    EXPECT_EQ(PixelsOf(p, kMarkerRed), (Pixels{{1, 1}, {2, 1}, {3, 1}, {4, 1}, {1, 3}, {2, 4}, {3, 4}, {4, 5}}));

    // Each arm is drawn outwards or inwards as the segments run, so the left
    // and upper arms reach 24 out and start 4 from the centre, the others
    // the other way round.
    CRgbPicture c(PixelRect{0, 0, 100, 100});
    DrawCrossHair(c, 50, 40, kMarkerRed);
    Pixels want{{50, 40}};
    for (int d = 4; d <= 24; ++d) {
        want.insert({50 - d, 40});
        want.insert({50, 40 - d});
        want.insert({50 + d - 1, 40});
        want.insert({50, 40 + d - 1});
    }
    EXPECT_EQ(PixelsOf(c, kMarkerRed), want);
    EXPECT_EQ(c.At(26, 40), kMarkerRed);
    EXPECT_EQ(c.At(74, 40), kLightBoxBlack);

    // Near a pane's corner the arms stop at the pane.
    CRgbPicture corner(PixelRect{0, 0, 20, 20});
    DrawCrossHair(corner, 2, 2, kMarkerRed);
    EXPECT_EQ(PixelsOf(corner, kMarkerRed).size(), 1u + 2 * (19 - 5 + 1));
}

// The fly-through eye: cross and circle always; an X when it looks into the
// pane, a small circle when it looks out, otherwise an arrow whose head
// points along the direction.
TEST(LightBoxPicture, CameraMarker)
{
    auto draw = [](float h, float v, float n) {
        CRgbPicture p(PixelRect{0, 0, 100, 100});
        DrawCameraMarker(p, 50, 50, h, v, n, kMarkerRed);
        return p;
    };
    // The common part: the short cross and the circle of radius 6.
    Pixels common{{50, 50}};
    for (int d = 4; d <= 10; ++d) {
        common.insert({50 - d, 50});
        common.insert({50, 50 - d});
        common.insert({50 + d - 1, 50});
        common.insert({50, 50 + d - 1});
    }
    const Pixels circle6 = {{56, 50}, {56, 51}, {56, 52}, {55, 53}, {54, 54}, {53, 55}, {52, 56}, {51, 56},
                            {50, 56}, {49, 56}, {48, 56}, {47, 55}, {46, 54}, {45, 53}, {44, 52}, {44, 51},
                            {44, 50}, {44, 49}, {44, 48}, {45, 47}, {46, 46}, {47, 45}, {48, 44}, {49, 44},
                            {50, 44}, {51, 44}, {52, 44}, {53, 45}, {54, 46}, {55, 47}, {56, 48}, {56, 49}};
    for (const auto& px : circle6)
        common.insert(px);

    const Pixels inward = PixelsOf(draw(0.2f, -0.4f, -24.9f), kMarkerRed);
    Pixels x = common;
    for (int d = -9; d <= 10; ++d) {
        x.insert({50 + d, 50 + d});
        x.insert({50 + d, 50 - d});
    }
    EXPECT_EQ(inward, x);

    const Pixels outward = PixelsOf(draw(0.0f, 0.0f, 25.0f), kMarkerRed);
    Pixels dot = common;
    for (const auto& px : Pixels{{53, 50}, {53, 51}, {52, 52}, {51, 53}, {50, 53}, {49, 53}, {48, 52}, {47, 51},
                                 {47, 50}, {47, 49}, {48, 48}, {49, 47}, {50, 47}, {51, 47}, {52, 48}, {53, 49}})
        dot.insert(px);
    EXPECT_EQ(outward, dot);

    // Looking right along the pane (25, 0): a shaft from 5 out to the tip
    // at 75 and a head through (80, 50), (75, 45), (75, 55).
    const CRgbPicture right = draw(25.0f, 0.0f, 0.0f);
    for (int xx = 55; xx <= 80; ++xx)
        EXPECT_EQ(right.At(xx, 50), kMarkerRed) << xx;
    for (int yy = 45; yy <= 55; ++yy)
        EXPECT_EQ(right.At(75, yy), kMarkerRed) << yy;
    EXPECT_EQ(right.At(78, 48), kMarkerRed);
    EXPECT_EQ(right.At(78, 52), kMarkerRed);
    EXPECT_EQ(right.At(78, 47), kLightBoxBlack);
    EXPECT_EQ(right.At(78, 53), kLightBoxBlack);
    EXPECT_EQ(right.At(81, 50), kLightBoxBlack);
    EXPECT_EQ(right.At(74, 45), kLightBoxBlack);

    // Down the pane (0, 25): the same arrow turned.
    const CRgbPicture down = draw(0.0f, 25.0f, 0.0f);
    for (int yy = 55; yy <= 80; ++yy)
        EXPECT_EQ(down.At(50, yy), kMarkerRed) << yy;
    for (int xx = 45; xx <= 55; ++xx)
        EXPECT_EQ(down.At(xx, 75), kMarkerRed) << xx;

    // A tiny in-pane part with the eye looking neither in nor out (a zero
    // length vector): no X, no dot, one-pixel head at the centre.
    EXPECT_EQ(PixelsOf(draw(0.0f, 0.0f, 0.0f), kMarkerRed), common);
}

// Axis letters: the glyph in yellow on its opaque black cell, at the label
// rectangle's top-left or bottom-right corner.
TEST(LightBoxPicture, AxisLetters)
{
    CRgbPicture p(PixelRect{0, 0, 30, 30});
    p.Fill(RgbColour{9, 9, 9});
    const PixelRect label{2, 2, 28, 28};
    DrawAxisLetter(p, label, 'Z', false);
    const std::vector<std::string> cell = {
        "........", "........", "#######.", ".....#..", "....#...", "...#....", "..#.....",
        ".#......", "#.......", "#######.", "........", "........", "........",
    };
    for (int y = 0; y < kLetterCellHeight; ++y)
        for (int x = 0; x < kLetterCellWidth; ++x)
            EXPECT_EQ(p.At(20 + x, 15 + y), cell[std::size_t(y)][std::size_t(x)] == '#' ? kLetterYellow : kLightBoxBlack)
                << x << "," << y;
    EXPECT_EQ(p.At(19, 20), (RgbColour{9, 9, 9}));
    EXPECT_EQ(p.At(25, 14), (RgbColour{9, 9, 9}));

    DrawAxisLetter(p, label, 'Y', true);
    EXPECT_EQ(p.At(2, 4), kLetterYellow);  // the Y's arms
    EXPECT_EQ(p.At(8, 4), kLetterYellow);
    EXPECT_EQ(p.At(5, 11), kLetterYellow); // its stem
    EXPECT_EQ(p.At(4, 11), kLightBoxBlack);
    EXPECT_EQ(p.At(2, 2), kLightBoxBlack);
    EXPECT_EQ(p.At(10, 2), (RgbColour{9, 9, 9}));
    EXPECT_EQ(PixelsOf(p, kLetterYellow).size(), 20u + 11u); // Z and Y
}

// A pane without a slice is black with its two letters; with one it shows
// the image and the marker at the current voxel.
TEST(LightBoxPicture, WholePane)
{
    LightBoxPaneView view;
    view.pane = {0, 0, 192, 192};
    view.label = view.pane.Shrunk(2);
    view.first = 'Z';
    view.second = 'X';
    CRgbPicture p(view.pane);
    p.Fill(RgbColour{5, 5, 5});
    DrawLightBoxPane(p, view);
    EXPECT_EQ(PixelsOf(p, kLetterYellow).size(), 20u + 14u);
    EXPECT_TRUE(PixelsOf(p, kMarkerRed).empty());
    EXPECT_EQ(PixelsOf(p, kLightBoxBlack).size(), 192u * 192u - 34u);

    const std::uint8_t slice[4] = {200, 200, 200, 200};
    view.slice = slice;
    view.dimH = view.dimV = 2;
    view.indexH = 1;
    view.indexV = 0;
    view.image = FitImage(view.pane, 2, 2);
    DrawLightBoxPane(p, view);
    const RgbColour grey{200, 200, 200};
    EXPECT_EQ(p.At(96, 0), kMarkerRed); // marker at (96, 0), arms clipped above
    EXPECT_EQ(p.At(96, 20), kMarkerRed);
    EXPECT_EQ(p.At(72, 0), kMarkerRed);
    EXPECT_EQ(p.At(71, 0), grey);
    EXPECT_EQ(p.At(96, 30), grey);
    EXPECT_EQ(p.At(100, 100), grey);
    EXPECT_EQ(p.At(2, 4), kLetterYellow);  // the Z over the image
    EXPECT_EQ(p.At(9, 4), kLightBoxBlack); // on its opaque cell
    EXPECT_EQ(p.At(1, 1), grey);
}
