#include <cmath>
#include <limits>
#include <numbers>
#include <numeric>
#include <set>

#include <gtest/gtest.h>

#include "RecordedVolume.h"
#include "render/FlyThrough.h"
#include "render/Tex3DPlainRenderer.h"
#include "support/SettableInput.h"

namespace {
constexpr float kEighteenDegrees = float(0.1 * std::numbers::pi);

// A camera over a 40 x 20 x 10 volume whose current point is off the
// centre, with keys, joysticks and the view's buttons all set by the test.
struct Flight {
    CSettableKeyState keys;
    CSettableJoysticks sticks;
    CInputScope scope{&keys, &sticks};
    std::unique_ptr<CVolume> volume = MakeVolume(40, 20, 10, 8, [](int, int, int) { return 1; });
    std::unique_ptr<Recorded<CTex3DPlainRenderer>> r;
    bool left = false, right = false;
    std::unique_ptr<CFlyThrough> camera;

    explicit Flight(std::map<unsigned, JoystickState> present = {})
    {
        sticks.sticks = std::move(present);
        volume->SetEntryPoint({3, -2, 1}, -1, -1, -1);
        r = std::make_unique<Recorded<CTex3DPlainRenderer>>(volume.get());
        camera = std::make_unique<CFlyThrough>(&r->renderer, ViewButtons{&left, &right}, volume.get());
    }
    float Diagonal() const { return volume->GetSize(); }
};

JoystickState Stick(int dx, int dy, std::uint32_t buttons = 0)
{
    JoystickState s;
    s.x = std::uint32_t(32768 + dx);
    s.y = std::uint32_t(32768 - dy);
    s.buttons = buttons;
    return s;
}
} // namespace

// The eye starts at the current point looking down -z, inside a
// perspective from 1 to the diagonal + 1; with no joystick all sixteen ids
// are asked.
TEST(CFlyThrough, Construction)
{
    Flight f;
    const CRenderer& r = f.r->renderer;
    EXPECT_EQ(r.m_dNear, 1.0);
    EXPECT_DOUBLE_EQ(r.m_dFar, double(f.Diagonal()) + 1.0);
    EXPECT_EQ(r.m_dFovY, 30.0) << "the field of view stays";
    EXPECT_EQ(r.m_CameraLookAt.eye, CVector3(3, -2, 1));
    EXPECT_EQ(r.m_CameraLookAt.centre, CVector3(3, -2, 0));
    EXPECT_EQ(r.m_CameraLookAt.up, CVector3(0, 1, 0));
    const auto moves = f.r->Calls("glTranslated");
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(moves.back().args, (std::vector<double>{-3, 2, -1})) << "the modelview holds the look-at";

    EXPECT_FALSE(f.camera->m_bJoystickPresent);
    EXPECT_FALSE(f.camera->m_bUseJoystick);
    std::vector<unsigned> all(16);
    std::iota(all.begin(), all.end(), 0u);
    EXPECT_EQ(f.sticks.asked, all);

    // The first id that answers is kept, and no later one is asked.
    Flight found({{5, Stick(0, 0)}, {9, Stick(0, 0)}});
    EXPECT_TRUE(found.camera->m_bJoystickPresent);
    EXPECT_EQ(found.camera->m_nJoystickId, 5u);
    EXPECT_EQ(found.sticks.asked, (std::vector<unsigned>{0, 1, 2, 3, 4, 5}));
    EXPECT_FALSE(found.camera->m_bUseJoystick) << "the view asks the user first";
}

// A texture rebuild in fly-through (new options, a table edit) keeps the
// camera's eye and perspective; outside fly-through a new voxel size
// resets the camera to the volume's new size.
TEST(CFlyThrough, TextureRebuildKeepsTheCamera)
{
    Flight f;
    CRenderer& r = f.r->renderer;
    r.m_nRenderMode = kRenderFlyThrough;
    r.ComputeGeometry();
    EXPECT_EQ(r.m_CameraLookAt.eye, CVector3(3, -2, 1));
    EXPECT_EQ(r.m_dNear, 1.0);
    r.m_nRenderMode = kRenderNormal;
    f.volume->SetVoxelSize(1, 1, 2);
    r.ComputeGeometry();
    EXPECT_EQ(r.m_CameraLookAt.eye, CVector3(0, 0, 1.75f * f.volume->GetSize()));
    EXPECT_NE(r.m_dNear, 1.0);
}

// Nothing held: no move, and nothing of the eye, the current point or the
// renderer's camera is touched.
TEST(CFlyThrough, NoInputTouchesNothing)
{
    Flight f({{0, Stick(1000, -2000)}});
    f.camera->m_bUseJoystick = true;
    const CameraLookAt before = f.r->renderer.m_CameraLookAt;
    const int sx = f.volume->m_nSliceX, sy = f.volume->m_nSliceY, sz = f.volume->m_nSliceZ;
    f.r->Clear();
    EXPECT_FALSE(f.camera->Poll(1.0f));
    EXPECT_EQ(f.camera->m_vEye, CVector3(3, -2, 1));
    EXPECT_EQ(f.camera->m_vDir, CVector3(0, 0, -1));
    EXPECT_EQ(f.volume->m_vEntry, CVector3(3, -2, 1));
    EXPECT_EQ(f.volume->m_nSliceX, sx);
    EXPECT_EQ(f.volume->m_nSliceY, sy);
    EXPECT_EQ(f.volume->m_nSliceZ, sz);
    EXPECT_EQ(f.r->renderer.m_CameraLookAt.eye, before.eye);
    EXPECT_EQ(f.r->renderer.m_CameraLookAt.centre, before.centre);
    EXPECT_EQ(f.r->Count("glLoadIdentity"), 0) << "no GL either";
}

// In one second at full speed each input turns the view by a twentieth of
// a turn (18 degrees) about its axis, or moves the eye by a twentieth of
// the diagonal; the eye becomes the current point and the look-at.
TEST(CFlyThrough, OneSecondAtFullSpeed)
{
    struct Case {
        const char* what;
        std::set<VxKey> keys;
        bool left, right;
        CVector3 dir;     // expected direction after the step
        float forward;    // eye move along -z, in diagonals
        CVector3 up;
    };
    const float c = std::cos(kEighteenDegrees), s = std::sin(kEighteenDegrees);
    const Case cases[] = {
        {"Left turns toward -x", {VxKey::Left}, false, false, {-s, 0, -c}, 0, {0, 1, 0}},
        {"Right turns toward +x", {VxKey::Right}, false, false, {s, 0, -c}, 0, {0, 1, 0}},
        {"Up pitches the view up", {VxKey::Up}, false, false, {0, s, -c}, 0, {0, c, s}},
        {"Down pitches it down", {VxKey::Down}, false, false, {0, -s, -c}, 0, {0, c, -s}},
        {"left button: forward", {}, true, false, {0, 0, -1}, 0.05f, {0, 1, 0}},
        {"right button: back", {}, false, true, {0, 0, -1}, -0.05f, {0, 1, 0}},
        {"both buttons: forward wins", {}, true, true, {0, 0, -1}, 0.05f, {0, 1, 0}},
    };
    for (const Case& k : cases) {
        Flight f;
        f.keys.down = k.keys;
        f.left = k.left;
        f.right = k.right;
        ASSERT_TRUE(f.camera->Poll(1.0f)) << k.what;
        const CFlyThrough& cam = *f.camera;
        EXPECT_NEAR(cam.m_vDir.x, k.dir.x, 1e-5) << k.what;
        EXPECT_NEAR(cam.m_vDir.y, k.dir.y, 1e-5) << k.what;
        EXPECT_NEAR(cam.m_vDir.z, k.dir.z, 1e-5) << k.what;
        EXPECT_NEAR(cam.m_vUp.y, k.up.y, 1e-5) << k.what;
        EXPECT_NEAR(cam.m_vUp.z, k.up.z, 1e-5) << k.what;
        EXPECT_NEAR(Dot(cam.m_vRight, cam.m_vDir), 0, 1e-5) << k.what << ": the frame stays square";
        const CVector3 eye(3, -2, 1 - k.forward * f.Diagonal());
        EXPECT_NEAR(cam.m_vEye.z, eye.z, 1e-4) << k.what;
        EXPECT_EQ(cam.m_vEye.x, 3.0f) << k.what;
        EXPECT_EQ(f.volume->m_vEntry, cam.m_vEye) << k.what << ": the light box follows";
        const CameraLookAt& look = f.r->renderer.m_CameraLookAt;
        EXPECT_EQ(look.eye, cam.m_vEye) << k.what;
        EXPECT_EQ(look.centre, cam.m_vEye + cam.m_vDir) << k.what;
        EXPECT_EQ(look.up, cam.m_vUp) << k.what;
    }
    // The slice indices follow a move.
    Flight f;
    f.left = true;
    const int z = f.volume->m_nSliceZ;
    f.camera->Poll(1.0f);
    EXPECT_EQ(f.volume->m_nSliceZ, z - 2) << "0.05 x 45.8 units back along z";
}

// Held together, Left beats Right and Down beats Up: the second key is not
// read at all.
TEST(CFlyThrough, KeyPrecedence)
{
    struct Case {
        std::set<VxKey> keys;
        float yaw, pitch; // signs of the turn about up and right
        std::vector<VxKey> asked;
    };
    const Case cases[] = {
        {{VxKey::Left, VxKey::Right}, -1, 0, {VxKey::Left, VxKey::Down, VxKey::Up}},
        {{VxKey::Up, VxKey::Down}, 0, -1, {VxKey::Left, VxKey::Right, VxKey::Down}},
        {{VxKey::Down}, 0, -1, {VxKey::Left, VxKey::Right, VxKey::Down}},
    };
    for (const Case& c : cases) {
        Flight f;
        f.keys.down = c.keys;
        f.keys.asked.clear();
        ASSERT_TRUE(f.camera->Poll(1.0f));
        EXPECT_EQ(f.keys.asked, c.asked);
        const CVector3& d = f.camera->m_vDir;
        EXPECT_EQ(d.x < -1e-3f ? -1 : d.x > 1e-3f ? 1 : 0, int(c.yaw));
        EXPECT_EQ(d.y < -1e-3f ? -1 : d.y > 1e-3f ? 1 : 0, int(c.pitch));
    }
}

// The stick turns by how far it is pushed: k = distance x 0.0001 - 0.5.
// Within 5000 units of the centre it neither turns nor slows the keys.
TEST(CFlyThrough, JoystickDeadZoneAndSpeed)
{
    struct Case {
        const char* what;
        JoystickState stick;
        std::set<VxKey> keys;
        float yaw;   // expected turn toward +x (the Right key's way)
        float pitch; // expected turn toward +y (the Up key's way)
    };
    const float full = kEighteenDegrees;
    const Case cases[] = {
        {"inside the dead zone: the Left key at full speed", Stick(3000, 3000), {VxKey::Left}, -full, 0},
        {"inside the dead zone without keys: no turn", Stick(4999, 0), {}, 0, 0},
        {"pushed right 15000: k = 1", Stick(15000, 0), {}, full, 0},
        {"pushed left 10000: k = 0.5", Stick(-10000, 0), {}, -full * 0.5f, 0},
        {"pulled back 25000 (dy < 0): up at k = 2", Stick(0, -25000), {}, 0, full * 2},
        {"pushed right, the Left key not read", Stick(15000, 0), {VxKey::Left}, full, 0},
        {"pushed forward, the Up key not read", Stick(0, 15000), {VxKey::Up}, 0, -full},
    };
    for (const Case& c : cases) {
        Flight f({{0, c.stick}});
        f.camera->m_bUseJoystick = true;
        f.keys.down = c.keys;
        const bool moved = f.camera->Poll(1.0f);
        EXPECT_EQ(moved, c.yaw != 0 || c.pitch != 0) << c.what;
        const CVector3& d = f.camera->m_vDir;
        EXPECT_NEAR(std::atan2(d.x, -d.z), c.yaw, 1e-4) << c.what;
        EXPECT_NEAR(std::atan2(d.y, -d.z), c.pitch, 1e-4) << c.what;
    }
}

// Joystick button 1 flies forward, button 3 back; with button 3 held the
// view's left button does not fly forward.
TEST(CFlyThrough, JoystickButtons)
{
    struct Case {
        const char* what;
        std::uint32_t buttons;
        bool left, right;
        float forward; // in diagonals
    };
    const Case cases[] = {
        {"button 1", kJoyButton1, false, false, 0.05f},
        {"button 3", kJoyButton3, false, false, -0.05f},
        {"button 3 with the left button: back", kJoyButton3, true, false, -0.05f},
        {"no button, the left button: forward", 0, true, false, 0.05f},
        {"no button, the right button: back", 0, false, true, -0.05f},
        {"buttons 1 and 3: forward wins", kJoyButton1 | kJoyButton3, false, false, 0.05f},
        {"button 2 does nothing", kJoyButton2, false, false, 0},
    };
    for (const Case& c : cases) {
        Flight f({{0, Stick(0, 0, c.buttons)}});
        f.camera->m_bUseJoystick = true;
        f.left = c.left;
        f.right = c.right;
        EXPECT_EQ(f.camera->Poll(1.0f), c.forward != 0) << c.what;
        EXPECT_NEAR(f.camera->m_vEye.z, 1 - c.forward * f.Diagonal(), 1e-4) << c.what;
    }
}

// A joystick that stops answering leaves the keys and buttons working.
TEST(CFlyThrough, JoystickGoneKeepsTheKeys)
{
    Flight f({{2, Stick(20000, 0, kJoyButton3)}});
    f.camera->m_bUseJoystick = true;
    f.sticks.sticks.clear();
    f.keys.down = {VxKey::Left};
    f.left = true;
    ASSERT_TRUE(f.camera->Poll(1.0f));
    EXPECT_NEAR(std::atan2(f.camera->m_vDir.x, -f.camera->m_vDir.z), -kEighteenDegrees, 1e-4);
    EXPECT_LT(f.camera->m_vEye.z, 1.0f) << "forward: no button 3 any more";
}

// The turn of one step is taken modulo a whole turn, so a clock that jumped
// costs no time; a step of no finite length moves nothing.
TEST(CFlyThrough, UnusualSteps)
{
    struct Case {
        const char* what;
        float dt;
        float yaw;
    };
    const float turn = float(2 * std::numbers::pi);
    const Case cases[] = {
        {"six turns and a bit", 120.5f, std::fmod(120.5f * turn * 0.05f, turn)},
        {"a clock that ran for days", 3.0e5f, std::fmod(3.0e5f * turn * 0.05f, turn)},
        {"infinity", std::numeric_limits<float>::infinity(), 0},
        {"not a number", std::numeric_limits<float>::quiet_NaN(), 0},
        {"no time", 0.0f, 0},
    };
    for (const Case& c : cases) {
        Flight f;
        f.keys.down = {VxKey::Right};
        f.left = true;
        EXPECT_TRUE(f.camera->Poll(c.dt)) << c.what;
        const CVector3& d = f.camera->m_vDir;
        ASSERT_TRUE(std::isfinite(d.x) && std::isfinite(d.z)) << c.what;
        EXPECT_NEAR(std::remainder(std::atan2(d.x, -d.z) - c.yaw, turn), 0, 1e-3) << c.what;
        if (!std::isfinite(c.dt) || c.dt == 0) {
            EXPECT_EQ(f.camera->m_vEye, CVector3(3, -2, 1)) << c.what;
        }
        EXPECT_TRUE(std::isfinite(f.camera->m_vEye.z)) << c.what;
    }
}
