#include "render/Tex2DTexShaderRenderer.h"

#include <cstring>

namespace {
// Two rows of the table's 256 RGBA entries.
constexpr std::size_t kLookupBytes = 2 * 256 * 4;
static_assert(sizeof(RgbaLookupTable) == kLookupBytes / 2, "one row is the whole table");
} // namespace

CTex2DTexShaderRenderer::CTex2DTexShaderRenderer(CModel* model, IGlSurface* dc, int width, int height)
    : CTex2DRenderer(model, dc, width, height,
                     "Volume rendering using OpenGL 2D Textures and NVidia texture shader extension", kAutoUpdate)
{
}

CTex2DTexShaderRenderer::~CTex2DTexShaderRenderer()
{
    MakeOwnContextCurrent();
    if (m_nLookupTexture)
        Gl().DeleteTextures(1, &m_nLookupTexture);
    m_nLookupTexture = 0;
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
    if (m_nLookupTexture)
        Gl().DeleteTextures(1, &m_nLookupTexture);
    m_nLookupTexture = 0;
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
    m_pLookupStaging = std::make_unique<std::uint8_t[]>(kLookupBytes);
    UploadLookupTexture();
}

void CTex2DTexShaderRenderer::FillLookupStaging()
{
    if (!m_pLookupStaging)
        m_pLookupStaging = std::make_unique<std::uint8_t[]>(kLookupBytes);
    std::memcpy(m_pLookupStaging.get(), m_pRgbaTable->data(), kLookupBytes / 2);
    std::memcpy(m_pLookupStaging.get() + kLookupBytes / 2, m_pRgbaTable->data(), kLookupBytes / 2);
}

void CTex2DTexShaderRenderer::UploadLookupTexture()
{
    if (!m_pfnActiveTextureARB)
        return;
    const CGlDispatch& gl = Gl();
    FillLookupStaging();
    gl.Enable(GL_TEXTURE_2D);
    m_pfnActiveTextureARB(GL_TEXTURE1_ARB);
    gl.Enable(GL_TEXTURE_SHADER_NV);
    gl.BindTexture(GL_TEXTURE_2D, m_nLookupTexture);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    gl.TexEnvi(GL_TEXTURE_SHADER_NV, GL_SHADER_OPERATION_NV, GL_DEPENDENT_AR_TEXTURE_2D_NV);
    gl.TexEnvi(GL_TEXTURE_SHADER_NV, GL_PREVIOUS_TEXTURE_INPUT_NV, GL_TEXTURE0_ARB);
    gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 256, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, m_pLookupStaging.get());
    m_pfnActiveTextureARB(GL_TEXTURE0_ARB);
    gl.Disable(GL_TEXTURE_2D);
}

void CTex2DTexShaderRenderer::UpdateLookupTable()
{
    if (m_bTexturesDirty) {
        RebuildTextures();
        return;
    }
    if (m_bTexturesMissing || !m_pfnActiveTextureARB)
        return;
    const CGlDispatch& gl = Gl();
    if (!gl.IsTexture(m_nLookupTexture)) {
        if (!m_nLookupTexture)
            gl.GenTextures(1, &m_nLookupTexture);
        UploadLookupTexture();
        return;
    }
    FillLookupStaging();
    gl.Enable(GL_TEXTURE_2D);
    m_pfnActiveTextureARB(GL_TEXTURE1_ARB);
    gl.Enable(GL_TEXTURE_SHADER_NV);
    gl.BindTexture(GL_TEXTURE_2D, m_nLookupTexture);
    gl.TexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 256, 2, GL_RGBA, GL_UNSIGNED_BYTE, m_pLookupStaging.get());
    m_pfnActiveTextureARB(GL_TEXTURE0_ARB);
    gl.Disable(GL_TEXTURE_2D);
}

void CTex2DTexShaderRenderer::EnableTexturing(bool enable)
{
    const CGlDispatch& gl = Gl();
    auto set = [&](GLenum cap) { enable ? gl.Enable(cap) : gl.Disable(cap); };
    if (m_pfnActiveTextureARB) {
        m_pfnActiveTextureARB(GL_TEXTURE1_ARB);
        set(GL_TEXTURE_SHADER_NV);
        m_pfnActiveTextureARB(GL_TEXTURE0_ARB);
        set(GL_TEXTURE_SHADER_NV);
    }
    set(GL_TEXTURE_2D);
}
