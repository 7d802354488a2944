#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "data/AppSettings.h"
#include "data/MessageLog.h"
#include "data/SliceStackLoader.h"
#include "data/Volume.h"
#include "support/RecordingLogOwner.h"
#include "support/TempDir.h"

namespace {
std::string Bytes(std::initializer_list<int> b)
{
    std::string s;
    for (int v : b)
        s.push_back(char(v));
    return s;
}

// Voxels of slice z, read through the volume so a swapped-out volume works.
std::vector<int> Slice(CVolume& v, int z)
{
    std::vector<int> out;
    for (int y = 0; y < v.m_nDimY; ++y)
        for (int x = 0; x < v.m_nDimX; ++x)
            out.push_back(v.GetVoxel(x, y, z));
    return out;
}

// A message log with a recording owner for one test.
struct LogScope {
    CRecordingLogOwner owner;
    CMessageLog* log = CMessageLog::GetInstance(&owner);
    ~LogScope() { delete log; }
};

// Big-endian 16-bit values.
std::string Be16(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values) {
        s.push_back(char(v >> 8));
        s.push_back(char(v & 0xFF));
    }
    return s;
}
} // namespace

TEST(CRgbStackLoader, GreyAndColourBytesOfPlanarPixels)
{
    TempDir dir;
    std::filesystem::create_directory(dir.File("slices"));
    // Red, green, blue and white: all reds, then all greens, then all blues.
    dir.Write("slices/s0", Bytes({255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255}));
    CRgbStackLoader loader(2, 2, 0.5f, 0.25f, 2.0f);
    CModelSeries series;
    ASSERT_TRUE(loader.Load(dir.File("slices") + "/*.*", series));
    ASSERT_EQ(series.size(), 1u);
    auto& v = static_cast<CRgbVolume&>(*series[0]);
    EXPECT_EQ(loader.m_nSlices, 1);
    EXPECT_EQ(v.m_nBits, 8);
    EXPECT_TRUE(v.m_bRgb);
    EXPECT_EQ(v.m_pszDescription, "RGB volume data 2x2x1.");
    EXPECT_EQ(Slice(v, 0), (std::vector<int>{76, 149, 29, 255}));
    ASSERT_EQ(v.m_nColourBytes, 12);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(v.m_pColour.get()), 12),
              Bytes({0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255}))
        << "colour bytes are B, G, R";
    EXPECT_EQ(v.m_fScaleX, 0.5f);
    EXPECT_EQ(v.m_fScaleY, 0.25f);
    EXPECT_EQ(v.m_fScaleZ, 2.0f);
}

TEST(CRgbStackLoader, SlicesInNameOrderWhateverThePatternsForm)
{
    TempDir dir;
    const std::string folder = dir.File("img");
    std::filesystem::create_directories(folder + "/sub");
    // One grey pixel per file: red = green = blue = the value.
    for (auto [name, value] : {std::pair{"b", 100}, {"a", 50}, {"c", 200}, {"B", 150}})
        dir.Write(std::string("img/") + name, std::string(3, char(value)));
    dir.Write("img/sub/z", std::string(3, char(250)));
    for (const std::string& pattern : {folder + "\\*.*", folder + "/*.*", folder + "/*", folder}) {
        SCOPED_TRACE(pattern);
        CRgbStackLoader loader(1, 1, 1, 1, 1);
        CModelSeries series;
        ASSERT_TRUE(loader.Load(pattern, series));
        auto& v = static_cast<CVolume&>(*series[0]);
        ASSERT_EQ(v.m_nDimZ, 4) << "the subfolder is not a slice";
        // Byte order: "B" sorts before "a".
        EXPECT_EQ((std::vector<int>{v.GetVoxel(0, 0, 0), v.GetVoxel(0, 0, 1), v.GetVoxel(0, 0, 2), v.GetVoxel(0, 0, 3)}),
                  (std::vector<int>{150, 50, 100, 200}));
    }
}

TEST(CRgbStackLoader, ShortAndUnreadableFilesLeaveZeros)
{
    TempDir dir;
    std::filesystem::create_directory(dir.File("s"));
    dir.Write("s/a", std::string(6, char(200)));
    dir.Write("s/b", std::string(1, char(90))); // one red byte of two pixels
    // A file that cannot be opened: its slice goes to the next file, so the
    // last slice is never filled.
    std::filesystem::create_symlink(dir.File("missing"), dir.File("s/ab"));
    CRgbStackLoader loader(2, 1, 1, 1, 1);
    CModelSeries series;
    ASSERT_TRUE(loader.Load(dir.File("s") + "/*.*", series));
    auto& v = static_cast<CRgbVolume&>(*series[0]);
    ASSERT_EQ(v.m_nDimZ, 3);
    EXPECT_EQ(Slice(v, 0), (std::vector<int>{200, 200}));
    // 0.299 x 90 = 26; the unread pixel is 0, not the previous file's 200.
    EXPECT_EQ(Slice(v, 1), (std::vector<int>{26, 0}));
    EXPECT_EQ(Slice(v, 2), (std::vector<int>{0, 0}));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(v.m_pColour.get()) + 6, 12),
              Bytes({0, 0, 90, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(CRgbStackLoader, BusyTextsNameEachFileThenTheHistogram)
{
    LogScope log;
    TempDir dir;
    std::filesystem::create_directory(dir.File("s"));
    const std::string a = dir.Write("s/a", std::string(3, 'x'));
    const std::string b = dir.Write("s/b", std::string(3, 'y'));
    CModelSeries series;
    ASSERT_TRUE(CRgbStackLoader(1, 1, 1, 1, 1).Load(dir.File("s") + "/*.*", series));
    EXPECT_EQ(log.owner.ShownTexts(), (std::vector<std::string>{a, b, "Building histogram ...", "Extracting planar views ...",
                                                               "Building disk cache ..."}));
    ASSERT_FALSE(log.owner.statuses.empty());
    EXPECT_FALSE(log.owner.statuses.back().show);
}

TEST(CSliceStackLoader, BigEndianValuesScaledByTheStacksMaximum)
{
    LogScope log;
    TempDir dir;
    std::filesystem::create_directory(dir.File("v"));
    // Three header bytes skipped; 500 of a maximum of 1000 is 127.5 -> 128.
    dir.Write("v/1", "HDR" + Be16({500, 0, 1000, 0x0102}) + "trailing bytes are ignored");
    dir.Write("v/2", "HDR" + Be16({250, 999}));
    dir.Write("v/3", "HD"); // shorter than its header: an all-zero slice
    std::filesystem::create_symlink(dir.File("missing"), dir.File("v/0")); // leaves the last slice unfilled
    CSliceStackLoader loader(3, 2, 2, 1, 1, 1);
    CModelSeries series;
    ASSERT_TRUE(loader.Load(dir.File("v") + "/*.*", series));
    auto& v = static_cast<CVolume&>(*series[0]);
    EXPECT_EQ(v.m_nBits, 8);
    EXPECT_EQ(v.m_nDimZ, 4);
    EXPECT_EQ(Slice(v, 0), (std::vector<int>{128, 0, 255, 66}));
    // The second file holds two of four values: the rest is 0.
    EXPECT_EQ(Slice(v, 1), (std::vector<int>{64, 255, 0, 0}));
    EXPECT_EQ(Slice(v, 2), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(Slice(v, 3), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(log.log->m_lines, (std::vector<std::string>{"Maximum value = 1000"}));
    EXPECT_GE(log.owner.refreshes, 1);
    const auto shown = log.owner.ShownTexts();
    ASSERT_EQ(shown.size(), 7u);
    EXPECT_EQ(shown[4], "Building histogram ...");
    EXPECT_EQ(shown.back(), "Building disk cache ...");
}

TEST(CSliceStackLoader, AllZeroStackGivesZeroVoxels)
{
    LogScope log;
    TempDir dir;
    std::filesystem::create_directory(dir.File("v"));
    dir.Write("v/1", Be16({0, 0}));
    CModelSeries series;
    ASSERT_TRUE(CSliceStackLoader(0, 2, 1, 1, 1, 1).Load(dir.File("v") + "/*.*", series));
    EXPECT_EQ(Slice(static_cast<CVolume&>(*series[0]), 0), (std::vector<int>{0, 0}));
    EXPECT_EQ(log.log->m_lines, (std::vector<std::string>{"Maximum value = 0"}));
}

// No slices, a size below 1 or more voxels than the size helper allows make
// no volume, so the import reports its usual failure.
TEST(SliceStackLoaders, UnusableFoldersAndSizesFail)
{
    TempDir dir;
    std::filesystem::create_directories(dir.File("empty/only-a-folder"));
    std::filesystem::create_directory(dir.File("one"));
    dir.Write("one/a", "xyz");
    struct Case {
        const char* what;
        std::string folder;
        int width, height;
    };
    const Case cases[] = {
        {"empty folder", "empty", 4, 4},
        {"missing folder", "nowhere", 4, 4},
        {"width 0", "one", 0, 4},
        {"negative height", "one", 4, -1},
        {"voxel count past the limit", "one", 65536, 65536},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string pattern = dir.File(c.folder) + "/*.*";
        CModelSeries series;
        EXPECT_FALSE(CRgbStackLoader(c.width, c.height, 1, 1, 1).Load(pattern, series));
        EXPECT_FALSE(CSliceStackLoader(0, c.width, c.height, 1, 1, 1).Load(pattern, series));
        EXPECT_TRUE(series.empty());
    }
}
