// A 512-file series of 512 x 512 16-bit slices: the loader's probe, folder
// scan and slice reads (histogram included, disk cache not) against a bare
// loop that renders each file with the toolkit. Both run in the same process
// on the same files, warm in the page cache.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

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

void BM_BareDicomImageLoop(benchmark::State& state)
{
    if (!Series().Ok()) {
        state.SkipWithError("could not make the series with the dcmtk tools");
        return;
    }
    std::vector<std::string> paths;
    for (int i = 1; i <= kFiles; ++i)
        paths.push_back(Series().Dir() + "/s" + std::to_string(i) + ".dcm");
    for (auto _ : state) {
        for (const std::string& p : paths) {
            DcmFileFormat file;
            file.loadFile(OFFilename(p.c_str()), EXS_Unknown, EGL_noChange, DCM_MaxReadLength, ERM_autoDetect);
            DicomImage image(&file, file.getDataset()->getOriginalXfer(), 0UL, 0UL, 0UL);
            benchmark::DoNotOptimize(image.getOutputData(16, 0, 0));
        }
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_BareDicomImageLoop)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DicomLoaderSeries(benchmark::State& state)
{
    if (!Series().Ok()) {
        state.SkipWithError("could not make the series with the dcmtk tools");
        return;
    }
    CAppSettings::GetInstance()->m_bScanDicomFolder = true;
    for (auto _ : state) {
        CDicomLoader loader;
        int files = 0, width = 0, height = 0, bits = 0;
        float x = 0, y = 0, z = 0;
        if (!loader.Probe(Series().First(), files, width, height, bits, x, y, z) || files != kFiles) {
            state.SkipWithError("probe failed");
            return;
        }
        std::unique_ptr<CDicomVolume> volume = loader.ReadVolume();
        if (!volume) {
            state.SkipWithError("load failed");
            return;
        }
        benchmark::DoNotOptimize(volume->m_pData.get());
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_DicomLoaderSeries)->Unit(benchmark::kMillisecond)->Iterations(3);
} // namespace

int main(int argc, char** argv)
{
    OFLog::configure(OFLogger::ERROR_LOG_LEVEL);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
