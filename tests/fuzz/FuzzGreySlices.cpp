// A folder of big-endian 16-bit slices behind a header, imported as the
// view's import command does: header length, size and pixel size from the
// first byte.
#include "FuzzSupport.h"
#include "SliceInput.h"
#include "data/SliceStackLoader.h"

namespace {
struct Layout {
    int headerBytes, width, height;
    float pixelWidth, pixelHeight, separation;
};
constexpr Layout kLayouts[] = {
    {0, 2, 2, 0.5f, 0.25f, 2.0f}, {4, 3, 2, 1.0f, 1.0f, 1.0f},  {1, 1, 1, 0.33f, 0.33f, 0.33f},
    {0, 8, 8, 1.0f, 1.0f, 0.0f},  {7, 5, 1, 1.0f, -1.0f, 1.0f}, {-4, 2, 2, 1.0f, 1.0f, 1.0f},
    {0, 16, 16, 1.0f, 1.0f, 1.0f}, {2, 0, 3, 1.0f, 1.0f, 1.0f},
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    fuzz::Run run;
    const Layout& l = kLayouts[data[0] % std::size(kLayouts)];
    const std::string pattern = fuzz::WriteSlices(run, {reinterpret_cast<const char*>(data) + 1, size - 1});
    CModelSeries series;
    if (CSliceStackLoader(l.headerBytes, l.width, l.height, l.pixelWidth, l.pixelHeight, l.separation)
            .Load(pattern, series))
        fuzz::TouchSeries(series);
    return 0;
}
