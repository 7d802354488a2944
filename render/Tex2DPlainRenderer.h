#pragma once
#include "render/Tex2DRenderer.h"

// Plain intensity slices: grey and MIP only, the lookup table has no effect.
class CTex2DPlainRenderer : public CTex2DRenderer {
public:
    CTex2DPlainRenderer(CModel* model, IGlSurface* dc, int width, int height);

    void BuildTextures() override;

protected:
    bool ZeroTexelIsClear() const override { return true; }
};
