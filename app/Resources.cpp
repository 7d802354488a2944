#include "app/Resources.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include <wx/filename.h>
#include <wx/stdpaths.h>
#include <wx/xrc/xmlres.h>

#include "res/CommandIds.h"
#include "res/ControlIds.h"

namespace fs = std::filesystem;

std::string ResourceDir()
{
#ifdef VEXILO_RES_DIR
    if (fs::exists(fs::path(VEXILO_RES_DIR) / "MainFrame.xrc"))
        return VEXILO_RES_DIR;
#endif
    wxFileName exe(wxStandardPaths::Get().GetExecutablePath());
    return (fs::path(exe.GetPath().ToStdString()) / "res").string();
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
