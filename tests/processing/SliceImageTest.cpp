#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "data/AppSettings.h"
#include "processing/ActiveContour.h"
#include "processing/RSnake.h"
#include "processing/SliceImage.h"

namespace {

using Image = std::vector<std::uint8_t>;
using Points = std::vector<std::pair<float, float>>;

// Labels from a picture: '#' is object (60), anything else 0.
std::unique_ptr<CSliceImage> Labelled(const std::vector<std::string>& rows)
{
    const int h = int(rows.size());
    const int w = int(rows[0].size());
    Image slice(std::size_t(w * h), 0);
    auto img = std::make_unique<CSliceImage>(slice.data(), w, h);
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c)
            img->m_pLabels[r * w + c] = rows[r][c] == '#' ? CSliceImage::kObjectLabel : 0;
    return img;
}

Points PointsOf(CSnake& s)
{
    Points out;
    CSnakeNode* n = s.m_pHead;
    for (int i = 0; i < s.m_nCount; ++i, n = n->m_pNext) {
        const float* p = n->GetPosition();
        out.emplace_back(p[0], p[1]);
    }
    return out;
}

TEST(CSliceImage, ConvertsBetweenColumnAndRowMajor)
{
    // 3 columns x 2 rows, column-major: column 0 is (1, 2).
    const Image slice = {1, 2, 3, 4, 5, 6};
    CSliceImage img(slice.data(), 3, 2);
    EXPECT_EQ(img.m_nSize, 6);
    EXPECT_EQ(Image(img.m_pPixels.get(), img.m_pPixels.get() + 6), (Image{1, 3, 5, 2, 4, 6}));
    Image out(6, 0);
    img.GetImage(CSliceImage::kOriginal, true, false, false, out.data());
    EXPECT_EQ(out, slice);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(img.m_pLabels[i], 0);
}

TEST(CSliceImage, DerivedImagesOfFlatSlices)
{
    struct Case {
        const char* what;
        int w, h;
        std::uint8_t value;
    };
    const Case cases[] = {
        {"uniform slice", 12, 7, 83},
        {"1 x 1 image", 1, 1, 200},
    };
    for (const Case& c : cases) {
        const Image slice(std::size_t(c.w * c.h), c.value);
        CSliceImage img(slice.data(), c.w, c.h);
        Image out(slice.size(), 1);
        img.GetImage(CSliceImage::kSmoothed, true, false, false, out.data());
        // Weights summing to 1 in double may fall just short of the value,
        // and the sum truncates.
        EXPECT_EQ(out, Image(slice.size(), out[0])) << c.what;
        EXPECT_GE(out[0], c.value - 1) << c.what;
        EXPECT_LE(out[0], c.value) << c.what;
        for (int kind : {CSliceImage::kGradient, CSliceImage::kEnergy}) {
            img.GetImage(kind, true, false, false, out.data());
            EXPECT_EQ(out, Image(slice.size(), 0)) << c.what << " kind " << kind;
        }
        for (int i = 0; i < img.m_nSize; ++i)
            EXPECT_EQ(img.m_pGradient[i], 0) << c.what;
    }
}

TEST(CSliceImage, StretchAndEnergyScaling)
{
    const Image slice(3, 0);
    CSliceImage img(slice.data(), 3, 1);
    img.m_pGradient = std::make_unique<std::uint8_t[]>(3);
    const std::uint8_t g[3] = {2, 4, 6};
    std::copy(g, g + 3, img.m_pGradient.get());
    img.StretchGradient();
    EXPECT_EQ(Image(img.m_pStretched.get(), img.m_pStretched.get() + 3), (Image{0, 127, 255}));

    // Energy 255 / (g + 1): strong edges low, flat areas high.
    const std::uint8_t e[3] = {0, 1, 254};
    std::copy(e, e + 3, img.m_pGradient.get());
    img.ComputeInverseGradient();
    EXPECT_EQ(Image(img.m_pEnergy.get(), img.m_pEnergy.get() + 3), (Image{255, 126, 0}));
}

TEST(CSliceImage, SmoothingSpreadsAnEdge)
{
    // A bright right half; the 9 x 9 Gaussian blurs the step over several
    // columns and the gradient peaks at the step.
    const int w = 20, h = 5;
    Image slice(std::size_t(w * h));
    for (int c = 0; c < w; ++c)
        for (int r = 0; r < h; ++r)
            slice[std::size_t(c * h + r)] = c < 10 ? 0 : 200;
    CSliceImage img(slice.data(), w, h);
    img.ComputeGradient();
    const std::uint8_t* s = img.m_pSmoothed.get();
    EXPECT_EQ(s[2 * w + 0], 0);
    EXPECT_GE(s[2 * w + 19], 199);
    EXPECT_GT(s[2 * w + 9], 0);
    EXPECT_LT(s[2 * w + 10], 200);
    for (int c = 1; c < 10; ++c)
        EXPECT_LE(s[2 * w + c - 1], s[2 * w + c]);
    const std::uint8_t* g = img.m_pGradient.get();
    const auto peak = std::max_element(g + 2 * w, g + 3 * w) - (g + 2 * w);
    EXPECT_TRUE(peak == 9 || peak == 10) << peak;
    EXPECT_GT(g[2 * w + 9], g[2 * w + 3]);
}

TEST(CSliceImage, MaskImage)
{
    // 2 x 1: left pixel object, right background; out starts as the slice.
    struct Case {
        const char* what;
        bool invert, keep;
        Image want;
    };
    const Case cases[] = {
        {"object 127, rest 0", false, false, {127, 0}},
        {"object keeps the slice, rest 0", false, true, {50, 0}},
        {"inverted: object 0, rest 127", true, false, {0, 127}},
        {"inverted, rest keeps the slice", true, true, {0, 90}},
    };
    const Image slice = {50, 90};
    for (const Case& c : cases) {
        CSliceImage img(slice.data(), 2, 1);
        img.m_pLabels[0] = CSliceImage::kObjectLabel;
        img.m_pLabels[1] = 174;
        Image out = slice;
        img.GetImage(CSliceImage::kOriginal, false, c.invert, c.keep, out.data());
        EXPECT_EQ(out, c.want) << c.what;
    }
}

TEST(CSliceImage, UnknownKindLeavesOutputAlone)
{
    const Image slice = {1, 2};
    CSliceImage img(slice.data(), 2, 1);
    Image out = {7, 7};
    img.GetImage(4, true, false, false, out.data());
    img.GetImage(-1, true, false, false, out.data());
    EXPECT_EQ(out, (Image{7, 7}));
}

TEST(BuildContours, TracesBoundaryCells)
{
    struct Case {
        const char* what;
        std::vector<std::string> rows;
        std::vector<Points> want;
    };
    const Case cases[] = {
        {"no object, no contour", {"...", "..."}, {}},
        {"one cell gives one point", {"....", "..#.", "...."}, {{{2, 1}}}},
        {"3 x 3 square: top-left first, down the left side",
         {".....", ".###.", ".###.", ".###.", "....."},
         {{{1, 1}, {1, 2}, {1, 3}, {2, 3}, {3, 3}, {3, 2}, {3, 1}, {2, 1}}}},
        {"corner-touching squares: one eight-connected trace, then the second again",
         {"......", ".##...", ".##...", "...##.", "...##.", "......"},
         {{{1, 1}, {1, 2}, {2, 2}, {3, 3}, {3, 4}, {4, 4}, {4, 3}, {3, 3}, {2, 2}, {2, 1}},
          {{3, 3}, {3, 4}, {4, 4}, {4, 3}}}},
        {"regions on the image edge", {"#..", "..#", "..#"}, {{{0, 0}}, {{2, 1}, {2, 2}}}},
        {"a filled 1 x 1 image", {"#"}, {{{0, 0}}}},
    };
    for (const Case& c : cases) {
        auto img = Labelled(c.rows);
        img->BuildContours();
        ASSERT_EQ(img->m_aContours.size(), c.want.size()) << c.what;
        for (std::size_t i = 0; i < c.want.size(); ++i)
            EXPECT_EQ(PointsOf(*img->m_aContours[i]), c.want[i]) << c.what << " contour " << i;
        // Labels are read, never changed.
        for (int k = 0; k < img->m_nSize; ++k)
            EXPECT_TRUE(img->m_pLabels[k] == 0 || img->m_pLabels[k] == 60);
    }
}

TEST(BuildContours, OneContourForALargeDisc)
{
    // The erase fill once ran out of stack here and left phantom regions.
    const int n = 128;
    const Image slice(n * n, 0);
    CSliceImage img(slice.data(), n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if ((x - 64) * (x - 64) + (y - 64) * (y - 64) <= 60 * 60)
                img.m_pLabels[y * n + x] = CSliceImage::kObjectLabel;
    img.BuildContours();
    ASSERT_EQ(img.m_aContours.size(), 1u);
    EXPECT_GT(img.m_aContours[0]->m_nCount, 300);
    img.BuildContours(); // rebuilding replaces the list
    EXPECT_EQ(img.m_aContours.size(), 1u);
}

TEST(BuildContours, KindAndParametersFromSettings)
{
    CAppSettings* s = CAppSettings::GetInstance();
    const CAppSettings saved;
    s->m_nContourType = 1;
    s->m_contour.m_fSegmentLength = 7.0f;
    s->m_contour.m_fPointMass = 2.5f;
    auto img = Labelled({"...", ".#.", ".#."});
    img->BuildContours();
    s->m_nContourType = saved.m_nContourType;
    s->m_contour = saved.m_contour;

    ASSERT_EQ(img->m_aContours.size(), 1u);
    CSnake& c = *img->m_aContours[0];
    ASSERT_NE(dynamic_cast<CRSnake*>(&c), nullptr);
    EXPECT_FLOAT_EQ(c.m_contour.m_fSegmentLength, 7.0f);
    EXPECT_FLOAT_EQ(c.m_contour.m_fPointMass, 2.5f);
    EXPECT_FLOAT_EQ(c.m_contour.m_fDelta, saved.m_contour.m_fDelta);
    EXPECT_EQ(c.m_nWidth, 3);
    EXPECT_EQ(c.m_nHeight, 3);
    // Restricted-snake nodes sit on the lower edge of their pixel.
    EXPECT_EQ(PointsOf(c), (Points{{1.5f, 2.0f}, {1.5f, 3.0f}}));

    img->BuildContours();
    EXPECT_NE(dynamic_cast<CActiveContour*>(img->m_aContours[0].get()), nullptr);
}

// Whatever the settings hold, a contour runs with values it can use: each
// parameter outside its range takes the nearer bound and NaN takes the
// default, so a contour can neither resample without end (a segment length
// near 0) nor be driven by values that are not finite. In-range values pass
// unchanged.
TEST(BuildContours, ParametersInEffectStayInTheirRanges)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float ContourParameters::*field;
        float value, expected;
    };
    const Case cases[] = {
        {&ContourParameters::m_fSegmentLength, 1e-20f, 0.5f},
        {&ContourParameters::m_fSegmentLength, -3.0f, 0.5f},
        {&ContourParameters::m_fSegmentLength, 5000.0f, 1000.0f},
        {&ContourParameters::m_fSegmentLength, nan, 10.0f},
        {&ContourParameters::m_fSegmentLength, 0.5f, 0.5f},
        {&ContourParameters::m_fPointMass, 0.0f, 0.001f},
        {&ContourParameters::m_fPointMass, inf, 1e6f},
        {&ContourParameters::m_fPointMass, nan, 1.0f},
        {&ContourParameters::m_fPointMass, 2.5f, 2.5f},
        {&ContourParameters::m_fDelta, 0.0f, 1e-6f},
        {&ContourParameters::m_fDelta, 1e9f, 10.0f},
        {&ContourParameters::m_fDelta, 0.01f, 0.01f},
        {&ContourParameters::m_fExternalWeight, -inf, -1e6f},
        {&ContourParameters::m_fExternalWeight, nan, 3.0f},
        {&ContourParameters::m_fInternalWeight, 3e7f, 1e6f},
        {&ContourParameters::m_fInternalWeight, nan, 4.0f},
        {&ContourParameters::m_fDampingWeight, -1e30f, -1e6f},
        {&ContourParameters::m_fDampingWeight, nan, -1.0f},
        {&ContourParameters::m_fDampingWeight, -1e6f, -1e6f},
    };
    CAppSettings* s = CAppSettings::GetInstance();
    for (int type : {0, 1})
        for (const Case& c : cases) {
            SCOPED_TRACE("type " + std::to_string(type) + ", value " + std::to_string(c.value));
            const float saved = s->m_contour.*c.field;
            s->m_nContourType = type;
            s->m_contour.*c.field = c.value;
            auto img = Labelled({"....", ".##.", ".##.", "...."});
            img->BuildContours();
            s->m_contour.*c.field = saved;
            s->m_nContourType = 0;
            ASSERT_EQ(img->m_aContours.size(), 1u);
            EXPECT_EQ(img->m_aContours[0]->m_contour.*c.field, c.expected);
        }
}

// Settings far outside every range: the first steps of a preview resample
// to a few points instead of splitting each gap into millions, and every
// point stays finite.
struct ContourSettings {
    float segmentLength, pointMass, delta, externalWeight, internalWeight, dampingWeight;
};

// The contours of an 8 x 8 square in a 16 x 16 image, built while the
// settings hold `c`; the settings are restored afterwards.
std::unique_ptr<CSliceImage> SquareContourWith(const ContourSettings& c)
{
    CAppSettings* s = CAppSettings::GetInstance();
    const CAppSettings saved;
    s->m_contour.m_fSegmentLength = c.segmentLength;
    s->m_contour.m_fPointMass = c.pointMass;
    s->m_contour.m_fDelta = c.delta;
    s->m_contour.m_fExternalWeight = c.externalWeight;
    s->m_contour.m_fInternalWeight = c.internalWeight;
    s->m_contour.m_fDampingWeight = c.dampingWeight;
    std::vector<std::string> rows(16, std::string(16, '.'));
    for (int r = 4; r < 12; ++r)
        rows[r].replace(4, 8, 8, '#');
    auto img = Labelled(rows);
    img->BuildContours();
    s->m_contour = saved.m_contour;
    return img;
}

TEST(BuildContours, PreviewWithRunawaySettingsStaysBounded)
{
    auto img = SquareContourWith({1e-30f, 1e-30f, 1e30f, 1e30f, -1e30f, std::numeric_limits<float>::quiet_NaN()});

    ASSERT_EQ(img->m_aContours.size(), 1u);
    CSnake& c = *img->m_aContours[0];
    for (int step = 0; step < 4; ++step) {
        c.Step();
        ASSERT_LT(c.m_nCount, 4000) << "step " << step;
        for (const auto& [x, y] : PointsOf(c))
            ASSERT_TRUE(std::isfinite(x) && std::isfinite(y)) << "step " << step;
    }
}

TEST(BuildContours, UnstableSettingsWithinTheirRangesStopSplittingAtTheImageBound)
{
    // Every value lies inside the range the settings dialog accepts, yet the
    // explicit step is unstable: the contour zig-zags across the image.
    auto img = SquareContourWith({0.5f, 0.001f, 10.0f, 1e6f, -1e6f, 1e6f});

    ASSERT_EQ(img->m_aContours.size(), 1u);
    CSnake& c = *img->m_aContours[0];
    const int bound = 2 * 16 * 16 * 2; // 2 x width x height / segment length
    int most = 0;
    for (int step = 0; step < 40; ++step) {
        c.Step();
        most = std::max(most, c.m_nCount);
        ASSERT_LE(c.m_nCount, bound) << "step " << step;
        for (const auto& [x, y] : PointsOf(c))
            ASSERT_TRUE(std::isfinite(x) && std::isfinite(y)) << "step " << step;
    }
    EXPECT_GT(most, 256) << "the settings no longer drive the contour unstable; the test shows nothing";
}

} // namespace
