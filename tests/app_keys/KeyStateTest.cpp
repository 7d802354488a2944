#include <wx/uiaction.h>

#include "app/GuiTest.h"
#include "platform/wx/WxKeyState.h"

// The arrow keys count while held down at the X server, whichever window
// has the focus, and no longer once released.
TEST(CWxKeyState, ArrowKeysHeldAtTheServer)
{
    struct Case {
        int code;
        VxKey key;
    };
    const Case cases[] = {
        {WXK_LEFT, VxKey::Left}, {WXK_RIGHT, VxKey::Right}, {WXK_UP, VxKey::Up}, {WXK_DOWN, VxKey::Down}};
    CWxKeyState keys;
    wxUIActionSimulator sim;
    for (const Case& c : cases) {
        ASSERT_FALSE(keys.IsKeyDown(c.key)) << c.code;
        ASSERT_TRUE(sim.KeyDown(c.code));
        EXPECT_TRUE(WaitUntil([&] { return keys.IsKeyDown(c.key); })) << c.code;
        for (const Case& other : cases)
            if (other.code != c.code) {
                EXPECT_FALSE(keys.IsKeyDown(other.key)) << c.code << " held, " << other.code << " not";
            }
        ASSERT_TRUE(sim.KeyUp(c.code));
        EXPECT_TRUE(WaitUntil([&] { return !keys.IsKeyDown(c.key); })) << c.code;
    }
}
