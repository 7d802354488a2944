#pragma once
#include <string>

#include "data/DataLock.h"
#include "platform/File.h"
#include "platform/TempFile.h"
#include "platform/TextFile.h"

// Every save writes beside its target and renames over it only when every
// byte went out, so a full disk or a failed write never costs the user the
// file that was there before.

// `write(CFile&)` returns false to abandon the save; CFileException does too.
template <class Write> bool SaveBinarySafely(const std::string& path, Write&& write)
{
    CSafeSave save(path);
    if (save.TempPath().empty())
        return false;
    try {
        CFile file;
        if (!file.Open(save.TempPath(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary))
            return false;
        if (!write(file))
            return false;
        file.Close();
    } catch (const CFileException&) {
        return false;
    }
    return save.Commit();
}

// `write(CTextWriter&)`; the writer remembers failures and reports at Close.
template <class Write> bool SaveTextSafely(const std::string& path, Write&& write)
{
    CSafeSave save(path);
    if (save.TempPath().empty())
        return false;
    CTextWriter out;
    if (!out.Open(save.TempPath()))
        return false;
    write(out);
    if (!out.Close())
        return false;
    return save.Commit();
}

// Saves a volume's voxels: false without voxels, or when they cannot be
// loaded back from the swap file; `write(CFile&, voxels)` writes the file.
template <class Write> bool SaveVoxelsSafely(CVolume& volume, const std::string& path, Write&& write)
{
    if (volume.m_nDataBytes == 0)
        return false;
    return SaveBinarySafely(path, [&](CFile& f) {
        CDataLock lock(volume);
        if (!lock.Get())
            return false;
        write(f, lock.Get());
        return true;
    });
}
