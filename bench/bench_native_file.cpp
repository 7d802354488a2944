// Native volume save (16-bit and through the 8-bit conversion) and load
// (reader, histogram, disk cache), and the raw load with its byte swap.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "data/DialogRunner.h"
#include "data/NativeLoader.h"
#include "data/RawLoader.h"
#include "data/Volume.h"

namespace {
constexpr int kSize = 256;
constexpr int kSlices = 128;
constexpr std::int64_t kBytes = std::int64_t(2) * kSize * kSize * kSlices;

std::unique_ptr<CVolume> MakeVolume()
{
    auto v = std::make_unique<CVolume>(kSize, kSize, kSlices, 16);
    for (std::int64_t i = 0; i < kBytes; ++i)
        v->m_pData[i] = std::uint8_t((i * 7919u) >> 3);
    return v;
}

std::string BenchPath(const char* name) { return (std::filesystem::temp_directory_path() / name).string(); }

void BM_Save16(benchmark::State& state)
{
    auto v = MakeVolume();
    const std::string path = BenchPath("vx-bench.vxq");
    for (auto _ : state)
        benchmark::DoNotOptimize(v->Save(path));
    state.SetBytesProcessed(state.iterations() * kBytes);
    std::filesystem::remove(path);
}
BENCHMARK(BM_Save16)->Unit(benchmark::kMillisecond);

void BM_Save8Bit(benchmark::State& state)
{
    auto v = MakeVolume();
    const std::string path = BenchPath("vx-bench8.vxq");
    for (auto _ : state)
        benchmark::DoNotOptimize(v->Save8Bit(path));
    state.SetBytesProcessed(state.iterations() * kBytes);
    std::filesystem::remove(path);
}
BENCHMARK(BM_Save8Bit)->Unit(benchmark::kMillisecond);

void BM_LoadNative16(benchmark::State& state)
{
    const std::string path = BenchPath("vx-bench-load.vxq");
    MakeVolume()->Save(path);
    for (auto _ : state) {
        CModelSeries series;
        CNativeLoader().Load(path, series);
        benchmark::DoNotOptimize(series.data());
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadNative16)->Unit(benchmark::kMillisecond);

void BM_LoadRawBigEndian16(benchmark::State& state)
{
    const std::string path = BenchPath("vx-bench.raw");
    MakeVolume()->ExportRaw(path);
    CRawDialogValues layout;
    layout.m_nDimX = layout.m_nDimY = kSize;
    layout.m_nDimZ = kSlices;
    layout.m_nBits = 16;
    layout.m_bLittleEndian = 0;
    for (auto _ : state) {
        CModelSeries series;
        CRawLoader(layout).Load(path, series);
        benchmark::DoNotOptimize(series.data());
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadRawBigEndian16)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
