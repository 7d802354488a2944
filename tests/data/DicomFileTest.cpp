// Files whose headers declare more than they hold are refused before the
// toolkit allocates what they declare, whatever their marker or transfer
// syntax.
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

} // namespace

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
    // copy: the same voxels as the plain file, and no copy left behind, also
    // while the preview (which outlives its reading) is still held.
    TempDir dir;
    const std::string deflated = Deflated(dir, "deflated.dcm", Unchanged);
    const std::string cases[] = {
        dir.Write("lower.dcm", WithMarker(TempDir::Read(kCt), "dIcM")),
        deflated,
        dir.Write("deflated-lower.dcm", WithMarker(TempDir::Read(deflated), "dicm")),
        kPydicom + "image_dfl.dcm",
    };
    const auto copies = [&] { return dir.FilesStartingWith("~dcm"); };
    const Outcome plain = Open(kCt);
    ASSERT_TRUE(plain.loaded);
    for (const std::string& path : cases) {
        SCOPED_TRACE(path);
        const Outcome o = Open(path);
        ASSERT_TRUE(o.probed && o.previewed && o.loaded);
        if (path != cases[3]) {
            EXPECT_EQ(o.voxels, plain.voxels);
        }
        EXPECT_TRUE(copies().empty());

        std::unique_ptr<DicomImage> preview = CDicomLoader::CreatePreview(path, 128);
        ASSERT_NE(preview, nullptr);
        EXPECT_TRUE(copies().empty());
        EXPECT_NE(preview->getOutputData(8, 0, 0), nullptr);

        CDicomFile file;
        ASSERT_TRUE(file.Read(path));
        EXPECT_EQ(copies().size(), 1u) << "the copy is read from while the file object lives";
        DicomImage image(&file.File(), file.Dataset()->getOriginalXfer(), 0UL, 0UL, 1UL);
        EXPECT_EQ(image.getStatus(), EIS_Normal) << "deferred values load from the copy";
    }
    EXPECT_TRUE(copies().empty());
}
