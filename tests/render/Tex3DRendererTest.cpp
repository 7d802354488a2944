#include <cmath>

#include <gtest/gtest.h>

#include "RecordedVolume.h"
#include "data/Quaternion.h"
#include "platform/Prompter.h"
#include "render/Tex3DFragShaderRenderer.h"
#include "render/Tex3DPalettedRenderer.h"
#include "render/Tex3DPlainRenderer.h"
#include "support/ScriptedPrompter.h"
#include "support/VolumeScenes.h"

namespace {
using Lines = std::vector<std::string>;

// Builds only the staging volume and keeps it, to be looked at.
template <class Base> class CStagedOnly : public Base {
public:
    using Base::Base;
    void BuildTextures() override { this->StageVolume(); }
};

// Fails every staging allocation while `fail` is set.
class CStarved3D : public CTex3DPlainRenderer {
public:
    using CTex3DPlainRenderer::CTex3DPlainRenderer;
    bool AllocStagingBuffer() override
    {
        if (!fail)
            return CTex3DPlainRenderer::AllocStagingBuffer();
        FreeTextures();
        return false;
    }
    bool fail = true;
};

std::unique_ptr<CVolume> Filled(int dx, int dy, int dz, int value = 9)
{
    return MakeVolume(dx, dy, dz, 8, [=](int, int, int) { return value; });
}

std::vector<double> Args(std::initializer_list<double> a) { return a; }

// The vertices of the quads drawn (not of the lines), with the number of
// each GL_QUADS block.
struct Drawn {
    std::vector<std::vector<double>> vertices;
    std::vector<int> perBlock;
};
Drawn Vertices(const CRecordingSurface& s)
{
    Drawn d;
    bool quads = false;
    for (const GlCall& c : s.m_aCalls) {
        if (c.name == "glBegin") {
            quads = c.args[0] == GL_QUADS;
            if (quads)
                d.perBlock.push_back(0);
        }
        if (c.name == "glVertex3f" && quads) {
            d.vertices.push_back(c.args);
            ++d.perBlock.back();
        }
    }
    return d;
}
} // namespace

// A 100 x 60 x 30 volume pads to 128 x 64 x 32 and sits in its middle, 14,
// 2 and 1 texels in, rows flipped over the padded height: voxel (0, 0, 0)
// lands at column 14, row 61, slice 1. Every other texel is zero.
TEST(CTex3DRenderer, StagingIsCentredAndFlipped)
{
    auto value = [](int x, int y, int z) { return 1 + (7 * x + 13 * y + 29 * z) % 250; };
    auto volume = MakeVolume(100, 60, 30, 8, value);
    Recorded<CStagedOnly<CTex3DPlainRenderer>> r(volume.get());
    r.Frame();
    const CTex3DRenderer& t = r.renderer;
    ASSERT_EQ(t.m_nTexWidth, 128);
    ASSERT_EQ(t.m_nTexHeight, 64);
    ASSERT_EQ(t.m_nTexDepth, 32);
    EXPECT_EQ(t.m_fMaxTexEdge, 128.0f);
    ASSERT_NE(t.m_pStaging, nullptr);
    EXPECT_EQ(t.m_pStaging[14 + (1 * 64 + 61) * 128], value(0, 0, 0));
    for (int slice = 0; slice < 32; ++slice)
        for (int row = 0; row < 64; ++row)
            for (int col = 0; col < 128; ++col) {
                const int x = col - 14, y = 61 - row, z = slice - 1;
                const bool inside = x >= 0 && x < 100 && y >= 0 && y < 60 && z >= 0 && z < 30;
                ASSERT_EQ(t.m_pStaging[std::size_t(col) + (std::size_t(slice) * 64 + std::size_t(row)) * 128],
                          inside ? value(x, y, z) : 0)
                    << col << "," << row << "," << slice;
            }
    EXPECT_EQ(volume->m_nLockCount, 0);
    EXPECT_FALSE(r.renderer.m_bTexturesDirty);
}

// 16-bit voxels are staged as they are, or rescaled to 8 bits when the
// settings say so; the colour-index classes stage 8-bit indices always.
TEST(CTex3DRenderer, StagingDepth)
{
    struct Case {
        bool rescale, paletted;
        int bits;
        std::vector<int> row; // texels of the row voxel row 0 lands in
        const char* why;
    };
    // 3 x 1 x 1 pads to 4 x 2 x 2, offsets 0, 0, 0: row 1 of slice 0.
    const Case cases[] = {
        {false, false, 16, {0, 257 * 100, 65535, 0}, "kept"},
        {true, false, 8, {0, 100, 255, 0}, "rescaled"},
        {false, true, 8, {0, 100, 255, 0}, "colour indices"},
    };
    for (const Case& c : cases) {
        SettingsGuard settings;
        settings->m_bRescaleTo8Bit = c.rescale;
        auto volume = MakeVolume(3, 1, 1, 16, [](int x, int, int) { return x == 0 ? 0 : x == 1 ? 25700 : 65535; });
        std::unique_ptr<CRecordingSurface> surface = std::make_unique<CRecordingSurface>(64, 64);
        surface->m_strExtensions = kMesaExtensions;
        std::unique_ptr<CTex3DRenderer> renderer;
        if (c.paletted)
            renderer = std::make_unique<CStagedOnly<CTex3DPalettedRenderer>>(volume.get(), surface.get(), 64, 64);
        else
            renderer = std::make_unique<CStagedOnly<CTex3DPlainRenderer>>(volume.get(), surface.get(), 64, 64);
        renderer->AttachModel(volume.get());
        renderer->Render(surface.get(), false);
        ASSERT_EQ(renderer->m_nBits, c.bits) << c.why;
        std::vector<int> row;
        for (int col = 0; col < 4; ++col) {
            const std::size_t i = std::size_t(col + 1 * 4);
            row.push_back(c.bits == 16 ? renderer->m_pStaging[2 * i] | renderer->m_pStaging[2 * i + 1] << 8
                                       : renderer->m_pStaging[i]);
        }
        EXPECT_EQ(row, c.row) << c.why;
        renderer.reset();
        GlMakeCurrent(nullptr, nullptr);
    }
}

// A diagonal of 173.2 draws 174 quads, back to front, from -radius/2 on in
// steps of radius / 174, each facing the viewer.
TEST(CTex3DRenderer, SliceCountAndDepths)
{
    SliceOptions options;
    options.s.m_bUseQuads = true;
    auto volume = Filled(100, 100, 100);
    Recorded<CTex3DPlainRenderer> r(volume.get());
    r.renderer.m_bSkipEmptySpace = false;
    r.Frame();
    const float radius = volume->GetSize();
    ASSERT_NEAR(radius, 173.2f, 0.01f);
    const Drawn d = Vertices(r.surface);
    ASSERT_EQ(d.perBlock, std::vector<int>{174 * 4}) << "one block of quads";
    const float step = radius / 174.0f;
    float depth = -radius * 0.5f;
    for (int k = 0; k < 174; ++k) {
        for (int v = 0; v < 4; ++v)
            ASSERT_EQ(d.vertices[std::size_t(4 * k + v)][2], double(depth)) << k;
        depth += step;
    }
    EXPECT_LT(d.vertices.back()[2], radius * 0.5f) << "the last slice stops short of +radius/2";
}

// The rectangle spans the volume's diameter, or the frustum at mid depth
// where that is narrower: at 30 degrees the frustum is 0.94 diameters high,
// and twice as wide in a window twice as wide.
TEST(CTex3DRenderer, QuadsSpanTheFrustumWhereNarrower)
{
    SliceOptions options;
    options.s.m_bUseQuads = true;
    auto volume = Filled(16, 16, 16);
    CRecordingSurface surface(128, 64);
    surface.m_strExtensions = kMesaExtensions;
    {
        CTex3DPlainRenderer renderer(volume.get(), &surface, 128, 64);
        renderer.m_bSkipEmptySpace = false;
        renderer.AttachModel(volume.get());
        renderer.Render(&surface, false);
        const float half = volume->GetSize() / 2;
        const double h = renderer.m_dFrustumHeight;
        EXPECT_NEAR(h, 2 * std::tan(15 * std::acos(-1.0) / 180) * 1.75 * volume->GetSize(), 1e-3);
        ASSERT_LT(h, 2 * half);
        ASSERT_GT(renderer.m_dFrustumWidth, 2 * half);
        const Drawn d = Vertices(surface);
        ASSERT_FALSE(d.vertices.empty());
        EXPECT_EQ(d.vertices[0][0], -half) << "x: the diameter";
        EXPECT_EQ(d.vertices[2][0], half);
        EXPECT_EQ(d.vertices[0][1], float(-h / 2)) << "y: the frustum";
        EXPECT_EQ(d.vertices[2][1], float(h / 2));
    }
    GlMakeCurrent(nullptr, nullptr);
}

// Shells of N = 8 draw 49 quads each, one block per depth; the lattice
// corner has s = 1 / sqrt(0.75), the centre no sag. The whole-volume
// lattice is used when the frustum is wider than the volume, the
// view-frustum lattice otherwise.
TEST(CTex3DRenderer, ShellsFromTheLattices)
{
    SliceOptions options;
    options.s.m_bUseQuads = false;
    options.s.m_nLatticePoints = 8;
    auto volume = Filled(20, 20, 20);
    Recorded<CTex3DPlainRenderer> r(volume.get());
    r.renderer.m_bSkipEmptySpace = false;
    const float radius = volume->GetSize();
    const int slices = int(radius) + 1;

    const CTex3DRenderer::LatticePoint corner = r.renderer.m_aVolumeLattice[0];
    const float s = float(1.0 / std::sqrt(0.75));
    EXPECT_NEAR(corner.sag, 0.5f * s - 1.0f, 1e-6);
    EXPECT_NEAR(corner.sag, -0.4226f, 1e-4);
    EXPECT_NEAR(corner.x, -0.5f * radius * s, 1e-4);
    EXPECT_NEAR(corner.y, -0.5f * radius * s, 1e-4);
    EXPECT_NEAR(r.renderer.m_aVolumeLattice[63].x, 0.5f * radius * s, 1e-4);
    EXPECT_NEAR(r.renderer.m_aViewLattice[0].sag, corner.sag, 1e-6) << "the sag is the same in both";

    struct Case {
        int zoom;
        bool whole;
        const char* why;
    };
    for (Case c : {Case{0, false, "30 degrees: the frustum is narrower"}, Case{-100, true, "50 degrees: wider"}}) {
        r.renderer.Zoom(c.zoom);
        r.Clear();
        r.Frame();
        const Drawn d = Vertices(r.surface);
        ASSERT_EQ(d.perBlock, std::vector<int>(std::size_t(slices), 49 * 4)) << c.why;
        const auto& lattice = c.whole ? r.renderer.m_aVolumeLattice : r.renderer.m_aViewLattice;
        // Quad (i, j) = (1, 2) of the first shell: points k, k + 1, k + 9, k + 8.
        const int k = 1 * 8 + 2, q = 1 * 7 + 2;
        const int corners[4] = {k, k + 1, k + 9, k + 8};
        for (int v = 0; v < 4; ++v) {
            const auto& p = lattice[std::size_t(corners[v])];
            const auto& got = d.vertices[std::size_t(4 * q + v)];
            EXPECT_EQ(got[0], p.x) << c.why;
            EXPECT_EQ(got[1], p.y) << c.why;
            EXPECT_EQ(got[2], -radius * 0.5f - p.sag) << c.why;
        }
    }
}

// The lattice size comes from the settings: at construction below 2 gives
// 8 and above 32 gives 32 (5 stays 5); applying the options clamps to
// 8..32. The setting is written back either way, and only a change of size
// rebuilds the texture.
TEST(CTex3DRenderer, LatticeSettingIsClamped)
{
    struct Case {
        int setting, made, applied;
    };
    for (Case c : {Case{5, 5, 8}, Case{40, 32, 32}, Case{1, 8, 8}, Case{-3, 8, 8}, Case{20, 20, 20}, Case{8, 8, 8}}) {
        SliceOptions options;
        options.s.m_nLatticePoints = c.setting;
        auto volume = Filled(8, 8, 8);
        Recorded<CTex3DPlainRenderer> r(volume.get());
        EXPECT_EQ(r.renderer.m_nLatticePoints, c.made) << c.setting;
        EXPECT_EQ(options.s.m_nLatticePoints, c.made) << c.setting;
        r.Frame();
        ASSERT_FALSE(r.renderer.m_bTexturesDirty);
        options.s.m_nLatticePoints = c.setting;
        r.renderer.OnOptionsChanged();
        EXPECT_EQ(r.renderer.m_nLatticePoints, c.applied) << c.setting;
        EXPECT_EQ(options.s.m_nLatticePoints, c.applied) << c.setting;
        EXPECT_EQ(r.renderer.m_bTexturesDirty, c.applied != c.made) << c.setting << ": rebuilt on a change";
        // The last point of the new lattice is its far corner.
        const int n = c.applied;
        EXPECT_GT(r.renderer.m_aVolumeLattice[std::size_t(n * n - 1)].x, 0) << c.setting;
        EXPECT_GT(r.renderer.m_aViewLattice[std::size_t(n * n - 1)].y, 0) << c.setting;
    }
}

// An option page may write a size the arrays cannot hold before the
// options are applied; a projection change in between builds the lattice
// of the renderer's own size and writes nothing past it.
TEST(CTex3DRenderer, ProjectionChangesKeepTheLatticeSize)
{
    SliceOptions options;
    options.s.m_nLatticePoints = 8;
    auto volume = Filled(8, 8, 8);
    Recorded<CTex3DPlainRenderer> r(volume.get());
    const CTex3DRenderer::Lattice volumeLattice = r.renderer.m_aVolumeLattice;
    options.s.m_nLatticePoints = 40;
    r.renderer.Zoom(10);
    for (std::size_t i = 64; i < r.renderer.m_aViewLattice.size(); ++i)
        ASSERT_EQ(r.renderer.m_aViewLattice[i].x, 0.0f) << i;
    for (std::size_t i = 0; i < volumeLattice.size(); ++i)
        ASSERT_EQ(r.renderer.m_aVolumeLattice[i].x, volumeLattice[i].x) << i;
    EXPECT_GT(r.renderer.m_aViewLattice[63].x, 0) << "the 8 x 8 lattice of the new projection";
}

// Texture coordinates: in the multi-planar mode the texgen planes carry
// the voxel spacing and the texture matrix stays the identity; otherwise
// the planes are the largest edge's and the texture matrix turns them by
// the inverse rotation and scales each axis to its own size and spacing.
TEST(CTex3DRenderer, TexGenAndTextureMatrix)
{
    auto volume = Filled(6, 3, 10); // 8 x 4 x 16
    volume->SetVoxelSize(1, 2, 0.5f);
    Recorded<CTex3DPlainRenderer> r(volume.get());
    // A modelview turning 90 degrees about z, the volume 50 units away.
    r.surface.m_modelview = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, -50, 1};
    const CVector3 scale = {16.0f / 1 / 8, 16.0f / 2 / 4, 16.0f / 0.5f / 16};

    struct Case {
        int mode;
        std::vector<double> s, t, rr;
        Lines matrix;
    };
    const Case cases[] = {
        {kRenderMpr, {1.0 / 8, 0, 0, 0.5}, {0, 1.0 / 8, 0, 0.5}, {0, 0, 1.0 / 8, 0.5}, {"LoadIdentity"}},
        {kRenderNormal,
         {1.0 / 16, 0, 0, 0.5},
         {0, 1.0 / 16, 0, 0.5},
         {0, 0, 1.0 / 16, 0.5},
         {"LoadIdentity", "Translatef 0.5 0.5 0.5", "Scalef 2 2 2",
          // The transpose of the modelview's rotation.
          "MultMatrixf 0 -1 0 0 1 0 0 0 0 0 1 0 0 0 0 1", "Translatef -0.5 -0.5 -0.5"}},
    };
    for (const Case& c : cases) {
        r.renderer.m_nRenderMode = c.mode;
        r.Clear();
        r.Frame();
        EXPECT_EQ(r.renderer.m_vTexScale, scale);
        const auto planes = r.Calls("glTexGenfv");
        ASSERT_EQ(planes.size(), 3u);
        auto plane = [&](int i) { return std::vector<double>(planes[i].args.begin() + 2, planes[i].args.end()); };
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(planes[i].args[1], GL_OBJECT_PLANE);
        const double tolerance = 1e-7;
        for (int k = 0; k < 4; ++k) {
            EXPECT_NEAR(plane(0)[k], c.s[k], tolerance) << c.mode;
            EXPECT_NEAR(plane(1)[k], c.t[k], tolerance) << c.mode;
            EXPECT_NEAR(plane(2)[k], c.rr[k], tolerance) << c.mode;
        }
        for (const GlCall& g : r.Calls("glTexGeni"))
            EXPECT_EQ(g.args, Args({g.args[0], GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR}));
        // The texture-matrix calls between the switch to it and back.
        const Lines all = Described(r.surface, r.surface.Names());
        auto from = std::find(all.begin(), all.end(), "MatrixMode " + std::to_string(GL_TEXTURE));
        ASSERT_NE(from, all.end());
        auto to = std::find(from, all.end(), "MatrixMode " + std::to_string(GL_MODELVIEW));
        Lines matrix(from + 1, to);
        // Scale factors print in full; compare them as numbers.
        for (std::string& line : matrix)
            if (line.rfind("Scalef", 0) == 0)
                line = "Scalef 2 2 2";
        EXPECT_EQ(matrix, c.matrix) << c.mode;
        for (const char* gen : {"Enable 3168", "Enable 3169", "Enable 3170"})
            EXPECT_NE(std::find(all.begin(), all.end(), gen), all.end()) << gen;
    }
}

// The multi-planar mode draws the three planes through the current point
// under the model rotation, across the box, and nothing else.
TEST(CTex3DRenderer, MprPlanesThroughTheCurrentPoint)
{
    auto volume = Filled(4, 6, 8);
    volume->m_qOrientation = AxisAngleToQuat(CVector3(0, 1, 0), 0.5f);
    Recorded<CTex3DPlainRenderer> r(volume.get());
    r.Frame();
    volume->SetEntryPoint({1, -2, 3}, -1, -1, -1);
    r.renderer.m_nRenderMode = kRenderMpr;
    r.Clear();
    r.Frame();
    const Drawn d = Vertices(r.surface);
    ASSERT_EQ(d.perBlock, std::vector<int>{12});
    const std::vector<std::vector<double>> expected = {
        {1, -3, -4}, {1, -3, 4}, {1, 3, 4}, {1, 3, -4},     // x plane
        {-2, -2, -4}, {-2, -2, 4}, {2, -2, 4}, {2, -2, -4}, // y plane
        {-2, -3, 3}, {-2, 3, 3}, {2, 3, 3}, {2, -3, 3},     // z plane
    };
    EXPECT_EQ(d.vertices, expected);
    float m[16];
    QuatToMatrix(volume->m_qOrientation, m);
    const auto mult = r.Calls("glMultMatrixf");
    ASSERT_GE(mult.size(), 2u);
    EXPECT_EQ(mult.back().args, std::vector<double>(m, m + 16)) << "the planes turn with the volume";
    const Lines disables = Described(r.surface, {"glDisable"});
    EXPECT_NE(std::find(disables.begin(), disables.end(), "Disable BLEND"), disables.end());
}

// A texture the driver cannot hold is said once with the information icon,
// and the upload is still made.
TEST(CTex3DRenderer, ProxyTestWarns)
{
    struct Case {
        int width;
        std::vector<std::string> texts;
    };
    for (const Case& c : {Case{0, {"Insufficient texture resources - results will be undefined!"}}, Case{8, {}}}) {
        CScriptedPrompter prompter;
        CPrompterScope scope(&prompter);
        auto volume = Filled(8, 8, 8);
        Recorded<CTex3DPlainRenderer> r(volume.get());
        r.surface.m_nTextureWidth = c.width;
        r.Frame();
        EXPECT_EQ(prompter.Texts(), c.texts) << c.width;
        if (!c.texts.empty()) {
            EXPECT_EQ(prompter.asked[0].style, unsigned(MB_OK | MB_ICONINFORMATION));
        }
        const auto images = r.Calls("glTexImage3D");
        ASSERT_EQ(images.size(), 2u) << "the proxy, then the texture";
        EXPECT_EQ(images[0].args[0], GL_PROXY_TEXTURE_3D);
        EXPECT_EQ(images[0].args[9], 0) << "no data";
        EXPECT_EQ(images[1].args[0], GL_TEXTURE_3D);
        const auto asked = r.Calls("glGetTexLevelParameteriv");
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].args, Args({GL_PROXY_TEXTURE_3D, 0, GL_TEXTURE_WIDTH}));
        EXPECT_GT(r.Count("glBegin"), 0) << "drawn all the same";
    }
}

// Without staging memory the build says so once and draws nothing; it is
// tried again only when the textures are due anew.
TEST(CTex3DRenderer, FailedStagingIsReportedOnce)
{
    CScriptedPrompter prompter;
    CPrompterScope scope(&prompter);
    auto volume = Filled(8, 8, 8);
    Recorded<CStarved3D> r(volume.get());
    for (int frame = 0; frame < 3; ++frame)
        r.Frame();
    EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Unable to allocate memory for texture!"});
    EXPECT_EQ(prompter.asked[0].style, unsigned(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(r.Count("glBegin"), 0);
    EXPECT_EQ(r.Count("glTexImage3D"), 0);
    EXPECT_EQ(volume->m_nLockCount, 0) << "the voxels are unlocked";
    r.renderer.OnOptionsChanged();
    r.Frame();
    EXPECT_EQ(prompter.asked.size(), 2u) << "new options: tried again";
    r.renderer.fail = false;
    r.renderer.AttachModel(volume.get());
    r.Frame();
    EXPECT_EQ(prompter.asked.size(), 2u);
    EXPECT_GT(r.Count("glBegin"), 0);
}

// A new voxel size recomputes the geometry without a new model: the
// slices and the whole-volume shell follow the new diagonal at once.
TEST(CTex3DRenderer, VoxelSizeChangeResizesTheSlices)
{
    SliceOptions options;
    options.s.m_bUseQuads = true;
    auto volume = Filled(10, 10, 10);
    Recorded<CTex3DPlainRenderer> r(volume.get());
    r.renderer.m_bSkipEmptySpace = false;
    r.Frame();
    volume->SetVoxelSize(3, 3, 3);
    r.renderer.ComputeGeometry();
    const float radius = volume->GetSize();
    ASSERT_NEAR(radius, 3 * std::sqrt(300.0f), 1e-3);
    EXPECT_EQ(r.renderer.m_fRadius, radius);
    EXPECT_EQ(r.renderer.m_fFirstSlice, -radius * 0.5f);
    EXPECT_EQ(r.renderer.m_fLastSlice, radius * 0.5f);
    EXPECT_NEAR(r.renderer.m_aVolumeLattice[0].x, -0.5f * radius / std::sqrt(0.75f), 1e-3);
    EXPECT_EQ(r.renderer.m_vTexScale, CVector3(16.0f / 3 / 16, 16.0f / 3 / 16, 16.0f / 3 / 16));
    r.Clear();
    r.Frame();
    const Drawn d = Vertices(r.surface);
    ASSERT_EQ(d.perBlock, std::vector<int>{4 * (int(radius) + 1)});
    EXPECT_EQ(d.vertices[0][2], -radius * 0.5f);
}

// The renderer deletes its texture and its context; nothing stays bound.
TEST(CTex3DRenderer, DestructionLeavesNothing)
{
    auto volume = Filled(8, 8, 8);
    CRecordingSurface s(64, 64);
    s.m_strExtensions = kMesaExtensions;
    auto renderer = std::make_unique<CTex3DPlainRenderer>(volume.get(), &s, 64, 64);
    renderer->AttachModel(volume.get());
    renderer->Render(&s, false);
    renderer->m_bTexturesDirty = true;
    renderer->Render(&s, false);
    EXPECT_EQ(s.m_textures.size(), 1u) << "the first texture went with the rebuild";
    renderer.reset();
    EXPECT_TRUE(s.m_textures.empty());
    EXPECT_EQ(s.m_nLiveContexts, 0);
    GlMakeCurrent(nullptr, nullptr);
}

// While zero texels are clear each flat slice is drawn as its part inside
// the box of the non-zero voxels (two voxels wider each side), slices
// beyond it not at all; shells leave out the lattice quads outside it. A
// table that colours zero brings the whole slices back, an empty volume
// draws nothing.
TEST(CTex3DRenderer, EmptySpaceIsLeftOut)
{
    SliceOptions options;
    // Non-zero at x 4..7, y 6..9, z 2..11 of 16^3.
    auto volume = MakeVolume(16, 16, 16, 8, [](int x, int y, int z) {
        return x >= 4 && x <= 7 && y >= 6 && y <= 9 && z >= 2 && z <= 11 ? 50 : 0;
    });
    // Widened and half-open: x 2..10, y 4..12, z 0..14 in voxels, so x
    // -6..2, y -4..4 (rows run down) and z -8..6 in the box of +-8.
    const float x0 = -6, x1 = 2, y0 = -4, y1 = 4, z0 = -8, z1 = 6;
    auto blocks = [](const CRecordingSurface& s, GLenum kind) {
        int n = 0;
        for (const GlCall& c : s.CallsOf("glBegin"))
            n += c.args[0] == kind;
        return n;
    };

    options.s.m_bUseQuads = true;
    {
        Recorded<CTex3DFragShaderRenderer> r(volume.get());
        r.Frame();
        EXPECT_EQ(r.renderer.m_occupied.x0, 2);
        EXPECT_EQ(r.renderer.m_occupied.z1, 14);
        EXPECT_EQ(blocks(r.surface, GL_QUADS), 0);
        ASSERT_EQ(blocks(r.surface, GL_TRIANGLES), 1);
        const auto v = r.Calls("glVertex3f");
        const float radius = volume->GetSize(), step = radius / float(int(radius) + 1);
        int inside = 0;
        for (float d = -radius / 2; inside < 100 && d < radius / 2; d += step)
            inside += d >= z0 && d <= z1;
        ASSERT_EQ(v.size(), std::size_t(6 * inside)) << "two triangles for each slice across the box";
        float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
        for (const GlCall& c : v)
            for (int k = 0; k < 3; ++k) {
                lo[k] = std::min(lo[k], float(c.args[k]));
                hi[k] = std::max(hi[k], float(c.args[k]));
            }
        EXPECT_FLOAT_EQ(lo[0], x0);
        EXPECT_FLOAT_EQ(hi[0], x1);
        EXPECT_FLOAT_EQ(lo[1], y0);
        EXPECT_FLOAT_EQ(hi[1], y1);
        EXPECT_GE(lo[2], z0);
        EXPECT_LE(hi[2], z1);

        (*r.renderer.m_pRgbaTable)[3] = 10;
        r.renderer.UpdateLookupTable();
        r.Clear();
        r.Frame();
        EXPECT_EQ(blocks(r.surface, GL_TRIANGLES), 0);
        EXPECT_EQ(blocks(r.surface, GL_QUADS), 1) << "zero coloured by the table: whole slices";
    }

    options.s.m_bUseQuads = false;
    {
        Recorded<CTex3DPlainRenderer> r(volume.get());
        r.Frame();
        const auto v = r.Calls("glVertex3f");
        EXPECT_EQ(blocks(r.surface, GL_QUADS), 0);
        const int shells = blocks(r.surface, GL_TRIANGLES);
        ASSERT_GT(shells, 0);
        ASSERT_EQ(v.size() % 3, 0u);
        // The recorder's modelview has no rotation: the slices' frame is
        // the model's.
        const float e = 1e-4f;
        for (const GlCall& c : v)
            ASSERT_TRUE(c.args[0] >= x0 - e && c.args[0] <= x1 + e && c.args[1] >= y0 - e && c.args[1] <= y1 + e &&
                        c.args[2] >= z0 - e && c.args[2] <= z1 + e)
                << c.args[0] << "," << c.args[1] << "," << c.args[2] << " lies in the box";
        // Across the middle the shells cover the box: the cut triangles of
        // the shell nearest the volume's centre span its x and y.
        float lo[2] = {1e9f, 1e9f}, hi[2] = {-1e9f, -1e9f};
        for (const GlCall& c : v)
            if (std::fabs(c.args[2]) < 0.5)
                for (int k = 0; k < 2; ++k) {
                    lo[k] = std::min(lo[k], float(c.args[k]));
                    hi[k] = std::max(hi[k], float(c.args[k]));
                }
        EXPECT_NEAR(lo[0], x0, e);
        EXPECT_NEAR(hi[0], x1, e);
        EXPECT_NEAR(lo[1], y0, e);
        EXPECT_NEAR(hi[1], y1, e);
    }

    auto empty = Filled(8, 8, 8, 0);
    Recorded<CTex3DPlainRenderer> r(empty.get());
    r.Frame();
    EXPECT_EQ(r.Count("glBegin"), 0);
    EXPECT_EQ(r.surface.m_nSwaps, 1) << "the frame is still shown";
}
