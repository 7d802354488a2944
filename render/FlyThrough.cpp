#include "render/FlyThrough.h"

#include <cmath>
#include <numbers>

#include "data/Quaternion.h"
#include "data/Volume.h"
#include "platform/GlDispatch.h"
#include "platform/Glu.h"
#include "platform/Joystick.h"
#include "platform/KeyState.h"

CFlyThrough::CFlyThrough(CRenderer* renderer, const ViewButtons& view, CVolume* volume)
    : m_view(view), m_pRenderer(renderer), m_pVolume(volume), m_pLookAt(&renderer->m_CameraLookAt)
{
    m_fRadius = volume->GetSize();
    ApplyPerspective();
    m_vEye = volume->m_vEntry;
    ApplyCamera();
    JoystickState state;
    for (std::uint32_t id = 0; id < 16; ++id)
        if (Joysticks().GetPos(id, state)) {
            m_nJoystickId = id;
            m_bJoystickPresent = true;
            break;
        }
}

CFlyThrough::~CFlyThrough() = default;

void CFlyThrough::ApplyPerspective()
{
    m_pRenderer->SetPerspective(m_pRenderer->m_dFovY, 1.0, double(m_fRadius) + 1.0, 0.0);
}

void CFlyThrough::ApplyCamera()
{
    const CVector3 centre = m_vEye + m_vDir;
    *m_pLookAt = {m_vEye, centre, m_vUp};
    Gl().LoadIdentity();
    GluLookAt(m_vEye.x, m_vEye.y, m_vEye.z, centre.x, centre.y, centre.z, m_vUp.x, m_vUp.y, m_vUp.z);
}

bool CFlyThrough::Poll(float dt)
{
    // A clock that jumped (or failed) must not throw the eye out of the
    // volume.
    if (!std::isfinite(dt))
        dt = 0.0f;
    IKeyState& keys = KeyState();
    float k = 1.0f;
    bool left = false, right = false, up = false, down = false, forward = false, back = false;
    bool backFromStick = false;
    JoystickState stick;
    if (m_bUseJoystick && Joysticks().GetPos(m_nJoystickId, stick)) {
        forward = (stick.buttons & kJoyButton1) != 0;
        back = backFromStick = (stick.buttons & kJoyButton3) != 0;
        const float dx = float(stick.x) - 32768.0f;
        const float dy = 32768.0f - float(stick.y);
        k = std::sqrt(dx * dx + dy * dy) * 0.0001f - 0.5f;
        if (k > 0.0f) {
            left = dx < 0;
            right = dx > 0;
            up = dy < 0;
            down = dy > 0;
            if (!right)
                left = left || keys.IsKeyDown(VxKey::Left);
        } else {
            k = 1.0f;
            left = keys.IsKeyDown(VxKey::Left);
        }
    } else {
        // Without a joystick, or with one that stopped answering.
        left = keys.IsKeyDown(VxKey::Left);
    }
    if (!left)
        right = right || keys.IsKeyDown(VxKey::Right);
    if (!up)
        down = down || keys.IsKeyDown(VxKey::Down);
    if (!down)
        up = up || keys.IsKeyDown(VxKey::Up);
    if (!backFromStick) {
        forward = forward || (m_view.left && *m_view.left);
        if (!forward)
            back = back || (m_view.right && *m_view.right);
    }
    if (!(left || right || up || down || forward || back))
        return false;

    constexpr float kTurn = float(2.0 * std::numbers::pi);
    // fmod, not repeated subtraction: a long dt stays one step.
    const float a = std::fmod(dt * kTurn * 0.05f * k, kTurn);
    float yaw = 0.0f, pitch = 0.0f;
    if (left)
        yaw = -a;
    if (right)
        yaw = a;
    if (down)
        pitch = a;
    if (up)
        pitch = -a;
    float m[16];
    if (yaw != 0.0f) {
        AxisAngleToMatrix(m_vUp, yaw, m);
        TransformPoint(m, m_vDir);
        TransformPoint(m, m_vRight);
        m_vRight.Normalize();
    }
    if (pitch != 0.0f) {
        AxisAngleToMatrix(m_vRight, pitch, m);
        TransformPoint(m, m_vDir);
        TransformPoint(m, m_vUp);
        m_vUp.Normalize();
    }
    m_vDir.Normalize();
    if (forward || back) {
        const float step = dt * m_fRadius * 0.05f;
        m_vEye += m_vDir * (forward ? step : -step);
    }
    m_pVolume->SetEntryPoint(m_vEye, -1, -1, -1);
    ApplyCamera();
    return true;
}
