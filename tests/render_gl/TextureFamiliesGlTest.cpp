#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TextureFamilies.h"
#include "render/Tex2DFragProgRenderer.h"
#include "render/Tex2DPixelMapRenderer.h"
#include "render/Tex2DPlainRenderer.h"
#include "render/Tex2DRgbRenderer.h"
#include "render/Tex3DFragShaderRenderer.h"
#include "render/Tex3DPixelMapRenderer.h"
#include "render/Tex3DPlainRenderer.h"

// The pixel tests that every texture family passes alike, each written once
// and run for 2D textures and for 3D textures (quads and shells); a family
// gives its classes and the numbers where its pictures differ.
namespace {
struct Scene : TOffscreenScene<Scene, CVolumeRenderer> {};
using Make = std::function<std::unique_ptr<Scene>(CModel*)>;

// Each channel within lo .. hi.
struct Range {
    Rgba lo, hi;
};
Range Near(Rgba want, int tol)
{
    return {{want.r - tol, want.g - tol, want.b - tol}, {want.r + tol, want.g + tol, want.b + tol}};
}
void ExpectWithin(Rgba got, const Range& r, const std::string& why)
{
    EXPECT_TRUE(got.r >= r.lo.r && got.r <= r.hi.r && got.g >= r.lo.g && got.g <= r.hi.g && got.b >= r.lo.b &&
                got.b <= r.hi.b)
        << why << ": " << got;
}

// A class of the family with what it shows of TwoHalves under HalvesTable:
// the left and the right half, and the right half once the table's red
// entries turn blue (the same for a class that uses no table).
struct VolumeClass {
    std::string what;
    Make make;
    bool rgb; // draws the colour block: given an RGB volume
    Range left, right, edited;
    bool tableIgnored;
};

struct Family {
    const char* name;
    Make program, plain; // the table looked up after interpolation; no table
    std::vector<VolumeClass> classes;
    bool shells;       // draws shells beside quads
    int left, right;   // columns inside the halves of TwoHalves
    int mipTolerance;
    // Empty-space skipping: a blob in empty space, the least number of lit
    // channels, the class's switch and (where the family keeps one) whether
    // the slices' lists were trimmed.
    std::function<std::unique_ptr<CVolume>()> blob;
    int lit;
    std::function<bool&(CVolumeRenderer&)> skipEmptySpace;
    std::function<bool(const CVolumeRenderer&)> listsTrimmed;
};

template <class R> Make MakeOf() { return Scene::Make<R>; }

// An ellipsoid in empty space around `centre`, brightest there, with a faint
// shell; z counts `zWeight` times in its distance.
std::unique_ptr<CVolume> Blob(int nx, int ny, int nz, std::array<int, 3> centre, int zWeight)
{
    return MakeVolume(nx, ny, nz, 8, [=](int x, int y, int z) {
        const int dx = x - centre[0], dy = y - centre[1], dz = z - centre[2];
        const int d = dx * dx + 2 * dy * dy + zWeight * dz * dz;
        return d < 40 ? 250 - 4 * d : d < 60 ? 30 : 0;
    });
}

// Intensity composited over itself 16 times converges on itself; the RGB
// class's alpha is the luminance (149 for green, 76 for red), 16 slices
// deep.
const Family k2D = {
    .name = "Tex2D",
    .program = MakeOf<CTex2DFragProgRenderer>(),
    .plain = MakeOf<CTex2DPlainRenderer>(),
    .classes = {
        {"fragment program", MakeOf<CTex2DFragProgRenderer>(), false, Near({0, 255, 0}, 2), Near({255, 0, 0}, 2),
         Near({0, 0, 255}, 2), false},
        {"pixel maps", MakeOf<CTex2DPixelMapRenderer>(), false, Near({0, 255, 0}, 2), Near({255, 0, 0}, 2),
         Near({0, 0, 255}, 2), false},
        {"plain", MakeOf<CTex2DPlainRenderer>(), false, Near({100, 100, 100}, 3), Near({200, 200, 200}, 3),
         Near({200, 200, 200}, 3), true},
        {"rgb", MakeOf<CTex2DRgbRenderer>(), true, Near({0, 255, 0}, 3), Near({254, 0, 0}, 3), Near({254, 0, 0}, 3),
         true},
    },
    .shells = false,
    .left = 20,
    .right = 44,
    .mipTolerance = 2,
    .blob = [] { return Blob(24, 20, 16, {11, 9, 8}, 1); },
    .lit = 400,
    .skipEmptySpace = [](CVolumeRenderer& r) -> bool& { return static_cast<CTex2DRenderer&>(r).m_bSkipEmptySpace; },
    .listsTrimmed = [](const CVolumeRenderer& r) { return static_cast<const CTex2DRenderer&>(r).m_bListsTrimmed; },
};

// The slice nearest the viewer samples the volume's face between its last
// voxels and the clear border: colours classified before that interpolation
// (pixel maps, plain intensity) come out darker there, while the shader's
// lookup of the blended value falls into the table's clear entries.
const Family k3D = {
    .name = "Tex3D",
    .program = MakeOf<CTex3DFragShaderRenderer>(),
    .plain = MakeOf<CTex3DPlainRenderer>(),
    .classes = {
        {"ATI fragment shader", MakeOf<CTex3DFragShaderRenderer>(), false, {{0, 253, 0}, {2, 255, 2}},
         {{253, 0, 0}, {255, 2, 2}}, {{0, 0, 253}, {2, 2, 255}}, false},
        {"pixel maps", MakeOf<CTex3DPixelMapRenderer>(), false, {{0, 170, 0}, {2, 255, 2}}, {{170, 0, 0}, {255, 2, 2}},
         {{0, 0, 170}, {2, 2, 255}}, false},
        {"plain", MakeOf<CTex3DPlainRenderer>(), false, {{75, 75, 75}, {100, 100, 100}},
         {{140, 140, 140}, {200, 200, 200}}, {{140, 140, 140}, {200, 200, 200}}, true},
    },
    .shells = true,
    .left = 22,
    .right = 42,
    .mipTolerance = 3,
    // 25 x 19 x 13 pads to 32 x 32 x 16 with offsets 3, 6 and 1: the texels
    // are shifted by half a voxel.
    .blob = [] { return Blob(25, 19, 13, {13, 8, 6}, 3); },
    .lit = 300,
    .skipEmptySpace = [](CVolumeRenderer& r) -> bool& { return static_cast<CTex3DRenderer&>(r).m_bSkipEmptySpace; },
    .listsTrimmed = nullptr,
};

// Runs `draw` once for each slice shape of the family, named: quads and
// shells for 3D textures; once, the option untouched, for 2D textures.
void ForEachShape(const Family& f, const std::function<void(const std::string&)>& draw)
{
    if (!f.shells) {
        draw("");
        return;
    }
    for (bool quads : {true, false}) {
        SliceOptions options;
        options.s.m_bUseQuads = quads;
        draw(quads ? " quads" : " shells");
    }
}

class TextureFamilyGl : public ::testing::TestWithParam<const Family*> {};
void PrintTo(const Family* f, std::ostream* os) { *os << f->name; }
} // namespace

// Each class colours the same volume by its own road: the table looked up
// after interpolation (fragment program, ATI shader) or before it (pixel
// maps), the voxels' intensity (plain) and the colour block (RGB). No GL
// error follows the build (the 3D shader's second pass has its copy of r0,
// which Mesa wants), and a table edit reaches the pixels of the classes that
// use it.
TEST_P(TextureFamilyGl, ClassesColourTheVolume)
{
    const Family& f = *GetParam();
    ForEachShape(f, [&](const std::string& shape) {
        for (const VolumeClass& c : f.classes) {
            const std::string why = c.what + shape;
            std::unique_ptr<CVolume> volume =
                c.rgb ? MakeRgbVolume(16, 16, 16, [](int x, int, int) { return x < 8 ? 0x00FF00u : 0xFF0000u; })
                      : TwoHalves();
            auto s = c.make(volume.get());
            s->SetTable(HalvesTable);
            s->Frame();
            ExpectWithin(s->At(f.left, kMiddle), c.left, why + " left");
            ExpectWithin(s->At(f.right, kMiddle), c.right, why + " right");
            ExpectNear(s->At(2, 2), kBlack, 0, why + " background");
            EXPECT_TRUE(s->prompter.asked.empty()) << why << ": " << ::testing::PrintToString(s->prompter.Texts());
            EXPECT_EQ(Gl().GetError(), GLenum(GL_NO_ERROR)) << why;
            const Rgba before = s->At(f.right, kMiddle);
            s->SetTable([](int i) { return i >= 190 && i <= 210 ? 0x0000FFFFu : HalvesTable(i); });
            s->Frame();
            ExpectWithin(s->At(f.right, kMiddle), c.edited, why + " after a table edit");
            if (c.tableIgnored) {
                EXPECT_EQ(s->At(f.right, kMiddle).r, before.r) << why << ": the table has no effect";
            }
        }
    });
}

// MIP keeps the brightest sample along each ray.
TEST_P(TextureFamilyGl, MipGivesTheMaximum)
{
    const Family& f = *GetParam();
    auto volume = MakeVolume(16, 16, 16, 8, [](int x, int y, int z) {
        const bool blob = x >= 5 && x < 11 && y >= 5 && y < 11 && z >= 5 && z < 11;
        return blob ? 250 : 50;
    });
    for (const Make& make : {f.program, f.plain}) {
        auto s = make(volume.get());
        s->SetTable(Identity);
        s->renderer->m_nRenderMode = kRenderMip;
        s->Frame();
        const std::string what = s->renderer->m_pszDescription;
        EXPECT_TRUE(s->renderer->SupportsFeature(2)) << what;
        ExpectNear(s->At(kMiddle, kMiddle), {250, 250, 250}, f.mipTolerance, what + ": the blob");
        ExpectNear(s->At(16, kMiddle), {50, 50, 50}, f.mipTolerance, what + ": beside it");
        ExpectNear(s->At(2, 2), kBlack, 0, what + ": background");
    }
}

// Leaving out the empty space draws the pixels of the whole slices: every
// class and slice shape, the normal view and MIP, at several turns.
TEST_P(TextureFamilyGl, EmptySpaceSkippingKeepsThePixels)
{
    const Family& f = *GetParam();
    auto grey = f.blob();
    auto rgb = MakeRgbVolume(grey->m_nDimX, grey->m_nDimY, grey->m_nDimZ, [&](int x, int y, int z) {
        const std::uint32_t v = grey->GetVoxel(x, y, z);
        return v ? (v << 16) | ((255 - v) << 8) | 40 : 0u;
    });
    ForEachShape(f, [&](const std::string& shape) {
        for (const VolumeClass& c : f.classes)
            for (int mode : {kRenderNormal, kRenderMip})
                for (float turn : {0.0f, 35.0f, 120.0f}) {
                    const std::string why =
                        c.what + shape + " mode " + std::to_string(mode) + " turn " + std::to_string(int(turn));
                    CVolume* volume = c.rgb ? rgb.get() : grey.get();
                    volume->m_qOrientation = AxisAngleToQuat(CVector3(0.4f, 1, 0.2f), turn * kDegToRad);
                    auto s = c.make(volume);
                    s->SetTable([](int i) {
                        return i == 0 ? 0u : std::uint32_t(i) << 24 | (255u - i) << 8 | std::uint32_t(i);
                    });
                    s->renderer->m_nRenderMode = mode;
                    s->Frame();
                    if (f.listsTrimmed) {
                        ASSERT_TRUE(f.listsTrimmed(*s->renderer)) << why;
                    }
                    const std::vector<GLubyte> trimmed = s->pixels;
                    f.skipEmptySpace(*s->renderer) = false;
                    s->Frame();
                    if (f.listsTrimmed) {
                        ASSERT_FALSE(f.listsTrimmed(*s->renderer)) << why;
                    }
                    int differing = 0, largest = 0, lit = 0;
                    for (std::size_t i = 0; i < trimmed.size(); ++i) {
                        const int d = std::abs(int(trimmed[i]) - int(s->pixels[i]));
                        differing += d > 1;
                        largest = std::max(largest, d);
                        lit += s->pixels[i] > 0;
                    }
                    EXPECT_EQ(differing, 0) << why << ", largest difference " << largest;
                    EXPECT_GT(lit, f.lit) << why << ": something drawn";
                }
    });
}

INSTANTIATE_TEST_SUITE_P(Families, TextureFamilyGl, ::testing::Values(&k2D, &k3D),
                         [](const ::testing::TestParamInfo<const Family*>& info) { return info.param->name; });
