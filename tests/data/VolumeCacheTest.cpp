#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "VolumeFixtures.h"
#include "data/Volume.h"
#include "support/FaultInjection.h"
#include "support/TempDir.h"

namespace {
std::vector<std::string> CacheNames(const std::array<std::string, 4>& names)
{
    std::vector<std::string> out;
    for (const std::string& n : names)
        if (!n.empty())
            out.push_back(std::filesystem::path(n).filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

std::string PlaneViewOf(CVolume& vol, int axis, int plane)
{
    const int dims[3] = {vol.m_nDimX, vol.m_nDimY, vol.m_nDimZ};
    std::string out(std::size_t(vol.m_nVoxels / dims[axis]), '\xEE');
    EXPECT_TRUE(vol.ReadPlaneView(axis, plane, reinterpret_cast<std::uint8_t*>(out.data())));
    return out;
}

struct FaultGuard {
    ~FaultGuard() { FaultInjection::Disarm(); }
};
} // namespace

TEST(DiskCache, PlaneViewFilesHoldTheTabledBytes)
{
    TempDir tmp;
    StatusRecorder status;
    auto vol = MakePatterned(3, 4, 5, 8);
    vol->BuildDiskCache();
    ASSERT_TRUE(vol->HasSwapFile());
    EXPECT_EQ(vol->m_nPlaneBytes[0], 20);
    EXPECT_EQ(vol->m_nPlaneBytes[1], 15);
    EXPECT_EQ(vol->m_nPlaneBytes[2], 12);
    std::string files[4];
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(std::filesystem::path(vol->m_pszCacheFile[i]).parent_path(), tmp.Path());
        EXPECT_EQ(std::filesystem::path(vol->m_pszCacheFile[i]).filename().string().rfind("~vx", 0), 0u);
        files[i] = TempDir::Read(vol->m_pszCacheFile[i]);
        EXPECT_EQ(files[i].size(), 60u);
    }
    // The voxel (1, 2, 3) at the positions the layout gives.
    const char v123 = char(Pattern(1, 2, 3, 8));
    EXPECT_EQ(files[0][34], v123);
    EXPECT_EQ(files[1][38], v123);
    EXPECT_EQ(files[2][42], v123);
    for (int z = 0; z < 5; ++z)
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 3; ++x) {
                const char v = char(Pattern(x, y, z, 8));
                ASSERT_EQ(files[0][x * 20 + z * 4 + y], v);
                ASSERT_EQ(files[1][y * 15 + x * 5 + z], v);
                ASSERT_EQ(files[2][z * 12 + x * 4 + y], v);
                ASSERT_EQ(files[3][x + (y + z * 4) * 3], v);
            }
    EXPECT_EQ(status.owner.ShownTexts(),
              (std::vector<std::string>{"Extracting planar views ...", "Building disk cache ..."}));
    EXPECT_FALSE(status.owner.statuses.back().show);
}

TEST(DiskCache, SixteenBitGreyAndSwapLayout)
{
    TempDir tmp;
    struct Row {
        std::uint16_t value;
        std::uint8_t grey;
    };
    const Row rows[] = {{65535, 255}, {32768, 128}, {257, 1}, {128, 0}, {129, 1}, {0, 0}, {65406, 254}, {65407, 255}};
    const int n = int(std::size(rows));
    CVolume vol(n, 1, 1, 16);
    for (int i = 0; i < n; ++i)
        vol.SetVoxel(i, 0, 0, rows[i].value);
    vol.BuildDiskCache();
    const std::string xs = TempDir::Read(vol.m_pszCacheFile[0]);
    const std::string swap = TempDir::Read(vol.m_pszCacheFile[3]);
    ASSERT_EQ(xs.size(), std::size_t(n));
    ASSERT_EQ(swap.size(), std::size_t(2 * n));
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(std::uint8_t(xs[i]), rows[i].grey) << rows[i].value;
        EXPECT_EQ(std::uint8_t(swap[2 * i]) | std::uint8_t(swap[2 * i + 1]) << 8, rows[i].value);
    }
}

TEST(DiskCache, PlaneReadersAgreeWhateverTheSource)
{
    // From the files, from memory without a cache, and from the swap file
    // when a plane-view file is missing: the same slices.
    TempDir tmp;
    for (int bits : {8, 16}) {
        SCOPED_TRACE(bits);
        auto inMemory = MakePatterned(3, 4, 5, bits);
        auto cached = MakePatterned(3, 4, 5, bits);
        cached->BuildDiskCache();
        auto swapOnly = MakePatterned(3, 4, 5, bits);
        swapOnly->BuildDiskCache();
        for (int axis = 0; axis < 3; ++axis)
            swapOnly->m_pCacheFile[axis].reset();
        ASSERT_EQ(swapOnly->m_pData, nullptr);
        const int dims[3] = {3, 4, 5};
        for (int axis = 0; axis < 3; ++axis)
            for (int p = 0; p < dims[axis]; ++p) {
                const std::string want = PlaneViewOf(*cached, axis, p);
                EXPECT_EQ(PlaneViewOf(*inMemory, axis, p), want) << axis << " " << p;
                EXPECT_EQ(PlaneViewOf(*swapOnly, axis, p), want) << axis << " " << p;
            }
        EXPECT_EQ(swapOnly->m_pData, nullptr); // never loaded for a slice
        std::uint8_t dummy[32];
        EXPECT_FALSE(cached->ReadPlaneView(0, 3, dummy));
        EXPECT_FALSE(cached->ReadPlaneView(2, -1, dummy));
        EXPECT_FALSE(cached->ReadPlaneView(3, 0, dummy));
    }
    CVolume empty;
    std::uint8_t dummy[4];
    EXPECT_FALSE(empty.ReadPlaneView(0, 0, dummy));
}

TEST(DiskCache, RebuildsKeepOneSavedSetAndDestructionRemovesAll)
{
    TempDir tmp;
    std::vector<std::string> first, second;
    {
        auto vol = MakePatterned(3, 4, 5, 16);
        vol->BuildDiskCache();
        first = CacheNames(vol->m_pszCacheFile);
        vol->BuildDiskCache(); // on a swapped-out volume
        second = CacheNames(vol->m_pszCacheFile);
        EXPECT_EQ(CacheNames(vol->m_pszSavedCacheFile), first);
        vol->BuildDiskCache();
        std::vector<std::string> expect = second;
        for (const std::string& n : CacheNames(vol->m_pszCacheFile))
            expect.push_back(n);
        std::sort(expect.begin(), expect.end());
        EXPECT_EQ(tmp.FilesStartingWith("~vx"), expect);
        EXPECT_EQ(CacheNames(vol->m_pszSavedCacheFile), second);
        // The voxels survived the rebuilds of a swapped-out volume.
        EXPECT_EQ(vol->GetVoxel(2, 3, 4), Pattern(2, 3, 4, 16));
        std::uint8_t* data = vol->LockData();
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(data[0] | data[1] << 8, Pattern(0, 0, 0, 16));
        vol->UnlockData();
    }
    EXPECT_TRUE(tmp.FilesStartingWith("~vx").empty());
    EXPECT_EQ(first.size(), 4u);
    EXPECT_EQ(second.size(), 4u);
}

TEST(DiskCache, SwappedOutVoxelAccessUsesTheSwapFile)
{
    TempDir tmp;
    auto vol = MakePatterned(3, 4, 5, 16);
    vol->BuildDiskCache();
    ASSERT_EQ(vol->m_pData, nullptr);
    EXPECT_EQ(vol->m_nLockCount, 0);
    EXPECT_EQ(vol->GetVoxel(1, 2, 3), Pattern(1, 2, 3, 16));
    EXPECT_EQ(vol->GetVoxel(3, 0, 0), 0);
    EXPECT_EQ(vol->GetVoxel(-1, 0, 0), 0);
    vol->SetVoxel(1, 2, 3, 0xBEEF);
    vol->SetVoxel(-1, 2, 3, 0x1111); // outside: writes nothing
    vol->SetVoxel(3, 4, 5, 0x1111);
    EXPECT_EQ(vol->m_pData, nullptr);
    EXPECT_EQ(vol->GetVoxel(1, 2, 3), 0xBEEF);
    // The plane views keep the values of the last build.
    std::uint8_t plane[20];
    ASSERT_TRUE(vol->ReadPlaneView(0, 1, plane));
    EXPECT_EQ(plane[3 * 4 + 2], std::uint8_t(Pattern(1, 2, 3, 16) / 257));

    std::uint8_t* data = vol->LockData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(vol->m_nLockCount, 1);
    const int i = 1 + (2 + 3 * 4) * 3;
    EXPECT_EQ(data[2 * i] | data[2 * i + 1] << 8, 0xBEEF);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), 120).substr(0, 2),
              TempDir::Read(vol->m_pszCacheFile[3]).substr(0, 2));
    vol->UnlockData();
}

TEST(DiskCache, LockCountAroundTheCache)
{
    TempDir tmp;
    auto vol = MakePatterned(3, 4, 5, 8);
    vol->BuildDiskCache();
    ASSERT_NE(vol->LockData(), nullptr);
    ASSERT_NE(vol->LockData(), nullptr);
    EXPECT_EQ(vol->m_nLockCount, 2);
    vol->UnlockData();
    EXPECT_NE(vol->m_pData, nullptr);
    vol->UnlockData();
    EXPECT_EQ(vol->m_pData, nullptr);
    vol->UnlockData();
    EXPECT_EQ(vol->m_nLockCount, 0);

    // Locked once before the build: still in memory after it, until the
    // next unlock.
    auto locked = MakePatterned(3, 4, 5, 8);
    locked->LockData();
    locked->BuildDiskCache();
    EXPECT_NE(locked->m_pData, nullptr);
    EXPECT_EQ(locked->m_nLockCount, 1);
    locked->UnlockData();
    EXPECT_EQ(locked->m_pData, nullptr);
    EXPECT_EQ(locked->GetVoxel(2, 1, 4), Pattern(2, 1, 4, 8));
}

TEST(DiskCache, ShortSwapFileLoadsNothing)
{
    TempDir tmp;
    auto vol = MakePatterned(3, 4, 5, 16);
    vol->BuildDiskCache();
    const auto before = CacheNames(vol->m_pszCacheFile);
    std::filesystem::resize_file(vol->m_pszCacheFile[3], 119);
    EXPECT_EQ(vol->LockData(), nullptr);
    EXPECT_EQ(vol->m_pData, nullptr);
    EXPECT_EQ(vol->m_nLockCount, 0);
    // With nothing to lock the rebuild does nothing: the set stays as it was.
    vol->BuildDiskCache();
    EXPECT_EQ(CacheNames(vol->m_pszCacheFile), before);
    EXPECT_TRUE(vol->m_pszSavedCacheFile[0].empty());
    EXPECT_EQ(tmp.FilesStartingWith("~vx").size(), 4u);
}

TEST(DiskCache, FailedBuildKeepsVoxelsAndLeavesNoNewFiles)
{
    // The write budget runs out inside each of the four files in turn (the
    // plane-view files are 60 bytes, the swap file 120).
    struct Row {
        const char* name;
        std::int64_t budget; // bytes allowed before writes fail
    };
    const Row rows[] = {
        {"first plane", 0},     {"inside x file", 30},     {"inside y file", 70},
        {"inside z file", 150}, {"inside swap file", 200}, {"last swap byte", 299},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TempDir tmp;
        FaultGuard guard;
        auto vol = MakePatterned(3, 4, 5, 16);
        FaultInjection::ArmWriteBudget(r.budget);
        vol->BuildDiskCache();
        FaultInjection::Disarm();
        EXPECT_FALSE(vol->HasSwapFile());
        EXPECT_TRUE(tmp.FilesStartingWith("~vx").empty());
        for (const std::string& n : vol->m_pszCacheFile)
            EXPECT_TRUE(n.empty());
        // A volume without a cache: voxels in memory for good, slices from them.
        ASSERT_NE(vol->m_pData, nullptr);
        EXPECT_EQ(vol->m_nLockCount, 0);
        vol->LockData();
        vol->UnlockData();
        ASSERT_NE(vol->m_pData, nullptr);
        EXPECT_EQ(vol->GetVoxel(2, 3, 4), Pattern(2, 3, 4, 16));
        std::uint8_t plane[15];
        ASSERT_TRUE(vol->ReadPlaneView(1, 3, plane));
        EXPECT_EQ(plane[2 * 5 + 4], std::uint8_t(Pattern(2, 3, 4, 16) / 257));
    }
}

TEST(DiskCache, FailedRebuildOfSwappedOutVolumeKeepsItsVoxels)
{
    TempDir tmp;
    FaultGuard guard;
    auto vol = MakePatterned(3, 4, 5, 8);
    vol->BuildDiskCache();
    const auto old = CacheNames(vol->m_pszCacheFile);
    ASSERT_EQ(vol->m_pData, nullptr);
    FaultInjection::ArmWriteBudget(100);
    vol->BuildDiskCache();
    FaultInjection::Disarm();
    EXPECT_FALSE(vol->HasSwapFile());
    ASSERT_NE(vol->m_pData, nullptr);
    EXPECT_EQ(vol->GetVoxel(1, 2, 3), Pattern(1, 2, 3, 8));
    // Only the previous set remains, as the saved set, until destruction.
    EXPECT_EQ(tmp.FilesStartingWith("~vx"), old);
    vol.reset();
    EXPECT_TRUE(tmp.FilesStartingWith("~vx").empty());
}

// The last unlock drops the voxels of a cached volume: a threshold must
// write what it changed to the swap file and the plane views, in place,
// whether it loaded the voxels itself or a caller holds them.
TEST(DiskCache, ThresholdOfACachedVolumeReachesTheCache)
{
    struct Case {
        int bits;
        bool callerLocks;
        float fraction; // cutoffs 64, 16384, and 0 (nothing changes)
    };
    const Case cases[] = {{8, false, 0.25f}, {16, false, 0.25f}, {8, true, 0.25f}, {16, true, 0.25f}, {8, false, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, caller locks " << c.callerLocks << ", " << c.fraction);
        TempDir tmp;
        const int dx = 3, dy = 4, dz = 5;
        const std::uint32_t cutoff = std::uint32_t(c.fraction * (c.bits == 16 ? 65536 : 256));
        auto want = [&](int x, int y, int z) {
            const std::uint16_t v = Pattern(x, y, z, c.bits);
            return v <= cutoff ? std::uint16_t(0) : v;
        };
        auto vol = MakePatterned(dx, dy, dz, c.bits);
        vol->BuildDiskCache();
        const auto names = CacheNames(vol->m_pszCacheFile);
        if (c.callerLocks) {
            ASSERT_NE(vol->LockData(), nullptr);
        }
        vol->Threshold(c.fraction);
        if (c.callerLocks)
            vol->UnlockData();
        ASSERT_EQ(vol->m_pData, nullptr);
        EXPECT_EQ(CacheNames(vol->m_pszCacheFile), names) << "the set is written over, not replaced";
        EXPECT_TRUE(vol->m_pszSavedCacheFile[0].empty());

        auto twin = MakePatterned(dx, dy, dz, c.bits);
        twin->Threshold(c.fraction);
        int zeroed = 0;
        for (int z = 0; z < dz; ++z)
            for (int y = 0; y < dy; ++y)
                for (int x = 0; x < dx; ++x) {
                    ASSERT_EQ(vol->GetVoxel(x, y, z), want(x, y, z)) << x << "," << y << "," << z;
                    zeroed += want(x, y, z) == 0;
                    const char grey = char(c.bits == 16 ? want(x, y, z) / 257 : want(x, y, z));
                    ASSERT_EQ(PlaneViewOf(*vol, 0, x)[z * dy + y], grey);
                    ASSERT_EQ(PlaneViewOf(*vol, 1, y)[x * dz + z], grey);
                    ASSERT_EQ(PlaneViewOf(*vol, 2, z)[x * dy + y], grey);
                }
        EXPECT_EQ(zeroed > 0, c.fraction > 0);
        CHistogram h, expected;
        ComputeHistogram(*vol, h);
        ComputeHistogram(*twin, expected);
        EXPECT_EQ(h.m_counts[0], std::uint32_t(zeroed));
        EXPECT_TRUE(std::equal(h.m_counts, h.m_counts + 256, expected.m_counts));
        EXPECT_EQ(h.m_nMin, expected.m_nMin);
        EXPECT_EQ(h.m_nMax, expected.m_nMax);
    }
}

// Should the write-back fail, the thresholded voxels stay in memory as those
// of a volume without a cache.
TEST(DiskCache, FailedThresholdWriteBackKeepsTheVoxels)
{
    TempDir tmp;
    FaultGuard guard;
    auto vol = MakePatterned(3, 4, 5, 8);
    vol->BuildDiskCache();
    FaultInjection::ArmWriteBudget(30);
    vol->Threshold(0.25f);
    FaultInjection::Disarm();
    EXPECT_FALSE(vol->HasSwapFile());
    ASSERT_NE(vol->m_pData, nullptr);
    EXPECT_EQ(vol->m_nLockCount, 0);
    EXPECT_EQ(vol->GetVoxel(0, 0, 0), 0);
    EXPECT_EQ(vol->GetVoxel(2, 3, 4), Pattern(2, 3, 4, 8));
    EXPECT_TRUE(tmp.FilesStartingWith("~vx").empty());
}

TEST(DiskCache, LargeVolumeWrittenInSeveralBatches)
{
    // About 10 MB of 8-bit voxels: every plane-view file is extracted and
    // written in more than one batch, the last one short.
    TempDir tmp;
    const int dx = 256, dy = 256, dz = 160;
    CVolume vol(dx, dy, dz, 8);
    auto value = [](int x, int y, int z) { return std::uint8_t((x * 7 + y * 13 + z * 29) % 251); };
    for (int z = 0; z < dz; ++z)
        for (int y = 0; y < dy; ++y)
            for (int x = 0; x < dx; ++x)
                vol.m_pData[x + (std::size_t(y) + std::size_t(z) * dy) * dx] = value(x, y, z);
    vol.BuildDiskCache();
    ASSERT_TRUE(vol.HasSwapFile());
    std::string files[3];
    for (int i = 0; i < 3; ++i) {
        files[i] = TempDir::Read(vol.m_pszCacheFile[i]);
        ASSERT_EQ(files[i].size(), std::size_t(dx) * dy * dz);
    }
    const std::size_t px = std::size_t(dy) * dz, py = std::size_t(dz) * dx, pz = std::size_t(dx) * dy;
    std::string want[3] = {std::string(files[0].size(), '\0'), std::string(files[1].size(), '\0'),
                           std::string(files[2].size(), '\0')};
    for (int z = 0; z < dz; ++z)
        for (int y = 0; y < dy; ++y)
            for (int x = 0; x < dx; ++x) {
                const char v = char(value(x, y, z));
                want[0][x * px + std::size_t(z) * dy + y] = v;
                want[1][y * py + std::size_t(x) * dz + z] = v;
                want[2][z * pz + std::size_t(x) * dy + y] = v;
            }
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(files[i] == want[i]) << "plane-view file " << i;
}
