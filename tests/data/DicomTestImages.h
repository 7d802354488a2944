#pragma once
// Grey DICOM images written with the toolkit, and what the toolkit renders
// from them, for the loader and factory tests.
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcfilefo.h>
#include <dcmtk/dcmdata/dcvrobow.h>
#include <dcmtk/dcmdata/dcuid.h>
#include <dcmtk/dcmimgle/dcmimage.h>
#include <gtest/gtest.h>

#include "data/Volume.h"

// A grey image written with the toolkit; pixel (x, y) = base + (x + y*columns)*slope.
struct ImageSpec {
    std::string study = "1.2.826.0.1.3680043.10.1";
    std::string series = "1.2.826.0.1.3680043.10.1.1";
    std::optional<int> instance = 1;
    std::optional<std::string> location, thickness, spacing, pixelSpacing, centre, width;
    int rows = 8, columns = 8, bits = 16;
    int stored = 0; // bits stored; 0: all bits
    std::string photometric = "MONOCHROME2";
    int base = 100, slope = 10;
    std::vector<int> pixels; // row by row; when given, in place of the ramp
    bool unknownVR = false;  // the attributes above written with VR UN, as some writers do
};

inline void WriteImage(const std::string& path, const ImageSpec& s)
{
    DcmFileFormat file;
    DcmDataset* d = file.getDataset();
    char uid[100];
    d->putAndInsertString(DCM_SOPClassUID, UID_SecondaryCaptureImageStorage);
    d->putAndInsertString(DCM_SOPInstanceUID, dcmGenerateUniqueIdentifier(uid, SITE_INSTANCE_UID_ROOT));
    auto put = [&](const DcmTagKey& tag, const std::optional<std::string>& v) {
        if (!v)
            return;
        if (!s.unknownVR) {
            d->putAndInsertString(tag, v->c_str());
            return;
        }
        std::string bytes = *v;
        if (bytes.size() % 2)
            bytes += tag == DCM_StudyInstanceUID || tag == DCM_SeriesInstanceUID ? '\0' : ' ';
        auto* e = new DcmOtherByteOtherWord(DcmTag(tag, EVR_UN));
        e->putUint8Array(reinterpret_cast<const Uint8*>(bytes.data()), unsigned(bytes.size()));
        d->insert(e, OFTrue);
    };
    put(DCM_StudyInstanceUID, s.study);
    put(DCM_SeriesInstanceUID, s.series);
    if (s.instance)
        put(DCM_InstanceNumber, std::to_string(*s.instance));
    put(DCM_SliceLocation, s.location);
    put(DCM_SliceThickness, s.thickness);
    put(DCM_SpacingBetweenSlices, s.spacing);
    put(DCM_PixelSpacing, s.pixelSpacing);
    put(DCM_WindowCenter, s.centre);
    put(DCM_WindowWidth, s.width);
    d->putAndInsertUint16(DCM_SamplesPerPixel, 1);
    d->putAndInsertString(DCM_PhotometricInterpretation, s.photometric.c_str());
    d->putAndInsertUint16(DCM_Rows, Uint16(s.rows));
    d->putAndInsertUint16(DCM_Columns, Uint16(s.columns));
    d->putAndInsertUint16(DCM_BitsAllocated, Uint16(s.bits));
    const int stored = s.stored ? s.stored : s.bits;
    d->putAndInsertUint16(DCM_BitsStored, Uint16(stored));
    d->putAndInsertUint16(DCM_HighBit, Uint16(stored - 1));
    d->putAndInsertUint16(DCM_PixelRepresentation, 0);
    const std::size_t n = std::size_t(s.rows) * std::size_t(s.columns);
    if (s.bits == 16) {
        std::vector<Uint16> px(n);
        for (std::size_t i = 0; i < n; ++i)
            px[i] = Uint16(s.pixels.empty() ? s.base + int(i) * s.slope : s.pixels.at(i));
        d->putAndInsertUint16Array(DCM_PixelData, px.data(), unsigned(n));
    } else {
        std::vector<Uint8> px(n + (n & 1));
        for (std::size_t i = 0; i < n; ++i)
            px[i] = Uint8(s.pixels.empty() ? s.base + int(i) * s.slope : s.pixels.at(i));
        d->putAndInsertUint8Array(DCM_PixelData, px.data(), unsigned(px.size()));
    }
    ASSERT_TRUE(file.saveFile(OFFilename(path.c_str()), EXS_LittleEndianExplicit, EET_ExplicitLength, EGL_recalcGL,
                              EPD_noChange, 0, 0, EWM_createNewMeta)
                    .good())
        << path;
}

inline void RunTool(const std::string& command) { ASSERT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command; }

inline std::string FormatName(int i) { return "im" + std::to_string(i) + ".dcm"; }

inline std::string Quote(const std::string& s) { return "'" + s + "'"; }

// What the toolkit renders for one file's first frame at the given size,
// window (none: the output's full range) and depth.
inline std::vector<std::uint8_t> Render(const std::string& path, int width, int height,
                                        std::optional<std::pair<int, int>> window, int bits)
{
    DcmFileFormat file;
    EXPECT_TRUE(file.loadFile(OFFilename(path.c_str()), EXS_Unknown, EGL_noChange, 4096, ERM_autoDetect).good());
    DicomImage full(&file, file.getDataset()->getOriginalXfer(), 0UL, 0UL, 0UL);
    DicomImage* image = &full;
    std::unique_ptr<DicomImage> scaled;
    if (full.getWidth() != unsigned(width) || full.getHeight() != unsigned(height)) {
        scaled.reset(full.createScaledImage(static_cast<unsigned long>(width), static_cast<unsigned long>(height), 1, 0));
        image = scaled.get();
    }
    if (window)
        image->setWindow(double(window->first), double(window->second));
    const std::size_t bytes = std::size_t(width) * height * (bits / 8);
    auto* out = static_cast<const std::uint8_t*>(image->getOutputData(bits, 0, 0));
    EXPECT_NE(out, nullptr) << path;
    return out ? std::vector<std::uint8_t>(out, out + bytes) : std::vector<std::uint8_t>(bytes);
}

inline std::vector<std::uint8_t> Render(const std::string& path, int width, int height, int centre, int windowWidth, int bits)
{
    return Render(path, width, height, std::pair<int, int>(centre, windowWidth), bits);
}

inline std::vector<std::uint8_t> Voxels(CVolume& v)
{
    std::uint8_t* p = v.LockData();
    std::vector<std::uint8_t> out(p, p + (p ? v.m_nDataBytes : 0));
    v.UnlockData();
    return out;
}

