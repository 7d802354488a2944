#include "data/RawLoader.h"

#include <utility>

#include "data/DataLock.h"
#include "data/DialogRunner.h"
#include "data/Volume.h"
#include "platform/File.h"

CRawLoader::CRawLoader(const CRawDialogValues& v)
    : m_nDimX(v.m_nDimX), m_nDimY(v.m_nDimY), m_nDimZ(v.m_nDimZ), m_nBits(v.m_nBits), m_fScaleX(v.m_fScaleX),
      m_fScaleY(v.m_fScaleY), m_fScaleZ(v.m_fScaleZ), m_nOffset(v.m_nOffset), m_bLittleEndian(v.m_bLittleEndian)
{
}

bool CRawLoader::Load(const std::string& path, CModelSeries& series)
{
    CFile f;
    if (!f.Open(path, CFile::modeRead | CFile::typeBinary))
        return false;
    if (m_nBits != 8 && m_nBits != 16)
        return false;
    // A negative offset would seek before the start of the file.
    if (m_nOffset < 0)
        return false;
    auto volume = std::make_unique<CNativeVolume>(m_nDimX, m_nDimY, m_nDimZ, m_nBits);
    // Dimensions that cannot be held, or memory that could not be had, leave
    // the volume without voxels: nothing to read into.
    if (!volume->m_pData || volume->m_nDataBytes == 0)
        return false;
    volume->SetVoxelSize(m_fScaleX, m_fScaleY, m_fScaleZ);
    {
        CDataLock lock(*volume);
        std::uint8_t* data = lock.Get();
        if (!data)
            return false;
        const std::uint64_t n = volume->m_nDataBytes;
        try {
            f.Seek(m_nOffset, CFile::begin);
            if (f.ReadHuge(data, n) != n)
                return false;
        } catch (const CFileException&) {
            return false;
        }
        f.Close();
        if (m_nBits == 16 && !m_bLittleEndian)
            for (std::uint64_t i = 0; i < n; i += 2)
                std::swap(data[i], data[i + 1]);
        volume->BuildHistogram();
        volume->BuildDiskCache();
    }
    series.push_back(std::move(volume));
    return true;
}
