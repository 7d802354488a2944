#include "data/LoaderFactory.h"

#include "data/DialogRunner.h"
#include "data/DicomBranch.h"
#include "data/EndoscopeLoader.h"
#include "data/MessageLog.h"
#include "data/NativeLoader.h"
#include "data/ObjLoader.h"
#include "data/OffLoader.h"
#include "data/RawLoader.h"
#include "platform/File.h"

namespace {
// A maker sets `cancelled` when the user cancelled its dialog.
using LoaderMaker = std::unique_ptr<CModelLoader> (*)(const std::string& path, bool& cancelled);

template <class Loader> std::unique_ptr<CModelLoader> Make(const std::string&, bool&)
{
    return std::make_unique<Loader>();
}

// The dialog is shown even for a file that cannot be opened (it then shows a
// size of 0). Cancel ends the open: the user said this is no file to read,
// so the DICOM default is not tried on it.
std::unique_ptr<CModelLoader> MakeRawLoader(const std::string& path, bool& cancelled)
{
    CRawDialogValues values;
    CFile f;
    if (f.Open(path, CFile::modeRead | CFile::typeBinary)) {
        try {
            values.fileSize = f.GetLength();
        } catch (const CFileException&) {
        }
        f.Close();
    }
    if (!DialogRunner().RunRawDialog(values)) {
        cancelled = true;
        return nullptr;
    }
    return std::make_unique<CRawLoader>(values);
}

struct LoaderEntry {
    const char* extension;
    LoaderMaker make;
};

// Every file kind with a loader of its own; a new kind is one row here.
// Whole-string comparison: "VXQ", "vxqz" or "" match nothing.
constexpr LoaderEntry kLoaders[] = {
    {"vxq", Make<CNativeLoader>},
    {"arv", Make<CNativeLoader>},
    {"raw", MakeRawLoader},
    {"img", Make<CEndoscopeLoader>},
    {"obj", Make<CObjLoader>},
    {"off", Make<COffLoader>},
};
} // namespace

std::unique_ptr<CModelSeries> RunModelLoader(CModelLoader& loader, const std::string& path)
{
    auto series = std::make_unique<CModelSeries>();
    bool ok = false;
    try {
        CMessageLog::ShowStatus("Loading data ... please wait", true);
        ok = loader.Load(path, *series);
    } catch (...) {
        // A loader that throws (a file error, memory) has failed like any other.
        ok = false;
    }
    if (!ok)
        return nullptr; // with the series go the models the loader appended
    return series;
}

std::unique_ptr<CModelSeries> LoadModelFile(const std::string& path, const std::string& extension,
                                            bool* cancelled)
{
    bool userCancelled = false;
    std::unique_ptr<CModelLoader> loader;
    for (const LoaderEntry& entry : kLoaders)
        if (extension == entry.extension) {
            loader = entry.make(path, userCancelled);
            break;
        }
    if (cancelled)
        *cancelled = userCancelled;
    if (userCancelled)
        return nullptr;
    if (!loader)
        return LoadDicomFile(path);
    return RunModelLoader(*loader, path);
}
