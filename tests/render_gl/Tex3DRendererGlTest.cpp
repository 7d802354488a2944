#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "OffscreenScene.h"
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

// The slice options a test changes, put back when it ends.
struct SliceOptions {
    CAppSettings& s = *CAppSettings::GetInstance();
    bool quads = s.m_bUseQuads;
    int lattice = s.m_nLatticePoints;
    ~SliceOptions()
    {
        s.m_bUseQuads = quads;
        s.m_nLatticePoints = lattice;
    }
};

constexpr std::uint32_t kGreen = 0x00FF00FF, kRed = 0xFF0000FF;
const Rgba kBlack{0, 0, 0, 0};

// Values 100 on the left (x < 8), 200 on the right of a 16^3 volume.
std::unique_ptr<CVolume> TwoHalves()
{
    return MakeVolume(16, 16, 16, 8, [](int x, int, int) { return x < 8 ? 100 : 200; });
}
// Opaque green around 100, opaque red around 200, clear elsewhere.
std::uint32_t HalvesTable(int i) { return i >= 90 && i <= 110 ? kGreen : i >= 190 && i <= 210 ? kRed : 0; }
std::uint32_t Identity(int i) { return std::uint32_t(i) * 0x01010101u; }

const int kLeft = 22, kRight = 42, kMiddle = 32;

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

// Each class colours the volume by its own road: the ATI shader looks the
// table up after interpolation, the pixel maps before it, the plain class
// shows the intensity. No GL error follows the build (the shader's second
// pass has its copy of r0, which Mesa wants). Quads and shells draw the
// same picture. The slice nearest the viewer samples the volume's face
// between its last voxels and the clear border: colours classified before
// that interpolation (pixel maps, plain intensity) come out darker there,
// while the shader's lookup of the blended value falls into the table's
// clear entries.
TEST(Tex3DRendererGl, ClassesColourTheVolume)
{
    struct Range {
        Rgba lo, hi;
    };
    struct Case {
        const char* what;
        std::function<std::unique_ptr<Scene>(CModel*)> make;
        Range left, right, edited;
    };
    const Case cases[] = {
        {"ATI fragment shader", Scene::Make<CTex3DFragShaderRenderer>, {{0, 253, 0, 0}, {2, 255, 2, 255}},
         {{253, 0, 0, 0}, {255, 2, 2, 255}}, {{0, 0, 253, 0}, {2, 2, 255, 255}}},
        {"pixel maps", Scene::Make<CTex3DPixelMapRenderer>, {{0, 170, 0, 0}, {2, 255, 2, 255}},
         {{170, 0, 0, 0}, {255, 2, 2, 255}}, {{0, 0, 170, 0}, {2, 2, 255, 255}}},
        {"plain", Scene::Make<CTex3DPlainRenderer>, {{75, 75, 75, 0}, {100, 100, 100, 255}},
         {{140, 140, 140, 0}, {200, 200, 200, 255}}, {{140, 140, 140, 0}, {200, 200, 200, 255}}},
    };
    auto within = [](Rgba got, const Range& r, const std::string& why) {
        EXPECT_TRUE(got.r >= r.lo.r && got.r <= r.hi.r && got.g >= r.lo.g && got.g <= r.hi.g && got.b >= r.lo.b &&
                    got.b <= r.hi.b)
            << why << ": " << got;
    };
    for (bool quads : {true, false}) {
        SliceOptions options;
        options.s.m_bUseQuads = quads;
        for (const Case& c : cases) {
            const std::string why = std::string(c.what) + (quads ? " quads" : " shells");
            auto volume = TwoHalves();
            auto s = c.make(volume.get());
            s->SetTable(HalvesTable);
            s->Frame();
            within(s->At(kLeft, kMiddle), c.left, why + " left");
            within(s->At(kRight, kMiddle), c.right, why + " right");
            ExpectNear(s->At(2, 2), kBlack, 0, why + " background");
            EXPECT_TRUE(s->prompter.asked.empty()) << why << ": " << ::testing::PrintToString(s->prompter.Texts());
            EXPECT_EQ(Gl().GetError(), GLenum(GL_NO_ERROR)) << why;
            const Rgba plain = s->At(kRight, kMiddle);
            s->SetTable([](int i) { return i >= 190 && i <= 210 ? 0x0000FFFFu : HalvesTable(i); });
            s->Frame();
            within(s->At(kRight, kMiddle), c.edited, why + " after a table edit");
            if (c.what == std::string("plain")) {
                EXPECT_EQ(s->At(kRight, kMiddle).r, plain.r) << why << ": the table has no effect";
            }
        }
    }
}

// MIP keeps the brightest sample along each ray.
TEST(Tex3DRendererGl, MipGivesTheMaximum)
{
    auto volume = MakeVolume(16, 16, 16, 8, [](int x, int y, int z) {
        const bool blob = x >= 5 && x < 11 && y >= 5 && y < 11 && z >= 5 && z < 11;
        return blob ? 250 : 50;
    });
    for (auto make : {Scene::Make<CTex3DFragShaderRenderer>, Scene::Make<CTex3DPlainRenderer>}) {
        auto s = make(volume.get());
        s->SetTable(Identity);
        s->renderer->m_nRenderMode = kRenderMip;
        s->Frame();
        ExpectNear(s->At(kMiddle, kMiddle), {250, 250, 250, 0}, 3, s->renderer->m_pszDescription + ": the blob");
        ExpectNear(s->At(kLeft - 6, kMiddle), {50, 50, 50, 0}, 3, s->renderer->m_pszDescription + ": beside it");
    }
}

// The multi-planar planes show the raw intensity, the fragment shader
// switched off: turning each axis toward the viewer shows its plane's value
// whatever colour the table gives it.
TEST(Tex3DRendererGl, MprPlanesShowTheIntensity)
{
    struct Case {
        int axis;
        CVector3 turnAxis;
        int value;
        const char* why;
    };
    // The point (-3, 3, -5) is voxel (5, 4, 3): x gives 40 + 10 * 5, y
    // 40 + 10 * 4, z 40 + 10 * 3.
    const Case cases[] = {
        {2, {0, 0, 1}, 70, "z plane, seen as it is"},
        {0, {0, 1, 0}, 90, "x plane, turned about y"},
        {1, {1, 0, 0}, 80, "y plane, turned about x"},
    };
    for (const Case& c : cases) {
        auto volume = MakeVolume(16, 16, 16, 8, [&](int x, int y, int z) {
            const int i[3] = {x, y, z};
            return 40 + 10 * i[c.axis];
        });
        auto s = Scene::Make<CTex3DFragShaderRenderer>(volume.get());
        s->SetTable([](int) { return kRed; });
        s->Frame();
        volume->SetEntryPoint({5.5f - 8, 8 - 4.5f, 3.5f - 8}, -1, -1, -1);
        volume->m_qOrientation = c.axis == 2 ? Quaternion{0, 0, 0, 1} : AxisAngleToQuat(c.turnAxis, 90 * kDegToRad);
        s->renderer->m_nRenderMode = kRenderMpr;
        s->renderer->OnModeChanged();
        s->Frame();
        // Off the middle, clear of the two planes seen edge-on.
        ExpectNear(s->At(kMiddle + 6, kMiddle + 6), {c.value, c.value, c.value, 0}, 2, c.why);
        s->renderer->m_nRenderMode = kRenderNormal;
        s->Frame();
        ExpectNear(s->At(kMiddle + 6, kMiddle + 6), {255, 0, 0, 0}, 2, std::string(c.why) + ": the shader colours");
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
    struct Case {
        int bits;
        bool rescale;
        const char* why;
    };
    const int dx = 3, dy = 5, dz = 2; // pads to 4 x 8 x 2, offsets 0, 1, 0
    auto voxel = [](int x, int y, int z) { return 1 + x + 4 * y + 20 * z; };
    for (Case c : {Case{8, true, "8 bits"}, Case{16, true, "16 bits rescaled"}, Case{16, false, "16 bits kept"}}) {
        SettingsGuard settings;
        settings->m_bRescaleTo8Bit = c.rescale;
        auto volume = MakeVolume(dx, dy, dz, c.bits, [&](int x, int y, int z) {
            return c.bits == 16 ? voxel(x, y, z) * 257 : voxel(x, y, z);
        });
        auto s = Scene::Make<CTex3DPlainRenderer>(volume.get());
        s->Frame();
        const bool wide = c.bits == 16 && !c.rescale;
        const auto img = Texels(*s->renderer, GL_RED, wide ? GL_UNSIGNED_SHORT : GL_UNSIGNED_BYTE);
        for (int slice = 0; slice < 2; ++slice)
            for (int row = 0; row < 8; ++row)
                for (int col = 0; col < 4; ++col) {
                    const int x = col, y = 8 - 1 - 1 - row, z = slice;
                    const bool inside = x < dx && y >= 0 && y < dy;
                    const int want = inside ? (wide ? voxel(x, y, z) * 257 : voxel(x, y, z)) : 0;
                    const std::size_t i = std::size_t(col + (slice * 8 + row) * 4);
                    const int got = wide ? img[2 * i] | img[2 * i + 1] << 8 : img[i];
                    ASSERT_EQ(got, want) << c.why << " texel " << col << "," << row << "," << slice;
                }
    }
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

// Leaving out the empty space draws the pixels of the whole slices: quads
// and shells, the normal view and MIP, every class, at several turns, on a
// volume whose odd padding shifts its texels by half a voxel.
TEST(Tex3DRendererGl, EmptySpaceSkippingKeepsThePixels)
{
    // 25 x 19 x 13 pads to 32 x 32 x 16 with offsets 3, 6 and 1.
    auto volume = MakeVolume(25, 19, 13, 8, [](int x, int y, int z) {
        const int dx = x - 13, dy = y - 8, dz = z - 6;
        const int d = dx * dx + 2 * dy * dy + 3 * dz * dz;
        return d < 40 ? 250 - 4 * d : d < 60 ? 30 : 0;
    });
    struct Case {
        const char* what;
        std::function<std::unique_ptr<Scene>(CModel*)> make;
    };
    const Case cases[] = {
        {"ATI fragment shader", Scene::Make<CTex3DFragShaderRenderer>},
        {"pixel maps", Scene::Make<CTex3DPixelMapRenderer>},
        {"plain", Scene::Make<CTex3DPlainRenderer>},
    };
    for (bool quads : {true, false}) {
        SliceOptions options;
        options.s.m_bUseQuads = quads;
        for (const Case& c : cases)
            for (int mode : {kRenderNormal, kRenderMip})
                for (float turn : {0.0f, 35.0f, 120.0f}) {
                    volume->m_qOrientation = AxisAngleToQuat(CVector3(0.4f, 1, 0.2f), turn * kDegToRad);
                    auto s = c.make(volume.get());
                    s->SetTable([](int i) {
                        return i == 0 ? 0u : std::uint32_t(i) << 24 | (255u - i) << 8 | std::uint32_t(i);
                    });
                    s->renderer->m_nRenderMode = mode;
                    s->Frame();
                    const std::vector<GLubyte> trimmed = s->pixels;
                    s->renderer->m_bSkipEmptySpace = false;
                    s->Frame();
                    int differing = 0, largest = 0, lit = 0;
                    for (std::size_t i = 0; i < trimmed.size(); ++i) {
                        const int d = std::abs(int(trimmed[i]) - int(s->pixels[i]));
                        differing += d > 1;
                        largest = std::max(largest, d);
                        lit += s->pixels[i] > 0;
                    }
                    const std::string why = std::string(c.what) + (quads ? " quads" : " shells") + " mode " +
                                            std::to_string(mode) + " turn " + std::to_string(int(turn));
                    EXPECT_EQ(differing, 0) << why << ", largest difference " << largest;
                    EXPECT_GT(lit, 300) << why << ": something drawn";
                }
    }
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
