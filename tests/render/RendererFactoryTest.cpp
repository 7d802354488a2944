#include <gtest/gtest.h>

#include "RecordedVolume.h"
#include "data/Mesh.h"
#include "render/MeshRenderer.h"
#include "render/RendererDialogRunner.h"
#include "render/RendererFactory.h"

namespace {
// Answers the renderer choice with a fixed type and classification (or
// leaves the values alone) and records what it was shown.
class CChoosingRunner : public IRendererDialogRunner {
public:
    bool RunRendererDialog(CRendererDialogValues& values) override
    {
        shown.push_back(values);
        if (type >= 0) {
            values.m_nRendererType = type;
            values.m_nClassification = classification;
        }
        values.m_bRescale = rescale;
        values.m_bRescaleStored = ok;
        return ok;
    }
    int type = -1, classification = 0, rescale = 0;
    bool ok = true;
    std::vector<CRendererDialogValues> shown;
};

// Installs a runner for a scope.
struct RunnerScope {
    explicit RunnerScope(IRendererDialogRunner* r) { SetRendererDialogRunner(r); }
    ~RunnerScope() { SetRendererDialogRunner(nullptr); }
};

struct Made {
    std::unique_ptr<CRenderer> renderer;
    std::string Description() const { return renderer ? renderer->m_pszDescription : "none"; }
};

Made Create(CModel* model, CRecordingSurface& surface)
{
    Made m{CreateRenderer(model, &surface, 64, 64)};
    GlMakeCurrent(nullptr, nullptr);
    return m;
}

const char kFragProg[] = "Volume rendering using OpenGL 2D Textures and ARB fragment program";
const char kTexShader[] = "Volume rendering using OpenGL 2D Textures and NVidia texture shader extension";
const char kRgb[] = "Volume rendering in RGB using OpenGL 2D textures";
const char kPaletted[] = "Volume rendering using OpenGL 2D paletted textures";
const char kPixelMap[] = "Volume rendering using OpenGL 2D textures and colour pixel maps";
const char kPlain[] = "Volume rendering using OpenGL 2D textures";
const char kMesh[] = "Mesh rendering using OpenGL vertex array";
const char kFragShader3D[] = "Volume rendering using OpenGL 3D Textures and ATI fragment shader extensions.";
const char kTexShader3D[] = "Volume rendering using OpenGL 3D Textures and NVidia texture shader extensions.";
const char kPaletted3D[] = "Volume rendering using OpenGL 3D paletted textures.";
const char kPixelMap3D[] = "Volume rendering using OpenGL 3D textures and colour pixel maps";
const char kPlain3D[] = "Volume rendering using OpenGL 3D Texture extensions";

std::unique_ptr<CVolume> Grey(int bits = 8) { return MakeVolume(2, 2, 2, bits, [](int, int, int) { return 1; }); }
} // namespace

// Whole words only: a name counts at the start or after a blank, and before
// a blank or the end; a longer name that begins with it is passed over.
TEST(IsExtensionSupported, WholeWords)
{
    struct Case {
        const char* extensions;
        const char* name;
        bool found;
        const char* why;
    };
    const Case cases[] = {
        {"GL_EXT_texture3D", "GL_EXT_texture3D", true, "the whole string"},
        {"GL_A GL_EXT_texture3D GL_B", "GL_EXT_texture3D", true, "in the middle"},
        {"GL_A GL_EXT_texture3D", "GL_EXT_texture3D", true, "at the end"},
        {"GL_EXT_texture3DX GL_A", "GL_EXT_texture3D", false, "only the front of a longer name"},
        {"GL_EXT_texture3DX GL_EXT_texture3D", "GL_EXT_texture3D", true, "the later whole occurrence"},
        {"XGL_EXT_texture3D", "GL_EXT_texture3D", false, "not after a blank"},
        {"GL_A,GL_EXT_texture3D", "GL_EXT_texture3D", false, "a comma is no blank"},
        {"GL_EXT_texture GL_EXT_texture3D", "GL_EXT_texture", true, "a prefix name standing alone"},
        {"GL_EXT_texture3D GL_EXT_texture", "GL_EXT_texture", true, "found after passing a longer one"},
        {"", "GL_EXT_texture3D", false, "an empty string"},
        {"GL_EXT_texture3D", "", false, "an empty name"},
        {"GL_A GL_B", "GL_A GL_B", false, "a name with a blank"},
        {"GL_AGL_A", "GL_A", false, "repeated without a blank"},
    };
    for (const Case& c : cases) {
        CRecordingSurface s;
        s.SetPixelFormat(kRendererPixelFormat);
        auto context = s.CreateContext();
        GlMakeCurrent(&s, context.get());
        s.m_strExtensions = c.extensions;
        EXPECT_EQ(IsExtensionSupported(c.name), c.found) << c.why;
        GlMakeCurrent(nullptr, nullptr);
    }
    EXPECT_FALSE(IsExtensionSupported("GL_EXT_texture3D")) << "no context, no extensions";
}

// The defaults for every combination of what the driver has and what the
// settings allow.
TEST(ChooseRendererDefaults, EveryCombination)
{
    for (int bits = 0; bits < 64; ++bits) {
        const bool rgb = bits & 1, has3D = bits & 2, use3D = bits & 4, prog = bits & 8, shader = bits & 16,
                   palette = bits & 32;
        SettingsGuard settings;
        settings->m_bUse3DTextures = use3D;
        settings->m_bRescaleTo8Bit = bits % 3 == 0;
        CRendererDialogValues v;
        v.m_bRgb = rgb;
        v.m_b3D = has3D;
        v.m_bFragProgram = prog;
        v.m_bTexShader = shader;
        v.m_bPaletted = palette;
        ChooseRendererDefaults(v, *CAppSettings::GetInstance());
        const int type = rgb ? 4 : has3D && use3D ? 3 : 2;
        const int classification = rgb ? 0 : prog ? 4 : shader ? 3 : palette ? 2 : 1;
        EXPECT_EQ(v.m_nRendererType, type) << bits;
        EXPECT_EQ(v.m_nClassification, classification) << bits;
        EXPECT_EQ(v.m_bRescale, bits % 3 == 0 ? 1 : 0) << bits;
    }
    // A classification already chosen stays.
    SettingsGuard settings;
    CRendererDialogValues v;
    v.m_nClassification = 2;
    v.m_bFragProgram = true;
    ChooseRendererDefaults(v, *CAppSettings::GetInstance());
    EXPECT_EQ(v.m_nClassification, 2);
}

// The class for each type and classification the dialog returns; an
// unknown pair makes nothing.
TEST(CreateRenderer, ClassTable)
{
    const char* expected[6][6] = {
        {"none", "none", "none", "none", "none", "none"},
        {kMesh, kMesh, kMesh, kMesh, kMesh, kMesh},
        {kPlain, kPixelMap, kPaletted, kTexShader, kFragProg, "none"},
        {kPlain3D, kPixelMap3D, kPaletted3D, kTexShader3D, kFragShader3D, "none"},
        {kRgb, kRgb, kRgb, kRgb, kRgb, kRgb},
        {"none", "none", "none", "none", "none", "none"},
    };
    SettingsGuard settings;
    settings->m_bAskRenderer = true;
    for (int type = 0; type < 6; ++type)
        for (int classification = 0; classification < 6; ++classification) {
            CChoosingRunner runner;
            RunnerScope scope(&runner);
            runner.type = type;
            runner.classification = classification;
            runner.rescale = settings->m_bRescaleTo8Bit;
            auto volume = Grey();
            CRecordingSurface surface;
            surface.m_strExtensions = kMesaExtensions;
            Made m = Create(volume.get(), surface);
            EXPECT_EQ(m.Description(), expected[type][classification]) << type << "," << classification;
            if (m.renderer) {
                EXPECT_EQ(m.renderer->m_pModel, volume.get()) << "attached";
                EXPECT_EQ(surface.m_nLiveContexts, 1) << "the probe's context is gone";
            } else {
                EXPECT_EQ(surface.m_nLiveContexts, 0);
            }
        }
}

// What the probe finds is what the dialog is shown.
TEST(CreateRenderer, ProbeFindsTheExtensions)
{
    struct Case {
        const char* extensions;
        int bits;
        bool is3D, prog, shader, palette;
        const char* why;
    };
    const Case cases[] = {
        {kMesaExtensions, 8, true, true, false, false, "Mesa"},
        {"GL_ARB_multitexture", 8, false, false, false, false, "multitexture alone is no fragment program"},
        {"GL_ARB_fragment_program", 8, false, false, false, false, "nor the program alone"},
        {"GL_NV_texture_shader", 16, false, false, true, false, "texture shader"},
        {"GL_EXT_paletted_texture GL_EXT_shared_texture_palette", 16, false, false, false, true, "both palettes"},
        {"GL_EXT_paletted_texture", 8, false, false, false, false, "one palette extension"},
        {"GL_EXT_paletted_texture GL_EXT_shared_texture_palette", 32, false, false, false, false, "more than 16 bits"},
        {"", 8, false, false, false, false, "nothing"},
    };
    SettingsGuard settings;
    settings->m_bAskRenderer = true;
    for (const Case& c : cases) {
        CChoosingRunner runner;
        RunnerScope scope(&runner);
        auto volume = Grey();
        volume->m_nBits = c.bits;
        CRecordingSurface surface;
        surface.m_strExtensions = c.extensions;
        Made m = Create(volume.get(), surface);
        ASSERT_EQ(runner.shown.size(), 1u) << c.why;
        const CRendererDialogValues& v = runner.shown[0];
        EXPECT_EQ(v.m_b3D, c.is3D) << c.why;
        EXPECT_EQ(v.m_bFragProgram, c.prog) << c.why;
        EXPECT_EQ(v.m_bTexShader, c.shader) << c.why;
        EXPECT_EQ(v.m_bPaletted, c.palette) << c.why;
        EXPECT_EQ(v.m_nBits, c.bits) << c.why;
        EXPECT_FALSE(v.m_bRgb) << c.why;
        EXPECT_EQ(v.m_nRendererType, 0) << c.why;
        EXPECT_EQ(v.m_nClassification, 0) << c.why;
        EXPECT_EQ(m.Description(), "none") << "the runner chose nothing: " << c.why;
    }
}

// The probe runs on a context of its own, deleted before the renderer makes
// its one.
TEST(CreateRenderer, ProbeContextIsDeletedFirst)
{
    SettingsGuard settings;
    settings->m_bAskRenderer = false;
    auto volume = Grey();
    CRecordingSurface surface;
    surface.m_strExtensions = kMesaExtensions;
    Made m = Create(volume.get(), surface);
    std::vector<std::string> events;
    for (const std::string& n : surface.Names())
        if (n == "CreateContext" || n == "DeleteContext" || n == "glGetString")
            if (events.empty() || events.back() != n)
                events.push_back(n);
    EXPECT_EQ(events, (std::vector<std::string>{"CreateContext", "glGetString", "DeleteContext", "CreateContext"}));
    EXPECT_EQ(surface.m_nLiveContexts, 1);
}

// Without the question the defaults decide: Mesa gets the fragment
// program, a driver without extensions pixel maps, RGB data the RGB
// renderer whatever the driver; meshes and no model the mesh renderer.
TEST(CreateRenderer, DefaultsWithoutAsking)
{
    SettingsGuard settings;
    settings->m_bAskRenderer = false;
    CChoosingRunner runner;
    RunnerScope scope(&runner);
    struct Case {
        std::function<std::unique_ptr<CModel>()> model;
        const char* extensions;
        bool use3D;
        const char* description;
        const char* why;
    };
    auto grey = [] { return std::unique_ptr<CModel>(Grey()); };
    auto rgb = [] { return std::unique_ptr<CModel>(MakeRgbVolume(2, 2, 2, [](int, int, int) { return 1u; })); };
    auto mesh = [] { return std::unique_ptr<CModel>(std::make_unique<COffMesh>()); };
    const Case cases[] = {
        {grey, kMesaExtensions, false, kFragProg, "Mesa"},
        {grey, kMesaExtensions, true, kFragShader3D, "Mesa with 3D textures allowed"},
        {grey, "GL_EXT_texture3D GL_ARB_fragment_program GL_ARB_multitexture", true, kPixelMap3D,
         "3D without the ATI shader: classification 4 passes to the next that is there"},
        {grey, "GL_EXT_texture3D GL_ARB_fragment_program GL_ARB_multitexture GL_NV_texture_shader", true, kTexShader3D,
         "3D without the ATI shader: the texture shader next"},
        {grey, "GL_EXT_texture3D GL_ATI_fragment_shader GL_ARB_fragment_program", true, kPixelMap3D,
         "the ATI shader without multitexture"},
        {grey, "GL_EXT_texture3D GL_ARB_fragment_program GL_ARB_multitexture", false, kFragProg,
         "2D textures need no ATI shader"},
        {grey, "GL_EXT_texture3D", true, kPixelMap3D, "3D alone"},
        {grey, "", false, kPixelMap, "no extensions"},
        {grey, "GL_NV_texture_shader GL_EXT_paletted_texture GL_EXT_shared_texture_palette", false, kTexShader,
         "texture shader before palettes"},
        {grey, "GL_EXT_paletted_texture GL_EXT_shared_texture_palette", false, kPaletted, "palettes"},
        {rgb, kMesaExtensions, true, kRgb, "RGB data"},
        {rgb, "", false, kRgb, "RGB data on any driver"},
        {mesh, kMesaExtensions, false, kMesh, "a mesh"},
        {[] { return std::unique_ptr<CModel>(); }, kMesaExtensions, false, kMesh, "no model"},
    };
    for (const Case& c : cases) {
        settings->m_bUse3DTextures = c.use3D;
        auto model = c.model();
        CRecordingSurface surface;
        surface.m_strExtensions = c.extensions;
        Made m = Create(model.get(), surface);
        EXPECT_EQ(m.Description(), c.description) << c.why;
        if (m.renderer) {
            EXPECT_EQ(m.renderer->m_pModel, model.get()) << c.why;
        }
    }
    EXPECT_TRUE(runner.shown.empty()) << "not asked";
}

// OK in the dialog stores its rescale choice in the settings; a dialog left
// with Escape keeps the setting, and the type clicked still counts.
TEST(CreateRenderer, DialogRescaleChoice)
{
    struct Case {
        bool ok;
        int rescale;
        bool before, after;
    };
    for (Case c : {Case{true, 0, true, false}, Case{true, 1, false, true}, Case{false, 0, true, true},
                   Case{false, 1, false, false}}) {
        SettingsGuard settings;
        settings->m_bAskRenderer = true;
        settings->m_bRescaleTo8Bit = c.before;
        CChoosingRunner runner;
        RunnerScope scope(&runner);
        runner.type = 2;
        runner.classification = 1;
        runner.ok = c.ok;
        runner.rescale = c.rescale;
        auto volume = Grey(16);
        CRecordingSurface surface;
        Made m = Create(volume.get(), surface);
        EXPECT_EQ(settings->m_bRescaleTo8Bit, c.after) << c.ok << c.rescale;
        EXPECT_EQ(m.Description(), kPixelMap);
    }
}

// The user's choice of 3D textures with classification 4 passes to the
// next classification in order when the ATI shader is missing; with it, the
// choice stands.
TEST(CreateRenderer, ChosenFragmentShaderNeedsTheExtension)
{
    struct Case {
        const char* extensions;
        const char* description;
    };
    const Case cases[] = {
        {kMesaExtensions, kFragShader3D},
        {"GL_EXT_texture3D GL_ARB_fragment_program GL_ARB_multitexture GL_EXT_paletted_texture "
         "GL_EXT_shared_texture_palette",
         kPaletted3D},
        {"GL_EXT_texture3D GL_ARB_fragment_program GL_ARB_multitexture", kPixelMap3D},
    };
    for (const Case& c : cases) {
        SettingsGuard settings;
        settings->m_bAskRenderer = true;
        CChoosingRunner runner;
        RunnerScope scope(&runner);
        runner.type = 3;
        runner.classification = 4;
        auto volume = Grey();
        CRecordingSurface surface;
        surface.m_strExtensions = c.extensions;
        Made m = Create(volume.get(), surface);
        EXPECT_EQ(m.Description(), c.description) << c.extensions;
    }
}
