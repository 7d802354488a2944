#include <gtest/gtest.h>

#include <vector>

#include "bench/Ratio.h"

namespace {

TEST(BenchRatio, BestOverBestAndMedianOfTheRounds)
{
    struct Case {
        const char* what;
        std::vector<double> first, second;
        double best, median;
    };
    const Case cases[] = {
        // Per-round ratios 0.5, 1.5, 2.0: their smallest, 0.5, is below both
        // measures; the best times are 6 and 4.
        {"odd number of rounds", {6, 12, 8}, {12, 8, 4}, 1.5, 1.5},
        // Ratios 1.0, 3.0, 0.5, 2.0: the median is the mean of 1 and 2.
        {"even number of rounds", {10, 30, 5, 40}, {10, 10, 10, 20}, 0.5, 1.5},
        {"one round", {3}, {2}, 1.5, 1.5},
        {"a round of the second took no time", {2, 2, 4}, {0, 1, 2}, 0, 2},
        {"no rounds", {}, {}, 0, 0},
    };
    for (const Case& c : cases) {
        const bench::Ratio r = bench::CompareRounds(c.first, c.second);
        EXPECT_DOUBLE_EQ(r.best, c.best) << c.what;
        EXPECT_DOUBLE_EQ(r.median, c.median) << c.what;
    }
}

TEST(BenchRatio, SampleStatistics)
{
    const std::vector<double> v = {4, 1, 3, 9};
    EXPECT_DOUBLE_EQ(bench::Median(v), 3.5);
    EXPECT_DOUBLE_EQ(bench::Median({4, 1, 3}), 3);
    EXPECT_DOUBLE_EQ(bench::Best(v), 1);
    EXPECT_DOUBLE_EQ(bench::Worst(v), 9);
    EXPECT_EQ(bench::Median({}), 0);
    EXPECT_EQ(bench::Best({}), 0);
    EXPECT_EQ(bench::Worst({}), 0);
}

} // namespace
