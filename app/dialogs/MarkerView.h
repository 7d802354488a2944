#pragma once
// The segmentation dialog's arithmetic and picture, without a window: where
// the slice lies and which voxel a pointer picks, which seeds lie on the
// shown slice and where their marks go, the contours of a preview, the
// seed lists' entries and the rules that enable Process and Preview.
//
// The view rectangle of this dialog holds its right and bottom pixels, so a
// slice w pixels wide spans w - 1 pixels: the first pixel shows voxel 0 and
// the last pixel the last voxel, both for picking and for drawing marks.
#include <cstdint>
#include <string>
#include <vector>

#include "app/dialogs/SliceArea.h"
#include "app/logic/LightBoxPicture.h"
#include "data/Volume.h"

class CSliceImage;

inline constexpr RgbColour kInSeedGreen{0, 255, 0};
inline constexpr RgbColour kOutSeedRed{255, 0, 0};
inline constexpr RgbColour kContourYellow{255, 255, 0};

// The slice on screen: left and top, right and bottom all inclusive.
struct MarkerViewRect {
    int left = 0, top = 0, right = -1, bottom = -1;

    int SpanX() const { return right - left; }
    int SpanY() const { return bottom - top; }
    bool Contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
    bool operator==(const MarkerViewRect&) const = default;
};

// The fit of the shown slice (rounded to the nearest pixel) as a view
// rectangle.
MarkerViewRect MarkerView(const CSliceArea& area);

// The voxel under client pixel (x, y): false off the slice. The current
// slice on the shown axis, trunc(offset / span * dim + 0.5) on the others,
// at most dim - 1.
bool PickMarkerVoxel(const CSliceArea& area, const MarkerViewRect& view, int x, int y, int voxel[3]);

// Whether a seed's coordinate along `axis`, truncated, is `slice`.
bool SeedOnSlice(const SeedPoint& p, int axis, int slice);
bool AnySeedOnSlice(const std::vector<SeedPoint>& list, int axis, int slice);

// A seed as its list entry shows it: "(x, y, z)", each truncated.
std::string SeedText(const SeedPoint& p);
// Appends the voxel as a seed; returns its index, the entry's item data.
int AddSeed(std::vector<SeedPoint>& list, const int voxel[3]);
// Removes the seed an entry's item data names; false, with the list as it
// was, when it names none.
bool RemoveSeed(std::vector<SeedPoint>& list, long itemData);

// Process needs both kinds of seed anywhere; Preview both on this slice.
struct MarkerButtons {
    bool process = false;
    bool preview = false;
    bool operator==(const MarkerButtons&) const = default;
};
MarkerButtons MarkerButtonsFor(const CVolume& volume, bool inOnSlice, bool outOnSlice);

// Draws a 5 x 5 mark in `colour` for every seed of the shown slice:
// left + trunc(coordinate / dim * span + 0.5) across and likewise down.
// Returns whether any seed lay on the slice.
bool DrawSeedMarks(CRgbPicture& out, const CSliceArea& area, const MarkerViewRect& view,
                   const std::vector<SeedPoint>& list, RgbColour colour);

// Each contour of `image` as a closed polyline through its nodes (head to
// tail and back), and two circles of radius 2 and 4 about each contour's
// mean; image pixel (x, y) at left + trunc(x * span / w + 0.5) and likewise
// down, for an image of w x h pixels.
void DrawContourEdges(CRgbPicture& out, CSliceImage& image, const MarkerViewRect& view);
void DrawContourMeans(CRgbPicture& out, CSliceImage& image, const MarkerViewRect& view);

// The picture of the drawing area: black, the plane (column-major, as the
// area's plane buffers hold it) stretched into the view rectangle.
CRgbPicture MarkerAreaPicture(const std::uint8_t* plane, int columns, int rows, const SlicePlacement& placement);
