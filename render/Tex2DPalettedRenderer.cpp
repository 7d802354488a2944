#include "render/Tex2DPalettedRenderer.h"

CTex2DPalettedRenderer::CTex2DPalettedRenderer(CModel* model, IGlSurface* dc, int width, int height)
    : CTex2DRenderer(model, dc, width, height, "Volume rendering using OpenGL 2D paletted textures", kAutoUpdate)
{
}

void CTex2DPalettedRenderer::InitExtensions()
{
    m_pfnColorTableEXT = reinterpret_cast<PFNGLCOLORTABLEEXTPROC>(GlGetProcAddress("glColorTableEXT"));
    Gl().Enable(GL_SHARED_TEXTURE_PALETTE_EXT);
    CTex2DRenderer::InitExtensions();
}

void CTex2DPalettedRenderer::LoadPalette()
{
    if (m_pfnColorTableEXT)
        m_pfnColorTableEXT(GL_SHARED_TEXTURE_PALETTE_EXT, GL_RGBA, 256, GL_RGBA, GL_UNSIGNED_BYTE,
                           m_pRgbaTable->data());
}

void CTex2DPalettedRenderer::BuildTextures()
{
    if (!StageVolume())
        return;
    Gl().Enable(GL_SHARED_TEXTURE_PALETTE_EXT);
    UploadStacks(GL_COLOR_INDEX8_EXT, GL_COLOR_INDEX, GL_UNSIGNED_BYTE);
    LoadPalette();
}

void CTex2DPalettedRenderer::UpdateLookupTable()
{
    if (m_bTexturesDirty)
        RebuildTextures();
    else if (!m_bTexturesMissing)
        LoadPalette();
}
