#pragma once
// The device-independent bitmap of the clipboard: a 40-byte
// BITMAPINFOHEADER followed by 24-bit rows, bottom row first, each row of
// blue, green, red bytes padded to a multiple of 4 bytes. All fields are
// little-endian.
#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr std::size_t kDibHeaderSize = 40;

// Bytes in one 24-bit row of `width` pixels, padding included.
constexpr std::size_t DibRowBytes(int width)
{
    return ((24 * std::size_t(width) + 31) / 8) & ~std::size_t(3);
}

// The bitmap of `width` x `height` pixels from `bgr`: rows of 3 x width
// bytes, bottom row first, without padding (as glReadPixels gives them with
// a pack alignment of 1, or of 4 when 3 x width is a multiple of 4). Empty
// for a size of 0 or less.
std::vector<std::uint8_t> MakeDib24(int width, int height, const std::uint8_t* bgr);

// The pixels of such a bitmap as RGB bytes, top row first, for an image
// whose rows run downward; false for bytes that are no 24-bit bitmap of
// this kind.
bool DibToRgbTopDown(const std::vector<std::uint8_t>& dib, int& width, int& height, std::vector<std::uint8_t>& rgb);
