#include "data/Volume.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "data/AppSettings.h"
#include "data/MessageLog.h"
#include "platform/Format.h"
#include "platform/Memory.h"

VolumeSize ComputeVolumeSize(std::int64_t x, std::int64_t y, std::int64_t z, int bits)
{
    VolumeSize s;
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    if (x <= 0 || y <= 0 || z <= 0 || (bits != 8 && bits != 16) || x > kMax || y > kMax || z > kMax)
        return s;
    // x*y fits in 62 bits; check before multiplying by z.
    std::int64_t xy = x * y;
    if (xy > kMax || z > kMax / xy)
        return s;
    s.voxels = xy * z;
    s.bytes = s.voxels * (bits / 8);
    s.ok = s.bytes <= kMax;
    return s;
}

CVolume::CVolume() { m_strType = "Volume"; }

CVolume::CVolume(int x, int y, int z, int bits) : CVolume()
{
    m_nDimX = x;
    m_nDimY = y;
    m_nDimZ = z;
    m_nBits = bits;
    Allocate();
    m_bDirty = true;
}

CVolume::~CVolume()
{
    m_pData.reset();
    m_aInPoints.clear();
    m_aOutPoints.clear();
    CloseCache(true);
}

bool CVolume::Allocate()
{
    m_nBytesPerVoxel = m_nBits / 8;
    m_pData.reset();
    m_nVoxels = 0;
    m_nDataBytes = 0;
    m_nLockCount = 0;
    VolumeSize size = ComputeVolumeSize(m_nDimX, m_nDimY, m_nDimZ, m_nBits);
    if (!size.ok)
        return false;
    // Zero-filled so that whatever a loader does not overwrite reads as 0.
    m_pData = AllocateZeroed(size_t(size.bytes));
    if (!m_pData)
        return false;
    m_nVoxels = std::int32_t(size.voxels);
    m_nDataBytes = std::uint32_t(size.bytes);
    return true;
}

void CVolume::GetBounds(CVector3& first, CVector3& second)
{
    float X = m_nDimX * m_fScaleX / 2.0f;
    float Y = m_nDimY * m_fScaleY / 2.0f;
    float Z = m_nDimZ * m_fScaleZ / 2.0f;
    m_vMin = {-X, Y, Z};
    m_vMax = {X, -Y, -Z};
    m_bDirty = false;
    first = m_vMin;
    second = m_vMax;
}

void CVolume::UpdateCentre() { m_vCentre = CVector3(); }

float CVolume::GetSize()
{
    float x = m_nDimX * m_fScaleX, y = m_nDimY * m_fScaleY, z = m_nDimZ * m_fScaleZ;
    return std::sqrt(x * x + y * y + z * z);
}

std::string CVolume::GetInfo()
{
    m_strInfo = m_pszDescription + FormatString("\r\nDimensions %dx%dx%d at %d bits per voxel\r\nScaling %f, %f, "
                                                "%f\r\nMemory %u bytes",
                                                m_nDimX, m_nDimY, m_nDimZ, m_nBits, double(m_fScaleX),
                                                double(m_fScaleY), double(m_fScaleZ), m_nDataBytes);
    return m_strInfo;
}

void CVolume::SetVoxelSize(float sx, float sy, float sz)
{
    m_fScaleX = sx;
    m_fScaleY = sy;
    m_fScaleZ = sz;
    m_fHalfX = float(std::trunc(m_nDimX * sx + 0.5f)) * 0.5f;
    m_fHalfY = float(std::trunc(m_nDimY * sy + 0.5f)) * 0.5f;
    m_fHalfZ = float(std::trunc(m_nDimZ * sz + 0.5f)) * 0.5f;
}

std::uint8_t* CVolume::LockData()
{
    if (m_pData) {
        ++m_nLockCount;
        return m_pData.get();
    }
    if (!HasSwapFile() || m_nDataBytes == 0)
        return nullptr;
    std::unique_ptr<std::uint8_t[]> data(new (std::nothrow) std::uint8_t[m_nDataBytes]);
    if (!data)
        return nullptr;
    try {
        CFile& swap = *m_pCacheFile[3];
        swap.Seek(0, CFile::begin);
        // A short swap file would hand out a half-filled volume.
        if (swap.ReadHuge(data.get(), m_nDataBytes) != m_nDataBytes)
            return nullptr;
    } catch (const CFileException&) {
        return nullptr;
    }
    m_pData = std::move(data);
    m_nLockCount = 1;
    return m_pData.get();
}

void CVolume::UnlockData()
{
    if (m_nLockCount > 0)
        --m_nLockCount;
    if (m_nLockCount == 0 && HasSwapFile())
        m_pData.reset();
}

std::uint16_t CVolume::GetVoxel(int x, int y, int z)
{
    if (x < 0 || y < 0 || z < 0 || x >= m_nDimX || y >= m_nDimY || z >= m_nDimZ)
        return 0;
    const std::int64_t i = x + (std::int64_t(y) + std::int64_t(z) * m_nDimY) * m_nDimX;
    if (m_pData) {
        if (m_nBytesPerVoxel == 2)
            return std::uint16_t(m_pData[2 * i] | (m_pData[2 * i + 1] << 8));
        return m_pData[i];
    }
    if (!HasSwapFile())
        return 0;
    std::uint8_t b[2] = {0, 0};
    try {
        CFile& swap = *m_pCacheFile[3];
        swap.Seek(i * m_nBytesPerVoxel, CFile::begin);
        swap.Read(b, std::uint32_t(m_nBytesPerVoxel));
    } catch (const CFileException&) {
        return 0;
    }
    return m_nBytesPerVoxel == 2 ? std::uint16_t(b[0] | (b[1] << 8)) : b[0];
}

void CVolume::SetVoxel(int x, int y, int z, std::uint16_t value)
{
    if (x < 0 || y < 0 || z < 0 || x >= m_nDimX || y >= m_nDimY || z >= m_nDimZ)
        return;
    const std::int64_t i = x + (std::int64_t(y) + std::int64_t(z) * m_nDimY) * m_nDimX;
    std::uint8_t b[2] = {std::uint8_t(value & 0xFF), std::uint8_t(value >> 8)};
    if (m_pData) {
        m_pData[m_nBytesPerVoxel * i] = b[0];
        if (m_nBytesPerVoxel == 2)
            m_pData[2 * i + 1] = b[1];
        return;
    }
    if (!HasSwapFile())
        return;
    try {
        CFile& swap = *m_pCacheFile[3];
        swap.Seek(i * m_nBytesPerVoxel, CFile::begin);
        swap.Write(b, std::uint32_t(m_nBytesPerVoxel));
    } catch (const CFileException&) {
    }
}

namespace {
// Slice index of world coordinate p, clamped to 0..dim-1. Far points clamp
// like near ones; a zero or non-finite scale gives no index (NaN), and the
// axis then keeps its current slice.
int SliceIndex(float half, float p, float scale, int dim, bool reverse, int current)
{
    double v = (double(half) + double(p)) / double(scale) + 0.5;
    if (std::isnan(v) || scale == 0.0f || !std::isfinite(scale))
        return current;
    v = std::clamp(v, -2.0, double(dim) + 2.0);
    int i = int(std::trunc(v));
    if (reverse)
        i = dim - i - 1;
    return i;
}
int Clamp(int v, int dim) { return v < 0 ? 0 : (v > dim - 1 ? std::max(dim - 1, 0) : v); }
} // namespace

void CVolume::SetEntryPoint(const CVector3& p, int sx, int sy, int sz)
{
    m_vEntry = p;
    m_nSliceX = Clamp(sx >= 0 ? sx : SliceIndex(m_fHalfX, p.x, m_fScaleX, m_nDimX, false, m_nSliceX), m_nDimX);
    m_nSliceY = Clamp(sy >= 0 ? sy : SliceIndex(m_fHalfY, p.y, m_fScaleY, m_nDimY, true, m_nSliceY), m_nDimY);
    m_nSliceZ = Clamp(sz >= 0 ? sz : SliceIndex(m_fHalfZ, p.z, m_fScaleZ, m_nDimZ, false, m_nSliceZ), m_nDimZ);
}

void CVolume::SetTargetFromDirection(const CVector3& d)
{
    const CVector3& e = m_vEntry;
    float R = GetSize() / 2.0f;
    double b = 2.0 * Dot(e, d);
    double a = Dot(d, d);
    double c = double(Dot(e, e)) - double(R) * R;
    double disc = b * b - 4.0 * a * c;
    // No direction, or a line that misses the sphere: keep the target at the
    // current point rather than computing with a negative root.
    if (a == 0.0 || disc < 0.0 || !std::isfinite(disc)) {
        m_vTarget = e;
        return;
    }
    double t = disc != 0.0 ? (std::sqrt(disc) - b) / (2.0 * a) : -b / (2.0 * a);
    m_vTarget = e + d * float(t);
}

CNativeVolume::CNativeVolume() { SetDescription("Native Vexilo volume data."); }

CNativeVolume::CNativeVolume(int x, int y, int z, int bits) : CVolume(x, y, z, bits)
{
    SetDescription(FormatString("Raw volume data %dx%dx%d at %d bits per voxel.", x, y, z, bits));
}

CDicomVolume::CDicomVolume() { SetDescription("Volume data from DICOM file(s)."); }

CDicomVolume::CDicomVolume(int x, int y, int z, int bits) : CVolume(x, y, z, bits)
{
    SetDescription("Volume data from DICOM file(s).");
}

CRgbVolume::CRgbVolume()
{
    SetDescription("Native Vexilo RGB volume data");
    m_bRgb = true;
}

CRgbVolume::CRgbVolume(int x, int y, int z) : CVolume(x, y, z, 8)
{
    SetDescription(FormatString("RGB volume data %dx%dx%d.", x, y, z));
    m_bRgb = true;
    AllocateColour();
}

CRgbVolume::~CRgbVolume() = default;

bool CRgbVolume::AllocateColour()
{
    m_pColour.reset();
    m_nColourBytes = 0;
    VolumeSize size = ComputeVolumeSize(m_nDimX, m_nDimY, m_nDimZ, 8);
    if (!size.ok || size.bytes > std::numeric_limits<std::int32_t>::max() / 3)
        return false;
    m_pColour.reset(new (std::nothrow) std::uint8_t[size_t(size.bytes) * 3]());
    if (!m_pColour)
        return false;
    m_nColourBytes = std::int32_t(size.bytes * 3);
    return true;
}

void CRgbVolume::DropColour()
{
    m_pColour.reset();
    m_nColourBytes = 0;
    m_bRgb = false;
}

void CRgbVolume::SetVoxel(int x, int y, int z, std::uint16_t value)
{
    CVolume::SetVoxel(x, y, z, value);
    if (x < 0 || y < 0 || z < 0 || x >= m_nDimX || y >= m_nDimY || z >= m_nDimZ || !m_pColour)
        return;
    const std::int64_t i = x + (std::int64_t(y) + std::int64_t(z) * m_nDimY) * m_nDimX;
    std::memset(&m_pColour[3 * i], value & 0xFF, 3);
}
