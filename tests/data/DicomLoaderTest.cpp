#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcdict.h>
#include <dcmtk/oflog/oflog.h>
#include <gtest/gtest.h>

#include "data/AppSettings.h"
#include "data/DicomCodecs.h"
#include "data/DicomLoader.h"
#include "data/Histogram.h"
#include "data/MessageLog.h"
#include "data/Volume.h"
#include "DicomTestImages.h"
#include "support/RecordingLogOwner.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {
const std::string kPydicom = "/usr/lib/python3/dist-packages/pydicom/data/test_files/";

// Compressed transfer syntaxes load only with the decoders registered; this
// covers every test of the program.
CDicomCodecs g_codecs;
// The broken test files make the toolkit log hundreds of lines.
const bool g_quiet = (OFLog::configure(OFLogger::FATAL_LOG_LEVEL), true);

std::vector<std::uint8_t> Slice(const std::vector<std::uint8_t>& voxels, const CVolume& v, int z)
{
    const std::size_t bytes = std::size_t(v.m_nDimX) * v.m_nDimY * v.m_nBytesPerVoxel;
    return std::vector<std::uint8_t>(voxels.begin() + std::ptrdiff_t(z * bytes),
                                     voxels.begin() + std::ptrdiff_t((z + 1) * bytes));
}

void ExpectSameHistogram(const CHistogram& h, const CHistogram& expected)
{
    EXPECT_EQ(h.m_nTotal, expected.m_nTotal);
    EXPECT_EQ(h.m_nMin, expected.m_nMin);
    EXPECT_EQ(h.m_nMax, expected.m_nMax);
    EXPECT_TRUE(std::equal(h.m_counts, h.m_counts + 256, expected.m_counts));
    EXPECT_TRUE(std::equal(h.m_display, h.m_display + 256, expected.m_display));
    EXPECT_TRUE(std::equal(h.m_cumulative, h.m_cumulative + 256, expected.m_cumulative));
}

// The histogram built while loading equals one computed from the voxels.
void ExpectHistogramOfVoxels(CVolume& v)
{
    CHistogram expected;
    ComputeHistogram(v, expected);
    ExpectSameHistogram(v.m_histogram, expected);
}

struct Probed {
    bool ok = false;
    int files = 0, width = 0, height = 0, bits = 0;
    float x = 0, y = 0, z = 0;
};

Probed ProbeFile(CDicomLoader& loader, const std::string& path, bool scan)
{
    CAppSettings::GetInstance()->m_bScanDicomFolder = scan;
    Probed p;
    p.ok = loader.Probe(path, p.files, p.width, p.height, p.bits, p.x, p.y, p.z);
    return p;
}

CDicomVolume* LoadInto(CDicomLoader& loader, const std::string& path, CModelSeries& series)
{
    if (!loader.Load(path, series) || series.size() != 1)
        return nullptr;
    return dynamic_cast<CDicomVolume*>(series[0].get());
}

// Voxels are compared with the toolkit's rendering, so the loader's threshold
// is off unless a test is about it.
class DicomLoaderTest : public ::testing::Test {
protected:
    void SetUp() override { CAppSettings::GetInstance()->m_fMinAlpha = 0.0f; }
    void TearDown() override
    {
        CAppSettings::GetInstance()->m_bScanDicomFolder = false;
        CAppSettings::GetInstance()->m_fMinAlpha = CAppSettings().m_fMinAlpha;
    }
    // Writes one file named after the case and probes it alone.
    std::string WriteAndProbe(CDicomLoader& loader, const std::string& what, const ImageSpec& s, Probed& p)
    {
        const std::string path = dir.File(what + ".dcm");
        WriteImage(path, s);
        p = ProbeFile(loader, path, false);
        return path;
    }
    TempDir dir;
};
} // namespace

TEST(DicomToolkit, DataDictionaryIsLoaded)
{
    // Without a dictionary every tag is unknown and nothing is found; the
    // package's dictionary must be reached with or without DCMDICTPATH.
    EXPECT_TRUE(dcmDataDict.isDictionaryLoaded());
}

TEST_F(DicomLoaderTest, ProbeReadsVoxelSizeFromTheAttributes)
{
    struct Case {
        const char* what;
        std::optional<std::string> pixelSpacing, thickness, spacing;
        float x, y, z;
    };
    const Case cases[] = {
        {"rows then columns", "0.5\\0.7", std::nullopt, std::nullopt, 0.7f, 0.5f, 1.0f},
        {"thickness alone", std::nullopt, "3", std::nullopt, 1.0f, 1.0f, 3.0f},
        {"spacing wins over thickness", std::nullopt, "3", "4", 1.0f, 1.0f, 4.0f},
        {"nothing stored", std::nullopt, std::nullopt, std::nullopt, 1.0f, 1.0f, 1.0f},
        {"one spacing value: x missing", "0.5", std::nullopt, std::nullopt, 1.0f, 0.5f, 1.0f},
        {"zero and negative spacings", "0\\-0.7", "-2", std::nullopt, 1.0f, 1.0f, 1.0f},
        {"spacing that is not a number", "abc\\1e999", "0", std::nullopt, 1.0f, 1.0f, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ImageSpec s;
        s.pixelSpacing = c.pixelSpacing;
        s.thickness = c.thickness;
        s.spacing = c.spacing;
        CDicomLoader loader;
        Probed p;
        WriteAndProbe(loader, c.what, s, p);
        ASSERT_TRUE(p.ok);
        EXPECT_EQ(p.files, 1);
        EXPECT_EQ(p.width, 8);
        EXPECT_EQ(p.height, 8);
        EXPECT_EQ(p.bits, 16);
        EXPECT_FLOAT_EQ(p.x, c.x);
        EXPECT_FLOAT_EQ(p.y, c.y);
        EXPECT_FLOAT_EQ(p.z, c.z);
        EXPECT_TRUE(loader.m_bProbed);
    }
}

TEST_F(DicomLoaderTest, ProbeRefusesWhatIsNotAGreyDicomImage)
{
    ImageSpec empty;
    empty.rows = 0;
    WriteImage(dir.File("empty.dcm"), empty);
    ImageSpec colour;
    colour.photometric = "RGB";
    WriteImage(dir.File("colour-tagged.dcm"), colour);
    dir.Write("short.dcm", std::string(130, '\0'));
    dir.Write("nomarker.dcm", std::string(128, '\0') + "DICX" + std::string(64, '\0'));
    dir.Write("garbage.dcm", std::string(128, '\0') + "DICM" + std::string(500, '\xff'));
    const std::string cases[] = {
        dir.File("missing.dcm"),
        dir.File("short.dcm"),
        dir.File("nomarker.dcm"),
        dir.File("garbage.dcm"),
        dir.File("empty.dcm"),
        dir.File("colour-tagged.dcm"),
        kPydicom + "SC_rgb_small_odd.dcm",     // colour
        kPydicom + "ExplVR_LitEndNoMeta.dcm",  // no preamble, so no marker
        kPydicom + "rtplan.dcm",               // no image
    };
    for (const std::string& path : cases) {
        SCOPED_TRACE(path);
        CDicomLoader loader;
        EXPECT_FALSE(ProbeFile(loader, path, false).ok);
        EXPECT_FALSE(loader.m_bProbed);
        CModelSeries series;
        EXPECT_FALSE(loader.Load(path, series));
        EXPECT_TRUE(series.empty());
    }
}

TEST_F(DicomLoaderTest, LowerCaseMarkerLoadsLikeUpperCase)
{
    const std::string upper = dir.File("upper.dcm"), lower = dir.File("lower.dcm");
    fs::copy_file(kPydicom + "MR_small.dcm", upper);
    std::string bytes = TempDir::Read(upper);
    bytes.replace(128, 4, "dicm");
    dir.Write("lower.dcm", bytes);

    CModelSeries a, b;
    CDicomLoader la, lb;
    CAppSettings::GetInstance()->m_bScanDicomFolder = false;
    CDicomVolume* va = LoadInto(la, upper, a);
    CDicomVolume* vb = LoadInto(lb, lower, b);
    ASSERT_TRUE(va && vb);
    EXPECT_EQ(vb->m_nDimX, 64);
    EXPECT_EQ(Voxels(*va), Voxels(*vb));
}

TEST_F(DicomLoaderTest, WindowIsStoredOrComputed)
{
    struct Case {
        const char* what;
        std::optional<std::string> centre, width;
        int base, slope;
        bool valid; // false: slices are rendered over the output's full range
        int expCentre, expWidth;
    };
    // 8 x 8 pixels from base to base + 63 * slope.
    const Case cases[] = {
        {"stored window", "600", "1600", 100, 10, true, 600, 1600},
        {"no window: from min and max", std::nullopt, std::nullopt, 100, 10, true, 415, 630},
        {"window of zeros counts as none", "0", "0", 100, 10, true, 415, 630},
        {"constant image: no width to compute", std::nullopt, std::nullopt, 500, 0, false, 0, 0},
        {"stored width below 1: the toolkit refuses it", "40", "0.25", 100, 10, true, 415, 630},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ImageSpec s;
        s.centre = c.centre;
        s.width = c.width;
        s.base = c.base;
        s.slope = c.slope;
        CDicomLoader loader;
        Probed p;
        WriteAndProbe(loader, c.what, s, p);
        ASSERT_TRUE(p.ok);
        EXPECT_EQ(loader.m_bWindowValid, c.valid);
        if (c.valid) {
            EXPECT_EQ(loader.m_nWindowCentre, c.expCentre);
            EXPECT_EQ(loader.m_nWindowWidth, c.expWidth);
        }
        EXPECT_DOUBLE_EQ(loader.m_dMinValue, c.base);
        EXPECT_DOUBLE_EQ(loader.m_dMaxValue, c.base + 63 * c.slope);
    }
}

TEST_F(DicomLoaderTest, UniformChosenSliceKeepsTheOtherSlicesValues)
{
    // No file stores a window and the chosen one is all one value: a window
    // of width 1 around it would turn every other slice black or white.
    for (int i = 1; i <= 3; ++i) {
        ImageSpec s;
        s.instance = i;
        s.base = i == 1 ? 500 : 100 * i;
        s.slope = i == 1 ? 0 : 10;
        WriteImage(dir.File(FormatName(i)), s);
    }
    CDicomLoader loader;
    ASSERT_TRUE(ProbeFile(loader, dir.File(FormatName(1)), true).ok);
    CModelSeries series;
    CDicomVolume* v = LoadInto(loader, dir.File(FormatName(1)), series);
    ASSERT_NE(v, nullptr);
    const auto voxels = Voxels(*v);
    for (int z = 0; z < 3; ++z)
        EXPECT_EQ(Slice(voxels, *v, z), Render(dir.File(FormatName(z + 1)), 8, 8, std::nullopt, 16)) << "slice " << z;
    EXPECT_GT(std::set<std::uint8_t>(voxels.begin() + 128, voxels.end()).size(), 2u);
}

TEST_F(DicomLoaderTest, ApplyChangesTakesTheReviewedValues)
{
    // Three files of 8 x 8; the last one has the largest values.
    for (int i = 1; i <= 3; ++i) {
        ImageSpec s;
        s.instance = i;
        s.base = 100 * i;
        s.centre = "300";
        s.width = "200";
        WriteImage(dir.File(FormatName(i)), s);
    }
    CDicomLoader loader;
    ASSERT_TRUE(ProbeFile(loader, dir.File(FormatName(1)), true).ok);

    // Auto: over every file of the series, with the + 1 of the review.
    loader.ApplyChanges(4, 4, 16, 0.5f, 0.25f, 2.0f, 0, 0, true);
    EXPECT_EQ(loader.m_nWindowCentre, int((100 + 300 + 630 + 1) * 0.5));
    EXPECT_EQ(loader.m_nWindowWidth, 300 + 630 - 100 + 1);
    EXPECT_EQ(loader.m_nWidth, 4);
    EXPECT_EQ(loader.m_nHeight, 4);
    EXPECT_FLOAT_EQ(loader.m_fVoxelX, 1.0f) << "half the width doubles the voxel width";
    EXPECT_FLOAT_EQ(loader.m_fVoxelY, 0.5f);
    EXPECT_FLOAT_EQ(loader.m_fVoxelZ, 2.0f);

    // Manual window; the size ratio is not an integer; bad sizes become 1.
    loader.ApplyChanges(6, 0, 8, 1.5f, 1.0f, 0.0f, -20, 0, false);
    EXPECT_EQ(loader.m_nWindowCentre, -20);
    EXPECT_EQ(loader.m_nWindowWidth, 1);
    EXPECT_EQ(loader.m_nHeight, 8) << "a height of 0 keeps the image's own";
    EXPECT_FLOAT_EQ(loader.m_fVoxelX, 8.0f / 6.0f * 1.5f);
    EXPECT_FLOAT_EQ(loader.m_fVoxelZ, 1.0f);
    EXPECT_EQ(loader.m_nBits, 8);
}

TEST_F(DicomLoaderTest, FolderScanOrdersAndPlacesTheSeries)
{
    struct File {
        File(std::string n, std::optional<int> i, std::optional<std::string> l = std::nullopt, bool other = false)
            : name(std::move(n)), instance(i), location(std::move(l)), otherSeries(other)
        {
        }
        std::string name;
        std::optional<int> instance;
        std::optional<std::string> location;
        bool otherSeries;
    };
    struct Case {
        const char* what;
        std::vector<File> files;     // the first one is chosen
        std::optional<std::string> thickness;
        int slices;
        std::int64_t step;
        float z;
        std::vector<std::string> expected; // file that fills each slice ("" = none)
    };
    std::vector<File> forty;
    std::vector<std::string> fortyOrder;
    for (int i = 1; i <= 40; ++i) {
        // Names run against the instance numbers.
        forty.push_back({"f" + std::to_string(1000 - 7 * i), i, std::nullopt});
        fortyOrder.push_back("f" + std::to_string(1000 - 7 * i));
    }
    const std::vector<Case> cases = {
        {"two series share the study", {{"a", 1}, {"b", 2}, {"c", 1, std::nullopt, true}, {"d", 3}}, std::nullopt,
         3, 1, 1.0f, {"a", "b", "d"}},
        {"forty in instance order whatever the names", forty, std::nullopt, 40, 1, 1.0f, fortyOrder},
        {"steps of ten", {{"b", 20}, {"a", 30}, {"c", 10}}, std::nullopt, 3, 10, 1.0f, {"c", "b", "a"}},
        {"1, 3, 4: step 2 would join 3 and 4, so one slice each", {{"a", 1}, {"b", 3}, {"c", 4}}, std::nullopt, 3,
         2, 1.0f, {"a", "b", "c"}},
        {"18, 180, 181, 182: step 162 would join three, so one slice each",
         {{"d", 182}, {"c", 181}, {"b", 180}, {"a", 18}}, std::nullopt, 4, 162, 1.0f, {"a", "b", "c", "d"}},
        {"locations give z whatever the thickness", {{"a", 1, "0.0"}, {"b", 2, "2.5"}, {"c", 3, "5.0"}}, "7", 3, 1,
         2.5f, {"a", "b", "c"}},
        {"first file without a location does not pull z towards 0",
         {{"a", 1}, {"b", 2, "100.0"}, {"c", 3, "102.5"}}, std::nullopt, 3, 1, 2.5f, {"a", "b", "c"}},
        {"negative instance numbers", {{"a", 1}, {"b", -3}, {"c", -1}}, std::nullopt, 3, 2, 1.0f, {"b", "c", "a"}},
        {"instance numbers beyond six digits", {{"a", 1000004}, {"b", 999998}, {"c", 1000000}, {"d", 1000002}},
         std::nullopt, 4, 2, 1.0f, {"b", "c", "d", "a"}},
        {"equal numbers: one slice each, in scan order", {{"b", 1}, {"a", 1}, {"c", 2}}, std::nullopt, 3, 1, 1.0f,
         {"a", "b", "c"}},
        {"one distinct number: step 0, one slice each", {{"a", 5}, {"b", 5}}, std::nullopt, 2, 0, 1.0f, {"a", "b"}},
        {"files without a number are left out", {{"a", 2}, {"b", std::nullopt}, {"c", 4}}, std::nullopt, 2, 2, 1.0f,
         {"a", "c"}},
        {"a missing instance leaves its slice zero", {{"a", 1}, {"b", 2}, {"c", 4}}, std::nullopt, 4, 1, 1.0f,
         {"a", "b", "", "c"}},
        {"nothing numbered: the chosen file alone", {{"a", std::nullopt}, {"b", std::nullopt}}, "3", 1, 1, 3.0f,
         {"a"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir folder;
        for (std::size_t i = 0; i < c.files.size(); ++i) {
            const File& f = c.files[i];
            ImageSpec s;
            s.instance = f.instance;
            s.location = f.location;
            s.thickness = c.thickness;
            s.base = 1000 + 50 * int(i); // tells the files apart
            s.slope = 1;
            s.centre = "1500";
            s.width = "3000";
            if (f.otherSeries)
                s.series += ".2";
            WriteImage(folder.File(f.name), s);
        }
        // Neither a sub-folder nor a stray file joins the series.
        fs::create_directory(folder.File("zz-folder"));
        folder.Write("zz-notes.txt", "not an image");

        CDicomLoader loader;
        Probed p = ProbeFile(loader, folder.File(c.files[0].name), true);
        ASSERT_TRUE(p.ok);
        EXPECT_EQ(loader.m_nInstanceStep, c.step);
        EXPECT_EQ(loader.m_nSlices, c.slices);
        EXPECT_FLOAT_EQ(p.z, c.z);

        CModelSeries series;
        CDicomVolume* v = LoadInto(loader, folder.File(c.files[0].name), series);
        ASSERT_NE(v, nullptr);
        ASSERT_EQ(v->m_nDimZ, c.slices);
        ExpectHistogramOfVoxels(*v);
        const auto voxels = Voxels(*v);
        for (int z = 0; z < c.slices; ++z) {
            const std::string& name = c.expected[std::size_t(z)];
            const auto expected = name.empty() ? std::vector<std::uint8_t>(8 * 8 * 2, 0)
                                               : Render(folder.File(name), 8, 8, 1500, 3000, 16);
            EXPECT_EQ(Slice(voxels, *v, z), expected)
                << "slice " << z << " should be " << (name.empty() ? "zero" : name);
        }
    }
}

TEST_F(DicomLoaderTest, RealSeriesLoadsFromItsFolder)
{
    const std::string folder = kPydicom + "dicomdirtests/98892001/CT5N/";
    CDicomLoader loader;
    Probed p = ProbeFile(loader, folder + "2392", true);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.files, 5);
    EXPECT_EQ(p.width, 16);
    EXPECT_FLOAT_EQ(p.x, 0.488281f);
    EXPECT_FLOAT_EQ(p.z, 2.5f) << "from the slice locations, 2.5 apart";
    EXPECT_EQ(loader.m_nWindowCentre, 40);
    EXPECT_EQ(loader.m_nWindowWidth, 400);
    CModelSeries series;
    CDicomVolume* v = LoadInto(loader, folder + "2392", series);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->m_nDimZ, 5);
    EXPECT_EQ(v->m_nBits, 16);
    EXPECT_EQ(v->m_histogram.m_nTotal, 16 * 16 * 5);
    // The disk cache is built and the loader's lock given back: the voxels
    // are swapped out until first used.
    EXPECT_TRUE(v->HasSwapFile());
    EXPECT_EQ(v->m_nLockCount, 0);
    EXPECT_EQ(v->m_pData, nullptr);
    // Instance 6 is file 2062, the first slice.
    const auto voxels = Voxels(*v);
    EXPECT_EQ(Slice(voxels, *v, 0), Render(folder + "2062", 16, 16, 40, 400, 16));
}

TEST_F(DicomLoaderTest, RealSeriesWithInstanceGapsLoadsEveryFile)
{
    // Instances 18, 180, 181 and 182: the step from the first number (162)
    // would put the last three into one slice.
    const std::string folder = kPydicom + "dicomdirtests/77654033/CT2/";
    const char* const inOrder[] = {"17106", "17136", "17166", "17196"};
    CDicomLoader loader;
    Probed p = ProbeFile(loader, folder + "17136", true);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.files, 4);
    EXPECT_EQ(loader.m_nSlices, 4);
    ASSERT_TRUE(loader.m_bWindowValid);
    CModelSeries series;
    CDicomVolume* v = LoadInto(loader, folder + "17136", series);
    ASSERT_NE(v, nullptr);
    ASSERT_EQ(v->m_nDimZ, 4);
    const auto voxels = Voxels(*v);
    for (int z = 0; z < 4; ++z)
        EXPECT_EQ(Slice(voxels, *v, z),
                  Render(folder + inOrder[z], 16, 16, loader.m_nWindowCentre, loader.m_nWindowWidth, 16))
            << "slice " << z << " should be " << inOrder[z];
    EXPECT_TRUE(loader.m_lstUnreadable.empty());
}

TEST_F(DicomLoaderTest, UnknownVRAttributesAreReadByTheirDictionaryVR)
{
    // Some writers store every attribute with VR UN; read as text its bytes
    // come back in hexadecimal ("31\\30" for "10").
    for (const char* name : {"rtdose_rle_1frame.dcm", "rtdose_rle.dcm"}) {
        SCOPED_TRACE(name);
        CDicomLoader loader;
        Probed p = ProbeFile(loader, kPydicom + name, false);
        ASSERT_TRUE(p.ok);
        EXPECT_EQ(p.width, 10);
        EXPECT_FLOAT_EQ(p.x, 10.0f);
        EXPECT_FLOAT_EQ(p.y, 10.0f);
    }

    // A series written so: study, series, instance number, location, pixel
    // spacing and window all UN. Names run against the instance numbers.
    const char* const names[] = {"c", "b", "a"};
    for (int i = 0; i < 3; ++i) {
        ImageSpec s;
        s.unknownVR = true;
        s.instance = i + 1;
        s.location = std::to_string(2.5 * i);
        s.thickness = "7";
        s.pixelSpacing = "0.5\\0.7";
        s.centre = "1500";
        s.width = "3000";
        s.base = 1000 + 50 * i;
        s.slope = 1;
        WriteImage(dir.File(names[i]), s);
    }
    CDicomLoader loader;
    Probed p = ProbeFile(loader, dir.File("b"), true);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.files, 3);
    EXPECT_FLOAT_EQ(p.x, 0.7f);
    EXPECT_FLOAT_EQ(p.y, 0.5f);
    EXPECT_FLOAT_EQ(p.z, 2.5f) << "from the locations";
    EXPECT_EQ(loader.m_nWindowCentre, 1500);
    EXPECT_EQ(loader.m_nWindowWidth, 3000);
    CModelSeries series;
    CDicomVolume* v = LoadInto(loader, dir.File("b"), series);
    ASSERT_NE(v, nullptr);
    ASSERT_EQ(v->m_nDimZ, 3);
    const auto voxels = Voxels(*v);
    for (int z = 0; z < 3; ++z)
        EXPECT_EQ(Slice(voxels, *v, z), Render(dir.File(names[z]), 8, 8, 1500, 3000, 16)) << "slice " << z;

    // Slice thickness, then spacing between slices, of a single file.
    struct Case {
        std::optional<std::string> thickness, spacing;
        float z;
    };
    for (const Case& c : {Case{"3", std::nullopt, 3.0f}, Case{"3", "4", 4.0f}}) {
        ImageSpec s;
        s.unknownVR = true;
        s.thickness = c.thickness;
        s.spacing = c.spacing;
        CDicomLoader single;
        Probed q;
        WriteAndProbe(single, "single" + std::to_string(c.z), s, q);
        ASSERT_TRUE(q.ok);
        EXPECT_FLOAT_EQ(q.z, c.z);
    }
}

TEST_F(DicomLoaderTest, BigEndian32BitImagesMatchTheirLittleEndianTwins)
{
    // The toolkit reads big-endian 32-bit pixels as pairs of 16-bit words in
    // the wrong order; the little-endian files hold the same doses.
    struct Case {
        const char *bigEndian, *littleEndian;
    };
    for (const Case& c : {Case{"rtdose_expb_1frame.dcm", "rtdose_1frame.dcm"}, Case{"rtdose_expb.dcm", "rtdose.dcm"}}) {
        SCOPED_TRACE(c.bigEndian);
        CDicomLoader be, le;
        Probed pb = ProbeFile(be, kPydicom + c.bigEndian, false);
        Probed pl = ProbeFile(le, kPydicom + c.littleEndian, false);
        ASSERT_TRUE(pb.ok && pl.ok);
        EXPECT_EQ(pb.bits, 32);
        EXPECT_EQ(be.m_dMinValue, le.m_dMinValue);
        EXPECT_EQ(be.m_dMaxValue, le.m_dMaxValue);
        EXPECT_EQ(be.m_nWindowCentre, le.m_nWindowCentre);
        EXPECT_EQ(be.m_nWindowWidth, le.m_nWindowWidth);
        CModelSeries sb, sl;
        CDicomVolume* vb = LoadInto(be, kPydicom + c.bigEndian, sb);
        CDicomVolume* vl = LoadInto(le, kPydicom + c.littleEndian, sl);
        ASSERT_TRUE(vb && vl);
        const auto voxels = Voxels(*vl);
        EXPECT_EQ(Voxels(*vb), voxels);
        EXPECT_GT(std::count_if(voxels.begin(), voxels.end(), [](std::uint8_t b) { return b != 0; }), 100);
    }
}

TEST_F(DicomLoaderTest, OutputDepthAndByteOrder)
{
    struct Case {
        const char* what;
        int bits, base, slope;
        int volumeBits;
    };
    const Case cases[] = {
        {"16-bit data", 16, 0x1234, 0x101, 16},
        {"8-bit data", 8, 10, 3, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ImageSpec s;
        s.bits = c.bits;
        s.base = c.base;
        s.slope = c.slope;
        CDicomLoader loader;
        Probed p;
        const std::string path = WriteAndProbe(loader, c.what, s, p);
        ASSERT_TRUE(p.ok);
        CModelSeries series;
        CDicomVolume* v = LoadInto(loader, path, series);
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->m_nBits, c.volumeBits);
        const auto voxels = Voxels(*v);
        const auto expected = Render(path, 8, 8, loader.m_nWindowCentre, loader.m_nWindowWidth, c.volumeBits);
        if (c.volumeBits == 16) {
            // Each voxel holds the rendered value low byte first.
            ASSERT_EQ(voxels.size(), 128u);
            const auto* values = reinterpret_cast<const std::uint16_t*>(expected.data());
            for (int i = 0; i < 64; ++i) {
                EXPECT_EQ(voxels[2 * i], values[i] & 0xFF);
                EXPECT_EQ(voxels[2 * i + 1], values[i] >> 8);
            }
            EXPECT_NE(values[40] & 0xFF, values[40] >> 8) << "the check must tell the bytes apart";
        } else {
            EXPECT_EQ(voxels, expected);
        }
    }
}

TEST_F(DicomLoaderTest, ThresholdClearsTheLowestValues)
{
    ImageSpec s;
    s.bits = 8;
    s.base = 0;
    s.slope = 4;
    WriteImage(dir.File("ramp.dcm"), s);
    CAppSettings::GetInstance()->m_fMinAlpha = 0.05f; // 8-bit cut-off: trunc(0.05 * 256) = 12
    CDicomLoader loader;
    ASSERT_TRUE(ProbeFile(loader, dir.File("ramp.dcm"), false).ok);
    CModelSeries series;
    CDicomVolume* v = LoadInto(loader, dir.File("ramp.dcm"), series);
    ASSERT_NE(v, nullptr);
    auto expected = Render(dir.File("ramp.dcm"), 8, 8, loader.m_nWindowCentre, loader.m_nWindowWidth, 8);
    ASSERT_GT(std::count_if(expected.begin(), expected.end(), [](std::uint8_t b) { return b > 0 && b <= 12; }), 0);
    for (auto& b : expected)
        b = b <= 12 ? 0 : b;
    EXPECT_EQ(Voxels(*v), expected);
    ExpectHistogramOfVoxels(*v);
}

TEST_F(DicomLoaderTest, UnsortedSliceListGivesTheSameVolume)
{
    for (int i = 1; i <= 4; ++i) {
        ImageSpec s;
        s.instance = i == 4 ? 6 : i; // slices 3 and 4 stay empty
        s.base = 1000 * i;
        s.slope = 3;
        WriteImage(dir.File(FormatName(i)), s);
    }
    // 16-bit cut-off trunc(0.02 * 65536) = 1310, inside the first file's ramp.
    CAppSettings::GetInstance()->m_fMinAlpha = 0.02f;
    CDicomLoader sorted, reversed;
    ASSERT_TRUE(ProbeFile(sorted, dir.File(FormatName(1)), true).ok);
    ASSERT_TRUE(ProbeFile(reversed, dir.File(FormatName(1)), true).ok);
    std::reverse(reversed.m_lstSlices.begin(), reversed.m_lstSlices.end());
    CModelSeries a, b;
    CDicomVolume* va = LoadInto(sorted, dir.File(FormatName(1)), a);
    CDicomVolume* vb = LoadInto(reversed, dir.File(FormatName(1)), b);
    ASSERT_TRUE(va && vb);
    EXPECT_EQ(va->m_nDimZ, 6);
    const auto voxels = Voxels(*va);
    EXPECT_EQ(voxels, Voxels(*vb));
    const auto* values = reinterpret_cast<const std::uint16_t*>(voxels.data());
    EXPECT_EQ(std::count_if(values, values + voxels.size() / 2, [](std::uint16_t x) { return x > 0 && x <= 1310; }), 0);
    EXPECT_GT(std::count(values, values + 64, 0), 1) << "the first slice's low values are cleared";
    ExpectHistogramOfVoxels(*va);
    ExpectHistogramOfVoxels(*vb);
}

TEST_F(DicomLoaderTest, ReviewedSizeIsLoadedScaled)
{
    for (int i = 1; i <= 2; ++i) {
        ImageSpec s;
        s.instance = i;
        s.rows = s.columns = 16;
        s.pixelSpacing = "0.5\\0.7";
        s.base = 10 * i;
        s.centre = "1300";
        s.width = "2600";
        WriteImage(dir.File(FormatName(i)), s);
    }
    CDicomLoader loader;
    Probed p = ProbeFile(loader, dir.File(FormatName(1)), true);
    ASSERT_TRUE(p.ok);
    loader.ApplyChanges(8, 8, 16, p.x, p.y, p.z, 1300, 2600, false);
    CModelSeries series;
    CDicomVolume* v = LoadInto(loader, dir.File(FormatName(1)), series);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->m_nDimX, 8);
    EXPECT_EQ(v->m_nDimY, 8);
    EXPECT_FLOAT_EQ(v->m_fScaleX, 1.4f);
    EXPECT_FLOAT_EQ(v->m_fScaleY, 1.0f);
    const auto voxels = Voxels(*v);
    EXPECT_EQ(Slice(voxels, *v, 1), Render(dir.File(FormatName(2)), 8, 8, 1300, 2600, 16));
}

TEST_F(DicomLoaderTest, BadSlicesStayZeroAndOthersLoad)
{
    // Slice 2 has its own size (read past its end if copied at the probed
    // size); slice 3 is gone by the time the slices are read; slice 4 is
    // colour.
    for (int i = 1; i <= 4; ++i) {
        ImageSpec s;
        s.instance = i;
        s.rows = s.columns = (i == 2 ? 4 : 16);
        s.centre = "1000";
        s.width = "2000";
        s.base = 200 * i;
        s.slope = 1;
        if (i == 4)
            s.photometric = "PALETTE COLOR";
        WriteImage(dir.File(FormatName(i)), s);
    }
    CDicomLoader loader;
    ASSERT_TRUE(ProbeFile(loader, dir.File(FormatName(1)), true).ok);
    EXPECT_EQ(loader.m_nSlices, 4);
    fs::remove(dir.File(FormatName(3)));
    CModelSeries series;
    CDicomVolume* v = LoadInto(loader, dir.File(FormatName(1)), series);
    ASSERT_NE(v, nullptr);
    const auto voxels = Voxels(*v);
    const std::vector<std::uint8_t> zero(16 * 16 * 2, 0);
    EXPECT_EQ(Slice(voxels, *v, 0), Render(dir.File(FormatName(1)), 16, 16, 1000, 2000, 16));
    EXPECT_EQ(Slice(voxels, *v, 1), Render(dir.File(FormatName(2)), 16, 16, 1000, 2000, 16))
        << "the smaller file is scaled to the size being loaded";
    EXPECT_EQ(Slice(voxels, *v, 2), zero);
    EXPECT_EQ(Slice(voxels, *v, 3), zero);
}

TEST_F(DicomLoaderTest, CompressedFilesGiveTheSameVoxels)
{
    const std::string ct = dir.File("ct.dcm");
    const std::string mr = kPydicom + "MR_small.dcm";
    fs::copy_file(kPydicom + "CT_small.dcm", ct);
    RunTool("dcmcrle " + Quote(ct) + " " + Quote(dir.File("ct-rle.dcm")));
    RunTool("dcmcjpeg " + Quote(ct) + " " + Quote(dir.File("ct-jpeg.dcm")));
    RunTool("dcmcjpeg " + Quote(mr) + " " + Quote(dir.File("mr-jpeg.dcm")));
    RunTool("dcmcrle " + Quote(mr) + " " + Quote(dir.File("mr-rle.dcm")));
    struct Case {
        std::string original, other;
    };
    const Case cases[] = {
        {mr, kPydicom + "MR_small_RLE.dcm"},
        {mr, kPydicom + "MR_small_bigendian.dcm"},
        {mr, kPydicom + "MR_small_implicit.dcm"},
        {mr, dir.File("mr-jpeg.dcm")},
        {mr, dir.File("mr-rle.dcm")},
        {ct, dir.File("ct-rle.dcm")},
        {ct, dir.File("ct-jpeg.dcm")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.other);
        CDicomLoader a, b;
        CModelSeries sa, sb;
        CAppSettings::GetInstance()->m_bScanDicomFolder = false;
        CDicomVolume* va = LoadInto(a, c.original, sa);
        CDicomVolume* vb = LoadInto(b, c.other, sb);
        ASSERT_TRUE(va && vb);
        EXPECT_EQ(va->m_nDimX, vb->m_nDimX);
        const auto voxels = Voxels(*va);
        EXPECT_EQ(voxels, Voxels(*vb));
        EXPECT_NE(std::count(voxels.begin(), voxels.end(), 0), std::ptrdiff_t(voxels.size()));
    }
}

TEST_F(DicomLoaderTest, EveryToolkitTestFileLoadsOrFailsCleanly)
{
    std::vector<std::string> paths;
    for (const auto& e : fs::recursive_directory_iterator(kPydicom))
        if (e.is_regular_file())
            paths.push_back(e.path().string());
    std::sort(paths.begin(), paths.end());
    ASSERT_GT(paths.size(), 100u);
    int loaded = 0;
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        CDicomLoader loader;
        CModelSeries series;
        CAppSettings::GetInstance()->m_bScanDicomFolder = false;
        if (!loader.Load(path, series)) {
            EXPECT_TRUE(series.empty());
            continue;
        }
        ASSERT_EQ(series.size(), 1u);
        auto* v = dynamic_cast<CDicomVolume*>(series[0].get());
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->m_nDimZ, 1);
        EXPECT_EQ(std::int64_t(v->m_nDataBytes), std::int64_t(v->m_nDimX) * v->m_nDimY * v->m_nBytesPerVoxel);
        ++loaded;
    }
    // The grey images among them (CT, MR, RT dose, JPEG, RLE, the folder series) load.
    EXPECT_GT(loaded, 40);
}

TEST_F(DicomLoaderTest, BusyTextsFollowTheSteps)
{
    for (int i = 1; i <= 2; ++i) {
        ImageSpec s;
        s.instance = i;
        WriteImage(dir.File(FormatName(i)), s);
    }
    CRecordingLogOwner owner;
    CMessageLog* log = CMessageLog::GetInstance(&owner);
    ASSERT_EQ(log->m_pView, &owner);
    CDicomLoader loader;
    ASSERT_TRUE(ProbeFile(loader, dir.File(FormatName(1)), true).ok);
    CModelSeries series;
    ASSERT_TRUE(loader.Load(dir.File(FormatName(1)), series));
    delete log;
    EXPECT_EQ(owner.ShownTexts(), (std::vector<std::string>{
                                      "Finding study, series & acquisition ...",
                                      "Analysing im1.dcm ...",
                                      "Analysing im2.dcm ...",
                                      "Loading slice 1 of 2 ...",
                                      "Loading slice 2 of 2 ...",
                                      "Building histogram ...",
                                      "Extracting planar views ...",
                                      "Building disk cache ...",
                                  }));
    EXPECT_FALSE(owner.statuses.back().show) << "hidden after the disk cache";
}

TEST_F(DicomLoaderTest, LowerCaseMarkerFilesJoinTheFolderScan)
{
    // The real five-slice series, two of its files (one of them the chosen
    // one) with the marker in lower case: the same volume as the original.
    const std::string original = kPydicom + "dicomdirtests/98892001/CT5N/";
    for (const auto& e : fs::directory_iterator(original))
        fs::copy_file(e.path(), dir.File(e.path().filename().string()));
    for (const char* name : {"2062", "2392"}) {
        std::string bytes = TempDir::Read(dir.File(name));
        bytes.replace(128, 4, "dIcM");
        dir.Write(name, bytes);
    }
    CDicomLoader a, b;
    ASSERT_EQ(ProbeFile(a, original + "2392", true).files, 5);
    ASSERT_EQ(ProbeFile(b, dir.File("2392"), true).files, 5);
    CModelSeries sa, sb;
    CDicomVolume* va = LoadInto(a, original + "2392", sa);
    CDicomVolume* vb = LoadInto(b, dir.File("2392"), sb);
    ASSERT_TRUE(va && vb);
    EXPECT_EQ(vb->m_nDimZ, 5);
    EXPECT_EQ(Voxels(*va), Voxels(*vb));
}

TEST_F(DicomLoaderTest, ReviewedWindowRendersEverySlice)
{
    // Each file stores its own window; every slice is rendered with the one
    // the loader settled on.
    const std::string windows[][2] = {{"300", "200"}, {"900", "50"}, {"100", "4000"}};
    for (int i = 1; i <= 3; ++i) {
        ImageSpec s;
        s.instance = i;
        s.base = 100 * i;
        s.slope = 7;
        s.centre = windows[i - 1][0];
        s.width = windows[i - 1][1];
        WriteImage(dir.File(FormatName(i)), s);
    }
    struct Case {
        const char* what;
        bool reviewed, automatic;
        int centre, width;
    };
    // Auto: values 100 .. 300 + 63 * 7 = 741 over the three files.
    const Case cases[] = {
        {"probed: the chosen file's stored window", false, false, 300, 200},
        {"manual", true, false, 520, 330},
        {"automatic", true, true, (741 + 100 + 1) / 2, 741 - 100 + 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CDicomLoader loader;
        Probed p = ProbeFile(loader, dir.File(FormatName(1)), true);
        ASSERT_TRUE(p.ok);
        if (c.reviewed)
            loader.ApplyChanges(8, 8, 16, p.x, p.y, p.z, c.centre, c.width, c.automatic);
        EXPECT_EQ(loader.m_nWindowCentre, c.centre);
        EXPECT_EQ(loader.m_nWindowWidth, c.width);
        CModelSeries series;
        CDicomVolume* v = LoadInto(loader, dir.File(FormatName(1)), series);
        ASSERT_NE(v, nullptr);
        const auto voxels = Voxels(*v);
        for (int z = 0; z < 3; ++z)
            EXPECT_EQ(Slice(voxels, *v, z), Render(dir.File(FormatName(z + 1)), 8, 8, c.centre, c.width, 16))
                << "slice " << z;
    }
}

TEST_F(DicomLoaderTest, ApplyChangesReplacesUnusableSizes)
{
    ImageSpec s;
    s.pixelSpacing = "0.5\\0.7";
    CDicomLoader loader;
    Probed p;
    WriteAndProbe(loader, "sizes", s, p);
    ASSERT_TRUE(p.ok);
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    struct Case {
        float scale;
        float expected;
    };
    // The 8-pixel image is loaded at 4 pixels: usable scales double.
    const Case cases[] = {{0.25f, 0.5f}, {0.0f, 1.0f}, {-0.5f, 1.0f}, {nan, 1.0f}, {inf, 1.0f}, {3.0e38f, 1.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        loader.ApplyChanges(4, 4, 16, c.scale, c.scale, c.scale, 0, 100, false);
        EXPECT_FLOAT_EQ(loader.m_fVoxelX, c.expected);
        EXPECT_FLOAT_EQ(loader.m_fVoxelY, c.expected);
        EXPECT_FLOAT_EQ(loader.m_fVoxelZ, c.scale == 0.25f ? 0.25f : 1.0f);
    }
}

// A voxel size that makes an axis longer than 10000 (what the scaling dialog
// shows) is taken as unknown, 1.0, like the other unusable sizes, and the
// log says so; a missing size (0) is not a fault. The review's scalings are
// those of the source pixels: 1250 of them along the 8 columns is the most,
// whatever width is loaded.
TEST_F(DicomLoaderTest, VoxelSizesBeyondTheLongestVolumeFallBackAndAreLogged)
{
    struct LogScope {
        CRecordingLogOwner owner;
        CMessageLog* log = CMessageLog::GetInstance(&owner);
        ~LogScope() { delete log; }
    } scope;
    CMessageLog* log = scope.log;
    auto sizeLines = [&] {
        std::vector<std::string> lines;
        for (const std::string& line : log->m_lines)
            if (line.rfind("Voxel size", 0) == 0)
                lines.push_back(line);
        log->m_lines.clear();
        return lines;
    };
    ImageSpec s;
    s.pixelSpacing = "1250\\1251";
    s.thickness = "10001";
    CDicomLoader loader;
    Probed p;
    WriteAndProbe(loader, "long", s, p);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.y, 1250.0f);
    EXPECT_EQ(p.x, 1.0f);
    EXPECT_EQ(p.z, 1.0f);
    EXPECT_EQ(sizeLines(), (std::vector<std::string>{"Voxel size 1251 along x is out of range: 1.0 used instead",
                                                     "Voxel size 10001 along z is out of range: 1.0 used instead"}));

    loader.ApplyChanges(4, 4, 16, 1250.0f, 1e38f, 10000.0f, 0, 100, false);
    EXPECT_EQ(loader.m_fVoxelX, 2500.0f);
    EXPECT_EQ(loader.m_fVoxelY, 1.0f);
    EXPECT_EQ(loader.m_fVoxelZ, 10000.0f);
    EXPECT_EQ(sizeLines(), std::vector<std::string>{"Voxel size 1e+38 along y is out of range: 1.0 used instead"});
    loader.ApplyChanges(16, 8, 16, 0.0f, 1250.0f, 10000.5f, 0, 100, false);
    EXPECT_EQ(loader.m_fVoxelX, 1.0f);
    EXPECT_EQ(loader.m_fVoxelY, 1250.0f);
    EXPECT_EQ(loader.m_fVoxelZ, 1.0f);
    EXPECT_EQ(sizeLines(), std::vector<std::string>{"Voxel size 10000.5 along z is out of range: 1.0 used instead"});
}

TEST_F(DicomLoaderTest, SeriesTooLargeForMemoryFailsTheLoad)
{
    // Two files whose instance numbers lie two thousand million apart ask for
    // a volume that cannot be held: the load fails instead of writing
    // anywhere.
    for (int instance : {1, 2000000000}) {
        ImageSpec s;
        s.instance = instance;
        WriteImage(dir.File("i" + std::to_string(instance) + ".dcm"), s);
    }
    CDicomLoader loader;
    Probed p = ProbeFile(loader, dir.File("i1.dcm"), true);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(loader.m_nSlices, 2);
    ImageSpec s;
    s.instance = 3;
    WriteImage(dir.File("i3.dcm"), s);
    CDicomLoader dense;
    ASSERT_TRUE(ProbeFile(dense, dir.File("i1.dcm"), true).ok);
    EXPECT_EQ(dense.m_nInstanceStep, 2);
    EXPECT_EQ(dense.m_nSlices, 1000000000);
    CModelSeries series;
    EXPECT_FALSE(dense.Load(dir.File("i1.dcm"), series));
    EXPECT_TRUE(series.empty());
}

TEST_F(DicomLoaderTest, ScanFindsNumbersNestedLateInTheHeader)
{
    // The scan reads headers only up to the attributes it needs; a file whose
    // Instance Number and Slice Location lie only in a sequence further on
    // is still found and placed.
    for (int i = 1; i <= 3; ++i) {
        ImageSpec s;
        s.instance = i == 3 ? std::nullopt : std::optional<int>(i);
        s.location = i == 3 ? std::nullopt : std::optional<std::string>(std::to_string(i * 2.5));
        s.base = 100 * i;
        s.slope = 1;
        s.centre = "300";
        s.width = "600";
        WriteImage(dir.File(FormatName(i)), s);
    }
    RunTool("dcmodify -nb -i '(0040,0275)[0].(0020,0013)=3' -i '(0040,0275)[0].(0020,1041)=7.5' " +
            Quote(dir.File(FormatName(3))));
    CDicomLoader loader;
    Probed p = ProbeFile(loader, dir.File(FormatName(1)), true);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.files, 3);
    EXPECT_FLOAT_EQ(p.z, 2.5f);
    CModelSeries series;
    CDicomVolume* v = LoadInto(loader, dir.File(FormatName(1)), series);
    ASSERT_NE(v, nullptr);
    ASSERT_EQ(v->m_nDimZ, 3);
    EXPECT_EQ(Slice(Voxels(*v), *v, 2), Render(dir.File(FormatName(3)), 8, 8, 300, 600, 16));
}

TEST_F(DicomLoaderTest, DamagedFileOfTheSeriesLeavesItsSliceZero)
{
    // The last file is cut short inside its pixels: its header places it, its
    // slice stays zero, and the other slices load; with or without the slice
    // locations that let the scan stop reading early.
    for (bool located : {true, false}) {
        SCOPED_TRACE(located ? "with locations" : "without locations");
        TempDir folder;
        for (int i = 1; i <= 3; ++i) {
            ImageSpec s;
            s.instance = i;
            if (located)
                s.location = std::to_string(i);
            s.rows = s.columns = 64;
            s.base = 100 * i;
            s.slope = 1;
            s.centre = "3000";
            s.width = "6000";
            WriteImage(folder.File(FormatName(i)), s);
        }
        const std::string bytes = TempDir::Read(folder.File(FormatName(3)));
        folder.Write(FormatName(3), bytes.substr(0, bytes.size() - 1000));
        CDicomLoader loader;
        ASSERT_EQ(ProbeFile(loader, folder.File(FormatName(1)), true).files, 3);
        CRecordingLogOwner owner;
        CMessageLog* log = CMessageLog::GetInstance(&owner);
        CModelSeries series;
        CDicomVolume* v = LoadInto(loader, folder.File(FormatName(1)), series);
        const std::vector<std::string> lines = log->m_lines;
        delete log;
        ASSERT_NE(v, nullptr);
        ASSERT_EQ(v->m_nDimZ, 3);
        const auto voxels = Voxels(*v);
        EXPECT_EQ(Slice(voxels, *v, 1), Render(folder.File(FormatName(2)), 64, 64, 3000, 6000, 16));
        EXPECT_EQ(Slice(voxels, *v, 2), std::vector<std::uint8_t>(64 * 64 * 2, 0));
        ExpectHistogramOfVoxels(*v);
        // The user is told which file and slice.
        EXPECT_EQ(lines, std::vector<std::string>{"Slice 3 of 3 could not be read: im3.dcm"});
        ASSERT_EQ(loader.m_lstUnreadable.size(), 1u);
        EXPECT_EQ(loader.m_lstUnreadable[0].slice, 2);
        EXPECT_EQ(loader.m_lstUnreadable[0].path, folder.File(FormatName(3)));
        // A load that fails next names none of these files.
        loader.m_nSlices = 0;
        EXPECT_EQ(loader.ReadVolume(), nullptr);
        EXPECT_TRUE(loader.m_lstUnreadable.empty());
    }
}

namespace {
// Records which thread shows each busy text.
class CThreadRecordingLogOwner : public CRecordingLogOwner {
public:
    void ShowStatus(const char* text, bool show) override
    {
        CRecordingLogOwner::ShowStatus(text, show);
        threads.push_back(std::this_thread::get_id());
    }
    std::vector<std::thread::id> threads;
};
} // namespace

TEST_F(DicomLoaderTest, AnyNumberOfThreadsGivesTheSameVolume)
{
    // Series with everything that decides what a slice holds: a missing
    // number, files that cannot be read (colour, cut short), a file of
    // another size; once placed by the step, once with repeated numbers that
    // give every file a slice of its own.
    struct File {
        std::string name;
        int instance;
        int size = 32;
        std::string photometric = "MONOCHROME2";
        bool truncated = false;
    };
    std::vector<File> stepped;
    for (int i = 1; i <= 24; ++i)
        if (i != 15)
            stepped.push_back({"s" + std::string(i < 10 ? "0" : "") + std::to_string(i), i, i == 18 ? 16 : 32,
                               i == 9 ? "PALETTE COLOR" : "MONOCHROME2", i == 12 || i == 20});
    std::vector<File> repeated = stepped;
    repeated.push_back({"s05b", 5});
    repeated.push_back({"s09b", 9});
    struct Series {
        const char* what;
        std::vector<File> files;
        // The file of each slice, for the list in instance order and reversed
        // ("" for none).
        std::vector<std::string> inOrder, reversed;
    };
    Series byStep{"placed by the step", stepped, {}, {}};
    for (int i = 1; i <= 24; ++i)
        byStep.inOrder.push_back(i == 15 ? "" : "s" + std::string(i < 10 ? "0" : "") + std::to_string(i));
    byStep.reversed = byStep.inOrder;
    Series byFile{"repeated numbers: a slice per file", repeated, {}, {}};
    for (const File& f : stepped) {
        byFile.inOrder.push_back(f.name);
        if (f.instance == 5 || f.instance == 9)
            byFile.inOrder.push_back(f.name + "b");
    }
    // Reversed, files with equal numbers come the other way round.
    byFile.reversed = byFile.inOrder;
    std::swap(byFile.reversed[4], byFile.reversed[5]);
    std::swap(byFile.reversed[9], byFile.reversed[10]);

    CAppSettings::GetInstance()->m_fMinAlpha = 0.02f; // thresholded per slice as well
    const auto thresholded = [](std::vector<std::uint8_t> v) {
        ThresholdVoxels(v.data(), std::int64_t(v.size() / 2), 2, 0.02f);
        return v;
    };
    const std::set<std::string> cannotBeRead = {"s09", "s12", "s20"};

    for (const Series& c : {byStep, byFile}) {
        SCOPED_TRACE(c.what);
        const int slices = int(c.inOrder.size());
        TempDir folder;
        for (std::size_t i = 0; i < c.files.size(); ++i) {
            const File& f = c.files[i];
            ImageSpec s;
            s.instance = f.instance;
            s.rows = s.columns = f.size;
            s.photometric = f.photometric;
            s.base = 40 * int(i);
            s.slope = 3;
            s.centre = "2000";
            s.width = "4000";
            WriteImage(folder.File(f.name), s);
            if (f.truncated) {
                const std::string bytes = TempDir::Read(folder.File(f.name));
                folder.Write(f.name, bytes.substr(0, bytes.size() - 700));
            }
        }
        for (bool reversed : {false, true}) {
            SCOPED_TRACE(reversed ? "list reversed" : "list in instance order");
            CDicomLoader loader;
            ASSERT_EQ(ProbeFile(loader, folder.File("s01"), true).files, int(c.files.size()));
            ASSERT_EQ(loader.m_nSlices, slices);
            if (reversed)
                std::reverse(loader.m_lstSlices.begin(), loader.m_lstSlices.end());
            const int count = int(loader.m_lstSlices.size());
            const std::vector<std::string>& expected = reversed ? c.reversed : c.inOrder;

            loader.m_nDecodeThreads = 1;
            CModelSeries one;
            CDicomVolume* reference = LoadInto(loader, folder.File("s01"), one);
            ASSERT_NE(reference, nullptr);
            const auto voxels = Voxels(*reference);
            ExpectHistogramOfVoxels(*reference);
            // s18 is scaled to the size being loaded; the others cannot be read.
            std::vector<std::int64_t> unreadable;
            std::vector<std::string> unreadableLines;
            for (int z = 0; z < slices; ++z) {
                const std::string& name = expected[std::size_t(z)];
                const bool lost = cannotBeRead.count(name) != 0;
                if (lost) {
                    unreadable.push_back(z);
                    unreadableLines.push_back("Slice " + std::to_string(z + 1) + " of " + std::to_string(slices) +
                                              " could not be read: " + name);
                }
                EXPECT_EQ(Slice(voxels, *reference, z),
                          name.empty() || lost ? std::vector<std::uint8_t>(32 * 32 * 2, 0)
                                               : thresholded(Render(folder.File(name), 32, 32, 2000, 4000, 16)))
                    << "slice " << z << " should be " << (name.empty() ? "zero" : name);
            }
            EXPECT_EQ(unreadable.size(), 3u);

            for (int threads : {2, 3, 8, 64}) {
                SCOPED_TRACE(std::to_string(threads) + " threads");
                loader.m_nDecodeThreads = threads;
                CThreadRecordingLogOwner owner;
                CMessageLog* log = CMessageLog::GetInstance(&owner);
                CModelSeries many;
                CDicomVolume* v = LoadInto(loader, folder.File("s01"), many);
                const std::vector<std::string> lines = log->m_lines;
                delete log;
                ASSERT_NE(v, nullptr);
                EXPECT_EQ(Voxels(*v), voxels);
                ExpectSameHistogram(v->m_histogram, reference->m_histogram);
                // The unreadable slices, in slice order whatever thread read them.
                EXPECT_EQ(lines, unreadableLines);
                ASSERT_EQ(loader.m_lstUnreadable.size(), unreadable.size());
                for (std::size_t u = 0; u < unreadable.size(); ++u) {
                    EXPECT_EQ(loader.m_lstUnreadable[u].slice, unreadable[u]);
                    EXPECT_EQ(loader.m_lstUnreadable[u].path, folder.File(expected[std::size_t(unreadable[u])]));
                }

                // Every busy text, in order, from the loading thread.
                std::vector<std::string> loading, busy;
                for (int i = 1; i <= count; ++i)
                    busy.push_back("Loading slice " + std::to_string(i) + " of " + std::to_string(count) + " ...");
                for (const std::string& t : owner.ShownTexts())
                    if (t.rfind("Loading slice ", 0) == 0)
                        loading.push_back(t);
                EXPECT_EQ(loading, busy);
                EXPECT_TRUE(std::all_of(owner.threads.begin(), owner.threads.end(),
                                        [](std::thread::id id) { return id == std::this_thread::get_id(); }));
            }
        }
    }
}

TEST(CDicomLoader, GetFolderKeepsTheSeparator)
{
    EXPECT_EQ(CDicomLoader::GetFolder("/data/ct/slice1.dcm"), "/data/ct/");
    EXPECT_EQ(CDicomLoader::GetFolder("slice1.dcm"), "");
}
