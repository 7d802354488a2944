#include "app/dialogs/MarkerView.h"

#include <cstdio>

#include "processing/SliceImage.h"
#include "processing/Snake.h"

namespace {
float Coordinate(const SeedPoint& p, int axis) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; }

int MapToView(float value, int span, int length, int from)
{
    return length > 0 ? from + int(value * float(span) / float(length) + 0.5f) : from;
}

// Visits each node of a contour once, head first; a broken ring ends early.
template <class F> void ForEachNode(CSnake& snake, F&& visit)
{
    CSnakeNode* node = snake.m_pHead;
    for (int i = 0; node && i < snake.m_nCount; ++i, node = node->m_pNext)
        visit(*node);
}
} // namespace

MarkerViewRect MarkerView(const CSliceArea& area)
{
    const SlicePlacement p = area.Fit(SliceRounding::kNearest);
    return {p.left, p.top, p.left + p.width - 1, p.top + p.height - 1};
}

bool PickMarkerVoxel(const CSliceArea& area, const MarkerViewRect& view, int x, int y, int voxel[3])
{
    if (!view.Contains(x, y))
        return false;
    const SlicePlacement p{view.left, view.top, view.SpanX() + 1, view.SpanY() + 1};
    area.PickVoxel(x, y, p, view.SpanX(), view.SpanY(), voxel);
    return true;
}

bool SeedOnSlice(const SeedPoint& p, int axis, int slice) { return int(Coordinate(p, axis)) == slice; }

bool AnySeedOnSlice(const std::vector<SeedPoint>& list, int axis, int slice)
{
    for (const SeedPoint& p : list)
        if (SeedOnSlice(p, axis, slice))
            return true;
    return false;
}

std::string SeedText(const SeedPoint& p)
{
    char text[48];
    std::snprintf(text, sizeof text, "(%d, %d, %d)", int(p.x), int(p.y), int(p.z));
    return text;
}

int AddSeed(std::vector<SeedPoint>& list, const int voxel[3])
{
    list.push_back({float(voxel[0]), float(voxel[1]), float(voxel[2])});
    return int(list.size()) - 1;
}

bool RemoveSeed(std::vector<SeedPoint>& list, long itemData)
{
    if (itemData < 0 || std::size_t(itemData) >= list.size())
        return false;
    list.erase(list.begin() + itemData);
    return true;
}

MarkerButtons MarkerButtonsFor(const CVolume& volume, bool inOnSlice, bool outOnSlice)
{
    return {!volume.m_aInPoints.empty() && !volume.m_aOutPoints.empty(), inOnSlice && outOnSlice};
}

bool DrawSeedMarks(CRgbPicture& out, const CSliceArea& area, const MarkerViewRect& view,
                   const std::vector<SeedPoint>& list, RgbColour colour)
{
    const int axis = area.Axis(), across = area.ColumnAxis(), down = area.RowAxis();
    bool any = false;
    for (const SeedPoint& p : list) {
        if (!SeedOnSlice(p, axis, area.CurrentSlice()))
            continue;
        any = true;
        const int u = MapToView(Coordinate(p, across), view.SpanX(), area.Dim(across), view.left);
        const int v = MapToView(Coordinate(p, down), view.SpanY(), area.Dim(down), view.top);
        for (int y = v - 2; y <= v + 2; ++y)
            for (int x = u - 2; x <= u + 2; ++x)
                out.Put(x, y, colour);
    }
    return any;
}

void DrawContourEdges(CRgbPicture& out, CSliceImage& image, const MarkerViewRect& view)
{
    auto at = [&](CSnakeNode& n) {
        const float* p = n.GetPosition();
        return PixelPoint{MapToView(p[0], view.SpanX(), image.m_nWidth, view.left),
                          MapToView(p[1], view.SpanY(), image.m_nHeight, view.top)};
    };
    for (const auto& contour : image.m_aContours) {
        if (!contour || !contour->m_pHead)
            continue;
        const PixelPoint head = at(*contour->m_pHead);
        PixelPoint from = head;
        ForEachNode(*contour, [&](CSnakeNode& n) {
            const PixelPoint to = at(n);
            DrawSegment(out, from.x, from.y, to.x, to.y, kContourYellow);
            from = to;
        });
        DrawSegment(out, from.x, from.y, head.x, head.y, kContourYellow);
    }
}

void DrawContourMeans(CRgbPicture& out, CSliceImage& image, const MarkerViewRect& view)
{
    for (const auto& contour : image.m_aContours) {
        if (!contour)
            continue;
        float meanY = 0, meanX = 0;
        contour->GetCentroid(meanY, meanX);
        const int x = MapToView(meanX, view.SpanX(), image.m_nWidth, view.left);
        const int y = MapToView(meanY, view.SpanY(), image.m_nHeight, view.top);
        DrawCircle(out, x, y, 2, kContourYellow);
        DrawCircle(out, x, y, 4, kContourYellow);
    }
}

CRgbPicture MarkerAreaPicture(const std::uint8_t* plane, int columns, int rows, const SlicePlacement& placement)
{
    CRgbPicture picture(
        PixelRect{kSliceAreaLeft, kSliceAreaTop, kSliceAreaLeft + kSliceAreaSize, kSliceAreaTop + kSliceAreaSize});
    static_assert(kSliceAreaBytes == kSliceAreaSize * kSliceAreaSize * 3);
    DrawSliceArea(plane, columns, rows, placement, picture.Row(kSliceAreaTop));
    return picture;
}
