#pragma once
#include "render/Tex3DRenderer.h"

// A colour-index volume looked up before interpolation in the shared
// texture palette; a table edit replaces only the palette. Indices are
// always staged as 8 bits, the palette having 256 entries.
class CTex3DPalettedRenderer : public CTex3DRenderer {
public:
    CTex3DPalettedRenderer(CModel* model, IGlSurface* dc, int width, int height);

    void UpdateLookupTable() override;
    void InitExtensions() override;
    void BuildTextures() override;

    PFNGLCOLORTABLEEXTPROC m_pfnColorTableEXT = nullptr;

protected:
    bool StagesEightBitIndices() const override { return true; }

private:
    void LoadPalette();
};
