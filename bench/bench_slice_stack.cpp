// Whole loads of slice folders: file reads, the 16-bit scaling or the RGB
// grey conversion, histogram and disk cache.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "data/SliceStackLoader.h"

namespace {
constexpr int kSize = 256;
constexpr int kSlices = 64;

std::string MakeFolder(const char* name, std::size_t bytesPerSlice)
{
    const auto dir = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directories(dir);
    std::string bytes(bytesPerSlice, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 7919u) >> 3);
    for (int z = 0; z < kSlices; ++z) {
        char file[16];
        std::snprintf(file, sizeof file, "s%03d", z);
        std::ofstream(dir / file, std::ios::binary) << bytes;
    }
    return dir.string();
}

void BM_SliceStack16(benchmark::State& state)
{
    const std::string dir = MakeFolder("vx-bench-vhp", 2 * kSize * kSize);
    for (auto _ : state) {
        CModelSeries series;
        CSliceStackLoader(0, kSize, kSize, 1, 1, 1).Load(dir + "/*.*", series);
        benchmark::DoNotOptimize(series.data());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(2) * kSize * kSize * kSlices);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_SliceStack16)->Unit(benchmark::kMillisecond);

void BM_RgbStack(benchmark::State& state)
{
    const std::string dir = MakeFolder("vx-bench-rgb", 3 * kSize * kSize);
    for (auto _ : state) {
        CModelSeries series;
        CRgbStackLoader(kSize, kSize, 1, 1, 1).Load(dir + "/*.*", series);
        benchmark::DoNotOptimize(series.data());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(3) * kSize * kSize * kSlices);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_RgbStack)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
