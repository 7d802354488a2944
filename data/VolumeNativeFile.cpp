// Readers and writers of the native grey and RGB volume files. The readers
// check every count against the file before allocating, so a damaged file is
// refused rather than trusted.
#include <cmath>
#include <limits>
#include <vector>

#include "data/DataLock.h"
#include "data/NativeFileFields.h"
#include "data/SafeWrite.h"
#include "data/Volume.h"

namespace {
using native::CByteReader;
using native::CByteWriter;
using native::kHistogramBytes;
using native::kVolumeHeaderBytes;
using native::ReadExactly;

float SaneScale(float s) { return std::isfinite(s) && s > 0.0f ? s : 1.0f; }

// Header of both volume layouts with the given dimY and bits fields.
void WriteVolumeHeader(CFile& f, const CVolume& v, std::int32_t dimY, std::int32_t bits, std::int32_t voxelBytes)
{
    CByteWriter w;
    w.I32(v.m_nDimX);
    w.I32(dimY);
    w.I32(v.m_nDimZ);
    w.I32(bits);
    w.F32(v.m_fScaleX);
    w.F32(v.m_fScaleY);
    w.F32(v.m_fScaleZ);
    w.Bytes(v.m_histogram.m_display, kHistogramBytes);
    w.I32(voxelBytes);
    w.WriteTo(f);
}

// The part both volume readers share: header, voxel size, voxels. `rgb`
// negates the stored dimY. Returns the stored voxel byte count N in `stored`.
bool ReadVolumeVoxels(CVolume& v, CFile& f, bool rgb, std::int32_t& stored)
{
    std::uint8_t header[kVolumeHeaderBytes];
    if (!ReadExactly(f, header, sizeof header))
        return false;
    CByteReader r(header);
    const std::int32_t dimX = r.I32();
    std::int32_t dimY = r.I32();
    const std::int32_t dimZ = r.I32();
    const std::int32_t bits = r.I32();
    const float sx = r.F32(), sy = r.F32(), sz = r.F32();
    r.Skip(kHistogramBytes); // rebuilt from the voxels
    stored = r.I32();
    if (rgb) {
        if (dimY == std::numeric_limits<std::int32_t>::min())
            return false;
        dimY = -dimY;
    }
    const VolumeSize size = ComputeVolumeSize(dimX, dimY, dimZ, bits);
    if (!size.ok || stored < size.bytes || f.GetLength() < kVolumeHeaderBytes + std::uint64_t(size.bytes))
        return false;
    v.m_nDimX = dimX;
    v.m_nDimY = dimY;
    v.m_nDimZ = dimZ;
    v.m_nBits = bits;
    v.SetVoxelSize(SaneScale(sx), SaneScale(sy), SaneScale(sz));
    if (!v.Allocate())
        return false;
    v.m_bDirty = true;
    // Never more than the array holds; what lies between the array's end and
    // 288 + N is not voxel data of this volume.
    return ReadExactly(f, v.m_pData.get(), v.m_nDataBytes);
}

bool HasNoVoxels(const CVolume& v) { return !v.m_pData && v.m_nDataBytes == 0 && !v.HasSwapFile(); }

// Both volume readers: header and voxels, then `rest(file, N)` for what
// follows them; histogram and disk cache once the whole file was taken.
template <class Rest> bool ReadVolumeFile(CVolume& v, const std::string& path, bool rgb, Rest&& rest)
{
    if (!HasNoVoxels(v))
        return false;
    CFile f;
    if (!f.Open(path, CFile::modeRead | CFile::typeBinary))
        return false;
    try {
        std::int32_t stored = 0;
        if (!ReadVolumeVoxels(v, f, rgb, stored) || !rest(f, stored))
            return false;
    } catch (const CFileException&) {
        return false;
    }
    f.Close();
    v.BuildHistogram();
    v.BuildDiskCache();
    return true;
}
} // namespace

bool CNativeVolume::Read(const std::string& path)
{
    return ReadVolumeFile(*this, path, false, [](CFile&, std::int32_t) { return true; });
}

bool CRgbVolume::Read(const std::string& path)
{
    return ReadVolumeFile(*this, path, true, [this](CFile& f, std::int32_t stored) {
        // The colour count sits after the N stored voxel bytes.
        const std::uint64_t at = kVolumeHeaderBytes + std::uint64_t(stored);
        std::uint8_t word[4];
        if (f.GetLength() < at + 4)
            return false;
        f.Seek(std::int64_t(at), CFile::begin);
        if (!ReadExactly(f, word, 4))
            return false;
        const std::int32_t colourBytes = CByteReader(word).I32();
        if (colourBytes == 0) {
            // No colours to show: the volume is shown as the grey volume it is.
            DropColour();
            return true;
        }
        return std::int64_t(colourBytes) == 3 * std::int64_t(m_nVoxels) &&
               f.GetLength() >= at + 4 + std::uint64_t(colourBytes) && AllocateColour() &&
               ReadExactly(f, m_pColour.get(), std::uint64_t(colourBytes));
    });
}

bool CVolume::Save(const std::string& path)
{
    return SaveVoxelsSafely(*this, path, [this](CFile& f, const std::uint8_t* voxels) {
        WriteVolumeHeader(f, *this, m_nDimY, m_nBits, std::int32_t(m_nDataBytes));
        f.WriteHuge(voxels, m_nDataBytes);
    });
}

bool CVolume::Save8Bit(const std::string& path)
{
    return SaveVoxelsSafely(*this, path, [this](CFile& f, const std::uint8_t* in) {
        if (m_nBytesPerVoxel != 2) {
            WriteVolumeHeader(f, *this, m_nDimY, 8, std::int32_t(m_nDataBytes));
            f.WriteHuge(in, m_nDataBytes);
            return;
        }
        WriteVolumeHeader(f, *this, m_nDimY, 8, m_nVoxels);
        // trunc(v * (1/65536) * 255 + 0.5) is exact in integers.
        constexpr std::int64_t kChunk = 1 << 16;
        std::vector<std::uint8_t> out(std::size_t(std::min<std::int64_t>(kChunk, m_nVoxels)));
        for (std::int64_t start = 0; start < m_nVoxels; start += kChunk) {
            const std::int64_t count = std::min<std::int64_t>(kChunk, m_nVoxels - start);
            for (std::int64_t i = 0; i < count; ++i) {
                const std::uint32_t v = in[2 * (start + i)] | (std::uint32_t(in[2 * (start + i) + 1]) << 8);
                out[std::size_t(i)] = std::uint8_t((v * 255u + 32768u) >> 16);
            }
            f.WriteHuge(out.data(), std::uint64_t(count));
        }
    });
}

bool CRgbVolume::Save(const std::string& path)
{
    if (m_nDataBytes == 0 && m_nColourBytes == 0)
        return false;
    return SaveBinarySafely(path, [this](CFile& f) {
        CDataLock lock(*this);
        if ((m_nDataBytes > 0 && !lock.Get()) || (m_nColourBytes > 0 && !m_pColour) || m_nColourBytes < 0)
            return false;
        WriteVolumeHeader(f, *this, m_bRgb ? -m_nDimY : m_nDimY, m_nBits, std::int32_t(m_nDataBytes));
        if (m_nDataBytes > 0)
            f.WriteHuge(lock.Get(), m_nDataBytes);
        CByteWriter w;
        w.I32(m_nColourBytes);
        w.WriteTo(f);
        if (m_nColourBytes > 0)
            f.WriteHuge(m_pColour.get(), std::uint64_t(m_nColourBytes));
        return true;
    });
}
