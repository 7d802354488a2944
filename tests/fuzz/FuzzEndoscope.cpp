// An endoscope capture on its own (a first version finds no companions).
#include "FuzzSupport.h"
#include "data/LoaderFactory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Run run;
    const std::string path = run.Write("input.img", {reinterpret_cast<const char*>(data), size});
    if (auto series = LoadModelFile(path, "img"))
        fuzz::TouchSeries(*series);
    return 0;
}
