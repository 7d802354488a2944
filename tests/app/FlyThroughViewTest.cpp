#include <cmath>
#include <functional>

#include "ViewFixture.h"
#include "platform/Clock.h"
#include "render/FlyThrough.h"
#include "support/ManualClock.h"
#include "support/SettableInput.h"
#include "support/VolumeScenes.h"
#include "data/AppSettings.h"

namespace {
// The view on a clock and with keys and joysticks that the test moves.
class FlightInputsTest : public ViewTest {
protected:
    void SetUp() override
    {
        SetClock(&clock);
        ViewTest::SetUp();
    }
    void TearDown() override
    {
        keys.down.clear();
        ViewTest::TearDown();
        SetClock(nullptr);
    }

    CManualClock clock;
    CSettableKeyState keys;
    CSettableJoysticks sticks;
    CInputScope input{&keys, &sticks};
};

// The view in fly-through over an opened 8^3 volume drawn from a 3D
// texture, its camera made as the fly-through command makes it.
class FlyThroughViewTest : public FlightInputsTest {
protected:
    void SetUp() override
    {
        FlightInputsTest::SetUp();
        if (HasFatalFailure())
            return;
        // The frame's settings, which go with it.
        CAppSettings::GetInstance()->m_bUse3DTextures = true;
        Open(view_files::Volume(dir, "cube.vxq", 8));
        ASSERT_NE(view->m_pModel, nullptr);
        volume = static_cast<CVolume*>(view->m_pModel);
        ASSERT_EQ(view->m_pRenderer->m_pszDescription,
                  "Volume rendering using OpenGL 3D Textures and ATI fragment shader extensions.");
        ASSERT_TRUE(DrawFrame());
        view->m_nRenderMode = kRenderFlyThrough;
        view->m_pRenderer->m_nRenderMode = kRenderFlyThrough;
        GlMakeCurrent(view->Surface(), view->m_pRenderer->m_hGLRC.get());
        view->m_pFlyThrough = std::make_unique<CFlyThrough>(
            view->m_pRenderer.get(), ViewButtons{&view->m_bLeftButton, &view->m_bRightButton}, volume);
        view->m_timer.GetElapsed();
    }
    void TearDown() override
    {
        view->m_bLeftButton = false;
        FlightInputsTest::TearDown();
    }

    CVolume* volume = nullptr;
};
} // namespace

// Each frame polls the camera with the seconds since the last frame: a
// second with the left button held flies a twentieth of the diagonal
// forward, the eye becoming the current point and the renderer's look-at;
// half a second of Left turns by 9 degrees; nothing held moves nothing.
TEST_F(FlyThroughViewTest, EachFrameStepsTheCamera)
{
    const float diagonal = volume->GetSize();
    const CVector3 start = view->m_pFlyThrough->m_vEye;
    clock.Advance(1.0);
    view->m_bLeftButton = true;
    ASSERT_TRUE(DrawFrame());
    view->m_bLeftButton = false;
    const CVector3 eye = view->m_pFlyThrough->m_vEye;
    EXPECT_NEAR(eye.z, start.z - 0.05f * diagonal, 1e-4);
    EXPECT_EQ(volume->m_vEntry, eye);
    EXPECT_EQ(view->m_pRenderer->m_CameraLookAt.eye, eye);

    keys.down = {VxKey::Left};
    clock.Advance(0.5);
    ASSERT_TRUE(DrawFrame());
    const CVector3& d = view->m_pFlyThrough->m_vDir;
    EXPECT_NEAR(std::atan2(d.x, -d.z), -9 * kDegToRad, 1e-4);
    EXPECT_EQ(view->m_pRenderer->m_CameraLookAt.centre, eye + d);

    keys.down.clear();
    clock.Advance(3.0);
    const CameraLookAt before = view->m_pRenderer->m_CameraLookAt;
    ASSERT_TRUE(DrawFrame());
    EXPECT_EQ(view->m_pRenderer->m_CameraLookAt.eye, before.eye);
    EXPECT_EQ(view->m_pRenderer->m_CameraLookAt.centre, before.centre);
}

// The light box moving the current point moves the eye there.
TEST_F(FlyThroughViewTest, LightBoxMovesTheEye)
{
    volume->SetEntryPoint({1.5f, -2.5f, 0.5f}, -1, -1, -1);
    view->SetCameraFromLightBox();
    EXPECT_EQ(view->m_pFlyThrough->m_vEye, CVector3(1.5f, -2.5f, 0.5f));
    EXPECT_EQ(view->m_pRenderer->m_CameraLookAt.eye, CVector3(1.5f, -2.5f, 0.5f));
    EXPECT_EQ(view->m_pRenderer->m_CameraLookAt.centre, CVector3(1.5f, -2.5f, -0.5f));
}

// Leaving the mode deletes the camera and gives the renderer its own
// camera back.
TEST_F(FlyThroughViewTest, LeavingDeletesTheCamera)
{
    clock.Advance(1.0);
    view->m_bLeftButton = true;
    ASSERT_TRUE(DrawFrame());
    view->m_bLeftButton = false;
    view->ExitRenderMode();
    view->m_nRenderMode = kRenderNormal;
    view->m_pRenderer->m_nRenderMode = kRenderNormal;
    EXPECT_EQ(view->m_pFlyThrough, nullptr);
    EXPECT_NEAR(view->m_pRenderer->m_CameraLookAt.eye.z, 1.75f * view->m_pRenderer->m_fRadius, 1e-4);
    // A diagonal of 13.9 puts the near plane behind the eye: 0.001.
    EXPECT_EQ(view->m_pRenderer->m_dNear, 0.001) << "the renderer's own near plane, not the camera's 1";
}

namespace {
// A raw dialog that stays up while the view draws a frame with Left held,
// as a user typing into its fields does, and is then cancelled.
class CFrameDuringRawDialog : public CScriptedDialogRunner {
public:
    explicit CFrameDuringRawDialog(std::function<void()> during) : m_during(std::move(during)) {}
    bool RunRawDialog(CRawDialogValues&) override
    {
        m_during();
        return false;
    }

private:
    std::function<void()> m_during;
};
} // namespace

// A cancelled open leaves the flight as it was: the mode, the camera and
// where it looks. Keys held while the loader's dialog is up are the
// dialog's, so the frames drawn meanwhile do not turn the camera; after it
// they do again.
TEST_F(FlyThroughViewTest, CancelledOpenKeepsFlyingAndDialogKeysDoNotSteer)
{
    CFlyThrough* camera = view->m_pFlyThrough.get();
    const CVector3 look = camera->m_vDir;
    int framesDuring = 0;
    CFrameDuringRawDialog dialog([&] {
        keys.down = {VxKey::Left};
        clock.Advance(0.5);
        framesDuring += DrawFrame();
        keys.down.clear();
    });
    SetDialogRunner(&dialog);
    Open(dir.File("scan.raw"));
    SetDialogRunner(&runner);
    EXPECT_EQ(framesDuring, 1);
    EXPECT_TRUE(prompter.asked.empty());
    EXPECT_EQ(view->m_pModel, volume);
    EXPECT_EQ(view->m_nRenderMode, kRenderFlyThrough);
    EXPECT_EQ(view->m_pFlyThrough.get(), camera);
    EXPECT_EQ(camera->m_vDir, look);

    keys.down = {VxKey::Left};
    clock.Advance(0.5);
    ASSERT_TRUE(DrawFrame());
    keys.down.clear();
    EXPECT_FALSE(camera->m_vDir == look);
}

namespace {
// The view flying inside a closed box of 64 x 32 x 16 voxels (walls two
// voxels thick of 200, the inside empty), entered through the command, the
// eye off the centre. The box is large enough that the renderer's own
// camera puts its near plane 72 units out, far beyond an eye inside.
class FlightInABoxTest : public FlightInputsTest {
protected:
    void Fly(bool use3D)
    {
        // The frame's settings, which go with it.
        CAppSettings::GetInstance()->m_bUse3DTextures = use3D;
        CAppSettings::GetInstance()->m_nLatticePoints = 8;
        Open(view_files::Saved(dir, "box.vxq", *HollowBox<CNativeVolume>()));
        ASSERT_NE(view->m_pModel, nullptr);
        ASSERT_TRUE(DrawFrame());
        Command(ID_MODE_FLYTHROUGH);
        ASSERT_NE(view->m_pFlyThrough, nullptr);
        // Where the light box would put it: 20 units right of the centre
        // and 5 up, looking down -z.
        static_cast<CVolume*>(view->m_pModel)->SetEntryPoint({20, 5, 0}, -1, -1, -1);
        view->SetCameraFromLightBox();
    }
    // Canvas pixels inside the wheels that show a wall.
    int Lit()
    {
        const wxImage image = Canvas();
        const wxRect r = Inside();
        return r.GetWidth() * r.GetHeight() - CountDark(image, r);
    }
    int All() const { return Inside().GetWidth() * Inside().GetHeight(); }
    // A tenth of a second of the Left key: the camera turns and draws.
    void Turn()
    {
        keys.down = {VxKey::Left};
        clock.Advance(0.1);
        ASSERT_TRUE(DrawFrame());
        keys.down.clear();
    }
};
} // namespace

// Whatever resets the renderer's camera during a flight, the view goes on
// drawing through the flight's eye and planes, before the camera's next
// step and after it: a new lattice size applied from the options with 3D
// textures, and "Reset to default view" with either texture family.
TEST_F(FlightInABoxTest, ResetsKeepDrawingThroughTheFlight)
{
    struct Case {
        bool use3D;
        std::function<void(CVexilo&)> reset;
        const char* why;
    };
    const Case cases[] = {
        {true,
         [](CVexilo& v) {
             CAppSettings::GetInstance()->m_nLatticePoints = 16;
             v.ApplyOptions();
         },
         "3D textures, lattice 8 -> 16"},
        {true, [this](CVexilo&) { Command(ID_VIEW_RESET); }, "3D textures, reset to default view"},
        {false, [this](CVexilo&) { Command(ID_VIEW_RESET); }, "2D textures, reset to default view"},
    };
    for (const Case& c : cases) {
        Fly(c.use3D);
        if (HasFatalFailure())
            return;
        ASSERT_GT(Lit(), All() * 95 / 100) << c.why << ": the flight, before";
        c.reset(*view);
        const CVector3 eye = view->m_pFlyThrough->m_vEye;
        EXPECT_GT(Lit(), All() * 95 / 100) << c.why << ": right after";
        EXPECT_EQ(view->m_pRenderer->m_dNear, 1.0) << c.why;
        EXPECT_EQ(view->m_pRenderer->m_CameraLookAt.eye, eye) << c.why;
        Turn();
        EXPECT_GT(Lit(), All() * 95 / 100) << c.why << ": after the next step";
        Command(ID_MODE_NORMAL);
    }
}
