#include "platform/TempFile.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/File.h"

std::string GetTempFolder()
{
    std::error_code ec;
    auto p = std::filesystem::temp_directory_path(ec);
    return ec ? std::string("/tmp") : p.string();
}

std::string CreateTempFileName(const std::string& prefix, const std::string& folder)
{
    std::string pattern = folder;
    if (!pattern.empty() && pattern.back() != '/')
        pattern += '/';
    pattern += prefix + "XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    int fd = ::mkstemp(buf.data());
    if (fd < 0)
        return {};
    ::close(fd);
    return std::string(buf.data());
}

namespace {
// A process id names a process on one machine only, and a temporary folder
// may be shared between machines.
std::string HostName()
{
    char buf[256] = {};
    if (::gethostname(buf, sizeof buf - 1) != 0 || buf[0] == '\0')
        return "localhost";
    std::string host(buf);
    for (char& c : host)
        if (c == '/')
            c = '_';
    return host;
}
} // namespace

std::string CreateOwnedTempFileName(const std::string& prefix, const std::string& folder)
{
    return CreateTempFileName(prefix + std::to_string(::getpid()) + "-" + HostName() + "-", folder);
}

namespace {
// The owner's process id of a name "<prefix><pid>-<host>-XXXXXX" (six
// letters or digits, as mkstemp makes them) made on this host, or 0 for any
// other name.
pid_t OwnerOf(const std::string& name, const std::string& prefix, const std::string& host)
{
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return 0;
    const char* first = name.data() + prefix.size();
    const char* end = name.data() + name.size();
    pid_t pid = 0;
    auto [dash, ec] = std::from_chars(first, end, pid);
    if (ec != std::errc() || dash == first || *first == '0' || pid <= 0 || *dash != '-')
        return 0;
    const std::string_view rest(dash + 1, std::size_t(end - dash - 1));
    if (rest.size() != host.size() + 7 || rest.substr(0, host.size()) != host || rest[host.size()] != '-')
        return 0;
    for (char c : rest.substr(host.size() + 1))
        if (!(('0' <= c && c <= '9') || ('A' <= c && c <= 'Z') || ('a' <= c && c <= 'z')))
            return 0;
    return pid;
}

bool Running(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }
} // namespace

int RemoveOrphanedTempFiles(const std::string& prefix, const std::string& folder)
{
    int removed = 0;
    const std::string host = HostName();
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const pid_t pid = OwnerOf(it->path().filename().string(), prefix, host);
        if (pid == 0)
            continue;
        // Only plain files of this user: a link or another user's file in a
        // shared folder is not ours to remove.
        struct stat st {};
        if (::lstat(it->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        if (!Running(pid) && ::unlink(it->path().c_str()) == 0)
            ++removed;
    }
    return removed;
}

CSafeSave::CSafeSave(std::string target) : m_strTarget(std::move(target))
{
    // Through a link, the linked file is the one a plain overwrite changes.
    std::error_code ec;
    if (std::filesystem::is_symlink(m_strTarget, ec)) {
        auto real = std::filesystem::weakly_canonical(m_strTarget, ec);
        if (!ec)
            m_strTarget = real.string();
    }
    std::filesystem::path t(m_strTarget);
    std::string folder = t.has_parent_path() ? t.parent_path().string() : std::string(".");
    m_strTemp = CreateTempFileName("." + t.filename().string() + ".", folder);
    // A target name near the file system's limit leaves no room for the
    // suffix; a short name still lets the save go ahead.
    if (m_strTemp.empty())
        m_strTemp = CreateTempFileName(".vx-save.", folder);
    if (!m_strTemp.empty()) {
        // mkstemp makes the file 0600; give it the mode the old file had, or
        // the one a plain create would.
        struct stat old {};
        if (::stat(m_strTarget.c_str(), &old) == 0) {
            ::chmod(m_strTemp.c_str(), old.st_mode & 0777);
        } else {
            mode_t mask = ::umask(0);
            ::umask(mask);
            ::chmod(m_strTemp.c_str(), 0666 & ~mask);
        }
    }
}

CSafeSave::~CSafeSave()
{
    if (!m_bDone && !m_strTemp.empty())
        CFile::Remove(m_strTemp);
}

bool CSafeSave::Commit()
{
    if (m_strTemp.empty() || m_bDone)
        return false;
    m_bDone = true;
    if (CFile::Rename(m_strTemp, m_strTarget))
        return true;
    CFile::Remove(m_strTemp);
    return false;
}
