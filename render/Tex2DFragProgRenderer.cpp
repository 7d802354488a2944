#include "render/Tex2DFragProgRenderer.h"

#include <string>

#include "render/LookupTextures.h"

namespace {
// The intensity from unit 0 (in w) indexes the lookup on unit 1.
constexpr char kProgram[] = "!!ARBfp1.0\n"
                            "TEMP R0;\n"
                            "TEX R0.xw, fragment.texcoord[0], texture[0], 2D;\n"
                            "TEX result.color, R0.w, texture[1], 1D;\n"
                            "END\n";
static_assert(sizeof kProgram <= 1024, "the program text fits its buffer");

constexpr LookupUnits kUnits = {GL_TEXTURE1_ARB, GL_TEXTURE0_ARB, GL_TEXTURE_2D};

template <typename F>
F Fetch(const char* name)
{
    return reinterpret_cast<F>(GlGetProcAddress(name));
}
} // namespace

CTex2DFragProgRenderer::CTex2DFragProgRenderer(CModel* model, IGlSurface* dc, int width, int height)
    : CTex2DRenderer(model, dc, width, height,
                     "Volume rendering using OpenGL 2D Textures and ARB fragment program", kAutoUpdate)
{
}

CTex2DFragProgRenderer::~CTex2DFragProgRenderer()
{
    MakeOwnContextCurrent();
    DeleteTextureName(m_nLookupTexture);
    if (m_pModel && m_nProgram && m_pfnDeleteProgramsARB)
        m_pfnDeleteProgramsARB(1, &m_nProgram);
    m_nProgram = 0;
}

void CTex2DFragProgRenderer::InitExtensions()
{
    if (m_pModel) {
        m_pfnActiveTextureARB = Fetch<PFNGLACTIVETEXTUREARBPROC>("glActiveTextureARB");
        m_pfnGenProgramsARB = Fetch<PFNGLGENPROGRAMSARBPROC>("glGenProgramsARB");
        m_pfnDeleteProgramsARB = Fetch<PFNGLDELETEPROGRAMSARBPROC>("glDeleteProgramsARB");
        m_pfnBindProgramARB = Fetch<PFNGLBINDPROGRAMARBPROC>("glBindProgramARB");
        m_pfnProgramStringARB = Fetch<PFNGLPROGRAMSTRINGARBPROC>("glProgramStringARB");
        if (m_pfnGenProgramsARB && m_pfnBindProgramARB && m_pfnProgramStringARB) {
            // Every rebuild loads the program again; the one before goes.
            if (m_nProgram && m_pfnDeleteProgramsARB)
                m_pfnDeleteProgramsARB(1, &m_nProgram);
            m_nProgram = 0;
            m_pfnGenProgramsARB(1, &m_nProgram);
            m_pfnBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, m_nProgram);
            m_pfnProgramStringARB(GL_FRAGMENT_PROGRAM_ARB, GL_PROGRAM_FORMAT_ASCII_ARB,
                                  GLsizei(sizeof kProgram - 1), kProgram);
        }
    }
    CTex2DRenderer::InitExtensions();
}

void CTex2DFragProgRenderer::FreeTextures()
{
    DeleteTextureName(m_nLookupTexture);
    CTex2DRenderer::FreeTextures();
}

void CTex2DFragProgRenderer::BuildTextures()
{
    if (!StageVolume())
        return;
    Gl().GenTextures(1, &m_nLookupTexture);
    if (m_pfnActiveTextureARB)
        m_pfnActiveTextureARB(GL_TEXTURE0_ARB);
    UploadStacks(m_nBits == 16 ? GL_INTENSITY16 : GL_INTENSITY8, GL_LUMINANCE,
                 m_nBits == 16 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_BYTE);
    UploadLookupTexture();
}

void CTex2DFragProgRenderer::UploadLookupTexture()
{
    if (m_pfnActiveTextureARB)
        Upload1DLookup(m_pfnActiveTextureARB, kUnits, m_nLookupTexture, *m_pRgbaTable);
}

void CTex2DFragProgRenderer::UpdateLookupTable()
{
    ReplaceLookupTexture(
        m_nLookupTexture, m_pfnActiveTextureARB != nullptr, [this] { UploadLookupTexture(); },
        [this] { Replace1DLookup(m_pfnActiveTextureARB, kUnits, m_nLookupTexture, *m_pRgbaTable); });
}

void CTex2DFragProgRenderer::EnableTexturing(bool enable)
{
    if (enable == m_bTexturingEnabled)
        return;
    m_bTexturingEnabled = enable;
    const CGlDispatch& gl = Gl();
    // Before the first build the entry points are not fetched yet.
    if (!m_pModel || !m_pfnActiveTextureARB || !m_pfnBindProgramARB) {
        if (enable)
            gl.Enable(GL_TEXTURE_2D);
        else
            gl.Disable(GL_TEXTURE_2D);
        return;
    }
    if (enable) {
        m_pfnActiveTextureARB(GL_TEXTURE1_ARB);
        gl.Enable(GL_TEXTURE_1D);
        gl.BindTexture(GL_TEXTURE_1D, m_nLookupTexture);
        m_pfnActiveTextureARB(GL_TEXTURE0_ARB);
        gl.Enable(GL_TEXTURE_2D);
        m_pfnBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, m_nProgram);
        gl.Enable(GL_FRAGMENT_PROGRAM_ARB);
    } else {
        gl.Disable(GL_FRAGMENT_PROGRAM_ARB);
        m_pfnActiveTextureARB(GL_TEXTURE1_ARB);
        gl.Disable(GL_TEXTURE_1D);
        m_pfnActiveTextureARB(GL_TEXTURE0_ARB);
        gl.Disable(GL_TEXTURE_2D);
    }
}
