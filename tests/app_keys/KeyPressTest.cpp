#include <vector>

#include <wx/uiaction.h>

#include "app/GuiTest.h"
#include "app/LightBox.h"
#include "res/CommandIds.h"

namespace {
// Presses keys through the X server, as a user would, with the frame on top
// and the pointer over the view (without a window manager the X focus
// follows the pointer). Records every command that passes the view, which
// sees each command first, and every command nobody handled.
class KeyPressTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        if (HasFatalFailure())
            return;
        frame->Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& e) {
            ++closes;
            e.Veto();
        });
        frame->GetView()->Bind(wxEVT_MENU, [this](wxCommandEvent& e) {
            passed.push_back(e.GetId());
            e.Skip();
        });
        wxTheApp->Bind(wxEVT_MENU, &KeyPressTest::OnUnhandled, this);
        for (wxWindow* pane : {frame->GetPane(0, 0), frame->GetPane(0, 1)})
            pane->Bind(wxEVT_KEY_UP, [this](wxKeyEvent& e) {
                released.push_back(e.GetKeyCode());
                e.Skip();
            });
        frame->Raise();
        frame->GetView()->SetFocus();
        m_sim.MouseMove(frame->GetView()->GetScreenRect().GetPosition() + wxPoint(40, 40));
        ASSERT_TRUE(WaitUntil([&] { return frame->GetView()->HasFocus(); }));
    }
    void TearDown() override
    {
        wxTheApp->Unbind(wxEVT_MENU, &KeyPressTest::OnUnhandled, this);
        FrameTest::TearDown();
    }

    // Presses and releases `key` with `modifiers` held; true once the release
    // has come back, by which time the press has done whatever it does.
    bool Press(int key, int modifiers)
    {
        passed.clear();
        unhandled.clear();
        released.clear();
        m_sim.Char(key, modifiers);
        // wx reports letters by their upper-case code.
        const int code = key >= 'a' && key <= 'z' ? key - 'a' + 'A' : key;
        return WaitUntil([&] { return std::find(released.begin(), released.end(), code) != released.end(); });
    }

    int closes = 0;
    std::vector<int> passed, unhandled, released;

private:
    void OnUnhandled(wxCommandEvent& e)
    {
        unhandled.push_back(e.GetId());
        e.Skip();
    }
    wxUIActionSimulator m_sim;
};
} // namespace

// The program's commands have no keys: Ctrl+O and Ctrl+Q (GTK's stock keys
// for Open and Exit) send nothing and leave the program running, even with
// Open handled and so enabled.
TEST_F(KeyPressTest, StockKeysOfOpenAndExitDoNothing)
{
    int opens = 0;
    frame->GetView()->Bind(wxEVT_MENU, [&](wxCommandEvent&) { ++opens; }, ID_FILE_OPEN);
    frame->GetMenuBar()->UpdateMenus();
    ASSERT_TRUE(frame->GetMenuBar()->IsEnabled(ID_FILE_OPEN));
    ASSERT_TRUE(frame->GetMenuBar()->IsEnabled(ID_APP_EXIT));

    for (int key : {'o', 'q'}) {
        ASSERT_TRUE(Press(key, wxMOD_CONTROL)) << char(key);
        EXPECT_EQ(passed, std::vector<int>{}) << char(key);
    }
    EXPECT_EQ(opens, 0);
    EXPECT_EQ(closes, 0);
    EXPECT_FALSE(frame->IsBeingDeleted());
    EXPECT_EQ(GetMainFrame(), frame);
}

// The editing keys reach their commands and nobody handles them; F6 and
// Shift+F6 move between the panes. Each row is one key of the table.
TEST_F(KeyPressTest, EditingAndPaneKeysOfTheTable)
{
    struct Key {
        int key;
        int modifiers;
        int command;
    };
    const Key editing[] = {
        {'c', wxMOD_CONTROL, ID_EDIT_COPY},     {WXK_INSERT, wxMOD_CONTROL, ID_EDIT_COPY},
        {'v', wxMOD_CONTROL, ID_EDIT_PASTE},    {WXK_INSERT, wxMOD_SHIFT, ID_EDIT_PASTE},
        {'x', wxMOD_CONTROL, ID_EDIT_CUT},      {WXK_DELETE, wxMOD_SHIFT, ID_EDIT_CUT},
        {'z', wxMOD_CONTROL, ID_EDIT_UNDO},     {WXK_BACK, wxMOD_ALT, ID_EDIT_UNDO},
    };
    for (const Key& k : editing) {
        ASSERT_TRUE(Press(k.key, k.modifiers)) << k.key;
        EXPECT_EQ(passed, std::vector<int>{k.command}) << k.key;
        EXPECT_EQ(unhandled, std::vector<int>{k.command}) << k.key;
    }

    ASSERT_TRUE(Press(WXK_F6, wxMOD_NONE));
    EXPECT_EQ(frame->GetActivePane(), frame->GetLightBox());
    EXPECT_TRUE(frame->GetLightBox()->HasFocus());
    ASSERT_TRUE(Press(WXK_F6, wxMOD_SHIFT));
    EXPECT_EQ(frame->GetActivePane(), frame->GetView());
    EXPECT_TRUE(frame->GetView()->HasFocus());
    EXPECT_EQ(unhandled, std::vector<int>{});
    EXPECT_EQ(closes, 0);
}
