#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "TextureFamilies.h"
#include "data/Quaternion.h"
#include "render/Tex3DFragShaderRenderer.h"
#include "render/Tex3DPixelMapRenderer.h"
#include "render/Tex3DPlainRenderer.h"
#include "support/VolumeScenes.h"

namespace {
struct Scene : TOffscreenScene<Scene, CTex3DRenderer> {
    // Window rows and columns of a model point seen face-on.
    int Column(float x) const { return int(32 + x * Scale()); }
    int Row(float y) const { return int(32 - y * Scale()); }
    // Pixels per model unit at the volume's centre: 1.75 diagonals away at
    // 30 degrees over 64 pixels.
    float Scale() const { return float(32.0 / (std::tan(15 * std::acos(-1.0) / 180) * 1.75 * renderer->m_fRadius)); }
};

// The 3D texture's texels as the GL holds them (one byte each for
// intensity, four for RGBA), of the texture bound on the active unit.
std::vector<std::uint8_t> Texels(const CTex3DRenderer& r, GLenum format, GLenum type)
{
    const int channels = format == GL_RGBA ? 4 : 1, bytes = type == GL_UNSIGNED_SHORT ? 2 : 1;
    std::vector<std::uint8_t> out(std::size_t(r.m_nTexWidth) * r.m_nTexHeight * r.m_nTexDepth * channels * bytes);
    Gl().PixelStorei(GL_PACK_ALIGNMENT, 1);
    Gl().BindTexture(GL_TEXTURE_3D, r.m_nTexture3D);
    Gl().GetTexImage(GL_TEXTURE_3D, 0, format, type, out.data());
    return out;
}
} // namespace

// The multi-planar planes show the raw intensity, the fragment shader
// switched off: turning each axis toward the viewer shows its plane's value
// whatever colour the table gives it.
TEST(Tex3DRendererGl, MprPlanesShowTheIntensity)
{
    // The point (-3, 3, -5) is voxel (5, 4, 3): each plane shows the ramp's
    // value there.
    const int voxel[3] = {5, 4, 3};
    for (const PlaneAxis& a : kPlaneAxes) {
        auto volume = AxisRamp(a.axis);
        auto s = Scene::Make<CTex3DFragShaderRenderer>(volume.get());
        s->SetTable([](int) { return kRed; });
        s->Frame();
        volume->SetEntryPoint({5.5f - 8, 8 - 4.5f, 3.5f - 8}, -1, -1, -1);
        volume->m_qOrientation = a.FaceOn();
        s->renderer->m_nRenderMode = kRenderMpr;
        s->renderer->OnModeChanged();
        s->Frame();
        // Off the middle, clear of the two planes seen edge-on.
        const int value = AxisRampValue(a.axis, voxel);
        ExpectNear(s->At(kMiddle + 6, kMiddle + 6), {value, value, value, 0}, 2, a.why);
        s->renderer->m_nRenderMode = kRenderNormal;
        s->Frame();
        ExpectNear(s->At(kMiddle + 6, kMiddle + 6), {255, 0, 0, 0}, 2, std::string(a.why) + ": the shader colours");
    }
}

// A volume that is not a cube (32 x 8 x 32, its texture as flat) is drawn
// at its own size: the edges of its 8-voxel height lie 4 units above and
// below the centre, also when it is turned to show its depth.
TEST(Tex3DRendererGl, FlatVolumesKeepTheirShape)
{
    auto volume = MakeVolume(32, 8, 32, 8, [](int, int y, int) { return y < 4 ? 200 : 100; });
    struct Case {
        float turn;
        const char* why;
    };
    for (Case c : {Case{0, "face-on"}, Case{90, "turned a quarter about y"}}) {
        volume->m_qOrientation = AxisAngleToQuat(CVector3(0, 1, 0), c.turn * kDegToRad);
        auto s = Scene::Make<CTex3DPlainRenderer>(volume.get());
        s->Frame();
        // Voxel rows 0..3 are the upper half of the world (y runs the other
        // way), 4..7 the lower; outside y = +-4 nothing.
        const int x = kMiddle;
        EXPECT_GT(s->At(x, s->Row(3.0f)).r, 150) << c.why << ": inside the upper half";
        EXPECT_GT(s->At(x, s->Row(-3.0f)).r, 60) << c.why << ": inside the lower half";
        EXPECT_LT(s->At(x, s->Row(-3.0f)).r, 140) << c.why << ": the lower half is darker";
        // Clear of the near face, which the perspective shows 1.25 times
        // as large, and of the filtered fringe beyond it.
        EXPECT_EQ(s->At(x, s->Row(6.5f)).r, 0) << c.why << ": above the volume";
        EXPECT_EQ(s->At(x, s->Row(-6.5f)).r, 0) << c.why << ": below it";
        // Across, the volume is 32 units wide either way.
        EXPECT_GT(s->At(s->Column(14.0f), kMiddle - 2).r, 150) << c.why << ": near the right edge";
    }
}

// The texture holds the volume centred and flipped as the staging put it,
// 16 bits kept or rescaled.
TEST(Tex3DRendererGl, TextureHoldsTheCentredVolume)
{
    const int dx = 3, dy = 5, dz = 2; // pads to 4 x 8 x 2, offsets 0, 1, 0
    DrawEachStaging<Scene, CTex3DPlainRenderer>(dx, dy, dz, [&](const Staging& c, const Scene& s) {
        const auto img = Texels(*s.renderer, GL_RED, c.Type());
        for (int slice = 0; slice < 2; ++slice)
            for (int row = 0; row < 8; ++row)
                for (int col = 0; col < 4; ++col) {
                    const int x = col, y = 8 - 1 - 1 - row, z = slice;
                    const bool inside = x < dx && y >= 0 && y < dy;
                    const int want = inside ? c.Texel(x, y, z) : 0;
                    const std::size_t i = std::size_t(col + (slice * 8 + row) * 4);
                    ASSERT_EQ(c.Read(img, i), want) << c.why << " texel " << col << "," << row << "," << slice;
                }
    });
}

// With an alpha column of all 0 the pixel maps upload a texture whose
// alpha is 0 everywhere, and nothing is drawn.
TEST(Tex3DRendererGl, ZeroAlphaColumnGivesClearTexels)
{
    auto volume = TwoHalves();
    auto s = Scene::Make<CTex3DPixelMapRenderer>(volume.get());
    s->SetTable([](int i) { return std::uint32_t(i) << 24 | std::uint32_t(255 - i) << 8; });
    s->Frame();
    const auto texels = Texels(*s->renderer, GL_RGBA, GL_UNSIGNED_BYTE);
    int red = 0;
    for (std::size_t i = 0; i < texels.size(); i += 4) {
        ASSERT_EQ(texels[i + 3], 0) << "texel " << i / 4;
        red += texels[i] > 0;
    }
    EXPECT_GT(red, 1000) << "the colour channels are there";
    for (int y = 0; y < 64; y += 7)
        for (int x = 0; x < 64; x += 7)
            ASSERT_EQ(s->At(x, y).r, 0) << x << "," << y;
}

// The line overlays (the multi-planar frames, the cut-plane box and the
// trajectory) are drawn untextured from the first frame on, although the
// build of that frame left 3D texturing on: frame 1 shows as many of their
// pixels as frame 2. The volume is empty, so no slice covers them.
TEST(Tex3DRendererGl, LineOverlaysOnTheFirstFrame)
{
    struct Overlay {
        int mode;
        bool trajectory;
        const char* why;
    };
    const Overlay overlays[] = {
        {kRenderMpr, false, "multi-planar frames"},
        {kRenderCutPlanes, false, "cut-plane box"},
        {kRenderNormal, true, "trajectory"},
    };
    struct Case {
        const char* what;
        std::function<std::unique_ptr<Scene>(CModel*)> make;
    };
    const Case cases[] = {
        {"plain", Scene::Make<CTex3DPlainRenderer>},
        {"pixel maps", Scene::Make<CTex3DPixelMapRenderer>},
        {"ATI fragment shader", Scene::Make<CTex3DFragShaderRenderer>},
    };
    // Blue lines, or the yellow trajectory.
    auto lines = [](const Scene& s, bool yellow) {
        int n = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const Rgba c = s.At(x, y);
                n += yellow ? c.r > 100 && c.g > 100 && c.b < 60 : c.b > 100 && c.r < 60 && c.g < 60;
            }
        return n;
    };
    for (const Case& c : cases)
        for (const Overlay& o : overlays) {
            auto volume = MakeVolume(16, 16, 16, 8, [](int, int, int) { return 0; });
            volume->SetEntryPoint({0, 0, 0}, -1, -1, -1);
            volume->m_bShowTrajectory = o.trajectory;
            volume->m_qOrientation = AxisAngleToQuat(CVector3(0.3f, 1, 0.2f), 30 * kDegToRad);
            auto s = c.make(volume.get());
            s->SetTable(Identity);
            s->renderer->m_nRenderMode = o.mode;
            s->renderer->OnModeChanged();
            const std::string why = std::string(c.what) + ", " + o.why;
            s->Frame();
            const int first = lines(*s, o.trajectory);
            s->Frame();
            const int second = lines(*s, o.trajectory);
            EXPECT_GT(second, 20) << why;
            EXPECT_EQ(first, second) << why;
        }
}
