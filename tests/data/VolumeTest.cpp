#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "VolumeFixtures.h"
#include "data/Volume.h"

TEST(CVolume, SizeHelperRefusesWhatWouldWrap)
{
    struct Row {
        std::int64_t x, y, z;
        int bits;
        bool ok;
        std::int64_t voxels;
    };
    const Row rows[] = {
        {3, 4, 5, 8, true, 60},
        {3, 4, 5, 16, true, 60},
        {65537, 65537, 1, 8, false, 0}, // wraps to 131073 in 32 bits
        {-2, -3, 4, 8, false, 0},       // two negatives multiply to a positive
        {0, 10, 10, 8, false, 0},
        {10, 10, 10, 12, false, 0},
        {10, 10, 10, 0, false, 0},
        {46341, 46341, 1, 8, false, 0},   // just over INT32_MAX voxels
        {32768, 32768, 1, 16, false, 0},  // 2^30 voxels but 2^31 bytes
        {32768, 32767, 2, 8, true, 2147418112},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.x << "x" << r.y << "x" << r.z << "@" << r.bits);
        VolumeSize s = ComputeVolumeSize(r.x, r.y, r.z, r.bits);
        EXPECT_EQ(s.ok, r.ok);
        if (r.ok) {
            EXPECT_EQ(s.voxels, r.voxels);
            EXPECT_EQ(s.bytes, r.voxels * (r.bits / 8));
        }
    }
}

TEST(CVolume, AllocateIsZeroFilledAndRefusesBadShapes)
{
    CVolume vol(3, 4, 5, 16);
    ASSERT_NE(vol.m_pData, nullptr);
    EXPECT_EQ(vol.m_nVoxels, 60);
    EXPECT_EQ(vol.m_nDataBytes, 120u);
    EXPECT_EQ(vol.m_nBytesPerVoxel, 2);
    for (std::uint32_t i = 0; i < vol.m_nDataBytes; ++i)
        ASSERT_EQ(vol.m_pData[i], 0) << i;

    struct Row {
        int x, y, z, bits;
    };
    const Row bad[] = {{65537, 65537, 1, 8}, {-2, -3, 4, 8}, {0, 4, 5, 8}, {3, 4, 5, 12}};
    for (const Row& r : bad) {
        CVolume v(r.x, r.y, r.z, r.bits);
        EXPECT_EQ(v.m_pData, nullptr);
        EXPECT_EQ(v.m_nVoxels, 0);
        EXPECT_EQ(v.m_nDataBytes, 0u);
        EXPECT_FALSE(v.Allocate());
        // Nothing to read or write, and nothing is touched.
        v.SetVoxel(0, 0, 0, 5);
        EXPECT_EQ(v.GetVoxel(0, 0, 0), 0);
        EXPECT_EQ(v.LockData(), nullptr);
    }
}

TEST(CVolume, GeometryAndVoxelSize)
{
    CVolume vol(10, 20, 30, 8);
    vol.SetVoxelSize(1, 1, 2);
    EXPECT_FLOAT_EQ(vol.GetSize(), std::sqrt(100.0f + 400.0f + 3600.0f));
    CVector3 a, b;
    vol.GetBounds(a, b);
    EXPECT_EQ(a, CVector3(-5, 10, 30));
    EXPECT_EQ(b, CVector3(5, -10, -30));
    vol.UpdateCentre();
    EXPECT_EQ(vol.m_vCentre, CVector3(0, 0, 0));
    EXPECT_FLOAT_EQ(vol.m_fHalfZ, 30.0f);

    CVolume five(5, 1, 1, 8);
    EXPECT_EQ(five.m_fHalfX, 0.0f); // until the voxel size is set
    five.SetVoxelSize(0.7f, 1, 1);
    EXPECT_FLOAT_EQ(five.m_fHalfX, 2.0f); // 3.5 rounds to 4
    EXPECT_FLOAT_EQ(five.m_fHalfY, 0.5f);
}

TEST(CVolume, KindsAndInfoTexts)
{
    struct Row {
        std::unique_ptr<CVolume> vol;
        std::string description;
        bool rgb;
    };
    Row rows[6];
    rows[0] = {std::make_unique<CVolume>(2, 3, 4, 8), "", false};
    rows[1] = {std::make_unique<CNativeVolume>(), "Native Vexilo volume data.", false};
    rows[2] = {std::make_unique<CNativeVolume>(2, 3, 4, 16), "Raw volume data 2x3x4 at 16 bits per voxel.", false};
    rows[3] = {std::make_unique<CDicomVolume>(), "Volume data from DICOM file(s).", false};
    rows[4] = {std::make_unique<CRgbVolume>(), "Native Vexilo RGB volume data", true};
    rows[5] = {std::make_unique<CRgbVolume>(2, 3, 4), "RGB volume data 2x3x4.", true};
    for (Row& r : rows) {
        SCOPED_TRACE(r.description);
        EXPECT_EQ(r.vol->m_strType, "Volume");
        EXPECT_TRUE(r.vol->IsVolume());
        EXPECT_FALSE(r.vol->IsMesh());
        EXPECT_EQ(r.vol->m_bRgb, r.rgb);
        const std::string info = r.vol->GetInfo();
        EXPECT_EQ(info.rfind(r.description + "\r\nDimensions ", 0), 0u) << info;
        EXPECT_EQ(r.vol->m_strInfo, info);
    }
    EXPECT_EQ(rows[2].vol->GetInfo(), "Raw volume data 2x3x4 at 16 bits per voxel.\r\nDimensions 2x3x4 at 16 bits per "
                                      "voxel\r\nScaling 1.000000, 1.000000, 1.000000\r\nMemory 48 bytes");
    auto* rgb = static_cast<CRgbVolume*>(rows[5].vol.get());
    EXPECT_EQ(rgb->m_nBits, 8);
    EXPECT_EQ(rgb->m_nColourBytes, 72);
    EXPECT_NE(rgb->m_pColour, nullptr);
    EXPECT_EQ(static_cast<CRgbVolume*>(rows[4].vol.get())->m_pColour, nullptr);
}

TEST(CVolume, VoxelAccessInMemory)
{
    CVolume vol(3, 4, 5, 16);
    vol.SetVoxel(1, 2, 3, 0xABCD);
    const int i = 1 + (2 + 3 * 4) * 3;
    EXPECT_EQ(vol.m_pData[2 * i], 0xCD); // little-endian
    EXPECT_EQ(vol.m_pData[2 * i + 1], 0xAB);
    EXPECT_EQ(vol.GetVoxel(1, 2, 3), 0xABCD);

    CVolume bytes(3, 4, 5, 8);
    bytes.SetVoxel(2, 3, 4, 0x1FF); // low 8 bits only
    EXPECT_EQ(bytes.GetVoxel(2, 3, 4), 0xFF);

    // Outside on any side, negative included: reads 0, writes nothing.
    const int outside[][3] = {{3, 0, 0}, {0, 4, 0}, {0, 0, 5}, {-1, 0, 0}, {0, -1, 0}, {0, 0, -1}, {-7, 9, 2}};
    const std::vector<std::uint8_t> before(vol.m_pData.get(), vol.m_pData.get() + vol.m_nDataBytes);
    for (const auto& p : outside) {
        vol.SetVoxel(p[0], p[1], p[2], 0xFFFF);
        EXPECT_EQ(vol.GetVoxel(p[0], p[1], p[2]), 0);
    }
    EXPECT_EQ(std::vector<std::uint8_t>(vol.m_pData.get(), vol.m_pData.get() + vol.m_nDataBytes), before);
}

TEST(CVolume, RgbVoxelWritesColourUntilDropped)
{
    CRgbVolume vol(2, 2, 2);
    vol.SetVoxel(1, 1, 1, 0x1234);
    EXPECT_EQ(vol.GetVoxel(1, 1, 1), 0x34);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(vol.m_pColour[3 * 7 + c], 0x34);
    vol.SetVoxel(2, 0, 0, 9); // outside: the colour block is not touched either
    vol.DropColour();
    EXPECT_FALSE(vol.m_bRgb);
    EXPECT_EQ(vol.m_nColourBytes, 0);
    vol.SetVoxel(0, 0, 0, 77);
    EXPECT_EQ(vol.GetVoxel(0, 0, 0), 77);
}

TEST(CVolume, LocksWithoutCacheKeepVoxels)
{
    CVolume vol(2, 2, 2, 8);
    std::uint8_t* p = vol.LockData();
    EXPECT_EQ(p, vol.m_pData.get());
    EXPECT_EQ(vol.LockData(), p);
    EXPECT_EQ(vol.m_nLockCount, 2);
    vol.UnlockData();
    vol.UnlockData();
    vol.UnlockData();
    EXPECT_EQ(vol.m_nLockCount, 0);
    EXPECT_EQ(vol.m_pData.get(), p);
}

TEST(CVolume, SetEntryPointIndices)
{
    CVolume vol(10, 20, 30, 8);
    vol.SetVoxelSize(1, 2, 0.5f);
    const float hx = vol.m_fHalfX, hy = vol.m_fHalfY, hz = vol.m_fHalfZ;
    const float inf = std::numeric_limits<float>::infinity();
    struct Row {
        const char* name;
        CVector3 p;
        int sx, sy, sz;
        int want[3];
    };
    const Row rows[] = {
        {"low corner", {-hx, -hy, -hz}, -1, -1, -1, {0, 19, 0}},
        {"high corner", {hx, hy, hz}, -1, -1, -1, {9, 0, 29}},
        {"centre", {0, 0, 0}, -1, -1, -1, {5, 9, 15}},
        {"given x, clamped", {-hx, 0, 0}, 7, -1, -1, {7, 9, 15}},
        {"given x beyond", {0, 0, 0}, 70, -1, -1, {9, 9, 15}},
        {"given y not reversed", {0, 0, 0}, -1, 3, -1, {5, 3, 15}},
        {"far away clamps", {3e9f, -3e9f, 1e30f}, -1, -1, -1, {9, 19, 29}},
        {"infinities clamp", {-inf, inf, inf}, -1, -1, -1, {0, 0, 29}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        vol.SetEntryPoint(r.p, r.sx, r.sy, r.sz);
        EXPECT_EQ(vol.m_nSliceX, r.want[0]);
        EXPECT_EQ(vol.m_nSliceY, r.want[1]);
        EXPECT_EQ(vol.m_nSliceZ, r.want[2]);
    }
    EXPECT_EQ(vol.m_vEntry, CVector3(-inf, inf, inf));
}

TEST(CVolume, SetEntryPointWithoutDefinedIndexKeepsSlice)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Row {
        const char* name;
        float scale;
        CVector3 p;
    };
    const Row rows[] = {
        {"zero scale", 0.0f, {1, 1, 1}},
        {"zero scale at the low edge", 0.0f, {0, 0, 0}},
        {"infinite scale", std::numeric_limits<float>::infinity(), {1, 1, 1}},
        {"NaN scale", nan, {1, 1, 1}},
        {"NaN point", 1.0f, {nan, nan, nan}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        CVolume vol(10, 10, 10, 8);
        vol.SetEntryPoint({}, 2, 3, 4);
        vol.m_fScaleX = vol.m_fScaleY = vol.m_fScaleZ = r.scale;
        vol.SetEntryPoint(r.p, -1, -1, -1);
        EXPECT_EQ(vol.m_nSliceX, 2);
        EXPECT_EQ(vol.m_nSliceY, 3);
        EXPECT_EQ(vol.m_nSliceZ, 4);
    }
}

TEST(CVolume, SetTargetFromDirection)
{
    CVolume vol(10, 20, 30, 8);
    const float R = vol.GetSize() / 2;
    vol.SetEntryPoint({0, 0, 0}, -1, -1, -1);
    vol.SetTargetFromDirection({1, 0, 0});
    EXPECT_NEAR(vol.m_vTarget.x, R, 1e-4);
    EXPECT_EQ(vol.m_vTarget.y, 0.0f);
    EXPECT_EQ(vol.m_vTarget.z, 0.0f);

    // No direction, or a line that misses the sphere from outside: the
    // target stays at the current point.
    struct Row {
        CVector3 entry, d;
    };
    const Row rows[] = {{{1, 2, 3}, {0, 0, 0}}, {{1000, 0, 0}, {0, 1, 0}}};
    for (const Row& r : rows) {
        vol.SetEntryPoint(r.entry, -1, -1, -1);
        vol.SetTargetFromDirection(r.d);
        EXPECT_EQ(vol.m_vTarget, r.entry);
    }
}
