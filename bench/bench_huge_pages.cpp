// Huge pages for the volume and the watershed's work arrays, with the hint
// and without it, alternated round by round in one process, the order
// swapped every round: the first touch of a 512 x 512 x 512 16-bit volume
// with the pass a loader makes over it (every slice written, then the
// histogram), and the 3D watershed of the 256^3 phantom (its work arrays
// allocated and filled inside). Each run allocates fresh pages, as a load
// or a segmentation does. Reported per case: median and worst time of each,
// and with / without as the best time over the best time and as the median
// of the per-round ratios; the median page faults of each tell whether the
// hint got its huge pages (one fault per 2 MiB instead of 512).
//
// With the hint is SetHugePagesForLargeBlocks(true); without is the
// program's own setting.
//
// Under pressure: run build/bench/fragment_memory in another terminal first;
// it keeps free memory scarce and in single pages.
#include <malloc.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <vector>

#include <benchmark/benchmark.h>

#include "Ratio.h"
#include "WatershedPhantom.h"
#include "data/Histogram.h"
#include "data/Volume.h"
#include "platform/Memory.h"
#include "processing/Watershed.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double MinorFaults()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_minflt);
}

// `run` with and without huge pages for `rounds` rounds. The page faults
// tell whether the hint got huge pages: one fault per 2 MiB instead of 512.
template <typename Run>
void Alternate(benchmark::State& state, int rounds, Run&& run)
{
    std::vector<double> with, without, faultsWith, faultsWithout;
    for (auto _ : state) {
        for (int round = 0; round < rounds; ++round)
            for (int k = 0; k < 2; ++k) {
                const bool hint = ((k ^ round) & 1) == 0;
                SetHugePagesForLargeBlocks(hint);
                malloc_trim(0); // fresh pages, as the first run in a session has
                const double f0 = MinorFaults();
                const auto t0 = Clock::now();
                run();
                const double ms = Ms(Clock::now() - t0);
                (hint ? with : without).push_back(ms);
                (hint ? faultsWith : faultsWithout).push_back(MinorFaults() - f0);
            }
    }
    SetHugePagesForLargeBlocks(false);
    const bench::Ratio r = bench::CompareRounds(with, without);
    state.counters["with_median_ms"] = bench::Median(with);
    state.counters["with_worst_ms"] = bench::Worst(with);
    state.counters["without_median_ms"] = bench::Median(without);
    state.counters["without_worst_ms"] = bench::Worst(without);
    state.counters["ratio"] = r.best;
    state.counters["ratio_median"] = r.median;
    state.counters["with_faults"] = bench::Median(faultsWith);
    state.counters["without_faults"] = bench::Median(faultsWithout);
}

void BM_VolumeFirstTouch(benchmark::State& state)
{
    constexpr int n = 512;
    std::vector<std::uint16_t> slice(std::size_t(n) * n);
    for (std::size_t i = 0; i < slice.size(); ++i)
        slice[i] = std::uint16_t(i * 2654435761u >> 20);
    Alternate(state, int(state.range(0)), [&] {
        CVolume v(n, n, n, 16);
        for (int z = 0; z < n; ++z)
            std::memcpy(v.m_pData.get() + std::size_t(z) * slice.size() * 2, slice.data(), slice.size() * 2);
        CHistogram h;
        ComputeHistogram(v, h);
        benchmark::DoNotOptimize(h.m_counts[0]);
    });
}
BENCHMARK(BM_VolumeFirstTouch)->Arg(31)->ArgName("rounds")->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Watershed3D(benchmark::State& state)
{
    constexpr int n = 256;
    CVolume vol(n, n, n, 8);
    const std::vector<std::uint8_t> original = bench::PhantomVolume(n);
    for (const bench::Point& p : bench::InSeeds(n))
        vol.m_aInPoints.push_back({p[0], p[1], p[2]});
    for (const bench::Point& p : bench::OutSeeds(n))
        vol.m_aOutPoints.push_back({p[0], p[1], p[2]});
    bool ok = true;
    Alternate(state, int(state.range(0)), [&] {
        std::memcpy(vol.m_pData.get(), original.data(), original.size());
        vol.LockData();
        CWatershed ws(&vol);
        ok &= ws.Segment3D(false, false);
        vol.UnlockData();
    });
    if (!ok)
        state.SkipWithError("flood failed");
}
BENCHMARK(BM_Watershed3D)->Arg(21)->ArgName("rounds")->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
