#include "data/DicomBranch.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmimgle/dcmimage.h>

#include "data/AppSettings.h"
#include "data/DialogRunner.h"
#include "data/DicomLoader.h"
#include "data/LoaderFactory.h"
#include "data/MessageLog.h"
#include "platform/Format.h"
#include "platform/Prompter.h"

namespace {
// Unreadable files leave black slices in a volume that otherwise loaded; one
// message after the load says so, the log names each.
std::string UnreadableMessage(const std::vector<UnreadableSlice>& unreadable)
{
    const std::string& path = unreadable.front().path;
    const std::string name = path.substr(CDicomLoader::GetFolder(path).size());
    if (unreadable.size() == 1)
        return "1 slice could not be read and is left black!\n\nUnreadable file: " + name;
    return FormatString("%zu slices could not be read and are left black!\n\nFirst unreadable file: %s",
                        unreadable.size(), name.c_str());
}

std::unique_ptr<CModelSeries> OpenDicom(const std::string& path)
{
    const int answer = VxMessageBox("Do you wish to scan for matching DICOM files in the same folder?\n\n"
                                    "If you click No, only the selected file will be loaded",
                                    MB_YESNO | MB_ICONQUESTION);
    CAppSettings* settings = CAppSettings::GetInstance();
    settings->m_bScanDicomFolder = answer == IDYES;

    CDicomLoader loader;
    if (settings->m_bScanDicomFolder)
        CMessageLog::ShowStatus("Scanning for DICOM images ...", true);
    int files = 0, width = 0, height = 0, bits = 0;
    float voxelX = 1.0f, voxelY = 1.0f, voxelZ = 1.0f;
    if (!loader.Probe(path, files, width, height, bits, voxelX, voxelY, voxelZ))
        return nullptr;

    // An image the toolkit cannot render gets an empty preview.
    std::unique_ptr<DicomImage> preview = CDicomLoader::CreatePreview(path, 128);
    CMessageLog::ShowStatus(nullptr, false);

    CDcmDialogValues values;
    values.m_strMessage =
        FormatString("Found %d files at %d x %d with %d bits per voxel\n\n", files, width, height, bits) +
        "Enter changes below:";
    values.m_nNewX = width;
    values.m_nNewY = height;
    values.m_fScaleX = voxelX;
    values.m_fScaleY = voxelY;
    values.m_fScaleZ = voxelZ;
    values.m_nSlices = loader.m_nSlices;
    values.m_pPreviewImage = preview.get();
    // Closing the dialog without OK still loads, with the probed values.
    const int depth = bits <= 8 ? 8 : 16;
    if (DialogRunner().RunDcmDialog(values))
        loader.ApplyChanges(values.m_nNewX, values.m_nNewY, depth, values.m_fScaleX, values.m_fScaleY,
                            values.m_fScaleZ, values.m_nWindowLevel, values.m_nWindowWidth, values.m_bAuto != 0);
    else
        loader.m_nBits = depth;
    preview.reset();

    std::unique_ptr<CModelSeries> series = RunModelLoader(loader, path);
    if (series && !loader.m_lstUnreadable.empty())
        VxMessageBox(UnreadableMessage(loader.m_lstUnreadable), MB_OK | MB_ICONEXCLAMATION);
    return series;
}
} // namespace

std::unique_ptr<CModelSeries> LoadDicomFile(const std::string& path)
{
    try {
        return OpenDicom(path);
    } catch (...) {
        // A throw from the probe, the preview or the dialog (memory, a file
        // error) is a failed open like any other, not a crash.
        return nullptr;
    }
}
