#include <memory>
#include <string>

#include <wx/textctrl.h>

#include "DialogScript.h"
#include "app/AppDialogRunner.h"
#include "app/dialogs/DcmDialog.h"
#include "data/DicomLoader.h"
#include "data/DicomTestImages.h"
#include "platform/wx/StepArrows.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

namespace {
constexpr char kMessage[] = "Found 3 files at 8 x 8 with 16 bits per voxel\n\nEnter changes below:";

class DcmDialogTest : public ::testing::Test {
protected:
    // The preview of a file written with `spec`, as the factory makes it.
    std::unique_ptr<DicomImage> Preview(const ImageSpec& spec)
    {
        const std::string path = dir.File("im" + std::to_string(++m_nFiles) + ".dcm");
        WriteImage(path, spec);
        return CDicomLoader::CreatePreview(path, CDcmDialog::kPreviewSize);
    }
    // Runs the dialog as the factory does, through the program's runner.
    bool Run(DicomImage* preview, std::function<void(CDcmDialog&)> script)
    {
        ModalScript<CDcmDialog> user(std::move(script));
        values = CDcmDialogValues{};
        values.m_strMessage = kMessage;
        values.m_nNewX = values.m_nNewY = 8;
        values.m_fScaleX = 0.5f;
        values.m_fScaleY = 0.7f;
        values.m_fScaleZ = 2.5f;
        values.m_nSlices = 3;
        values.m_nWindowLevel = values.m_nWindowWidth = -7;
        values.m_pPreviewImage = preview;
        const bool ok = CAppDialogRunner().RunDcmDialog(values);
        EXPECT_EQ(user.shown, 1);
        return ok;
    }
    // What the screen shows of the preview, once it has been painted anew.
    static wxImage ShownPreview(CDcmDialog& d)
    {
        PaintCounter painted(*d.m_stcPreview);
        EXPECT_TRUE(painted.PaintNow());
        return GrabWindow(*d.m_stcPreview);
    }
    static double Brightness(const wxImage& image)
    {
        double sum = 0;
        for (int y = 0; y < image.GetHeight(); ++y)
            for (int x = 0; x < image.GetWidth(); ++x)
                sum += image.GetRed(x, y);
        return sum / (image.GetWidth() * image.GetHeight());
    }

    TempDir dir;
    CScriptedPrompter prompter;
    CPrompterScope scope{&prompter};
    CDcmDialogValues values;
    User user;

private:
    int m_nFiles = 0;
};
} // namespace

// It shows the factory's message, size and scaling and the window stored in
// the file; a file without one opens on its full value range. OK is its only
// button; OK hands back what was typed.
TEST_F(DcmDialogTest, OpensWithTheFactorysValuesAndTheFilesWindow)
{
    ImageSpec stored;
    stored.centre = "300";
    stored.width = "200";
    auto withWindow = Preview(stored);
    ASSERT_NE(withWindow, nullptr);
    const bool ok = Run(withWindow.get(), [&](CDcmDialog& d) {
        EXPECT_EQ(GtkWindowTitle(d), "Review DICOM format");
        EXPECT_EQ(d.GetParent(), nullptr);
        EXPECT_EQ(GtkLabelText(Child(d, "IDC_DCM_MESSAGE")), kMessage);
        EXPECT_EQ(d.FindWindow(wxID_CANCEL), nullptr);
        EXPECT_EQ(Shown(d, "IDC_DCM_NEWX"), "8");
        EXPECT_EQ(Shown(d, "IDC_DCM_NEWY"), "8");
        EXPECT_EQ(Shown(d, "IDC_DCM_LEVEL"), "300");
        EXPECT_EQ(Shown(d, "IDC_DCM_WIDTH"), "200");
        EXPECT_EQ(Shown(d, "IDC_DCM_SCALEX"), "0.5");
        EXPECT_EQ(Shown(d, "IDC_DCM_SCALEY"), "0.7");
        EXPECT_EQ(Shown(d, "IDC_DCM_SCALEZ"), "2.5");
        EXPECT_FALSE(GtkToggleActive(Child(d, "IDC_DCM_AUTO")));
        EXPECT_EQ(d.m_stcPreview->GetSize(), wxSize(128, 128));

        ASSERT_TRUE(user.Type(Edit(d, "IDC_DCM_NEWX"), "4"));
        ASSERT_TRUE(user.Type(Edit(d, "IDC_DCM_NEWY"), "2"));
        ASSERT_TRUE(user.Type(Edit(d, "IDC_DCM_LEVEL"), "350"));
        ASSERT_TRUE(user.Type(Edit(d, "IDC_DCM_WIDTH"), "150"));
        ASSERT_TRUE(user.Type(Edit(d, "IDC_DCM_SCALEZ"), "3.25"));
        ASSERT_TRUE(user.Click(Child(d, "IDC_DCM_AUTO")));
        ASSERT_TRUE(user.Click(Child(d, "wxID_OK")));
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(values.m_nNewX, 4);
    EXPECT_EQ(values.m_nNewY, 2);
    EXPECT_EQ(values.m_nWindowLevel, 350);
    EXPECT_EQ(values.m_nWindowWidth, 150);
    EXPECT_EQ(values.m_bAuto, 1);
    EXPECT_EQ(values.m_fScaleX, 0.5f);
    EXPECT_EQ(values.m_fScaleZ, 3.25f);

    auto without = Preview(ImageSpec{});
    const CDcmDialog::OpeningWindow range = CDcmDialog::FindOpeningWindow(without.get());
    Run(without.get(), [&](CDcmDialog& d) {
        EXPECT_EQ(Shown(d, "IDC_DCM_LEVEL"), std::to_string(int(range.centre)));
        EXPECT_EQ(Shown(d, "IDC_DCM_WIDTH"), std::to_string(int(range.width)));
    });
}

// Typing a level or a width redraws the preview at once with it; a field
// being typed that is no number is not refused while painting (no message,
// the last valid window stays), only on OK.
// A first file of background alone has no window worth loading the series
// with: kept as it opened, the series is windowed by its own values (Auto);
// a window the user types stays his.
TEST_F(DcmDialogTest, UniformPreviewsStandInWindowLoadsAsAuto)
{
    ImageSpec background;
    background.pixels.assign(64, 0);
    auto uniform = Preview(background);
    ASSERT_NE(uniform, nullptr);
    ASSERT_TRUE(CDcmDialog::FindOpeningWindow(uniform.get()).uniform);
    ASSERT_TRUE(Run(uniform.get(), [&](CDcmDialog& d) {
        EXPECT_EQ(Shown(d, "IDC_DCM_WIDTH"), "1");
        EXPECT_FALSE(GtkToggleActive(Child(d, "IDC_DCM_AUTO")));
        ASSERT_TRUE(user.Click(Child(d, "wxID_OK")));
    }));
    EXPECT_EQ(values.m_bAuto, 1);

    ASSERT_TRUE(Run(uniform.get(), [&](CDcmDialog& d) {
        ASSERT_TRUE(user.Type(Edit(d, "IDC_DCM_WIDTH"), "40"));
        ASSERT_TRUE(user.Click(Child(d, "wxID_OK")));
    }));
    EXPECT_EQ(values.m_bAuto, 0);
    EXPECT_EQ(values.m_nWindowWidth, 40);

    auto ramp = Preview(ImageSpec{});
    ASSERT_FALSE(CDcmDialog::FindOpeningWindow(ramp.get()).uniform);
    ASSERT_TRUE(Run(ramp.get(), [&](CDcmDialog& d) { ASSERT_TRUE(user.Click(Child(d, "wxID_OK"))); }));
    EXPECT_EQ(values.m_bAuto, 0) << "a preview with a range keeps its own window";
}

TEST_F(DcmDialogTest, PreviewRedrawsWhileTypingWithoutValidating)
{
    auto preview = Preview(ImageSpec{});
    ASSERT_NE(preview, nullptr);
    Run(preview.get(), [&](CDcmDialog& d) {
        const double opened = Brightness(ShownPreview(d));
        wxTextCtrl& level = Edit(d, "IDC_DCM_LEVEL");
        const int drawn = d.PreviewsDrawn();
        ASSERT_TRUE(user.Type(level, "700"));
        ASSERT_TRUE(WaitUntil([&] { return d.PreviewsDrawn() > drawn; })) << "no paint followed the typing";
        const double darker = Brightness(GrabWindow(*d.m_stcPreview));
        EXPECT_LT(darker + 40, opened) << "a higher level darkens the image";

        ASSERT_TRUE(user.Focus(level));
        level.SelectAll();
        const int before = d.PreviewsDrawn();
        ASSERT_TRUE(user.Press(level, WXK_BACK));
        ASSERT_TRUE(WaitUntil([&] { return d.PreviewsDrawn() > before; }));
        EXPECT_EQ(GtkEntryText(level), "");
        EXPECT_TRUE(prompter.asked.empty()) << "painting ran the validating exchange";
        EXPECT_NEAR(Brightness(ShownPreview(d)), darker, 1.0) << "the last valid window";

        ASSERT_TRUE(user.Click(Child(d, "wxID_OK")));
        EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Please enter an integer."});
        EXPECT_TRUE(d.IsModal());
        EXPECT_TRUE(level.HasFocus());

        // The up-down changes the text, and so the picture, as typing does.
        ASSERT_TRUE(user.Type(level, "700"));
        const double at700 = Brightness(ShownPreview(d));
        auto* spin = dynamic_cast<CStepArrows*>(&Child(d, "IDC_DCM_LEVEL_SPIN"));
        ASSERT_NE(spin, nullptr);
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(user.Click(*spin, wxPoint(spin->GetClientSize().x / 2, spin->GetClientSize().y / 4)));
        EXPECT_EQ(Shown(d, "IDC_DCM_LEVEL"), "703");
        EXPECT_LT(Brightness(ShownPreview(d)), at700);
    });
}

// Sizes outside 1 .. 4096 and scalings of 0 or less keep the dialog open
// with the range message on OK; so do scalings that make the volume longer
// than 10000 along an axis: 8 source pixels wide and high, 3 slices. The
// bound the message names is taken, shrunk slices or not.
TEST_F(DcmDialogTest, RefusedValuesKeepTheDialogOpen)
{
    auto preview = Preview(ImageSpec{});
    const bool ok = Run(preview.get(), [&](CDcmDialog& d) {
        const RefusedEntry cases[] = {
            {"IDC_DCM_NEWX", "0", "Please enter an integer between 1 and 4096.", "8"},
            {"IDC_DCM_NEWX", "5000", "Please enter an integer between 1 and 4096.", "8"},
            {"IDC_DCM_NEWY", "4097", "Please enter an integer between 1 and 4096.", "8"},
            {"IDC_DCM_SCALEY", "0", "Please enter a number greater than 0.", "1"},
            {"IDC_DCM_SCALEX", "1..2", "Please enter a number.", "1"},
            {"IDC_DCM_SCALEX", "1e38", "Please enter a number between 0 and 1250.", "1"},
            {"IDC_DCM_NEWX", "4", nullptr, nullptr},
            {"IDC_DCM_SCALEX", "1250.01", "Please enter a number between 0 and 1250.", "1250"},
            {"IDC_DCM_SCALEZ", "3333.34", "Please enter a number between 0 and 3333.33.", "3333.33"},
        };
        for (const RefusedEntry& c : cases) {
            if (!c.message) {
                ASSERT_TRUE(user.Type(Edit(d, c.field), c.typed));
                continue;
            }
            RefuseThenRepair(user, prompter, d, c);
            if (HasFatalFailure())
                return;
        }
        prompter.asked.clear();
        ASSERT_TRUE(user.Click(Child(d, "wxID_OK")));
        EXPECT_TRUE(prompter.asked.empty());
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(values.m_nNewX, 4);
    EXPECT_EQ(values.m_fScaleX, 1250.0f);
    EXPECT_EQ(values.m_fScaleZ, 3333.33f);
}

// With Auto ticked the greyed level and width are not read: what they hold
// cannot stop OK. The level takes a minus sign (a CT lung window), the
// width does not.
TEST_F(DcmDialogTest, AutoSkipsTheGreyedWindowAndTheLevelTakesAMinus)
{
    auto preview = Preview(ImageSpec{});
    ASSERT_TRUE(Run(preview.get(), [&](CDcmDialog& d) {
        wxTextCtrl& level = Edit(d, "IDC_DCM_LEVEL");
        ASSERT_TRUE(user.Focus(level));
        level.SelectAll();
        ASSERT_TRUE(user.Press(level, WXK_BACK));
        EXPECT_EQ(GtkEntryText(level), "");
        ASSERT_TRUE(user.Click(Child(d, "IDC_DCM_AUTO")));
        EXPECT_FALSE(GtkSensitive(level));
        ASSERT_TRUE(user.Click(Child(d, "wxID_OK")));
        EXPECT_TRUE(prompter.asked.empty());
    }));
    EXPECT_EQ(values.m_bAuto, 1);

    ASSERT_TRUE(Run(preview.get(), [&](CDcmDialog& d) {
        ASSERT_TRUE(user.Type(Edit(d, "IDC_DCM_LEVEL"), "-600"));
        EXPECT_EQ(Shown(d, "IDC_DCM_LEVEL"), "-600");
        ASSERT_TRUE(user.Type(Edit(d, "IDC_DCM_WIDTH"), "-1500", "1500"));
        ASSERT_TRUE(user.Click(Child(d, "wxID_OK")));
        EXPECT_TRUE(prompter.asked.empty());
    }));
    EXPECT_EQ(values.m_bAuto, 0);
    EXPECT_EQ(values.m_nWindowLevel, -600);
    EXPECT_EQ(values.m_nWindowWidth, 1500);
}

// Ticking Auto greys out the level and width with their up-downs; clearing
// it gives them back.
TEST_F(DcmDialogTest, AutoGreysOutTheWindowFields)
{
    auto preview = Preview(ImageSpec{});
    Run(preview.get(), [&](CDcmDialog& d) {
        wxWindow* fields[] = {&Child(d, "IDC_DCM_LEVEL"), &Child(d, "IDC_DCM_WIDTH"), &Child(d, "IDC_DCM_LEVEL_SPIN"),
                              &Child(d, "IDC_DCM_WIDTH_SPIN")};
        for (bool ticked : {true, false}) {
            ASSERT_TRUE(user.Click(Child(d, "IDC_DCM_AUTO")));
            EXPECT_EQ(GtkToggleActive(Child(d, "IDC_DCM_AUTO")), ticked);
            for (wxWindow* w : fields)
                EXPECT_EQ(GtkSensitive(*w), !ticked) << w->GetName() << " ticked " << ticked;
        }
        EXPECT_TRUE(prompter.asked.empty());
    });
}

// The close box and Escape end the dialog without OK, so the factory loads
// with the probed values.
TEST_F(DcmDialogTest, CloseBoxAndEscapeEndWithoutOk)
{
    auto preview = Preview(ImageSpec{});
    EXPECT_FALSE(Run(preview.get(), [&](CDcmDialog& d) { d.Close(); }));
    EXPECT_FALSE(Run(preview.get(), [&](CDcmDialog& d) {
        ASSERT_TRUE(user.Focus(Edit(d, "IDC_DCM_SCALEX")));
        wxUIActionSimulator().Char(WXK_ESCAPE);
        EXPECT_TRUE(WaitUntil([&] { return !d.IsModal(); }));
    }));
    EXPECT_EQ(values.m_nWindowLevel, -7) << "nothing handed back";
}

// Without a preview image the preview is black and the window 0 / 1.
TEST_F(DcmDialogTest, MissingPreviewDrawsBlack)
{
    Run(nullptr, [&](CDcmDialog& d) {
        const wxImage shown = ShownPreview(d);
        ASSERT_EQ(shown.GetWidth(), 128);
        EXPECT_EQ(CountOtherThan(shown, wxRect(0, 0, 128, 128), Rgb{0, 0, 0}), 0);
        EXPECT_EQ(Shown(d, "IDC_DCM_LEVEL"), "0");
        EXPECT_EQ(Shown(d, "IDC_DCM_WIDTH"), "1");
    });
}
