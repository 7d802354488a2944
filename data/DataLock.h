#pragma once
#include <cstdint>

#include "data/Volume.h"

// One data lock of a volume for a scope; Get() is null when the voxels could
// not be had, and then nothing is unlocked.
class CDataLock {
public:
    explicit CDataLock(CVolume& v) : m_volume(v), m_pData(v.LockData()) {}
    ~CDataLock()
    {
        if (m_pData)
            m_volume.UnlockData();
    }
    CDataLock(const CDataLock&) = delete;
    CDataLock& operator=(const CDataLock&) = delete;
    std::uint8_t* Get() const { return m_pData; }

private:
    CVolume& m_volume;
    std::uint8_t* m_pData;
};
