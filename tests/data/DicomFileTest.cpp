// Files whose headers declare more than they hold: refused before the toolkit
// allocates what they declare, whatever their marker or transfer syntax, while
// large and multi-frame images that are what they say still load.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcistrmf.h>
#include <dcmtk/dcmdata/dcostrmf.h>
#include <dcmtk/dcmimgle/dcmimage.h>
#include <gtest/gtest.h>

#include "AllocationWatch.h"
#include "DicomTestImages.h"
#include "data/AppSettings.h"
#include "data/DicomFile.h"
#include "data/DicomLoader.h"
#include "data/Volume.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {
const std::string kPydicom = "/usr/lib/python3/dist-packages/pydicom/data/test_files/";
const std::string kCt = kPydicom + "CT_small.dcm"; // 128 x 128, 16 bits, 32 KB of pixels
constexpr std::size_t kMiB = std::size_t(1) << 20;

std::uint32_t U32At(const std::string& b, std::size_t at)
{
    std::uint32_t v = 0;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

// The data set's pixel data declared 0xF0000000 bytes long, 100 of them kept.
std::string WithPixelDataPastTheEnd(const std::string& data)
{
    const std::size_t at = data.rfind(std::string("\xe0\x7f\x10\x00OW", 6));
    EXPECT_NE(at, std::string::npos);
    std::string cut = data.substr(0, at + 12 + 100);
    const std::uint32_t length = 0xF0000000;
    std::memcpy(&cut[at + 8], &length, 4);
    return cut;
}

std::string WithMarker(std::string bytes, const char* marker)
{
    bytes.replace(128, 4, marker);
    return bytes;
}

// CT_small deflated, its inflated data set passed through `edit`.
std::string Deflated(const TempDir& dir, const std::string& name, std::string (*edit)(const std::string&))
{
    const std::string plain = dir.File(name + "-source.dcm");
    RunTool("dcmconv +td " + Quote(kCt) + " " + Quote(plain));
    const std::string bytes = TempDir::Read(plain);
    const std::size_t metaEnd = 144 + U32At(bytes, 140); // after the meta group and its length
    DcmInputFileStream in(OFFilename(plain.c_str()), offile_off_t(metaEnd));
    EXPECT_TRUE(in.installCompressionFilter(ESC_zlib).good());
    std::string data;
    char chunk[65536];
    for (offile_off_t n; !in.eos() && (n = in.read(chunk, sizeof chunk)) > 0;)
        data.append(chunk, std::size_t(n));
    data = edit(data);
    const std::string path = dir.File(name);
    {
        DcmOutputFileStream out(OFFilename(path.c_str()));
        out.write(bytes.data(), offile_off_t(metaEnd));
        out.flush();
        EXPECT_TRUE(out.installCompressionFilter(ESC_zlib).good());
        out.write(data.data(), offile_off_t(data.size()));
        out.flush();
    }
    fs::remove(plain);
    return path;
}

std::string Unchanged(const std::string& data) { return data; }

// CT_small with its pixel data repeated as `frames` frames: the first the
// real one, the others zero.
std::string MultiFrame(const TempDir& dir, const std::string& name, int frames)
{
    DcmFileFormat file;
    EXPECT_TRUE(file.loadFile(OFFilename(kCt.c_str())).good());
    DcmDataset* d = file.getDataset();
    const Uint16* pixels = nullptr;
    unsigned long count = 0;
    EXPECT_TRUE(d->findAndGetUint16Array(DCM_PixelData, pixels, &count).good());
    std::vector<Uint16> all(count * std::size_t(frames), 0);
    std::copy(pixels, pixels + count, all.begin());
    d->putAndInsertUint16Array(DCM_PixelData, all.data(), all.size());
    d->putAndInsertString(DCM_NumberOfFrames, std::to_string(frames).c_str());
    const std::string path = dir.File(name);
    EXPECT_TRUE(file.saveFile(OFFilename(path.c_str()), EXS_LittleEndianExplicit).good());
    return path;
}

struct Outcome {
    bool probed = false, previewed = false, loaded = false;
    int width = 0, height = 0;
    int centre = 0, windowWidth = 0; // the window the slices were rendered with
    std::size_t largest = 0; // bytes of the largest single request
    std::vector<std::uint8_t> voxels;
};

// Probe, preview and load of one file on its own, as the factory runs them.
Outcome Open(const std::string& path, std::size_t ceiling = 64 * kMiB)
{
    CAppSettings::GetInstance()->m_bScanDicomFolder = false;
    CAppSettings::GetInstance()->m_fMinAlpha = 0.0f;
    Outcome o;
    o.largest = AllocationWatch::LargestRequest(ceiling, [&] {
        CDicomLoader loader;
        int files = 0, bits = 0;
        float x = 0, y = 0, z = 0;
        o.probed = loader.Probe(path, files, o.width, o.height, bits, x, y, z);
        o.previewed = CDicomLoader::CreatePreview(path, 128) != nullptr;
        CModelSeries series;
        o.loaded = loader.Load(path, series);
        o.centre = loader.m_nWindowCentre;
        o.windowWidth = loader.m_nWindowWidth;
        if (o.loaded)
            o.voxels = Voxels(*static_cast<CVolume*>(series[0].get()));
    });
    CAppSettings::GetInstance()->m_fMinAlpha = CAppSettings().m_fMinAlpha;
    return o;
}

std::string Derived(const TempDir& dir, const std::string& name, const std::string& commands)
{
    const std::string path = dir.File(name);
    fs::copy_file(kCt, path);
    RunTool("cd " + Quote(dir.Path()) + " && " + commands);
    return path;
}
} // namespace

TEST(DicomSizeCheck, HeadersThatDeclareMoreThanTheFileHoldsAreRefusedAtOnce)
{
    TempDir dir;
    const std::string huge = "dcmodify -nb -m '(0028,0010)=65535' -m '(0028,0011)=65535' ";
    const std::string large = "dcmodify -nb -m '(0028,0010)=30000' -m '(0028,0011)=30000' ";
    const std::string frames = "dcmodify -nb -i '(0028,0008)=1000' ";
    struct Case {
        const char* what;
        std::string commands; // run on a copy of CT_small named f.dcm
    };
    const Case cases[] = {
        {"rows and columns 65535", huge + "f.dcm"},
        {"30000 x 30000", large + "f.dcm"},
        {"1000 frames, one in the file", frames + "f.dcm"},
        {"RLE, rows and columns 65535", "dcmcrle f.dcm f.dcm && " + huge + "f.dcm"},
        {"RLE, 1000 frames", "dcmcrle f.dcm f.dcm && " + frames + "f.dcm"},
        {"JPEG, rows and columns 65535", "dcmcjpeg f.dcm f.dcm && " + huge + "f.dcm"},
        {"JPEG, 1000 frames", "dcmcjpeg f.dcm f.dcm && " + frames + "f.dcm"},
        {"JPEG lossless, 30000 x 30000", "dcmcjpeg +el f.dcm f.dcm && " + large + "f.dcm"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir folder;
        const std::string path = Derived(folder, "f.dcm", c.commands);
        const Outcome o = Open(path);
        EXPECT_FALSE(o.probed);
        EXPECT_FALSE(o.previewed);
        EXPECT_FALSE(o.loaded);
        if (AllocationWatch::Active()) {
            EXPECT_LT(o.largest, kMiB) << "the 39 KB file asked for " << (o.largest >> 20) << " MB at once";
        }
    }
}

TEST(DicomSizeCheck, ImagesThatAreWhatTheySayLoad)
{
    TempDir dir;
    // A mammogram's size, 12 bits stored.
    ImageSpec mammo;
    mammo.rows = 6000;
    mammo.columns = 4800;
    mammo.stored = 12;
    mammo.base = 0;
    mammo.slope = 1;
    const std::string mammogram = dir.File("mammo.dcm");
    WriteImage(mammogram, mammo);
    const std::string multi = MultiFrame(dir, "multi.dcm", 64);
    RunTool("dcmcrle " + Quote(multi) + " " + Quote(dir.File("multi-rle.dcm")));
    RunTool("dcmcjpeg " + Quote(multi) + " " + Quote(dir.File("multi-jpeg.dcm")));
    struct Case {
        std::string path;
        int width, height;
        std::size_t largest; // bound on the largest single request
    };
    const std::size_t frame = 128 * 128 * 2;
    const Case cases[] = {
        {mammogram, 4800, 6000, std::size_t(4800) * 6000 * 2 + kMiB},
        // Only the first frame is ever shown, so no more than it is decoded;
        // loading reads the whole file's pixels once.
        {multi, 128, 128, 64 * frame + kMiB},
        {dir.File("multi-rle.dcm"), 128, 128, 64 * frame + kMiB},
        {dir.File("multi-jpeg.dcm"), 128, 128, 64 * frame + kMiB},
        {kCt, 128, 128, kMiB},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const Outcome o = Open(c.path, SIZE_MAX);
        ASSERT_TRUE(o.probed && o.previewed && o.loaded);
        EXPECT_EQ(o.width, c.width);
        EXPECT_EQ(o.height, c.height);
        if (AllocationWatch::Active()) {
            EXPECT_LE(o.largest, c.largest);
        }
        EXPECT_EQ(o.voxels, Render(c.path, c.width, c.height, o.centre, o.windowWidth, 16));
    }
}

TEST(DicomSizeCheck, ProbeOfAMultiFrameFileDecodesOneFrame)
{
    if (!AllocationWatch::Active())
        GTEST_SKIP() << "needs the allocation watch";
    TempDir dir;
    const std::string multi = MultiFrame(dir, "multi.dcm", 64);
    RunTool("dcmcrle " + Quote(multi) + " " + Quote(dir.File("multi-rle.dcm")));
    for (const std::string& path : {multi, dir.File("multi-rle.dcm")}) {
        SCOPED_TRACE(path);
        CAppSettings::GetInstance()->m_bScanDicomFolder = false;
        CDicomLoader loader;
        bool ok = false;
        const std::size_t largest = AllocationWatch::LargestRequest(SIZE_MAX, [&] {
            int files = 0, width = 0, height = 0, bits = 0;
            float x = 0, y = 0, z = 0;
            ok = loader.Probe(path, files, width, height, bits, x, y, z);
        });
        EXPECT_TRUE(ok);
        EXPECT_LT(largest, 4u * 128 * 128 * 2) << "64 frames of 32 KB, " << (largest >> 10) << " KB at once";
    }
}

TEST(DicomSizeCheck, DamagedMemberOfASeriesLeavesItsSliceZero)
{
    // The middle file declares 30000 x 30000 in a folder of 8 x 8 images: the
    // automatic window and the load read it without building its image.
    TempDir dir;
    for (int i = 1; i <= 3; ++i) {
        ImageSpec s;
        s.instance = i;
        s.base = 100 * i;
        WriteImage(dir.File(FormatName(i)), s);
    }
    RunTool("dcmodify -nb -m '(0028,0010)=30000' -m '(0028,0011)=30000' " + Quote(dir.File(FormatName(2))));
    CAppSettings::GetInstance()->m_bScanDicomFolder = true;
    CAppSettings::GetInstance()->m_fMinAlpha = 0.0f;
    CDicomLoader loader;
    CModelSeries series;
    bool loaded = false;
    const std::size_t largest = AllocationWatch::LargestRequest(64 * kMiB, [&] {
        int files = 0, width = 0, height = 0, bits = 0;
        float x = 0, y = 0, z = 0;
        ASSERT_TRUE(loader.Probe(dir.File(FormatName(1)), files, width, height, bits, x, y, z));
        EXPECT_EQ(files, 3);
        loader.ApplyChanges(8, 8, 16, x, y, z, 0, 0, true);
        loaded = loader.Load(dir.File(FormatName(1)), series);
    });
    CAppSettings::GetInstance()->m_bScanDicomFolder = false;
    CAppSettings::GetInstance()->m_fMinAlpha = CAppSettings().m_fMinAlpha;
    if (AllocationWatch::Active()) {
        EXPECT_LT(largest, kMiB);
    }
    ASSERT_TRUE(loaded);
    // Auto: the values of files 1 and 3 only, 100 .. 300 + 63 * 10.
    EXPECT_EQ(loader.m_nWindowCentre, (100 + 930 + 1) / 2);
    EXPECT_EQ(loader.m_nWindowWidth, 930 - 100 + 1);
    auto* v = static_cast<CVolume*>(series[0].get());
    const auto voxels = Voxels(*v);
    ASSERT_EQ(voxels.size(), 3u * 128);
    EXPECT_EQ(std::vector<std::uint8_t>(voxels.begin() + 128, voxels.begin() + 256), std::vector<std::uint8_t>(128, 0));
    EXPECT_EQ(std::vector<std::uint8_t>(voxels.begin() + 256, voxels.end()),
              Render(dir.File(FormatName(3)), 8, 8, loader.m_nWindowCentre, loader.m_nWindowWidth, 16));
}

TEST(DicomReading, LengthsPastTheEndAreRefusedWhateverTheMarkerOrSyntax)
{
    TempDir dir;
    const std::string ct = TempDir::Read(kCt);
    std::string early(128, '\0');
    early += "dICM";
    // A data set element right after the marker, declared 4 GB long.
    early += std::string("\x08\x00\x16\x00OB\x00\x00\x00\x00\x00\xf0", 12);
    const std::string cases[] = {
        dir.Write("upper.dcm", WithPixelDataPastTheEnd(ct)),
        dir.Write("lower.dcm", WithMarker(WithPixelDataPastTheEnd(ct), "dicm")),
        dir.Write("mixed.dcm", WithMarker(WithPixelDataPastTheEnd(ct), "dICM")),
        dir.Write("early.dcm", early),
        Deflated(dir, "deflated.dcm", WithPixelDataPastTheEnd),
        dir.Write("deflated-lower.dcm", WithMarker(TempDir::Read(dir.File("deflated.dcm")), "dicm")),
    };
    for (const std::string& path : cases) {
        SCOPED_TRACE(path);
        const Outcome o = Open(path);
        EXPECT_FALSE(o.probed);
        EXPECT_FALSE(o.loaded);
        if (AllocationWatch::Active()) {
            EXPECT_LT(o.largest, kMiB) << (o.largest >> 20) << " MB at once";
        }
    }
}

TEST(DicomReading, CopiesMadeForReadingLoadAsTheOriginalAndGoAway)
{
    // A lower-case marker or a deflated data set is read from a temporary
    // copy: the voxels the toolkit renders from a plain file, and no copy
    // left behind, also while the preview (which outlives its reading) is
    // still held.
    TempDir dir;
    const std::string deflated = Deflated(dir, "deflated.dcm", Unchanged);
    struct Case {
        std::string path, plain; // plain: the same image as the toolkit reads it unaided
        int size, bits;
    };
    const std::string dfl = kPydicom + "image_dfl.dcm";
    const Case cases[] = {
        {dir.Write("lower.dcm", WithMarker(TempDir::Read(kCt), "dIcM")), kCt, 128, 16},
        {deflated, kCt, 128, 16},
        {dir.Write("deflated-lower.dcm", WithMarker(TempDir::Read(deflated), "dicm")), kCt, 128, 16},
        {dfl, dfl, 512, 8},
    };
    const auto copies = [&] { return dir.FilesStartingWith("~dcm"); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const Outcome o = Open(c.path);
        ASSERT_TRUE(o.probed && o.previewed && o.loaded);
        EXPECT_EQ(o.voxels, Render(c.plain, c.size, c.size, o.centre, o.windowWidth, c.bits));
        EXPECT_TRUE(copies().empty());

        std::unique_ptr<DicomImage> preview = CDicomLoader::CreatePreview(c.path, 128);
        ASSERT_NE(preview, nullptr);
        EXPECT_TRUE(copies().empty());
        EXPECT_NE(preview->getOutputData(8, 0, 0), nullptr);

        CDicomFile file;
        ASSERT_TRUE(file.Read(c.path));
        EXPECT_EQ(copies().size(), 1u) << "the copy is read from while the file object lives";
        DicomImage image(&file.File(), file.Dataset()->getOriginalXfer(), 0UL, 0UL, 1UL);
        EXPECT_EQ(image.getStatus(), EIS_Normal) << "deferred values load from the copy";
    }
    EXPECT_TRUE(copies().empty());
}
