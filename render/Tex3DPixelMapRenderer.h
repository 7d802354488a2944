#pragma once
#include <memory>

#include "render/LookupTextures.h"
#include "render/Tex3DRenderer.h"

// An RGBA volume coloured before interpolation: the 8-bit indices pass the
// GL's colour pixel maps on upload, so a table edit re-uploads the volume.
class CTex3DPixelMapRenderer : public CTex3DRenderer {
public:
    CTex3DPixelMapRenderer(CModel* model, IGlSurface* dc, int width, int height);

    // Asks for a rebuild: the maps act only on upload.
    void UpdateLookupTable() override;
    void BuildTextures() override;

    std::unique_ptr<ColourPixelMaps> m_pMaps;

protected:
    bool StagesEightBitIndices() const override { return true; }
};
