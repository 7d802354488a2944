#include "render/Tex2DPlainRenderer.h"

CTex2DPlainRenderer::CTex2DPlainRenderer(CModel* model, IGlSurface* dc, int width, int height)
    : CTex2DRenderer(model, dc, width, height, "Volume rendering using OpenGL 2D textures")
{
}

void CTex2DPlainRenderer::BuildTextures()
{
    if (!StageVolume())
        return;
    UploadStacks(m_nBits == 16 ? GL_INTENSITY16 : GL_INTENSITY8, GL_LUMINANCE,
                 m_nBits == 16 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_BYTE);
}
