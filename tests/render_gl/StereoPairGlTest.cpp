#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "data/Colour.h"
#include "platform/Glu.h"
#include "platform/Prompter.h"
#include "platform/offscreen/OffscreenSurface.h"
#include "render/MeshRenderer.h"
#include "render/StereoPair.h"
#include "render/Tex2DFragProgRenderer.h"
#include "support/ScriptedPrompter.h"
#include "support/TriangleMesh.h"
#include "support/VolumeScenes.h"

namespace {
constexpr int kEye = 64; // one eye's viewport, square

using Image = std::vector<std::uint8_t>; // RGBA, bottom row first

Image ReadBack(int width, int height)
{
    Image p(std::size_t(width) * height * 4, 0);
    Gl().PixelStorei(GL_PACK_ALIGNMENT, 1);
    Gl().ReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
    return p;
}

// Columns x0 .. x0 + kEye - 1 of an image `width` wide.
Image Columns(const Image& image, int width, int x0)
{
    Image out;
    for (int y = 0; y < kEye; ++y)
        for (int x = x0; x < x0 + kEye; ++x)
            for (int c = 0; c < 4; ++c)
                out.push_back(image[(std::size_t(y) * width + x) * 4 + c]);
    return out;
}

// One channel of every pixel.
std::vector<int> ChannelOf(const Image& image, int c)
{
    std::vector<int> out;
    for (std::size_t i = c; i < image.size(); i += 4)
        out.push_back(image[i]);
    return out;
}

int Lit(const Image& image)
{
    int n = 0;
    for (std::size_t i = 0; i < image.size(); i += 4)
        n += image[i] + image[i + 1] + image[i + 2] > 0;
    return n;
}

// The view's renderer drawing on the view's surface, and the stereo
// window's surfaces on which the same renderer and context draw the pair.
struct StereoScene {
    CScriptedPrompter prompter;
    CPrompterScope scope{&prompter};
    COffscreenSurface view{kEye, kEye};
    std::unique_ptr<CRenderer> renderer;
    StereoGeometry dual, anaglyph;

    explicit StereoScene(const std::function<std::unique_ptr<CRenderer>(IGlSurface*)>& make)
        : renderer(make(&view))
    {
        // Far apart, so that the two eyes see clearly different images.
        const double focal = renderer->m_dNear * 1.5;
        const double separation = focal * 0.2;
        const StereoCamera camera{&renderer->m_CameraLookAt, renderer->m_dFovY, renderer->m_dNear, renderer->m_dFar};
        EXPECT_TRUE(ComputeStereoGeometry(camera, 2 * kEye + 1, kEye, kStereoDualViewports, focal, separation, dual));
        EXPECT_TRUE(ComputeStereoGeometry(camera, kEye, kEye, kStereoAnaglyph, focal, separation, anaglyph));
    }
    ~StereoScene()
    {
        renderer.reset();
        GlMakeCurrent(nullptr, nullptr);
    }

    Image ViewFrame()
    {
        renderer->BeginFrame(&view, 0, nullptr);
        renderer->Render(&view, true);
        return ReadBack(kEye, kEye);
    }
    Image Pair(COffscreenSurface& surface, int method, int glasses, bool swap = true)
    {
        StereoPairRequest request;
        request.geometry = method == kStereoAnaglyph ? &anaglyph : &dual;
        request.method = method;
        request.glasses = glasses;
        request.swap = swap;
        RenderStereoPair(renderer.get(), &surface, request);
        return ReadBack(surface.Width(), surface.Height());
    }
    // One eye drawn alone the plain way, with its frustum and look-at: what
    // each half of the pair must show.
    Image Eye(bool left)
    {
        COffscreenSurface surface(kEye, kEye);
        const StereoFrustum& f = left ? dual.leftFrustum : dual.rightFrustum;
        const CVector3& e = left ? dual.leftEye : dual.rightEye;
        const CVector3 &c = dual.centre, &u = dual.up;
        renderer->BeginFrame(&surface, 0, nullptr);
        const CGlDispatch& gl = Gl();
        gl.Viewport(0, 0, kEye, kEye);
        gl.MatrixMode(GL_PROJECTION);
        gl.PushMatrix();
        gl.LoadIdentity();
        gl.Frustum(f[0], f[1], f[2], f[3], f[4], f[5]);
        gl.MatrixMode(GL_MODELVIEW);
        gl.PushMatrix();
        gl.LoadIdentity();
        GluLookAt(e.x, e.y, e.z, c.x, c.y, c.z, u.x, u.y, u.z);
        renderer->Render(&surface, false);
        Image pixels = ReadBack(kEye, kEye);
        gl.MatrixMode(GL_PROJECTION);
        gl.PopMatrix();
        gl.MatrixMode(GL_MODELVIEW);
        gl.PopMatrix();
        return pixels;
    }
};

// A grey slab off the volume's centre, in every channel, so that each eye's
// mask carries the whole image.
std::unique_ptr<CVolume> Slab()
{
    return MakeVolume(16, 16, 16, 8, [](int x, int y, int z) {
        return x >= 3 && x < 9 && y >= 4 && y < 12 && z >= 2 && z < 14 ? 220 : 0;
    });
}

std::function<std::unique_ptr<CRenderer>(IGlSurface*)> VolumeRendererFor(CVolume* volume)
{
    return [volume](IGlSurface* surface) -> std::unique_ptr<CRenderer> {
        auto r = std::make_unique<CTex2DFragProgRenderer>(volume, surface, kEye, kEye);
        r->AttachModel(volume);
        for (int i = 0; i < 256; ++i)
            for (int c = 0; c < 4; ++c)
                (*r->m_pRgbaTable)[4 * i + c] = std::uint8_t(i);
        r->UpdateLookupTable();
        return r;
    };
}
} // namespace

// Dual viewports: an odd width leaves its last column out; the left half
// shows what the left eye sees alone and the right half the right eye, the
// two differing by their parallax; the pair swaps once, or not at all for
// the clipboard's copy.
TEST(StereoPairGl, DualViewportsShowEachEyeInItsHalf)
{
    auto volume = Slab();
    StereoScene s(VolumeRendererFor(volume.get()));
    ASSERT_EQ(s.dual.viewWidth, kEye);
    const Image left = s.Eye(true), right = s.Eye(false);
    ASSERT_GT(Lit(left), 200);
    ASSERT_GT(Lit(right), 200);
    ASSERT_NE(left, right) << "the eyes stand apart";

    COffscreenSurface window(2 * kEye + 1, kEye);
    const Image pair = s.Pair(window, kStereoDualViewports, kGlassesRedBlue);
    EXPECT_EQ(Columns(pair, window.Width(), 0), left);
    EXPECT_EQ(Columns(pair, window.Width(), kEye), right);
    for (int y = 0; y < kEye; ++y)
        EXPECT_EQ(pair[(std::size_t(y) * window.Width() + 2 * kEye) * 4], 0) << "the odd column stays clear";
    EXPECT_EQ(window.SwapCount(), 1);
    s.Pair(window, kStereoDualViewports, kGlassesRedBlue, false);
    EXPECT_EQ(window.SwapCount(), 1);
    EXPECT_TRUE(s.prompter.asked.empty());
}

// The anaglyph writes each eye's image into its glasses' channels only, the
// two eyes over each other in one viewport; a channel of neither stays dark.
TEST(StereoPairGl, AnaglyphMasksEachEyeToItsGlasses)
{
    auto volume = Slab();
    StereoScene s(VolumeRendererFor(volume.get()));
    const Image left = s.Eye(true), right = s.Eye(false);
    struct Case {
        int glasses;
        char leftEye[4], rightEye[4]; // channels of each eye, "r", "gb", ...
    };
    const Case cases[] = {
        {kGlassesRedBlue, "r", "b"},   {kGlassesRedGreen, "r", "g"}, {kGlassesRedCyan, "r", "gb"},
        {kGlassesBlueRed, "b", "r"},   {kGlassesGreenRed, "g", "r"}, {kGlassesCyanRed, "gb", "r"},
    };
    const std::vector<int> dark(kEye * kEye, 0);
    for (const Case& c : cases) {
        COffscreenSurface window(kEye, kEye);
        const Image pair = s.Pair(window, kStereoAnaglyph, c.glasses);
        for (int ch = 0; ch < 3; ++ch) {
            const char name = "rgb"[ch];
            const bool inLeft = std::string(c.leftEye).find(name) != std::string::npos;
            const bool inRight = std::string(c.rightEye).find(name) != std::string::npos;
            const std::vector<int> want = inLeft ? ChannelOf(left, ch) : inRight ? ChannelOf(right, ch) : dark;
            EXPECT_EQ(ChannelOf(pair, ch), want) << "glasses " << c.glasses << ", channel " << name;
        }
    }
}

// The view's next frame is the one it drew before the pair: viewport,
// matrices and colour mask come back, whichever method drew.
TEST(StereoPairGl, ViewFrameUnchangedByThePair)
{
    auto volume = Slab();
    StereoScene s(VolumeRendererFor(volume.get()));
    const Image before = s.ViewFrame();
    GLdouble projection[16], modelview[16];
    Gl().GetDoublev(GL_PROJECTION_MATRIX, projection);
    Gl().GetDoublev(GL_MODELVIEW_MATRIX, modelview);
    for (int method : {kStereoDualViewports, kStereoAnaglyph}) {
        COffscreenSurface window(2 * kEye + 1, kEye);
        s.Pair(window, method, kGlassesRedCyan);
        GlMakeCurrent(&s.view, s.renderer->m_hGLRC.get());
        GLint viewport[4];
        GLdouble p[16], m[16];
        GLint mask[4] = {0, 0, 0, 0};
        Gl().GetIntegerv(GL_VIEWPORT, viewport);
        Gl().GetDoublev(GL_PROJECTION_MATRIX, p);
        Gl().GetDoublev(GL_MODELVIEW_MATRIX, m);
        Gl().GetIntegerv(GL_COLOR_WRITEMASK, mask);
        EXPECT_EQ(std::vector<int>(viewport, viewport + 4), (std::vector<int>{0, 0, kEye, kEye})) << method;
        EXPECT_EQ(std::vector<double>(p, p + 16), std::vector<double>(projection, projection + 16)) << method;
        EXPECT_EQ(std::vector<double>(m, m + 16), std::vector<double>(modelview, modelview + 16)) << method;
        EXPECT_EQ(std::vector<int>(mask, mask + 4), (std::vector<int>{1, 1, 1, 1})) << method;
        EXPECT_EQ(s.ViewFrame(), before) << method;
    }
}

// In the anaglyph a mesh is drawn white in both eyes, so that its colour
// does not decide what each eye's glasses pass; its colours come back after.
TEST(StereoPairGl, AnaglyphDrawsAMeshWhiteAndGivesItsColoursBack)
{
    auto mesh = MakeTriangleRow(1);
    mesh->m_crSolid = 0x000000FF; // pure red: nothing of it passes a blue glass
    ColorRefToRGB(mesh->m_crSolid, mesh->m_vSolidColour);
    mesh->m_crWire = 0x0000FF00;
    ColorRefToRGB(mesh->m_crWire, mesh->m_vWireColour);
    StereoScene s([&](IGlSurface* surface) -> std::unique_ptr<CRenderer> {
        auto r = std::make_unique<CMeshRenderer>(mesh.get(), surface, kEye, kEye);
        r->AttachModel(mesh.get());
        return r;
    });
    COffscreenSurface window(kEye, kEye);
    const Image pair = s.Pair(window, kStereoAnaglyph, kGlassesRedBlue);
    // Lit white is 255 in blue; the red mesh's own colour would give only
    // its specular 0.6 there.
    int red = 0, blue = 0, green = 0;
    for (std::size_t i = 0; i < pair.size(); i += 4) {
        red += pair[i] >= 250;
        green += pair[i + 1] > 0;
        blue += pair[i + 2] >= 250;
    }
    EXPECT_GT(red, 50) << "the left eye's red glass sees the mesh";
    // The same triangle from either side: as large in both eyes, the right
    // eye not hidden behind the depth the left one left.
    EXPECT_NEAR(blue, red, red / 20) << "the right eye's blue glass sees the white mesh whole";
    EXPECT_EQ(green, 0);
    EXPECT_EQ(mesh->m_crSolid, 0x000000FFu);
    EXPECT_EQ(mesh->m_crWire, 0x0000FF00u);
    EXPECT_EQ(mesh->m_vSolidColour, CVector3(1, 0, 0));
    EXPECT_EQ(mesh->m_vWireColour, CVector3(0, 1, 0));
}

// Without a renderer, surface or geometry nothing is drawn or swapped.
TEST(StereoPairGl, NothingToDrawWithoutItsParts)
{
    auto volume = Slab();
    StereoScene s(VolumeRendererFor(volume.get()));
    COffscreenSurface window(kEye, kEye);
    StereoPairRequest request;
    request.geometry = &s.dual;
    RenderStereoPair(nullptr, &window, request);
    RenderStereoPair(s.renderer.get(), nullptr, request);
    request.geometry = nullptr;
    RenderStereoPair(s.renderer.get(), &window, request);
    EXPECT_EQ(window.SwapCount(), 0);
}
