#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "TextureFamilies.h"
#include "render/Tex2DFragProgRenderer.h"
#include "render/Tex2DPlainRenderer.h"
#include "render/Tex2DRgbRenderer.h"
#include "support/VolumeScenes.h"

namespace {
using Rgb = Rgba;
struct Scene : TOffscreenScene<Scene, CVolumeRenderer> {};

const int kLeft = 20, kRight = 44;

template <class R> std::vector<std::uint8_t> TextureBytes(GLuint name, int w, int h, GLenum format, GLenum type)
{
    const int bytes = (format == GL_BGRA ? 4 : 1) * (type == GL_UNSIGNED_SHORT ? 2 : 1);
    std::vector<std::uint8_t> out(std::size_t(w) * h * bytes);
    Gl().PixelStorei(GL_PACK_ALIGNMENT, 1);
    Gl().BindTexture(GL_TEXTURE_2D, name);
    Gl().GetTexImage(GL_TEXTURE_2D, 0, format, type, out.data());
    return out;
}
} // namespace

// The cut planes clip the normal view with the face mask; the fly-through
// view is never clipped.
TEST(Tex2DRendererGl, ClipPlanesCut)
{
    struct Case {
        int mode;
        std::uint8_t mask;
        Rgb right;
        const char* why;
    };
    const Case cases[] = {
        {kRenderNormal, 63, kBlack, "face 0 moved to x = 0 removes the right half"},
        {kRenderNormal, 63 & ~1, {255, 0, 0}, "its mask bit cleared, face 0 does not clip"},
        {kRenderCutPlanes, 63, kBlack, "the cut-plane mode clips too"},
        {kRenderFlyThrough, 63, {255, 0, 0}, "fly-through does not clip"},
    };
    for (const Case& c : cases) {
        auto volume = TwoHalves();
        auto s = Scene::Make<CTex2DFragProgRenderer>(volume.get());
        s->SetTable(HalvesTable);
        s->Frame(); // builds, which sets the planes to the box
        s->renderer->MoveFace0(-s->renderer->m_dPlanes[0][3]);
        s->renderer->m_nFaceMask = c.mask;
        s->renderer->m_nRenderMode = c.mode;
        s->Frame();
        ExpectNear(s->At(kRight, kMiddle), c.right, 2, c.why);
        if (c.mode != kRenderFlyThrough) {
            ExpectNear(s->At(kLeft, kMiddle), {0, 255, 0}, 2, std::string(c.why) + ": left stays");
        }
    }
}

// MPR draws the three slices through the current point and nothing else,
// unclipped: turning each axis toward the viewer shows its slice's value.
TEST(Tex2DRendererGl, MprShowsTheThreeSlicesUnclipped)
{
    // Slice (5, 11, 3): each plane shows the ramp's value there.
    const int slice[3] = {5, 11, 3};
    for (const PlaneAxis& a : kPlaneAxes) {
        auto volume = AxisRamp(a.axis);
        auto s = Scene::Make<CTex2DFragProgRenderer>(volume.get());
        s->SetTable(Identity);
        s->Frame();
        // The point of those slices (row 16 - 1 - 11 of the flipped y): the
        // frames drawn there stand edge-on away from the middle.
        volume->SetEntryPoint({5 - 8, 4 - 8, 3 - 8}, 5, 11, 3);
        volume->m_qOrientation = a.FaceOn();
        // What the normal view would clip away entirely.
        for (int face = 0; face < 6; face += 2)
            s->renderer->m_dPlanes[face][3] = -50;
        s->renderer->m_nRenderMode = kRenderMpr;
        s->Frame();
        const int value = AxisRampValue(a.axis, slice);
        ExpectNear(s->At(kMiddle, kMiddle), {value, value, value}, 2, a.why);
        s->renderer->m_nRenderMode = kRenderNormal;
        s->Frame();
        ExpectNear(s->At(kMiddle, kMiddle), kBlack, 0, std::string(a.why) + ": the normal view is clipped");
    }
}

// The textures hold the volume as the staging layout puts it: rows flipped
// in y, the padding zero, 16 bits rescaled or kept.
TEST(Tex2DRendererGl, TexturesHoldTheFlippedVolume)
{
    const int dx = 3, dy = 5, dz = 3; // pads to 4 x 8 x 4
    DrawEachStaging<Scene, CTex2DPlainRenderer>(dx, dy, dz, [&](const Staging& c, const Scene& s) {
        const CVolumeRenderer& r = *s.renderer;
        const auto& t = static_cast<const CTex2DRenderer&>(r);
        const GLenum type = c.Type();
        auto texel = [&](const std::vector<std::uint8_t>& img, int i) { return c.Read(img, std::size_t(i)); };
        auto expected = [&](int x, int row, int z) {
            if (x >= dx || row >= dy || z >= dz)
                return 0;
            return c.Texel(x, dy - 1 - row, z);
        };
        const int X = r.m_nTexWidth, Y = r.m_nTexHeight, Z = r.m_nTexDepth;
        ASSERT_EQ(X, 4);
        ASSERT_EQ(Y, 8);
        ASSERT_EQ(Z, 4);
        for (int z = 0; z < Z; ++z) {
            auto img = TextureBytes<int>(t.m_pZTextures[z], X, Y, GL_RED, type);
            for (int row = 0; row < Y; ++row)
                for (int x = 0; x < X; ++x)
                    ASSERT_EQ(texel(img, x + row * X), expected(x, row, z)) << c.why << " z texture " << z;
        }
        for (int row = 0; row < dy; ++row) {
            auto img = TextureBytes<int>(t.m_pYTextures[row], X, Z, GL_RED, type);
            for (int z = 0; z < Z; ++z)
                for (int x = 0; x < X; ++x)
                    ASSERT_EQ(texel(img, x + z * X), expected(x, row, z)) << c.why << " y texture " << row;
        }
        for (int x = 0; x < dx; ++x) {
            auto img = TextureBytes<int>(t.m_pXTextures[x], Y, Z, GL_RED, type);
            for (int z = 0; z < Z; ++z)
                for (int row = 0; row < Y; ++row)
                    ASSERT_EQ(texel(img, row + z * Y), expected(x, row, z)) << c.why << " x texture " << x;
        }
    });
}

// RGB texels are the stored blue, green and red bytes with their truncated
// luminance as alpha; a volume without a usable colour block gives grey
// texels from its voxels instead of reading colour that is not there.
TEST(Tex2DRendererGl, RgbTexels)
{
    struct Case {
        const char* why;
        std::function<std::unique_ptr<CVolume>()> make;
        std::vector<std::uint8_t> bgra; // the z texture's first row
    };
    const std::uint32_t colours[3] = {0x1E140A, 0xFF0000, 0xFFFFFF}; // red 30 green 20 blue 10, ...
    const Case cases[] = {
        {"colour block",
         [&] { return std::unique_ptr<CVolume>(MakeRgbVolume(3, 1, 1, [&](int x, int, int) { return colours[x]; })); },
         {10, 20, 30, 21, 0, 0, 255, 76, 255, 255, 255, 255, 0, 0, 0, 0}},
        {"grey volume", [] { return MakeVolume(3, 1, 1, 8, [](int x, int, int) { return 100 * x; }); },
         {0, 0, 0, 0, 100, 100, 100, 100, 200, 200, 200, 200, 0, 0, 0, 0}},
        {"16-bit grey volume", [] { return MakeVolume(3, 1, 1, 16, [](int x, int, int) { return 25700 * x; }); },
         {0, 0, 0, 0, 100, 100, 100, 100, 200, 200, 200, 200, 0, 0, 0, 0}},
        {"colour dropped",
         [] {
             auto v = MakeRgbVolume(3, 1, 1, [](int, int, int) { return 0x0000FFu; });
             v->DropColour();
             return std::unique_ptr<CVolume>(std::move(v));
         },
         {85, 85, 85, 85, 85, 85, 85, 85, 85, 85, 85, 85, 0, 0, 0, 0}},
        {"colour block of the wrong size",
         [] {
             auto v = MakeRgbVolume(3, 1, 1, [](int, int, int) { return 0x0000FFu; });
             v->m_nColourBytes = 3;
             return std::unique_ptr<CVolume>(std::move(v));
         },
         {85, 85, 85, 85, 85, 85, 85, 85, 85, 85, 85, 85, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        auto volume = c.make();
        auto s = Scene::Make<CTex2DRgbRenderer>(volume.get());
        s->Frame();
        const auto& t = static_cast<const CTex2DRenderer&>(*s->renderer);
        ASSERT_EQ(t.m_nTexWidth, 4) << c.why;
        auto img = TextureBytes<int>(t.m_pZTextures[0], 4, 2, GL_BGRA, GL_UNSIGNED_BYTE);
        // Row 0 of the texture is the flipped last voxel row: here the only one.
        EXPECT_EQ(std::vector<std::uint8_t>(img.begin(), img.begin() + 16), c.bgra) << c.why;
        EXPECT_TRUE(s->prompter.asked.empty()) << c.why;
    }
}

// A GL error left by the rebuild is shown once with the GL's own text, and
// drawing goes on.
TEST(Tex2DRendererGl, GlErrorAfterARebuildIsReported)
{
    auto volume = TwoHalves();
    auto s = Scene::Make<CTex2DPlainRenderer>(volume.get());
    Gl().Enable(0x1234); // an enum no GL has
    s->Frame();
    ASSERT_EQ(s->prompter.asked.size(), 1u);
    EXPECT_EQ(s->prompter.asked[0].text, "invalid enumerant");
    EXPECT_EQ(s->prompter.asked[0].style, unsigned(MB_OK | MB_ICONINFORMATION));
    ExpectNear(s->At(kRight, kMiddle), {200, 200, 200}, 3, "drawn all the same");
    Gl().Enable(0x1234);
    s->Frame();
    EXPECT_EQ(s->prompter.asked.size(), 1u) << "only a rebuild is followed by the check";
    Gl().GetError();
}
