#include "app/logic/RSnakeView.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>

namespace {
constexpr int kMaxZoomDrag = 4000; // pointer pixels from zoom 1 to zoom 41

int AtLeastOne(int v) { return v < 1 ? 1 : v; }
} // namespace

void CRSnakeView::Fit(int width, int height)
{
    *this = CRSnakeView{};
    if (width <= 0 || height <= 0)
        return;
    m_nWidth = width;
    m_nHeight = height;
    m_nCentreX = width / 2;
    m_nCentreY = height / 2;
    m_fAspect = float(width) / float(height);
    if (width > height) {
        m_nViewWidth = kRSnakeViewSize;
        m_nViewHeight = AtLeastOne(int(kRSnakeViewSize / m_fAspect + 0.5f));
        m_fPixelScale = float(m_nViewWidth) / float(width);
    } else {
        m_nViewHeight = kRSnakeViewSize;
        m_nViewWidth = AtLeastOne(int(m_fAspect * kRSnakeViewSize + 0.5f));
        m_fPixelScale = float(m_nViewHeight) / float(height);
    }
}

bool CRSnakeView::InView(int x, int y)
{
    return x >= kRSnakeViewLeft && x < kRSnakeViewLeft + kRSnakeViewSize && y >= kRSnakeViewTop &&
           y < kRSnakeViewTop + kRSnakeViewSize;
}

void CRSnakeView::BeginZoom(int x)
{
    m_bZooming = true;
    m_bPanning = false;
    // Rounded, not truncated: 1.3f - 1 is 0.29999995, which would start the
    // drag one step below the zoom shown.
    m_nZoomAnchor = x - int(std::lround((double(m_fZoom) - 1.0) * 100.0));
}

bool CRSnakeView::BeginPan(int x, int y)
{
    if (!(m_fZoom > 1.0f))
        return false;
    m_bPanning = true;
    m_bZooming = false;
    m_nPanMouseX = x;
    m_nPanMouseY = y;
    m_nPanCentreX = m_nCentreX;
    m_nPanCentreY = m_nCentreY;
    return true;
}

bool CRSnakeView::MoveTo(int x, int y)
{
    if (!m_bZooming && !m_bPanning)
        return false;
    if (m_bZooming) {
        int d = x - m_nZoomAnchor;
        if (d < 0) {
            m_nZoomAnchor = x;
            d = 0;
        } else if (d > kMaxZoomDrag) {
            m_nZoomAnchor = x - kMaxZoomDrag;
            d = kMaxZoomDrag;
        }
        m_fZoom = float(1.0 + 0.01 * d);
    }
    if (m_bPanning) {
        m_nCentreX = m_nPanCentreX - int(float(x - m_nPanMouseX) / m_fZoom);
        m_nCentreY = m_nPanCentreY - int(float(y - m_nPanMouseY) / m_fZoom);
    }
    KeepSourceInside();
    return true;
}

RSnakeSource CRSnakeView::Source() const
{
    RSnakeSource s;
    s.left = m_nSourceLeft;
    s.top = m_nSourceTop;
    // A tiny image at a high zoom would round to no pixel at all.
    s.width = AtLeastOne(int(double(m_nWidth) / m_fZoom + 0.5));
    s.height = AtLeastOne(int(double(m_nHeight) / m_fZoom + 0.5));
    return s;
}

void CRSnakeView::KeepSourceInside()
{
    const RSnakeSource s = Source();
    m_nSourceLeft = m_nCentreX - s.width / 2;
    m_nSourceTop = m_nCentreY - s.height / 2;
    if (m_nSourceLeft < 0) {
        m_nSourceLeft = 0;
        m_nCentreX = s.width / 2;
    }
    if (m_nSourceTop < 0) {
        m_nSourceTop = 0;
        m_nCentreY = s.height / 2;
    }
    if (m_nSourceLeft + s.width > m_nWidth) {
        m_nSourceLeft = m_nWidth - s.width;
        m_nCentreX = m_nWidth + s.width / 2 - s.width;
    }
    if (m_nSourceTop + s.height > m_nHeight) {
        m_nSourceTop = m_nHeight - s.height;
        m_nCentreY = m_nHeight + s.height / 2 - s.height;
    }
}

std::vector<int> CRSnakeView::GridLines() const
{
    std::vector<int> lines;
    const float spacing = m_fZoom * m_fPixelScale;
    if (!(spacing > 0.0f))
        return lines;
    for (int k = 0;; ++k) {
        const int at = int(double(k) * spacing + 0.5);
        if (at >= kRSnakeViewSize)
            break;
        // Below one pixel apart several k fall on the same line.
        if (lines.empty() || lines.back() != at)
            lines.push_back(at);
    }
    return lines;
}

void CRSnakeView::Draw(const std::uint8_t* imageRgb, bool gridLines, std::uint8_t* viewRgb) const
{
    std::memset(viewRgb, 0, kRSnakeViewBytes);
    if (!HasImage() || !imageRgb)
        return;
    const RSnakeSource s = Source();
    assert(s.left >= 0 && s.top >= 0 && s.left + s.width <= m_nWidth && s.top + s.height <= m_nHeight);
    const int vw = std::min(m_nViewWidth, kRSnakeViewSize), vh = std::min(m_nViewHeight, kRSnakeViewSize);
    std::vector<int> column(static_cast<std::size_t>(vw));
    for (int x = 0; x < vw; ++x)
        column[std::size_t(x)] = s.left + int(std::int64_t(x) * s.width / vw);
    for (int y = 0; y < vh; ++y) {
        const int row = s.top + int(std::int64_t(y) * s.height / vh);
        const std::uint8_t* src = imageRgb + std::size_t(row) * std::size_t(m_nWidth) * 3;
        std::uint8_t* dst = viewRgb + std::size_t(y) * kRSnakeViewSize * 3;
        for (int x = 0; x < vw; ++x)
            std::memcpy(dst + 3 * x, src + 3 * std::size_t(column[std::size_t(x)]), 3);
    }
    if (!gridLines)
        return;
    static constexpr std::uint8_t kBlue[3] = {0, 0, 255};
    for (int at : GridLines())
        for (int i = 0; i < kRSnakeViewSize; ++i) {
            std::memcpy(viewRgb + (std::size_t(i) * kRSnakeViewSize + std::size_t(at)) * 3, kBlue, 3);
            std::memcpy(viewRgb + (std::size_t(at) * kRSnakeViewSize + std::size_t(i)) * 3, kBlue, 3);
        }
}

std::vector<std::uint8_t> CRSnakeView::GreyImage(const std::uint8_t* plane, int width, int height)
{
    if (width <= 0 || height <= 0 || !plane)
        return {};
    std::vector<std::uint8_t> rgb(std::size_t(width) * std::size_t(height) * 3);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) {
            const std::uint8_t v = plane[std::size_t(c) * std::size_t(height) + std::size_t(r)];
            std::uint8_t* p = rgb.data() + (std::size_t(r) * std::size_t(width) + std::size_t(c)) * 3;
            p[0] = p[1] = p[2] = v;
        }
    return rgb;
}
