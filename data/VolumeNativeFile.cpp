// Readers and writers of the native mesh, grey volume and RGB volume files.
// Little-endian int32 and float fields; the kind is told by the signs of the
// first two words. The readers check every count against the file before
// allocating, so a damaged file is refused rather than trusted.
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "data/DataLock.h"
#include "data/NativeMesh.h"
#include "data/SafeWrite.h"
#include "data/Volume.h"

static_assert(std::endian::native == std::endian::little, "the file layouts are copied straight from memory");
static_assert(sizeof(CVector3) == 12, "vertex arrays are written as packed float triples");

namespace {
constexpr std::uint64_t kMeshHeaderBytes = 93;
constexpr std::uint64_t kVolumeHeaderBytes = 288;
constexpr std::uint32_t kHistogramBytes = 256;

class CByteWriter {
public:
    void I32(std::int32_t v) { Bytes(&v, 4); }
    void U32(std::uint32_t v) { Bytes(&v, 4); }
    void F32(float v) { Bytes(&v, 4); }
    void U8(std::uint8_t v) { Bytes(&v, 1); }
    void Vec(const CVector3& v)
    {
        F32(v.x);
        F32(v.y);
        F32(v.z);
    }
    void Bytes(const void* p, std::size_t n)
    {
        const auto* b = static_cast<const std::uint8_t*>(p);
        m_bytes.insert(m_bytes.end(), b, b + n);
    }
    void WriteTo(CFile& f) const { f.WriteHuge(m_bytes.data(), m_bytes.size()); }

private:
    std::vector<std::uint8_t> m_bytes;
};

// Reads fields from a header that was read whole, so no field can run past it.
class CByteReader {
public:
    explicit CByteReader(const std::uint8_t* p) : m_p(p) {}
    std::int32_t I32() { return Get<std::int32_t>(); }
    std::uint32_t U32() { return Get<std::uint32_t>(); }
    float F32() { return Get<float>(); }
    std::uint8_t U8() { return Get<std::uint8_t>(); }
    CVector3 Vec()
    {
        float x = F32(), y = F32();
        return {x, y, F32()};
    }
    void Skip(std::size_t n) { m_p += n; }

private:
    template <class T> T Get()
    {
        T v;
        std::memcpy(&v, m_p, sizeof v);
        m_p += sizeof v;
        return v;
    }
    const std::uint8_t* m_p;
};

bool ReadExactly(CFile& f, void* p, std::uint64_t n) { return f.ReadHuge(p, n) == n; }

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

CNativeMesh::CNativeMesh() { SetDescription("Native Vexilo mesh data."); }

bool CNativeMesh::Read(const std::string& path)
{
    CFile f;
    if (!f.Open(path, CFile::modeRead | CFile::typeBinary))
        return false;
    try {
        std::uint8_t header[kMeshHeaderBytes];
        if (!ReadExactly(f, header, 4))
            return false;
        CByteReader r(header);
        if (r.I32() != -1 || !ReadExactly(f, header + 4, kMeshHeaderBytes - 4))
            return false;
        const bool solid = r.U8() != 0;
        const COLORREF crSolid = r.U32(), crWire = r.U32();
        const CVector3 solidColour = r.Vec(), wireColour = r.Vec();
        const std::int32_t primitive = r.I32(), n = r.I32(), polygons = r.I32(), m = r.I32();
        const CVector3 first = r.Vec(), second = r.Vec(), centre = r.Vec();
        const float diagonal = r.F32();

        if (primitive != kGlTriangles && primitive != kGlQuads)
            return false;
        const std::int64_t perPolygon = primitive == kGlQuads ? 4 : 3;
        if (n < 0 || m < 0 || polygons < 0 || std::int64_t(m) != perPolygon * polygons)
            return false;
        const std::uint64_t need = kMeshHeaderBytes + 24 * std::uint64_t(n) + 4 * std::uint64_t(m);
        if (f.GetLength() < need)
            return false;

        std::unique_ptr<CVector3[]> vertices, normals;
        std::unique_ptr<std::int32_t[]> indices;
        if (n > 0) {
            vertices.reset(new CVector3[std::size_t(n)]);
            normals.reset(new CVector3[std::size_t(n)]);
            if (!ReadExactly(f, vertices.get(), 12 * std::uint64_t(n)) ||
                !ReadExactly(f, normals.get(), 12 * std::uint64_t(n)))
                return false;
        }
        if (m > 0) {
            indices.reset(new std::int32_t[std::size_t(m)]);
            if (!ReadExactly(f, indices.get(), 4 * std::uint64_t(m)))
                return false;
            for (std::int32_t i = 0; i < m; ++i)
                if (indices[i] < 0 || indices[i] >= n)
                    return false;
        }

        m_bSolid = solid;
        m_crSolid = crSolid;
        m_crWire = crWire;
        m_vSolidColour = solidColour;
        m_vWireColour = wireColour;
        m_nPrimitive = primitive;
        m_nVertices = n;
        m_nPolygons = polygons;
        m_nIndices = m;
        m_vMin = first;
        m_vMax = second;
        m_vCentre = centre;
        m_fDiagonal = diagonal;
        m_pVertices = std::move(vertices);
        m_pNormals = std::move(normals);
        m_pIndices = std::move(indices);
        m_bDirty = false;
        return true;
    } catch (const CFileException&) {
        return false;
    }
}

bool CMesh::Save(const std::string& path)
{
    // Counts without their arrays would write memory that is not there.
    if (m_nVertices < 0 || m_nIndices < 0 || (m_nVertices > 0 && (!m_pVertices || !m_pNormals)) ||
        (m_nIndices > 0 && !m_pIndices))
        return false;
    return SaveBinarySafely(path, [this](CFile& f) {
        if (m_bDirty)
            UpdateBounds();
        CByteWriter w;
        w.I32(-1);
        w.U8(m_bSolid ? 1 : 0);
        w.U32(m_crSolid);
        w.U32(m_crWire);
        w.Vec(m_vSolidColour);
        w.Vec(m_vWireColour);
        w.I32(m_nPrimitive);
        w.I32(m_nVertices);
        w.I32(m_nPolygons);
        w.I32(m_nIndices);
        w.Vec(m_vMin);
        w.Vec(m_vMax);
        w.Vec(m_vCentre);
        w.F32(m_fDiagonal);
        w.WriteTo(f);
        if (m_nVertices > 0) {
            f.WriteHuge(m_pVertices.get(), 12 * std::uint64_t(m_nVertices));
            f.WriteHuge(m_pNormals.get(), 12 * std::uint64_t(m_nVertices));
        }
        if (m_nIndices > 0)
            f.WriteHuge(m_pIndices.get(), 4 * std::uint64_t(m_nIndices));
        return true;
    });
}

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
