#include "processing/ImageFilters.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Copy of the image with `pad` clamped pixels on every side, so the filter
// loops run without per-pixel bounds tests.
std::vector<std::uint8_t> PaddedCopy(const std::uint8_t* image, int width, int height, int pad)
{
    const int pw = width + 2 * pad;
    const int ph = height + 2 * pad;
    std::vector<std::uint8_t> out(std::size_t(pw) * std::size_t(ph));
    for (int r = 0; r < ph; ++r) {
        const std::uint8_t* src = image + std::size_t(std::clamp(r - pad, 0, height - 1)) * width;
        std::uint8_t* dst = out.data() + std::size_t(r) * pw;
        for (int c = 0; c < pw; ++c)
            dst[c] = src[std::clamp(c - pad, 0, width - 1)];
    }
    return out;
}

} // namespace

void SobelMagnitude(int width, std::uint8_t* image, int height)
{
    if (width <= 0 || height <= 0)
        return;
    const std::vector<std::uint8_t> pad = PaddedCopy(image, width, height, 1);
    const int pw = width + 2;
    for (int r = 0; r < height; ++r) {
        const std::uint8_t* a = pad.data() + std::size_t(r) * pw; // row above
        const std::uint8_t* m = a + pw;
        const std::uint8_t* b = m + pw;
        std::uint8_t* out = image + std::size_t(r) * width;
        for (int c = 0; c < width; ++c) {
            const int gx = (a[c + 2] - a[c]) + 2 * (m[c + 2] - m[c]) + (b[c + 2] - b[c]);
            const int gy = (b[c] + 2 * b[c + 1] + b[c + 2]) - (a[c] + 2 * a[c + 1] + a[c + 2]);
            const double g = std::sqrt(double(gx * gx + gy * gy)) / 4.0;
            out[c] = g > 255.0 ? 255 : std::uint8_t(g);
        }
    }
}

void MakeGaussianKernel(double* kernel, int n)
{
    if (n < 1)
        return;
    const int h = n / 2;
    if (h == 0) {
        kernel[0] = 1.0;
        return;
    }
    const double s = double(h) * h / (2.0 * std::log(10.0));
    double sum = 0.0;
    for (int i = -h; i <= h; ++i)
        for (int j = -h; j <= h; ++j) {
            const double w = std::exp(-double(i * i + j * j) / (2.0 * s));
            kernel[(i + h) * n + (j + h)] = w;
            sum += w;
        }
    for (int k = 0; k < n * n; ++k)
        kernel[k] /= sum;
}

void Convolve2D(int width, std::uint8_t* image, int height, const double* kernel, int n)
{
    if (width <= 0 || height <= 0 || n < 1)
        return;
    const int h = n / 2;
    const std::vector<std::uint8_t> pad = PaddedCopy(image, width, height, h);
    const int pw = width + 2 * h;
    std::vector<double> acc(static_cast<std::size_t>(width));
    for (int r = 0; r < height; ++r) {
        std::fill(acc.begin(), acc.end(), 0.0);
        // Row offset outermost, column offset next: every pixel sums its
        // terms in the same order as a per-pixel double loop would.
        for (int k = 0; k < n; ++k) {
            const std::uint8_t* row = pad.data() + std::size_t(r + k) * pw;
            for (int l = 0; l < n; ++l) {
                const double w = kernel[k * n + l];
                const std::uint8_t* src = row + l;
                for (int c = 0; c < width; ++c)
                    acc[std::size_t(c)] += w * src[c];
            }
        }
        std::uint8_t* out = image + std::size_t(r) * width;
        for (int c = 0; c < width; ++c)
            out[c] = std::uint8_t(std::clamp(int(acc[std::size_t(c)]), 0, 255));
    }
}

void FloodFill4(std::uint8_t* image, int x, int y, int width, int height, std::uint8_t value)
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return;
    const std::size_t start = std::size_t(y) * width + x;
    if (image[start] == value)
        return;
    // Pixels are set when pushed, so each enters the stack once and the stack
    // never needs more than one entry per pixel.
    std::vector<std::int32_t> stack;
    stack.reserve(1024);
    image[start] = value;
    stack.push_back(std::int32_t(start));
    while (!stack.empty()) {
        const std::int32_t p = stack.back();
        stack.pop_back();
        const int px = p % width;
        const int py = p / width;
        auto visit = [&](std::int32_t q) {
            if (image[q] != value) {
                image[q] = value;
                stack.push_back(q);
            }
        };
        if (px < width - 1)
            visit(p + 1);
        if (px > 0)
            visit(p - 1);
        if (py < height - 1)
            visit(p + width);
        if (py > 0)
            visit(p - width);
    }
}
