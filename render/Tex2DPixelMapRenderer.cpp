#include "render/Tex2DPixelMapRenderer.h"

#include "render/LookupTextures.h"

CTex2DPixelMapRenderer::CTex2DPixelMapRenderer(CModel* model, IGlSurface* dc, int width, int height)
    : CTex2DRenderer(model, dc, width, height,
                     "Volume rendering using OpenGL 2D textures and colour pixel maps"),
      m_pMaps(std::make_unique<ColourPixelMaps>())
{
}

void CTex2DPixelMapRenderer::UpdateLookupTable() { RebuildOnTableChange(); }

void CTex2DPixelMapRenderer::BuildTextures()
{
    if (!StageVolume())
        return;
    UploadThroughPixelMaps(*m_pRgbaTable, *m_pMaps,
                           [this] { UploadStacks(GL_RGBA, GL_COLOR_INDEX, GL_UNSIGNED_BYTE); });
}
