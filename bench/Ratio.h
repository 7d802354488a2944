#pragma once
// How two contenders timed in the same rounds compare. The smallest of the
// per-round ratios is no measure of either: it picks the one round where
// the first happened to run fast and the second slow, so it lies below the
// ratio of their best times. The best time over the best time compares each
// at its least disturbed; the median of the per-round ratios compares them
// under the same load, round by round.
#include <algorithm>
#include <cstddef>
#include <vector>

namespace bench {

// 0 for no samples; the mean of the middle two for an even number.
inline double Median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

// The smallest and the largest sample; 0 for none.
inline double Best(const std::vector<double>& v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }
inline double Worst(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

// first[i] / second[i] for every round both have; 0 where second[i] is 0.
inline std::vector<double> Ratios(const std::vector<double>& first, const std::vector<double>& second)
{
    std::vector<double> r;
    for (std::size_t i = 0; i < first.size() && i < second.size(); ++i)
        r.push_back(second[i] > 0 ? first[i] / second[i] : 0);
    return r;
}

struct Ratio {
    double best = 0;   // the best of the first over the best of the second
    double median = 0; // the median of the per-round ratios first / second
};

// Times (or any sample where smaller is better) of round i in first[i] and
// second[i]; 0 where there is nothing to divide by.
inline Ratio CompareRounds(const std::vector<double>& first, const std::vector<double>& second)
{
    const double b = Best(second);
    return {b > 0 ? Best(first) / b : 0, Median(Ratios(first, second))};
}

} // namespace bench
