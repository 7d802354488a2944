#include <limits>

#include <gtest/gtest.h>

#include "FileBytes.h"
#include "data/DataLock.h"
#include "data/DialogRunner.h"
#include "data/RawLoader.h"
#include "data/Volume.h"
#include "support/TempDir.h"

namespace {
CRawDialogValues Layout(int x, int y, int z, int bits, int offset = 0, int littleEndian = 1)
{
    CRawDialogValues v;
    v.m_nDimX = x;
    v.m_nDimY = y;
    v.m_nDimZ = z;
    v.m_nBits = bits;
    v.m_nOffset = offset;
    v.m_bLittleEndian = littleEndian;
    return v;
}

std::unique_ptr<CVolume> LoadRaw(const std::string& path, const CRawDialogValues& layout)
{
    CRawLoader loader(layout);
    CModelSeries series;
    if (!loader.Load(path, series)) {
        EXPECT_TRUE(series.empty()) << "a failed load appends nothing";
        return nullptr;
    }
    EXPECT_EQ(series.size(), 1u);
    return std::unique_ptr<CVolume>(dynamic_cast<CVolume*>(series.front().release()));
}
} // namespace

TEST(CRawLoader, CubeWithAndWithoutOffset)
{
    TempDir dir;
    std::string bytes(2097152, '\0');
    bytes[0] = char(200);
    bytes[1 + 2 * 128 + 3 * 128 * 128] = char(77);
    bytes.back() = char(99);
    const std::string path = dir.Write("cube.raw", bytes);

    CRawDialogValues layout = Layout(128, 128, 128, 8);
    layout.m_fScaleX = 0.5f;
    layout.m_fScaleZ = 2.0f;
    auto v = LoadRaw(path, layout);
    ASSERT_NE(v, nullptr);
    EXPECT_NE(dynamic_cast<CNativeVolume*>(v.get()), nullptr);
    EXPECT_EQ(v->m_pszDescription, "Raw volume data 128x128x128 at 8 bits per voxel.");
    EXPECT_EQ(v->m_fScaleX, 0.5f);
    EXPECT_EQ(v->m_fHalfX, 32.0f);
    EXPECT_EQ(v->m_fHalfZ, 128.0f);
    EXPECT_EQ(v->GetVoxel(0, 0, 0), 200);
    EXPECT_EQ(v->GetVoxel(1, 2, 3), 77) << "x fastest, then y, then z";
    EXPECT_EQ(v->GetVoxel(127, 127, 127), 99);
    EXPECT_EQ(v->m_nLockCount, 0) << "the loader gives its lock back";
    EXPECT_EQ(v->m_histogram.m_nTotal, 128 * 128 * 128) << "the histogram is built";

    EXPECT_EQ(LoadRaw(path, Layout(128, 128, 128, 8, 1)), nullptr) << "one byte short after the offset";
    EXPECT_NE(LoadRaw(dir.Write("long.raw", bytes + "tail"), Layout(128, 128, 128, 8, 1)), nullptr)
        << "bytes after the voxels are ignored";
}

TEST(CRawLoader, SixteenBitByteOrder)
{
    TempDir dir;
    MinAlphaScope alpha(0.0f); // 258 and 513 would otherwise fall under the threshold
    const std::string path = dir.Write("two.raw", std::string("\x01\x02", 2));
    struct Row {
        int littleEndian;
        std::uint16_t value;
    } rows[] = {{0, 258}, {1, 513}};
    for (const Row& r : rows) {
        auto v = LoadRaw(path, Layout(1, 1, 1, 16, 0, r.littleEndian));
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->GetVoxel(0, 0, 0), r.value) << "little-endian " << r.littleEndian;
    }
    // A header before big-endian voxels: the swap starts at the first voxel.
    auto v = LoadRaw(dir.Write("hdr.raw", std::string("HHH\x00\x01\x12\x34", 7)), Layout(2, 1, 1, 16, 3, 0));
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->GetVoxel(0, 0, 0), 1);
    EXPECT_EQ(v->GetVoxel(1, 0, 0), 0x1234);
}

TEST(CRawLoader, RefusedLayouts)
{
    TempDir dir;
    const std::string path = dir.Write("v.raw", std::string(64, '\x05'));
    const int kMax = std::numeric_limits<int>::max();
    struct Row {
        const char* what;
        CRawDialogValues layout;
    } rows[] = {
        {"12 bits", Layout(2, 2, 2, 12)},
        {"0 bits", Layout(2, 2, 2, 0)},
        {"32 bits", Layout(2, 2, 2, 32)},
        {"negative offset", Layout(2, 2, 2, 8, -1)},
        {"most negative offset", Layout(2, 2, 2, 8, std::numeric_limits<int>::min())},
        {"offset past the end", Layout(2, 2, 2, 8, 60)},
        {"zero width", Layout(0, 2, 2, 8)},
        {"negative slices", Layout(2, 2, -2, 8)},
        {"more voxels than can be held", Layout(kMax, kMax, kMax, 16)},
        {"voxel bytes past the size limit", Layout(2048, 2048, 1024, 16)},
        {"more voxels than the file", Layout(4, 4, 4, 16)},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(LoadRaw(path, r.layout), nullptr);
    }
    EXPECT_EQ(LoadRaw(dir.File("missing.raw"), Layout(2, 2, 2, 8)), nullptr);
    EXPECT_NE(LoadRaw(path, Layout(4, 4, 4, 8)), nullptr) << "the rows' file itself loads";
}
