#include "render/Tex3DFragShaderRenderer.h"

#include <type_traits>

#include "render/LookupTextures.h"
#include "render/RendererFactory.h"

namespace {
template <typename F>
F Fetch(const char* name)
{
    return reinterpret_cast<F>(GlGetProcAddress(name));
}

constexpr LookupUnits kUnits = {GL_TEXTURE0_ARB, GL_TEXTURE1_ARB, GL_TEXTURE_3D};
} // namespace

CTex3DFragShaderRenderer::CTex3DFragShaderRenderer(CModel* model, IGlSurface* dc, int width, int height)
    : CTex3DRenderer(model, dc, width, height,
                     "Volume rendering using OpenGL 3D Textures and ATI fragment shader extensions.", kAutoUpdate)
{
}

CTex3DFragShaderRenderer::~CTex3DFragShaderRenderer()
{
    MakeOwnContextCurrent();
    DeleteShader();
    DeleteTextureName(m_nLookupTexture);
}

void CTex3DFragShaderRenderer::FetchEntryPoints()
{
    // Any name gives a pointer on some drivers: the extension string says
    // whether it may be called.
    m_pfnActiveTextureARB = IsExtensionSupported("GL_ARB_multitexture")
                                ? Fetch<PFNGLACTIVETEXTUREARBPROC>("glActiveTextureARB")
                                : nullptr;
    const bool ati = IsExtensionSupported("GL_ATI_fragment_shader");
    auto fetch = [ati](auto& slot, const char* name) {
        slot = ati ? Fetch<std::remove_reference_t<decltype(slot)>>(name) : nullptr;
    };
    fetch(m_pfnGenFragmentShadersATI, "glGenFragmentShadersATI");
    fetch(m_pfnBindFragmentShaderATI, "glBindFragmentShaderATI");
    fetch(m_pfnDeleteFragmentShaderATI, "glDeleteFragmentShaderATI");
    fetch(m_pfnBeginFragmentShaderATI, "glBeginFragmentShaderATI");
    fetch(m_pfnEndFragmentShaderATI, "glEndFragmentShaderATI");
    fetch(m_pfnPassTexCoordATI, "glPassTexCoordATI");
    fetch(m_pfnSampleMapATI, "glSampleMapATI");
    fetch(m_pfnColorFragmentOp1ATI, "glColorFragmentOp1ATI");
    fetch(m_pfnColorFragmentOp2ATI, "glColorFragmentOp2ATI");
    fetch(m_pfnColorFragmentOp3ATI, "glColorFragmentOp3ATI");
    fetch(m_pfnAlphaFragmentOp1ATI, "glAlphaFragmentOp1ATI");
    fetch(m_pfnAlphaFragmentOp2ATI, "glAlphaFragmentOp2ATI");
    fetch(m_pfnAlphaFragmentOp3ATI, "glAlphaFragmentOp3ATI");
    fetch(m_pfnSetFragmentShaderConstantATI, "glSetFragmentShaderConstantATI");
}

void CTex3DFragShaderRenderer::InitExtensions()
{
    // Every rebuild defines the shader again; the one before goes.
    DeleteShader();
    FetchEntryPoints();
    const bool complete = m_pfnActiveTextureARB && m_pfnGenFragmentShadersATI && m_pfnBindFragmentShaderATI &&
                          m_pfnDeleteFragmentShaderATI && m_pfnBeginFragmentShaderATI && m_pfnEndFragmentShaderATI &&
                          m_pfnPassTexCoordATI && m_pfnSampleMapATI && m_pfnColorFragmentOp1ATI &&
                          m_pfnColorFragmentOp2ATI && m_pfnColorFragmentOp3ATI && m_pfnAlphaFragmentOp1ATI &&
                          m_pfnAlphaFragmentOp2ATI && m_pfnAlphaFragmentOp3ATI && m_pfnSetFragmentShaderConstantATI;
    if (complete)
        DefineShader();
    CTex3DRenderer::InitExtensions();
}

void CTex3DFragShaderRenderer::DefineShader()
{
    m_nShader = m_pfnGenFragmentShadersATI(1);
    m_pfnBindFragmentShaderATI(m_nShader);
    m_pfnBeginFragmentShaderATI();
    // Pass 1: the volume of unit 1 into register 1.
    m_pfnSampleMapATI(GL_REG_1_ATI, GL_TEXTURE1_ARB, GL_SWIZZLE_STR_ATI);
    m_pfnColorFragmentOp1ATI(GL_MOV_ATI, GL_REG_2_ATI, GL_NONE, GL_NONE, GL_REG_1_ATI, GL_NONE, GL_NONE);
    // Pass 2: the lookup of unit 0 at that sample into register 0, the output.
    m_pfnPassTexCoordATI(GL_REG_1_ATI, GL_REG_1_ATI, GL_SWIZZLE_STR_ATI);
    m_pfnSampleMapATI(GL_REG_0_ATI, GL_REG_1_ATI, GL_SWIZZLE_STR_ATI);
    // Mesa ends a pass without arithmetic with GL_INVALID_OPERATION (and
    // draws right all the same); r0 copied onto itself changes nothing.
    m_pfnColorFragmentOp1ATI(GL_MOV_ATI, GL_REG_0_ATI, GL_NONE, GL_NONE, GL_REG_0_ATI, GL_NONE, GL_NONE);
    m_pfnEndFragmentShaderATI();
    m_bShaderDefined = true;
}

void CTex3DFragShaderRenderer::DeleteShader()
{
    if (m_bShaderDefined && m_pfnDeleteFragmentShaderATI)
        m_pfnDeleteFragmentShaderATI(m_nShader);
    m_nShader = 0;
    m_bShaderDefined = false;
}

void CTex3DFragShaderRenderer::SelectVolumeTextureUnit()
{
    if (m_pfnActiveTextureARB)
        m_pfnActiveTextureARB(GL_TEXTURE1_ARB);
}

void CTex3DFragShaderRenderer::FreeTextures()
{
    DeleteTextureName(m_nLookupTexture);
    CTex3DRenderer::FreeTextures();
}

void CTex3DFragShaderRenderer::BuildTextures()
{
    if (!StageVolume())
        return;
    Gl().GenTextures(1, &m_nLookupTexture);
    UploadIntensity();
    UploadLookupTexture();
}

void CTex3DFragShaderRenderer::UploadLookupTexture()
{
    if (m_pfnActiveTextureARB)
        Upload1DLookup(m_pfnActiveTextureARB, kUnits, m_nLookupTexture, *m_pRgbaTable);
}

void CTex3DFragShaderRenderer::UpdateLookupTable()
{
    ReplaceLookupTexture(
        m_nLookupTexture, m_pfnActiveTextureARB != nullptr, [this] { UploadLookupTexture(); },
        [this] { Replace1DLookup(m_pfnActiveTextureARB, kUnits, m_nLookupTexture, *m_pRgbaTable); });
}

void CTex3DFragShaderRenderer::EnableTexturing(bool enable)
{
    const CGlDispatch& gl = Gl();
    if (enable) {
        if (m_bShaderDefined) {
            m_pfnBindFragmentShaderATI(m_nShader);
            gl.Enable(GL_FRAGMENT_SHADER_ATI);
        }
        if (m_pfnActiveTextureARB) {
            m_pfnActiveTextureARB(GL_TEXTURE0_ARB);
            gl.Disable(GL_TEXTURE_3D);
            gl.Disable(GL_TEXTURE_2D);
            gl.Enable(GL_TEXTURE_1D);
            gl.BindTexture(GL_TEXTURE_1D, m_nLookupTexture);
            m_pfnActiveTextureARB(GL_TEXTURE1_ARB);
        }
        gl.Enable(GL_TEXTURE_3D);
    } else {
        if (m_bShaderDefined)
            gl.Disable(GL_FRAGMENT_SHADER_ATI);
        if (m_pfnActiveTextureARB) {
            m_pfnActiveTextureARB(GL_TEXTURE0_ARB);
            gl.Disable(GL_TEXTURE_1D);
            m_pfnActiveTextureARB(GL_TEXTURE1_ARB);
        }
        gl.Disable(GL_TEXTURE_3D);
    }
}

void CTex3DFragShaderRenderer::DrawMprPlanes()
{
    if (m_bShaderDefined)
        Gl().Disable(GL_FRAGMENT_SHADER_ATI);
    CTex3DRenderer::DrawMprPlanes();
}
