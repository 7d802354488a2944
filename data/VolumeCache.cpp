#include <algorithm>
#include <cstring>
#include <exception>
#include <future>
#include <memory>
#include <new>
#include <vector>

#include "data/MessageLog.h"
#include "data/PlaneView.h"
#include "data/Volume.h"
#include "platform/TempFile.h"

namespace {
constexpr const char* kCachePrefix = "~vx";
// Planes are extracted in batches of about this many bytes: the x planes'
// strided gather then runs over the volume once instead of once per plane,
// and each batch is written while the next one is extracted into the other
// of the file's two batch buffers.
constexpr std::int64_t kBatchBytes = 8 << 20;

// One cache file, created for writing. Writes run one at a time on a helper
// thread so that extraction and writing overlap; the next Submit, Close or
// the destructor waits for the previous one, and Submit and Close rethrow its
// CFileException.
class CCacheWriter {
public:
    // `rewrite`: the file is one of the current set, written over in place
    // with as many bytes as it holds.
    explicit CCacheWriter(const std::string& path, bool rewrite = false)
    {
        // The name service made the file empty and ours alone. Truncating it
        // anyway would make ext4 start writing the whole file back at close
        // (its guard for programs that replace files by truncation), in the
        // caller's time.
        CFileException::Cause cause = CFileException::generic;
        const unsigned mode = rewrite ? CFile::modeWrite : CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite;
        if (!m_file.Open(path, mode | CFile::typeBinary, &cause))
            throw CFileException(cause, path);
        if (!rewrite && m_file.GetLength() != 0)
            throw CFileException(CFileException::generic, path);
    }
    CCacheWriter(const CCacheWriter&) = delete;
    CCacheWriter& operator=(const CCacheWriter&) = delete;
    ~CCacheWriter()
    {
        if (m_pending.valid())
            m_pending.wait();
    }

    // Writes `count` pieces of `bytes` each from `p`, one write per piece;
    // `p` must stay untouched until the next call.
    void Submit(const std::uint8_t* p, std::int64_t bytes, int count)
    {
        Wait();
        m_pending = std::async(std::launch::async, [this, p, bytes, count] {
            for (int i = 0; i < count; ++i)
                m_file.WriteHuge(p + i * bytes, std::uint64_t(bytes));
        });
    }
    void Close()
    {
        Wait();
        m_file.Close();
    }

private:
    void Wait()
    {
        if (m_pending.valid())
            m_pending.get();
    }

    CFile m_file;
    std::future<void> m_pending;
};

// Deletes the files of a set from disk and forgets their names.
void RemoveFiles(std::array<std::string, 4>& names)
{
    for (auto& name : names) {
        if (!name.empty())
            CFile::Remove(name);
        name.clear();
    }
}

std::unique_ptr<CFile> Reopen(const std::string& path, unsigned mode)
{
    auto file = std::make_unique<CFile>();
    CFileException::Cause cause = CFileException::generic;
    if (!file->Open(path, mode | CFile::typeBinary, &cause))
        throw CFileException(cause, path);
    return file;
}

// Planes per batch of a plane-view file.
int BatchPlanes(std::int64_t planeBytes, int planes)
{
    return int(std::clamp<std::int64_t>(kBatchBytes / planeBytes, 1, planes));
}

// Writes one plane-view file. `scratch` holds two batches: one is written
// while the other is filled.
template <class T> void WritePlaneFile(const std::string& path, int axis, const T* v, int dx, int dy, int dz,
                                       std::int64_t planeBytes, std::uint8_t* scratch, bool rewrite = false)
{
    const int planes = axis == 0 ? dx : axis == 1 ? dy : dz;
    const int batch = BatchPlanes(planeBytes, planes);
    std::uint8_t* buf[2] = {scratch, scratch + batch * planeBytes};
    CCacheWriter out(path, rewrite);
    for (int p = 0, k = 0; p < planes; p += batch, k ^= 1) {
        const int n = std::min(batch, planes - p);
        ExtractPlanes(axis, v, dx, dy, dz, p, p + n, buf[k]);
        out.Submit(buf[k], planeBytes, n);
    }
    out.Close();
}
} // namespace

void CVolume::BuildDiskCache()
{
    const std::string folder = GetTempFolder();
    CMessageLog::ShowStatus("Extracting planar views ...", true);
    // Lock before closing the old set: a swapped-out volume is reloaded from
    // its swap file first instead of losing its voxels with it.
    std::uint8_t* data = LockData();
    if (!data) {
        CMessageLog::ShowStatus(nullptr, false);
        return;
    }
    CloseCache(false);
    m_nPlaneBytes[0] = m_nDimY * m_nDimZ;
    m_nPlaneBytes[1] = m_nDimZ * m_nDimX;
    m_nPlaneBytes[2] = m_nDimX * m_nDimY;
    try {
        const int dims[3] = {m_nDimX, m_nDimY, m_nDimZ};
        for (int axis = 0; axis < 4; ++axis) {
            m_pszCacheFile[axis] = CreateOwnedTempFileName(kCachePrefix, folder);
            if (m_pszCacheFile[axis].empty())
                throw CFileException(CFileException::generic, folder);
        }
        // The swap file needs no extraction: written from the start on its
        // own thread, beside the plane views rather than after them.
        CCacheWriter swap(m_pszCacheFile[3]);
        swap.Submit(data, m_nDataBytes, 1);
        // The three plane-view files are extracted at once, y and z on helper
        // threads, each with its own writer.
        auto planeFile = [&](int axis) {
            const std::int64_t batchBytes =
                std::int64_t(BatchPlanes(m_nPlaneBytes[axis], dims[axis])) * m_nPlaneBytes[axis];
            std::unique_ptr<std::uint8_t[]> scratch(new std::uint8_t[std::size_t(2 * batchBytes)]);
            if (m_nBytesPerVoxel == 2)
                WritePlaneFile(m_pszCacheFile[axis], axis, reinterpret_cast<const std::uint16_t*>(data), m_nDimX,
                               m_nDimY, m_nDimZ, m_nPlaneBytes[axis], scratch.get());
            else
                WritePlaneFile(m_pszCacheFile[axis], axis, data, m_nDimX, m_nDimY, m_nDimZ, m_nPlaneBytes[axis],
                               scratch.get());
        };
        std::future<void> others[2];
        std::exception_ptr failure;
        try {
            for (int axis = 1; axis < 3; ++axis)
                others[axis - 1] = std::async(std::launch::async, planeFile, axis);
            planeFile(0);
        } catch (...) {
            failure = std::current_exception();
        }
        // Every thread is done with the voxels and its file before a failure
        // leaves this block and the new set is deleted.
        for (auto& f : others) {
            try {
                if (f.valid())
                    f.get();
            } catch (...) {
                if (!failure)
                    failure = std::current_exception();
            }
        }
        if (failure)
            std::rethrow_exception(failure);
        for (int axis = 0; axis < 3; ++axis)
            m_pCacheFile[axis] = Reopen(m_pszCacheFile[axis], CFile::modeRead);
        CMessageLog::ShowStatus("Building disk cache ...", true);
        swap.Close();
        m_pCacheFile[3] = Reopen(m_pszCacheFile[3], CFile::modeReadWrite);
    } catch (const std::exception&) {
        // A full disk or unwritable folder: drop the new set and keep the
        // voxels in memory as a volume without a cache.
        for (auto& f : m_pCacheFile)
            f.reset();
        RemoveFiles(m_pszCacheFile);
    }
    UnlockData();
    CMessageLog::ShowStatus(nullptr, false);
}

void CVolume::WriteBackCache()
{
    if (!m_pData || !HasSwapFile())
        return;
    try {
        CFile& swap = *m_pCacheFile[3];
        swap.Seek(0, CFile::begin);
        swap.WriteHuge(m_pData.get(), m_nDataBytes);
        const int dims[3] = {m_nDimX, m_nDimY, m_nDimZ};
        for (int axis = 0; axis < 3; ++axis) {
            const std::int64_t batchBytes =
                std::int64_t(BatchPlanes(m_nPlaneBytes[axis], dims[axis])) * m_nPlaneBytes[axis];
            std::unique_ptr<std::uint8_t[]> scratch(new std::uint8_t[std::size_t(2 * batchBytes)]);
            if (m_nBytesPerVoxel == 2)
                WritePlaneFile(m_pszCacheFile[axis], axis, reinterpret_cast<const std::uint16_t*>(m_pData.get()),
                               m_nDimX, m_nDimY, m_nDimZ, m_nPlaneBytes[axis], scratch.get(), true);
            else
                WritePlaneFile(m_pszCacheFile[axis], axis, m_pData.get(), m_nDimX, m_nDimY, m_nDimZ,
                               m_nPlaneBytes[axis], scratch.get(), true);
        }
    } catch (const std::exception&) {
        // The voxels in memory are the one sound copy left: they stay, as
        // those of a volume without a cache.
        CloseCache(true);
    }
}

void CVolume::CloseCache(bool discard)
{
    for (auto& f : m_pCacheFile)
        f.reset();
    RemoveFiles(m_pszSavedCacheFile);
    const bool complete = std::all_of(m_pszCacheFile.begin(), m_pszCacheFile.end(),
                                      [](const std::string& n) { return !n.empty(); });
    if (!discard && complete)
        std::swap(m_pszSavedCacheFile, m_pszCacheFile);
    RemoveFiles(m_pszCacheFile);
}

void CVolume::RemoveOrphanedCacheFiles() { RemoveOrphanedTempFiles(kCachePrefix); }

bool CVolume::ReadPlaneView(int axis, int plane, std::uint8_t* out)
{
    if (axis < 0 || axis > 2)
        return false;
    const int dims[3] = {m_nDimX, m_nDimY, m_nDimZ};
    if (plane < 0 || plane >= dims[axis] || m_nVoxels <= 0)
        return false;
    const std::int64_t bytes = std::int64_t(m_nVoxels) / dims[axis];
    if (CFile* f = m_pCacheFile[axis].get()) {
        try {
            f->Seek(plane * bytes, CFile::begin);
            if (f->ReadHuge(out, std::uint64_t(bytes)) == std::uint64_t(bytes))
                return true;
        } catch (const CFileException&) {
        }
    }
    // No usable plane-view file: build the plane from the voxels.
    if (m_pData) {
        if (m_nBytesPerVoxel == 2)
            ExtractPlanes(axis, reinterpret_cast<const std::uint16_t*>(m_pData.get()), m_nDimX, m_nDimY, m_nDimZ,
                          plane, plane + 1, out);
        else
            ExtractPlanes(axis, m_pData.get(), m_nDimX, m_nDimY, m_nDimZ, plane, plane + 1, out);
        return true;
    }
    if (!HasSwapFile()) {
        std::memset(out, 0, std::size_t(bytes));
        return false;
    }
    // Swapped out without plane views: read the runs of voxels the plane
    // needs from the swap file into a one-plane volume instead of loading it.
    const int sx = axis == 0 ? 1 : m_nDimX, sy = axis == 1 ? 1 : m_nDimY, sz = axis == 2 ? 1 : m_nDimZ;
    const std::int64_t run = axis == 2 ? bytes : sx; // a z plane is one run
    std::vector<std::uint8_t> sub(std::size_t(bytes) * std::size_t(m_nBytesPerVoxel));
    for (std::int64_t i = 0; i < bytes; i += run) {
        const int y = axis == 1 ? plane : int(i / sx % sy), z = axis == 2 ? plane : int(i / sx / sy);
        if (!ReadVoxels(axis == 0 ? plane : 0, y, z, run, &sub[std::size_t(i) * m_nBytesPerVoxel]))
            std::fill_n(&sub[std::size_t(i) * m_nBytesPerVoxel], run * m_nBytesPerVoxel, 0);
    }
    if (m_nBytesPerVoxel == 2)
        ExtractPlanes(axis, reinterpret_cast<const std::uint16_t*>(sub.data()), sx, sy, sz, 0, 1, out);
    else
        ExtractPlanes(axis, sub.data(), sx, sy, sz, 0, 1, out);
    return true;
}

bool CVolume::ReadVoxels(int x, int y, int z, std::int64_t count, std::uint8_t* out)
{
    if (x < 0 || y < 0 || z < 0 || x >= m_nDimX || y >= m_nDimY || z >= m_nDimZ || count < 0)
        return false;
    const std::int64_t first = x + (std::int64_t(y) + std::int64_t(z) * m_nDimY) * m_nDimX;
    if (count > std::int64_t(m_nVoxels) - first)
        return false;
    const std::uint64_t bytes = std::uint64_t(count) * std::uint64_t(m_nBytesPerVoxel);
    if (m_pData) {
        std::memcpy(out, m_pData.get() + first * m_nBytesPerVoxel, bytes);
        return true;
    }
    if (!HasSwapFile())
        return false;
    try {
        CFile& swap = *m_pCacheFile[3];
        swap.Seek(first * m_nBytesPerVoxel, CFile::begin);
        return swap.ReadHuge(out, bytes) == bytes;
    } catch (const CFileException&) {
        return false;
    }
}
