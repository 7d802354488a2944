#include "data/SliceStackLoader.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <new>

#include "data/MessageLog.h"
#include "data/Volume.h"
#include "platform/File.h"
#include "platform/FileFinder.h"
#include "platform/Format.h"

std::vector<std::string> FindSliceFiles(const std::string& pattern)
{
    // The import dialog writes a Windows pattern ("folder\*.*"); a '/' is
    // taken as a separator too, and a bare folder means all of its files.
    std::string folder = pattern, wildcard = "*.*";
    std::error_code ec;
    if (pattern.empty() || !std::filesystem::is_directory(pattern, ec)) {
        const auto cut = pattern.find_last_of("/\\");
        folder = cut == std::string::npos ? "." : pattern.substr(0, std::max<std::size_t>(cut, 1));
        wildcard = cut == std::string::npos ? pattern : pattern.substr(cut + 1);
    }
    std::vector<std::string> paths;
    for (const FoundFile& f : FindFiles(folder, wildcard))
        if (!f.isDirectory)
            paths.push_back(f.path);
    std::sort(paths.begin(), paths.end());
    return paths;
}

namespace {
// Reads up to `count` bytes of `path` after `skip` bytes into `buf`; the rest
// of `buf` is zeroed so a short file never shows the previous file's pixels.
// False when the file cannot be opened.
bool ReadSlice(const std::string& path, std::int64_t skip, std::uint8_t* buf, std::uint64_t count)
{
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::typeBinary))
        return false;
    std::uint64_t got = 0;
    try {
        if (skip > 0)
            file.Seek(skip, CFile::begin);
        got = file.ReadHuge(buf, count);
    } catch (const CFileException&) {
        got = 0;
    }
    std::memset(buf + got, 0, count - got);
    return true;
}

// Reads the files in order into `buf`, one slice each, showing each path in
// the busy box, and hands every slice read to `take`. A file that does not
// open leaves its slice to the next file, so the last slices may stay unread.
template <class Take>
void ReadSlices(const std::vector<std::string>& paths, int slices, std::int64_t skip, std::uint8_t* buf,
                std::uint64_t count, Take take)
{
    int slice = 0;
    for (const std::string& path : paths) {
        if (slice == slices)
            break;
        CMessageLog::ShowStatus(path.c_str(), true);
        if (ReadSlice(path, skip, buf, count)) {
            take();
            ++slice;
        }
    }
}

// Histogram and disk cache, then the volume joins the series.
void FinishVolume(std::unique_ptr<CVolume> volume, CModelSeries& series)
{
    volume->BuildHistogram();
    volume->BuildDiskCache();
    volume->UnlockData();
    series.push_back(std::move(volume));
}
} // namespace

CRgbStackLoader::CRgbStackLoader(int width, int height, float pixelWidth, float pixelHeight, float separation)
    : m_nWidth(width), m_nHeight(height), m_fPixelWidth(pixelWidth), m_fPixelHeight(pixelHeight),
      m_fSeparation(separation)
{
}

bool CRgbStackLoader::Load(const std::string& pattern, CModelSeries& series)
{
    const std::vector<std::string> paths = FindSliceFiles(pattern);
    m_nSlices = std::int32_t(std::min<std::size_t>(paths.size(), INT32_MAX));
    // No files, a size below 1 or a grid too large for the size helper makes
    // no volume; the import then reports the usual failure.
    const VolumeSize size = ComputeVolumeSize(m_nWidth, m_nHeight, m_nSlices, 8);
    if (!size.ok)
        return false;
    auto volume = std::make_unique<CRgbVolume>(m_nWidth, m_nHeight, m_nSlices);
    if (!volume->m_pData || !volume->m_pColour)
        return false;
    volume->SetVoxelSize(m_fPixelWidth, m_fPixelHeight, m_fSeparation);
    const std::size_t n = std::size_t(m_nWidth) * std::size_t(m_nHeight);
    std::unique_ptr<std::uint8_t[]> buf(new (std::nothrow) std::uint8_t[3 * n]);
    std::uint8_t* grey = volume->LockData();
    if (!buf || !grey)
        return false;
    std::uint8_t* colour = volume->m_pColour.get();

    const std::uint8_t* r = buf.get();
    const std::uint8_t* g = r + n;
    const std::uint8_t* b = g + n;
    ReadSlices(paths, m_nSlices, 0, buf.get(), 3 * n, [&] {
        for (std::size_t i = 0; i < n; ++i) {
            grey[i] = std::uint8_t(0.587f * float(g[i]) + 0.114f * float(b[i]) + 0.299f * float(r[i]));
            colour[3 * i] = b[i];
            colour[3 * i + 1] = g[i];
            colour[3 * i + 2] = r[i];
        }
        grey += n;
        colour += 3 * n;
    });
    CMessageLog::ShowStatus(nullptr, false);
    buf.reset();
    FinishVolume(std::move(volume), series);
    return true;
}

CSliceStackLoader::CSliceStackLoader(int headerBytes, int width, int height, float pixelWidth, float pixelHeight,
                                     float separation)
    : m_nHeaderBytes(headerBytes), m_nWidth(width), m_nHeight(height), m_fPixelWidth(pixelWidth),
      m_fPixelHeight(pixelHeight), m_fSeparation(separation)
{
}

bool CSliceStackLoader::Load(const std::string& pattern, CModelSeries& series)
{
    const std::vector<std::string> paths = FindSliceFiles(pattern);
    m_nSlices = std::int32_t(std::min<std::size_t>(paths.size(), INT32_MAX));
    const VolumeSize size = ComputeVolumeSize(m_nWidth, m_nHeight, m_nSlices, 8);
    if (!size.ok)
        return false;
    auto volume = std::make_unique<CVolume>(m_nWidth, m_nHeight, m_nSlices, 8);
    if (!volume->m_pData)
        return false;
    volume->SetVoxelSize(m_fPixelWidth, m_fPixelHeight, m_fSeparation);
    const std::size_t n = std::size_t(m_nWidth) * std::size_t(m_nHeight);
    std::unique_ptr<std::uint8_t[]> buf(new (std::nothrow) std::uint8_t[2 * n]);
    // The whole stack is held at 16 bits so the maximum is known before any
    // voxel is scaled; zero-filled for slices no file reaches.
    std::unique_ptr<std::uint16_t[]> work(new (std::nothrow) std::uint16_t[std::size_t(size.voxels)]());
    std::uint8_t* voxels = volume->LockData();
    if (!buf || !work || !voxels)
        return false;

    std::uint16_t maximum = 0;
    std::uint16_t* out = work.get();
    ReadSlices(paths, m_nSlices, m_nHeaderBytes, buf.get(), 2 * n, [&] {
        const std::uint8_t* in = buf.get();
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint16_t v = std::uint16_t(in[2 * i] << 8 | in[2 * i + 1]);
            maximum = std::max(maximum, v);
            out[i] = v;
        }
        out += n;
    });
    buf.reset();
    CMessageLog::Log(FormatString("Maximum value = %u", unsigned(maximum)));

    // One table entry per 16-bit value instead of a division per voxel.
    std::vector<std::uint8_t> scale(std::size_t(maximum) + 1, 0);
    if (maximum > 0)
        for (unsigned v = 0; v <= maximum; ++v)
            scale[v] = std::uint8_t(static_cast<long double>(v) / maximum * 255.0L + 0.5L);
    const std::uint16_t* in = work.get();
    for (std::int64_t i = 0; i < size.voxels; ++i)
        voxels[i] = scale[in[i]];
    CMessageLog::ShowStatus(nullptr, false);
    work.reset();
    FinishVolume(std::move(volume), series);
    return true;
}
