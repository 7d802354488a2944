#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/ModelLoader.h"

class CDicomVolume;
class DicomImage;

// One file of the series with the instance number that places it. The number
// stays an integer so that numbers beyond six digits or below zero are sorted
// and placed correctly (or left out), never written outside the volume.
struct DicomSlice {
    std::int32_t instance = 0;
    std::string path;
};

// A slice left zero because its file could not be read or rendered.
struct UnreadableSlice {
    std::int64_t slice = 0; // from 0
    std::string path;
};

// Turns one DICOM file, or every file of its folder with the same study and
// series, into one CDicomVolume with a slice per file in instance order.
// All parsing, decompression and rendering is the toolkit's; this class
// decides membership, order, geometry and the display window.
class CDicomLoader : public CModelLoader {
public:
    CDicomLoader();
    ~CDicomLoader() override;
    CDicomLoader(const CDicomLoader&) = delete;
    CDicomLoader& operator=(const CDicomLoader&) = delete;

    // Reads one file and, when the settings ask for it, scans its folder.
    // False when the file is not a readable grey-scale DICOM image.
    bool Probe(const std::string& path, int& files, int& width, int& height, int& bits, float& voxelX,
               float& voxelY, float& voxelZ);
    // The review dialog's values.
    void ApplyChanges(int width, int height, int bits, float scaleX, float scaleY, float scaleZ, int windowLevel,
                      int windowWidth, bool bAuto);
    // Probes when no probe has run, reads the volume, builds its disk cache
    // and appends it to the series.
    bool Load(const std::string& path, CModelSeries& series) override;
    // Everything Load does before the disk cache: the volume comes back with
    // its histogram and still holding the loader's data lock. Null on failure.
    std::unique_ptr<CDicomVolume> ReadVolume();

    // The first frame of one file scaled to size x size, aspect not kept, for
    // the review dialog. Null when the toolkit cannot render the file.
    static std::unique_ptr<DicomImage> CreatePreview(const std::string& path, int size);
    // The path without its file name, trailing separator kept.
    static std::string GetFolder(const std::string& path);
    void ScanFolder(const std::string& folder, const std::string& study, const std::string& series);

    std::int64_t m_nInstanceStep = 1;
    bool m_bProbed = false;
    // Sorted by instance number, files with equal numbers in scan order.
    std::vector<DicomSlice> m_lstSlices;
    float m_fVoxelX = 1.0f, m_fVoxelY = 1.0f, m_fVoxelZ = 1.0f;
    int m_nSrcWidth = 0;
    int m_nWidth = 0;
    int m_nSrcHeight = 0;
    int m_nHeight = 0;
    std::int64_t m_nSlices = 0;
    int m_nBits = 0;
    int m_nWindowCentre = 0, m_nWindowWidth = 0;
    // False while no window could be worked out: slices are then rendered
    // over the toolkit's full output range.
    bool m_bWindowValid = false;
    double m_dMinValue = 9999999.0, m_dMaxValue = -9999999.0;
    std::int32_t m_nFirstInstance = 0, m_nLastInstance = 0;
    // Slices read at once; 0 chooses from the hardware. Any number gives the
    // same volume.
    int m_nDecodeThreads = 0;
    // What the last load could not read, in slice order; each is also logged.
    std::vector<UnreadableSlice> m_lstUnreadable;

    // The slice of each entry of the slice list: instance number less the
    // first, over the step; where that would put two files into one slice,
    // one slice per file in instance order instead.
    std::vector<std::int64_t> PlaceSlices() const;

private:
    // Renders one file into one slice; reads only the loader's settings, so
    // that several slices may be rendered at once. False leaves the slice zero.
    bool RenderSlice(const std::string& path, std::uint8_t* target, std::size_t sliceBytes, int bits) const;
    int DecodeThreads() const;
    void UseSingleFile(const std::string& path);
    // Widens the value range over every listed file. The range only feeds the
    // automatic window, so the pass runs when that is chosen, not on every scan.
    void ScanValueRange();
    void SetWindow(double centre, double width);
    bool m_bRangeScanned = false;
};
