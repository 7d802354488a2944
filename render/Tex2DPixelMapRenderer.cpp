#include "render/Tex2DPixelMapRenderer.h"

CTex2DPixelMapRenderer::CTex2DPixelMapRenderer(CModel* model, IGlSurface* dc, int width, int height)
    : CTex2DRenderer(model, dc, width, height,
                     "Volume rendering using OpenGL 2D textures and colour pixel maps"),
      m_pMaps(std::make_unique<std::array<std::array<float, 256>, 4>>())
{
}

void CTex2DPixelMapRenderer::UpdateLookupTable() { RebuildOnTableChange(); }

void CTex2DPixelMapRenderer::BuildTextures()
{
    if (!StageVolume())
        return;
    const CGlDispatch& gl = Gl();
    auto& maps = *m_pMaps;
    for (int i = 0; i < 256; ++i)
        for (int c = 0; c < 4; ++c)
            maps[c][i] = (*m_pRgbaTable)[4 * i + c] * 0.003921569f;
    gl.PixelTransferi(GL_MAP_COLOR, 1);
    const GLenum names[4] = {GL_PIXEL_MAP_I_TO_R, GL_PIXEL_MAP_I_TO_G, GL_PIXEL_MAP_I_TO_B, GL_PIXEL_MAP_I_TO_A};
    for (int c = 0; c < 4; ++c)
        gl.PixelMapfv(names[c], 256, maps[c].data());
    UploadStacks(GL_RGBA, GL_COLOR_INDEX, GL_UNSIGNED_BYTE);
    gl.PixelTransferi(GL_MAP_COLOR, 0);
}
