#pragma once
// What the light box draws, as plain arithmetic on pixels, so that a pane's
// picture can be checked byte for byte without a display.
//
// Each pane is a 192 x 192 square of the form. The slice image is fitted into
// it by the physical extents of its two axes and stretched nearest-neighbour
// from the slice's voxels: pixel offset o of an image n pixels long shows
// voxel trunc(o / n * dim), the rule the mouse hit test uses, so a click
// always picks the voxel drawn under it. Markers are one-pixel lines drawn as
// GDI drew them (a segment leaves out its end point), circles by the midpoint
// rule, letters from a small raster font on an opaque black cell. Nothing is
// antialiased. Every pixel outside the pane picture is clipped.
#include <cstdint>
#include <vector>

#include "render/Renderer.h"

// A rectangle as Windows kept one: right and bottom lie outside it.
struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    PixelRect Shrunk(int by) const { return {left + by, top + by, right - by, bottom - by}; }
    bool operator==(const PixelRect&) const = default;
};

struct PixelPoint {
    int x = 0, y = 0;
    bool operator==(const PixelPoint&) const = default;
};

struct RgbColour {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const RgbColour&) const = default;
};

inline constexpr RgbColour kLightBoxBlack{0, 0, 0};
inline constexpr RgbColour kMarkerRed{255, 0, 0};
inline constexpr RgbColour kLetterYellow{255, 255, 0};

// RGB pixels of one area of the form, rows top down, three bytes a pixel.
// Writes outside the area are dropped: the area is the clip.
class CRgbPicture {
public:
    CRgbPicture() = default;
    explicit CRgbPicture(const PixelRect& area);

    const PixelRect& Area() const { return m_area; }
    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }
    void Fill(RgbColour c);
    void Put(int x, int y, RgbColour c);
    // Black outside the area.
    RgbColour At(int x, int y) const;
    // The first byte of row y (form coordinates), which must lie inside.
    std::uint8_t* Row(int y) { return m_bytes.data() + std::size_t(y - m_area.top) * std::size_t(m_area.Width()) * 3; }

private:
    PixelRect m_area;
    std::vector<std::uint8_t> m_bytes;
};

// The form template's dialog units in pixels, at the base units of its
// font (MS Sans Serif 8: 6 x 13), rounded as MapDialogRect rounds.
PixelPoint DialogToPixels(int x, int y);

constexpr int kLightBoxPaneSize = 192;

// The 192 x 192 pane ending 2 pixels above a slice bar at (x, y).
PixelRect PaneAboveBar(PixelPoint bar);

// The image rectangle of a slice whose axes measure `across` and `down`
// (physical lengths) inside `pane`: the longer axis fills the pane, the other
// is scaled and centred.
PixelRect FitImage(const PixelRect& pane, float across, float down);

// The length to fit an axis with: dim * scale, or the voxel count when that
// is not a positive finite number (a voxel size of 0 or NaN).
float FitLength(int dim, float scale);

// The voxel index under pixel `offset` of an image `length` pixels long
// showing `dim` voxels: trunc(offset / length * dim) in single precision,
// kept inside 0 .. dim - 1.
int PixelToVoxel(int offset, int length, int dim);

// Where the marker of voxel `index` of `dim` stands along an image side
// starting at `start` and `length` pixels long: start + trunc(length * index
// / dim + 0.5).
int MarkerCoordinate(int start, int length, int index, int dim);

// The slice (byte h * dimV + v for voxel h across, v down) stretched into
// `image`; grey, or coloured through the BGR palette when one is given.
void DrawSliceImage(CRgbPicture& out, const PixelRect& image, const std::uint8_t* slice, int dimH, int dimV,
                    const BgrPalette* palette);

// A segment from (x0, y0) towards (x1, y1), the end point left out.
void DrawSegment(CRgbPicture& out, int x0, int y0, int x1, int y1, RgbColour c);
// A circle of radius r about (x, y).
void DrawCircle(CRgbPicture& out, int x, int y, int r, RgbColour c);
// The triangle through three points, filled and outlined.
void FillTriangle(CRgbPicture& out, PixelPoint a, PixelPoint b, PixelPoint c, RgbColour colour);

// The cross-hair of the current point: four arms from 3 to 24 pixels out,
// the centre pixel set.
void DrawCrossHair(CRgbPicture& out, int x, int y, RgbColour c);

// The fly-through eye at (cx, cy) looking along (h, v) in the pane and n out
// of it (the view direction's components, scaled to 25): a small cross in a
// circle, with an X when it looks into the pane, a dot-circle when out of it,
// else an arrow along (h, v).
void DrawCameraMarker(CRgbPicture& out, float cx, float cy, float h, float v, float n, RgbColour c);

// One of the axis letters 'X', 'Y', 'Z' on its black cell, at the top-left
// or the bottom-right corner of `label`.
void DrawAxisLetter(CRgbPicture& out, const PixelRect& label, char letter, bool topLeft);
constexpr int kLetterCellWidth = 8;
constexpr int kLetterCellHeight = 13;

// The axes of the three panes, top to bottom: the slice plane (0 x, 1 y,
// 2 z), the axis across (to the right) and down, and the two letters.
struct LightBoxPaneAxes {
    int plane, across, down;
    char first, second;
};
inline constexpr LightBoxPaneAxes kLightBoxPanes[3] = {
    {0, 2, 1, 'Y', 'Z'},
    {1, 0, 2, 'Z', 'X'},
    {2, 0, 1, 'Y', 'X'},
};

// Everything one pane shows.
struct LightBoxPaneView {
    PixelRect pane, image, label;
    char first = 'Y', second = 'Z';
    // Null draws no slice and no marker (no volume shown).
    const std::uint8_t* slice = nullptr;
    int dimH = 0, dimV = 0;
    int indexH = 0, indexV = 0;
    const BgrPalette* palette = nullptr;
    // In fly-through the eye marker along these, else the cross-hair.
    bool camera = false;
    float dirH = 0, dirV = 0, dirOut = 0;
};

// The pane's picture: black, the slice, the marker, the letters.
void DrawLightBoxPane(CRgbPicture& out, const LightBoxPaneView& view);
