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

#include "app/ScrollBarNoKbd.h"
#include "data/Volume.h"
#include "support/TempDir.h"

// Arrow, page and end keys pressed on a light-box bar leave its slice
// alone: the bar takes no keys, and the form does not scroll by them.
TEST_F(KeyPressTest, KeysLeaveTheLightBoxSlicesAlone)
{
    TempDir dir;
    {
        CNativeVolume volume(8, 6, 4, 8);
        for (int z = 0; z < 4; ++z)
            for (int y = 0; y < 6; ++y)
                for (int x = 0; x < 8; ++x)
                    volume.SetVoxel(x, y, z, std::uint16_t(1 + x + y + z));
        volume.SetVoxelSize(1, 1, 1);
        ASSERT_TRUE(volume.Save(dir.File("v.vxq")));
    }
    prompter.files = {dir.File("v.vxq")};
    wxCommandEvent open(wxEVT_MENU, ID_FILE_OPEN);
    frame->ProcessWindowEvent(open);
    CLightBox* box = frame->GetLightBox();
    ASSERT_NE(box->m_pVolume, nullptr);
    CScrollBarNoKbd& bar = *box->m_sbX;
    wxUIActionSimulator sim;
    sim.MouseMove(bar.GetScreenRect().GetPosition() + wxPoint(bar.GetSize().x / 2, bar.GetSize().y / 2));
    bar.SetFocus();
    ASSERT_TRUE(WaitUntil([&] { return bar.HasFocus(); }));
    // GTK gives the bar's keys to nobody else; a pointer move that the light
    // box sees comes after the key's events.
    int seen = 0;
    box->Bind(wxEVT_MOTION, [&](wxMouseEvent& e) {
        ++seen;
        e.Skip();
    });
    const wxPoint pane = box->GetScreenPosition() + box->CalcScrolledPosition(wxPoint(60, 300));
    const wxPoint scrolled = box->GetViewStart();
    int step = 0;
    // Up last: it moves the focus on to another window.
    for (int key : {WXK_RIGHT, WXK_LEFT, WXK_PAGEDOWN, WXK_PAGEUP, WXK_END, WXK_HOME, WXK_DOWN, WXK_UP}) {
        sim.Char(key);
        const int before = seen;
        sim.MouseMove(pane + wxPoint(++step % 2, 0));
        ASSERT_TRUE(WaitUntil([&] { return seen > before; })) << key;
        EXPECT_EQ(bar.GetThumbPosition(), 4) << key;
        EXPECT_EQ(box->m_nSliceX, 4) << key;
        EXPECT_EQ(box->GetViewStart(), scrolled) << key;
    }
}
