#include <cstring>

#include <fcntl.h>
#include <linux/joystick.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/Joystick.h"
#include "platform/KeyState.h"
#include "support/SettableInput.h"
#include "support/TempDir.h"

namespace {
// A stand-in for /dev/input/jsN: a pipe the test writes driver events into
// while the reader holds its other end.
class FakeDevice {
public:
    FakeDevice(const TempDir& dir, unsigned id) : m_path(dir.File("js" + std::to_string(id)))
    {
        EXPECT_EQ(::mkfifo(m_path.c_str(), 0600), 0);
    }
    ~FakeDevice()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    // Opens the writing end; the reader must have opened its end first.
    void Connect() { m_fd = ::open(m_path.c_str(), O_WRONLY | O_NONBLOCK); }
    void Send(std::uint8_t type, std::uint8_t number, std::int16_t value)
    {
        js_event e{};
        e.time = 0;
        e.value = value;
        e.type = type;
        e.number = number;
        ASSERT_EQ(::write(m_fd, &e, sizeof e), ssize_t(sizeof e));
    }
    void Disconnect()
    {
        ::close(m_fd);
        m_fd = -1;
    }

private:
    std::string m_path;
    int m_fd = -1;
};

bool Same(const JoystickState& a, const JoystickState& b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z && a.buttons == b.buttons;
}
} // namespace

// A device's events become joyGetPos's state: axes shifted to 0..65535 with
// the centre at 32768, button N as bit N; a call with nothing queued answers
// at once with the state as it was, and later events change only what they
// name.
TEST(CDevJoysticks, EventsBecomeTheState)
{
    TempDir dir;
    FakeDevice device(dir, 3);
    CDevJoysticks sticks(dir.File("js%u"));
    JoystickState state;
    ASSERT_TRUE(sticks.GetPos(3, state)) << "opened while nothing is queued";
    EXPECT_TRUE(Same(state, JoystickState())) << "at rest: centred, no button";
    device.Connect();
    device.Send(JS_EVENT_AXIS | JS_EVENT_INIT, 0, -32767);
    device.Send(JS_EVENT_AXIS | JS_EVENT_INIT, 1, 32767);
    device.Send(JS_EVENT_AXIS | JS_EVENT_INIT, 2, 0);
    device.Send(JS_EVENT_AXIS, 5, 1234); // a fourth axis plays no part
    device.Send(JS_EVENT_BUTTON | JS_EVENT_INIT, 0, 1);
    device.Send(JS_EVENT_BUTTON, 2, 1);
    ASSERT_TRUE(sticks.GetPos(3, state));
    EXPECT_EQ(state.x, 1u);
    EXPECT_EQ(state.y, 65535u);
    EXPECT_EQ(state.z, 32768u);
    EXPECT_EQ(state.buttons, kJoyButton1 | kJoyButton3);

    const JoystickState before = state;
    ASSERT_TRUE(sticks.GetPos(3, state)) << "nothing new: no wait";
    EXPECT_TRUE(Same(state, before));

    device.Send(JS_EVENT_BUTTON, 0, 0);
    device.Send(JS_EVENT_AXIS, 1, -100);
    ASSERT_TRUE(sticks.GetPos(3, state));
    EXPECT_EQ(state.buttons, kJoyButton3);
    EXPECT_EQ(state.y, 32668u);
    EXPECT_EQ(state.x, 1u) << "unchanged";

    // Many events at once: all taken, the last of each counting.
    for (int i = 0; i < 200; ++i)
        device.Send(JS_EVENT_AXIS, 0, std::int16_t(i));
    ASSERT_TRUE(sticks.GetPos(3, state));
    EXPECT_EQ(state.x, 32768u + 199u);
}

// Ids without a device, and ids beyond the sixteen, answer none.
TEST(CDevJoysticks, MissingDevices)
{
    TempDir dir;
    FakeDevice device(dir, 0);
    CDevJoysticks sticks(dir.File("js%u"));
    JoystickState state;
    state.x = 7;
    for (unsigned id : {1u, 15u, 16u, 1000u})
        EXPECT_FALSE(sticks.GetPos(id, state)) << id;
    EXPECT_EQ(state.x, 7u) << "left alone";
    EXPECT_TRUE(sticks.GetPos(0, state));
}

TEST(InputSeams, InstalledAndPutBack)
{
    EXPECT_FALSE(KeyState().IsKeyDown(VxKey::Left)) << "no key is held until a key state is installed";
    CSettableKeyState keys;
    keys.down = {VxKey::Up};
    CSettableJoysticks sticks;
    sticks.sticks[4].buttons = kJoyButton2;
    {
        CInputScope scope(&keys, &sticks);
        EXPECT_TRUE(KeyState().IsKeyDown(VxKey::Up));
        EXPECT_FALSE(KeyState().IsKeyDown(VxKey::Down));
        JoystickState s;
        EXPECT_TRUE(Joysticks().GetPos(4, s));
        EXPECT_EQ(s.buttons, kJoyButton2);
        EXPECT_FALSE(Joysticks().GetPos(3, s));
        EXPECT_EQ(sticks.asked, (std::vector<unsigned>{4, 3}));
    }
    EXPECT_FALSE(KeyState().IsKeyDown(VxKey::Up));
    EXPECT_NE(dynamic_cast<CDevJoysticks*>(&Joysticks()), nullptr) << "the Linux devices again";
}
