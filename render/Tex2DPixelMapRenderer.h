#pragma once
#include <memory>

#include "render/LookupTextures.h"
#include "render/Tex2DRenderer.h"

// RGBA slices coloured before interpolation: the 8-bit indices pass the
// GL's colour pixel maps on upload, so a table edit rebuilds every texture.
class CTex2DPixelMapRenderer : public CTex2DRenderer {
public:
    CTex2DPixelMapRenderer(CModel* model, IGlSurface* dc, int width, int height);

    // Asks for a rebuild: the maps act only on upload.
    void UpdateLookupTable() override;
    void BuildTextures() override;

    std::unique_ptr<ColourPixelMaps> m_pMaps;

protected:
    bool StagesEightBitIndices() const override { return true; }
};
