#pragma once
#include <cstdint>

class CVolume;

// 256-bin histogram of a volume's voxel values with its display table.
struct CHistogram {
    std::uint8_t m_display[256] = {};
    std::uint32_t m_counts[256] = {};
    double m_probability[256] = {};
    double m_cumulative[256] = {};
    std::int32_t m_nTotal = 0;
    std::uint16_t m_nMin = 0;
    std::uint16_t m_nMax = 0;
};

// Fills the whole record from the volume's voxels (one locked pass); an
// all-zero record for a volume without voxels.
void ComputeHistogram(CVolume& volume, CHistogram& histogram);

// The same record built block by block, for a loader that counts each slice
// while it is still in the cache: Add every block (or AddZeros for voxels
// left at 0), then Finish. Finish gives what ComputeHistogram gives for the
// whole volume.
class CHistogramCounter {
public:
    explicit CHistogramCounter(int bytesPerVoxel) : m_nBytesPerVoxel(bytesPerVoxel) {}
    void Add(const std::uint8_t* voxels, std::int64_t count);
    void AddZeros(std::int64_t count);
    void Finish(CHistogram& histogram) const;

private:
    int m_nBytesPerVoxel;
    std::int64_t m_nTotal = 0;
    std::uint64_t m_counts[256] = {};
    std::uint16_t m_nMin = 0, m_nMax = 0;
};

// Sets every voxel at or below `fraction` of the full scale to 0, as
// CVolume::Threshold does for the whole volume.
void ThresholdVoxels(std::uint8_t* voxels, std::int64_t count, int bytesPerVoxel, float fraction);
// True when the threshold would change any voxel.
bool ThresholdChangesVoxels(const std::uint8_t* voxels, std::int64_t count, int bytesPerVoxel, float fraction);
// Histogram-equalisation table.
void EqualiseLUT(std::uint8_t out[256], const CHistogram& histogram);
// Linear window over the occupied bins of `display` (the record's own display
// table when null).
void LinearWindowLUT(std::uint8_t out[256], const std::uint8_t* display, const CHistogram& histogram);
