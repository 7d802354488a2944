#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numeric>
#include <vector>

#include "processing/ImageFilters.h"

namespace {

using Image = std::vector<std::uint8_t>;

TEST(SobelMagnitude, EdgesAndBorders)
{
    struct Case {
        const char* what;
        int w, h;
        Image in;
        Image want;
    };
    const Case cases[] = {
        {"uniform image has no gradient", 3, 2, {9, 9, 9, 9, 9, 9}, {0, 0, 0, 0, 0, 0}},
        {"1 x 1 reads only the clamped centre", 1, 1, {200}, {0}},
        // Vertical step 0 | 40: gx = 40 + 80 + 40 = 160 at both sides, / 4.
        {"step between columns, clamped rows", 2, 2, {0, 40, 0, 40}, {40, 40, 40, 40}},
        // 0 | 255 step: 4 * 255 / 4 = 255 exactly, not saturated.
        {"full step", 2, 1, {0, 255}, {255, 255}},
        // Lone corner pixel: (200, 200), (200, 600), (600, 600) -> 70.7, 158.1, 212.1.
        {"corner truncates", 2, 2, {0, 0, 0, 200}, {70, 158, 158, 212}},
        // The same with 255: 90.2, 201.6 and 270.4, saturated.
        {"above 255 saturates", 2, 2, {0, 0, 0, 255}, {90, 201, 201, 255}},
    };
    for (const Case& c : cases) {
        Image img = c.in;
        SobelMagnitude(c.w, img.data(), c.h);
        EXPECT_EQ(img, c.want) << c.what;
    }
}

TEST(MakeGaussianKernel, NineByNine)
{
    std::vector<double> k(81);
    MakeGaussianKernel(k.data(), 9);
    EXPECT_NEAR(std::accumulate(k.begin(), k.end(), 0.0), 1.0, 1e-12);
    const double centre = k[4 * 9 + 4];
    // One tenth of the centre weight at distance 4 along an axis.
    EXPECT_NEAR(k[4 * 9 + 0] / centre, 0.1, 1e-12);
    EXPECT_NEAR(k[0 * 9 + 4] / centre, 0.1, 1e-12);
    // Corner at distance sqrt(32): 0.1^2.
    EXPECT_NEAR(k[0] / centre, 0.01, 1e-12);
    for (int i = 0; i < 9; ++i)
        for (int j = 0; j < 9; ++j) {
            EXPECT_DOUBLE_EQ(k[i * 9 + j], k[j * 9 + i]);
            EXPECT_DOUBLE_EQ(k[i * 9 + j], k[(8 - i) * 9 + (8 - j)]);
        }
    // s = 16 / (2 ln 10): the ratio of neighbouring axis weights.
    EXPECT_NEAR(k[4 * 9 + 5] / centre, std::exp(-1.0 / (2.0 * 16.0 / (2.0 * std::log(10.0)))), 1e-12);
}

TEST(Convolve2D, ClampsAndTruncates)
{
    // Horizontal [1/3 1/3 1/3] as a 3 x 3 kernel.
    const double third = 1.0 / 3.0;
    const double k[9] = {0, 0, 0, third, third, third, 0, 0, 0};
    struct Case {
        const char* what;
        int w, h;
        Image in;
        Image want;
    };
    const Case cases[] = {
        {"uniform stays uniform", 3, 2, {90, 90, 90, 90, 90, 90}, {90, 90, 90, 90, 90, 90}},
        {"1 x 1 sees only itself", 1, 1, {77}, {77}},
        // (10 + 10 + 20) / 3 = 13.33, (10 + 20 + 30) / 3 = 20, (20 + 30 + 30) / 3 = 26.67.
        {"border repeats, sum truncates", 3, 1, {10, 20, 30}, {13, 20, 26}},
    };
    for (const Case& c : cases) {
        Image img = c.in;
        Convolve2D(c.w, img.data(), c.h, k, 3);
        EXPECT_EQ(img, c.want) << c.what;
    }
}

TEST(Convolve2D, WorksOnACopy)
{
    // A shift kernel (take the right neighbour) must read unfiltered pixels.
    const double k[9] = {0, 0, 0, 0, 0, 1, 0, 0, 0};
    Image img = {1, 2, 3, 4};
    Convolve2D(4, img.data(), 1, k, 3);
    EXPECT_EQ(img, (Image{2, 3, 4, 4}));
}

TEST(FloodFill4, BoundsAndConnectivity)
{
    // 4 x 3; 1 marks the wall the fill must stop at.
    const Image base = {0, 0, 1, 0,
                        0, 1, 0, 0,
                        1, 0, 0, 0};
    struct Case {
        const char* what;
        int x, y;
        std::uint8_t value;
        Image want;
    };
    const Case cases[] = {
        {"top-left pocket stops at the wall and the edge", 0, 0, 1,
         {1, 1, 1, 0,
          1, 1, 0, 0,
          1, 0, 0, 0}},
        {"diagonal gaps do not connect", 3, 2, 1,
         {0, 0, 1, 1,
          0, 1, 1, 1,
          1, 1, 1, 1}},
        {"a seed already equal to value changes nothing", 2, 0, 1, base},
        {"a seed outside the image changes nothing", 4, 0, 7, base},
        {"negative seed", 0, -1, 7, base},
    };
    for (const Case& c : cases) {
        Image img = base;
        FloodFill4(img.data(), c.x, c.y, 4, 3, c.value);
        EXPECT_EQ(img, c.want) << c.what;
    }
}

TEST(FloodFill4, FillsALargeDiscCompletely)
{
    // A fixed stack of width x height pairs ran out on this disc and left
    // hundreds of pixels unfilled.
    const int n = 128;
    Image img(n * n, 0);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if ((x - 64) * (x - 64) + (y - 64) * (y - 64) <= 60 * 60)
                img[y * n + x] = 60;
    FloodFill4(img.data(), 64, 64, n, n, 0);
    for (std::uint8_t v : img)
        ASSERT_EQ(v, 0);

    Image full(n * n, 5);
    FloodFill4(full.data(), 0, 0, n, n, 9);
    for (std::uint8_t v : full)
        ASSERT_EQ(v, 9);
}

} // namespace
