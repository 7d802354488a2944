// A raw voxel file opened as the view's Open does; the raw dialog's answer
// is one of a few layouts, picked by the input's first byte, and the rest
// of the input is the file.
#include "FuzzSupport.h"
#include "data/LoaderFactory.h"

namespace {
struct Layout {
    int x, y, z, bits, littleEndian, offset;
    float sx, sy, sz;
};
// Small grids of both depths and byte orders, with and without a header,
// and odd voxel sizes; the last is larger than most inputs.
constexpr Layout kLayouts[] = {
    {8, 8, 8, 8, 1, 0, 1.0f, 1.0f, 1.0f},     {4, 4, 4, 16, 1, 0, 0.5f, 0.5f, 2.0f},
    {4, 4, 4, 16, 0, 16, 1.0f, 2.0f, 3.0f},   {16, 8, 2, 8, 1, 3, 0.0f, 1.0f, -1.0f},
    {1, 1, 1, 8, 1, 0, 1e-30f, 1e30f, 1.0f},  {3, 5, 7, 16, 0, 1, 1.0f, 1.0f, 1.0f},
    {2, 2, 2, 12, 1, 0, 1.0f, 1.0f, 1.0f},    {64, 64, 64, 8, 1, 0, 1.0f, 1.0f, 1.0f},
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    fuzz::Run run;
    const Layout& l = kLayouts[data[0] % std::size(kLayouts)];
    CRawDialogValues v;
    v.m_nDimX = l.x, v.m_nDimY = l.y, v.m_nDimZ = l.z, v.m_nBits = l.bits;
    v.m_bLittleEndian = l.littleEndian, v.m_nOffset = l.offset;
    v.m_fScaleX = l.sx, v.m_fScaleY = l.sy, v.m_fScaleZ = l.sz;
    // Bit 7: the dialog is cancelled, which ends the open unread.
    run.dialogs.rawAnswers = {{(data[0] & 0x80) == 0, v}};
    const std::string path = run.Write("input.raw", {reinterpret_cast<const char*>(data) + 1, size - 1});
    if (auto series = LoadModelFile(path, "raw"))
        fuzz::TouchSeries(*series);
    return 0;
}
