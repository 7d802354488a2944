// Raw voxel writer behind the view's volume export command: the voxel array
// as it is, without a header.
#include "data/SafeWrite.h"
#include "data/Volume.h"

bool CVolume::ExportRaw(const std::string& path)
{
    return SaveVoxelsSafely(*this, path,
                            [this](CFile& f, const std::uint8_t* voxels) { f.WriteHuge(voxels, m_nDataBytes); });
}
