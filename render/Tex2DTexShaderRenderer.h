#pragma once
#include <memory>

#include "render/Tex2DRenderer.h"

// Intensity slices coloured after interpolation through NVidia texture
// shaders: unit 1 reads the table as a 256 x 2 texture at the intensity of
// unit 0 (a dependent alpha-red lookup). A table edit replaces only that
// texture.
class CTex2DTexShaderRenderer : public CTex2DRenderer {
public:
    CTex2DTexShaderRenderer(CModel* model, IGlSurface* dc, int width, int height);
    ~CTex2DTexShaderRenderer() override;

    void EnableTexturing(bool enable) override;
    void UpdateLookupTable() override;
    void InitExtensions() override;
    void FreeTextures() override;
    void BuildTextures() override;

    GLuint m_nLookupTexture = 0;
    // Two identical rows of the 256 RGBA entries.
    std::unique_ptr<std::uint8_t[]> m_pLookupStaging;
    PFNGLACTIVETEXTUREARBPROC m_pfnActiveTextureARB = nullptr;

protected:
    void AfterSliceImage() override;

private:
    void UploadLookupTexture();
};
