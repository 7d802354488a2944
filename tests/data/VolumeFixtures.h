#pragma once
#include <cstdint>
#include <memory>

#include "data/MessageLog.h"
#include "data/Volume.h"
#include "platform/LogOwner.h"
#include "support/RecordingLogOwner.h"

// Routes the busy-box texts of the code under test to a recording owner for
// the lifetime of the object.
class StatusRecorder {
public:
    StatusRecorder()
        : m_existed(CMessageLog::GetExisting() != nullptr),
          m_previous(m_existed ? CMessageLog::GetExisting()->m_pView : nullptr),
          m_log(CMessageLog::GetInstance(&owner))
    {
        m_log->m_pView = &owner;
    }
    ~StatusRecorder()
    {
        if (m_existed)
            m_log->m_pView = m_previous;
        else
            delete m_log;
    }
    StatusRecorder(const StatusRecorder&) = delete;
    StatusRecorder& operator=(const StatusRecorder&) = delete;

    CRecordingLogOwner owner;

private:
    bool m_existed;
    ILogOwner* m_previous;
    CMessageLog* m_log;
};

// A distinct, non-zero value per voxel, so that a misplaced voxel shows;
// 16-bit values are multiples of 257, whose plane-view grey is exact.
inline std::uint16_t Pattern(int x, int y, int z, int bits)
{
    const int v = 1 + x + 7 * y + 31 * z;
    return std::uint16_t(bits == 16 ? v * 257 : v % 255 + 1);
}

template <class V = CVolume> std::unique_ptr<V> MakePatterned(int dx, int dy, int dz, int bits)
{
    auto vol = std::make_unique<V>(dx, dy, dz, bits);
    for (int z = 0; z < dz; ++z)
        for (int y = 0; y < dy; ++y)
            for (int x = 0; x < dx; ++x)
                vol->SetVoxel(x, y, z, Pattern(x, y, z, bits));
    return vol;
}
