#pragma once
#include <cstdint>
#include <string>

#include "data/ModelLoader.h"
#include "platform/File.h"

class CEndoscopeModel;

// Reads an endoscope capture (three versions) into one model per usable
// frame. Version 1 keeps its frames in the companion files ".end" (frames)
// and ".mar" (markers) beside the main file.
class CEndoscopeLoader : public CModelLoader {
public:
    static constexpr std::uint32_t kMagic1 = 0xF1290001u;
    static constexpr std::uint32_t kMagic2 = 0x7149331Au;
    static constexpr std::uint8_t kIdentifier3[16] = {0x26, 0x8F, 0xF2, 0xD2, 0xB4, 0x38, 0x94, 0x4F,
                                                      0x85, 0x7A, 0x98, 0xE1, 0x6B, 0xF7, 0x5A, 0x93};
    static constexpr int kHeader1Bytes = 183;
    static constexpr int kFrame1Bytes = 380;
    static constexpr int kMarkerBytes = 410;
    static constexpr int kHeader2Bytes = 101;
    static constexpr int kFrame2Bytes = 654;
    static constexpr int kHeader3Bytes = 97;
    static constexpr int kFrame3Bytes = 651;
    static constexpr int kExtension3Bytes = 21;

    bool Load(const std::string& path, CModelSeries& series) override;

    // 1, 2 or 3 once the identification and the version's header are read;
    // -1 for anything else.
    int DetectVersion(CFile& file);

private:
    bool ReadHeader1(CFile& file);
    bool ReadHeader2(CFile& file);
    bool ReadHeader3(CFile& file);
    bool ReadFrames1(CFile& file, CModelSeries& series);
    bool ReadFrames2(CFile& file, CModelSeries& series);
    bool ReadFrames3(CFile& file, CModelSeries& series);
    // Versions 2 and 3 differ only in the shift of their fields.
    bool ReadFramesOf(CFile& file, CModelSeries& series, int version);

    std::int32_t m_nVersion = 0;
    std::int32_t m_nFrameCount = 0; // informational only
    CFile m_endFile;
    CFile m_markerFile;
};
