#pragma once

// Whether a key is held right now, whichever window has the focus, as
// GetAsyncKeyState's high bit told it. The application installs the
// window system's answer; tests install a settable one. Until one is
// installed no key is held.
enum class VxKey { Left, Right, Up, Down };

class IKeyState {
public:
    virtual ~IKeyState() = default;
    virtual bool IsKeyDown(VxKey key) = 0;
};

// The installed key state; SetKeyState returns the one it replaces (null
// for the default), for whoever puts it back.
IKeyState& KeyState();
IKeyState* SetKeyState(IKeyState* keys);
