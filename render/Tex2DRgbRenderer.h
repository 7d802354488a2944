#pragma once
#include "render/Tex2DRenderer.h"

class CRgbVolume;

// True-colour slices: each texel holds the voxel's stored blue, green and
// red bytes and their luminance as alpha. The lookup table has no effect.
// A volume without its colour block (a grey volume, a cropped copy, or one
// whose colour was dropped) is drawn from its grey voxels.
class CTex2DRgbRenderer : public CTex2DRenderer {
public:
    CTex2DRgbRenderer(CModel* model, IGlSurface* dc, int width, int height);

    void SetModel(CModel* model) override;
    void BuildTextures() override;

    CRgbVolume* m_pRgbVolume = nullptr;

protected:
    bool ZeroTexelIsClear() const override { return true; }

private:
    // The colour block, when it holds three bytes for every voxel.
    const std::uint8_t* ColourBlock() const;
    bool StageGrey();
};

// Luminance of stored blue, green, red bytes, truncated.
inline std::uint8_t RgbLuminance(std::uint8_t b, std::uint8_t g, std::uint8_t r)
{
    return std::uint8_t(0.299f * r + 0.587f * g + 0.114f * b);
}
