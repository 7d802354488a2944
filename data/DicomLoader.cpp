#include "data/DicomLoader.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <limits>
#include <mutex>
#include <numeric>
#include <system_error>
#include <thread>

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcfilefo.h>
#include <dcmtk/dcmdata/dcstack.h>
#include <dcmtk/dcmimgle/dcmimage.h>

#include "data/AppSettings.h"
#include "data/DicomFile.h"
#include "data/DicomLog.h"
#include "data/Histogram.h"
#include "data/MessageLog.h"
#include "data/Volume.h"
#include "data/VoxelSize.h"
#include "platform/FileFinder.h"
#include "platform/Format.h"

namespace {
// Old-style ACR-NEMA files and wrong palette tags are tolerated; the pixel
// data may be dropped from the dataset once the image holds it.
constexpr unsigned long kImageFlags = CIF_AcrNemaCompatibility | CIF_WrongPaletteAttributeTags | CIF_MayDetachPixelData;

// Only the first frame of a file is ever shown, so the toolkit reads and
// decompresses no other. A single frame is read whole: partial access would
// cost a copy and a pass (CPU time 1.31 times the bare toolkit loop's on 512
// files of 512 x 512, against 1.10 without).
unsigned long FirstFrameOnly(DcmDataset& dataset)
{
    Sint32 frames = 1;
    return dataset.findAndGetSint32(DCM_NumberOfFrames, frames).good() && frames > 1 ? CIF_UsePartialAccessToPixelData
                                                                                      : 0;
}

std::unique_ptr<DicomImage> MakeImage(CDicomFile& dicom)
{
    DcmDataset* dataset = dicom.Dataset();
    if (!DeclaredImageFits(*dataset))
        return nullptr;
    return std::make_unique<DicomImage>(&dicom.File(), dataset->getOriginalXfer(),
                                        kImageFlags | FirstFrameOnly(*dataset), 0UL, 1UL);
}

// Everything the folder scan compares and places by lies below this tag
// (Slice Location is (0020,1041)); the rest of a header, often hundreds of
// private elements, is not parsed for files of the scan. The scan never reads
// the pixels: a file whose header reads is placed, and its slice stays zero
// should its pixels turn out damaged.
const DcmTagKey kScanStop(0x0020, 0x1042);

std::string ReadString(DcmDataset* dataset, const DcmTagKey& tag)
{
    OFString value;
    if (dataset->findAndGetOFString(tag, value, 0, OFFalse).bad())
        return std::string();
    return std::string(value.c_str(), value.length());
}

// The first element with `tag` anywhere in the file, nested items included.
DcmElement* FindElement(DcmFileFormat& file, const DcmTagKey& tag)
{
    DcmStack stack;
    if (file.search(tag, stack, ESM_fromHere, OFTrue).bad() || stack.empty())
        return nullptr;
    DcmObject* object = stack.top();
    return object && object->isLeaf() ? static_cast<DcmElement*>(object) : nullptr;
}

bool FindFloat(DcmFileFormat& file, const DcmTagKey& tag, double& value)
{
    DcmElement* e = FindElement(file, tag);
    Float64 v = 0;
    if (!e || e->getFloat64(v, 0).bad())
        return false;
    value = v;
    return true;
}

// A size of 0 is a missing one, and one that is negative, not a number or
// makes the axis of `voxels` longer than a volume may be a fault of the
// file or of the review: each is unknown, and taken as 1.0; a fault is
// logged.
float UsableSize(double size, std::int64_t voxels, char axis)
{
    if (UsableVoxelSize(size, voxels))
        return float(size);
    if (size != 0.0)
        CMessageLog::Log(FormatString("Voxel size %g along %c is out of range: 1.0 used instead", size, axis));
    return 1.0f;
}

std::int32_t TruncToInt(double v)
{
    if (!std::isfinite(v))
        return 0;
    v = std::trunc(v);
    v = std::clamp(v, double(std::numeric_limits<std::int32_t>::min()), double(std::numeric_limits<std::int32_t>::max()));
    return std::int32_t(v);
}

bool ImageUsable(const DicomImage& image)
{
    EI_Status s = image.getStatus();
    return s == EIS_Normal || s == EIS_InvalidValue;
}

// Thresholds each slice and counts it into the histogram once it is read, on
// a second thread while the next slices are read, instead of two passes over
// the whole volume afterwards. Slices come in ascending order, each once.
class CSliceHistogram {
public:
    CSliceHistogram(std::uint8_t* voxels, std::size_t sliceBytes, int bytesPerVoxel, std::int64_t slices,
                    float minAlpha)
        : m_voxels(voxels), m_sliceBytes(sliceBytes), m_sliceVoxels(std::int64_t(sliceBytes) / bytesPerVoxel),
          m_slices(slices), m_nBytesPerVoxel(bytesPerVoxel), m_fMinAlpha(minAlpha), m_counter(bytesPerVoxel)
    {
        try {
            m_worker = std::thread([this] { Run(); });
        } catch (const std::system_error&) {
            // No thread to be had: each slice is counted on this one.
        }
    }
    ~CSliceHistogram()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        if (m_worker.joinable())
            m_worker.join();
    }
    CSliceHistogram(const CSliceHistogram&) = delete;
    CSliceHistogram& operator=(const CSliceHistogram&) = delete;

    // Slice `index` is final; the ones skipped since the last call stay zero.
    // Unwritten slices are counted as zeros without touching their memory.
    void Add(std::int64_t index, bool written)
    {
        HandOver(Job{written ? index : -1, index - m_next + (written ? 0 : 1)});
        m_next = index + 1;
    }
    void Finish(CHistogram& histogram)
    {
        if (m_next < m_slices)
            HandOver(Job{-1, m_slices - m_next});
        m_next = m_slices;
        Drain();
        m_counter.Finish(histogram);
    }

private:
    struct Job {
        std::int64_t slice; // counted from memory; -1 for none
        std::int64_t zeroSlices;
    };

    void HandOver(const Job& job)
    {
        if (!m_worker.joinable()) {
            Count(job);
            return;
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_jobs.push_back(job);
        }
        m_wake.notify_one();
    }
    void Drain()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
    }
    void Run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
            if (m_jobs.empty())
                return; // stopped
            const Job job = m_jobs.front();
            m_jobs.pop_front();
            m_busy = true;
            lock.unlock();
            Count(job);
            lock.lock();
            m_busy = false;
            if (m_jobs.empty())
                m_idle.notify_all();
        }
    }
    void Count(const Job& job)
    {
        if (job.slice >= 0) {
            std::uint8_t* slice = m_voxels + std::size_t(job.slice) * m_sliceBytes;
            ThresholdVoxels(slice, m_sliceVoxels, m_nBytesPerVoxel, m_fMinAlpha);
            m_counter.Add(slice, m_sliceVoxels);
        }
        m_counter.AddZeros(job.zeroSlices * m_sliceVoxels);
    }

    std::uint8_t* m_voxels;
    std::size_t m_sliceBytes;
    std::int64_t m_sliceVoxels, m_slices;
    int m_nBytesPerVoxel;
    float m_fMinAlpha;
    CHistogramCounter m_counter; // the worker's alone until Drain
    std::int64_t m_next = 0;

    std::mutex m_mutex;
    std::condition_variable m_wake, m_idle;
    std::deque<Job> m_jobs;
    bool m_busy = false, m_stop = false;
    std::thread m_worker;
};

// Reads the slices on a few threads, each taking the next one not yet taken;
// the caller waits for them in order. Every slice has its own memory, so the
// threads share nothing but the counter and the outcomes. With one thread the
// caller reads each slice itself when it asks for it.
class CSliceReaders {
public:
    // `read(u)` reads slice u and says whether it wrote it; it never throws.
    CSliceReaders(std::size_t slices, int threads, std::function<bool(std::size_t)> read)
        : m_read(std::move(read)), m_outcome(slices, kPending)
    {
        const std::size_t wanted = threads > 1 && slices > 1 ? std::min(std::size_t(threads), slices) : 0;
        try {
            while (m_threads.size() < wanted)
                m_threads.emplace_back([this] { Run(); });
        } catch (const std::system_error&) {
            // Fewer threads (none: the caller reads them all).
        }
    }
    ~CSliceReaders()
    {
        m_stop = true; // a caller that gave up waits only for the slices begun
        for (std::thread& t : m_threads)
            t.join();
    }
    CSliceReaders(const CSliceReaders&) = delete;
    CSliceReaders& operator=(const CSliceReaders&) = delete;

    // Waits for slice u (u counts up from 0); true when it was written.
    bool Wait(std::size_t u)
    {
        if (m_threads.empty())
            return m_read(u);
        std::unique_lock<std::mutex> lock(m_mutex);
        m_done.wait(lock, [&] { return m_outcome[u] != kPending; });
        return m_outcome[u] == kWritten;
    }

private:
    enum : std::uint8_t { kPending, kWritten, kEmpty };
    void Run()
    {
        for (;;) {
            if (m_stop)
                return;
            const std::size_t u = m_next.fetch_add(1);
            if (u >= m_outcome.size())
                return;
            const bool written = m_read(u);
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_outcome[u] = written ? kWritten : kEmpty;
            }
            m_done.notify_all();
        }
    }

    std::function<bool(std::size_t)> m_read;
    std::vector<std::uint8_t> m_outcome; // under m_mutex
    std::atomic<std::size_t> m_next{0};
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::condition_variable m_done;
    std::vector<std::thread> m_threads;
};
} // namespace

CDicomLoader::CDicomLoader() = default;
CDicomLoader::~CDicomLoader() = default;

std::unique_ptr<DicomImage> CDicomLoader::CreatePreview(const std::string& path, int size)
{
    CDicomFile dicom;
    if (size < 1 || !dicom.Read(path) || !DeclaredImageFits(*dicom.Dataset()))
        return nullptr;
    const E_TransferSyntax xfer = dicom.Dataset()->getOriginalXfer();
    // The image takes the file over: the scaled copy shares it and outlives
    // the full-size image.
    const unsigned long flags = CIF_TakeOverExternalDataset | FirstFrameOnly(*dicom.Dataset());
    DicomImage full(dicom.Release().release(), xfer, flags, 0UL, 1UL);
    if (full.getStatus() != EIS_Normal)
        return nullptr;
    return std::unique_ptr<DicomImage>(
        full.createScaledImage(static_cast<unsigned long>(size), static_cast<unsigned long>(size), 1, 0));
}

std::string CDicomLoader::GetFolder(const std::string& path)
{
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void CDicomLoader::SetWindow(double centre, double width)
{
    if (!std::isfinite(centre) || !std::isfinite(width)) {
        m_bWindowValid = false;
        return;
    }
    m_nWindowCentre = TruncToInt(centre);
    // The toolkit refuses widths below 1 and would then render unwindowed.
    m_nWindowWidth = std::max(TruncToInt(width), 1);
    m_bWindowValid = true;
}

void CDicomLoader::UseSingleFile(const std::string& path)
{
    m_lstSlices.assign(1, DicomSlice{1, path});
    m_nInstanceStep = 1;
    m_nFirstInstance = m_nLastInstance = 1;
}

bool CDicomLoader::Probe(const std::string& path, int& files, int& width, int& height, int& bits, float& voxelX,
                         float& voxelY, float& voxelZ)
{
    CMessageLog::ShowStatus("Finding study, series & acquisition ...", true);
    if (ReadDicomMarker(path) == DicomMarker::none)
        return false;

    std::string study, series;
    {
        // Gone before the folder scan: a copy made for reading it may lie
        // in the folder being scanned.
        CDicomFile dicom;
        if (!dicom.Read(path))
            return false;
        DcmFileFormat& file = dicom.File();
        DcmDataset* dataset = file.getDataset();
        const std::unique_ptr<DicomImage> made = MakeImage(dicom);
        if (!made || !ImageUsable(*made))
            return false;
        DicomImage& image = *made;
        // Colour images would be read as grey garbage, and an empty image
        // gives a volume with no voxels.
        if (!image.isMonochrome() || image.getWidth() == 0 || image.getHeight() == 0 ||
            image.getWidth() > unsigned(std::numeric_limits<int>::max()) ||
            image.getHeight() > unsigned(std::numeric_limits<int>::max()))
            return false;

        double z = 0.0;
        double x = 1.0, y = 1.0;
        study = ReadString(dataset, DCM_StudyInstanceUID);
        series = ReadString(dataset, DCM_SeriesInstanceUID);
        (void)ReadString(dataset, DCM_AcquisitionNumber);
        double v = 0.0;
        if (FindFloat(file, DCM_SliceThickness, v))
            z = v;
        if (FindFloat(file, DCM_SpacingBetweenSlices, v))
            z = v;
        if (DcmElement* e = FindElement(file, DCM_PixelSpacing)) {
            OFString rows, columns;
            e->getOFString(rows, 0, OFTrue);
            e->getOFString(columns, 1, OFTrue);
            y = std::strtod(rows.c_str(), nullptr);
            x = std::strtod(columns.c_str(), nullptr);
        }
        m_fVoxelX = UsableSize(x, image.getWidth(), 'x');
        m_fVoxelY = UsableSize(y, image.getHeight(), 'y');
        m_fVoxelZ = float(z);

        m_nSrcWidth = m_nWidth = int(image.getWidth());
        m_nSrcHeight = m_nHeight = int(image.getHeight());
        m_nBits = image.getDepth();

        double mn = 0, mx = 0;
        bool haveRange = image.getMinMaxValues(mn, mx, 0) != 0;
        if (haveRange) {
            m_dMinValue = mn;
            m_dMaxValue = mx;
        }
        double centre = 0.0, w = 0.0;
        const double ownCentre = (mx + mn) * 0.5, ownWidth = (mx - ownCentre) * 2.0;
        if (image.setWindow(0UL) && image.getWindow(centre, w) && (TruncToInt(centre) != 0 || TruncToInt(w) != 0))
            SetWindow(centre, w);
        else if (haveRange && TruncToInt(ownWidth) >= 1)
            SetWindow(ownCentre, ownWidth);
        else // a uniform image: widened to 1, its window would turn the other slices black or white
            m_bWindowValid = false;
    }

    m_bRangeScanned = true;
    if (CAppSettings::GetInstance()->m_bScanDicomFolder)
        ScanFolder(GetFolder(path), study, series);
    // A scan that found nothing usable (the chosen file has no instance
    // number either) still loads the chosen file.
    if (!CAppSettings::GetInstance()->m_bScanDicomFolder || m_lstSlices.empty())
        UseSingleFile(path);

    const std::vector<std::int64_t> places = PlaceSlices();
    m_nSlices = places.empty() ? 0 : *std::max_element(places.begin(), places.end()) + 1;
    // Zero means no spacing was stored; the other unusable values are faults.
    m_fVoxelZ = UsableSize(m_fVoxelZ, m_nSlices, 'z');

    m_bProbed = true;
    files = int(m_lstSlices.size());
    width = m_nWidth;
    height = m_nHeight;
    bits = m_nBits;
    voxelX = m_fVoxelX;
    voxelY = m_fVoxelY;
    voxelZ = m_fVoxelZ;
    return true;
}

void CDicomLoader::ScanFolder(const std::string& folder, const std::string& study, const std::string& series)
{
    std::vector<DicomSlice> found;
    std::int64_t locations = 0;
    double lowest = 0.0, highest = 0.0;
    for (const FoundFile& entry : FindFiles(folder, "*.*")) {
        if (entry.isDirectory)
            continue;
        CDicomFile dicom;
        if (!dicom.Read(entry.path, kScanStop))
            continue;
        CMessageLog::ShowStatus(FormatString("Analysing %s ...", entry.name.c_str()).c_str(), true);
        DcmDataset* dataset = dicom.Dataset();
        DcmElement* number = FindElement(dicom.File(), DCM_InstanceNumber);
        DcmElement* location = FindElement(dicom.File(), DCM_SliceLocation);
        // What the short read does not hold may still lie further on (in a
        // later sequence, or out of tag order): then the header is read up to
        // the pixels.
        if (!number || !location || !dataset->tagExists(DCM_StudyInstanceUID) ||
            !dataset->tagExists(DCM_SeriesInstanceUID)) {
            if (!dicom.Read(entry.path, DCM_PixelData))
                continue;
            dataset = dicom.Dataset();
            number = FindElement(dicom.File(), DCM_InstanceNumber);
            location = FindElement(dicom.File(), DCM_SliceLocation);
        }
        if (ReadString(dataset, DCM_StudyInstanceUID) != study || ReadString(dataset, DCM_SeriesInstanceUID) != series)
            continue;
        (void)ReadString(dataset, DCM_AcquisitionNumber);
        Sint32 instance = 0;
        if (!number || number->getSint32(instance, 0).bad())
            continue;
        found.push_back({instance, entry.path});

        Float64 value = 0.0;
        const bool hasLocation = location && location->getFloat64(value, 0).good() && std::isfinite(value);
        if (found.size() == 1) {
            m_nFirstInstance = m_nLastInstance = instance;
        } else {
            m_nFirstInstance = std::min(m_nFirstInstance, instance);
            m_nLastInstance = std::max(m_nLastInstance, instance);
        }
        if (hasLocation) {
            // The range starts at the first location read, so that a file
            // without one does not pull the range towards 0.
            if (locations == 0) {
                lowest = highest = value;
            } else {
                lowest = std::min(lowest, double(value));
                highest = std::max(highest, double(value));
            }
            ++locations;
        }
    }

    m_lstSlices.clear();
    if (found.empty())
        return;
    if (locations > 1 && lowest < highest)
        m_fVoxelZ = float((highest - lowest) / double(locations - 1));

    std::int64_t step = std::int64_t(m_nLastInstance) - m_nFirstInstance;
    for (const DicomSlice& s : found) {
        std::int64_t d = std::int64_t(s.instance) - m_nFirstInstance;
        if (d > 0 && d < step)
            step = d;
    }
    m_nInstanceStep = step;

    std::stable_sort(found.begin(), found.end(),
                     [](const DicomSlice& a, const DicomSlice& b) { return a.instance < b.instance; });
    m_lstSlices = std::move(found);
    m_bRangeScanned = false;
}

std::vector<std::int64_t> CDicomLoader::PlaceSlices() const
{
    const std::int64_t divisor = m_nInstanceStep > 1 ? m_nInstanceStep : 1;
    std::vector<std::int64_t> places;
    places.reserve(m_lstSlices.size());
    for (const DicomSlice& s : m_lstSlices)
        places.push_back((std::int64_t(s.instance) - m_nFirstInstance) / divisor);
    std::vector<std::int64_t> sorted = places;
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end())
        return places;
    // The step is the smallest distance from the first number only, so gaps
    // elsewhere (18, 180, 181, 182: step 162) or repeated numbers would make
    // files overwrite each other.
    std::vector<std::size_t> order(m_lstSlices.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return m_lstSlices[a].instance < m_lstSlices[b].instance;
    });
    for (std::size_t rank = 0; rank < order.size(); ++rank)
        places[order[rank]] = std::int64_t(rank);
    return places;
}

void CDicomLoader::ScanValueRange()
{
    if (m_bRangeScanned)
        return;
    m_bRangeScanned = true;
    for (const DicomSlice& s : m_lstSlices) {
        CDicomFile dicom;
        if (!dicom.Read(s.path))
            continue;
        const std::unique_ptr<DicomImage> image = MakeImage(dicom);
        double mn = 0, mx = 0;
        if (!image || image->getStatus() == EIS_InvalidValue || !image->getMinMaxValues(mn, mx, 0))
            continue;
        if (mn < m_dMinValue)
            m_dMinValue = mn;
        if (mx > m_dMaxValue)
            m_dMaxValue = mx;
    }
}

void CDicomLoader::ApplyChanges(int width, int height, int bits, float scaleX, float scaleY, float scaleZ,
                                int windowLevel, int windowWidth, bool bAuto)
{
    // A size below one pixel cannot be loaded; keep the image's own.
    m_nWidth = width > 0 ? width : m_nSrcWidth;
    m_nHeight = height > 0 ? height : m_nSrcHeight;
    m_nBits = bits;
    // The scalings are those of the source pixels and are checked as the
    // review checks them; resized slices then get voxels of the same extent.
    auto resized = [](float scale, int source, int loaded, char axis) {
        return UsableVoxelSize(scale, source) ? float(double(source) / double(loaded) * double(scale))
                                              : UsableSize(scale, source, axis);
    };
    m_fVoxelZ = UsableSize(scaleZ, m_nSlices, 'z');
    m_fVoxelX = resized(scaleX, m_nSrcWidth, m_nWidth, 'x');
    m_fVoxelY = resized(scaleY, m_nSrcHeight, m_nHeight, 'y');
    if (bAuto) {
        ScanValueRange();
        if (m_dMinValue <= m_dMaxValue)
            SetWindow(std::trunc((m_dMaxValue + m_dMinValue + 1.0) * 0.5), std::trunc(m_dMaxValue - m_dMinValue + 1.0));
        else
            m_bWindowValid = false;
    } else {
        SetWindow(windowLevel, windowWidth);
    }
}

std::unique_ptr<CDicomVolume> CDicomLoader::ReadVolume()
{
    m_lstUnreadable.clear();
    const int bits = m_nBits <= 8 ? 8 : 16;
    if (m_nSlices < 1 || m_nSlices > std::numeric_limits<int>::max())
        return nullptr;
    auto volume = std::make_unique<CDicomVolume>(m_nWidth, m_nHeight, int(m_nSlices), bits);
    if (!volume->m_pData)
        return nullptr;
    volume->m_bDirty = true;
    volume->SetVoxelSize(m_fVoxelX, m_fVoxelY, m_fVoxelZ);
    std::uint8_t* voxels = volume->LockData();
    if (!voxels)
        return nullptr;

    const std::size_t sliceBytes = std::size_t(ComputeVolumeSize(m_nWidth, m_nHeight, 1, bits).bytes);
    const int count = int(m_lstSlices.size());
    const std::vector<std::int64_t> places = PlaceSlices();
    struct Target {
        std::int64_t index;
        int entry;
    };
    std::vector<Target> targets;
    targets.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        const std::int64_t index = places[std::size_t(i)];
        if (index >= 0 && index < m_nSlices)
            targets.push_back({index, i});
    }
    std::sort(targets.begin(), targets.end(), [](const Target& a, const Target& b) { return a.index < b.index; });
    // The busy text of entry e follows once the first ready[e] targets are
    // read (0 for an entry left out).
    std::vector<std::size_t> ready(std::size_t(count), 0);
    for (std::size_t t = 0; t < targets.size(); ++t)
        ready[std::size_t(targets[t].entry)] = t + 1;

    const float minAlpha = volume->m_pSettings->m_fMinAlpha;
    CSliceHistogram histogram(voxels, sliceBytes, bits / 8, m_nSlices, minAlpha);
    CSliceReaders readers(targets.size(), DecodeThreads(), [&](std::size_t t) {
        std::uint8_t* slice = voxels + std::size_t(targets[t].index) * sliceBytes;
        try {
            return RenderSlice(m_lstSlices[std::size_t(targets[t].entry)].path, slice, sliceBytes, bits);
        } catch (...) {
            // Out of memory in the toolkit: this slice stays zero.
            std::memset(slice, 0, sliceBytes);
        }
        return false;
    });
    int shown = 0;
    const auto showUpTo = [&](std::size_t targetsRead) {
        for (; shown < count && (shown == 0 || ready[std::size_t(shown - 1)] <= targetsRead); ++shown)
            CMessageLog::ShowStatus(FormatString("Loading slice %d of %d ...", shown + 1, count).c_str(), true);
    };
    showUpTo(0);
    for (std::size_t t = 0; t < targets.size(); ++t) {
        const bool written = readers.Wait(t);
        histogram.Add(targets[t].index, written);
        // The toolkit's own words on the file come first.
        FlushDicomLog();
        if (!written) {
            const std::string& path = m_lstSlices[std::size_t(targets[t].entry)].path;
            m_lstUnreadable.push_back({targets[t].index, path});
            CMessageLog::Log(FormatString("Slice %lld of %lld could not be read: %s",
                                          static_cast<long long>(targets[t].index + 1),
                                          static_cast<long long>(m_nSlices),
                                          path.substr(GetFolder(path).size()).c_str()));
        }
        showUpTo(t + 1);
    }

    CMessageLog::ShowStatus("Building histogram ...", true);
    histogram.Finish(volume->m_histogram);
    CMessageLog::ShowStatus(nullptr, false);
    return volume;
}

bool CDicomLoader::RenderSlice(const std::string& path, std::uint8_t* target, std::size_t sliceBytes,
                               int bits) const
{
    CDicomFile dicom;
    if (!dicom.Read(path))
        return false;
    DcmDataset* dataset = dicom.Dataset();
    dataset->loadAllDataIntoMemory();
    dataset->chooseRepresentation(dataset->getOriginalXfer(), nullptr);
    const std::unique_ptr<DicomImage> made = MakeImage(dicom);
    if (!made || !ImageUsable(*made) || !made->isMonochrome())
        return false;
    DicomImage& image = *made;
    // Every file is brought to the size being loaded, not just when the user
    // asked for another size: a file of the series with its own size would
    // otherwise be read past its end.
    std::unique_ptr<DicomImage> scaled;
    DicomImage* source = &image;
    if (image.getWidth() != unsigned(m_nWidth) || image.getHeight() != unsigned(m_nHeight)) {
        scaled.reset(image.createScaledImage(static_cast<unsigned long>(m_nWidth),
                                             static_cast<unsigned long>(m_nHeight), 1, 0));
        if (!scaled || scaled->getWidth() != unsigned(m_nWidth) || scaled->getHeight() != unsigned(m_nHeight))
            return false;
        source = scaled.get();
    }
    if (m_bWindowValid)
        source->setWindow(double(m_nWindowCentre), double(m_nWindowWidth));
    // The toolkit's rows then columns, one or two bytes in machine order, are
    // exactly the layout of one slice: render straight into it.
    if (source->getOutputDataSize(bits) != sliceBytes)
        return false;
    if (source->getOutputData(target, sliceBytes, bits, 0, 0))
        return true;
    std::memset(target, 0, sliceBytes); // no half-rendered slice
    return false;
}

int CDicomLoader::DecodeThreads() const
{
    if (m_nDecodeThreads > 0)
        return m_nDecodeThreads;
    // A few threads take most of the gain; more would compete for memory
    // bandwidth and for the machine the user is working on.
    const unsigned hardware = std::thread::hardware_concurrency();
    return int(std::clamp(hardware, 1u, 4u));
}

bool CDicomLoader::Load(const std::string& path, CModelSeries& series)
{
    if (!m_bProbed) {
        int files = 0, width = 0, height = 0, bits = 0;
        float x = 0, y = 0, z = 0;
        if (!Probe(path, files, width, height, bits, x, y, z))
            return false;
    }
    std::unique_ptr<CDicomVolume> volume = ReadVolume();
    if (!volume)
        return false;
    volume->BuildDiskCache();
    volume->UnlockData();
    series.push_back(std::move(volume));
    return true;
}
