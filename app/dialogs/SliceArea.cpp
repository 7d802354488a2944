#include "app/dialogs/SliceArea.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>

#include "data/Volume.h"
#include "data/VoxelSize.h"

SlicePlacement FitSlice(double width, double height, int voxelsWide, int voxelsHigh, SliceRounding rounding)
{
    if (!(width > 0) || !(height > 0) || !std::isfinite(width) || !std::isfinite(height)) {
        width = std::max(voxelsWide, 1);
        height = std::max(voxelsHigh, 1);
    }
    const double round = rounding == SliceRounding::kNearest ? 0.5 : 0.0;
    SlicePlacement p;
    if (height > width) {
        p.height = kSliceAreaSize;
        p.width = std::max(1, int(width / height * kSliceAreaSize + round));
        p.left = kSliceAreaLeft + (kSliceAreaSize - p.width) / 2;
    } else {
        p.width = kSliceAreaSize;
        p.height = std::max(1, int(height / width * kSliceAreaSize + round));
        p.top = kSliceAreaTop + (kSliceAreaSize - p.height) / 2;
    }
    return p;
}

int PickIndex(int p, int from, int span, int dim)
{
    if (span <= 0 || dim <= 0)
        return 0;
    // Clamped before it becomes an int: far off the image, a large axis
    // would give an index beyond any int.
    const double index = double(p - from) / double(span) * dim + 0.5;
    return int(std::clamp(index, 0.0, double(dim - 1)));
}

void DrawSliceArea(const std::uint8_t* slice, int columns, int rows, const SlicePlacement& placement,
                   std::uint8_t* rgb)
{
    std::memset(rgb, 0, kSliceAreaBytes);
    if (!slice || columns <= 0 || rows <= 0)
        return;
    const int x0 = placement.left - kSliceAreaLeft, y0 = placement.top - kSliceAreaTop;
    assert(x0 >= 0 && y0 >= 0 && x0 + placement.width <= kSliceAreaSize && y0 + placement.height <= kSliceAreaSize);
    for (int j = 0; j < placement.height; ++j) {
        const std::int64_t row = std::int64_t(j) * rows / placement.height;
        std::uint8_t* out = rgb + (std::size_t(y0 + j) * kSliceAreaSize + x0) * 3;
        for (int i = 0; i < placement.width; ++i, out += 3) {
            const std::int64_t column = std::int64_t(i) * columns / placement.width;
            out[0] = out[1] = out[2] = slice[column * rows + row];
        }
    }
}

void CSliceArea::Init(CVolume* volume)
{
    FreePlaneBuffers();
    *this = CSliceArea();
    m_pVolume = volume;
    if (!volume)
        return;
    const int dims[3] = {volume->m_nDimX, volume->m_nDimY, volume->m_nDimZ};
    const float scales[3] = {volume->m_fScaleX, volume->m_fScaleY, volume->m_fScaleZ};
    for (int a = 0; a < 3; ++a) {
        m_nDim[a] = std::max(dims[a], 0);
        m_nExtent[a] = TruncToInt32(double(m_nDim[a]) * double(scales[a]) + 0.5);
        m_nSlice[a] = m_nDim[a] / 2;
    }
    AllocPlaneBuffers();
}

void CSliceArea::AllocPlaneBuffers()
{
    FreePlaneBuffers();
    for (int a = 0; a < 3; ++a) {
        m_nPlaneSize[a] = std::int64_t(m_nDim[(a + 1) % 3]) * m_nDim[(a + 2) % 3];
        if (m_nPlaneSize[a] > 0)
            m_pPlane[a].assign(std::size_t(m_nPlaneSize[a]), 0);
        m_nLoaded[a] = -1;
    }
}

void CSliceArea::FreePlaneBuffers()
{
    for (int a = 0; a < 3; ++a) {
        m_pPlane[a] = std::vector<std::uint8_t>();
        m_nPlaneSize[a] = 0;
        m_nLoaded[a] = -1;
    }
}

void CSliceArea::ForgetPlanes()
{
    for (int& loaded : m_nLoaded)
        loaded = -1;
}

void CSliceArea::SetAxis(int axis) { m_nAxis = std::clamp(axis, 0, 2); }

void CSliceArea::SetCurrentSlice(int slice) { m_nSlice[m_nAxis] = std::clamp(slice, 0, std::max(Dim(m_nAxis) - 1, 0)); }

int CSliceArea::ColumnAxis() const { return m_nAxis == 0 ? 2 : 0; }

int CSliceArea::RowAxis() const { return m_nAxis == 1 ? 2 : 1; }

SlicePlacement CSliceArea::Fit(SliceRounding rounding) const
{
    const int c = ColumnAxis(), r = RowAxis();
    return FitSlice(m_nExtent[c], m_nExtent[r], m_nDim[c], m_nDim[r], rounding);
}

void CSliceArea::PickVoxel(int x, int y, const SlicePlacement& placement, int spanX, int spanY, int voxel[3]) const
{
    Crossing(voxel);
    voxel[ColumnAxis()] = PickIndex(x, placement.left, spanX, m_nDim[ColumnAxis()]);
    voxel[RowAxis()] = PickIndex(y, placement.top, spanY, m_nDim[RowAxis()]);
}

void CSliceArea::Crossing(int voxel[3]) const
{
    for (int a = 0; a < 3; ++a)
        voxel[a] = m_nSlice[a];
}

const std::uint8_t* CSliceArea::Plane()
{
    std::vector<std::uint8_t>& plane = m_pPlane[m_nAxis];
    if (plane.empty())
        return nullptr;
    const int slice = CurrentSlice();
    if (m_nLoaded[m_nAxis] != slice) {
        if (!m_pVolume || !m_pVolume->ReadPlaneView(m_nAxis, slice, plane.data()))
            std::fill(plane.begin(), plane.end(), std::uint8_t(0));
        m_nLoaded[m_nAxis] = slice;
    }
    return plane.data();
}

void CSliceArea::Draw(const SlicePlacement& placement, std::uint8_t* rgb)
{
    DrawSliceArea(Plane(), m_nDim[ColumnAxis()], m_nDim[RowAxis()], placement, rgb);
}
