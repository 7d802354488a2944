// A first-version endoscope capture with its two companions: the input cut
// into the main file, the frame records (".end") and the marker records
// (".mar"); a missing piece leaves that companion out.
#include "FuzzSupport.h"
#include "data/LoaderFactory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Run run;
    const auto pieces = fuzz::Cut({reinterpret_cast<const char*>(data), size});
    const char* names[] = {"capture.img", "capture.end", "capture.mar"};
    for (std::size_t i = 0; i < pieces.size() && i < std::size(names); ++i)
        run.Write(names[i], pieces[i]);
    if (auto series = LoadModelFile(run.Folder() + "/capture.img", "img"))
        fuzz::TouchSeries(*series);
    return 0;
}
