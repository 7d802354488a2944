#include "platform/Joystick.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <linux/joystick.h>
#include <unistd.h>

CDevJoysticks::CDevJoysticks(std::string pattern) : m_pattern(std::move(pattern)) {}

CDevJoysticks::~CDevJoysticks()
{
    for (Device& d : m_devices)
        Close(d);
}

bool CDevJoysticks::Open(unsigned id, Device& device)
{
    char path[256];
    std::snprintf(path, sizeof path, m_pattern.c_str(), id);
    device.fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    device.state = JoystickState();
    return device.fd >= 0;
}

void CDevJoysticks::Close(Device& device)
{
    if (device.fd >= 0)
        ::close(device.fd);
    device.fd = -1;
}

bool CDevJoysticks::Drain(Device& device)
{
    js_event events[64];
    for (;;) {
        const ssize_t got = ::read(device.fd, events, sizeof events);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            // Nothing queued is the usual answer of a device at rest.
            return errno == EAGAIN || errno == EWOULDBLOCK;
        }
        // The end of a file or of a pipe: nothing more for now.
        if (got == 0)
            return true;
        const std::size_t n = std::size_t(got) / sizeof(js_event);
        for (std::size_t i = 0; i < n; ++i) {
            const js_event& e = events[i];
            const unsigned type = e.type & ~unsigned(JS_EVENT_INIT);
            if (type == JS_EVENT_AXIS && e.number < 3) {
                const std::uint32_t position = std::uint32_t(std::int32_t(e.value) + 32768);
                (e.number == 0 ? device.state.x : e.number == 1 ? device.state.y : device.state.z) = position;
            } else if (type == JS_EVENT_BUTTON && e.number < 32) {
                const std::uint32_t bit = std::uint32_t(1) << e.number;
                device.state.buttons = e.value ? device.state.buttons | bit : device.state.buttons & ~bit;
            }
        }
        if (std::size_t(got) < sizeof events)
            return true;
    }
}

bool CDevJoysticks::GetPos(unsigned id, JoystickState& state)
{
    if (id >= kMaxJoysticks)
        return false;
    Device& device = m_devices[id];
    if (device.fd < 0 && !Open(id, device))
        return false;
    if (!Drain(device)) {
        Close(device);
        return false;
    }
    state = device.state;
    return true;
}

namespace {
IJoysticks* g_joysticks = nullptr;
} // namespace

IJoysticks& Joysticks()
{
    static CDevJoysticks s_devices;
    return g_joysticks ? *g_joysticks : s_devices;
}

IJoysticks* SetJoysticks(IJoysticks* joysticks)
{
    IJoysticks* previous = g_joysticks;
    g_joysticks = joysticks;
    return previous;
}
