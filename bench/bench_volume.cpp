// Histogram, threshold and disk cache of a 512 x 512 x 512 16-bit volume;
// the disk cache against writing the same bytes with one write per file.
// The histogram also on a CT-like volume, where most blocks hold one bin.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include <benchmark/benchmark.h>

#include "Phantoms.h"
#include "Ratio.h"
#include "data/Histogram.h"
#include "data/PlaneView.h"
#include "data/Volume.h"
#include "data/VoxelCount.h"
#include "platform/File.h"
#include "platform/TempFile.h"

namespace {
constexpr int kDim = 512;

CVolume& Volume()
{
    static std::unique_ptr<CVolume> vol = [] {
        auto v = std::make_unique<CVolume>(kDim, kDim, kDim, 16);
        auto* p = reinterpret_cast<std::uint16_t*>(v->m_pData.get());
        std::uint32_t s = 12345;
        for (std::int32_t i = 0; i < v->m_nVoxels; ++i) {
            s = s * 1664525u + 1013904223u;
            p[i] = std::uint16_t(s >> 16);
        }
        // Held for the whole run so that the cache builds never swap it out.
        v->LockData();
        return v;
    }();
    return *vol;
}

// The chest phantom's 12 bits scaled to 16 and thresholded as a load does:
// air 0, lungs about 4000, soft tissue about 16000 and bone about 26400, each
// with noise of about two bins.
CVolume& CtVolume()
{
    static std::unique_ptr<CVolume> vol = [] {
        auto v = phantom::CtChest(kDim);
        auto* p = reinterpret_cast<std::uint16_t*>(v->m_pData.get());
        for (std::int32_t i = 0; i < v->m_nVoxels; ++i)
            p[i] = std::uint16_t(p[i] * 16u);
        v->Threshold(0.05f);
        v->LockData();
        return v;
    }();
    return *vol;
}

std::int64_t CacheBytes(const CVolume& v) { return 3 * std::int64_t(v.m_nVoxels) + v.m_nDataBytes; }

std::uint64_t ReadOnce(const CVolume& v)
{
    const auto* p = reinterpret_cast<const std::uint64_t*>(v.m_pData.get());
    const std::int64_t n = v.m_nDataBytes / 8;
    std::uint64_t acc[4] = {0, 0, 0, 0};
    for (std::int64_t i = 0; i < n; i += 4)
        for (int k = 0; k < 4; ++k)
            acc[k] ^= p[i + k];
    return acc[0] ^ acc[1] ^ acc[2] ^ acc[3];
}

// Reading the voxels once, for scale: the floor of any one-pass operation.
void BM_MemoryRead(benchmark::State& state)
{
    CVolume& v = Volume();
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadOnce(v));
    state.SetBytesProcessed(state.iterations() * std::int64_t(v.m_nDataBytes));
}

void BM_ComputeHistogram(benchmark::State& state)
{
    CVolume& v = state.range(0) ? CtVolume() : Volume();
    CHistogram h;
    for (auto _ : state) {
        ComputeHistogram(v, h);
        benchmark::DoNotOptimize(h.m_counts[0]);
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(v.m_nDataBytes));
}

// The histogram against reading its voxels once, alternated round by round
// in the same run, the order swapped every round: memory speed differs from
// machine to machine far more than the counting does, and load from other
// processes hits both alike. Reports the best of each, their ratio, the
// histogram's median and the median of the ratios within rounds.
void BM_HistogramOverMemoryRead(benchmark::State& state)
{
    CVolume& v = state.range(0) ? CtVolume() : Volume();
    using Clock = std::chrono::steady_clock;
    const auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
    std::vector<double> reads, hists;
    CHistogram h;
    for (auto _ : state) {
        for (int round = 0; round < 20; ++round) {
            double t[2];
            for (int k = 0; k < 2; ++k) {
                const bool hist = (k ^ round) & 1;
                const auto t0 = Clock::now();
                if (hist)
                    ComputeHistogram(v, h);
                else
                    benchmark::DoNotOptimize(ReadOnce(v));
                t[hist] = ms(Clock::now() - t0);
            }
            reads.push_back(t[0]);
            hists.push_back(t[1]);
        }
        benchmark::DoNotOptimize(h.m_counts[0]);
    }
    const bench::Ratio r = bench::CompareRounds(hists, reads);
    state.counters["read_ms"] = bench::Best(reads);
    state.counters["hist_ms"] = bench::Best(hists);
    state.counters["ratio"] = r.best;
    state.counters["hist_median_ms"] = bench::Median(hists);
    state.counters["ratio_median"] = r.median;
}

// The voxel pass alone on each path (0 portable, 1 AVX2).
void BM_CountVoxels16(benchmark::State& state)
{
    const auto path = CountPath(state.range(0));
    if (!CountPathSupported(path)) {
        state.SkipWithError("not supported here");
        return;
    }
    CVolume& v = state.range(1) ? CtVolume() : Volume();
    const auto* p = reinterpret_cast<const std::uint16_t*>(v.m_pData.get());
    VoxelCounts counts;
    for (auto _ : state) {
        CountVoxels16(p, v.m_nVoxels, counts, path);
        benchmark::DoNotOptimize(counts.counts[0]);
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(v.m_nDataBytes));
}

void BM_Threshold(benchmark::State& state)
{
    CVolume& v = Volume();
    for (auto _ : state) {
        v.Threshold(0.05f);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(v.m_nDataBytes));
}

void BM_BuildDiskCache(benchmark::State& state)
{
    CVolume& v = Volume();
    for (auto _ : state)
        v.BuildDiskCache();
    v.CloseCache(true);
    state.SetBytesProcessed(state.iterations() * CacheBytes(v));
}

// The plane extraction of one axis (0 x, 1 y, 2 z) alone, without files.
void BM_ExtractPlaneViews(benchmark::State& state)
{
    CVolume& v = Volume();
    const auto* data = reinterpret_cast<const std::uint16_t*>(v.m_pData.get());
    // Touched before timing: faulting in fresh pages is not the extraction.
    std::unique_ptr<std::uint8_t[]> out(new std::uint8_t[std::size_t(v.m_nVoxels)]());
    const int axis = int(state.range(0));
    for (auto _ : state) {
        ExtractPlanes(axis, data, kDim, kDim, kDim, 0, kDim, out.get());
        benchmark::DoNotOptimize(out[0]);
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(v.m_nDataBytes));
}

// The same four files written with one write call each, reopened like the
// cache and the set before the previous deleted, as a rebuild does.
class CPlainWrite {
public:
    explicit CPlainWrite(CVolume& v)
        : m_sizes{v.m_nVoxels, v.m_nVoxels, v.m_nVoxels, std::int64_t(v.m_nDataBytes)},
          m_planes(new std::uint8_t[std::size_t(v.m_nVoxels)]()),
          m_sources{m_planes.get(), m_planes.get(), m_planes.get(), v.m_pData.get()}
    {
    }
    CPlainWrite(const CPlainWrite&) = delete;
    CPlainWrite& operator=(const CPlainWrite&) = delete;
    ~CPlainWrite()
    {
        for (auto& f : m_open)
            f.reset();
        RemoveAll(m_saved);
        RemoveAll(m_current);
    }

    void Rebuild()
    {
        for (auto& f : m_open)
            f.reset();
        RemoveAll(m_saved);
        m_saved = m_current;
        for (int i = 0; i < 4; ++i) {
            m_current[i] = CreateTempFileName("~vx");
            CFile out;
            // Not truncated, like the cache's files: on ext4 a truncated file
            // is written back at close, which would time the disk instead.
            out.Open(m_current[i], CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite);
            out.WriteHuge(m_sources[i], std::uint64_t(m_sizes[i]));
            out.Close();
            m_open[i] = std::make_unique<CFile>();
            m_open[i]->Open(m_current[i], i == 3 ? CFile::modeReadWrite : CFile::modeRead);
        }
    }

private:
    static void RemoveAll(std::array<std::string, 4>& names)
    {
        for (auto& n : names)
            if (!n.empty())
                CFile::Remove(n);
    }

    std::int64_t m_sizes[4];
    std::unique_ptr<std::uint8_t[]> m_planes;
    const std::uint8_t* m_sources[4];
    std::array<std::string, 4> m_current, m_saved;
    std::array<std::unique_ptr<CFile>, 4> m_open;
};

void BM_PlainWriteBaseline(benchmark::State& state)
{
    CVolume& v = Volume();
    CPlainWrite plain(v);
    for (auto _ : state)
        plain.Rebuild();
    state.SetBytesProcessed(state.iterations() * CacheBytes(v));
}

// The cache build and the plain writes alternated round by round, each
// keeping its own previous set as a rebuild does, the order swapped every
// round, so that writeback of earlier rounds and load from other processes
// hit both alike. With settle = 1 every timed step starts after a sync, with
// no dirty pages left from the step before. Reports the best of each, their
// ratio, and the median of the ratios within rounds.
void BM_CacheOverPlainWrite(benchmark::State& state)
{
    CVolume& v = Volume();
    const bool settle = state.range(0) != 0;
    using Clock = std::chrono::steady_clock;
    const auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
    std::vector<double> plains, caches;
    for (auto _ : state) {
        CPlainWrite plain(v);
        for (int round = 0; round < 10; ++round) {
            double t[2];
            for (int k = 0; k < 2; ++k) {
                const bool cache = (k ^ round) & 1;
                if (settle)
                    ::sync();
                const auto t0 = Clock::now();
                if (cache)
                    v.BuildDiskCache();
                else
                    plain.Rebuild();
                t[cache] = ms(Clock::now() - t0);
            }
            plains.push_back(t[0]);
            caches.push_back(t[1]);
        }
    }
    v.CloseCache(true);
    const bench::Ratio r = bench::CompareRounds(caches, plains);
    state.counters["plain_ms"] = bench::Best(plains);
    state.counters["cache_ms"] = bench::Best(caches);
    state.counters["ratio"] = r.best;
    state.counters["ratio_median"] = r.median;
    state.counters["ratio_worst"] = bench::Worst(bench::Ratios(caches, plains));
}
} // namespace

BENCHMARK(BM_MemoryRead)->Unit(benchmark::kMillisecond)->MinTime(1.0);
// Before the threshold, which changes the random volume.
BENCHMARK(BM_ComputeHistogram)->ArgName("ct")->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_HistogramOverMemoryRead)->ArgName("ct")->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_CountVoxels16)
    ->ArgNames({"path", "ct"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);
BENCHMARK(BM_Threshold)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ExtractPlaneViews)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_PlainWriteBaseline)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);
BENCHMARK(BM_BuildDiskCache)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);
BENCHMARK(BM_PlainWriteBaseline)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);
BENCHMARK(BM_CacheOverPlainWrite)->ArgName("settle")->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

BENCHMARK_MAIN();
