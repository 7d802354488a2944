// Marker watershed of a 256^3 phantom and the 512 x 512 one-slice preview
// (watershed, contours and one contour step), single thread. One flood takes
// about a second, so each runs as several repetitions, reported as their
// median and spread. ITK's peer runs in bench/peers.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "WatershedPhantom.h"
#include "data/Volume.h"
#include "processing/Snake.h"
#include "processing/SliceImage.h"
#include "processing/Watershed.h"

namespace {

void Seeds(CVolume& v, int n)
{
    for (const bench::Point& p : bench::InSeeds(n))
        v.m_aInPoints.push_back({p[0], p[1], p[2]});
    for (const bench::Point& p : bench::OutSeeds(n))
        v.m_aOutPoints.push_back({p[0], p[1], p[2]});
}

void BM_Watershed3D(benchmark::State& state)
{
    const int n = int(state.range(0));
    CVolume vol(n, n, n, 8);
    const std::vector<std::uint8_t> original = bench::PhantomVolume(n);
    Seeds(vol, n);
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(vol.m_pData.get(), original.data(), original.size());
        malloc_trim(0); // every run allocates fresh pages, as the first in a session does
        state.ResumeTiming();
        vol.LockData();
        CWatershed ws(&vol);
        const bool ok = ws.Segment3D(false, false);
        vol.UnlockData();
        if (!ok)
            state.SkipWithError("flood failed");
        benchmark::DoNotOptimize(vol.m_pData[0]);
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * n * n * n);
}
BENCHMARK(BM_Watershed3D)
    ->Arg(256)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7)
    ->DisplayAggregatesOnly(true);

void BM_Preview2D(benchmark::State& state)
{
    const int n = int(state.range(0));
    CVolume vol; // seeds only
    Seeds(vol, n);
    for (auto& p : vol.m_aInPoints)
        p.z = float(n / 2);
    for (auto& p : vol.m_aOutPoints)
        p.z = float(n / 2);
    // Column-major slice z = n / 2 of the phantom.
    std::vector<std::uint8_t> slice(std::size_t(n) * n);
    for (int x = 0; x < n; ++x)
        for (int y = 0; y < n; ++y)
            slice[std::size_t(x) * n + y] = bench::Phantom(x, y, n / 2, n, std::uint32_t(x * 7919 + y));
    CWatershed ws(&vol);
    std::size_t contours = 0;
    for (auto _ : state) {
        CSliceImage image(slice.data(), n, n);
        if (!ws.Segment2D(&image, 2, n / 2))
            state.SkipWithError("flood failed");
        for (auto& c : image.m_aContours)
            c->Step();
        contours = image.m_aContours.size();
    }
    state.counters["contours"] = double(contours);
}
BENCHMARK(BM_Preview2D)
    ->Arg(512)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7)
    ->DisplayAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
