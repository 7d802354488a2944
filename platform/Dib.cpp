#include "platform/Dib.h"

#include <cstring>

namespace {
void Put16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (8 * i));
}

std::uint32_t Get32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

std::uint16_t Get16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }
} // namespace

std::vector<std::uint8_t> MakeDib24(int width, int height, const std::uint8_t* bgr)
{
    if (width <= 0 || height <= 0 || !bgr)
        return {};
    const std::size_t row = DibRowBytes(width);
    const std::size_t pixels = row * std::size_t(height);
    std::vector<std::uint8_t> dib(kDibHeaderSize + pixels, 0);
    std::uint8_t* h = dib.data();
    Put32(h + 0, std::uint32_t(kDibHeaderSize)); // biSize
    Put32(h + 4, std::uint32_t(width));          // biWidth
    Put32(h + 8, std::uint32_t(height));         // biHeight: positive, rows bottom-up
    Put16(h + 12, 1);                            // biPlanes
    Put16(h + 14, 24);                           // biBitCount
    Put32(h + 16, 0);                            // biCompression: BI_RGB
    Put32(h + 20, std::uint32_t(pixels));        // biSizeImage
    // Resolution and palette counts stay 0.
    const std::size_t packed = 3 * std::size_t(width);
    for (int y = 0; y < height; ++y)
        std::memcpy(h + kDibHeaderSize + row * std::size_t(y), bgr + packed * std::size_t(y), packed);
    return dib;
}

bool DibToRgbTopDown(const std::vector<std::uint8_t>& dib, int& width, int& height, std::vector<std::uint8_t>& rgb)
{
    if (dib.size() < kDibHeaderSize)
        return false;
    const std::uint8_t* h = dib.data();
    const std::uint32_t w = Get32(h + 4), hh = Get32(h + 8);
    if (Get32(h) != kDibHeaderSize || Get16(h + 12) != 1 || Get16(h + 14) != 24 || Get32(h + 16) != 0 || w == 0 ||
        hh == 0 || w > 0x7FFFFFFF || hh > 0x7FFFFFFF)
        return false;
    const std::size_t row = DibRowBytes(int(w));
    if ((dib.size() - kDibHeaderSize) / row < hh)
        return false;
    width = int(w);
    height = int(hh);
    rgb.resize(3 * std::size_t(w) * hh);
    for (std::uint32_t y = 0; y < hh; ++y) {
        const std::uint8_t* src = h + kDibHeaderSize + row * (hh - 1 - y);
        std::uint8_t* dst = rgb.data() + 3 * std::size_t(w) * y;
        for (std::uint32_t x = 0; x < w; ++x) {
            dst[3 * x] = src[3 * x + 2];
            dst[3 * x + 1] = src[3 * x + 1];
            dst[3 * x + 2] = src[3 * x];
        }
    }
    return true;
}
