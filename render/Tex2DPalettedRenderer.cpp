#include "render/Tex2DPalettedRenderer.h"

#include "render/LookupTextures.h"

CTex2DPalettedRenderer::CTex2DPalettedRenderer(CModel* model, IGlSurface* dc, int width, int height)
    : CTex2DRenderer(model, dc, width, height, "Volume rendering using OpenGL 2D paletted textures", kAutoUpdate)
{
}

void CTex2DPalettedRenderer::InitExtensions()
{
    m_pfnColorTableEXT = FetchSharedPalette();
    CTex2DRenderer::InitExtensions();
}

void CTex2DPalettedRenderer::LoadPalette() { LoadSharedPalette(m_pfnColorTableEXT, *m_pRgbaTable); }

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
    ReplaceTableOrRebuild([this] { LoadPalette(); });
}
