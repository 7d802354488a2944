#include "platform/KeyState.h"

#include "platform/Installed.h"

namespace {
class CNoKeys : public IKeyState {
public:
    bool IsKeyDown(VxKey) override { return false; }
};

CNoKeys g_noKeys;
constinit TInstalled<IKeyState> g_keys{g_noKeys};
} // namespace

IKeyState& KeyState() { return g_keys.Get(); }
IKeyState* SetKeyState(IKeyState* keys) { return g_keys.Set(keys); }
