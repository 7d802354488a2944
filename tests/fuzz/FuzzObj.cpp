// An OBJ mesh, opened as the view's Open does.
#include "FuzzSupport.h"
#include "data/LoaderFactory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Run run;
    const std::string path = run.Write("input.obj", {reinterpret_cast<const char*>(data), size});
    if (auto series = LoadModelFile(path, "obj"))
        fuzz::TouchSeries(*series);
    return 0;
}
