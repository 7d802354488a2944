#pragma once
#include "render/Tex2DRenderer.h"

// Intensity slices on texture unit 0 coloured after interpolation by an ARB
// fragment program that looks the intensity up in a 256-texel 1D texture on
// unit 1. A table edit replaces only that 1D texture.
class CTex2DFragProgRenderer : public CTex2DRenderer {
public:
    CTex2DFragProgRenderer(CModel* model, IGlSurface* dc, int width, int height);
    ~CTex2DFragProgRenderer() override;

    void EnableTexturing(bool enable) override;
    void UpdateLookupTable() override;
    void InitExtensions() override;
    void FreeTextures() override;
    void BuildTextures() override;

    GLuint m_nLookupTexture = 0;
    GLuint m_nProgram = 0;
    bool m_bTexturingEnabled = false;
    PFNGLACTIVETEXTUREARBPROC m_pfnActiveTextureARB = nullptr;
    PFNGLGENPROGRAMSARBPROC m_pfnGenProgramsARB = nullptr;
    PFNGLDELETEPROGRAMSARBPROC m_pfnDeleteProgramsARB = nullptr;
    PFNGLBINDPROGRAMARBPROC m_pfnBindProgramARB = nullptr;
    PFNGLPROGRAMSTRINGARBPROC m_pfnProgramStringARB = nullptr;

private:
    void UploadLookupTexture();
};
