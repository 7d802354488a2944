#pragma once
#include <cstdint>

// A Windows colour value 0x00BBGGRR; the top byte is carried along untouched.
using COLORREF = std::uint32_t;

constexpr COLORREF MakeColorRef(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16);
}
constexpr std::uint8_t GetRValue(COLORREF c) { return std::uint8_t(c & 0xFF); }
constexpr std::uint8_t GetGValue(COLORREF c) { return std::uint8_t((c >> 8) & 0xFF); }
constexpr std::uint8_t GetBValue(COLORREF c) { return std::uint8_t((c >> 16) & 0xFF); }
