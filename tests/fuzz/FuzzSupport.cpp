#include "FuzzSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <dirent.h>
#include <unistd.h>

#include <dcmtk/config/osconfig.h>
#include <dcmtk/oflog/oflog.h>

#include "data/DialogRunner.h"
#include "data/MessageLog.h"
#include "data/Volume.h"
#include "platform/Prompter.h"

namespace fuzz {
namespace fs = std::filesystem;

namespace {
void RemoveScratch()
{
    std::error_code ec;
    fs::remove_all(ScratchRoot(), ec);
}

std::vector<std::string> OpenDescriptors()
{
    std::vector<std::string> fds;
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir)
        return fds;
    // Without the listing's own descriptor, whose number moves when one leaks.
    const std::string own = std::to_string(::dirfd(dir));
    while (const dirent* e = ::readdir(dir))
        if (e->d_name[0] != '.' && e->d_name != own)
            fds.push_back(e->d_name);
    ::closedir(dir);
    std::sort(fds.begin(), fds.end());
    return fds;
}

std::string Target(const std::string& fd)
{
    std::error_code ec;
    return fs::read_symlink("/proc/self/fd/" + fd, ec).string();
}
} // namespace

const std::string& ScratchRoot()
{
    static const std::string root = [] {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/vxfuzz-XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (!mkdtemp(buf.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        std::string path(buf.data());
        // Cache files of the models land beside the input, where the check looks.
        setenv("TMPDIR", path.c_str(), 1);
        return path;
    }();
    static const bool cleaned = (std::atexit(RemoveScratch), true);
    (void)cleaned;
    return root;
}

void Fail(const std::string& what)
{
    std::fprintf(stderr, "==fuzz== %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

std::vector<std::string_view> Cut(std::string_view input)
{
    std::vector<std::string_view> pieces;
    for (;;) {
        const std::size_t at = input.find(kCut);
        if (at == std::string_view::npos) {
            pieces.push_back(input);
            return pieces;
        }
        pieces.push_back(input.substr(0, at));
        input.remove_prefix(at + kCut.size());
    }
}

Run::Run()
    : m_fdsBefore(OpenDescriptors()), m_folder(ScratchRoot() + "/in"),
      m_pPreviousPrompter(SetPrompter(&prompter)), m_pPreviousRunner(SetDialogRunner(&dialogs))
{
    // The toolkit's line for every broken input would drown the fuzzer's own.
    static const bool quiet = (OFLog::configure(OFLogger::FATAL_LOG_LEVEL), true);
    (void)quiet;
    std::error_code ec;
    fs::remove_all(m_folder, ec);
    fs::create_directory(m_folder);
    CMessageLog::GetInstance(&owner);
}

Run::~Run()
{
    delete CMessageLog::GetExisting();
    SetDialogRunner(m_pPreviousRunner);
    SetPrompter(m_pPreviousPrompter);

    std::string left;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(ScratchRoot(), ec))
        if (e.path() != m_folder)
            left += " " + e.path().string();
    if (!left.empty())
        Fail("temporary file left behind:" + left);

    const std::vector<std::string> after = OpenDescriptors();
    if (after != m_fdsBefore) {
        std::string open;
        for (const std::string& fd : after)
            if (!std::binary_search(m_fdsBefore.begin(), m_fdsBefore.end(), fd))
                open += " " + fd + " -> " + Target(fd);
        Fail("file descriptor left open:" + open);
    }
    fs::remove_all(m_folder, ec);
}

bool ReviewRunner::RunDcmDialog(CDcmDialogValues& values)
{
    dcmShown.push_back(values);
    dcmShown.back().m_pPreviewImage = nullptr;
    if (review == kOkAuto || review == kOkAutoHalf)
        values.m_bAuto = 1;
    if (review == kOkAutoHalf) {
        values.m_nNewX = std::max(1, values.m_nNewX / 2);
        values.m_nNewY = std::max(1, values.m_nNewY / 2);
    }
    return review != kClose;
}

std::string Run::Write(const std::string& name, std::string_view bytes) const
{
    const std::string path = m_folder + "/" + name;
    std::ofstream f(path, std::ios::binary);
    f.write(bytes.data(), std::streamsize(bytes.size()));
    return path;
}

void TouchSeries(CModelSeries& series)
{
    for (auto& model : series) {
        CVector3 first, second;
        model->GetBounds(first, second);
        model->UpdateCentre();
        volatile float size = model->GetSize();
        (void)size;
        volatile std::size_t info = model->GetInfo().size();
        (void)info;
        (void)model->IsMesh();
        (void)model->IsVolume();
    }
}

} // namespace fuzz
