#pragma once
#include <memory>
#include <vector>

#include "app/LightBox.h"
#include "app/MainFrame.h"
#include "app/Vexilo.h"
#include "data/Volume.h"
#include "render/MeshRenderer.h"

// A renderer standing in for a volume renderer: the features it is told to
// report, a count of its mode changes, option changes and frames, the MPR
// box of its volume for picking, and an MPR drag that steps the current
// point one slice along the picked axis per mouse move.
class CModeTestRenderer : public CMeshRenderer {
public:
    CModeTestRenderer(CModel* model, IGlSurface* dc, int width, int height, bool normal, bool mip)
        : CMeshRenderer(model, dc, width, height), m_normal(normal), m_mip(mip)
    {
        if (model && model->IsVolume()) {
            auto* v = static_cast<CVolume*>(model);
            const float box[6] = {-v->m_fHalfX, v->m_fHalfX, -v->m_fHalfY, v->m_fHalfY, -v->m_fHalfZ, v->m_fHalfZ};
            std::copy(box, box + 6, m_fBox);
        }
    }

    bool SupportsFeature(int feature) override { return feature == 1 ? m_normal : feature == 2 ? m_mip : false; }
    void OnModeChanged() override { modes.push_back(m_nRenderMode); }
    void OnOptionsChanged() override { ++optionChanges; }
    void Render(IGlSurface* dc, bool swap) override
    {
        ++frames;
        CMeshRenderer::Render(dc, swap);
    }
    void Drag(int dx, int dy) override
    {
        CRenderer::Drag(dx, dy);
        if (m_nRenderMode != kRenderMpr || !m_pModel || !m_pModel->IsVolume() || (dx == 0 && dy == 0))
            return;
        auto* v = static_cast<CVolume*>(m_pModel);
        int s[3] = {v->m_nSliceX, v->m_nSliceY, v->m_nSliceZ};
        ++s[m_nPicked % 3];
        v->SetEntryPoint(v->m_vEntry, s[0], s[1], s[2]);
    }

    bool m_normal, m_mip;
    std::vector<int> modes;
    int optionChanges = 0;
    int frames = 0;
};

// Gives the view a test renderer for its current model, as a load would,
// and tells the light box.
inline CModeTestRenderer* UseTestRenderer(CVexilo& view, bool normal = true, bool mip = true)
{
    const wxSize s = view.GetClientSize();
    auto renderer = std::make_unique<CModeTestRenderer>(view.m_pModel, view.Surface(), s.x, s.y, normal, mip);
    renderer->AttachModel(view.m_pModel);
    CModeTestRenderer* raw = renderer.get();
    view.m_pRenderer = std::move(renderer);
    if (auto* frame = dynamic_cast<CMainFrame*>(wxGetTopLevelParent(&view)))
        frame->GetLightBox()->SetModel(view.m_pModel);
    return raw;
}
