#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/logic/ViewModes.h"
#include "platform/Prompter.h"
#include "render/Renderer.h"
#include "render/StereoGeometry.h"
#include "support/ScriptedPrompter.h"

namespace {
ViewFacts Facts(ModelKind model, int mode, bool normal = true, bool mip = true)
{
    ViewFacts f;
    f.model = model;
    f.mode = mode;
    f.renderer = true;
    f.normalView = normal;
    f.mipView = mip;
    f.lookupTable = true;
    return f;
}
} // namespace

// The five render-mode commands by model kind, mode and the renderer's
// features: normal and MIP need a volume and their feature, the others a
// volume; each is checked in its own mode, enabled or not.
TEST(ViewModeRules, RenderModes)
{
    struct Case {
        const char* what;
        ViewFacts facts;
        bool enabled[5];
    };
    ViewFacts noRenderer = Facts(ModelKind::volume, kRenderNormal);
    noRenderer.renderer = false;
    const Case cases[] = {
        {"nothing loaded", Facts(ModelKind::none, kRenderNormal), {false, false, false, false, false}},
        {"a mesh", Facts(ModelKind::mesh, kRenderNormal), {false, false, false, false, false}},
        {"a volume with both features", Facts(ModelKind::volume, kRenderNormal), {true, true, true, true, true}},
        {"no blend min/max", Facts(ModelKind::volume, kRenderMip, true, false), {true, false, true, true, true}},
        {"the empty renderer", Facts(ModelKind::volume, kRenderMpr, false, false), {false, false, true, true, true}},
        {"no renderer", noRenderer, {false, false, true, true, true}},
    };
    for (const Case& c : cases)
        for (int mode = 0; mode < 5; ++mode) {
            const CommandState s = RenderModeState(mode, c.facts);
            EXPECT_EQ(s.enabled, c.enabled[mode]) << c.what << ", mode " << mode;
            EXPECT_EQ(s.checked, mode == c.facts.mode) << c.what << ", mode " << mode;
        }
}

// The display commands: solid and wireframe with a mesh, checked by its
// flag; the mesh colours with a mesh; Reset colours with any model; Show
// FPS always, checked while shown; the stereo window with a volume,
// checked while open; the transfer function with a volume whose renderer
// has a lookup table.
TEST(ViewModeRules, DisplayCommands)
{
    struct Case {
        const char* what;
        ViewFacts facts;
        CommandState solid, wire, colour, loaded, fps, stereo, transfer;
    };
    ViewFacts solidMesh = Facts(ModelKind::mesh, kRenderNormal);
    solidMesh.solid = true;
    ViewFacts wireMesh = Facts(ModelKind::mesh, kRenderNormal);
    ViewFacts volume = Facts(ModelKind::volume, kRenderNormal);
    volume.solid = true; // a flag left from a mesh checks nothing
    volume.stereo = true;
    volume.showFps = true;
    ViewFacts noTable = Facts(ModelKind::volume, kRenderNormal);
    noTable.lookupTable = false;
    ViewFacts none = Facts(ModelKind::none, kRenderNormal);
    const Case cases[] = {
        {"nothing", none, {false, false}, {false, false}, {false, false}, {false, false}, {true, false},
         {false, false}, {false, false}},
        {"a solid mesh", solidMesh, {true, true}, {true, false}, {true, false}, {true, false}, {true, false},
         {false, false}, {false, false}},
        {"a wireframe mesh", wireMesh, {true, false}, {true, true}, {true, false}, {true, false}, {true, false},
         {false, false}, {false, false}},
        {"a volume in stereo with the rate shown", volume, {false, false}, {false, false}, {false, false},
         {true, false}, {true, true}, {true, true}, {true, false}},
        {"a volume whose renderer has no table", noTable, {false, false}, {false, false}, {false, false},
         {true, false}, {true, false}, {true, false}, {false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(SolidModelState(c.facts), c.solid);
        EXPECT_EQ(WireframeModelState(c.facts), c.wire);
        EXPECT_EQ(MeshColourState(c.facts), c.colour);
        EXPECT_EQ(ModelLoadedState(c.facts), c.loaded);
        EXPECT_EQ(ShowFpsState(c.facts), c.fps);
        EXPECT_EQ(StereoWindowState(c.facts), c.stereo);
        EXPECT_EQ(TransferFunctionState(c.facts), c.transfer);
    }
}

// Stereo: the base focal length from the near plane (1.5 when the windows
// open, 1.0 in fly-through), the eye separation a thirtieth of it; the
// attribute fractions 0.25 and 0.5 give the base values, the ends 4 times
// the focal length and no or double separation.
TEST(StereoValues, FactorsAndFractions)
{
    const StereoDistances open = StereoBaseDistances(10.0, kStereoOpenFactor);
    EXPECT_FLOAT_EQ(open.focal, 15.0f);
    EXPECT_FLOAT_EQ(open.eyeSeparation, 15.0f * 0.033333335f);
    EXPECT_FLOAT_EQ(open.separation, open.eyeSeparation);
    const StereoDistances fly = StereoBaseDistances(1.0, kStereoFlyThroughFactor);
    EXPECT_FLOAT_EQ(fly.focal, 1.0f);
    EXPECT_FLOAT_EQ(fly.eyeSeparation, 0.033333335f);

    struct Case {
        float f, s, focal, separation;
    };
    const Case cases[] = {
        {0.25f, 0.5f, 15.0f, 0.5f},       {1.0f, 0.5f, 60.0f, 2.0f}, {0.25f, 1.0f, 15.0f, 1.0f},
        {0.25f, 0.0f, 15.0f, 0.0f},       {0.0f, 0.5f, 0.0f, 0.0f},  {0.5f, 0.75f, 30.0f, 1.5f},
    };
    for (const Case& c : cases) {
        const StereoDistances v = StereoDistancesFromBars(15.0f, c.f, c.s);
        EXPECT_NEAR(v.focal, c.focal, 1e-5f) << c.f << ", " << c.s;
        EXPECT_NEAR(v.eyeSeparation, c.focal * 0.033333335f, 1e-5f) << c.f << ", " << c.s;
        EXPECT_NEAR(v.separation, c.separation, 1e-5f) << c.f << ", " << c.s;
    }
}

// Continuous redraw follows the frame-rate readout and is always on in
// fly-through; the default colours.
TEST(ViewModeRules, ContinuousRedrawAndDefaultColours)
{
    for (int mode = 0; mode < 5; ++mode) {
        EXPECT_EQ(ContinuousRedraw(false, mode), mode == kRenderFlyThrough) << mode;
        EXPECT_TRUE(ContinuousRedraw(true, mode)) << mode;
    }
    EXPECT_EQ(kDefaultSolidColour, 0x02661FB3u);
    EXPECT_EQ(kDefaultWireColour, 0x02CCCCCCu);
    EXPECT_EQ(kDefaultBackground, 0u);
}

// The joystick question is asked only when a joystick answered, as a Yes/No
// question; only Yes uses the joystick.
TEST(ViewModeRules, JoystickQuestion)
{
    CScriptedPrompter prompter;
    CPrompterScope scope(&prompter);
    EXPECT_FALSE(AskToUseJoystick(false));
    EXPECT_TRUE(prompter.asked.empty());

    prompter.answers = {IDYES, IDNO};
    EXPECT_TRUE(AskToUseJoystick(true));
    EXPECT_FALSE(AskToUseJoystick(true));
    ASSERT_EQ(prompter.asked.size(), 2u);
    EXPECT_EQ(prompter.asked[0].text, "You have a joystick!\n\nDo you want to use it for fly-through?");
    EXPECT_EQ(prompter.asked[0].style, unsigned(MB_YESNO | MB_ICONQUESTION));
}
