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
// Histogram-equalisation table.
void EqualiseLUT(std::uint8_t out[256], const CHistogram& histogram);
// Linear window over the occupied bins of `display` (the record's own display
// table when null).
void LinearWindowLUT(std::uint8_t out[256], const std::uint8_t* display, const CHistogram& histogram);
