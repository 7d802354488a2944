#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "RecordedVolume.h"
#include "data/Quaternion.h"
#include "platform/Prompter.h"
#include "support/ScriptedPrompter.h"
#include "render/Tex2DPlainRenderer.h"
#include "render/Tex2DPixelMapRenderer.h"

namespace {
using Lines = std::vector<std::string>;

Lines Join(std::initializer_list<Lines> parts)
{
    Lines out;
    for (const Lines& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Lines ClipPlanes(const char* verb)
{
    Lines out;
    for (int i = 0; i < 6; ++i)
        out.push_back(std::string(verb) + " CLIP" + std::to_string(i));
    return out;
}

const Lines kFrameEnd = {"Disable BLEND", "Disable TEXTURE_2D", "Disable TEXTURE_3D"};
const char kNoBlendMinMax[] = "GL_ARB_multitexture GL_ARB_fragment_program";

std::unique_ptr<CVolume> SmallVolume() { return MakeVolume(4, 4, 4, 8, [](int x, int, int) { return 40 * x; }); }

// Fails every staging allocation while `fail` is set.
class CStarvedRenderer : public CTex2DPlainRenderer {
public:
    using CTex2DPlainRenderer::CTex2DPlainRenderer;
    bool AllocStagingBuffer() override
    {
        if (!fail)
            return CTex2DPlainRenderer::AllocStagingBuffer();
        FreeTextures();
        return false;
    }
    bool fail = true;
};

int Draws(const CRecordingSurface& s) { return s.CountOf("glBegin") + s.CountOf("glCallList"); }
} // namespace

// Each render mode sets its GL state in its order, and a frame leaves
// blending, texturing and the clip planes off.
TEST(CVolumeRenderer, ModeStates)
{
    const Lines composite = {"Enable BLEND", "BlendEquationEXT FUNC_ADD", "BlendFunc SRC_ALPHA ONE_MINUS_SRC_ALPHA"};
    const Lines lineState = {"Enable DEPTH_TEST", "Disable CULL_FACE", "Enable LINE_SMOOTH",
                             "Enable POLYGON_SMOOTH", "Disable TEXTURE_2D", "Disable TEXTURE_3D"};
    struct Case {
        int mode;
        const char* extensions;
        Lines states;
    };
    const Case cases[] = {
        {kRenderNormal, kMesaExtensions,
         Join({{"Enable DEPTH_TEST", "Disable CULL_FACE"}, composite, ClipPlanes("Enable"), {"Enable TEXTURE_2D"},
               kFrameEnd, ClipPlanes("Disable")})},
        {kRenderMip, kMesaExtensions,
         Join({{"Enable DEPTH_TEST", "Disable CULL_FACE", "Enable BLEND", "BlendEquationEXT MAX",
                "BlendFunc SRC_COLOR DST_COLOR"},
               ClipPlanes("Enable"), {"Enable TEXTURE_2D"}, kFrameEnd, ClipPlanes("Disable")})},
        {kRenderMip, kNoBlendMinMax,
         Join({{"Enable DEPTH_TEST", "Disable CULL_FACE", "Enable BLEND", "BlendFunc SRC_COLOR DST_COLOR"},
               ClipPlanes("Enable"), {"Enable TEXTURE_2D"}, kFrameEnd, ClipPlanes("Disable")})},
        {kRenderMpr, kMesaExtensions,
         Join({{"Disable BLEND"}, lineState, {"Disable BLEND", "Enable TEXTURE_2D"}, kFrameEnd})},
        {kRenderCutPlanes, kMesaExtensions,
         Join({lineState, composite, ClipPlanes("Enable"), {"Enable TEXTURE_2D"}, kFrameEnd, ClipPlanes("Disable")})},
        {kRenderFlyThrough, kMesaExtensions, Join({{"Disable DEPTH_TEST"}, composite, {"Enable TEXTURE_2D"}, kFrameEnd})},
        {kRenderNormal, kNoBlendMinMax,
         Join({{"Enable DEPTH_TEST", "Disable CULL_FACE", "Enable BLEND", "BlendFunc SRC_ALPHA ONE_MINUS_SRC_ALPHA"},
               ClipPlanes("Enable"), {"Enable TEXTURE_2D"}, kFrameEnd, ClipPlanes("Disable")})},
    };
    for (const Case& c : cases) {
        auto volume = SmallVolume();
        Recorded<CTex2DPlainRenderer> r(volume.get(), c.extensions);
        r.Frame(); // builds
        r.Clear();
        r.renderer.m_nRenderMode = c.mode;
        r.Frame();
        EXPECT_EQ(Described(r.surface, {"glEnable", "glDisable", "glBlendFunc", "glBlendEquationEXT"}), c.states)
            << "mode " << c.mode << " with " << c.extensions;
        EXPECT_EQ(r.surface.m_nSwaps, 2);
    }
}

// Whatever the face mask, the MPR mode draws without a clip plane, even
// after a frame that had them on.
TEST(CVolumeRenderer, MprNeverClips)
{
    for (std::uint8_t mask : {std::uint8_t(63), std::uint8_t(21), std::uint8_t(0)}) {
        auto volume = SmallVolume();
        Recorded<CTex2DPlainRenderer> r(volume.get());
        r.renderer.m_nFaceMask = mask;
        r.Frame();
        r.Clear();
        r.renderer.m_nRenderMode = kRenderMpr;
        r.Frame();
        for (const GlCall& c : r.Calls("glEnable"))
            EXPECT_FALSE(c.args[0] >= GL_CLIP_PLANE0 && c.args[0] <= GL_CLIP_PLANE5) << int(mask);
        for (unsigned p = GL_CLIP_PLANE0; p <= GL_CLIP_PLANE5; ++p)
            EXPECT_FALSE(r.surface.m_enabled.count(p)) << int(mask);
        EXPECT_FALSE(r.renderer.m_bClipEnabled);
    }
}

// Clip planes follow the face mask: a cleared bit disables its plane.
TEST(CVolumeRenderer, ClipPlanesFollowTheFaceMask)
{
    auto volume = SmallVolume();
    Recorded<CTex2DPlainRenderer> r(volume.get());
    r.renderer.m_nFaceMask = 0b100101;
    r.Frame();
    r.Clear();
    r.Frame();
    Lines clips;
    for (const std::string& line : Described(r.surface, {"glEnable", "glDisable"}))
        if (line.find("CLIP") != std::string::npos)
            clips.push_back(line);
    const Lines expected = Join({{"Enable CLIP0", "Disable CLIP1", "Enable CLIP2", "Disable CLIP3", "Disable CLIP4",
                                  "Enable CLIP5"},
                                 ClipPlanes("Disable")});
    EXPECT_EQ(clips, expected);
    EXPECT_EQ(r.Calls("glClipPlane").size(), 3u);
    EXPECT_EQ(r.Calls("glClipPlane")[0].args, (std::vector<double>{GL_CLIP_PLANE0, -1, 0, 0, r.renderer.m_dPlanes[0][3]}));
}

TEST(CVolumeRenderer, WithoutAVolumeOnlyFlushes)
{
    Recorded<CTex2DPlainRenderer> r(nullptr);
    for (bool swap : {true, false}) {
        r.Clear();
        r.renderer.Render(&r.surface, swap);
        Lines names;
        for (const std::string& n : r.surface.Names())
            if (n != "MakeCurrent")
                names.push_back(n);
        EXPECT_EQ(names, (swap ? Lines{"glFlush", "SwapBuffers"} : Lines{"glFlush"}));
    }
}

// MIP is offered once the build has found the blend equation.
TEST(CVolumeRenderer, SupportsFeatures)
{
    for (const char* ext : {kMesaExtensions, kNoBlendMinMax}) {
        auto volume = SmallVolume();
        Recorded<CTex2DPlainRenderer> r(volume.get(), ext);
        EXPECT_TRUE(r.renderer.SupportsFeature(1));
        EXPECT_FALSE(r.renderer.SupportsFeature(2)) << "nothing probed before the first build";
        r.Frame();
        EXPECT_EQ(r.renderer.SupportsFeature(2), ext == kMesaExtensions) << ext;
        EXPECT_FALSE(r.renderer.SupportsFeature(0));
        EXPECT_FALSE(r.renderer.SupportsFeature(3));
    }
}

// The trajectory is a yellow line from the current point to the target the
// cut-plane normal gives.
TEST(CVolumeRenderer, TrajectoryLine)
{
    auto volume = SmallVolume();
    Recorded<CTex2DPlainRenderer> r(volume.get());
    r.Frame();
    volume->m_bShowTrajectory = true;
    volume->m_vEntry = {0.5f, 0, 0};
    r.Clear();
    r.Frame();
    ASSERT_GE(r.Count("glBegin"), 1);
    EXPECT_EQ(r.Calls("glBegin")[0].args[0], GL_LINES);
    EXPECT_EQ(r.Calls("glColor4f")[0].args, (std::vector<double>{1, 1, 0, 1}));
    const auto v = r.Calls("glVertex3f");
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0].args, (std::vector<double>{0.5, 0, 0}));
    // Along n = +x to the sphere of half the volume's diagonal.
    EXPECT_NEAR(v[1].args[0], volume->GetSize() / 2, 1e-4);
    EXPECT_EQ(v[1].args[1], 0);
}

TEST(CVolumeRenderer, StagingSizes)
{
    struct Case {
        int w, h, d, bits;
        bool ok;
        const char* why;
    };
    const Case cases[] = {
        {4, 2, 2, 8, true, "small"},
        {4, 2, 2, 16, true, "two bytes a texel"},
        {4, 2, 2, 32, true, "four bytes a texel"},
        {0, 4, 4, 8, false, "empty width"},
        {4, 4, 0, 8, false, "empty depth"},
        {2048, 2048, 512, 8, false, "2^31 bytes is one past INT32_MAX"},
        {1024, 1024, 1024, 16, false, "16 bits push it past"},
        {1024, 1024, 512, 32, false, "four-byte texels push it past"},
        {65536, 65536, 65536, 8, false, "the product wraps 64 bits if not checked in steps"},
        {std::numeric_limits<std::int32_t>::max(), 2, 2, 8, false, "texel count past INT32_MAX"},
    };
    for (const Case& c : cases) {
        Recorded<CTex2DPlainRenderer> r(nullptr);
        r.renderer.m_nTexWidth = c.w;
        r.renderer.m_nTexHeight = c.h;
        r.renderer.m_nTexDepth = c.d;
        r.renderer.m_nBits = c.bits;
        ASSERT_EQ(r.renderer.AllocStagingBuffer(), c.ok) << c.why;
        EXPECT_EQ(r.renderer.m_nBytesPerVoxel, c.bits / 8) << c.why;
        if (c.ok) {
            const int bytes = c.w * c.h * c.d * c.bits / 8;
            EXPECT_EQ(r.renderer.m_nStagingVoxels, c.w * c.h * c.d) << c.why;
            EXPECT_EQ(r.renderer.m_nStagingBytes, bytes) << c.why;
            for (int i = 0; i < bytes; ++i)
                ASSERT_EQ(r.renderer.m_pStaging[i], 0) << c.why;
        } else {
            EXPECT_EQ(r.renderer.m_pStaging, nullptr) << c.why;
            EXPECT_EQ(r.renderer.m_nStagingBytes, 0) << c.why;
        }
    }
}

// A build without staging memory says so once and then draws nothing; it is
// tried again after a new model, changed voxels or changed options, never
// just because another frame comes.
TEST(CVolumeRenderer, FailedStagingIsReportedOnceAndRetriedOnChange)
{
    CScriptedPrompter prompter;
    CPrompterScope scope(&prompter);
    auto volume = SmallVolume();
    Recorded<CStarvedRenderer> r(volume.get());
    auto messages = [&] { return int(prompter.asked.size()); };

    for (int frame = 0; frame < 3; ++frame)
        r.Frame();
    ASSERT_EQ(messages(), 1);
    EXPECT_EQ(prompter.asked[0].text, "Unable to allocate memory for texture!");
    EXPECT_EQ(prompter.asked[0].style, unsigned(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(Draws(r.surface), 0);
    EXPECT_EQ(volume->m_nLockCount, 0) << "the voxel lock is given back";
    EXPECT_EQ(r.Count("glTexImage2D"), 0);

    struct Change {
        const char* what;
        std::function<void()> apply;
    };
    const Change changes[] = {
        {"a new model", [&] { r.renderer.AttachModel(volume.get()); }},
        {"changed voxels", [&] { r.renderer.m_bTexturesDirty = true; }},
        {"changed options", [&] { r.renderer.OnOptionsChanged(); }},
    };
    int expected = 1;
    for (const Change& c : changes) {
        c.apply();
        r.Frame();
        r.Frame();
        EXPECT_EQ(messages(), ++expected) << c.what;
    }
    r.renderer.UpdateLookupTable();
    r.Frame();
    EXPECT_EQ(messages(), expected) << "a table edit is no reason to try again";

    r.renderer.fail = false;
    r.renderer.m_bTexturesDirty = true;
    r.Clear();
    r.Frame();
    EXPECT_EQ(messages(), expected);
    EXPECT_GT(Draws(r.surface), 0) << "drawn once the memory is there";
    EXPECT_FALSE(r.renderer.m_bTexturesMissing);
}

// A volume whose voxels cannot be had (a swap file that cannot be read back)
// is reported like missing memory, without touching the voxels.
TEST(CVolumeRenderer, VoxelsThatCannotBeLockedDrawNothing)
{
    CScriptedPrompter prompter;
    CPrompterScope scope(&prompter);
    CVolume volume;
    volume.m_nDimX = volume.m_nDimY = volume.m_nDimZ = 8;
    volume.m_nBits = 8;
    Recorded<CTex2DPlainRenderer> r(&volume);
    r.Frame();
    r.Frame();
    EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Unable to allocate memory for texture!"});
    EXPECT_EQ(Draws(r.surface), 0);
    EXPECT_TRUE(r.renderer.m_bTexturesMissing);
}

// With the recorder's identity matrices a window point unprojects to the
// near plane at its normalised device coordinates.
TEST(CVolumeRenderer, ScreenToModelDir)
{
    struct Case {
        int x, y;
        CVector3 entry;
        CVector3 dir;
    };
    const float r = 1.0f / std::sqrt(2.0f);
    const Case cases[] = {
        {32, 32, {0, 0, 0}, {0, 0, -1}},
        {64, 32, {0, 0, 0}, {r, 0, -r}},
        {32, 0, {0, 0, 0}, {0, r, -r}},
        {32, 32, {0, 0, -1}, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        auto volume = SmallVolume();
        Recorded<CTex2DPlainRenderer> rec(volume.get());
        volume->m_vEntry = c.entry;
        CVector3 d;
        rec.renderer.ScreenToModelDir(c.x, c.y, d);
        EXPECT_NEAR(d.x, c.dir.x, 1e-5) << c.x << "," << c.y;
        EXPECT_NEAR(d.y, c.dir.y, 1e-5) << c.x << "," << c.y;
        EXPECT_NEAR(d.z, c.dir.z, 1e-5) << c.x << "," << c.y;
    }
}

// A drag moves the picked MPR plane in mode 2 (kept inside the box) and
// the picked cut face in mode 3; other handles and modes move nothing.
TEST(CVolumeRenderer, DragMovesMprPlanesAndCutFaces)
{
    auto volume = MakeVolume(20, 10, 10, 8, [](int, int, int) { return 1; });
    Recorded<CTex2DPlainRenderer> r(volume.get());
    r.Frame(); // box -10..10, -5..5, -5..5
    struct Case {
        int mode, picked;
        double amount;
        CVector3 entry;
        int face;
        double distance;
        const char* why;
    };
    const double d0 = r.renderer.m_dPlanes[0][3];
    const Case cases[] = {
        {kRenderMpr, 0, 3, {3, 0, 0}, -1, 0, "x plane"},
        {kRenderMpr, 1, -2, {0, -2, 0}, -1, 0, "y plane"},
        {kRenderMpr, 2, 40, {0, 0, 5}, -1, 0, "z plane stops at the box"},
        {kRenderMpr, 0, -40, {-10, 0, 0}, -1, 0, "and at its other side"},
        {kRenderMpr, 4, 3, {0, 0, 0}, -1, 0, "no MPR plane of handle 4"},
        {kRenderCutPlanes, 0, -2, {0, 0, 0}, 0, d0 - 2, "handle 0 is face 0"},
        {kRenderCutPlanes, 3, -2, {0, 0, 0}, 1, d0 - 2, "handle 3 is face 1"},
        {kRenderNormal, 0, 3, {0, 0, 0}, 0, d0, "no drag in the normal mode"},
    };
    for (const Case& c : cases) {
        volume->SetEntryPoint({0, 0, 0}, -1, -1, -1);
        r.renderer.SetClipExtents(r.renderer.m_fRadius / 2, 10, 5, 5);
        r.renderer.m_nRenderMode = c.mode;
        r.renderer.m_nPicked = c.picked;
        if (c.mode == kRenderMpr)
            r.renderer.MoveMprSlice(c.amount);
        else if (c.mode == kRenderCutPlanes)
            r.renderer.MoveCutFace(c.amount);
        else
            r.renderer.Drag(3, 0);
        EXPECT_EQ(volume->m_vEntry, c.entry) << c.why;
        if (c.face >= 0) {
            EXPECT_DOUBLE_EQ(r.renderer.m_dPlanes[c.face][3], c.distance) << c.why;
        }
    }
    // The current point's slice indices follow the move.
    volume->SetEntryPoint({0, 0, 0}, -1, -1, -1);
    r.renderer.m_nRenderMode = kRenderMpr;
    r.renderer.m_nPicked = 0;
    r.renderer.m_fDragDirX = 1;
    r.renderer.m_fDragDirY = 0;
    r.renderer.Drag(4, 0);
    EXPECT_EQ(volume->m_vEntry, CVector3(4, 0, 0));
    EXPECT_EQ(volume->m_nSliceX, 14);
}
