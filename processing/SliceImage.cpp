#include "processing/SliceImage.h"

#include <algorithm>
#include <cstring>

#include "data/AppSettings.h"
#include "data/Volume.h"
#include "processing/ActiveContour.h"
#include "processing/ImageFilters.h"
#include "processing/RSnake.h"

namespace {

constexpr int kGaussianSize = 9;

std::unique_ptr<std::uint8_t[]> NewBuffer(int size)
{
    // A negative size would wrap to an impossible allocation.
    return std::make_unique<std::uint8_t[]>(std::size_t(std::max(size, 0)));
}

// trunc((v - lo) * (1 / range) * 255) with range = hi - lo, 1 when flat.
template <typename T>
void StretchInto(const T* v, int size, std::uint8_t* out)
{
    if (size <= 0)
        return;
    T lo = v[0], hi = v[0];
    for (int i = 1; i < size; ++i) {
        lo = std::min(lo, v[i]);
        hi = std::max(hi, v[i]);
    }
    double range = double(hi) - double(lo);
    if (range == 0.0)
        range = 1.0;
    const double scale = 1.0 / range;
    for (int i = 0; i < size; ++i)
        out[i] = std::uint8_t((double(v[i]) - double(lo)) * scale * 255.0);
}

} // namespace

CSliceImage::CSliceImage(const std::uint8_t* slice, int width, int height)
{
    const VolumeSize size = ComputeVolumeSize(width, height, 1, 8);
    if (size.ok) {
        m_nWidth = width;
        m_nHeight = height;
        m_nSize = int(size.voxels);
    }
    m_pPixels = NewBuffer(m_nSize);
    m_pLabels = NewBuffer(m_nSize);
    for (int c = 0; c < m_nWidth; ++c) {
        const std::uint8_t* col = slice + std::size_t(c) * m_nHeight;
        for (int r = 0; r < m_nHeight; ++r)
            m_pPixels[std::size_t(r) * m_nWidth + c] = col[r];
    }
}

CSliceImage::~CSliceImage()
{
    ClearContours();
}

void CSliceImage::ClearContours()
{
    for (auto& contour : m_aContours) {
        contour->Clear();
        contour.reset();
    }
    m_aContours.clear();
}

void CSliceImage::GetImage(int kind, bool derived, bool invert, bool keepValues, std::uint8_t* out)
{
    const int w = m_nWidth;
    const int h = m_nHeight;
    if (derived) {
        const std::uint8_t* src = nullptr;
        switch (kind) {
        case kOriginal:
            src = m_pPixels.get();
            break;
        case kSmoothed:
            if (!m_pSmoothed)
                Smooth();
            src = m_pSmoothed.get();
            break;
        case kGradient:
            if (!m_pStretched)
                StretchGradient();
            src = m_pStretched.get();
            break;
        case kEnergy:
            if (!m_pEnergy)
                ComputeInverseGradient();
            src = m_pEnergy.get();
            break;
        default:
            return;
        }
        for (int c = 0; c < w; ++c)
            for (int r = 0; r < h; ++r)
                out[std::size_t(c) * h + r] = src[std::size_t(r) * w + c];
        return;
    }
    for (int c = 0; c < w; ++c)
        for (int r = 0; r < h; ++r) {
            const bool object = (m_pLabels[std::size_t(r) * w + c] == kObjectLabel) != invert;
            std::uint8_t& o = out[std::size_t(c) * h + r];
            if (!object)
                o = 0;
            else if (!keepValues)
                o = 127;
        }
}

void CSliceImage::Smooth()
{
    m_pSmoothed = NewBuffer(m_nSize);
    std::memcpy(m_pSmoothed.get(), m_pPixels.get(), std::size_t(m_nSize));
    double kernel[kGaussianSize * kGaussianSize];
    MakeGaussianKernel(kernel, kGaussianSize);
    Convolve2D(m_nWidth, m_pSmoothed.get(), m_nHeight, kernel, kGaussianSize);
}

void CSliceImage::ComputeGradient()
{
    if (!m_pSmoothed)
        Smooth();
    m_pGradient = NewBuffer(m_nSize);
    std::memcpy(m_pGradient.get(), m_pSmoothed.get(), std::size_t(m_nSize));
    SobelMagnitude(m_nWidth, m_pGradient.get(), m_nHeight);
}

void CSliceImage::StretchGradient()
{
    if (!m_pGradient)
        ComputeGradient();
    m_pStretched = NewBuffer(m_nSize);
    StretchInto(m_pGradient.get(), m_nSize, m_pStretched.get());
}

void CSliceImage::ComputeInverseGradient()
{
    if (!m_pGradient)
        ComputeGradient();
    std::vector<double> e(static_cast<std::size_t>(m_nSize));
    for (int i = 0; i < m_nSize; ++i)
        e[std::size_t(i)] = 255.0 / (double(m_pGradient[i]) + 1.0);
    m_pEnergy = NewBuffer(m_nSize);
    StretchInto(e.data(), m_nSize, m_pEnergy.get());
}

void CSliceImage::BuildContours()
{
    ClearContours();
    const int w = m_nWidth;
    const int h = m_nHeight;
    if (m_nSize <= 0)
        return;
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(m_nSize));
    for (int i = 0; i < m_nSize; ++i)
        mask[std::size_t(i)] = m_pLabels[i] == kObjectLabel ? kObjectLabel : 0;

    static constexpr int kDx[8] = {1, 1, 0, -1, -1, -1, 0, 1};
    static constexpr int kDy[8] = {0, -1, -1, -1, 0, 1, 1, 1};
    auto set = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < w && y < h && mask[std::size_t(y) * w + x] != 0;
    };
    // Bounds a trace that would otherwise never come back to its start.
    const std::int64_t maxSteps = 8 * std::int64_t(m_nSize);
    const int type = CAppSettings::GetInstance()->m_nContourType;

    std::size_t start = 0;
    for (;;) {
        while (start < mask.size() && mask[start] == 0)
            ++start;
        if (start >= mask.size())
            break;
        const int sx = int(start % std::size_t(w));
        const int sy = int(start / std::size_t(w));

        std::unique_ptr<CSnake> contour;
        if (type == 1)
            contour = std::make_unique<CRSnake>(this, w, h);
        else
            contour = std::make_unique<CActiveContour>(this, w, h);

        int x = sx, y = sy, d = 7;
        for (std::int64_t steps = 0; steps < maxSteps; ++steps) {
            contour->AddPoint(float(x), float(y));
            int dir = (d % 2 == 0) ? (d + 7) % 8 : (d + 6) % 8;
            int looks = 0;
            while (looks < 8 && !set(x + kDx[dir], y + kDy[dir])) {
                dir = (dir + 1) % 8;
                ++looks;
            }
            if (looks == 8)
                break;
            x += kDx[dir];
            y += kDy[dir];
            d = dir;
            if (x == sx && y == sy)
                break;
        }
        m_aContours.push_back(std::move(contour));
        FloodFill4(mask.data(), sx, sy, w, h, 0);
        start = std::size_t(sy) * std::size_t(w);
    }
}
