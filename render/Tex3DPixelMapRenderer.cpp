#include "render/Tex3DPixelMapRenderer.h"

#include "render/LookupTextures.h"

CTex3DPixelMapRenderer::CTex3DPixelMapRenderer(CModel* model, IGlSurface* dc, int width, int height)
    : CTex3DRenderer(model, dc, width, height,
                     "Volume rendering using OpenGL 3D textures and colour pixel maps"),
      m_pMaps(std::make_unique<ColourPixelMaps>())
{
}

void CTex3DPixelMapRenderer::UpdateLookupTable() { RebuildOnTableChange(); }

void CTex3DPixelMapRenderer::BuildTextures()
{
    if (!StageVolume())
        return;
    UploadThroughPixelMaps(*m_pRgbaTable, *m_pMaps,
                           [this] { UploadVolume(GL_RGBA, GL_COLOR_INDEX, GL_UNSIGNED_BYTE); });
}
