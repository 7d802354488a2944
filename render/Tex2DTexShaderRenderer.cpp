#include "render/Tex2DTexShaderRenderer.h"

#include "render/LookupTextures.h"

CTex2DTexShaderRenderer::CTex2DTexShaderRenderer(CModel* model, IGlSurface* dc, int width, int height)
    : CTex2DRenderer(model, dc, width, height,
                     "Volume rendering using OpenGL 2D Textures and NVidia texture shader extension", kAutoUpdate)
{
}

CTex2DTexShaderRenderer::~CTex2DTexShaderRenderer()
{
    MakeOwnContextCurrent();
    DeleteTextureName(m_nLookupTexture);
    m_pLookupStaging.reset();
}

void CTex2DTexShaderRenderer::InitExtensions()
{
    m_pfnActiveTextureARB = reinterpret_cast<PFNGLACTIVETEXTUREARBPROC>(GlGetProcAddress("glActiveTextureARB"));
    CTex2DRenderer::InitExtensions();
}

void CTex2DTexShaderRenderer::FreeTextures()
{
    m_pLookupStaging.reset();
    DeleteTextureName(m_nLookupTexture);
    CTex2DRenderer::FreeTextures();
}

void CTex2DTexShaderRenderer::AfterSliceImage()
{
    const CGlDispatch& gl = Gl();
    gl.Enable(GL_TEXTURE_SHADER_NV);
    gl.TexEnvi(GL_TEXTURE_SHADER_NV, GL_SHADER_OPERATION_NV, GL_TEXTURE_2D);
}

void CTex2DTexShaderRenderer::BuildTextures()
{
    if (!StageVolume())
        return;
    Gl().GenTextures(1, &m_nLookupTexture);
    if (m_pfnActiveTextureARB)
        m_pfnActiveTextureARB(GL_TEXTURE0_ARB);
    UploadStacks(m_nBits == 16 ? GL_INTENSITY16 : GL_INTENSITY8, GL_LUMINANCE,
                 m_nBits == 16 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_BYTE);
    m_pLookupStaging = std::make_unique<std::uint8_t[]>(kDependentLookupBytes);
    UploadLookupTexture();
}

void CTex2DTexShaderRenderer::UploadLookupTexture()
{
    if (!m_pfnActiveTextureARB)
        return;
    FillDependentLookup(m_pLookupStaging, *m_pRgbaTable);
    UploadDependentLookup(m_pfnActiveTextureARB, GL_TEXTURE_2D, m_nLookupTexture, m_pLookupStaging.get());
}

void CTex2DTexShaderRenderer::UpdateLookupTable()
{
    ReplaceLookupTexture(
        m_nLookupTexture, m_pfnActiveTextureARB != nullptr, [this] { UploadLookupTexture(); },
        [this] {
            FillDependentLookup(m_pLookupStaging, *m_pRgbaTable);
            ReplaceDependentLookup(m_pfnActiveTextureARB, GL_TEXTURE_2D, m_nLookupTexture, m_pLookupStaging.get());
        });
}

void CTex2DTexShaderRenderer::EnableTexturing(bool enable)
{
    EnableDependentLookup(m_pfnActiveTextureARB, GL_TEXTURE_2D, enable);
}
