#pragma once
#include <cstdint>
#include <memory>
#include <vector>

class CSnake;

// One 8-bit slice for the segmentation preview: the pixels, the images
// derived from them on first use, the watershed labels and the contours
// traced from the labelled object.
//
// Buffers are row-major (pixel (c, r) at r * width + c). The caller's slices
// are column-major (pixel (c, r) at c * height + r); the constructor and
// GetImage convert.
class CSliceImage {
public:
    enum Kind { kOriginal = 0, kSmoothed = 1, kGradient = 2, kEnergy = 3 };
    static constexpr std::uint8_t kObjectLabel = 60;

    CSliceImage(const std::uint8_t* slice, int width, int height);
    ~CSliceImage();
    CSliceImage(const CSliceImage&) = delete;
    CSliceImage& operator=(const CSliceImage&) = delete;

    void ClearContours();
    // derived: copies image `kind` (0..3) into `out`; otherwise writes the
    // segmentation mask (object 127, the rest 0; swapped by invert; the
    // kept side leaves `out` untouched when keepValues is set).
    void GetImage(int kind, bool derived, bool invert, bool keepValues, std::uint8_t* out);
    void Smooth();
    void ComputeGradient();
    void StretchGradient();
    void ComputeInverseGradient();
    // One contour per object region (label 60) of the label buffer.
    void BuildContours();

    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nSize = 0;
    std::unique_ptr<std::uint8_t[]> m_pPixels;
    std::unique_ptr<std::uint8_t[]> m_pSmoothed;
    std::unique_ptr<std::uint8_t[]> m_pGradient;
    std::unique_ptr<std::uint8_t[]> m_pStretched;
    std::unique_ptr<std::uint8_t[]> m_pLabels;
    std::unique_ptr<std::uint8_t[]> m_pEnergy;
    std::vector<std::unique_ptr<CSnake>> m_aContours;
};
