#pragma once
#include "render/Tex3DRenderer.h"

// The volume's intensity on texture unit 1 coloured after interpolation by
// an ATI fragment shader: the first pass samples the volume, the second
// looks the sample up in a 256-texel 1D texture on unit 0. A table edit
// replaces only that 1D texture.
//
// The shader is defined only when the driver names GL_ATI_fragment_shader
// and GL_ARB_multitexture and hands out every entry point; until then no
// ATI entry point is called and the volume shows its raw intensity.
class CTex3DFragShaderRenderer : public CTex3DRenderer {
public:
    CTex3DFragShaderRenderer(CModel* model, IGlSurface* dc, int width, int height);
    ~CTex3DFragShaderRenderer() override;

    void EnableTexturing(bool enable) override;
    void UpdateLookupTable() override;
    // Entry points and a new shader (the one before deleted), then the
    // 3D-texture entry point and the blend equation.
    void InitExtensions() override;
    void FreeTextures() override;
    void BuildTextures() override;
    void SelectVolumeTextureUnit() override;
    // The planes show the raw intensity.
    void DrawMprPlanes() override;

    GLuint m_nLookupTexture = 0;
    GLuint m_nShader = 0;
    bool m_bShaderDefined = false;
    PFNGLACTIVETEXTUREARBPROC m_pfnActiveTextureARB = nullptr;
    PFNGLGENFRAGMENTSHADERSATIPROC m_pfnGenFragmentShadersATI = nullptr;
    PFNGLBINDFRAGMENTSHADERATIPROC m_pfnBindFragmentShaderATI = nullptr;
    PFNGLDELETEFRAGMENTSHADERATIPROC m_pfnDeleteFragmentShaderATI = nullptr;
    PFNGLBEGINFRAGMENTSHADERATIPROC m_pfnBeginFragmentShaderATI = nullptr;
    PFNGLENDFRAGMENTSHADERATIPROC m_pfnEndFragmentShaderATI = nullptr;
    PFNGLPASSTEXCOORDATIPROC m_pfnPassTexCoordATI = nullptr;
    PFNGLSAMPLEMAPATIPROC m_pfnSampleMapATI = nullptr;
    PFNGLCOLORFRAGMENTOP1ATIPROC m_pfnColorFragmentOp1ATI = nullptr;
    PFNGLCOLORFRAGMENTOP2ATIPROC m_pfnColorFragmentOp2ATI = nullptr;
    PFNGLCOLORFRAGMENTOP3ATIPROC m_pfnColorFragmentOp3ATI = nullptr;
    PFNGLALPHAFRAGMENTOP1ATIPROC m_pfnAlphaFragmentOp1ATI = nullptr;
    PFNGLALPHAFRAGMENTOP2ATIPROC m_pfnAlphaFragmentOp2ATI = nullptr;
    PFNGLALPHAFRAGMENTOP3ATIPROC m_pfnAlphaFragmentOp3ATI = nullptr;
    PFNGLSETFRAGMENTSHADERCONSTANTATIPROC m_pfnSetFragmentShaderConstantATI = nullptr;

private:
    void FetchEntryPoints();
    void DefineShader();
    void DeleteShader();
    void UploadLookupTexture();
};
