#pragma once
#include <cstdint>
#include <cstring>
#include <string>

#include "data/AppSettings.h"

// Little-endian file contents built field by field, as the layouts list them.
struct FileBytes {
    std::string bytes;
    FileBytes& I32(std::int32_t v) { return Raw(&v, 4); }
    FileBytes& F32(float v) { return Raw(&v, 4); }
    FileBytes& U8(std::uint8_t v) { return Raw(&v, 1); }
    FileBytes& Fill(std::size_t n, char c) { bytes.append(n, c); return *this; }
    FileBytes& Raw(const void* p, std::size_t n)
    {
        bytes.append(static_cast<const char*>(p), n);
        return *this;
    }
};

inline std::int32_t I32At(const std::string& s, std::size_t offset)
{
    std::int32_t v = 0;
    std::memcpy(&v, s.data() + offset, 4);
    return v;
}
inline float F32At(const std::string& s, std::size_t offset)
{
    float v = 0;
    std::memcpy(&v, s.data() + offset, 4);
    return v;
}

// Loaded voxels are thresholded at the minimum alpha; tests that compare
// voxel values set it for their scope.
class MinAlphaScope {
public:
    explicit MinAlphaScope(float alpha) : m_old(CAppSettings::GetInstance()->m_fMinAlpha)
    {
        CAppSettings::GetInstance()->m_fMinAlpha = alpha;
    }
    ~MinAlphaScope() { CAppSettings::GetInstance()->m_fMinAlpha = m_old; }
    MinAlphaScope(const MinAlphaScope&) = delete;
    MinAlphaScope& operator=(const MinAlphaScope&) = delete;

private:
    float m_old;
};
