#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "TextureFamilies.h"
#include "bench/FlyThroughAim.h"
#include "data/AppSettings.h"
#include "render/FlyThrough.h"
#include "render/Tex2DPixelMapRenderer.h"
#include "render/Tex2DPlainRenderer.h"
#include "render/Tex3DFragShaderRenderer.h"
#include "render/Tex3DPixelMapRenderer.h"
#include "render/Tex3DPlainRenderer.h"
#include "support/VolumeScenes.h"

namespace {
struct Scene : TOffscreenScene<Scene, CVolumeRenderer> {
    // Pixels brighter than `level` in every channel.
    int Lit(int level) const
    {
        int lit = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const Rgba c = At(x, y);
                lit += c.r > level && c.g > level && c.b > level;
            }
        return lit;
    }
};
} // namespace

// From inside the box the fly-through lights every pixel, for both texture
// families and for quads and shells, wherever the eye is and wherever it
// looks: the slices narrowed to the frustum stand on the eye's view axis
// (not on the volume's centre, which may lie outside the view) and reach as
// wide as the frustum is where the far walls are seen.
TEST(FlyThroughGl, EveryPixelSeesAWallFromInside)
{
    struct Renderer {
        const char* what;
        std::function<std::unique_ptr<Scene>(CModel*)> make;
        bool quads;
    };
    const Renderer renderers[] = {
        {"2D plain", Scene::Make<CTex2DPlainRenderer>, true},
        {"2D pixel maps", Scene::Make<CTex2DPixelMapRenderer>, true},
        {"3D plain quads", Scene::Make<CTex3DPlainRenderer>, true},
        {"3D plain shells", Scene::Make<CTex3DPlainRenderer>, false},
        {"3D pixel maps quads", Scene::Make<CTex3DPixelMapRenderer>, true},
        {"3D pixel maps shells", Scene::Make<CTex3DPixelMapRenderer>, false},
        {"3D ATI fragment shader quads", Scene::Make<CTex3DFragShaderRenderer>, true},
        {"3D ATI fragment shader shells", Scene::Make<CTex3DFragShaderRenderer>, false},
    };
    struct View {
        CVector3 eye, look;
        const char* why;
    };
    const View views[] = {
        {{0, 0, 0}, {0, 0, -1}, "at the centre"},
        {{20, 5, 0}, {0, 0, -1}, "off the centre, the centre out of view"},
        {{-24, -9, 4}, {0, 0, -1}, "near a corner"},
        {{20, 5, 0}, {-1, 0, 0}, "down the length, the far wall beyond mid depth"},
        {{25, 10, -5}, {-1, 0.3f, 0.3f}, "along a diagonal"},
        {{-20, 8, 3}, {0.3f, -1, 0.2f}, "down across the height"},
    };
    // The box's diagonal of 73.3 puts mid depth of the fly-through frustum
    // at 37.7, where the frustum is 20 units wide.
    auto volume = HollowBox();
    SliceOptions option;
    for (const Renderer& r : renderers) {
        option.s.m_bUseQuads = r.quads;
        auto s = r.make(volume.get());
        s->SetTable(Identity);
        s->Frame();
        s->renderer->m_nRenderMode = kRenderFlyThrough;
        s->renderer->OnModeChanged();
        bool left = false, right = false;
        CFlyThrough camera(s->renderer.get(), ViewButtons{&left, &right}, volume.get());
        for (const View& v : views) {
            camera.m_vEye = v.eye;
            bench::AimFlyThrough(camera, v.look);
            s->Frame();
            EXPECT_EQ(s->Lit(40), 64 * 64) << r.what << ", " << v.why;
        }
    }
}
