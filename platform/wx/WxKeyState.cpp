#include "platform/wx/WxKeyState.h"

#include <wx/utils.h>

bool CWxKeyState::IsKeyDown(VxKey key)
{
    switch (key) {
    case VxKey::Left:
        return wxGetKeyState(WXK_LEFT);
    case VxKey::Right:
        return wxGetKeyState(WXK_RIGHT);
    case VxKey::Up:
        return wxGetKeyState(WXK_UP);
    case VxKey::Down:
        return wxGetKeyState(WXK_DOWN);
    }
    return false;
}
