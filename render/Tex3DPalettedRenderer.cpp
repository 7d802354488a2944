#include "render/Tex3DPalettedRenderer.h"

CTex3DPalettedRenderer::CTex3DPalettedRenderer(CModel* model, IGlSurface* dc, int width, int height)
    : CTex3DRenderer(model, dc, width, height, "Volume rendering using OpenGL 3D paletted textures.", kAutoUpdate)
{
}

void CTex3DPalettedRenderer::InitExtensions()
{
    m_pfnColorTableEXT = reinterpret_cast<PFNGLCOLORTABLEEXTPROC>(GlGetProcAddress("glColorTableEXT"));
    Gl().Enable(GL_SHARED_TEXTURE_PALETTE_EXT);
    CTex3DRenderer::InitExtensions();
}

void CTex3DPalettedRenderer::LoadPalette()
{
    if (m_pfnColorTableEXT)
        m_pfnColorTableEXT(GL_SHARED_TEXTURE_PALETTE_EXT, GL_RGBA, 256, GL_RGBA, GL_UNSIGNED_BYTE,
                           m_pRgbaTable->data());
}

void CTex3DPalettedRenderer::BuildTextures()
{
    if (!StageVolume())
        return;
    UploadVolume(GL_COLOR_INDEX8_EXT, GL_COLOR_INDEX, GL_UNSIGNED_BYTE);
    LoadPalette();
}

void CTex3DPalettedRenderer::UpdateLookupTable()
{
    if (m_bTexturesDirty)
        RebuildTextures();
    else if (!m_bTexturesMissing)
        LoadPalette();
}
