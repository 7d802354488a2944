#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TextureFamilies.h"
#include "data/AppSettings.h"
#include "data/Quaternion.h"
#include "render/Tex2DFragProgRenderer.h"
#include "render/Tex2DPixelMapRenderer.h"
#include "render/Tex3DFragShaderRenderer.h"
#include "render/Tex3DPixelMapRenderer.h"
#include "support/VolumeScenes.h"

namespace {
struct Scene : TOffscreenScene<Scene, CVolumeRenderer> {
    // Which pixels show anything.
    std::vector<bool> LitMask() const
    {
        std::vector<bool> lit;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const Rgba c = At(x, y);
                lit.push_back(c.r > 40 || c.g > 40 || c.b > 40);
            }
        return lit;
    }
};
} // namespace

// A change of the classification alone keeps what the user set: zoomed in
// and with face 0 of the cut-plane box dragged in, a table edit (which the
// pixel-map classes apply by building their textures anew) or a new
// lattice size (which rebuilds the 3D texture) leaves the field of view,
// the camera and the cut faces as they were, and the picture shows the same
// part of the volume as large as before.
TEST(ClassificationRebuildGl, KeepsTheZoomAndTheCutFaces)
{
    struct Case {
        const char* what;
        std::function<std::unique_ptr<Scene>(CModel*)> make;
        bool threeD;
    };
    const Case cases[] = {
        {"2D pixel maps", Scene::Make<CTex2DPixelMapRenderer>, false},
        {"3D pixel maps", Scene::Make<CTex3DPixelMapRenderer>, true},
        {"2D ARB fragment program", Scene::Make<CTex2DFragProgRenderer>, false},
        {"3D ATI fragment shader", Scene::Make<CTex3DFragShaderRenderer>, true},
    };
    auto table = [](std::uint32_t rgb) {
        return [rgb](int i) { return i >= 150 ? rgb << 8 | 0xFFu : 0u; };
    };
    SliceOptions option;
    auto volume = MakeVolume(16, 16, 16, 8, [](int, int, int) { return 200; });
    volume->m_qOrientation = AxisAngleToQuat(CVector3(0.3f, 1, 0), 25 * kDegToRad);
    for (const Case& c : cases)
        for (bool lattice : {false, true}) {
            if (lattice && !c.threeD)
                continue;
            const std::string why = std::string(c.what) + (lattice ? ", new lattice size" : ", table edit");
            option.s.m_nLatticePoints = 8;
            auto s = c.make(volume.get());
            s->SetTable(table(0xFF0000));
            s->Frame();
            s->renderer->m_nRenderMode = kRenderCutPlanes;
            s->renderer->OnModeChanged();
            s->renderer->Zoom(50);
            s->renderer->MoveFace0(-6);
            s->Frame();
            const std::vector<bool> before = s->LitMask();
            const CameraLookAt camera = s->renderer->m_CameraLookAt;
            const double d0 = s->renderer->m_dPlanes[0][3];
            ASSERT_EQ(d0, 3.0) << why << ": 9 less 6";

            if (lattice) {
                option.s.m_nLatticePoints = 16;
                s->renderer->OnOptionsChanged();
            } else {
                s->SetTable(table(0x00FF00));
            }
            s->Frame();
            EXPECT_FALSE(s->renderer->m_bTexturesDirty) << why;
            EXPECT_EQ(s->renderer->m_dFovY, 20.0) << why << ": the zoom";
            EXPECT_EQ(s->renderer->m_dPlanes[0][3], d0) << why << ": the dragged face";
            EXPECT_EQ(s->renderer->m_CameraLookAt.eye, camera.eye) << why;
            const std::vector<bool> after = s->LitMask();
            int differing = 0;
            for (std::size_t i = 0; i < after.size(); ++i)
                differing += after[i] != before[i];
            EXPECT_EQ(differing, 0) << why << ": the same part as large";
            if (!lattice) {
                const Rgba middle = s->At(30, 32);
                EXPECT_TRUE(middle.g > 150 && middle.r < 60) << why << ": in the new colour, " << middle;
            }
        }
}
