#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Dib.h"

namespace {
std::vector<std::uint8_t> Le32(std::uint32_t v) { return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)}; }

std::vector<std::uint8_t> Header(std::uint32_t w, std::uint32_t h, std::uint32_t imageSize)
{
    std::vector<std::uint8_t> out;
    for (auto part : {Le32(40), Le32(w), Le32(h), std::vector<std::uint8_t>{1, 0, 24, 0}, Le32(0), Le32(imageSize),
                      Le32(0), Le32(0), Le32(0), Le32(0)})
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// Pixel (x, y) of a w x h test image, y from the bottom: B, G, R.
std::vector<std::uint8_t> Pixels(int w, int h)
{
    std::vector<std::uint8_t> p;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.insert(p.end(), {std::uint8_t(10 * x + y), std::uint8_t(100 + y), std::uint8_t(200 + x)});
    return p;
}
} // namespace

// The clipboard's bitmap, byte for byte: the 40-byte header (width, height,
// one plane, 24 bits, no compression, the image size, zeros), then the rows
// bottom first as they were read; a width whose rows are no multiple of 4
// bytes gets zero padding.
TEST(Dib, BytesOfSmallImages)
{
    const std::vector<std::uint8_t> four = Pixels(4, 2);
    std::vector<std::uint8_t> want = Header(4, 2, 24);
    want.insert(want.end(), four.begin(), four.end());
    EXPECT_EQ(MakeDib24(4, 2, four.data()), want);

    const std::vector<std::uint8_t> three = Pixels(3, 2); // rows of 9 bytes, padded to 12
    want = Header(3, 2, 24);
    for (int y = 0; y < 2; ++y) {
        want.insert(want.end(), three.begin() + 9 * y, three.begin() + 9 * (y + 1));
        want.insert(want.end(), {0, 0, 0});
    }
    EXPECT_EQ(MakeDib24(3, 2, three.data()), want);

    // The image size is ((24 w + 31) / 8 rounded down to 4) x h.
    EXPECT_EQ(DibRowBytes(200), 600u);
    EXPECT_EQ(DibRowBytes(1), 4u);
    EXPECT_EQ(DibRowBytes(5), 16u);
    const std::vector<std::uint8_t> wide(3 * 200 * 3, 7);
    const std::vector<std::uint8_t> dib = MakeDib24(200, 3, wide.data());
    EXPECT_EQ(dib.size(), 40u + 1800u);
    EXPECT_EQ(std::vector<std::uint8_t>(dib.begin() + 20, dib.begin() + 24), Le32(1800));

    EXPECT_TRUE(MakeDib24(0, 2, four.data()).empty());
    EXPECT_TRUE(MakeDib24(4, 0, four.data()).empty());
    EXPECT_TRUE(MakeDib24(4, 2, nullptr).empty());
}

// What goes on the clipboard as an image: the same pixels, top row first,
// red first; bytes that are no such bitmap are refused.
TEST(Dib, ReadBackAsAnImage)
{
    const std::vector<std::uint8_t> bgr = Pixels(3, 2);
    int w = 0, h = 0;
    std::vector<std::uint8_t> rgb;
    ASSERT_TRUE(DibToRgbTopDown(MakeDib24(3, 2, bgr.data()), w, h, rgb));
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
    std::vector<std::uint8_t> want;
    for (int y = 1; y >= 0; --y)
        for (int x = 0; x < 3; ++x)
            want.insert(want.end(), {std::uint8_t(200 + x), std::uint8_t(100 + y), std::uint8_t(10 * x + y)});
    EXPECT_EQ(rgb, want);

    const std::vector<std::uint8_t> good = MakeDib24(3, 2, bgr.data());
    auto changed = [&](std::size_t at, std::uint8_t v) {
        std::vector<std::uint8_t> d = good;
        d[at] = v;
        return d;
    };
    const std::vector<std::vector<std::uint8_t>> bad = {
        {},
        std::vector<std::uint8_t>(good.begin(), good.begin() + 39),
        std::vector<std::uint8_t>(good.begin(), good.end() - 1), // a row short
        changed(0, 41),                                          // header size
        changed(14, 32),                                         // bits
        changed(16, 1),                                          // compressed
        changed(4, 0),                                           // no width
        changed(11, 0x80),                                       // top-down (negative height)
    };
    for (const auto& d : bad)
        EXPECT_FALSE(DibToRgbTopDown(d, w, h, rgb)) << d.size();
}
