// A volume's histogram: the minimum-alpha threshold, then the counts.
#include "data/AppSettings.h"
#include "data/Histogram.h"
#include "data/MessageLog.h"
#include "data/Volume.h"

void CVolume::Threshold(float fraction)
{
    std::uint8_t* data = LockData();
    if (!data)
        return;
    // With a disk cache the last unlock frees the voxels without writing them
    // anywhere: what the threshold changes must reach the cache first.
    const bool writeBack = HasSwapFile() && ThresholdChangesVoxels(data, m_nVoxels, m_nBytesPerVoxel, fraction);
    ThresholdVoxels(data, m_nVoxels, m_nBytesPerVoxel, fraction);
    if (writeBack)
        WriteBackCache();
    UnlockData();
}

void CVolume::BuildHistogram()
{
    CMessageLog::ShowStatus("Building histogram ...", true);
    Threshold(m_pSettings->m_fMinAlpha);
    ComputeHistogram(*this, m_histogram);
    CMessageLog::ShowStatus(nullptr, false);
}
