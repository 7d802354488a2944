#pragma once
#include "platform/GlDispatch.h"
#include "render/MeshRenderer.h"

// A volume renderer in the view's place for the editor's tests: it fills
// the canvas with the colour of entry 200 of the table it was last given,
// darkened by that entry's alpha, so the view's image changes exactly when
// a new table reaches the renderer, as with a renderer that classifies its
// voxels through the table.
class CTableRenderer : public CMeshRenderer {
public:
    static constexpr int kShownEntry = 200;

    CTableRenderer(CModel* model, IGlSurface* dc, int width, int height, bool autoUpdate)
        : CMeshRenderer(model, dc, width, height)
    {
        m_bAutoUpdate = autoUpdate;
        m_uploaded = *m_pRgbaTable;
    }
    void UpdateLookupTable() override
    {
        ++m_nUploads;
        m_uploaded = *m_pRgbaTable;
    }
    void Render(IGlSurface* dc, bool swap) override
    {
        GlMakeCurrent(dc, m_hGLRC.get());
        const CGlDispatch& gl = Gl();
        gl.ClearColor(Shown(0) / 255.0f, Shown(1) / 255.0f, Shown(2) / 255.0f, 0.0f);
        gl.Clear(GL_COLOR_BUFFER_BIT);
        gl.Flush();
        if (swap && dc)
            dc->SwapBuffers();
    }
    // The byte the canvas shows for channel c, give or take the GL's rounding.
    int Shown(int c) const
    {
        const std::uint8_t* e = &m_uploaded[4 * kShownEntry];
        return (e[c] * e[3] + 127) / 255;
    }

    RgbaLookupTable m_uploaded{};
    int m_nUploads = 0;
};
