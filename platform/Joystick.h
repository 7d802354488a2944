#pragma once
#include <array>
#include <cstdint>
#include <string>

// Position and buttons of a joystick as joyGetPos gave them: each axis
// 0..65535 with the centre at 32768, bit i of the buttons set while button
// i + 1 is held.
struct JoystickState {
    std::uint32_t x = 32768, y = 32768, z = 32768;
    std::uint32_t buttons = 0;
};
inline constexpr std::uint32_t kJoyButton1 = 1, kJoyButton2 = 2, kJoyButton3 = 4, kJoyButton4 = 8;

class IJoysticks {
public:
    virtual ~IJoysticks() = default;
    // The state of joystick `id` (0..15); false when there is none (the
    // state is then left alone).
    virtual bool GetPos(unsigned id, JoystickState& state) = 0;
};

// Linux joysticks: /dev/input/jsN read without blocking. Each call takes
// every event the driver has queued since the last one and answers the
// state they leave; a device opened for the first time answers its
// initial state, which the driver queues on opening. Axes -32767..32767 map
// to 1..65535, axes 0, 1 and 2 being x, y and z. A device that fails is
// closed and opened again at the next call.
class CDevJoysticks : public IJoysticks {
public:
    static constexpr unsigned kMaxJoysticks = 16;

    // `pattern` names device N with one %u.
    explicit CDevJoysticks(std::string pattern = "/dev/input/js%u");
    ~CDevJoysticks() override;
    CDevJoysticks(const CDevJoysticks&) = delete;
    CDevJoysticks& operator=(const CDevJoysticks&) = delete;

    bool GetPos(unsigned id, JoystickState& state) override;

private:
    struct Device {
        int fd = -1;
        JoystickState state;
    };
    bool Open(unsigned id, Device& device);
    void Close(Device& device);
    // Takes the queued events; false when the device is gone.
    bool Drain(Device& device);

    std::string m_pattern;
    std::array<Device, kMaxJoysticks> m_devices;
};

// The installed joysticks (the Linux devices until another is installed);
// SetJoysticks returns the one it replaces (null for the default).
IJoysticks& Joysticks();
IJoysticks* SetJoysticks(IJoysticks* joysticks);
