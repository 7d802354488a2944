// A 512-file series of 512 x 512 16-bit slices: the loader's probe, folder
// scan and slice reads (histogram included, disk cache not) against a bare
// loop that renders each file with the toolkit. Both run in the same process
// on the same files, warm in the page cache.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcfilefo.h>
#include <dcmtk/dcmimgle/dcmimage.h>
#include <dcmtk/oflog/oflog.h>

#include "data/AppSettings.h"
#include "data/DicomLoader.h"
#include "data/Volume.h"

namespace {
constexpr int kFiles = 512;
const char* kSource = "/usr/lib/python3/dist-packages/pydicom/data/test_files/CT_small.dcm";

// One real CT slice, scaled up to 512 x 512 with all 16 bits stored, copied
// with instance numbers and slice locations 1 to 512.
class CSeriesFolder {
public:
    CSeriesFolder()
    {
        m_dir = (std::filesystem::temp_directory_path() / "vx-bench-dicom").string();
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
        const std::string base = m_dir + "/base.dcm";
        const std::string script =
            "set -e; dcmscale +Sxv 512 +Syv 512 '" + std::string(kSource) + "' '" + base +
            "'; dcmodify -nb -m '(0028,0101)=16' -m '(0028,0102)=15' '" + base + "'; cd '" + m_dir +
            "'; seq 1 " + std::to_string(kFiles) +
            " | xargs -P8 -I{} sh -c 'cp base.dcm s{}.dcm && dcmodify -nb -i \"(0020,0013)={}\" "
            "-i \"(0020,1041)={}\" s{}.dcm'; rm base.dcm";
        m_ok = std::system(("sh -c \"" + Escape(script) + "\" >/dev/null 2>&1").c_str()) == 0;
    }
    ~CSeriesFolder() { std::filesystem::remove_all(m_dir); }

    bool Ok() const { return m_ok; }
    std::string First() const { return m_dir + "/s1.dcm"; }
    const std::string& Dir() const { return m_dir; }

private:
    static std::string Escape(const std::string& s)
    {
        std::string out;
        for (char c : s) {
            if (c == '"' || c == '\\' || c == '$' || c == '`')
                out += '\\';
            out += c;
        }
        return out;
    }
    std::string m_dir;
    bool m_ok = false;
};

CSeriesFolder& Series()
{
    static CSeriesFolder folder;
    return folder;
}

std::vector<std::string> SeriesPaths()
{
    std::vector<std::string> paths;
    for (int i = 1; i <= kFiles; ++i)
        paths.push_back(Series().Dir() + "/s" + std::to_string(i) + ".dcm");
    return paths;
}

// The peer: each file into a DicomImage and its 16-bit output, nothing else.
void BareLoop(const std::vector<std::string>& paths)
{
    for (const std::string& p : paths) {
        DcmFileFormat file;
        file.loadFile(OFFilename(p.c_str()), EXS_Unknown, EGL_noChange, DCM_MaxReadLength, ERM_autoDetect);
        DicomImage image(&file, file.getDataset()->getOriginalXfer(), 0UL, 0UL, 0UL);
        benchmark::DoNotOptimize(image.getOutputData(16, 0, 0));
    }
}

// Probe with the folder scan, then the slices and the histogram.
bool LoadSeries()
{
    CAppSettings::GetInstance()->m_bScanDicomFolder = true;
    CDicomLoader loader;
    int files = 0, width = 0, height = 0, bits = 0;
    float x = 0, y = 0, z = 0;
    if (!loader.Probe(Series().First(), files, width, height, bits, x, y, z) || files != kFiles)
        return false;
    std::unique_ptr<CDicomVolume> volume = loader.ReadVolume();
    benchmark::DoNotOptimize(volume ? volume->m_pData.get() : nullptr);
    return volume != nullptr;
}

// The first 256 MB volume of a process (in a virtual machine, of memory not
// touched since boot) pays for faulting its pages in; one untimed round of
// each warms that up, so both are measured in the steady state.
bool WarmUp()
{
    static const bool ok = Series().Ok() && (BareLoop(SeriesPaths()), LoadSeries());
    return ok;
}

void BM_BareDicomImageLoop(benchmark::State& state)
{
    if (!WarmUp()) {
        state.SkipWithError("could not make or load the series");
        return;
    }
    const std::vector<std::string> paths = SeriesPaths();
    for (auto _ : state)
        BareLoop(paths);
    state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_BareDicomImageLoop)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DicomLoaderSeries(benchmark::State& state)
{
    if (!WarmUp()) {
        state.SkipWithError("could not make or load the series");
        return;
    }
    for (auto _ : state)
        if (!LoadSeries()) {
            state.SkipWithError("load failed");
            return;
        }
    state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_DicomLoaderSeries)->Unit(benchmark::kMillisecond)->Iterations(3);

// The two alternated round by round, so that load from other processes hits
// both alike; reports the best round of each, their ratio, and the median of
// the ratios of neighbouring rounds.
void BM_LoaderOverBare(benchmark::State& state)
{
    if (!WarmUp()) {
        state.SkipWithError("could not make or load the series");
        return;
    }
    const std::vector<std::string> paths = SeriesPaths();
    using Clock = std::chrono::steady_clock;
    const auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
    double bare = 1e30, loader = 1e30;
    std::vector<double> ratios;
    for (auto _ : state) {
        for (int round = 0; round < 7; ++round) {
            Clock::time_point t0 = Clock::now();
            BareLoop(paths);
            Clock::time_point t1 = Clock::now();
            if (!LoadSeries()) {
                state.SkipWithError("load failed");
                return;
            }
            Clock::time_point t2 = Clock::now();
            bare = std::min(bare, ms(t1 - t0));
            loader = std::min(loader, ms(t2 - t1));
            ratios.push_back(ms(t2 - t1) / ms(t1 - t0));
        }
    }
    std::sort(ratios.begin(), ratios.end());
    state.counters["bare_ms"] = bare;
    state.counters["loader_ms"] = loader;
    state.counters["ratio"] = loader / bare;
    state.counters["ratio_median"] = ratios[ratios.size() / 2];
}
BENCHMARK(BM_LoaderOverBare)->Unit(benchmark::kMillisecond)->Iterations(1);
} // namespace

int main(int argc, char** argv)
{
    OFLog::configure(OFLogger::ERROR_LOG_LEVEL);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
