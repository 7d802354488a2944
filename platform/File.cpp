#include "platform/File.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/WriteGate.h"

namespace {
CFileException::Cause CauseOf(int err)
{
    switch (err) {
    case ENOENT: return CFileException::fileNotFound;
    case EACCES:
    case EPERM: return CFileException::accessDenied;
    case ENOSPC:
    case EDQUOT: return CFileException::diskFull;
    default: return CFileException::generic;
    }
}
} // namespace

CFileException::CFileException(Cause cause, const std::string& path, int osError)
    : std::runtime_error("file error: " + path), m_cause(cause), m_strFileName(path), m_lOsError(osError)
{
}

CFile::CFile(CFile&& other) noexcept : m_fd(other.m_fd), m_strPath(std::move(other.m_strPath))
{
    other.m_fd = -1;
}

CFile& CFile::operator=(CFile&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = other.m_fd;
        m_strPath = std::move(other.m_strPath);
        other.m_fd = -1;
    }
    return *this;
}

CFile::~CFile() { Close(); }

bool CFile::Open(const std::string& path, unsigned flags, CFileException::Cause* error)
{
    Close();
    int oflags = O_CLOEXEC;
    if (flags & modeReadWrite)
        oflags |= O_RDWR;
    else if (flags & modeWrite)
        oflags |= O_WRONLY;
    else
        oflags |= O_RDONLY;
    if (flags & modeCreate) {
        oflags |= O_CREAT;
        if (!(flags & modeNoTruncate))
            oflags |= O_TRUNC;
    }
    int fd = ::open(path.c_str(), oflags, 0666);
    if (fd < 0) {
        if (error)
            *error = CauseOf(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        if (error)
            *error = CFileException::accessDenied;
        return false;
    }
    m_fd = fd;
    m_strPath = path;
    return true;
}

void CFile::Close() noexcept
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

std::uint32_t CFile::Read(void* buffer, std::uint32_t count)
{
    return std::uint32_t(ReadHuge(buffer, count));
}

std::uint64_t CFile::ReadHuge(void* buffer, std::uint64_t count)
{
    if (m_fd < 0)
        throw CFileException(CFileException::generic, m_strPath);
    auto* p = static_cast<unsigned char*>(buffer);
    std::uint64_t done = 0;
    while (done < count) {
        std::uint64_t chunk = std::min<std::uint64_t>(count - done, 1u << 30);
        ssize_t n = ::read(m_fd, p + done, size_t(chunk));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw CFileException(CauseOf(errno), m_strPath, errno);
        }
        if (n == 0)
            break;
        done += std::uint64_t(n);
    }
    return done;
}

void CFile::Write(const void* buffer, std::uint32_t count) { WriteHuge(buffer, count); }

void CFile::WriteHuge(const void* buffer, std::uint64_t count)
{
    if (m_fd < 0)
        throw CFileException(CFileException::generic, m_strPath);
    const auto* p = static_cast<const unsigned char*>(buffer);
    std::uint64_t done = 0;
    while (done < count) {
        std::uint64_t chunk = std::min<std::uint64_t>(count - done, 1u << 30);
        if (!FileWriteAllowed(chunk))
            throw CFileException(CFileException::diskFull, m_strPath, ENOSPC);
        ssize_t n = ::write(m_fd, p + done, size_t(chunk));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw CFileException(CauseOf(errno), m_strPath, errno);
        }
        if (n == 0)
            throw CFileException(CFileException::diskFull, m_strPath, ENOSPC);
        done += std::uint64_t(n);
    }
}

std::int64_t CFile::Seek(std::int64_t offset, SeekPosition from)
{
    if (m_fd < 0)
        throw CFileException(CFileException::generic, m_strPath);
    int whence = from == begin ? SEEK_SET : from == current ? SEEK_CUR : SEEK_END;
    off_t r = ::lseek(m_fd, off_t(offset), whence);
    if (r < 0)
        throw CFileException(CFileException::badSeek, m_strPath, errno);
    return r;
}

std::uint64_t CFile::GetLength() const
{
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
        throw CFileException(CFileException::generic, m_strPath);
    return std::uint64_t(st.st_size);
}

std::uint64_t CFile::GetPosition() const
{
    off_t r = m_fd < 0 ? -1 : ::lseek(m_fd, 0, SEEK_CUR);
    if (r < 0)
        throw CFileException(CFileException::generic, m_strPath);
    return std::uint64_t(r);
}

void CFile::Flush()
{
    if (m_fd >= 0 && ::fsync(m_fd) != 0 && errno != EINVAL)
        throw CFileException(CauseOf(errno), m_strPath, errno);
}

bool CFile::Remove(const std::string& path) noexcept { return ::unlink(path.c_str()) == 0; }

bool CFile::Rename(const std::string& from, const std::string& to) noexcept
{
    return std::rename(from.c_str(), to.c_str()) == 0;
}
