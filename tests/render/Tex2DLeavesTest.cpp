#include <cstring>

#include <gtest/gtest.h>

#include "RecordedLeaves.h"
#include "render/Tex2DFragProgRenderer.h"
#include "render/Tex2DPalettedRenderer.h"
#include "render/Tex2DPixelMapRenderer.h"
#include "render/Tex2DPlainRenderer.h"
#include "render/Tex2DRgbRenderer.h"
#include "render/Tex2DTexShaderRenderer.h"
#include "render/TransferFunction.h"

namespace {
const char* TextAt(double address) { return reinterpret_cast<const char*>(std::uintptr_t(address)); }
} // namespace

TEST(CTex2DLeaves, DescriptionsAndAutoUpdate)
{
    auto volume = Cube();
    CRecordingSurface s;
    LeafIdentity cases[] = {
        {std::make_unique<CTex2DFragProgRenderer>(volume.get(), &s, 8, 8),
         "Volume rendering using OpenGL 2D Textures and ARB fragment program", true},
        {std::make_unique<CTex2DTexShaderRenderer>(volume.get(), &s, 8, 8),
         "Volume rendering using OpenGL 2D Textures and NVidia texture shader extension", true},
        {std::make_unique<CTex2DRgbRenderer>(volume.get(), &s, 8, 8), "Volume rendering in RGB using OpenGL 2D textures",
         false},
        {std::make_unique<CTex2DPalettedRenderer>(volume.get(), &s, 8, 8),
         "Volume rendering using OpenGL 2D paletted textures", true},
        {std::make_unique<CTex2DPixelMapRenderer>(volume.get(), &s, 8, 8),
         "Volume rendering using OpenGL 2D textures and colour pixel maps", false},
        {std::make_unique<CTex2DPlainRenderer>(volume.get(), &s, 8, 8), "Volume rendering using OpenGL 2D textures",
         false},
    };
    ExpectIdentities(cases, s);
}

// The program, the intensity slices on unit 0 and the table as a 1D RGBA
// texture on unit 1.
TEST(CTex2DFragProgRenderer, BuildLoadsTheProgramAndTheLookup)
{
    auto volume = Cube();
    Recorded<CTex2DFragProgRenderer> r(volume.get());
    r.Frame();
    const auto text = r.Calls("glProgramStringARB");
    ASSERT_EQ(text.size(), 1u);
    const std::string program = "!!ARBfp1.0\nTEMP R0;\nTEX R0.xw, fragment.texcoord[0], texture[0], 2D;\n"
                                "TEX result.color, R0.w, texture[1], 1D;\nEND\n";
    EXPECT_EQ(text[0].args[0], GL_FRAGMENT_PROGRAM_ARB);
    EXPECT_EQ(text[0].args[1], GL_PROGRAM_FORMAT_ASCII_ARB);
    EXPECT_EQ(text[0].args[2], double(program.size()));
    EXPECT_EQ(std::string(TextAt(text[0].args[3]), program.size()), program);
    EXPECT_EQ(From(r.surface, "BindProgramARB", 1), Lines{"BindProgramARB FRAGMENT_PROGRAM " + std::to_string(r.renderer.m_nProgram)});

    const std::string lut = std::to_string(r.renderer.m_nLookupTexture);
    EXPECT_EQ(From(r.surface, "ActiveTextureARB TEXTURE1", 10),
              (Lines{"ActiveTextureARB TEXTURE1", "Disable TEXTURE_2D", "Enable TEXTURE_1D",
                     "BindTexture TEXTURE_1D " + lut, "TexParameteri TEXTURE_1D " + N(GL_TEXTURE_WRAP_S) + " " + N(GL_CLAMP_TO_EDGE),
                     "TexParameteri TEXTURE_1D " + N(GL_TEXTURE_MIN_FILTER) + " " + N(GL_LINEAR),
                     "TexParameteri TEXTURE_1D " + N(GL_TEXTURE_MAG_FILTER) + " " + N(GL_LINEAR),
                     "TexEnvi " + N(GL_TEXTURE_ENV) + " " + N(GL_TEXTURE_ENV_MODE) + " " + N(GL_REPLACE),
                     "TexImage1D TEXTURE_1D 0 " + N(GL_RGBA) + " 256 0 " + N(GL_RGBA) + " " + N(GL_UNSIGNED_BYTE) +
                         " " + Address(r.renderer.m_pRgbaTable->data()),
                     "Disable TEXTURE_1D"}));
    // Unit 0 is made active before the slices and again after the lookup.
    const auto units = r.Calls("glActiveTextureARB");
    ASSERT_GE(units.size(), 3u);
    EXPECT_EQ(units[0].args[0], GL_TEXTURE0_ARB);
    EXPECT_EQ(units.back().args[0], GL_TEXTURE0_ARB);
}

// A table edit replaces the 1D texture with a sub-image and uploads no
// slice; with the textures due for a rebuild it builds everything.
TEST(CTex2DFragProgRenderer, TableEditsTouchOnlyTheLookup)
{
    auto volume = Cube();
    Recorded<CTex2DFragProgRenderer> r(volume.get());
    r.Frame();
    (*r.renderer.m_pRgbaTable)[4 * 77] = 200;
    r.Clear();
    r.renderer.UpdateLookupTable();
    const std::string lut = std::to_string(r.renderer.m_nLookupTexture);
    EXPECT_EQ(Described(r.surface, r.surface.Names()),
              (Lines{"IsTexture " + lut, "ActiveTextureARB TEXTURE1", "Disable TEXTURE_2D", "Enable TEXTURE_1D",
                     "BindTexture TEXTURE_1D " + lut,
                     "TexSubImage1D TEXTURE_1D 0 0 256 " + N(GL_RGBA) + " " + N(GL_UNSIGNED_BYTE) + " " +
                         Address(r.renderer.m_pRgbaTable->data()),
                     "Disable TEXTURE_1D", "ActiveTextureARB TEXTURE0"}));

    r.renderer.m_bTexturesDirty = true;
    r.Clear();
    r.renderer.UpdateLookupTable();
    EXPECT_EQ(r.Count("glTexImage2D"), 12) << "a complete build";
    EXPECT_EQ(r.Count("glTexImage1D"), 1);
    EXPECT_FALSE(r.renderer.m_bTexturesDirty);
}

TEST(CTex2DFragProgRenderer, TexturingSwitchesOncePerChange)
{
    auto volume = Cube();
    Recorded<CTex2DFragProgRenderer> r(volume.get());
    r.Frame();
    const std::string lut = std::to_string(r.renderer.m_nLookupTexture);
    const std::string program = std::to_string(r.renderer.m_nProgram);
    r.Clear();
    r.renderer.EnableTexturing(true);
    r.renderer.EnableTexturing(true);
    EXPECT_EQ(Described(r.surface, r.surface.Names()),
              (Lines{"ActiveTextureARB TEXTURE1", "Enable TEXTURE_1D", "BindTexture TEXTURE_1D " + lut,
                     "ActiveTextureARB TEXTURE0", "Enable TEXTURE_2D", "BindProgramARB FRAGMENT_PROGRAM " + program,
                     "Enable FRAGMENT_PROGRAM"}));
    r.Clear();
    r.renderer.EnableTexturing(false);
    r.renderer.EnableTexturing(false);
    EXPECT_EQ(Described(r.surface, r.surface.Names()),
              (Lines{"Disable FRAGMENT_PROGRAM", "ActiveTextureARB TEXTURE1", "Disable TEXTURE_1D",
                     "ActiveTextureARB TEXTURE0", "Disable TEXTURE_2D"}));

    Recorded<CTex2DFragProgRenderer> empty(nullptr);
    empty.Clear();
    empty.renderer.EnableTexturing(true);
    EXPECT_EQ(Described(empty.surface, empty.surface.Names()), Lines{"Enable TEXTURE_2D"}) << "without a model";
}

// Every rebuild loads the program again and deletes the one before; the
// renderer leaves no texture or program behind.
TEST(CTex2DFragProgRenderer, RebuildsAndDestructionLeakNothing)
{
    auto volume = Cube();
    CRecordingSurface s(64, 64);
    s.m_strExtensions = kMesaExtensions;
    auto renderer = std::make_unique<CTex2DFragProgRenderer>(volume.get(), &s, 64, 64);
    renderer->AttachModel(volume.get());
    renderer->Render(&s, false);
    const GLuint first = renderer->m_nProgram;
    renderer->m_bTexturesDirty = true;
    renderer->Render(&s, false);
    const Lines programs = Described(s, {"glGenProgramsARB", "glDeleteProgramsARB"});
    ASSERT_EQ(programs.size(), 3u) << ::testing::PrintToString(programs);
    EXPECT_EQ(programs[1].rfind("DeleteProgramsARB 1", 0), 0u) << "the first program goes before the second is made";
    EXPECT_NE(renderer->m_nProgram, first);
    EXPECT_FALSE(s.m_textures.empty());

    renderer.reset();
    EXPECT_TRUE(s.m_textures.empty()) << "every texture bound was deleted";
    EXPECT_EQ(s.CountOf("glGenProgramsARB"), s.CountOf("glDeleteProgramsARB"));
    EXPECT_EQ(s.m_nLiveContexts, 0);
    GlMakeCurrent(nullptr, nullptr);
}

// Texture shaders: each slice sets the plain 2D operation; the lookup is
// the table twice as a 256 x 2 texture read by a dependent AR lookup of
// unit 0.
TEST(CTex2DTexShaderRenderer, RecordedCalls)
{
    auto volume = Cube();
    Recorded<CTex2DTexShaderRenderer> r(volume.get(), "GL_ARB_multitexture GL_NV_texture_shader");
    r.Frame();
    const Lines all = Described(r.surface, r.surface.Names());
    int slices = 0;
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i].rfind("TexImage2D TEXTURE_2D 0 " + N(GL_INTENSITY8), 0) == 0) {
            ++slices;
            ASSERT_LT(i + 2, all.size());
            EXPECT_EQ(all[i + 1], "Enable TEXTURE_SHADER");
            EXPECT_EQ(all[i + 2], "TexEnvi TEXTURE_SHADER " + N(GL_SHADER_OPERATION_NV) + " TEXTURE_2D");
        }
    EXPECT_EQ(slices, 12);

    const std::string lut = std::to_string(r.renderer.m_nLookupTexture);
    const std::string staging = Address(r.renderer.m_pLookupStaging.get());
    const std::string p2d = "TexParameteri TEXTURE_2D ";
    const Lines lookup = {
        "Enable TEXTURE_2D", "ActiveTextureARB TEXTURE1", "Enable TEXTURE_SHADER", "BindTexture TEXTURE_2D " + lut,
        p2d + N(GL_TEXTURE_WRAP_S) + " " + N(GL_CLAMP), p2d + N(GL_TEXTURE_WRAP_T) + " " + N(GL_CLAMP),
        p2d + N(GL_TEXTURE_MIN_FILTER) + " " + N(GL_LINEAR), p2d + N(GL_TEXTURE_MAG_FILTER) + " " + N(GL_LINEAR),
        "TexEnvi " + N(GL_TEXTURE_ENV) + " " + N(GL_TEXTURE_ENV_MODE) + " " + N(GL_REPLACE),
        "TexEnvi TEXTURE_SHADER " + N(GL_SHADER_OPERATION_NV) + " " + N(GL_DEPENDENT_AR_TEXTURE_2D_NV),
        "TexEnvi TEXTURE_SHADER " + N(GL_PREVIOUS_TEXTURE_INPUT_NV) + " TEXTURE0",
        "TexImage2D TEXTURE_2D 0 " + N(GL_RGBA) + " 256 2 0 " + N(GL_RGBA) + " " + N(GL_UNSIGNED_BYTE) + " " +
            staging,
        "ActiveTextureARB TEXTURE0", "Disable TEXTURE_2D"};
    EXPECT_EQ(From(r.surface, "Enable TEXTURE_2D", lookup.size()), lookup);
    const std::uint8_t* rows = r.renderer.m_pLookupStaging.get();
    EXPECT_EQ(std::memcmp(rows, r.renderer.m_pRgbaTable->data(), 1024), 0);
    EXPECT_EQ(std::memcmp(rows + 1024, r.renderer.m_pRgbaTable->data(), 1024), 0);

    // A table edit: both rows, one sub-image, no slice.
    (*r.renderer.m_pRgbaTable)[4 * 9 + 3] = 99;
    r.Clear();
    r.renderer.UpdateLookupTable();
    EXPECT_EQ(Described(r.surface, r.surface.Names()),
              (Lines{"IsTexture " + lut, "Enable TEXTURE_2D", "ActiveTextureARB TEXTURE1", "Enable TEXTURE_SHADER",
                     "BindTexture TEXTURE_2D " + lut,
                     "TexSubImage2D TEXTURE_2D 0 0 0 256 2 " + N(GL_RGBA) + " " + N(GL_UNSIGNED_BYTE) + " " + staging,
                     "ActiveTextureARB TEXTURE0", "Disable TEXTURE_2D"}));
    EXPECT_EQ(rows[4 * 9 + 3], 99);
    EXPECT_EQ(rows[1024 + 4 * 9 + 3], 99);

    // Switching has no memory: each call issues its calls.
    r.Clear();
    r.renderer.EnableTexturing(true);
    r.renderer.EnableTexturing(false);
    EXPECT_EQ(Described(r.surface, r.surface.Names()),
              (Lines{"ActiveTextureARB TEXTURE1", "Enable TEXTURE_SHADER", "ActiveTextureARB TEXTURE0",
                     "Enable TEXTURE_SHADER", "Enable TEXTURE_2D", "ActiveTextureARB TEXTURE1", "Disable TEXTURE_SHADER",
                     "ActiveTextureARB TEXTURE0", "Disable TEXTURE_SHADER", "Disable TEXTURE_2D"}));

    r.renderer.m_bTexturesDirty = true;
    r.Clear();
    r.renderer.UpdateLookupTable();
    EXPECT_EQ(r.Count("glTexImage2D"), 13) << "due for a rebuild: slices and lookup";
}

// Paletted textures: the shared palette is switched on and loaded from the
// table after the colour-index slices; a table edit loads only the palette.
TEST(CTex2DPalettedRenderer, RecordedCalls)
{
    for (int bits : {8, 16}) {
        SettingsGuard settings;
        settings->m_bRescaleTo8Bit = false;
        auto volume = Cube(bits);
        Recorded<CTex2DPalettedRenderer> r(volume.get(),
                                           "GL_EXT_paletted_texture GL_EXT_shared_texture_palette GL_EXT_blend_minmax");
        r.Frame();
        const Lines all = Described(r.surface, {"glEnable", "glTexImage2D", "glColorTableEXT", "glGetString"});
        const std::string palette = "ColorTableEXT SHARED_PALETTE " + N(GL_RGBA) + " 256 " + N(GL_RGBA) + " " +
                                    N(GL_UNSIGNED_BYTE) + " " + Address(r.renderer.m_pRgbaTable->data());
        ASSERT_GE(all.size(), 4u);
        EXPECT_EQ(all[0], "Enable SHARED_PALETTE") << "before the blend equation is looked up";
        EXPECT_EQ(all[1].rfind("GetString", 0), 0u);
        const auto loaded = std::find(all.begin(), all.end(), palette);
        ASSERT_NE(loaded, all.end());
        EXPECT_EQ((loaded - 1)->rfind("TexImage2D", 0), 0u) << "the palette follows the last slice";
        int slices = 0;
        for (const std::string& line : all)
            slices += line.rfind("TexImage2D TEXTURE_2D 0 " + N(GL_COLOR_INDEX8_EXT) + " 4 4 0 " + N(GL_COLOR_INDEX) +
                                     " " + N(GL_UNSIGNED_BYTE),
                                 0) == 0;
        EXPECT_EQ(slices, 12) << bits << " bits stage 8-bit indices";
        EXPECT_EQ(std::count(all.begin(), all.end(), "Enable SHARED_PALETTE"), 2);

        r.Clear();
        r.renderer.UpdateLookupTable();
        EXPECT_EQ(Described(r.surface, r.surface.Names()), Lines{palette});
    }
}

// Pixel maps carry the table into the upload (entry / 255), on for the
// slices only; a table edit asks for a rebuild.
TEST(CTex2DPixelMapRenderer, MapsTheTableIntoTheUpload)
{
    auto volume = Cube();
    Recorded<CTex2DPixelMapRenderer> r(volume.get());
    auto& table = *r.renderer.m_pRgbaTable;
    table[4 * 0 + 0] = 0;
    table[4 * 1 + 1] = 255;
    table[4 * 2 + 2] = 128;
    table[4 * 3 + 3] = 51;
    r.Frame();
    const Lines order = Described(r.surface, {"glPixelTransferi", "glPixelMapfv", "glTexImage2D"});
    ASSERT_EQ(order.size(), 2 + 4 + 12u);
    EXPECT_EQ(order.front(), "PixelTransferi " + N(GL_MAP_COLOR) + " 1");
    EXPECT_EQ(order.back(), "PixelTransferi " + N(GL_MAP_COLOR) + " 0");
    const auto maps = r.Calls("glPixelMapfv");
    const GLenum names[4] = {GL_PIXEL_MAP_I_TO_R, GL_PIXEL_MAP_I_TO_G, GL_PIXEL_MAP_I_TO_B, GL_PIXEL_MAP_I_TO_A};
    for (int c = 0; c < 4; ++c) {
        ASSERT_EQ(maps[c].args.size(), 2 + 256u);
        EXPECT_EQ(maps[c].args[0], names[c]);
        EXPECT_EQ(maps[c].args[1], 256);
    }
    EXPECT_EQ(maps[0].args[2 + 0], 0.0);
    EXPECT_EQ(maps[1].args[2 + 1], 1.0f);
    EXPECT_EQ(maps[2].args[2 + 2], float(128 * 0.003921569f));
    EXPECT_EQ(maps[3].args[2 + 3], float(51 * 0.003921569f));

    r.Clear();
    r.renderer.UpdateLookupTable();
    EXPECT_TRUE(r.surface.m_aCalls.empty());
    EXPECT_TRUE(r.renderer.m_bTexturesDirty);
    table[4 * 1 + 1] = 0;
    r.Frame();
    EXPECT_EQ(r.Count("glTexImage2D"), 12);
    EXPECT_EQ(r.Calls("glPixelMapfv")[1].args[2 + 1], 0.0);
}

// The RGB renderer keeps the RGB volume it is given, and none for a grey one.
TEST(CTex2DRgbRenderer, RemembersTheRgbVolume)
{
    auto rgb = MakeRgbVolume(2, 2, 2, [](int, int, int) { return 0x102030u; });
    auto grey = Cube();
    Recorded<CTex2DRgbRenderer> r(rgb.get());
    EXPECT_EQ(r.renderer.m_pRgbVolume, rgb.get());
    r.renderer.AttachModel(grey.get());
    EXPECT_EQ(r.renderer.m_pRgbVolume, nullptr);
    EXPECT_EQ(r.renderer.m_pVolume, grey.get());
}
