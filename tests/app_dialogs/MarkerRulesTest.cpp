// The segmentation dialog's arithmetic and picture, without a display.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/dialogs/MarkerView.h"
#include "data/VolumeFixtures.h"
#include "processing/ActiveContour.h"
#include "processing/SliceImage.h"

namespace {
std::unique_ptr<CVolume> Volume(int x, int y, int z, float sx = 1, float sy = 1, float sz = 1)
{
    auto v = std::make_unique<CVolume>(x, y, z, 8);
    v->SetVoxelSize(sx, sy, sz);
    return v;
}

struct Area {
    explicit Area(CVolume* volume, int axis)
    {
        slice.Init(volume);
        slice.SetAxis(axis);
        view = MarkerView(slice);
    }
    ~Area() { slice.FreePlaneBuffers(); }
    CSliceArea slice;
    MarkerViewRect view;
};

bool Yellow(const CRgbPicture& p, int x, int y) { return p.At(x, y) == kContourYellow; }
} // namespace

// The slice is fitted by its physical extents, the shorter side rounded to
// the nearest pixel; the view rectangle holds its last pixels. Taller than
// wide is 512 high and centred across; a zero voxel size falls back to the
// voxel counts instead of dividing by zero.
TEST(MarkerRules, ViewRectangleOfEachAxis)
{
    auto tall = Volume(40, 20, 10);       // X slice: z across (10), y down (20)
    auto thin = Volume(100, 300, 4);      // Z slice: 100 across, 300 down
    auto flat = Volume(8, 8, 8, 0, 0, 0); // no physical size
    auto stretched = Volume(10, 10, 10, 1, 1, 4);
    struct Case {
        CVolume* volume;
        int axis;
        MarkerViewRect view;
        const char* why;
    };
    const Case cases[] = {
        {tall.get(), 0, {139, 11, 394, 522}, "twice as high: 256 wide, centred"},
        {tall.get(), 1, {11, 203, 522, 330}, "x across, z down: centred vertically"},
        {thin.get(), 2, {181, 11, 351, 522}, "170.67 rounds to 171 pixels"},
        {flat.get(), 2, {11, 11, 522, 522}, "zero extents: the voxel counts"},
        {stretched.get(), 0, {11, 203, 522, 330}, "X slice: z 40 across, y 10 down"},
    };
    for (const Case& c : cases) {
        Area a(c.volume, c.axis);
        EXPECT_EQ(a.view, c.view) << c.why;
    }
}

// A pointer maps to trunc(offset / span * dim + 0.5) with the span one less
// than the width: the first pixel is voxel 0 and the right or bottom edge
// the last voxel, never one beyond. The shown axis keeps its slice; off the
// rectangle nothing is picked.
TEST(MarkerRules, PickMapsEdgesToTheLastVoxel)
{
    auto tall = Volume(40, 20, 10);
    auto thin = Volume(100, 300, 4);
    struct Case {
        CVolume* volume;
        int axis, x, y;
        bool picked;
        int voxel[3];
        const char* why;
    };
    const Case cases[] = {
        {tall.get(), 0, 139, 11, true, {20, 0, 0}, "top left"},
        {tall.get(), 0, 394, 522, true, {20, 19, 9}, "right and bottom edge"},
        {tall.get(), 0, 266, 266, true, {20, 10, 5}, "the middle"},
        {tall.get(), 0, 138, 100, false, {}, "left of the slice"},
        {tall.get(), 0, 395, 100, false, {}, "right of the slice"},
        {tall.get(), 0, 200, 523, false, {}, "below the slice"},
        {thin.get(), 2, 351, 522, true, {99, 299, 2}, "right edge of a narrow slice"},
        {thin.get(), 2, 266, 11, true, {50, 0, 2}, "half way across 170 pixels"},
    };
    for (const Case& c : cases) {
        Area a(c.volume, c.axis);
        int voxel[3] = {-1, -1, -1};
        ASSERT_EQ(PickMarkerVoxel(a.slice, a.view, c.x, c.y, voxel), c.picked) << c.why;
        if (c.picked)
            EXPECT_EQ(std::vector<int>(voxel, voxel + 3), std::vector<int>(c.voxel, c.voxel + 3)) << c.why;
        else
            EXPECT_EQ(voxel[0], -1) << c.why;
    }
}

// Seeds go into the volume's lists as floats of the picked voxel; each
// entry's item data is its index and its text the truncated triple.
// Removal goes by the item data; data naming no seed removes nothing.
TEST(MarkerRules, SeedListsAddAndRemoveByItemData)
{
    auto v = Volume(8, 8, 8);
    const int a[3] = {1, 2, 3}, b[3] = {4, 5, 6}, c[3] = {7, 0, 7};
    EXPECT_EQ(AddSeed(v->m_aInPoints, a), 0);
    EXPECT_EQ(AddSeed(v->m_aInPoints, b), 1);
    EXPECT_EQ(AddSeed(v->m_aInPoints, c), 2);
    EXPECT_EQ(v->m_aInPoints[1].x, 4.0f);
    EXPECT_EQ(v->m_aInPoints[1].z, 6.0f);
    EXPECT_EQ(SeedText(v->m_aInPoints[2]), "(7, 0, 7)");
    EXPECT_EQ(SeedText(SeedPoint{3.9f, 0.2f, 12.5f}), "(3, 0, 12)");
    EXPECT_TRUE(v->m_aOutPoints.empty());

    for (long bad : {-1L, 3L, 100L})
        EXPECT_FALSE(RemoveSeed(v->m_aInPoints, bad)) << bad;
    ASSERT_EQ(v->m_aInPoints.size(), 3u);
    EXPECT_TRUE(RemoveSeed(v->m_aInPoints, 1));
    std::vector<std::string> left;
    for (const SeedPoint& p : v->m_aInPoints)
        left.push_back(SeedText(p));
    EXPECT_EQ(left, (std::vector<std::string>{"(1, 2, 3)", "(7, 0, 7)"}));
}

// Process needs a seed of each kind anywhere in the volume; Preview needs
// both kinds on the shown slice, so seeds of another slice enable neither
// the preview nor their marks.
TEST(MarkerRules, ProcessAndPreviewEnableRules)
{
    auto v = Volume(16, 16, 16);
    auto area = std::make_unique<Area>(v.get(), 2); // Z slice 8
    CRgbPicture picture(PixelRect{11, 11, 523, 523});
    auto state = [&] {
        const bool in = DrawSeedMarks(picture, area->slice, area->view, v->m_aInPoints, kInSeedGreen);
        const bool out = DrawSeedMarks(picture, area->slice, area->view, v->m_aOutPoints, kOutSeedRed);
        return MarkerButtonsFor(*v, in, out);
    };
    EXPECT_EQ(state(), (MarkerButtons{false, false})) << "no seeds";
    v->m_aInPoints.push_back({3, 3, 8});
    EXPECT_EQ(state(), (MarkerButtons{false, false})) << "in only";
    v->m_aOutPoints.push_back({12, 12, 9});
    EXPECT_EQ(state(), (MarkerButtons{true, false})) << "out seed on slice 9";
    v->m_aOutPoints.push_back({12, 12, 8.75f});
    EXPECT_EQ(state(), (MarkerButtons{true, true})) << "8.75 lies on slice 8";
    area->slice.SetCurrentSlice(9);
    EXPECT_EQ(state(), (MarkerButtons{true, false})) << "slice 9 has no in seed";
    area->slice.SetAxis(0); // X slice 8: the in seed has x 3
    EXPECT_FALSE(AnySeedOnSlice(v->m_aInPoints, 0, 8));
    EXPECT_TRUE(AnySeedOnSlice(v->m_aInPoints, 1, 3));
    v->m_aInPoints.clear();
    EXPECT_EQ(state(), (MarkerButtons{false, false}));
}

// A seed's mark: 5 x 5 pixels centred at left + trunc(coordinate / dim *
// span + 0.5); seeds of other slices leave the picture alone.
TEST(MarkerRules, SeedMarksLandOnTheirVoxels)
{
    auto v = Volume(16, 16, 16);
    Area area(v.get(), 2); // 512 x 512 at (11, 11), span 511
    v->m_aInPoints = {{0, 0, 8}, {15, 8, 8}, {4, 4, 3}};
    CRgbPicture picture(PixelRect{11, 11, 523, 523});
    ASSERT_TRUE(DrawSeedMarks(picture, area.slice, area.view, v->m_aInPoints, kInSeedGreen));
    // (0, 0) at (11, 11): only its lower right quarter lies inside the area.
    EXPECT_EQ(picture.At(11, 11), kInSeedGreen);
    EXPECT_EQ(picture.At(13, 13), kInSeedGreen);
    EXPECT_EQ(picture.At(14, 13), kLightBoxBlack);
    // (15, 8): 11 + trunc(15 / 16 * 511 + 0.5) = 490, 11 + 256 = 267.
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            EXPECT_EQ(picture.At(490 + dx, 267 + dy), kInSeedGreen) << dx << ", " << dy;
    EXPECT_EQ(picture.At(493, 267), kLightBoxBlack);
    EXPECT_EQ(picture.At(490, 270), kLightBoxBlack);
    // The seed of slice 3 would sit at (139, 139).
    EXPECT_EQ(picture.At(139, 139), kLightBoxBlack);
    v->m_aOutPoints = {{4, 4, 3}};
    EXPECT_FALSE(DrawSeedMarks(picture, area.slice, area.view, v->m_aOutPoints, kOutSeedRed));
    EXPECT_EQ(picture.At(139, 139), kLightBoxBlack);
}

// Contours: a closed yellow polyline through the nodes, the tail joined to
// the head, image pixel x at left + trunc(x * span / w + 0.5); the mean as
// two circles of radius 2 and 4.
TEST(MarkerRules, ContoursAndTheirMeans)
{
    const std::vector<std::uint8_t> pixels(100, 50);
    CSliceImage image(pixels.data(), 10, 10);
    auto contour = std::make_unique<CActiveContour>(&image, 10, 10);
    for (auto [x, y] : {std::pair{2.0f, 2.0f}, {6.0f, 2.0f}, {6.0f, 6.0f}, {2.0f, 6.0f}})
        contour->AddPoint(x, y);
    image.m_aContours.push_back(std::move(contour));
    const MarkerViewRect view{11, 11, 511, 511}; // 50 pixels per image pixel

    CRgbPicture edges(PixelRect{11, 11, 523, 523});
    DrawContourEdges(edges, image, view);
    for (auto [x, y] : {std::pair{111, 111}, {211, 111}, {311, 111}, {311, 211}, {211, 311}, {111, 211}, {111, 150}})
        EXPECT_TRUE(Yellow(edges, x, y)) << x << ", " << y;
    EXPECT_FALSE(Yellow(edges, 211, 211)) << "inside";
    EXPECT_FALSE(Yellow(edges, 312, 211)) << "outside";

    CRgbPicture means(PixelRect{11, 11, 523, 523});
    DrawContourMeans(means, image, view); // the mean (4, 4) at (211, 211)
    EXPECT_TRUE(Yellow(means, 213, 211));
    EXPECT_TRUE(Yellow(means, 211, 207));
    EXPECT_TRUE(Yellow(means, 215, 211));
    EXPECT_FALSE(Yellow(means, 214, 211));
    EXPECT_FALSE(Yellow(means, 211, 211));
    EXPECT_FALSE(Yellow(means, 111, 111)) << "means draw no edges";
}
