#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

// Binary file with the open modes of the framework's file class. Read returns
// the bytes read (short at end of file); Write throws CFileException when not
// every byte could be written, as the framework did.
class CFileException : public std::runtime_error {
public:
    enum Cause { none, generic, fileNotFound, accessDenied, diskFull, endOfFile, badSeek };
    CFileException(Cause cause, const std::string& path, int osError = 0);
    Cause m_cause;
    std::string m_strFileName;
    int m_lOsError;
};

class CFile {
public:
    enum OpenFlags : unsigned {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareDenyNone = 0x0040,
        modeNoTruncate = 0x1000,
        modeCreate = 0x1000 << 1,
        typeBinary = 0x8000,
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    CFile(CFile&& other) noexcept;
    CFile& operator=(CFile&& other) noexcept;
    ~CFile();

    // Returns false (and fills *error when given) instead of throwing.
    bool Open(const std::string& path, unsigned flags, CFileException::Cause* error = nullptr);
    void Close() noexcept;
    bool IsOpen() const { return m_fd >= 0; }

    std::uint32_t Read(void* buffer, std::uint32_t count);
    void Write(const void* buffer, std::uint32_t count);
    // Large-count helpers for voxel arrays; same contracts as Read and Write.
    std::uint64_t ReadHuge(void* buffer, std::uint64_t count);
    void WriteHuge(const void* buffer, std::uint64_t count);
    std::int64_t Seek(std::int64_t offset, SeekPosition from);
    std::uint64_t GetLength() const;
    std::uint64_t GetPosition() const;
    void Flush();
    const std::string& GetFilePath() const { return m_strPath; }

    static bool Remove(const std::string& path) noexcept;
    static bool Rename(const std::string& from, const std::string& to) noexcept;

private:
    int m_fd = -1;
    std::string m_strPath;
};
