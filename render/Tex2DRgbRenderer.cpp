#include "render/Tex2DRgbRenderer.h"

#include <cstring>

#include "data/DataLock.h"
#include "data/MessageLog.h"
#include "data/Volume.h"

CTex2DRgbRenderer::CTex2DRgbRenderer(CModel* model, IGlSurface* dc, int width, int height)
    : CTex2DRenderer(model, dc, width, height, "Volume rendering in RGB using OpenGL 2D textures")
{
}

void CTex2DRgbRenderer::SetModel(CModel* model)
{
    CTex2DRenderer::SetModel(model);
    m_pRgbVolume = dynamic_cast<CRgbVolume*>(model);
}

const std::uint8_t* CTex2DRgbRenderer::ColourBlock() const
{
    if (!m_pRgbVolume || !m_pRgbVolume->m_pColour)
        return nullptr;
    const CRgbVolume& v = *m_pRgbVolume;
    const std::int64_t voxels = std::int64_t(v.m_nDimX) * v.m_nDimY * v.m_nDimZ;
    return std::int64_t(v.m_nColourBytes) == 3 * voxels ? v.m_pColour.get() : nullptr;
}

bool CTex2DRgbRenderer::StageGrey()
{
    CVolume& v = *m_pVolume;
    CDataLock lock(v);
    if (!lock.Get())
        return false;
    const std::size_t X = std::size_t(m_nTexWidth), Y = std::size_t(m_nTexHeight);
    const std::size_t dimX = std::size_t(m_nDimX), dimY = std::size_t(m_nDimY);
    const bool wide = v.m_nBits == 16;
    for (std::size_t z = 0; z < std::size_t(m_nDimZ); ++z)
        for (std::size_t y = 0; y < dimY; ++y) {
            const std::uint8_t* in = lock.Get() + (y + z * dimY) * dimX * (wide ? 2 : 1);
            std::uint8_t* out = m_pStaging.get() + ((dimY - 1 - y) + z * Y) * X * 4;
            for (std::size_t x = 0; x < dimX; ++x) {
                std::uint8_t g = in[x];
                if (wide) {
                    std::uint16_t value;
                    std::memcpy(&value, in + 2 * x, 2);
                    g = RescaleTo8Bit(value);
                }
                out[4 * x] = out[4 * x + 1] = out[4 * x + 2] = g;
                out[4 * x + 3] = RgbLuminance(g, g, g);
            }
        }
    return true;
}

void CTex2DRgbRenderer::BuildTextures()
{
    if (!m_pVolume)
        return;
    CMessageLog::ShowStatus("Building 2D textures ... please wait", true);
    InitExtensions();
    m_nBits = 32;
    TakeGeometry();
    if (!AllocStagingBuffer()) {
        BuildFailed();
        return;
    }
    GenerateTextureNames();
    if (const std::uint8_t* colour = ColourBlock()) {
        const std::size_t X = std::size_t(m_nTexWidth), Y = std::size_t(m_nTexHeight);
        const std::size_t dimX = std::size_t(m_nDimX), dimY = std::size_t(m_nDimY);
        for (std::size_t z = 0; z < std::size_t(m_nDimZ); ++z)
            for (std::size_t y = 0; y < dimY; ++y) {
                const std::uint8_t* in = colour + (y + z * dimY) * dimX * 3;
                std::uint8_t* out = m_pStaging.get() + ((dimY - 1 - y) + z * Y) * X * 4;
                for (std::size_t x = 0; x < dimX; ++x) {
                    const std::uint8_t b = in[3 * x], g = in[3 * x + 1], r = in[3 * x + 2];
                    out[4 * x] = b;
                    out[4 * x + 1] = g;
                    out[4 * x + 2] = r;
                    out[4 * x + 3] = RgbLuminance(b, g, r);
                }
            }
    } else if (!StageGrey()) {
        BuildFailed();
        return;
    }
    FindSliceRects();
    UploadStacks(GL_RGBA8, GL_BGRA_EXT, GL_UNSIGNED_BYTE);
    m_bTexturesDirty = false;
}
