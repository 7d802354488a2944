#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "app/dialogs/SliceArea.h"
#include "data/VolumeFixtures.h"
#include "support/TempDir.h"

namespace {
std::vector<std::uint8_t> Area() { return std::vector<std::uint8_t>(kSliceAreaBytes, 0xAB); }

int Grey(const std::vector<std::uint8_t>& rgb, int clientX, int clientY)
{
    const std::size_t at = (std::size_t(clientY - kSliceAreaTop) * kSliceAreaSize + (clientX - kSliceAreaLeft)) * 3;
    EXPECT_EQ(rgb[at], rgb[at + 1]);
    EXPECT_EQ(rgb[at], rgb[at + 2]);
    return rgb[at];
}
} // namespace

// The fit keeps the physical aspect: the longer side gets 512 pixels, the
// other is centred by integer halves; truncated or rounded as the dialog
// asks. Sizes that are not positive fall back to the voxel counts, and a
// very thin slice keeps one pixel.
TEST(SliceArea, FitKeepsThePhysicalAspect)
{
    struct Case {
        double w, h;
        int voxelsW, voxelsH;
        SliceRounding rounding;
        SlicePlacement expected; // left, top, width, height
        const char* why;
    };
    const Case cases[] = {
        {50, 100, 50, 100, SliceRounding::kTruncate, {139, 11, 256, 512}, "twice as high: 256 wide, left 139"},
        {100, 50, 100, 50, SliceRounding::kTruncate, {11, 139, 512, 256}, "twice as wide: centred vertically"},
        {64, 64, 64, 64, SliceRounding::kTruncate, {11, 11, 512, 512}, "square fills the area"},
        {100, 300, 100, 300, SliceRounding::kTruncate, {182, 11, 170, 512}, "170.67 truncated"},
        {100, 300, 100, 300, SliceRounding::kNearest, {181, 11, 171, 512}, "170.67 rounded"},
        {0, 0, 10, 20, SliceRounding::kTruncate, {139, 11, 256, 512}, "zero extents: the voxel counts"},
        {0, 40, 10, 20, SliceRounding::kTruncate, {139, 11, 256, 512}, "one zero extent: the voxel counts"},
        {1, 2000, 1, 2000, SliceRounding::kTruncate, {266, 11, 1, 512}, "never narrower than a pixel"},
        {HUGE_VAL, 40, 10, 20, SliceRounding::kTruncate, {139, 11, 256, 512}, "an endless extent: the voxel counts"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(FitSlice(c.w, c.h, c.voxelsW, c.voxelsH, c.rounding), c.expected);
    }
}

// A pointer position maps to trunc(offset / span * dim + 0.5); the last
// pixel of the slice picks the last voxel, never one beyond.
TEST(SliceArea, PickStaysInsideTheAxis)
{
    struct Case {
        int p, from, span, dim, expected;
        const char* why;
    };
    const Case cases[] = {
        {11, 11, 512, 64, 0, "first pixel"},
        {522, 11, 512, 64, 63, "last pixel of 512 over 64 voxels: 63.875 + 0.5 reaches 64"},
        {522, 11, 512, 512, 511, "last pixel, one voxel per pixel"},
        {18, 11, 512, 64, 1, "7/8 of the first voxel rounds to the second"},
        {15, 11, 512, 64, 1, "an exact half rounds up"},
        {14, 11, 512, 64, 0, "below the half"},
        {394, 139, 256, 10, 10 - 1, "the right-most pixel of a narrow image"},
        {100, 11, 0, 64, 0, "no span"},
        {30000, 0, 1, 1 << 30, (1 << 30) - 1, "far past a huge axis: its last voxel"},
        {-30000, 0, 1, 1 << 30, 0, "far before it: its first"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PickIndex(c.p, c.from, c.span, c.dim), c.expected) << c.why;
}

// The picture: black outside the slice, each slice byte as grey, column c,
// row r at byte c * rows + r, stretched by nearest sample.
TEST(SliceArea, DrawsTheColumnMajorSliceStretched)
{
    // Two columns of three rows: bytes c * 3 + r.
    const std::uint8_t slice[6] = {10, 11, 12, 20, 21, 22};
    const SlicePlacement placement{139, 11, 256, 512};
    std::vector<std::uint8_t> rgb = Area();
    DrawSliceArea(slice, 2, 3, placement, rgb.data());
    EXPECT_EQ(Grey(rgb, 11, 11), 0) << "left of the slice";
    EXPECT_EQ(Grey(rgb, 138, 300), 0);
    EXPECT_EQ(Grey(rgb, 395, 300), 0) << "right of the slice";
    EXPECT_EQ(Grey(rgb, 139, 11), 10);
    EXPECT_EQ(Grey(rgb, 266, 11), 10) << "image column 127 is slice column 0";
    EXPECT_EQ(Grey(rgb, 267, 11), 20) << "image column 128 is slice column 1";
    EXPECT_EQ(Grey(rgb, 139, 11 + 170), 10) << "row 170 * 3 / 512 = 0";
    EXPECT_EQ(Grey(rgb, 139, 11 + 171), 11) << "row 171 * 3 / 512 = 1";
    EXPECT_EQ(Grey(rgb, 394, 522), 22) << "last pixel shows the last byte";
    // Nothing outside the slice is left from before.
    int stale = 0;
    for (std::uint8_t b : rgb)
        stale += b == 0xAB;
    EXPECT_EQ(stale, 0);
}

// The slice state: middle slices and extents from the volume; each axis's
// slice comes from the plane views, the same with and without their cache
// file; a buffer keeps the slice it read until it is told to forget.
TEST(SliceArea, ReadsEachAxisFromThePlaneViews)
{
    StatusRecorder status;
    TempDir tmp;
    auto volume = MakePatterned(5, 4, 3, 8);
    volume->SetVoxelSize(2.0f, 1.0f, 0.5f);
    auto cached = MakePatterned(5, 4, 3, 8);
    cached->SetVoxelSize(2.0f, 1.0f, 0.5f);
    cached->BuildDiskCache();
    ASSERT_TRUE(cached->HasSwapFile());
    ASSERT_EQ(cached->m_pData, nullptr) << "swapped out: the plane-view files answer";

    for (CVolume* v : {volume.get(), cached.get()}) {
        SCOPED_TRACE(v == cached.get() ? "cache files" : "voxels");
        CSliceArea area;
        area.Init(v);
        EXPECT_EQ(area.Axis(), 0);
        EXPECT_EQ(area.Slice(0), 2);
        EXPECT_EQ(area.Slice(1), 2);
        EXPECT_EQ(area.Slice(2), 1);
        EXPECT_EQ(area.Extent(0), 10);
        EXPECT_EQ(area.Extent(1), 4);
        EXPECT_EQ(area.Extent(2), 2) << "1.5 rounds to 2";
        for (int axis = 0; axis < 3; ++axis) {
            area.SetAxis(axis);
            const int columns = area.Dim(area.ColumnAxis()), rows = area.Dim(area.RowAxis());
            const std::uint8_t* plane = area.Plane();
            ASSERT_NE(plane, nullptr);
            for (int c = 0; c < columns; ++c)
                for (int r = 0; r < rows; ++r) {
                    int voxel[3];
                    area.Crossing(voxel);
                    voxel[area.ColumnAxis()] = c;
                    voxel[area.RowAxis()] = r;
                    ASSERT_EQ(plane[c * rows + r], Pattern(voxel[0], voxel[1], voxel[2], 8))
                        << "axis " << axis << " column " << c << " row " << r;
                }
        }
    }

    CSliceArea area;
    area.Init(volume.get());
    const std::uint8_t before = area.Plane()[0];
    volume->SetVoxel(2, 0, 0, 200);
    area.SetAxis(1);
    area.Plane();
    area.SetAxis(0);
    EXPECT_EQ(area.Plane()[0], before) << "switching back reads nothing again";
    area.SetCurrentSlice(2);
    EXPECT_EQ(area.Plane()[0], before) << "the same slice is not read again";
    area.ForgetPlanes();
    EXPECT_EQ(area.Plane()[0], 200);
}

// Picking on a fitted slice: the shown axis keeps its slice; the image's
// columns and rows give the other two, its right and bottom pixels the last
// voxels.
TEST(SliceArea, PicksTheVoxelUnderThePointer)
{
    auto volume = MakePatterned(8, 16, 4, 8);
    volume->SetVoxelSize(1, 1, 1);
    CSliceArea area;
    area.Init(volume.get());
    struct Case {
        int axis;
        int x, y;
        int expected[3];
    };
    // X: columns z (4), rows y (16): taller than wide, 128 x 512 at left 203.
    // Z: columns x (8), rows y (16): 256 x 512 at left 139.
    const Case cases[] = {
        {0, 203, 11, {4, 0, 0}},
        {0, 330, 522, {4, 15, 3}},
        {2, 139, 11, {0, 0, 2}},
        {2, 394, 522, {7, 15, 2}},
        {2, 139 + 32, 11 + 32, {1, 1, 2}},
    };
    for (const Case& c : cases) {
        area.SetAxis(c.axis);
        const SlicePlacement p = area.Fit(SliceRounding::kTruncate);
        int voxel[3];
        area.PickVoxel(c.x, c.y, p, p.width, p.height, voxel);
        EXPECT_EQ((std::vector<int>(voxel, voxel + 3)), (std::vector<int>(c.expected, c.expected + 3)))
            << "axis " << c.axis << " at " << c.x << ", " << c.y;
    }
}

// The extents of a volume whatever its voxel size: one too long for an int
// is the longest an int holds, one that is not a number 0; the fit then
// falls back to the voxel counts where an extent is not positive.
TEST(SliceArea, ExtentsHoldAnyVoxelSize)
{
    auto volume = MakePatterned(10, 20, 4, 8);
    volume->SetVoxelSize(1e38f, std::numeric_limits<float>::quiet_NaN(), -1e38f);
    CSliceArea area;
    area.Init(volume.get());
    EXPECT_EQ(area.Extent(0), std::numeric_limits<int>::max());
    EXPECT_EQ(area.Extent(1), 0);
    EXPECT_EQ(area.Extent(2), std::numeric_limits<int>::min());
    area.SetAxis(2);
    EXPECT_EQ(area.Fit(SliceRounding::kTruncate), (SlicePlacement{139, 11, 256, 512})) << "10 x 20 voxels";
}
