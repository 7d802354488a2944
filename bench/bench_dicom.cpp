// A DICOM series loaded by the loader (probe with the folder scan, slices,
// histogram; disk cache not) against a bare loop that renders each file with
// the toolkit into a volume of the same size, both with the same number of
// threads (1 and 4), in one process, alternated round by round with the order
// swapped every round, on the same files warm in the page cache, each round
// into freshly allocated voxels.
//
// Two series: a phantom of 512 files of 512 x 512 (one real CT slice scaled
// up, all 16 bits stored), and a real T1 MRI head of 62 files of 128 x 128
// from insighttoolkit5-examples. Reported per volume: the best wall-clock time
// of each, the CPU time of all their threads in the same rounds (median), and
// loader / bare as the best time over the best time and as the median of the
// per-round ratios, on the wall clock and in CPU time.
//
//   build/bench/bench_dicom            (VEXILO_BUILD_BENCH=ON)
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcfilefo.h>
#include <dcmtk/dcmdata/dcuid.h>
#include <dcmtk/dcmimgle/dcmimage.h>
#include <dcmtk/oflog/oflog.h>

#include "Ratio.h"
#include "data/AppSettings.h"
#include "data/DicomLoader.h"
#include "data/Volume.h"
#include "platform/Memory.h"

namespace {
const char* kCtSlice = "/usr/lib/python3/dist-packages/pydicom/data/test_files/CT_small.dcm";
const char* kMriHead = "/usr/share/doc/insighttoolkit5-examples/examples/Data/KmeansTest_T1UCharRaw.nii.gz";

std::string ShellQuote(const std::string& s) { return "'" + s + "'"; }

// A folder of one series, files s1.dcm .. sN.dcm in instance order.
class CSeries {
public:
    explicit CSeries(const std::string& name)
        : m_dir((std::filesystem::temp_directory_path() / ("vx-bench-dicom-" + name)).string())
    {
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    ~CSeries() { std::filesystem::remove_all(m_dir); }
    CSeries(const CSeries&) = delete;
    CSeries& operator=(const CSeries&) = delete;

    std::string File(int i) const { return m_dir + "/s" + std::to_string(i) + ".dcm"; }
    const std::string& Dir() const { return m_dir; }
    std::vector<std::string> Paths() const
    {
        std::vector<std::string> p;
        for (int i = 1; i <= files; ++i)
            p.push_back(File(i));
        return p;
    }

    int files = 0, width = 0, height = 0;
    bool ok = false;

private:
    std::string m_dir;
};

// One real CT slice scaled up to 512 x 512 with all 16 bits stored, copied
// with instance numbers and slice locations 1 to 512.
CSeries& Phantom()
{
    static CSeries s("phantom");
    static const bool made = [] {
        s.files = 512;
        s.width = s.height = 512;
        const std::string base = s.Dir() + "/base.dcm";
        const std::string script =
            "set -e; dcmscale +Sxv 512 +Syv 512 " + ShellQuote(kCtSlice) + " " + ShellQuote(base) +
            "; dcmodify -nb -m '(0028,0101)=16' -m '(0028,0102)=15' " + ShellQuote(base) + "; cd " +
            ShellQuote(s.Dir()) + "; seq 1 " + std::to_string(s.files) +
            " | xargs -P8 -I{} sh -c 'cp base.dcm s{}.dcm && dcmodify -nb -i \"(0020,0013)={}\" "
            "-i \"(0020,1041)={}\" s{}.dcm'; rm base.dcm";
        std::ofstream(s.Dir() + "/make.sh") << script;
        s.ok = std::system(("sh " + ShellQuote(s.Dir() + "/make.sh") + " >/dev/null 2>&1").c_str()) == 0;
        std::filesystem::remove(s.Dir() + "/make.sh");
        return true;
    }();
    (void)made;
    return s;
}

std::int16_t I16(const std::string& b, std::size_t at)
{
    std::int16_t v;
    std::memcpy(&v, b.data() + at, 2);
    return v;
}
float F32(const std::string& b, std::size_t at)
{
    float v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

// The NIfTI MRI head (signed 16-bit voxels, x fastest) written as one MR
// file per slice, with its voxel size.
CSeries& MriHead()
{
    static CSeries s("mri");
    static const bool made = [] {
        const std::string nii = s.Dir() + "/head.nii";
        if (std::system(("gzip -dc " + ShellQuote(kMriHead) + " > " + ShellQuote(nii) + " 2>/dev/null").c_str()) != 0)
            return false;
        std::ifstream in(nii, std::ios::binary);
        const std::string b((std::istreambuf_iterator<char>(in)), {});
        std::filesystem::remove(nii);
        if (b.size() < 352 || I16(b, 40) != 3 || I16(b, 70) != 4) // three dimensions, int16
            return false;
        const int nx = I16(b, 42), ny = I16(b, 44), nz = I16(b, 46);
        const auto offset = std::size_t(F32(b, 108));
        const std::size_t plane = std::size_t(nx) * ny;
        if (nx < 1 || ny < 1 || nz < 1 || b.size() < offset + plane * nz * 2)
            return false;
        const float dx = F32(b, 80), dy = F32(b, 84), dz = F32(b, 88);
        char study[100], series[100], instance[100];
        dcmGenerateUniqueIdentifier(study, SITE_STUDY_UID_ROOT);
        dcmGenerateUniqueIdentifier(series, SITE_SERIES_UID_ROOT);
        for (int z = 0; z < nz; ++z) {
            DcmFileFormat file;
            DcmDataset* d = file.getDataset();
            d->putAndInsertString(DCM_SOPClassUID, UID_MRImageStorage);
            d->putAndInsertString(DCM_SOPInstanceUID, dcmGenerateUniqueIdentifier(instance, SITE_INSTANCE_UID_ROOT));
            d->putAndInsertString(DCM_Modality, "MR");
            d->putAndInsertString(DCM_StudyInstanceUID, study);
            d->putAndInsertString(DCM_SeriesInstanceUID, series);
            d->putAndInsertString(DCM_InstanceNumber, std::to_string(z + 1).c_str());
            d->putAndInsertString(DCM_SliceLocation, std::to_string(z * dz).c_str());
            d->putAndInsertString(DCM_SliceThickness, std::to_string(dz).c_str());
            d->putAndInsertString(DCM_PixelSpacing, (std::to_string(dy) + "\\" + std::to_string(dx)).c_str());
            d->putAndInsertUint16(DCM_SamplesPerPixel, 1);
            d->putAndInsertString(DCM_PhotometricInterpretation, "MONOCHROME2");
            d->putAndInsertUint16(DCM_Rows, Uint16(ny));
            d->putAndInsertUint16(DCM_Columns, Uint16(nx));
            d->putAndInsertUint16(DCM_BitsAllocated, 16);
            d->putAndInsertUint16(DCM_BitsStored, 16);
            d->putAndInsertUint16(DCM_HighBit, 15);
            d->putAndInsertUint16(DCM_PixelRepresentation, 1);
            std::vector<Uint16> px(plane);
            std::memcpy(px.data(), b.data() + offset + std::size_t(z) * plane * 2, plane * 2);
            d->putAndInsertUint16Array(DCM_PixelData, px.data(), unsigned(plane));
            if (file.saveFile(OFFilename(s.File(z + 1).c_str()), EXS_LittleEndianExplicit).bad())
                return false;
        }
        s.files = nz;
        s.width = nx;
        s.height = ny;
        s.ok = true;
        return true;
    }();
    (void)made;
    return s;
}

// The peer: each file into a DicomImage, windowed as the loader windows it,
// rendered straight into its slice of the volume; the threads take the next
// file not yet taken.
void BareLoop(const CSeries& s, int threads, int centre, int width)
{
    const std::vector<std::string> paths = s.Paths();
    const std::size_t sliceBytes = std::size_t(s.width) * s.height * 2;
    std::unique_ptr<std::uint8_t[]> voxels = AllocateZeroed(sliceBytes * paths.size());
    std::atomic<std::size_t> next{0};
    const auto run = [&] {
        for (std::size_t i; (i = next.fetch_add(1)) < paths.size();) {
            DcmFileFormat file;
            file.loadFile(OFFilename(paths[i].c_str()), EXS_Unknown, EGL_noChange, 4096, ERM_autoDetect);
            DicomImage image(&file, file.getDataset()->getOriginalXfer(), 0UL, 0UL, 1UL);
            image.setWindow(centre, width);
            image.getOutputData(voxels.get() + i * sliceBytes, sliceBytes, 16, 0);
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t)
        pool.emplace_back(run);
    run();
    for (std::thread& t : pool)
        t.join();
    benchmark::DoNotOptimize(voxels.get());
}

// Probe with the folder scan, then the slices and the histogram; false when
// the series did not load whole. The window is the one the slices got.
bool LoadSeries(const CSeries& s, int threads, int& centre, int& width)
{
    CAppSettings::GetInstance()->m_bScanDicomFolder = true;
    CDicomLoader loader;
    loader.m_nDecodeThreads = threads;
    int files = 0, w = 0, h = 0, bits = 0;
    float x = 0, y = 0, z = 0;
    if (!loader.Probe(s.File(1), files, w, h, bits, x, y, z) || files != s.files)
        return false;
    std::unique_ptr<CDicomVolume> volume = loader.ReadVolume();
    benchmark::DoNotOptimize(volume ? volume->m_pData.get() : nullptr);
    centre = loader.m_nWindowCentre;
    width = loader.m_nWindowWidth;
    return volume != nullptr && volume->m_nDimZ == s.files;
}

struct Times {
    double wall, cpu; // milliseconds; cpu of every thread of the process
};

template <typename F>
Times Measure(F&& f)
{
    timespec c0{}, c1{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c0);
    const auto t0 = std::chrono::steady_clock::now();
    f();
    const auto t1 = std::chrono::steady_clock::now();
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c1);
    return {std::chrono::duration<double, std::milli>(t1 - t0).count(),
            (double(c1.tv_sec - c0.tv_sec) * 1e3 + double(c1.tv_nsec - c0.tv_nsec) * 1e-6)};
}

void LoaderAgainstBareLoop(benchmark::State& state, CSeries& (*series)(), int rounds)
{
    const CSeries& s = series();
    const int threads = int(state.range(0));
    int centre = 0, width = 0;
    // One untimed round of each: the first volumes of a process pay for
    // faulting fresh pages in, and the files come into the page cache.
    if (!s.ok || !LoadSeries(s, threads, centre, width)) {
        state.SkipWithError("could not make or load the series");
        return;
    }
    BareLoop(s, threads, centre, width);
    std::vector<double> ourWall, bareWall, ourCpu, bareCpu;
    bool failed = false;
    for (auto _ : state) {
        for (int round = 0; round < rounds; ++round) {
            Times t[2]{};
            for (int k = 0; k < 2; ++k) {
                if ((k ^ round) & 1)
                    t[1] = Measure([&] { BareLoop(s, threads, centre, width); });
                else
                    t[0] = Measure([&] { failed |= !LoadSeries(s, threads, centre, width); });
            }
            ourWall.push_back(t[0].wall);
            bareWall.push_back(t[1].wall);
            ourCpu.push_back(t[0].cpu);
            bareCpu.push_back(t[1].cpu);
        }
    }
    if (failed) {
        state.SkipWithError("load failed");
        return;
    }
    const bench::Ratio wall = bench::CompareRounds(ourWall, bareWall);
    const bench::Ratio cpu = bench::CompareRounds(ourCpu, bareCpu);
    state.counters["files"] = s.files;
    state.counters["loader_ms"] = bench::Best(ourWall);
    state.counters["bare_ms"] = bench::Best(bareWall);
    state.counters["loader_cpu_ms"] = bench::Median(ourCpu);
    state.counters["bare_cpu_ms"] = bench::Median(bareCpu);
    state.counters["ratio"] = wall.best;
    state.counters["ratio_median"] = wall.median;
    state.counters["cpu_ratio"] = cpu.best;
    state.counters["cpu_ratio_median"] = cpu.median;
}

void BM_PhantomSeries(benchmark::State& state) { LoaderAgainstBareLoop(state, Phantom, 7); }
BENCHMARK(BM_PhantomSeries)->Arg(1)->Arg(4)->ArgName("threads")->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_MriHeadSeries(benchmark::State& state) { LoaderAgainstBareLoop(state, MriHead, 21); }
BENCHMARK(BM_MriHeadSeries)->Arg(1)->Arg(4)->ArgName("threads")->Unit(benchmark::kMillisecond)->Iterations(1);
} // namespace

int main(int argc, char** argv)
{
    OFLog::configure(OFLogger::ERROR_LOG_LEVEL);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
