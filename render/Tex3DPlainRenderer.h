#pragma once
#include "render/Tex3DRenderer.h"

// A plain intensity volume: grey and MIP only, the lookup table has no
// effect.
class CTex3DPlainRenderer : public CTex3DRenderer {
public:
    CTex3DPlainRenderer(CModel* model, IGlSurface* dc, int width, int height);

    void BuildTextures() override;

protected:
    bool ZeroTexelIsClear() const override { return true; }
};
