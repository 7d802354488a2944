#include "platform/KeyState.h"

namespace {
class CNoKeys : public IKeyState {
public:
    bool IsKeyDown(VxKey) override { return false; }
};

CNoKeys g_noKeys;
IKeyState* g_keys = nullptr;
} // namespace

IKeyState& KeyState() { return g_keys ? *g_keys : g_noKeys; }

IKeyState* SetKeyState(IKeyState* keys)
{
    IKeyState* previous = g_keys;
    g_keys = keys;
    return previous;
}
