// A folder of DICOM files, cut from one input, opened as the view's Open
// does on the first of them with the folder scan accepted. The first
// preamble byte picks how the review dialog ends, as for a single file.
#include <cstdio>

#include "FuzzSupport.h"
#include "data/LoaderFactory.h"

namespace {
constexpr std::size_t kMaxFiles = 8;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Run run;
    run.prompter.answers = {IDYES};
    if (size > 0)
        run.dialogs.ChooseReview(data[0]);
    const auto pieces = fuzz::Cut({reinterpret_cast<const char*>(data), size});
    std::string first;
    for (std::size_t i = 0; i < pieces.size() && i < kMaxFiles; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "im%zu.dcm", i);
        const std::string path = run.Write(name, pieces[i]);
        if (i == 0)
            first = path;
    }
    if (auto series = LoadModelFile(first, "dcm"))
        fuzz::TouchSeries(*series);
    return 0;
}
