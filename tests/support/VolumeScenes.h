#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "data/AppSettings.h"
#include "data/Volume.h"

// The extension string of Mesa's llvmpipe as far as the renderers ask it.
inline const char kMesaExtensions[] =
    "GL_ARB_multitexture GL_EXT_blend_minmax GL_ARB_fragment_program GL_EXT_texture3D GL_ATI_fragment_shader";

// The renderer options a test changes, put back when it ends.
class SettingsGuard {
public:
    SettingsGuard()
        : m_s(*CAppSettings::GetInstance()), m_ask(m_s.m_bAskRenderer), m_use3D(m_s.m_bUse3DTextures),
          m_rescale(m_s.m_bRescaleTo8Bit)
    {
    }
    ~SettingsGuard()
    {
        m_s.m_bAskRenderer = m_ask;
        m_s.m_bUse3DTextures = m_use3D;
        m_s.m_bRescaleTo8Bit = m_rescale;
    }
    SettingsGuard(const SettingsGuard&) = delete;
    SettingsGuard& operator=(const SettingsGuard&) = delete;
    CAppSettings* operator->() { return &m_s; }

private:
    CAppSettings& m_s;
    bool m_ask, m_use3D, m_rescale;
};

// The slice options a test changes (quads or shells, the lattice size), put
// back when it ends.
struct SliceOptions {
    CAppSettings& s = *CAppSettings::GetInstance();
    bool quads = s.m_bUseQuads;
    int lattice = s.m_nLatticePoints;
    ~SliceOptions()
    {
        s.m_bUseQuads = quads;
        s.m_nLatticePoints = lattice;
    }
};

// A grey volume whose voxel (x, y, z) is value(x, y, z).
template <class V = CVolume>
std::unique_ptr<V> MakeVolume(int dx, int dy, int dz, int bits, const std::function<int(int, int, int)>& value)
{
    auto v = std::make_unique<V>(dx, dy, dz, bits);
    for (int z = 0; z < dz; ++z)
        for (int y = 0; y < dy; ++y)
            for (int x = 0; x < dx; ++x)
                v->SetVoxel(x, y, z, std::uint16_t(value(x, y, z)));
    v->SetVoxelSize(1, 1, 1);
    return v;
}

// The same with its colour block: voxel (x, y, z) stores the blue, green and
// red bytes that colour(x, y, z) gives as 0x00RRGGBB, and their mean as grey.
inline std::unique_ptr<CRgbVolume> MakeRgbVolume(int dx, int dy, int dz,
                                                 const std::function<std::uint32_t(int, int, int)>& colour)
{
    auto v = std::make_unique<CRgbVolume>(dx, dy, dz);
    for (int z = 0; z < dz; ++z)
        for (int y = 0; y < dy; ++y)
            for (int x = 0; x < dx; ++x) {
                const std::uint32_t c = colour(x, y, z);
                const int b = c & 0xFF, g = (c >> 8) & 0xFF, r = (c >> 16) & 0xFF;
                v->CVolume::SetVoxel(x, y, z, std::uint16_t((r + g + b) / 3));
                std::uint8_t* p = &v->m_pColour[3 * (x + (std::size_t(y) + std::size_t(z) * dy) * dx)];
                p[0] = std::uint8_t(b);
                p[1] = std::uint8_t(g);
                p[2] = std::uint8_t(r);
            }
    v->SetVoxelSize(1, 1, 1);
    return v;
}

// A closed box of 64 x 32 x 16 voxels whose walls, two voxels thick, hold
// 200 and whose inside is empty: from any eye inside, every ray meets a
// wall.
template <class V = CVolume> std::unique_ptr<V> HollowBox()
{
    return MakeVolume<V>(64, 32, 16, 8, [](int x, int y, int z) {
        const bool wall = x < 2 || x >= 62 || y < 2 || y >= 30 || z < 2 || z >= 14;
        return wall ? 200 : 0;
    });
}
