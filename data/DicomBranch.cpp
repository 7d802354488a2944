#include "data/DicomBranch.h"

#include "data/AppSettings.h"
#include "platform/Prompter.h"

std::unique_ptr<CModelSeries> LoadDicomFile(const std::string&)
{
    const int answer = VxMessageBox("Do you wish to scan for matching DICOM files in the same folder?\n\n"
                                    "If you click No, only the selected file will be loaded",
                                    MB_YESNO | MB_ICONQUESTION);
    CAppSettings::GetInstance()->m_bScanDicomFolder = answer == IDYES;
    // Probing, the review dialog and the DICOM loader come here.
    return nullptr;
}
