// One DICOM file opened as the view's Open does, the folder scan declined.
// The preamble's first byte, which the toolkit never reads, picks whether
// the review dialog ends with OK or is closed.
#include "FuzzSupport.h"
#include "data/LoaderFactory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Run run;
    run.prompter.answers = {IDNO};
    CScriptedDialogRunner::DcmAnswer review;
    review.ok = size > 0 && (data[0] & 1);
    run.dialogs.dcmAnswers = {review};
    const std::string path = run.Write("input.dcm", {reinterpret_cast<const char*>(data), size});
    if (auto series = LoadModelFile(path, "dcm"))
        fuzz::TouchSeries(*series);
    return 0;
}
