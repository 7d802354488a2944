#include "render/Tex3DPalettedRenderer.h"

#include "render/LookupTextures.h"

CTex3DPalettedRenderer::CTex3DPalettedRenderer(CModel* model, IGlSurface* dc, int width, int height)
    : CTex3DRenderer(model, dc, width, height, "Volume rendering using OpenGL 3D paletted textures.", kAutoUpdate)
{
}

void CTex3DPalettedRenderer::InitExtensions()
{
    m_pfnColorTableEXT = FetchSharedPalette();
    CTex3DRenderer::InitExtensions();
}

void CTex3DPalettedRenderer::LoadPalette() { LoadSharedPalette(m_pfnColorTableEXT, *m_pRgbaTable); }

void CTex3DPalettedRenderer::BuildTextures()
{
    if (!StageVolume())
        return;
    UploadVolume(GL_COLOR_INDEX8_EXT, GL_COLOR_INDEX, GL_UNSIGNED_BYTE);
    LoadPalette();
}

void CTex3DPalettedRenderer::UpdateLookupTable()
{
    ReplaceTableOrRebuild([this] { LoadPalette(); });
}
