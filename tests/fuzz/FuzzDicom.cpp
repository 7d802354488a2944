// One DICOM file opened as the view's Open does, the folder scan declined.
// The preamble's first byte, which the toolkit never reads, picks how the
// review dialog ends.
#include "FuzzSupport.h"
#include "data/LoaderFactory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Run run;
    run.prompter.answers = {IDNO};
    if (size > 0)
        run.dialogs.ChooseReview(data[0]);
    const std::string path = run.Write("input.dcm", {reinterpret_cast<const char*>(data), size});
    if (auto series = LoadModelFile(path, "dcm"))
        fuzz::TouchSeries(*series);
    return 0;
}
