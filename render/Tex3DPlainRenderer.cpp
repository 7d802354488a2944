#include "render/Tex3DPlainRenderer.h"

CTex3DPlainRenderer::CTex3DPlainRenderer(CModel* model, IGlSurface* dc, int width, int height)
    : CTex3DRenderer(model, dc, width, height, "Volume rendering using OpenGL 3D Texture extensions")
{
}

void CTex3DPlainRenderer::BuildTextures()
{
    if (!StageVolume())
        return;
    UploadIntensity();
}
