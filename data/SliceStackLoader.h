#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "data/ModelLoader.h"

// Both loaders take a search pattern (folder, a separator, then a wildcard
// such as "*.*") and build one volume from the matching files, one headerless
// image per slice in ascending name order.

// Planar 8-bit RGB slices (all red bytes, then green, then blue) into a
// volume of grey voxels with a colour block.
class CRgbStackLoader : public CModelLoader {
public:
    CRgbStackLoader(int width, int height, float pixelWidth, float pixelHeight, float separation);
    bool Load(const std::string& pattern, CModelSeries& series) override;

    std::int32_t m_nWidth;
    std::int32_t m_nHeight;
    std::int32_t m_nSlices = 0;
    float m_fPixelWidth, m_fPixelHeight, m_fSeparation;
};

// Big-endian 16-bit grey slices after a header of m_nHeaderBytes, scaled to
// 8 bits by the largest value of the whole stack.
class CSliceStackLoader : public CModelLoader {
public:
    CSliceStackLoader(int headerBytes, int width, int height, float pixelWidth, float pixelHeight, float separation);
    bool Load(const std::string& pattern, CModelSeries& series) override;

    std::int32_t m_nHeaderBytes;
    std::int32_t m_nWidth, m_nHeight;
    std::int32_t m_nSlices = 0;
    float m_fPixelWidth, m_fPixelHeight, m_fSeparation;
};

// The full paths of the files (not folders) matching `pattern`, in ascending
// byte order.
std::vector<std::string> FindSliceFiles(const std::string& pattern);
