#pragma once
#include "render/Renderer.h"

class CMesh;

// Draws a mesh with vertex arrays, solid and lit or as a wireframe, whole or
// group by group. Also the renderer kept when nothing is loaded.
class CMeshRenderer : public CRenderer {
public:
    CMeshRenderer(CModel* model, IGlSurface* dc, int width, int height);
    ~CMeshRenderer() override;

    void BeginFrame(IGlSurface* dc, COLORREF background, IGlContext* context) override;
    void Render(IGlSurface* dc, bool swap) override;
    bool SupportsFeature(int) override { return false; }
    void SetModel(CModel* model) override;

    void CreateContext(IGlSurface* dc);
    void DrawMesh(CMesh& mesh);

    CMesh* m_pMesh = nullptr;
    float m_fLightPos[4] = {0.0f, 0.0f, 1.0f, 0.0f};
};
