#include <wx/checkbox.h>
#include <wx/uiaction.h>
#include <wx/xrc/xmlres.h>

#include "app/GuiTest.h"
#include "app/dialogs/XfrDialog.h"
#include "data/Volume.h"
#include "render/MeshRenderer.h"

namespace {
// The transfer-function editor over the main frame with the focus on one of
// its checks and the pointer over it (without a window manager the X focus
// follows the pointer), keys pressed through the X server.
class XfrKeysTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        if (HasFatalFailure())
            return;
        dlg = new CXfrDialog(nullptr, &renderer, &volume);
        ASSERT_TRUE(dlg->Create(frame));
        check = dynamic_cast<wxCheckBox*>(dlg->FindWindow(XRCID("IDC_XFR_SHOW_ALL")));
        ASSERT_NE(check, nullptr);
        check->Bind(wxEVT_KEY_UP, [this](wxKeyEvent& e) {
            released.push_back(e.GetKeyCode());
            e.Skip();
        });
        dlg->Raise();
        ASSERT_TRUE(WaitUntil([&] { return dlg->IsShownOnScreen(); }));
        m_sim.MouseMove(dlg->ClientToScreen(wxPoint(138, 138)));
        check->SetFocus();
        ASSERT_TRUE(WaitUntil([&] { return check->HasFocus(); }));
    }
    void TearDown() override
    {
        if (dlg)
            dlg->Destroy();
        FrameTest::TearDown();
    }
    // Presses and releases `key`; true once the release has come back, by
    // which time the press has done whatever it does.
    bool Press(int key)
    {
        released.clear();
        m_sim.Char(key);
        // wx reports letters by their upper-case code.
        const int code = key >= 'a' && key <= 'z' ? key - 'a' + 'A' : key;
        return WaitUntil([&] { return std::find(released.begin(), released.end(), code) != released.end(); });
    }

    CVolume volume{4, 4, 4, 8};
    CMeshRenderer renderer{&volume, nullptr, 10, 10};
    CXfrDialog* dlg = nullptr;
    wxCheckBox* check = nullptr;
    std::vector<int> released;

private:
    wxUIActionSimulator m_sim;
};
} // namespace

// The editor takes no key: Enter does not press Close, Esc does not close
// it, Space does not toggle the focused check and Tab does not move on.
TEST_F(XfrKeysTest, KeysDoNothing)
{
    for (int key : {int(WXK_RETURN), int(WXK_ESCAPE), int(WXK_SPACE), int(WXK_TAB), int('a')}) {
        ASSERT_TRUE(Press(key)) << key;
        EXPECT_TRUE(dlg->IsShown()) << key;
        EXPECT_FALSE(dlg->IsBeingDeleted()) << key;
        EXPECT_FALSE(check->GetValue()) << key;
        EXPECT_TRUE(check->HasFocus()) << key;
    }
    EXPECT_EQ(renderer.m_pTransferFunction->m_aPoints[3].size(), 3u);
}
