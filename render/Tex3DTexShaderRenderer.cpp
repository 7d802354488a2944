#include "render/Tex3DTexShaderRenderer.h"

#include "render/LookupTextures.h"

CTex3DTexShaderRenderer::CTex3DTexShaderRenderer(CModel* model, IGlSurface* dc, int width, int height)
    : CTex3DRenderer(model, dc, width, height,
                     "Volume rendering using OpenGL 3D Textures and NVidia texture shader extensions.", kAutoUpdate)
{
}

CTex3DTexShaderRenderer::~CTex3DTexShaderRenderer()
{
    MakeOwnContextCurrent();
    DeleteTextureName(m_nLookupTexture);
    m_pLookupStaging.reset();
}

void CTex3DTexShaderRenderer::InitExtensions()
{
    m_pfnActiveTextureARB = reinterpret_cast<PFNGLACTIVETEXTUREARBPROC>(GlGetProcAddress("glActiveTextureARB"));
    CTex3DRenderer::InitExtensions();
}

void CTex3DTexShaderRenderer::FreeTextures()
{
    m_pLookupStaging.reset();
    DeleteTextureName(m_nLookupTexture);
    CTex3DRenderer::FreeTextures();
}

void CTex3DTexShaderRenderer::BuildTextures()
{
    if (!StageVolume())
        return;
    const CGlDispatch& gl = Gl();
    gl.GenTextures(1, &m_nLookupTexture);
    if (m_pfnActiveTextureARB)
        m_pfnActiveTextureARB(GL_TEXTURE0_ARB);
    UploadIntensity();
    gl.Enable(GL_TEXTURE_SHADER_NV);
    gl.TexEnvi(GL_TEXTURE_SHADER_NV, GL_SHADER_OPERATION_NV, GL_TEXTURE_3D);
    m_pLookupStaging = std::make_unique<std::uint8_t[]>(kDependentLookupBytes);
    UploadLookupTexture();
}

void CTex3DTexShaderRenderer::UploadLookupTexture()
{
    if (!m_pfnActiveTextureARB)
        return;
    FillDependentLookup(m_pLookupStaging, *m_pRgbaTable);
    UploadDependentLookup(m_pfnActiveTextureARB, GL_TEXTURE_3D, m_nLookupTexture, m_pLookupStaging.get());
}

void CTex3DTexShaderRenderer::UpdateLookupTable()
{
    ReplaceLookupTexture(
        m_nLookupTexture, m_pfnActiveTextureARB != nullptr, [this] { UploadLookupTexture(); },
        [this] {
            FillDependentLookup(m_pLookupStaging, *m_pRgbaTable);
            ReplaceDependentLookup(m_pfnActiveTextureARB, GL_TEXTURE_3D, m_nLookupTexture, m_pLookupStaging.get());
        });
}

void CTex3DTexShaderRenderer::EnableTexturing(bool enable)
{
    EnableDependentLookup(m_pfnActiveTextureARB, GL_TEXTURE_3D, enable);
}
