#include <cstring>

#include <gtest/gtest.h>

#include "RecordedLeaves.h"
#include "render/Tex3DFragShaderRenderer.h"
#include "render/Tex3DPalettedRenderer.h"
#include "render/Tex3DPixelMapRenderer.h"
#include "render/Tex3DPlainRenderer.h"
#include "render/Tex3DTexShaderRenderer.h"

namespace {
// Calls of any ATI entry point or of the ATI fragment-shader enable.
Lines AtiCalls(const CRecordingSurface& s)
{
    Lines out;
    for (const std::string& line : Described(s, s.Names()))
        if (line.find("ATI") != std::string::npos || line.find(N(GL_FRAGMENT_SHADER_ATI)) != std::string::npos)
            out.push_back(line);
    return out;
}

const char kAtiExtensions[] = "GL_EXT_texture3D GL_ARB_multitexture GL_ATI_fragment_shader GL_EXT_blend_minmax";
const std::string kParam3D = "TexParameteri TEXTURE_3D ";
} // namespace

TEST(CTex3DLeaves, DescriptionsAndAutoUpdate)
{
    auto volume = Cube();
    CRecordingSurface s;
    LeafIdentity cases[] = {
        {std::make_unique<CTex3DFragShaderRenderer>(volume.get(), &s, 8, 8),
         "Volume rendering using OpenGL 3D Textures and ATI fragment shader extensions.", true},
        {std::make_unique<CTex3DTexShaderRenderer>(volume.get(), &s, 8, 8),
         "Volume rendering using OpenGL 3D Textures and NVidia texture shader extensions.", true},
        {std::make_unique<CTex3DPalettedRenderer>(volume.get(), &s, 8, 8),
         "Volume rendering using OpenGL 3D paletted textures.", true},
        {std::make_unique<CTex3DPixelMapRenderer>(volume.get(), &s, 8, 8),
         "Volume rendering using OpenGL 3D textures and colour pixel maps", false},
        {std::make_unique<CTex3DPlainRenderer>(volume.get(), &s, 8, 8),
         "Volume rendering using OpenGL 3D Texture extensions", false},
    };
    ExpectIdentities(cases, s);
}

// Volume formats by class and depth: intensity for the lookup and plain
// classes, colour indices of 8 bits for the palette and RGBA through the
// pixel maps (whose 256-entry maps need 8-bit indices as well).
TEST(CTex3DLeaves, VolumeFormatsByClassAndDepth)
{
    struct Case {
        const char* what;
        RendererMaker make;
        int bits;
        bool rescale;
        double internal, format, type;
    };
    auto plain = MakerOf<CTex3DPlainRenderer>();
    auto shader = MakerOf<CTex3DFragShaderRenderer>();
    auto nv = MakerOf<CTex3DTexShaderRenderer>();
    auto palette = MakerOf<CTex3DPalettedRenderer>();
    auto maps = MakerOf<CTex3DPixelMapRenderer>();
    const Case cases[] = {
        {"plain 8", plain, 8, false, GL_INTENSITY8, GL_LUMINANCE, GL_UNSIGNED_BYTE},
        {"plain 16", plain, 16, false, GL_INTENSITY16, GL_LUMINANCE, GL_UNSIGNED_SHORT},
        {"plain 16 rescaled", plain, 16, true, GL_INTENSITY8, GL_LUMINANCE, GL_UNSIGNED_BYTE},
        {"fragment shader 16", shader, 16, false, GL_INTENSITY16, GL_LUMINANCE, GL_UNSIGNED_SHORT},
        {"texture shader 8", nv, 8, false, GL_INTENSITY8, GL_LUMINANCE, GL_UNSIGNED_BYTE},
        {"paletted 16", palette, 16, false, GL_COLOR_INDEX8_EXT, GL_COLOR_INDEX, GL_UNSIGNED_BYTE},
        {"pixel maps 16", maps, 16, false, GL_RGBA, GL_COLOR_INDEX, GL_UNSIGNED_BYTE},
    };
    for (const Case& c : cases) {
        SettingsGuard settings;
        settings->m_bRescaleTo8Bit = c.rescale;
        auto volume = Cube(c.bits);
        CRecordingSurface surface(64, 64);
        surface.m_strExtensions = std::string(kAtiExtensions) + " GL_NV_texture_shader";
        auto renderer = c.make(volume.get(), &surface);
        renderer->AttachModel(volume.get());
        renderer->Render(&surface, false);
        const auto images = surface.CallsOf("glTexImage3D");
        ASSERT_EQ(images.size(), 2u) << c.what;
        const GlCall& t = images[1];
        EXPECT_EQ(t.args[0], GL_TEXTURE_3D) << c.what;
        EXPECT_EQ(t.args[2], c.internal) << c.what;
        EXPECT_EQ((std::vector<double>(t.args.begin() + 3, t.args.begin() + 6)), (std::vector<double>{4, 4, 4}));
        EXPECT_EQ(t.args[7], c.format) << c.what;
        EXPECT_EQ(t.args[8], c.type) << c.what;
        // The proxy asks for the intensity format of the staged depth.
        EXPECT_EQ(images[0].args[2], c.type == GL_UNSIGNED_SHORT ? GL_INTENSITY16 : GL_INTENSITY8) << c.what;
        // The parameters of the volume texture, set before its image.
        const Lines params = From(surface, "TexEnvi " + N(GL_TEXTURE_ENV), 7);
        EXPECT_EQ(params, (Lines{"TexEnvi " + N(GL_TEXTURE_ENV) + " " + N(GL_TEXTURE_ENV_MODE) + " " + N(GL_REPLACE),
                                 "TexParameterfv TEXTURE_3D " + N(GL_TEXTURE_BORDER_COLOR) + " 0 0 0 0",
                                 kParam3D + N(GL_TEXTURE_WRAP_S) + " " + N(GL_CLAMP_TO_BORDER),
                                 kParam3D + N(GL_TEXTURE_WRAP_T) + " " + N(GL_CLAMP_TO_BORDER),
                                 kParam3D + N(GL_TEXTURE_WRAP_R) + " " + N(GL_CLAMP_TO_BORDER),
                                 kParam3D + N(GL_TEXTURE_MAG_FILTER) + " " + N(GL_LINEAR),
                                 kParam3D + N(GL_TEXTURE_MIN_FILTER) + " " + N(GL_LINEAR)}))
            << c.what;
        auto* r = static_cast<CTex3DRenderer*>(renderer.get());
        EXPECT_EQ(r->m_pStaging, nullptr) << c.what << ": the staging goes once uploaded";
        renderer.reset();
        GlMakeCurrent(nullptr, nullptr);
    }
}

// The shader: the volume of unit 1 sampled into register 1, its value the
// coordinate of the lookup of unit 0 in the second pass, whose copy of
// register 0 onto itself keeps Mesa from refusing an arithmetic-free pass.
// The volume is made on unit 1, the lookup uploaded on unit 0.
TEST(CTex3DFragShaderRenderer, ShaderAndUnits)
{
    auto volume = Cube();
    Recorded<CTex3DFragShaderRenderer> r(volume.get(), kAtiExtensions);
    r.Frame();
    ASSERT_TRUE(r.renderer.m_bShaderDefined);
    const std::string shader = std::to_string(r.renderer.m_nShader);
    const std::string none = N(GL_NONE);
    EXPECT_EQ(From(r.surface, "GenFragmentShadersATI", 9),
              (Lines{"GenFragmentShadersATI 1", "BindFragmentShaderATI " + shader, "BeginFragmentShaderATI",
                     "SampleMapATI " + N(GL_REG_1_ATI) + " TEXTURE1 " + N(GL_SWIZZLE_STR_ATI),
                     "ColorFragmentOp1ATI " + N(GL_MOV_ATI) + " " + N(GL_REG_2_ATI) + " " + none + " " + none + " " +
                         N(GL_REG_1_ATI) + " " + none + " " + none,
                     "PassTexCoordATI " + N(GL_REG_1_ATI) + " " + N(GL_REG_1_ATI) + " " + N(GL_SWIZZLE_STR_ATI),
                     "SampleMapATI " + N(GL_REG_0_ATI) + " " + N(GL_REG_1_ATI) + " " + N(GL_SWIZZLE_STR_ATI),
                     "ColorFragmentOp1ATI " + N(GL_MOV_ATI) + " " + N(GL_REG_0_ATI) + " " + none + " " + none + " " +
                         N(GL_REG_0_ATI) + " " + none + " " + none,
                     "EndFragmentShaderATI"}));

    // Unit 1 is active from before the proxy to the volume's image.
    const Lines order = Described(r.surface, {"glActiveTextureARB", "glTexImage3D", "glTexImage1D", "glGenTextures"});
    const std::string lut = std::to_string(r.renderer.m_nLookupTexture);
    ASSERT_GE(order.size(), 6u);
    EXPECT_EQ(Lines(order.begin(), order.begin() + 6),
              (Lines{"ActiveTextureARB TEXTURE1", "TexImage3D " + N(GL_PROXY_TEXTURE_3D) + " 0 " + N(GL_INTENSITY8) +
                                                      " 4 4 4 0 " + N(GL_LUMINANCE) + " " + N(GL_UNSIGNED_BYTE) + " 0",
                     "GenTextures 1", "GenTextures 1",
                     From(r.surface, "TexImage3D TEXTURE_3D", 1)[0], "ActiveTextureARB TEXTURE0"}));
    const std::string p1d = "TexParameteri TEXTURE_1D ";
    EXPECT_EQ(From(r.surface, "ActiveTextureARB TEXTURE0", 12),
              (Lines{"ActiveTextureARB TEXTURE0", "Disable TEXTURE_3D", "Disable TEXTURE_2D", "Enable TEXTURE_1D",
                     "BindTexture TEXTURE_1D " + lut, p1d + N(GL_TEXTURE_WRAP_S) + " " + N(GL_CLAMP_TO_EDGE),
                     p1d + N(GL_TEXTURE_MIN_FILTER) + " " + N(GL_LINEAR),
                     p1d + N(GL_TEXTURE_MAG_FILTER) + " " + N(GL_LINEAR),
                     "TexEnvi " + N(GL_TEXTURE_ENV) + " " + N(GL_TEXTURE_ENV_MODE) + " " + N(GL_REPLACE),
                     "TexImage1D TEXTURE_1D 0 " + N(GL_RGBA) + " 256 0 " + N(GL_RGBA) + " " + N(GL_UNSIGNED_BYTE) + " " +
                         Address(r.renderer.m_pRgbaTable->data()),
                     "Disable TEXTURE_1D", "ActiveTextureARB TEXTURE1"}));
}

// Texturing on binds and enables the shader with the lookup on unit 0 and
// the volume on unit 1; off undoes it. The multi-planar planes are drawn
// with the shader off; a table edit is one sub-image of the lookup.
TEST(CTex3DFragShaderRenderer, TexturingPlanesAndTableEdits)
{
    auto volume = Cube();
    Recorded<CTex3DFragShaderRenderer> r(volume.get(), kAtiExtensions);
    r.Frame();
    const std::string lut = std::to_string(r.renderer.m_nLookupTexture);
    const std::string fs = N(GL_FRAGMENT_SHADER_ATI);
    r.Clear();
    r.renderer.EnableTexturing(true);
    r.renderer.EnableTexturing(false);
    EXPECT_EQ(Described(r.surface, r.surface.Names()),
              (Lines{"BindFragmentShaderATI " + std::to_string(r.renderer.m_nShader), "Enable " + fs,
                     "ActiveTextureARB TEXTURE0", "Disable TEXTURE_3D", "Disable TEXTURE_2D", "Enable TEXTURE_1D",
                     "BindTexture TEXTURE_1D " + lut, "ActiveTextureARB TEXTURE1", "Enable TEXTURE_3D",
                     "Disable " + fs, "ActiveTextureARB TEXTURE0", "Disable TEXTURE_1D", "ActiveTextureARB TEXTURE1",
                     "Disable TEXTURE_3D"}));

    r.renderer.m_nRenderMode = kRenderMpr;
    r.Clear();
    r.Frame();
    const Lines mpr = Described(r.surface, {"glEnable", "glDisable", "glBegin"});
    const std::string quads = "Begin " + N(GL_QUADS);
    const auto planes = std::find(mpr.begin(), mpr.end(), quads);
    ASSERT_NE(planes, mpr.end());
    const auto lastOff = std::find(std::make_reverse_iterator(planes), mpr.rend(), "Disable " + fs);
    const auto lastOn = std::find(std::make_reverse_iterator(planes), mpr.rend(), "Enable " + fs);
    ASSERT_NE(lastOff, mpr.rend());
    EXPECT_TRUE(lastOn == mpr.rend() || lastOff < lastOn) << "the shader is off when the planes are drawn";

    (*r.renderer.m_pRgbaTable)[4 * 7] = 70;
    r.Clear();
    r.renderer.UpdateLookupTable();
    EXPECT_EQ(Described(r.surface, r.surface.Names()),
              (Lines{"IsTexture " + lut, "ActiveTextureARB TEXTURE0", "Disable TEXTURE_3D", "Disable TEXTURE_2D",
                     "Enable TEXTURE_1D", "BindTexture TEXTURE_1D " + lut,
                     "TexSubImage1D TEXTURE_1D 0 0 256 " + N(GL_RGBA) + " " + N(GL_UNSIGNED_BYTE) + " " +
                         Address(r.renderer.m_pRgbaTable->data()),
                     "Disable TEXTURE_1D", "ActiveTextureARB TEXTURE1"}));
    r.renderer.m_bTexturesDirty = true;
    r.Clear();
    r.renderer.UpdateLookupTable();
    EXPECT_EQ(r.Count("glTexImage3D"), 2) << "due for a rebuild: the whole build";
    EXPECT_EQ(r.Count("glTexImage1D"), 1);
}

// Every build defines a new shader and deletes the one before; the
// renderer deletes its last one, its textures and its context.
TEST(CTex3DFragShaderRenderer, RebuildsAndDestructionLeakNothing)
{
    auto volume = Cube();
    CRecordingSurface s(64, 64);
    s.m_strExtensions = kAtiExtensions;
    auto renderer = std::make_unique<CTex3DFragShaderRenderer>(volume.get(), &s, 64, 64);
    renderer->AttachModel(volume.get());
    renderer->Render(&s, false);
    const GLuint first = renderer->m_nShader;
    renderer->m_bTexturesDirty = true;
    renderer->Render(&s, false);
    const Lines shaders = Described(s, {"glGenFragmentShadersATI", "glDeleteFragmentShaderATI"});
    EXPECT_EQ(shaders, (Lines{"GenFragmentShadersATI 1", "DeleteFragmentShaderATI " + std::to_string(first),
                              "GenFragmentShadersATI 1"}));
    EXPECT_NE(renderer->m_nShader, first);
    const GLuint last = renderer->m_nShader;
    renderer.reset();
    EXPECT_EQ(Described(s, {"glDeleteFragmentShaderATI"}).back(), "DeleteFragmentShaderATI " + std::to_string(last));
    EXPECT_TRUE(s.m_textures.empty()) << "volume and lookup deleted";
    EXPECT_EQ(s.m_nLiveContexts, 0);
    GlMakeCurrent(nullptr, nullptr);
}

// Without the ATI extension (or without multitexture) the shader is never
// defined and no ATI entry point is called, not even to bind, enable or
// delete; the volume is still built and drawn.
TEST(CTex3DFragShaderRenderer, NoAtiEntryPointWithoutTheExtension)
{
    for (const char* extensions : {"GL_EXT_texture3D GL_ARB_multitexture GL_ARB_fragment_program",
                                   "GL_EXT_texture3D GL_ATI_fragment_shader", "GL_EXT_texture3D"}) {
        auto volume = Cube();
        CRecordingSurface s(64, 64);
        s.m_strExtensions = extensions;
        {
            CTex3DFragShaderRenderer renderer(volume.get(), &s, 64, 64);
            renderer.AttachModel(volume.get());
            for (int mode : {kRenderNormal, kRenderMip, kRenderMpr, kRenderCutPlanes, kRenderFlyThrough}) {
                renderer.m_nRenderMode = mode;
                renderer.OnModeChanged();
                renderer.BeginFrame(&s, 0, nullptr);
                renderer.Render(&s, true);
            }
            (*renderer.m_pRgbaTable)[5] = 1;
            renderer.UpdateLookupTable();
            renderer.m_bTexturesDirty = true;
            renderer.Render(&s, false);
            EXPECT_FALSE(renderer.m_bShaderDefined) << extensions;
            EXPECT_EQ(s.CountOf("glTexImage3D"), 4) << extensions << ": built twice all the same";
            EXPECT_GT(s.CountOf("glBegin"), 0) << extensions;
        }
        EXPECT_EQ(AtiCalls(s), Lines{}) << extensions;
        GlMakeCurrent(nullptr, nullptr);
    }
}

// Texture shaders: the volume on unit 0 with the 3D operation, the lookup
// the table twice as a 256 x 2 texture read by a dependent AR lookup of
// unit 1 (the other way round from the fragment shader).
TEST(CTex3DTexShaderRenderer, RecordedCalls)
{
    auto volume = Cube();
    Recorded<CTex3DTexShaderRenderer> r(volume.get(), "GL_EXT_texture3D GL_ARB_multitexture GL_NV_texture_shader");
    r.Frame();
    const std::string lut = std::to_string(r.renderer.m_nLookupTexture);
    const std::string staging = Address(r.renderer.m_pLookupStaging.get());
    const std::string p2d = "TexParameteri TEXTURE_2D ";
    const Lines image = From(r.surface, "TexImage3D TEXTURE_3D", 1);
    ASSERT_EQ(image.size(), 1u);
    EXPECT_EQ(From(r.surface, "TexImage3D TEXTURE_3D", 19),
              (Lines{image[0], "PixelStorei " + N(GL_UNPACK_ALIGNMENT) + " 4", "Enable TEXTURE_SHADER",
                     "TexEnvi TEXTURE_SHADER " + N(GL_SHADER_OPERATION_NV) + " TEXTURE_3D", "Disable TEXTURE_3D",
                     "Enable TEXTURE_2D", "ActiveTextureARB TEXTURE1", "Enable TEXTURE_SHADER",
                     "BindTexture TEXTURE_2D " + lut, p2d + N(GL_TEXTURE_WRAP_S) + " " + N(GL_CLAMP),
                     p2d + N(GL_TEXTURE_WRAP_T) + " " + N(GL_CLAMP), p2d + N(GL_TEXTURE_MIN_FILTER) + " " + N(GL_LINEAR),
                     p2d + N(GL_TEXTURE_MAG_FILTER) + " " + N(GL_LINEAR),
                     "TexEnvi " + N(GL_TEXTURE_ENV) + " " + N(GL_TEXTURE_ENV_MODE) + " " + N(GL_REPLACE),
                     "TexEnvi TEXTURE_SHADER " + N(GL_SHADER_OPERATION_NV) + " " + N(GL_DEPENDENT_AR_TEXTURE_2D_NV),
                     "TexEnvi TEXTURE_SHADER " + N(GL_PREVIOUS_TEXTURE_INPUT_NV) + " TEXTURE0",
                     "TexImage2D TEXTURE_2D 0 " + N(GL_RGBA) + " 256 2 0 " + N(GL_RGBA) + " " + N(GL_UNSIGNED_BYTE) +
                         " " + staging,
                     "ActiveTextureARB TEXTURE0", "Disable TEXTURE_2D"}))
        ;
    // Unit 0 is chosen after the common build's proxy, before the volume's
    // image.
    const Lines order = Described(r.surface, {"glActiveTextureARB", "glTexImage3D"});
    ASSERT_GE(order.size(), 3u);
    EXPECT_EQ(order[0].rfind("TexImage3D " + N(GL_PROXY_TEXTURE_3D), 0), 0u);
    EXPECT_EQ(order[1], "ActiveTextureARB TEXTURE0");
    EXPECT_EQ(order[2], image[0]);
    const std::uint8_t* rows = r.renderer.m_pLookupStaging.get();
    EXPECT_EQ(std::memcmp(rows, r.renderer.m_pRgbaTable->data(), 1024), 0);
    EXPECT_EQ(std::memcmp(rows + 1024, r.renderer.m_pRgbaTable->data(), 1024), 0);

    (*r.renderer.m_pRgbaTable)[4 * 9 + 3] = 99;
    r.Clear();
    r.renderer.UpdateLookupTable();
    EXPECT_EQ(Described(r.surface, r.surface.Names()),
              (Lines{"IsTexture " + lut, "Disable TEXTURE_3D", "Enable TEXTURE_2D", "ActiveTextureARB TEXTURE1",
                     "Enable TEXTURE_SHADER", "BindTexture TEXTURE_2D " + lut,
                     "TexSubImage2D TEXTURE_2D 0 0 0 256 2 " + N(GL_RGBA) + " " + N(GL_UNSIGNED_BYTE) + " " + staging,
                     "ActiveTextureARB TEXTURE0", "Disable TEXTURE_2D"}));
    EXPECT_EQ(rows[1024 + 4 * 9 + 3], 99);

    r.Clear();
    r.renderer.EnableTexturing(true);
    r.renderer.EnableTexturing(false);
    EXPECT_EQ(Described(r.surface, r.surface.Names()),
              (Lines{"ActiveTextureARB TEXTURE1", "Enable TEXTURE_SHADER", "ActiveTextureARB TEXTURE0",
                     "Enable TEXTURE_SHADER", "Enable TEXTURE_3D", "ActiveTextureARB TEXTURE1",
                     "Disable TEXTURE_SHADER", "ActiveTextureARB TEXTURE0", "Disable TEXTURE_SHADER",
                     "Disable TEXTURE_3D"}));
}

// Paletted: the shared palette is switched on before the lookups of the
// build, loaded after the colour-index volume; a table edit with the
// textures clean is one palette load and no upload.
TEST(CTex3DPalettedRenderer, RecordedCalls)
{
    auto volume = Cube();
    Recorded<CTex3DPalettedRenderer> r(volume.get(), "GL_EXT_texture3D GL_EXT_paletted_texture "
                                                     "GL_EXT_shared_texture_palette GL_EXT_blend_minmax");
    r.Frame();
    const std::string palette = "ColorTableEXT SHARED_PALETTE " + N(GL_RGBA) + " 256 " + N(GL_RGBA) + " " +
                                N(GL_UNSIGNED_BYTE) + " " + Address(r.renderer.m_pRgbaTable->data());
    const Lines all = Described(r.surface, {"glEnable", "glGetString", "glTexImage3D", "glColorTableEXT"});
    ASSERT_GE(all.size(), 5u);
    EXPECT_EQ(all[0], "Enable SHARED_PALETTE");
    EXPECT_EQ(all[1].rfind("GetString", 0), 0u) << "then the extensions are asked";
    const auto loaded = std::find(all.begin(), all.end(), palette);
    ASSERT_NE(loaded, all.end());
    EXPECT_EQ((loaded - 1)->rfind("TexImage3D TEXTURE_3D 0 " + N(GL_COLOR_INDEX8_EXT), 0), 0u);

    r.Clear();
    r.renderer.UpdateLookupTable();
    EXPECT_EQ(Described(r.surface, r.surface.Names()), Lines{palette});
    r.renderer.m_bTexturesDirty = true;
    r.Clear();
    r.renderer.UpdateLookupTable();
    EXPECT_EQ(r.Count("glTexImage3D"), 2) << "dirty: rebuilt";
    EXPECT_EQ(r.Count("glColorTableEXT"), 1);
}

// Pixel maps carry the table into the upload, switched on for the volume's
// image only; a table edit asks for a rebuild and calls nothing.
TEST(CTex3DPixelMapRenderer, MapsTheTableIntoTheUpload)
{
    auto volume = Cube();
    Recorded<CTex3DPixelMapRenderer> r(volume.get());
    auto& table = *r.renderer.m_pRgbaTable;
    table[4 * 1 + 1] = 255;
    table[4 * 3 + 3] = 51;
    r.Frame();
    const Lines order = Described(r.surface, {"glPixelTransferi", "glPixelMapfv", "glTexImage3D"});
    ASSERT_EQ(order.size(), 1 + 2 + 4 + 1u);
    EXPECT_EQ(order[0].rfind("TexImage3D " + N(GL_PROXY_TEXTURE_3D), 0), 0u);
    EXPECT_EQ(order[1], "PixelTransferi " + N(GL_MAP_COLOR) + " 1");
    EXPECT_EQ(order[6].rfind("TexImage3D TEXTURE_3D", 0), 0u);
    EXPECT_EQ(order[7], "PixelTransferi " + N(GL_MAP_COLOR) + " 0");
    const auto maps = r.Calls("glPixelMapfv");
    const GLenum names[4] = {GL_PIXEL_MAP_I_TO_R, GL_PIXEL_MAP_I_TO_G, GL_PIXEL_MAP_I_TO_B, GL_PIXEL_MAP_I_TO_A};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(maps[c].args[0], names[c]);
        EXPECT_EQ(maps[c].args[1], 256);
    }
    EXPECT_EQ(maps[1].args[2 + 1], 1.0f);
    EXPECT_EQ(maps[3].args[2 + 3], float(51 * 0.003921569f));

    r.Clear();
    r.renderer.UpdateLookupTable();
    EXPECT_TRUE(r.surface.m_aCalls.empty());
    EXPECT_TRUE(r.renderer.m_bTexturesDirty);
    table[4 * 1 + 1] = 0;
    r.Frame();
    EXPECT_EQ(r.Count("glTexImage3D"), 2);
    EXPECT_EQ(r.Calls("glPixelMapfv")[1].args[2 + 1], 0.0);
}
