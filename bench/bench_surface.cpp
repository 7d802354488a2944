// Marching cubes: triangles per second on a smooth 8-bit object and on a
// 16-bit CT-like chest, single thread.
#include <benchmark/benchmark.h>

#include "bench/Phantoms.h"
#include "processing/SurfaceGenerator.h"

namespace {

void Run(benchmark::State& state, CVolume& volume, std::uint16_t iso)
{
    std::int64_t triangles = 0;
    for (auto _ : state) {
        CSurfaceGenerator g(&volume);
        auto mesh = g.Generate(iso);
        triangles = mesh->m_nPolygons;
        benchmark::DoNotOptimize(mesh->m_pIndices.get());
    }
    state.counters["triangles"] = double(triangles);
    state.counters["triangles/s"] = benchmark::Counter(double(triangles), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["voxels/s"] = benchmark::Counter(double(volume.m_nVoxels), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_SmoothBlob256(benchmark::State& state)
{
    static auto volume = [] {
        auto v = phantom::SmoothBlob();
        phantom::Dump("blob256_u8.raw", v->m_pData.get(), v->m_nDataBytes);
        return v;
    }();
    Run(state, *volume, 128);
}

void BM_CtChest(benchmark::State& state)
{
    static auto volume = [] {
        auto v = phantom::CtChest(200);
        phantom::Dump("chest512x512x200_u16.raw", v->m_pData.get(), v->m_nDataBytes);
        return v;
    }();
    Run(state, *volume, std::uint16_t(state.range(0)));
}

} // namespace

BENCHMARK(BM_SmoothBlob256)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_CtChest)->Arg(500)->Arg(1400)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_MAIN();
