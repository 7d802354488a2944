#pragma once
#include "platform/KeyState.h"

// The key state as the X server knows it (wxGetKeyState asks for the whole
// keymap), so a key counts whichever window has the focus.
class CWxKeyState : public IKeyState {
public:
    bool IsKeyDown(VxKey key) override;
};
