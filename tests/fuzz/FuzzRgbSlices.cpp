// A folder of planar RGB slices, imported as the view's import command does:
// the dialog's size, pixel size and grey choice from the first byte.
#include "FuzzSupport.h"
#include "SliceInput.h"
#include "data/SliceStackLoader.h"
#include "data/Volume.h"

namespace {
struct Layout {
    int width, height;
    float pixelWidth, pixelHeight, separation;
};
constexpr Layout kLayouts[] = {
    {2, 2, 0.5f, 0.25f, 2.0f}, {4, 3, 1.0f, 1.0f, 1.0f}, {1, 1, 0.33f, 0.33f, 0.33f},
    {8, 8, 1.0f, 1.0f, 0.0f},  {5, 1, -1.0f, 1.0f, 1.0f}, {0, 4, 1.0f, 1.0f, 1.0f},
    {16, 16, 1.0f, 1.0f, 1.0f}, {3, 7, 1e-20f, 1e20f, 1.0f},
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    fuzz::Run run;
    const Layout& l = kLayouts[data[0] % std::size(kLayouts)];
    const bool grey = data[0] & 0x80;
    const std::string pattern = fuzz::WriteSlices(run, {reinterpret_cast<const char*>(data) + 1, size - 1});
    CModelSeries series;
    if (!CRgbStackLoader(l.width, l.height, l.pixelWidth, l.pixelHeight, l.separation).Load(pattern, series))
        return 0;
    if (grey && !series.empty())
        if (auto* colour = dynamic_cast<CRgbVolume*>(series.front().get()))
            colour->DropColour();
    fuzz::TouchSeries(series);
    return 0;
}
