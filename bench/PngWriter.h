#pragma once
// A minimal PNG writer for screenshots of offscreen renders: 8-bit RGB,
// one zlib stream, no filtering.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <zlib.h>

namespace png {

inline void Chunk(std::FILE* f, const char type[4], const std::vector<std::uint8_t>& data)
{
    auto be32 = [&](std::uint32_t v) {
        const std::uint8_t b[4] = {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8),
                                   std::uint8_t(v)};
        std::fwrite(b, 1, 4, f);
    };
    be32(std::uint32_t(data.size()));
    std::fwrite(type, 1, 4, f);
    if (!data.empty())
        std::fwrite(data.data(), 1, data.size(), f);
    uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(type), 4);
    if (!data.empty())
        crc = crc32(crc, data.data(), uInt(data.size()));
    be32(std::uint32_t(crc));
}

// RGBA pixels bottom row first, as glReadPixels gives them.
inline bool WriteRgbaBottomUp(const std::string& path, const std::uint8_t* rgba, int w, int h)
{
    std::vector<std::uint8_t> raw;
    raw.reserve(std::size_t(h) * (1 + 3 * std::size_t(w)));
    for (int y = h - 1; y >= 0; --y) {
        raw.push_back(0);
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)
                raw.push_back(rgba[(std::size_t(y) * w + x) * 4 + c]);
    }
    uLongf size = compressBound(uLong(raw.size()));
    std::vector<std::uint8_t> z(size);
    if (compress2(z.data(), &size, raw.data(), uLong(raw.size()), 9) != Z_OK)
        return false;
    z.resize(size);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    static const std::uint8_t sig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::fwrite(sig, 1, 8, f);
    std::vector<std::uint8_t> ihdr = {std::uint8_t(w >> 24), std::uint8_t(w >> 16), std::uint8_t(w >> 8),
                                      std::uint8_t(w),       std::uint8_t(h >> 24), std::uint8_t(h >> 16),
                                      std::uint8_t(h >> 8),  std::uint8_t(h),       8, 2, 0, 0, 0};
    Chunk(f, "IHDR", ihdr);
    Chunk(f, "IDAT", z);
    Chunk(f, "IEND", {});
    return std::fclose(f) == 0;
}

} // namespace png
