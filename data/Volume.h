#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/Histogram.h"
#include "data/Model.h"
#include "platform/File.h"

// Voxel count and byte count of a grid, computed in 64 bits. Every size
// computation of volumes and slices goes through here so no product wraps.
struct VolumeSize {
    std::int64_t voxels = 0;
    std::int64_t bytes = 0;
    bool ok = false; // positive dimensions, 8 or 16 bits, both within INT32_MAX
};
VolumeSize ComputeVolumeSize(std::int64_t x, std::int64_t y, std::int64_t z, int bits);

struct VolumeStatistics {
    int bits = 0;
    int dimX = 0, dimY = 0, dimZ = 0;
    int minX = -1, minY = -1, minZ = -1;
    int maxX = -2, maxY = -2, maxZ = -2;
    int sizeX = 0, sizeY = 0, sizeZ = 0;
    bool trimmable = false;
    std::uint16_t minValue = 0, maxValue = 0;
};

// A seed point in voxel indices.
struct SeedPoint {
    float x = 0, y = 0, z = 0;
};

// A regular grid of 8- or 16-bit grey voxels with a physical voxel size.
// Voxel (x, y, z) is element x + (y + z*dimY)*dimX; world y runs opposite to
// the voxel y index. Direct access to m_pData is bracketed by LockData and
// UnlockData; once the disk cache exists the voxels are swapped out whenever
// no lock is held. Methods by concern: Volume.cpp, VolumeHistogram.cpp,
// VolumeCache.cpp, VolumeNativeFile.cpp, VolumeExport.cpp and
// VolumeOperations.cpp.
class CVolume : public CModel {
public:
    CVolume();
    CVolume(int x, int y, int z, int bits);
    ~CVolume() override;

    void GetBounds(CVector3& first, CVector3& second) override;
    void UpdateCentre() override;
    float GetSize() override;
    bool Save(const std::string& path) override;
    bool IsMesh() const override { return false; }
    bool IsVolume() const override { return true; }
    std::string GetInfo() override;
    virtual void SetVoxel(int x, int y, int z, std::uint16_t value);
    virtual bool Save8Bit(const std::string& path);

    bool Allocate();
    void SetVoxelSize(float sx, float sy, float sz);
    std::uint8_t* LockData();
    void UnlockData();
    std::uint16_t GetVoxel(int x, int y, int z);
    void SetEntryPoint(const CVector3& p, int sx, int sy, int sz);
    void SetTargetFromDirection(const CVector3& d);

    // Histogram (threshold, then ComputeHistogram).
    void Threshold(float fraction);
    void BuildHistogram();

    // Disk cache.
    void BuildDiskCache();
    void CloseCache(bool discard);
    // Removes the cache files that a process which no longer runs left in
    // the temporary folder (one killed before its volumes were destroyed).
    static void RemoveOrphanedCacheFiles();
    bool HasSwapFile() const { return m_pCacheFile[3] != nullptr; }
    // Reads plane `plane` of the 8-bit plane view of `axis` (0 x, 1 y, 2 z)
    // into `out` (dimY*dimZ, dimZ*dimX or dimX*dimY bytes), from the cache
    // file when there is one, else from the voxels. False when the plane is
    // outside or the volume has no voxels.
    bool ReadPlaneView(int axis, int plane, std::uint8_t* out);
    // Copies the raw bytes of `count` consecutive voxels (in voxel order)
    // from (x, y, z) on, from memory or, when swapped out, from the swap file
    // in one read without loading the volume. False when the run leaves the
    // volume or cannot be read whole.
    bool ReadVoxels(int x, int y, int z, std::int64_t count, std::uint8_t* out);

    // Exports and operations.
    bool ExportRaw(const std::string& path);
    void FlipX();
    void FlipY();
    void FlipZ();
    std::unique_ptr<CVolume> Downsample();
    std::unique_ptr<CVolume> Crop(int x0, int x1, int y0, int y1, int z0, int z1);
    void GetStatistics(VolumeStatistics& s);

    std::string m_strInfo;
    bool m_bRgb = false;
    int m_nDimX = 0, m_nDimY = 0, m_nDimZ = 0;
    int m_nSliceX = 0, m_nSliceY = 0, m_nSliceZ = 0;
    float m_fScaleX = 1.0f, m_fScaleY = 1.0f, m_fScaleZ = 1.0f;
    int m_nBits = 0;
    int m_nBytesPerVoxel = 0;
    float m_fHalfX = 0.0f, m_fHalfY = 0.0f, m_fHalfZ = 0.0f;
    std::unique_ptr<std::uint8_t[]> m_pData;
    CHistogram m_histogram;
    CVector3 m_vEntry;
    CVector3 m_vTarget;
    bool m_bShowTrajectory = false;
    std::vector<SeedPoint> m_aInPoints;
    std::vector<SeedPoint> m_aOutPoints;
    std::int32_t m_nVoxels = 0;
    std::uint32_t m_nDataBytes = 0;

    // Disk cache: x, y, z plane views and the swap file.
    std::array<std::string, 4> m_pszCacheFile;
    std::array<std::string, 4> m_pszSavedCacheFile;
    std::array<std::unique_ptr<CFile>, 4> m_pCacheFile;
    std::int32_t m_nPlaneBytes[3] = {0, 0, 0};

    std::int32_t m_nLockCount = 0;

private:
    // Mirrors voxels (and an RGB volume's colour) along axis 0 x, 1 y, 2 z.
    void Flip(int axis);
    // Writes the locked voxels over the current swap file and plane views in
    // place, for a change that must outlive the last unlock; when that fails
    // the volume keeps them in memory without a cache.
    void WriteBackCache();
};

class CNativeVolume : public CVolume {
public:
    CNativeVolume();
    CNativeVolume(int x, int y, int z, int bits);
    // Fills a freshly constructed volume from a native grey volume file.
    bool Read(const std::string& path);
};

class CDicomVolume : public CVolume {
public:
    CDicomVolume();
    CDicomVolume(int x, int y, int z, int bits);
};

class CRgbVolume : public CVolume {
public:
    CRgbVolume();
    CRgbVolume(int x, int y, int z);
    ~CRgbVolume() override;

    void SetVoxel(int x, int y, int z, std::uint16_t value) override;
    bool Save(const std::string& path) override;
    bool Save8Bit(const std::string& path) override { return Save(path); }
    // Fills a freshly constructed volume from a native RGB volume file.
    bool Read(const std::string& path);
    // Allocates a zero-filled colour block of 3 bytes per voxel.
    bool AllocateColour();
    // The view's grey conversion: drops the colour block.
    void DropColour();

    std::int32_t m_nColourBytes = 0;
    std::unique_ptr<std::uint8_t[]> m_pColour;
};
