// Decimation of a marching-cubes torus of about 1.2 M triangles to 10 % and
// 1 %: input triangles per second, single thread, and the distance of the
// result to the exact torus. Its peer, VTK's decimation on the same torus,
// is bench/peers/decimate_peers.py.
#include <benchmark/benchmark.h>

#include "bench/Phantoms.h"
#include "processing/MeshDecimator.h"
#include "processing/SurfaceGenerator.h"

namespace {

const CMesh& Input()
{
    static std::unique_ptr<CMesh> mesh = [] {
        auto volume = phantom::TorusVolume(phantom::DecimationTorus());
        CSurfaceGenerator g(volume.get());
        return g.Generate(128);
    }();
    return *mesh;
}

void BM_Decimate(benchmark::State& state)
{
    const CMesh& input = Input();
    const int target = int(std::int64_t(input.m_nPolygons) * state.range(0) / 100);
    std::unique_ptr<CMesh> result;
    for (auto _ : state) {
        state.PauseTiming();
        result = phantom::CopyMesh(input);
        state.ResumeTiming();
        CMeshDecimator d(result.get());
        d.Decimate(target);
    }
    const phantom::SurfaceError input_error = phantom::MeasureError(input, phantom::DecimationTorus());
    const phantom::SurfaceError e = phantom::MeasureError(*result, phantom::DecimationTorus());
    state.counters["in_triangles"] = input.m_nPolygons;
    state.counters["out_triangles"] = result->m_nPolygons;
    state.counters["in_triangles/s"] =
        benchmark::Counter(double(input.m_nPolygons), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["err_mean"] = e.mean;
    state.counters["err_rms"] = e.rms;
    state.counters["err_max"] = e.max;
    state.counters["input_err_mean"] = input_error.mean;
}

} // namespace

// One decimation per repetition, each on a fresh copy and fresh memory as the
// program's command gets; every run is listed, since on a shared machine the
// best and the median say more than a mean.
BENCHMARK(BM_Decimate)->Arg(10)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(7);
BENCHMARK_MAIN();
