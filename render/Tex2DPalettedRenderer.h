#pragma once
#include "render/Tex2DRenderer.h"

// Colour-index slices looked up before interpolation in one shared texture
// palette; a table edit replaces only the palette. Indices are always
// staged as 8 bits, the palette having 256 entries.
class CTex2DPalettedRenderer : public CTex2DRenderer {
public:
    CTex2DPalettedRenderer(CModel* model, IGlSurface* dc, int width, int height);

    void UpdateLookupTable() override;
    void InitExtensions() override;
    void BuildTextures() override;

    PFNGLCOLORTABLEEXTPROC m_pfnColorTableEXT = nullptr;

protected:
    bool StagesEightBitIndices() const override { return true; }

private:
    void LoadPalette();
};
