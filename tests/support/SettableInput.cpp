#include "support/SettableInput.h"

bool CSettableKeyState::IsKeyDown(VxKey key)
{
    asked.push_back(key);
    return down.count(key) != 0;
}

bool CSettableJoysticks::GetPos(unsigned id, JoystickState& state)
{
    asked.push_back(id);
    auto it = sticks.find(id);
    if (it == sticks.end())
        return false;
    state = it->second;
    return true;
}

CInputScope::CInputScope(IKeyState* keys, IJoysticks* joysticks)
    : m_pKeys(SetKeyState(keys)), m_pJoysticks(SetJoysticks(joysticks))
{
}

CInputScope::~CInputScope()
{
    SetKeyState(m_pKeys);
    SetJoysticks(m_pJoysticks);
}
