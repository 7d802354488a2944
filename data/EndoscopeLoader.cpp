#include "data/EndoscopeLoader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "data/EndoscopeModel.h"
#include "platform/FileFinder.h"

namespace {
// Little-endian fields of a record.
std::uint32_t U32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }
std::int16_t I16(const std::uint8_t* p) { return std::int16_t(p[0] | p[1] << 8); }
std::int32_t I32(const std::uint8_t* p) { return std::int32_t(U32(p)); }
float F32(const std::uint8_t* p)
{
    std::uint32_t u = U32(p);
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}
double F64(const std::uint8_t* p)
{
    std::uint64_t u = U32(p) | std::uint64_t(U32(p + 4)) << 32;
    double d;
    std::memcpy(&d, &u, 8);
    return d;
}

constexpr float kScale = 100.0f;

// Field offsets of a version 2 frame record; version 3 adds 4 to each.
constexpr int kValid = 2, kPositions = 18, kDirections = 210, kLengths = 402, kTarget = 492, kFrameValid = 612;

bool Keep(const CEndoscopeModel& m) { return m.m_bPointValid[0] && m.m_bPointValid[1]; }
} // namespace

bool CEndoscopeLoader::Load(const std::string& path, CModelSeries& series)
{
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::typeBinary))
        return false;
    bool ok = false;
    try {
        switch (DetectVersion(file)) {
        case 1:
            ok = ReadFrames1(file, series);
            break;
        case 2:
            ok = ReadFrames2(file, series);
            break;
        case 3:
            ok = ReadFrames3(file, series);
            break;
        default:
            break;
        }
    } catch (const CFileException&) {
        ok = false;
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    m_endFile.Close();
    m_markerFile.Close();
    return ok;
}

int CEndoscopeLoader::DetectVersion(CFile& file)
{
    m_nVersion = -1;
    std::uint8_t id[16] = {};
    if (file.Read(id, 4) == 4) {
        const std::uint32_t magic = U32(id);
        if (magic == kMagic1)
            m_nVersion = ReadHeader1(file) ? 1 : -1;
        else if (magic == kMagic2)
            m_nVersion = ReadHeader2(file) ? 2 : -1;
        if (magic == kMagic1 || magic == kMagic2)
            return m_nVersion;
    }
    file.Seek(0, CFile::begin);
    if (file.Read(id, 16) == 16 && std::memcmp(id, kIdentifier3, 16) == 0)
        m_nVersion = ReadHeader3(file) ? 3 : -1;
    return m_nVersion;
}

bool CEndoscopeLoader::ReadHeader1(CFile& file)
{
    std::uint8_t header[kHeader1Bytes];
    file.Seek(0, CFile::begin);
    if (file.Read(header, kHeader1Bytes) != kHeader1Bytes)
        return false;
    // The companions replace the three extension letters of the main path;
    // as on Windows, SCAN.IMG finds SCAN.END.
    const std::string& path = file.GetFilePath();
    const std::string stem = path.substr(0, path.size() - std::min<std::size_t>(3, path.size()));
    if (!m_endFile.Open(ResolveNameCase(stem + "end"), CFile::modeRead | CFile::typeBinary) ||
        !m_markerFile.Open(ResolveNameCase(stem + "mar"), CFile::modeRead | CFile::typeBinary))
        return false;
    m_nFrameCount = std::int32_t(m_endFile.GetLength() / kFrame1Bytes);
    return true;
}

bool CEndoscopeLoader::ReadHeader2(CFile& file)
{
    std::uint8_t header[kHeader2Bytes];
    if (file.Read(header, kHeader2Bytes) == kHeader2Bytes)
        m_nFrameCount = I32(header + 84 - 4);
    return true;
}

bool CEndoscopeLoader::ReadHeader3(CFile& file)
{
    std::uint8_t header[kHeader3Bytes];
    if (file.Read(header, kHeader3Bytes) == kHeader3Bytes)
        m_nFrameCount = I32(header + 92 - 16);
    return true;
}

bool CEndoscopeLoader::ReadFrames1(CFile& file, CModelSeries& series)
{
    std::uint8_t header[kHeader1Bytes];
    file.Seek(0, CFile::begin);
    if (file.Read(header, kHeader1Bytes) != kHeader1Bytes)
        return false;
    const int sensors = I16(header + 37);
    const double tipLength = F64(header + 39);
    const bool tip = tipLength != 0.0;
    // The header may claim more sensors than a frame has slots for.
    const int points = std::clamp(tip ? sensors + 1 : sensors, 0, CEndoscopeModel::kMaxPoints);
    const std::uint8_t* lengths = header + (tip ? 39 : 47);
    const std::uint64_t markers = m_markerFile.GetLength() / kMarkerBytes;

    std::uint8_t frame[kFrame1Bytes];
    // A marker index outside the marker file keeps the last target read.
    std::uint8_t marker[kMarkerBytes] = {};
    m_endFile.Seek(0, CFile::begin);
    while (m_endFile.Read(frame, kFrame1Bytes) == kFrame1Bytes) {
        const int k = I16(frame + 340);
        if (k >= 0 && std::uint64_t(k) < markers) {
            m_markerFile.Seek(std::int64_t(k) * kMarkerBytes, CFile::begin);
            std::uint8_t record[kMarkerBytes];
            if (m_markerFile.Read(record, kMarkerBytes) == kMarkerBytes)
                std::memcpy(marker, record, kMarkerBytes);
        }
        auto model = std::make_unique<CEndoscopeModel>();
        model->m_nPoints = points;
        for (int i = 0; i < 15; ++i)
            model->m_fSegmentLength[i] = float(F64(lengths + 8 * i) * kScale);

        const int first = tip ? 1 : 0;
        for (int i = 0; first + i < points; ++i) {
            const std::uint8_t* item = frame + 4 + 21 * i;
            const int slot = first + i;
            const CVector3 p(F32(item), F32(item + 4), F32(item + 8));
            const double theta = F32(item + 12), phi = F32(item + 16);
            if (item[20] == 0) {
                model->m_bPointValid[slot] = 0;
                if (i == 0 && tip)
                    model->m_bPointValid[0] = 0;
                continue;
            }
            model->m_vPoint[slot] = p * kScale;
            model->m_dAngle[slot][0] = theta;
            model->m_dAngle[slot][1] = phi;
            model->m_bPointValid[slot] = 1;
            if (i == 0 && tip) {
                CVector3 d = CEndoscopeModel::Direction(theta, phi);
                d.Normalize();
                model->m_vPoint[0] = p * kScale + d * float(tipLength * kScale);
                model->m_dAngle[0][0] = theta;
                model->m_dAngle[0][1] = phi;
                model->m_bPointValid[0] = 1;
            }
        }
        model->m_vTarget = CVector3(float(F64(marker + 123) * kScale), float(F64(marker + 131) * kScale),
                                    float(F64(marker + 139) * kScale));
        model->m_bDirty = true;
        if (Keep(*model))
            series.push_back(std::move(model));
    }
    return true;
}

bool CEndoscopeLoader::ReadFrames2(CFile& file, CModelSeries& series) { return ReadFramesOf(file, series, 2); }

bool CEndoscopeLoader::ReadFrames3(CFile& file, CModelSeries& series) { return ReadFramesOf(file, series, 3); }

bool CEndoscopeLoader::ReadFramesOf(CFile& file, CModelSeries& series, int version)
{
    const int size = version == 3 ? kFrame3Bytes : kFrame2Bytes;
    const int shift = version == 3 ? 4 : 0;
    // Version 3 stores its directions pointing the other way.
    const float sign = version == 3 ? -1.0f : 1.0f;
    std::uint8_t record[kFrame2Bytes];
    while (file.Read(record, std::uint32_t(size)) == std::uint32_t(size)) {
        if (version == 3 && record[kFrame3Bytes - 1] != 0) {
            std::uint8_t extension[kExtension3Bytes];
            file.Read(extension, kExtension3Bytes);
        }
        auto model = std::make_unique<CEndoscopeModel>();
        const bool frameValid = record[kFrameValid + shift] != 0;
        for (int i = 0; i < CEndoscopeModel::kMaxPoints; ++i) {
            const std::uint8_t* p = record + kPositions + shift + 12 * i;
            const std::uint8_t* d = record + kDirections + shift + 12 * i;
            const float x = sign * F32(d), y = sign * F32(d + 4), z = sign * F32(d + 8);
            model->m_bPointValid[i] = record[kValid + shift + i] != 0 && frameValid;
            model->m_vPoint[i] = CVector3(F32(p), F32(p + 4), F32(p + 8)) * kScale;
            model->m_dAngle[i][0] = std::atan2(std::sqrt(double(x) * x + double(y) * y), double(z));
            model->m_dAngle[i][1] = std::atan2(double(y), double(x));
        }
        float lengths[15];
        for (int i = 0; i < 15; ++i)
            lengths[i] = F32(record + kLengths + shift + 4 * i) * kScale;
        model->SetSegmentLengths(15, lengths);
        const std::uint8_t* t = record + kTarget + shift;
        model->m_vTarget = CVector3(F32(t), F32(t + 4), F32(t + 8)) * kScale;
        model->m_bDirty = true;
        if (Keep(*model))
            series.push_back(std::move(model));
    }
    return true;
}
