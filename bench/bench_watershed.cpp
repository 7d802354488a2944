// Marker watershed of a 256^3 phantom and the 512 x 512 one-slice preview
// (watershed, contours and one contour step), single thread.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "data/Volume.h"
#include "processing/Snake.h"
#include "processing/SliceImage.h"
#include "processing/Watershed.h"

namespace {

// Deterministic noise in -8..7.
int Noise(std::uint32_t i)
{
    i ^= i >> 16;
    i *= 0x7feb352dU;
    i ^= i >> 15;
    i *= 0x846ca68bU;
    i ^= i >> 16;
    return int(i & 15) - 8;
}

// Background 40, a ball of 150 with a brighter core, a second ball apart.
std::uint8_t Phantom(int x, int y, int z, int n, std::uint32_t i)
{
    const int c = n / 2;
    const int d2 = (x - c) * (x - c) + (y - c) * (y - c) + (z - c) * (z - c);
    const int r = n * 30 / 100;
    int v = 40;
    if (d2 < r * r)
        v = d2 < (r / 3) * (r / 3) ? 220 : 150;
    const int e = n / 8;
    const int dx = x - e * 2, dy = y - e * 6, dz = z - e * 2;
    if (dx * dx + dy * dy + dz * dz < e * e)
        v = 150;
    return std::uint8_t(v + Noise(i));
}

void Seeds(CVolume& v, int n)
{
    const float c = float(n / 2);
    const float o = float(n) * 0.1f;
    v.m_aInPoints = {{c, c, c}, {c + o, c, c}, {c, c - o, c}, {c, c, c + o}};
    const float lo = float(n) * 0.05f, hi = float(n) * 0.95f;
    v.m_aOutPoints = {{lo, lo, lo}, {hi, lo, lo}, {lo, hi, hi}, {hi, hi, hi}, {lo, hi, lo}};
}

void BM_Watershed3D(benchmark::State& state)
{
    const int n = int(state.range(0));
    CVolume vol(n, n, n, 8);
    std::vector<std::uint8_t> original(std::size_t(n) * n * n);
    std::uint32_t i = 0;
    for (int z = 0; z < n; ++z)
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x, ++i)
                original[i] = Phantom(x, y, z, n, i);
    Seeds(vol, n);
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(vol.m_pData.get(), original.data(), original.size());
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
BENCHMARK(BM_Watershed3D)->Arg(256)->Unit(benchmark::kMillisecond)->UseRealTime();

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
            slice[std::size_t(x) * n + y] = Phantom(x, y, n / 2, n, std::uint32_t(x * 7919 + y));
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
BENCHMARK(BM_Preview2D)->Arg(512)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
