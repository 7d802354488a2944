#include <vector>

#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "app/GuiTest.h"
#include "app/dialogs/ScalingDlg.h"
#include "app/dialogs/SurfaceDlg.h"
#include "data/Volume.h"
#include "res/ControlIds.h"

namespace {
// Keys typed into a field of a dialog, as a user types them: the dialog on
// top, the pointer over the field (without a window manager the X focus
// follows the pointer), the field focused.
class DialogKeysTest : public FrameTest {
protected:
    void TearDown() override
    {
        if (dlg)
            dlg->Destroy();
        wxTheApp->ProcessIdle();
        FrameTest::TearDown();
    }
    bool FocusField(int id)
    {
        field = dynamic_cast<wxTextCtrl*>(dlg->FindWindow(id));
        if (!field)
            return false;
        field->Bind(wxEVT_KEY_UP, [this](wxKeyEvent& e) {
            released.push_back(e.GetKeyCode());
            e.Skip();
        });
        dlg->Raise();
        m_sim.MouseMove(field->GetScreenRect().GetPosition() + wxPoint(4, 4));
        field->SetFocus();
        return WaitUntil([&] { return field->HasFocus(); });
    }
    // Types `key` and waits until its release has come back.
    bool Type(int key)
    {
        released.clear();
        m_sim.Char(key);
        const int code = key >= 'a' && key <= 'z' ? key - 'a' + 'A' : key;
        return WaitUntil([&] { return std::find(released.begin(), released.end(), code) != released.end(); });
    }

    CVolume volume{40, 20, 10, 8};
    wxDialog* dlg = nullptr;
    wxTextCtrl* field = nullptr;
    std::vector<int> released;
    wxUIActionSimulator m_sim;
};
} // namespace

// The iso field takes digits only, as typed.
TEST_F(DialogKeysTest, IsoFieldTakesDigitsOnly)
{
    auto* surface = new CSurfaceDlg(frame);
    dlg = surface;
    surface->m_pVolume = &volume;
    surface->InitDialog();
    surface->Show();
    ASSERT_TRUE(WaitUntil([&] { return surface->IsShownOnScreen(); }));
    ASSERT_TRUE(FocusField(IDC_ISO_VALUE));
    field->SelectAll();
    for (int key : {'4', 'a', '-', '2', ' '})
        ASSERT_TRUE(Type(key)) << char(key);
    EXPECT_EQ(field->GetValue(), "42");
}

// Up and Down in a size field step it as its arrows do, and the size is
// applied at once.
TEST_F(DialogKeysTest, ArrowKeysStepASize)
{
    volume.SetVoxelSize(1, 1, 1);
    auto* scaling = new CScalingDlg(frame->GetView(), frame);
    dlg = scaling;
    scaling->m_pVolume = &volume;
    scaling->InitDialog();
    scaling->Show();
    ASSERT_TRUE(WaitUntil([&] { return scaling->IsShownOnScreen(); }));
    ASSERT_TRUE(FocusField(IDC_SIZE_Y));
    ASSERT_TRUE(Type(WXK_UP));
    ASSERT_TRUE(Type(WXK_UP));
    EXPECT_EQ(field->GetValue(), "202");
    EXPECT_EQ(volume.m_fScaleY, CScalingDlg::ScaleFor(202, 20));
    ASSERT_TRUE(Type(WXK_DOWN));
    EXPECT_EQ(field->GetValue(), "201");
    EXPECT_EQ(volume.m_fScaleY, CScalingDlg::ScaleFor(201, 20));
}
