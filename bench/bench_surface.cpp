// Marching cubes: time per volume on a smooth 8-bit object and on a 16-bit
// CT-like chest, single thread, with the triangles and how many of them close
// the surface at the volume's edge. VTK's peer runs in bench/peers.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include "bench/Phantoms.h"
#include "bench/SurfaceCaps.h"
#include "processing/SurfaceGenerator.h"

namespace {

void Run(benchmark::State& state, CVolume& volume, std::uint16_t iso)
{
    std::unique_ptr<CSurfaceMesh> mesh;
    for (auto _ : state) {
        CSurfaceGenerator g(&volume);
        mesh = g.Generate(iso);
        benchmark::DoNotOptimize(mesh->m_pIndices.get());
        state.PauseTiming();
        mesh.reset();
        malloc_trim(0); // every run writes fresh pages, as the first in a session does
        state.ResumeTiming();
    }
    CSurfaceGenerator g(&volume);
    mesh = g.Generate(iso);
    state.counters["triangles"] = double(mesh->m_nPolygons);
    state.counters["caps %"] = mesh->m_nPolygons ? 100.0 * bench::CapTriangles(*mesh, volume) / mesh->m_nPolygons : 0;
}

void BM_SmoothBlob256(benchmark::State& state)
{
    static auto volume = phantom::SmoothBlob();
    Run(state, *volume, 128);
}

void BM_CtChest(benchmark::State& state)
{
    static auto volume = phantom::CtChest(200);
    Run(state, *volume, std::uint16_t(state.range(0)));
}

} // namespace

BENCHMARK(BM_SmoothBlob256)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_CtChest)->Arg(500)->Arg(1400)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_MAIN();
