#pragma once
#include <cstdint>
#include <memory>

#include "render/Tex3DRenderer.h"

// The volume's intensity on texture unit 0 coloured after interpolation
// through NVidia texture shaders: unit 1 reads the table as a 256 x 2
// texture at the intensity of unit 0 (a dependent alpha-red lookup). A
// table edit replaces only that texture.
class CTex3DTexShaderRenderer : public CTex3DRenderer {
public:
    CTex3DTexShaderRenderer(CModel* model, IGlSurface* dc, int width, int height);
    ~CTex3DTexShaderRenderer() override;

    void EnableTexturing(bool enable) override;
    void UpdateLookupTable() override;
    void InitExtensions() override;
    void FreeTextures() override;
    void BuildTextures() override;

    // Two identical rows of the 256 RGBA entries.
    std::unique_ptr<std::uint8_t[]> m_pLookupStaging;
    GLuint m_nLookupTexture = 0;
    PFNGLACTIVETEXTUREARBPROC m_pfnActiveTextureARB = nullptr;

private:
    void UploadLookupTexture();
};
