#include <climits>
#include <limits>

#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "ViewFixture.h"
#include "app/LightBox.h"
#include "app/UpDown.h"
#include "app/dialogs/ScalingDlg.h"
#include "res/ControlIds.h"

namespace {
// The dialog on a 256 x 256 x 100 volume at scales 1, 1, 2, the view's
// current model.
class ScalingDlgTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        auto v = std::make_unique<CVolume>(256, 256, 100, 8);
        v->SetVoxelSize(1, 1, 2);
        volume = v.get();
        view->m_pModels = std::make_unique<CModelSeries>();
        view->m_pModels->push_back(std::move(v));
        view->m_pModel = volume;
        view->m_nFrame = view->m_nFrames = 1;
        dlg = new CScalingDlg(view, frame);
        dlg->m_pVolume = volume;
    }
    void TearDown() override
    {
        dlg->Destroy();
        wxTheApp->ProcessIdle();
        ViewTest::TearDown();
    }
    void Open()
    {
        for (CUpDown* spin : {dlg->m_spinX, dlg->m_spinY, dlg->m_spinZ})
            if (spin)
                spin->m_nRepeatDelay = INT_MAX;
        dlg->InitDialog();
        dlg->Show();
        ASSERT_TRUE(WaitUntil([&] { return dlg->IsShownOnScreen(); }));
    }
    std::string Label(int id) { return GtkLabelText(*dlg->FindWindow(id)); }
    wxTextCtrl& Field(int id) { return *dynamic_cast<wxTextCtrl*>(dlg->FindWindow(id)); }

    CVolume* volume = nullptr;
    CScalingDlg* dlg = nullptr;
};
} // namespace

// Template 192: caption, texts, the sizes in tenths of a millimetre and the
// scales with eight decimals; each size field with its arrows beside it.
TEST_F(ScalingDlgTest, OpensWithTheVolumesSizes)
{
    Open();
    EXPECT_EQ(dlg->GetTitle(), "Adjust scaling");
    EXPECT_EQ(Label(IDC_VOXEL_COUNT), "Volume size (in voxels) is 256 x 256 x 100");
    EXPECT_EQ(Label(IDC_HEADING_X), "X");
    EXPECT_EQ(Label(IDC_HEADING_Y), "Y");
    EXPECT_EQ(Label(IDC_HEADING_Z), "Z");
    EXPECT_EQ(Label(IDC_SCALE_X), "1.00000000");
    EXPECT_EQ(Label(IDC_SCALE_Z), "2.00000000");
    EXPECT_EQ(Field(IDC_SIZE_X).GetValue(), "2560");
    EXPECT_EQ(Field(IDC_SIZE_Y).GetValue(), "2560");
    EXPECT_EQ(Field(IDC_SIZE_Z).GetValue(), "2000");
    EXPECT_EQ(dlg->FindWindow(wxID_OK)->GetLabel(), "Close");
    std::vector<std::string> labels;
    for (wxWindow* child : dlg->GetChildren())
        if (auto* text = dynamic_cast<wxStaticText*>(child))
            labels.push_back(GtkLabelText(*text));
    for (const char* t : {"Current scale factors :", "Actual size of volume :", "(tenths of a millimetre)"})
        EXPECT_NE(std::find(labels.begin(), labels.end(), t), labels.end()) << t;

    const wxRect client(dlg->GetClientSize());
    for (auto [edit, spin] : {std::pair{int(IDC_SIZE_X), dlg->m_spinX}, std::pair{int(IDC_SIZE_Y), dlg->m_spinY},
                              std::pair{int(IDC_SIZE_Z), dlg->m_spinZ}}) {
        ASSERT_NE(spin, nullptr);
        EXPECT_EQ(spin->GetBuddy(), &Field(edit));
        EXPECT_EQ(spin->GetMin(), 1);
        EXPECT_EQ(spin->GetMax(), 100000);
        const wxRect e = Field(edit).GetScreenRect(), s = spin->GetScreenRect();
        EXPECT_GE(s.x, e.GetRight()) << "beside its field";
        EXPECT_LT(s.x, e.GetRight() + 6);
        EXPECT_FALSE(s.Intersects(e));
        EXPECT_TRUE(spin->IsShownOnScreen());
        EXPECT_TRUE(client.Contains(Field(edit).GetRect()));
    }
}

// Each change applies at once: the volume's voxel size, the scale shown,
// and a frame of the light box and of the view. Sizes that are not integers
// are reported and put back; 0 or more than 100000 are not applied.
TEST_F(ScalingDlgTest, ChangesApplyAtOnce)
{
    Open();
    PaintCounter viewPaints(*view), lightBoxPaints(*frame->GetLightBox());
    Field(IDC_SIZE_X).SetValue("1280");
    EXPECT_EQ(volume->m_fScaleX, 0.5f);
    EXPECT_EQ(volume->m_fScaleY, 1.0f);
    EXPECT_EQ(volume->m_fScaleZ, 2.0f);
    EXPECT_EQ(volume->m_fHalfX, 64.0f);
    EXPECT_EQ(Label(IDC_SCALE_X), "0.50000000");
    EXPECT_TRUE(WaitUntil([&] { return viewPaints.count > 0 && lightBoxPaints.count > 0; }));

    Field(IDC_SIZE_Z).SetValue("333");
    EXPECT_EQ(volume->m_fScaleZ, CScalingDlg::ScaleFor(333, 100));
    EXPECT_EQ(Label(IDC_SCALE_Z), wxString::Format("%.8f", CScalingDlg::ScaleFor(333, 100)).utf8_string());

    for (const char* outside : {"0", "-5", "100001"}) {
        Field(IDC_SIZE_Y).SetValue(outside);
        EXPECT_EQ(volume->m_fScaleY, 1.0f) << outside;
        EXPECT_EQ(Field(IDC_SIZE_Y).GetValue(), outside) << "left for the user to go on typing";
    }
    EXPECT_TRUE(prompter.asked.empty());
    Field(IDC_SIZE_Y).SetValue("2560");
    Field(IDC_SIZE_X).SetValue("");
    EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Please enter an integer."});
    EXPECT_EQ(prompter.asked[0].style, unsigned(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(Field(IDC_SIZE_X).GetValue(), "1280") << "the size last read, written back";
    EXPECT_EQ(volume->m_fScaleX, 0.5f);
}

// The arrows step a size by one and apply it like typing.
TEST_F(ScalingDlgTest, ArrowsStepAndApply)
{
    Open();
    Pointer pointer(*dlg->m_spinX);
    const wxSize s = dlg->m_spinX->GetClientSize();
    ASSERT_TRUE(pointer.MoveTo(s.x / 2, s.y / 4) && pointer.Down() && pointer.Up());
    EXPECT_EQ(Field(IDC_SIZE_X).GetValue(), "2561");
    EXPECT_EQ(volume->m_fScaleX, CScalingDlg::ScaleFor(2561, 256));
    ASSERT_TRUE(pointer.MoveTo(s.x / 2, 3 * s.y / 4) && pointer.Down() && pointer.Up());
    ASSERT_TRUE(pointer.Down() && pointer.Up());
    EXPECT_EQ(Field(IDC_SIZE_X).GetValue(), "2559");
    EXPECT_EQ(volume->m_fScaleX, CScalingDlg::ScaleFor(2559, 256));
}

// Nothing is applied before the dialog has finished opening.
TEST_F(ScalingDlgTest, NothingBeforeItHasOpened)
{
    Field(IDC_SIZE_X).SetValue("100");
    dlg->ApplyScaling();
    EXPECT_EQ(volume->m_fScaleX, 1.0f);
    EXPECT_FALSE(dlg->m_bReady);
    Open();
    EXPECT_TRUE(dlg->m_bReady);
    EXPECT_EQ(Field(IDC_SIZE_X).GetValue(), "2560");
}

// A volume that came with an absurd voxel size (older files, other tools)
// shows sizes within 32 bits: the largest for one too long to count, 0 for
// one that is not a number; the other axes as they are.
TEST_F(ScalingDlgTest, AbsurdVoxelSizesShowWithinTheSizesRange)
{
    volume->SetVoxelSize(1e38f, std::numeric_limits<float>::quiet_NaN(), 2);
    Open();
    EXPECT_EQ(GtkEntryText(Field(IDC_SIZE_X)), "2147483647");
    EXPECT_EQ(GtkEntryText(Field(IDC_SIZE_Y)), "0");
    EXPECT_EQ(GtkEntryText(Field(IDC_SIZE_Z)), "2000");
}
