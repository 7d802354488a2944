#include "app/Resources.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include <wx/stdpaths.h>
#include <wx/xrc/xmlres.h>

#include "res/CommandIds.h"
#include "res/ControlIds.h"

namespace fs = std::filesystem;

namespace {
bool HoldsResources(const fs::path& dir)
{
    std::error_code ec;
    return fs::is_regular_file(dir / "MainFrame.xrc", ec);
}
} // namespace

std::string ResourceDirFor(const std::string& executable, const std::string& buildTree)
{
    const fs::path bin = fs::path(executable).parent_path();
#ifdef VEXILO_INSTALLED_RES_DIR
    const fs::path installed = (bin / VEXILO_INSTALLED_RES_DIR).lexically_normal();
    if (HoldsResources(installed))
        return installed.string();
#endif
    if (!buildTree.empty() && HoldsResources(buildTree))
        return buildTree;
    return (bin / "res").string();
}

std::string ResourceDir()
{
    // Asked for every bitmap; the answer cannot change while the program runs.
    static const std::string dir = [] {
        std::error_code ec;
        std::string exe = fs::read_symlink("/proc/self/exe", ec).string();
        if (ec)
            exe = wxStandardPaths::Get().GetExecutablePath().ToStdString();
#ifdef VEXILO_RES_DIR
        return ResourceDirFor(exe, VEXILO_RES_DIR);
#else
        return ResourceDirFor(exe, "");
#endif
    }();
    return dir;
}

bool LoadResources()
{
    static bool loaded = false;
    if (loaded)
        return true;
    // The first lookup of a name fixes its id, so this must precede loading
    // any XRC file that names one.
    for (const VxIdEntry& e : kVxIds)
        wxXmlResource::GetXRCID(e.name, e.id);
    for (const VxControlEntry& e : kVxControlIds)
        wxXmlResource::GetXRCID(e.name, e.id);

    wxXmlResource& xrc = *wxXmlResource::Get();
    xrc.InitAllHandlers();
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(ResourceDir(), ec))
        if (entry.path().extension() == ".xrc")
            files.push_back(entry.path());
    if (ec || files.empty())
        return false;
    std::sort(files.begin(), files.end());
    for (const fs::path& f : files)
        if (!xrc.Load(f.string()))
            return false;
    loaded = true;
    return true;
}

wxBitmap LoadResourceBitmap(const std::string& fileName)
{
    fs::path p = fs::path(ResourceDir()) / fileName;
    if (!fs::exists(p))
        return wxBitmap();
    return wxBitmap(p.string(), p.extension() == ".xpm" ? wxBITMAP_TYPE_XPM : wxBITMAP_TYPE_ANY);
}
