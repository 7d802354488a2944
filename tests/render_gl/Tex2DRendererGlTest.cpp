#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "OffscreenScene.h"
#include "data/Quaternion.h"
#include "render/Tex2DFragProgRenderer.h"
#include "render/Tex2DPixelMapRenderer.h"
#include "render/Tex2DPlainRenderer.h"
#include "render/Tex2DRgbRenderer.h"
#include "support/VolumeScenes.h"

namespace {
using Rgb = Rgba;
struct Scene : TOffscreenScene<Scene, CVolumeRenderer> {};

constexpr std::uint32_t kGreen = 0x00FF00FF, kRed = 0xFF0000FF;

// Values 100 on the left (x < 8), 200 on the right of a 16^3 volume.
std::unique_ptr<CVolume> TwoHalves() { return MakeVolume(16, 16, 16, 8, [](int x, int, int) { return x < 8 ? 100 : 200; }); }

// Opaque green around 100, opaque red around 200, clear elsewhere.
std::uint32_t HalvesTable(int i) { return i >= 90 && i <= 110 ? kGreen : i >= 190 && i <= 210 ? kRed : 0; }

std::uint32_t Identity(int i) { return std::uint32_t(i) * 0x01010101u; }

const Rgb kBlack{0, 0, 0};
const int kLeft = 20, kRight = 44, kMiddle = 32;

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

// Each class colours the same volume by its own road: the table looked up
// after interpolation (program) or before it (pixel maps), the voxels'
// intensity (plain) and the colour block (RGB).
TEST(Tex2DRendererGl, ClassesColourTheirSlices)
{
    struct Case {
        const char* what;
        std::function<std::unique_ptr<Scene>(CModel*)> make;
        bool rgbVolume;
        Rgb left, right;
        int tolerance;
    };
    const Case cases[] = {
        {"fragment program", Scene::Make<CTex2DFragProgRenderer>, false, {0, 255, 0}, {255, 0, 0}, 2},
        {"pixel maps", Scene::Make<CTex2DPixelMapRenderer>, false, {0, 255, 0}, {255, 0, 0}, 2},
        // Intensity composited over itself 16 times converges on itself.
        {"plain", Scene::Make<CTex2DPlainRenderer>, false, {100, 100, 100}, {200, 200, 200}, 3},
        // Alpha is the luminance: 149 for green, 76 for red, 16 slices deep.
        {"rgb", Scene::Make<CTex2DRgbRenderer>, true, {0, 255, 0}, {254, 0, 0}, 3},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CVolume> volume =
            c.rgbVolume ? MakeRgbVolume(16, 16, 16, [](int x, int, int) { return x < 8 ? 0x00FF00u : 0xFF0000u; })
                        : TwoHalves();
        auto s = c.make(volume.get());
        s->SetTable(HalvesTable);
        s->Frame();
        ExpectNear(s->At(kLeft, kMiddle), c.left, c.tolerance, std::string(c.what) + " left");
        ExpectNear(s->At(kRight, kMiddle), c.right, c.tolerance, std::string(c.what) + " right");
        ExpectNear(s->At(2, 2), kBlack, 0, std::string(c.what) + " background");
        EXPECT_TRUE(s->prompter.asked.empty()) << c.what << ": no GL error after the build";
        // A table edit reaches the pixels of the classes that use it.
        s->SetTable([](int i) { return i >= 190 && i <= 210 ? 0x0000FFFFu : HalvesTable(i); });
        s->Frame();
        if (c.what == std::string("fragment program") || c.what == std::string("pixel maps")) {
            ExpectNear(s->At(kRight, kMiddle), {0, 0, 255}, c.tolerance, std::string(c.what) + " after the edit");
        } else {
            ExpectNear(s->At(kRight, kMiddle), c.right, c.tolerance, std::string(c.what) + " ignores the table");
        }
    }
}

// MIP keeps the brightest sample along each ray.
TEST(Tex2DRendererGl, MipGivesTheMaximum)
{
    auto volume = MakeVolume(16, 16, 16, 8, [](int x, int y, int z) {
        const bool blob = x >= 5 && x < 11 && y >= 5 && y < 11 && z >= 5 && z < 11;
        return blob ? 250 : 50;
    });
    for (auto make : {Scene::Make<CTex2DFragProgRenderer>, Scene::Make<CTex2DPlainRenderer>}) {
        auto s = make(volume.get());
        s->SetTable(Identity);
        s->renderer->m_nRenderMode = kRenderMip;
        s->Frame();
        EXPECT_TRUE(s->renderer->SupportsFeature(2));
        ExpectNear(s->At(kMiddle, kMiddle), {250, 250, 250}, 2, s->renderer->m_pszDescription + ": the blob");
        ExpectNear(s->At(kLeft - 4, kMiddle), {50, 50, 50}, 2, s->renderer->m_pszDescription + ": beside it");
        ExpectNear(s->At(2, 2), kBlack, 0, "background");
    }
}

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
    struct Case {
        int axis;
        CVector3 turnAxis;
        int value;
        const char* why;
    };
    // Slice (5, 11, 3): x gives 40 + 10 * 5, y 40 + 10 * 11, z 40 + 10 * 3.
    const Case cases[] = {
        {2, {0, 0, 1}, 70, "z slice, seen as it is"},
        {0, {0, 1, 0}, 90, "x slice, turned about y"},
        {1, {1, 0, 0}, 150, "y slice of voxel row 11, turned about x"},
    };
    for (const Case& c : cases) {
        auto volume = MakeVolume(16, 16, 16, 8, [&](int x, int y, int z) {
            const int i[3] = {x, y, z};
            return 40 + 10 * i[c.axis];
        });
        auto s = Scene::Make<CTex2DFragProgRenderer>(volume.get());
        s->SetTable(Identity);
        s->Frame();
        // The point of those slices (row 16 - 1 - 11 of the flipped y): the
        // frames drawn there stand edge-on away from the middle.
        volume->SetEntryPoint({5 - 8, 4 - 8, 3 - 8}, 5, 11, 3);
        volume->m_qOrientation = c.axis == 2 ? Quaternion{0, 0, 0, 1} : AxisAngleToQuat(c.turnAxis, 90 * kDegToRad);
        // What the normal view would clip away entirely.
        for (int face = 0; face < 6; face += 2)
            s->renderer->m_dPlanes[face][3] = -50;
        s->renderer->m_nRenderMode = kRenderMpr;
        s->Frame();
        ExpectNear(s->At(kMiddle, kMiddle), {c.value, c.value, c.value}, 2, c.why);
        s->renderer->m_nRenderMode = kRenderNormal;
        s->Frame();
        ExpectNear(s->At(kMiddle, kMiddle), kBlack, 0, std::string(c.why) + ": the normal view is clipped");
    }
}

// The textures hold the volume as the staging layout puts it: rows flipped
// in y, the padding zero, 16 bits rescaled or kept.
TEST(Tex2DRendererGl, TexturesHoldTheFlippedVolume)
{
    struct Case {
        int bits;
        bool rescale;
        const char* why;
    };
    const int dx = 3, dy = 5, dz = 3; // pads to 4 x 8 x 4
    auto voxel = [](int x, int y, int z) { return 1 + x + 4 * y + 20 * z; };
    for (Case c : {Case{8, true, "8 bits"}, Case{16, true, "16 bits rescaled"}, Case{16, false, "16 bits kept"}}) {
        SettingsGuard settings;
        settings->m_bRescaleTo8Bit = c.rescale;
        auto volume = MakeVolume(dx, dy, dz, c.bits, [&](int x, int y, int z) {
            return c.bits == 16 ? voxel(x, y, z) * 257 : voxel(x, y, z);
        });
        auto s = Scene::Make<CTex2DPlainRenderer>(volume.get());
        s->Frame();
        const CVolumeRenderer& r = *s->renderer;
        const auto& t = static_cast<const CTex2DRenderer&>(r);
        const bool wide = c.bits == 16 && !c.rescale;
        const GLenum type = wide ? GL_UNSIGNED_SHORT : GL_UNSIGNED_BYTE;
        auto texel = [&](const std::vector<std::uint8_t>& img, int i) {
            return wide ? img[2 * i] | img[2 * i + 1] << 8 : img[i];
        };
        auto expected = [&](int x, int row, int z) {
            if (x >= dx || row >= dy || z >= dz)
                return 0;
            return wide ? voxel(x, dy - 1 - row, z) * 257 : voxel(x, dy - 1 - row, z);
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
    }
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

// Leaving out the empty space draws the pixels of the whole slices, in
// both modes and for every kind of texel.
TEST(Tex2DRendererGl, EmptySpaceSkippingKeepsThePixels)
{
    auto grey = MakeVolume(24, 20, 16, 8, [](int x, int y, int z) {
        const int dx = x - 11, dy = y - 9, dz = z - 8;
        const int d = dx * dx + 2 * dy * dy + dz * dz;
        return d < 40 ? 250 - 4 * d : d < 60 ? 30 : 0;
    });
    auto rgb = MakeRgbVolume(24, 20, 16, [&](int x, int y, int z) {
        const std::uint32_t v = grey->GetVoxel(x, y, z);
        return v ? (v << 16) | ((255 - v) << 8) | 40 : 0u;
    });
    struct Case {
        const char* what;
        std::function<std::unique_ptr<Scene>(CModel*)> make;
        CVolume* volume;
    };
    const Case cases[] = {
        {"fragment program", Scene::Make<CTex2DFragProgRenderer>, grey.get()},
        {"pixel maps", Scene::Make<CTex2DPixelMapRenderer>, grey.get()},
        {"plain", Scene::Make<CTex2DPlainRenderer>, grey.get()},
        {"rgb", Scene::Make<CTex2DRgbRenderer>, rgb.get()},
    };
    for (const Case& c : cases)
        for (int mode : {kRenderNormal, kRenderMip})
            for (float turn : {0.0f, 35.0f, 120.0f}) {
                c.volume->m_qOrientation = AxisAngleToQuat(CVector3(0.4f, 1, 0.2f), turn * kDegToRad);
                auto s = c.make(c.volume);
                s->SetTable([](int i) { return i == 0 ? 0u : std::uint32_t(i) << 24 | (255u - i) << 8 | std::uint32_t(i); });
                s->renderer->m_nRenderMode = mode;
                auto& t = static_cast<CTex2DRenderer&>(*s->renderer);
                s->Frame();
                ASSERT_TRUE(t.m_bListsTrimmed) << c.what;
                const std::vector<GLubyte> trimmed = s->pixels;
                t.m_bSkipEmptySpace = false;
                s->Frame();
                ASSERT_FALSE(t.m_bListsTrimmed) << c.what;
                int differing = 0, largest = 0, lit = 0;
                for (std::size_t i = 0; i < trimmed.size(); ++i) {
                    const int d = std::abs(int(trimmed[i]) - int(s->pixels[i]));
                    differing += d > 1;
                    largest = std::max(largest, d);
                    lit += s->pixels[i] > 0;
                }
                EXPECT_EQ(differing, 0) << c.what << " mode " << mode << " turn " << turn << " largest " << largest;
                EXPECT_GT(lit, 400) << c.what << ": something drawn";
            }
}
