#include <gtest/gtest.h>

#include "RecordedVolume.h"
#include "render/Tex2DFragProgRenderer.h"
#include "render/Tex2DPalettedRenderer.h"
#include "render/Tex2DPixelMapRenderer.h"
#include "render/Tex2DPlainRenderer.h"
#include "render/Tex2DRgbRenderer.h"
#include "render/Tex2DTexShaderRenderer.h"

namespace {
struct Image {
    int width, height;
    bool operator==(const Image&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Image& i) { return os << i.width << "x" << i.height; }

std::vector<Image> SliceImages(const CRecordingSurface& s)
{
    std::vector<Image> out;
    for (const GlCall& c : s.CallsOf("glTexImage2D"))
        out.push_back({int(c.args[3]), int(c.args[4])});
    return out;
}

// A modelview whose third row is (a, b, c).
std::vector<double> ThirdRow(double a, double b, double c)
{
    std::vector<double> m = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -50, 1};
    m[2] = a;
    m[6] = b;
    m[10] = c;
    return m;
}

std::unique_ptr<CVolume> Cube(int n = 4, int bits = 8)
{
    return MakeVolume(n, n, n, bits, [](int x, int y, int z) { return x + y + z; });
}
} // namespace

// A 3 x 5 x 1 volume pads to 4 x 8 x 2; the z stack uploads both padded
// planes, the y stack one image per row and the x stack one per column.
TEST(CTex2DRenderer, SmallVolumeSizesAndUploads)
{
    auto volume = MakeVolume(3, 5, 1, 8, [](int x, int y, int) { return 1 + x + 3 * y; });
    Recorded<CTex2DPlainRenderer> r(volume.get());
    r.Frame();
    EXPECT_EQ(r.renderer.m_nTexWidth, 4);
    EXPECT_EQ(r.renderer.m_nTexHeight, 8);
    EXPECT_EQ(r.renderer.m_nTexDepth, 2);
    std::vector<double> names;
    for (const GlCall& c : r.Calls("glGenTextures"))
        names.push_back(c.args[0]);
    EXPECT_EQ(names, (std::vector<double>{4, 8, 2})) << "each stack has names for its padded size";
    std::vector<Image> expected(2, {4, 8});
    expected.insert(expected.end(), 5, {4, 2});
    expected.insert(expected.end(), 3, {8, 2});
    EXPECT_EQ(SliceImages(r.surface), expected);
    EXPECT_EQ(r.renderer.m_pStaging, nullptr) << "the staging volume goes once uploaded";
    EXPECT_FALSE(r.renderer.m_bTexturesDirty);
    EXPECT_EQ(volume->m_nLockCount, 0);
}

// Formats of the slice images by class and depth; the colour-index classes
// stage 8-bit indices even from 16 bits with rescaling off.
TEST(CTex2DRenderer, SliceFormatsByClassAndDepth)
{
    struct Case {
        const char* what;
        RendererMaker make;
        int bits;
        bool rescale;
        double internal, format, type;
    };
    auto plain = MakerOf<CTex2DPlainRenderer>();
    auto prog = MakerOf<CTex2DFragProgRenderer>();
    auto shader = MakerOf<CTex2DTexShaderRenderer>();
    auto palette = MakerOf<CTex2DPalettedRenderer>();
    auto maps = MakerOf<CTex2DPixelMapRenderer>();
    auto rgb = MakerOf<CTex2DRgbRenderer>();
    const Case cases[] = {
        {"plain 8", plain, 8, true, GL_INTENSITY8, GL_LUMINANCE, GL_UNSIGNED_BYTE},
        {"plain 16 rescaled", plain, 16, true, GL_INTENSITY8, GL_LUMINANCE, GL_UNSIGNED_BYTE},
        {"plain 16", plain, 16, false, GL_INTENSITY16, GL_LUMINANCE, GL_UNSIGNED_SHORT},
        {"program 8", prog, 8, false, GL_INTENSITY8, GL_LUMINANCE, GL_UNSIGNED_BYTE},
        {"program 16", prog, 16, false, GL_INTENSITY16, GL_LUMINANCE, GL_UNSIGNED_SHORT},
        {"shader 16", shader, 16, false, GL_INTENSITY16, GL_LUMINANCE, GL_UNSIGNED_SHORT},
        {"paletted 8", palette, 8, true, GL_COLOR_INDEX8_EXT, GL_COLOR_INDEX, GL_UNSIGNED_BYTE},
        {"paletted 16", palette, 16, false, GL_COLOR_INDEX8_EXT, GL_COLOR_INDEX, GL_UNSIGNED_BYTE},
        {"pixel maps 16", maps, 16, false, GL_RGBA, GL_COLOR_INDEX, GL_UNSIGNED_BYTE},
        {"rgb", rgb, 8, false, GL_RGBA8, GL_BGRA_EXT, GL_UNSIGNED_BYTE},
    };
    for (const Case& c : cases) {
        SettingsGuard settings;
        settings->m_bRescaleTo8Bit = c.rescale;
        auto volume = Cube(4, c.bits);
        CRecordingSurface surface(64, 64);
        surface.m_strExtensions = kMesaExtensions;
        auto renderer = c.make(volume.get(), &surface);
        renderer->AttachModel(volume.get());
        renderer->BeginFrame(&surface, 0, nullptr);
        renderer->Render(&surface, false);
        int slices = 0;
        for (const GlCall& call : surface.CallsOf("glTexImage2D")) {
            if (call.args[3] == 256)
                continue; // the texture shader's lookup
            ++slices;
            EXPECT_EQ(call.args[2], c.internal) << c.what;
            EXPECT_EQ(call.args[6], c.format) << c.what;
            EXPECT_EQ(call.args[7], c.type) << c.what;
        }
        EXPECT_EQ(slices, 4 + 4 + 4) << c.what;
        auto* volumeRenderer = static_cast<CVolumeRenderer*>(renderer.get());
        EXPECT_EQ(volumeRenderer->m_nBits, c.what == std::string("rgb") ? 32 : c.type == GL_UNSIGNED_SHORT ? 16 : 8)
            << c.what;
        renderer.reset();
        GlMakeCurrent(nullptr, nullptr);
    }
}

TEST(CTex2DRenderer, RescaleRoundsToNearest)
{
    struct Case {
        int in, out;
    };
    for (Case c : {Case{0, 0}, Case{128, 0}, Case{129, 1}, Case{257, 1}, Case{385, 1}, Case{386, 2},
                   Case{32767, 127}, Case{32896, 128}, Case{65535, 255}})
        EXPECT_EQ(RescaleTo8Bit(std::uint16_t(c.in)), c.out) << c.in;
}

// The stack facing the viewer most, ties going to z before y before x.
TEST(CTex2DRenderer, ChooseStackRows)
{
    struct Case {
        float a, b, c;
        int code;
        const char* why;
    };
    const Case cases[] = {
        {0.6f, 0.6f, 0.5f, 3, "x and y tie: y wins, pointing up"},
        {0.5f, 0.5f, 0.5f, 5, "all tie: z"},
        {0.9f, 0.1f, 0.2f, 1, "x toward the viewer"},
        {-0.9f, 0.1f, 0.2f, 0, "x away"},
        {0.1f, -0.9f, 0.2f, 2, "y away"},
        {0.1f, 0.2f, -0.9f, 4, "z away"},
        {0.7f, 0.1f, -0.7f, 4, "x ties with z: z"},
        {0.1f, -0.7f, 0.7f, 5, "y ties with z: z"},
        {0.0f, 0.0f, 0.0f, 4, "no direction: z downward"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChooseStackFor(c.a, c.b, c.c), c.code) << c.why;
        auto volume = Cube();
        Recorded<CTex2DPlainRenderer> r(volume.get());
        r.surface.m_modelview = ThirdRow(c.a, c.b, c.c);
        EXPECT_EQ(r.renderer.ChooseStack(), c.code) << "read from the modelview: " << c.why;
    }
}

// Each stack is drawn back to front at its slice places: upward from the
// box minimum, downward from its maximum, one spacing apart.
TEST(CTex2DRenderer, SlicePlacesAndTextureOrder)
{
    struct Case {
        std::vector<double> modelview;
        int axis;
        std::vector<double> places;
        std::vector<int> textures; // index into the axis's names
    };
    // Box x -1.5..1.5 (3 at spacing 1), y -2..2 (2 at 2), z -1..1 (4 at 0.5).
    const Case cases[] = {
        {ThirdRow(0, 0, 1), 2, {-1, -0.5, 0, 0.5}, {0, 1, 2, 3}},
        {ThirdRow(0, 0, -1), 2, {1, 0.5, 0, -0.5}, {3, 2, 1, 0}},
        {ThirdRow(1, 0, 0), 0, {-1.5, -0.5, 0.5}, {0, 1, 2}},
        {ThirdRow(-1, 0, 0), 0, {1.5, 0.5, -0.5}, {2, 1, 0}},
        {ThirdRow(0, 1, 0), 1, {-2, 0}, {0, 1}},
        {ThirdRow(0, -1, 0), 1, {2, 0}, {1, 0}},
    };
    for (const Case& c : cases) {
        auto volume = MakeVolume(3, 2, 4, 8, [](int, int, int) { return 9; });
        volume->SetVoxelSize(1, 2, 0.5f);
        Recorded<CTex2DPlainRenderer> r(volume.get());
        r.surface.m_modelview = c.modelview;
        r.Frame();
        const GLuint* names[3] = {r.renderer.m_pXTextures.get(), r.renderer.m_pYTextures.get(),
                                  r.renderer.m_pZTextures.get()};
        const int counts[3] = {r.renderer.m_nXTextures, r.renderer.m_nYTextures, r.renderer.m_nZTextures};
        std::vector<double> places;
        for (std::size_t i = 0; i < r.Calls("glVertex3d").size(); i += 4) {
            const auto& quad = r.Calls("glVertex3d");
            for (int k = 0; k < 4; ++k)
                EXPECT_EQ(quad[i + k].args[c.axis], quad[i].args[c.axis]) << "a quad lies in its plane";
            places.push_back(quad[i].args[c.axis]);
        }
        EXPECT_EQ(places, c.places) << "axis " << c.axis;
        std::vector<int> textures;
        for (const GlCall& b : r.Calls("glBindTexture"))
            for (int t = 0; t < counts[c.axis]; ++t)
                if (b.args[1] == names[c.axis][t])
                    textures.push_back(t);
        // The uploads bind every texture once before the drawing binds.
        const int uploads = 4 + 2 + 3;
        EXPECT_EQ(std::vector<int>(textures.end() - int(c.textures.size()), textures.end()), c.textures)
            << "axis " << c.axis;
        EXPECT_GE(int(r.Count("glBindTexture")), uploads);
    }
}

// The quads of the z stack span the box with the used fraction of the
// padded texture: 3 of 4 columns, 2 of 2 rows.
TEST(CTex2DRenderer, TextureCoordinatesCoverTheVolumeOnly)
{
    auto volume = MakeVolume(3, 2, 4, 8, [](int, int, int) { return 9; });
    Recorded<CTex2DPlainRenderer> r(volume.get());
    r.Frame();
    const auto coords = r.Calls("glTexCoord2f");
    const auto corners = r.Calls("glVertex3d");
    ASSERT_EQ(coords.size(), 16u);
    const std::vector<std::vector<double>> st = {{0, 0}, {0, 1}, {0.75, 1}, {0.75, 0}};
    const std::vector<std::vector<double>> xy = {{-1.5, -1}, {-1.5, 1}, {1.5, 1}, {1.5, -1}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(coords[k].args, st[k]);
        EXPECT_EQ(corners[k].args[0], xy[k][0]);
        EXPECT_EQ(corners[k].args[1], xy[k][1]);
    }
}

// Each drawing order is recorded once and then replayed; a new model or
// new geometry discards the lists.
TEST(CTex2DRenderer, DisplayListsAreRecordedOncePerOrder)
{
    auto volume = Cube();
    Recorded<CTex2DPlainRenderer> r(volume.get());
    const std::vector<double> codes[] = {ThirdRow(0, 0, 1), ThirdRow(0, 0, 1), ThirdRow(-1, 0, 0),
                                         ThirdRow(0, 0, 1), ThirdRow(-1, 0, 0)};
    for (const auto& m : codes) {
        r.surface.m_modelview = m;
        r.Frame();
    }
    EXPECT_EQ(r.Count("glNewList"), 2);
    EXPECT_EQ(r.Count("glCallList"), 3);
    EXPECT_NE(r.renderer.m_nDisplayLists[5], 0u);
    EXPECT_NE(r.renderer.m_nDisplayLists[0], 0u);
    for (const GlCall& c : r.Calls("glNewList"))
        EXPECT_EQ(c.args[1], GL_COMPILE_AND_EXECUTE);

    r.renderer.AttachModel(volume.get());
    EXPECT_EQ(r.Count("glDeleteLists"), 2);
    EXPECT_EQ(r.renderer.m_nDisplayLists[5], 0u);
    r.Frame();
    EXPECT_EQ(r.Count("glNewList"), 3) << "recorded again after the new model";

    r.renderer.ComputeGeometry();
    EXPECT_EQ(r.Count("glDeleteLists"), 3);
    EXPECT_EQ(r.renderer.m_nDisplayLists[0], 0u);
}

// The three MPR slices: x texture at the current column, the y texture of
// the flipped row, z texture at the current slice; y slice 0 is the last
// y texture.
TEST(CTex2DRenderer, MprSlicesAtTheCurrentPoint)
{
    struct Case {
        int px, py, pz;
        int yTexture;
    };
    for (Case c : {Case{1, 2, 3, 1}, Case{0, 0, 0, 3}, Case{2, 3, 1, 0}}) {
        auto volume = MakeVolume(3, 4, 5, 8, [](int, int, int) { return 9; });
        Recorded<CTex2DPlainRenderer> r(volume.get());
        r.Frame();
        volume->SetEntryPoint({0, 0, 0}, c.px, c.py, c.pz);
        r.renderer.m_nRenderMode = kRenderMpr;
        r.Clear();
        r.Frame();
        std::vector<double> binds;
        for (const GlCall& b : r.Calls("glBindTexture"))
            binds.push_back(b.args[1]);
        EXPECT_EQ(binds, (std::vector<double>{double(r.renderer.m_pXTextures[c.px]),
                                              double(r.renderer.m_pYTextures[c.yTexture]),
                                              double(r.renderer.m_pZTextures[c.pz])}));
        const auto v = r.Calls("glVertex3d");
        ASSERT_EQ(v.size(), 12u);
        EXPECT_EQ(v[0].args[0], c.px - 1.5);
        EXPECT_EQ(v[4].args[1], c.yTexture - 2.0);
        EXPECT_EQ(v[8].args[2], c.pz - 2.5);
        EXPECT_EQ(r.Count("glNewList"), 0) << "MPR draws without lists";
    }
}

// While zero texels draw clear, each slice is drawn over the rectangle of
// its non-zero texels widened by one texel, and empty slices not at all; a
// table that colours zero brings the whole slices back.
TEST(CTex2DRenderer, EmptySpaceIsLeftOut)
{
    // Non-zero at x 2..4, y 3..5 (texel rows 2..4), z 1..6 of 8^3.
    auto volume = MakeVolume(8, 8, 8, 8, [](int x, int y, int z) {
        return x >= 2 && x <= 4 && y >= 3 && y <= 5 && z >= 1 && z <= 6 ? 50 : 0;
    });
    struct Quad {
        double z, x0, x1, y0, y1;
        bool operator==(const Quad&) const = default;
    };
    auto quads = [](const CRecordingSurface& s) {
        std::vector<Quad> out;
        const auto v = s.CallsOf("glVertex3d");
        for (std::size_t i = 0; i + 3 < v.size(); i += 4)
            out.push_back({v[i].args[2], v[i].args[0], v[i + 2].args[0], v[i].args[1], v[i + 2].args[1]});
        return out;
    };
    struct Case {
        bool skip;
        bool zeroClear;
        std::size_t count;
        const char* why;
    };
    for (Case c : {Case{true, true, 6, "trimmed"}, Case{false, true, 8, "reference: whole slices"},
                   Case{true, false, 8, "zero coloured by the table"}}) {
        Recorded<CTex2DFragProgRenderer> r(volume.get());
        r.renderer.m_bSkipEmptySpace = c.skip;
        (*r.renderer.m_pRgbaTable)[3] = c.zeroClear ? 0 : 10;
        (*r.renderer.m_pRgbaTable)[0] = 0;
        r.Frame();
        const std::vector<Quad> q = quads(r.surface);
        ASSERT_EQ(q.size(), c.count) << c.why;
        if (c.count == 6) {
            // Texels 1..5 of 8 across a box of -4..4: -3..2 in x and y.
            for (std::size_t i = 0; i < q.size(); ++i)
                EXPECT_EQ(q[i], (Quad{-3.0 + double(i), -3, 2, -3, 2})) << i;
            const auto st = r.Calls("glTexCoord2f");
            EXPECT_EQ(st[0].args, (std::vector<double>{0.125, 0.125}));
            EXPECT_EQ(st[2].args, (std::vector<double>{0.75, 0.75}));
        } else {
            EXPECT_EQ(q[0], (Quad{-4, -4, 4, -4, 4})) << c.why;
        }
    }

    // A table edit that gives zero a colour is seen at the next frame.
    Recorded<CTex2DFragProgRenderer> r(volume.get());
    r.Frame();
    (*r.renderer.m_pRgbaTable)[3] = 10;
    r.renderer.UpdateLookupTable();
    r.Clear();
    r.Frame();
    EXPECT_EQ(quads(r.surface).size(), 8u);
    EXPECT_EQ(r.Count("glNewList"), 1) << "recorded anew";
}
