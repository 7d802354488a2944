#include "data/Volume.h"

// The disk cache writer; until the cache files exist the volume keeps its
// voxels in memory, which is the defined state of a volume without a cache.
void CVolume::BuildDiskCache() { UnlockData(); }

void CVolume::CloseCache(bool)
{
    for (auto& f : m_pCacheFile)
        f.reset();
}

bool CVolume::ReadPlaneView(int, int, std::uint8_t*) { return false; }
