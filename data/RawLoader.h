#pragma once
#include <cstdint>
#include <string>

#include "data/ModelLoader.h"

struct CRawDialogValues;

// A headerless voxel file laid out as the raw import dialog describes it:
// m_nOffset bytes skipped, then dimX*dimY*dimZ voxels of 1 or 2 bytes, x
// fastest. Appends one CNativeVolume.
class CRawLoader : public CModelLoader {
public:
    explicit CRawLoader(const CRawDialogValues& values);
    bool Load(const std::string& path, CModelSeries& series) override;

    std::int32_t m_nDimX = 0, m_nDimY = 0, m_nDimZ = 0;
    std::int32_t m_nBits = 0;
    float m_fScaleX = 1.0f, m_fScaleY = 1.0f, m_fScaleZ = 1.0f;
    std::int32_t m_nOffset = 0;
    std::int32_t m_bLittleEndian = 1;
};
