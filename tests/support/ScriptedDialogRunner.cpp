#include "support/ScriptedDialogRunner.h"

bool CScriptedDialogRunner::RunRawDialog(CRawDialogValues& values)
{
    rawShown.push_back(values);
    if (rawAnswers.empty())
        return false;
    RawAnswer a = rawAnswers.front();
    rawAnswers.erase(rawAnswers.begin());
    if (a.ok) {
        std::uint64_t size = values.fileSize;
        values = a.values;
        values.fileSize = size;
    }
    return a.ok;
}

bool CScriptedDialogRunner::RunDcmDialog(CDcmDialogValues& values)
{
    dcmShown.push_back(values);
    dcmShown.back().m_pPreviewImage = nullptr; // not owned by the record
    if (dcmAnswers.empty())
        return false;
    DcmAnswer a = dcmAnswers.front();
    dcmAnswers.erase(dcmAnswers.begin());
    if (a.changeValues) {
        DicomImage* preview = values.m_pPreviewImage;
        std::string message = values.m_strMessage;
        values = a.values;
        values.m_pPreviewImage = preview;
        values.m_strMessage = message;
    }
    return a.ok;
}

bool CScriptedDialogRunner::RunRgbDialog(CRgbDialogValues& values)
{
    ++rgbShown;
    if (rgbAnswers.empty())
        return false;
    RgbAnswer a = rgbAnswers.front();
    rgbAnswers.erase(rgbAnswers.begin());
    if (a.ok)
        values = a.values;
    return a.ok;
}
