#pragma once
#include <map>
#include <set>
#include <vector>

#include "platform/Joystick.h"
#include "platform/KeyState.h"

// Keys held as a test sets them.
class CSettableKeyState : public IKeyState {
public:
    bool IsKeyDown(VxKey key) override;

    std::set<VxKey> down;
    // Every key asked, in order.
    std::vector<VxKey> asked;
};

// Joysticks as a test sets them: the ids in `sticks` answer with their
// state, every other id has none.
class CSettableJoysticks : public IJoysticks {
public:
    bool GetPos(unsigned id, JoystickState& state) override;

    std::map<unsigned, JoystickState> sticks;
    // Every id asked, in order.
    std::vector<unsigned> asked;
};

// Installs the test's keys and joysticks for a scope and puts back what was
// there before.
class CInputScope {
public:
    CInputScope(IKeyState* keys, IJoysticks* joysticks);
    ~CInputScope();
    CInputScope(const CInputScope&) = delete;
    CInputScope& operator=(const CInputScope&) = delete;

private:
    IKeyState* m_pKeys;
    IJoysticks* m_pJoysticks;
};
