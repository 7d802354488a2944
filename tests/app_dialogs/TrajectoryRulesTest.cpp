// The trajectory planner's arithmetic and picture, without a display.
#include <cmath>
#include <cstdlib>
#include <memory>

#include <gtest/gtest.h>

#include "app/dialogs/TrajectoryDialog.h"
#include "data/VolumeFixtures.h"

namespace {
// A 40 x 20 x 10 volume of unit voxels: its X slices are twice as high as
// wide (256 x 512 pixels at left 139), its Z slices twice as wide as high
// (512 x 256 at top 139).
std::unique_ptr<CVolume> Volume(float sx = 1, float sy = 1, float sz = 1)
{
    auto v = MakePatterned(40, 20, 10, 8);
    v->SetVoxelSize(sx, sy, sz);
    return v;
}

struct Planner {
    explicit Planner(CVolume* volume) { slice.Init(volume); }
    SlicePlacement Show(int axis)
    {
        slice.SetAxis(axis);
        return slice.Fit(SliceRounding::kTruncate);
    }
    // What a drag onto client pixel (x, y) does: the picked voxel becomes
    // the current one.
    void DragTo(int x, int y)
    {
        int v[3];
        TrajectoryPick(slice, slice.Fit(SliceRounding::kTruncate), x, y, v);
        for (int a = 0; a < 3; ++a)
            slice.m_nSlice[a] = v[a];
    }
    CSliceArea slice;
};

std::string Voxel(const int v[3])
{
    return std::to_string(v[0]) + ", " + std::to_string(v[1]) + ", " + std::to_string(v[2]);
}
} // namespace

// The voxel under a pixel: the shown axis keeps its slice, the two others
// round to the nearest voxel edge; the last pixel column and row pick the
// last voxel, never one past it, at any voxel size, 0 included (the slice
// then fits by its voxel counts).
TEST(TrajectoryRules, PickRoundsAndStopsAtTheLastVoxel)
{
    struct Case {
        int axis, x, y;
        int voxel[3];
    };
    const Case cases[] = {
        {0, 139, 11, {20, 0, 0}},
        {0, 139 + 12, 11, {20, 0, 0}},  // 12 / 256 * 10 + 0.5 = 0.97
        {0, 139 + 13, 11, {20, 0, 1}},  // 1.008
        {0, 139 + 77, 11 + 128, {20, 5, 3}},
        {0, 139 + 255, 11 + 511, {20, 19, 9}},
        {1, 522, 203 + 127, {39, 10, 9}},
        {2, 11 + 511, 139, {39, 0, 5}},
        {2, 11, 139 + 255, {0, 19, 5}},
    };
    for (const float scale : {1.0f, 0.0f}) {
        const auto volume = Volume(scale, scale, scale);
        for (const Case& c : cases) {
            Planner p(volume.get());
            const SlicePlacement placement = p.Show(c.axis);
            int v[3];
            TrajectoryPick(p.slice, placement, c.x, c.y, v);
            EXPECT_EQ(Voxel(v), Voxel(c.voxel)) << "axis " << c.axis << " at " << c.x << ", " << c.y
                                                << ", voxel size " << scale;
        }
    }
}

// The cross-hair stands where the current voxel's image starts, rounded to
// the nearest pixel; after a drag it stands within half a voxel of the
// pointer along the whole slice, but for the last half voxel, which picks
// the last voxel.
TEST(TrajectoryRules, MarkerFollowsTheCurrentVoxel)
{
    const auto volume = Volume();
    struct Case {
        int axis;
        int voxel[3];
        PixelPoint marker;
    };
    const Case cases[] = {
        {0, {20, 10, 5}, {139 + 128, 11 + 256}},
        {0, {20, 0, 0}, {139, 11}},
        {0, {20, 19, 9}, {139 + 230, 11 + 486}}, // 256 * 0.9 + 0.5, 512 * 0.95 + 0.5
        {1, {39, 10, 9}, {11 + 499, 203 + 115}}, // 499.2 + 0.5, 115.2 + 0.5
        {2, {1, 3, 5}, {11 + 13, 139 + 38}}, // 12.8 + 0.5, 38.4 + 0.5
    };
    for (const Case& c : cases) {
        Planner p(volume.get());
        const SlicePlacement placement = p.Show(c.axis);
        for (int a = 0; a < 3; ++a)
            p.slice.m_nSlice[a] = c.voxel[a];
        EXPECT_EQ(TrajectoryMarker(p.slice, placement), c.marker) << "axis " << c.axis << " at " << Voxel(c.voxel);
    }

    for (int axis = 0; axis < 3; ++axis) {
        Planner p(volume.get());
        const SlicePlacement placement = p.Show(axis);
        const int columns = p.slice.Dim(p.slice.ColumnAxis()), rows = p.slice.Dim(p.slice.RowAxis());
        for (int i = 0; i < placement.width; ++i) {
            const int x = placement.left + i, y = placement.top + placement.height - 1 - i % placement.height;
            p.DragTo(x, y);
            const PixelPoint m = TrajectoryMarker(p.slice, placement);
            const bool lastColumn = p.slice.Slice(p.slice.ColumnAxis()) == columns - 1;
            const bool lastRow = p.slice.Slice(p.slice.RowAxis()) == rows - 1;
            EXPECT_LE(std::abs(m.x - x), lastColumn ? placement.width / columns : placement.width / columns / 2 + 1)
                << "axis " << axis << " column " << i;
            EXPECT_LE(std::abs(m.y - y), lastRow ? placement.height / rows : placement.height / rows / 2 + 1)
                << "axis " << axis << " column " << i;
            EXPECT_LT(m.x, placement.left + placement.width);
            EXPECT_LT(m.y, placement.top + placement.height);
        }
    }
}

// The current point in the world: centred on the rounded extents, world y
// against the voxel index; a voxel size of 0 puts every voxel at 0 on that
// axis, never at a NaN.
TEST(TrajectoryRules, WorldPointOfTheCurrentVoxel)
{
    struct Case {
        float sx, sy, sz;
        int x, y, z;
        CVector3 world;
    };
    const Case cases[] = {
        {1, 1, 1, 20, 10, 5, {0, -1, 0}},
        {1, 1, 1, 0, 0, 0, {-20, 9, -5}},
        {1, 1, 1, 39, 19, 9, {19, -10, 4}},
        // Extents 20, 40 and 15, halves 10, 20 and 7.5.
        {0.5f, 2, 1.5f, 3, 4, 2, {-8.5f, 10, -4.5f}},
        // 40 x 0.26 = 10.4 rounds to an extent of 10.
        {0.26f, 1, 1, 10, 10, 5, {10 * 0.26f - 5, -1, 0}},
        {0, 0, 0, 39, 0, 9, {0, 0, 0}},
        {0, 1, 0, 7, 3, 2, {0, 6, 0}},
    };
    for (const Case& c : cases) {
        const auto volume = Volume(c.sx, c.sy, c.sz);
        Planner p(volume.get());
        const CVector3 w = TrajectoryWorldPoint(p.slice, c.x, c.y, c.z);
        EXPECT_EQ(w, c.world) << c.sx << " " << c.sy << " " << c.sz << " at " << c.x << ", " << c.y << ", " << c.z;
        EXPECT_TRUE(std::isfinite(w.x) && std::isfinite(w.y) && std::isfinite(w.z));
    }
}

// Another axis shows the slice through the same current voxel and marks it
// there; coming back finds every index as it was.
TEST(TrajectoryRules, AxisChangeKeepsTheCurrentVoxel)
{
    const auto volume = Volume();
    Planner p(volume.get());
    p.Show(0);
    p.DragTo(139 + 77, 11 + 128);
    int v[3];
    p.slice.Crossing(v);
    ASSERT_EQ(Voxel(v), "20, 5, 3");
    struct Case {
        int axis, slice;
        PixelPoint marker;
    };
    for (const Case& c : {Case{1, 5, {11 + 256, 203 + 38}}, Case{2, 3, {11 + 256, 139 + 64}},
                          Case{0, 20, {139 + 77, 11 + 128}}}) {
        const SlicePlacement placement = p.Show(c.axis);
        EXPECT_EQ(p.slice.CurrentSlice(), c.slice) << c.axis;
        p.slice.Crossing(v);
        EXPECT_EQ(Voxel(v), "20, 5, 3") << c.axis;
        EXPECT_EQ(TrajectoryMarker(p.slice, placement), c.marker) << c.axis;
    }
}

// The area: black, the slice's voxels as grey (from the plane views, or
// from the voxels of a volume without them, or read from the swap file of
// one swapped out), and the red cross-hair over both, cut at the area's
// edges. Its arms start 3 pixels out and end 24 out, the far end left out.
TEST(TrajectoryRules, AreaShowsTheSliceAndTheCrossHair)
{
    const int cached[] = {0, 1};
    for (const int cache : cached) {
        const auto volume = Volume();
        if (cache)
            volume->BuildDiskCache();
        ASSERT_EQ(volume->HasSwapFile(), cache == 1);
        Planner p(volume.get());
        const SlicePlacement x = p.Show(0);
        p.slice.m_nSlice[1] = 0;
        p.slice.m_nSlice[2] = 0; // marker at (139, 11), the image's corner
        CRgbPicture out(TrajectoryAreaRect());
        DrawTrajectoryArea(p.slice, x, out);
        auto grey = [](int value) { return RgbColour{std::uint8_t(value), std::uint8_t(value), std::uint8_t(value)}; };
        auto voxel = [&](int px, int py) { return grey(Pattern(20, (py - 11) * 20 / 512, (px - 139) * 10 / 256, 8)); };
        EXPECT_EQ(out.At(11, 11), kLightBoxBlack) << cache;
        EXPECT_EQ(out.At(138, 300), kLightBoxBlack);
        EXPECT_EQ(out.At(395, 300), kLightBoxBlack);
        for (const PixelPoint q : {PixelPoint{139, 40}, PixelPoint{394, 522}, PixelPoint{250, 300}})
            EXPECT_EQ(out.At(q.x, q.y), voxel(q.x, q.y)) << q.x << ", " << q.y << " cache " << cache;
        // The arms: left in the black margin, right and down over the slice,
        // up cut off by the area's top.
        for (int d = 3; d <= 24; ++d) {
            EXPECT_EQ(out.At(139 - d, 11), d >= 4 ? kMarkerRed : kLightBoxBlack) << "left " << d;
            EXPECT_EQ(out.At(139 + d, 11), d < 24 ? kMarkerRed : voxel(139 + d, 11)) << "right " << d;
            EXPECT_EQ(out.At(139, 11 + d), d < 24 ? kMarkerRed : voxel(139, 11 + d)) << "down " << d;
        }
        EXPECT_EQ(out.At(139, 11), kMarkerRed) << "centre";
        for (int d = 1; d < 3; ++d) {
            EXPECT_EQ(out.At(139 + d, 11), voxel(139 + d, 11)) << "gap " << d;
            EXPECT_EQ(out.At(139, 11 + d), voxel(139, 11 + d)) << "gap " << d;
        }

        // The Z slice with the last voxel marked: its right arm ends at the
        // area's last column.
        const SlicePlacement z = p.Show(2);
        p.slice.m_nSlice[0] = 39;
        p.slice.m_nSlice[1] = 19;
        DrawTrajectoryArea(p.slice, z, out);
        const PixelPoint m = TrajectoryMarker(p.slice, z);
        ASSERT_EQ(m, (PixelPoint{510, 139 + 243}));
        for (int px = 513; px < 523; ++px)
            EXPECT_EQ(out.At(px, m.y), kMarkerRed) << px;
        EXPECT_EQ(out.At(510, m.y + 10), kMarkerRed);
        EXPECT_EQ(out.At(300, 200), grey(Pattern((300 - 11) * 40 / 512, (200 - 139) * 20 / 256, 0, 8)));
    }
}
