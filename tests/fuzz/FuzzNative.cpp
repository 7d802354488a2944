// A native volume or mesh file, opened as the view's Open does.
#include "FuzzSupport.h"
#include "data/LoaderFactory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Run run;
    const std::string path = run.Write("input.vxq", {reinterpret_cast<const char*>(data), size});
    if (auto series = LoadModelFile(path, "vxq"))
        fuzz::TouchSeries(*series);
    return 0;
}
