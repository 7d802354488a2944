#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <wx/textctrl.h>

#include "DialogScript.h"
#include "ViewFixture.h"
#include "app/AppDialogRunner.h"
#include "app/dialogs/DcmDialog.h"
#include "app/dialogs/DecimateDlg.h"
#include "app/dialogs/SurfaceDlg.h"
#include "data/DicomTestImages.h"
#include "data/OffLoader.h"
#include "res/ControlIds.h"

namespace {
constexpr int kModeIds[5] = {ID_MODE_NORMAL, ID_MODE_MIP, ID_MODE_MPR, ID_MODE_CUTPLANES, ID_MODE_FLYTHROUGH};
constexpr int kSide = 16, kSlices = 12;

// A series of kSlices DICOM files of kSide x kSide: a ball of 1000 in a
// field of 0, so trimming has a border to take and the surface is closed.
std::string WriteSeries(const TempDir& dir)
{
    const std::string folder = dir.File("series");
    std::filesystem::create_directory(folder);
    for (int z = 0; z < kSlices; ++z) {
        ImageSpec s;
        s.rows = s.columns = kSide;
        s.instance = z + 1;
        s.location = std::to_string(2.0 * z);
        s.thickness = "2";
        s.pixelSpacing = "1\\1";
        // The review dialog starts from the first file's window, and the first
        // slice holds nothing but background.
        s.centre = "500";
        s.width = "1000";
        s.pixels.assign(kSide * kSide, 0);
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) {
                const int r2 = (x - 8) * (x - 8) + (y - 7) * (y - 7) + (z - 6) * (z - 6) * 4;
                s.pixels[y * kSide + x] = r2 <= 25 ? 1000 : 0;
            }
        WriteImage(folder + "/" + FormatName(z + 1), s);
    }
    return folder + "/" + FormatName(1);
}

// Every file left in the folder, its own sub-folders included, by name.
std::vector<std::string> Left(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder))
        names.push_back(std::filesystem::relative(e.path(), folder).string());
    std::sort(names.begin(), names.end());
    return names;
}

bool Exists(wxWindow* window)
{
    for (wxWindow* w : wxTopLevelWindows)
        if (w == window)
            return !w->IsBeingDeleted();
    return false;
}

// The program as its user runs it: the program's own dialog runner, so the
// DICOM review dialog is the real one, answered with the mouse.
class ScenarioTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        m_pScripted = SetDialogRunner(&appRunner);
    }
    void TearDown() override
    {
        SetDialogRunner(m_pScripted);
        ViewTest::TearDown();
    }
    // Draws `frames` frames through the view's paint.
    void Draw(int frames)
    {
        for (int i = 0; i < frames; ++i)
            ASSERT_TRUE(DrawFrame());
    }

    CAppDialogRunner appRunner;
    User user;

private:
    IDialogRunner* m_pScripted = nullptr;
};
} // namespace

// One run of the program from a DICOM series to an exported OFF mesh, with
// each modeless window opened and closed on the way; under AddressSanitizer
// any stale pointer or leak on this road fails it. The disk caches of every
// volume it made are gone when the program has closed.
TEST_F(ScenarioTest, DicomSeriesToExportedMesh)
{
    const std::string first = WriteSeries(dir);

    // Open: scan the folder (Yes), then OK in the review dialog.
    ModalScript<CDcmDialog> review([&](CDcmDialog& d) { ASSERT_TRUE(user.Click(Child(d, "wxID_OK"))); });
    prompter.answers = {IDYES};
    Open(first);
    EXPECT_EQ(review.shown, 1);
    ASSERT_NE(view->m_pModel, nullptr);
    ASSERT_TRUE(view->m_pModel->IsVolume());
    auto* volume = static_cast<CVolume*>(view->m_pModel);
    EXPECT_EQ(volume->m_nDimZ, kSlices);
    EXPECT_EQ(frame->GetTitle(), "Vexilo - [" + FormatName(1) + "]");
    ASSERT_NE(view->m_pRenderer, nullptr);
    Draw(2);

    // The transfer-function editor opened and closed again.
    ASSERT_TRUE(MenuEnabled(ID_EDIT_TRANSFER_FUNCTION)) << view->m_pRenderer->m_pszDescription;
    Command(ID_EDIT_TRANSFER_FUNCTION);
    wxWindow* editor = view->m_pXfrDlg;
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return editor->IsShownOnScreen(); }));
    Draw(1);
    editor->Close();
    EXPECT_EQ(view->m_pXfrDlg, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return !Exists(editor); }));

    // The stereo window with its attributes, drawn into, left open while the
    // modes change.
    Command(ID_VIEW_STEREO);
    wxWindow* stereo = view->m_pStereoDlg;
    ASSERT_NE(stereo, nullptr);
    ASSERT_NE(view->m_pStereoToolsDlg, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return stereo->IsShownOnScreen(); }));
    Draw(2);

    // Fly-through entered, flown for a few frames, and left.
    Command(ID_MODE_FLYTHROUGH);
    EXPECT_EQ(view->m_nRenderMode, kRenderFlyThrough);
    EXPECT_TRUE(wxGetApp().m_bContinuousRedraw);
    Draw(3);
    Command(ID_MODE_NORMAL);
    EXPECT_EQ(view->m_nRenderMode, kRenderNormal);
    EXPECT_EQ(view->m_pFlyThrough, nullptr);
    EXPECT_FALSE(wxGetApp().m_bContinuousRedraw);

    // Every render mode, each offered and drawn.
    for (int mode : {kRenderMip, kRenderMpr, kRenderCutPlanes, kRenderFlyThrough, kRenderNormal}) {
        SCOPED_TRACE(mode);
        ASSERT_TRUE(MenuEnabled(kModeIds[mode]));
        Command(kModeIds[mode]);
        EXPECT_EQ(view->m_nRenderMode, mode);
        Draw(1);
    }
    EXPECT_EQ(view->m_nRenderMode, kRenderNormal);
    EXPECT_EQ(view->m_pCutPlaneDlg, nullptr);

    // Closing the stereo window closes its attributes too.
    stereo->Close();
    EXPECT_EQ(view->m_pStereoDlg, nullptr);
    EXPECT_EQ(view->m_pStereoToolsDlg, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return !Exists(stereo); }));

    // Trim: the ball's box is kept.
    prompter.asked.clear();
    prompter.answers = {IDYES};
    Command(ID_EDIT_TRIM);
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].text.rfind("This volume could be reduced from 16x16x12 to ", 0), 0u)
        << prompter.asked[0].text;
    ASSERT_NE(view->m_pModel, nullptr);
    ASSERT_TRUE(view->m_pModel->IsVolume());
    volume = static_cast<CVolume*>(view->m_pModel);
    EXPECT_LT(volume->m_nDimX, kSide);
    EXPECT_LT(volume->m_nDimZ, kSlices);
    Draw(1);

    // Surface at the middle of the volume's range, typed and processed.
    const int iso = (volume->m_histogram.m_nMin + volume->m_histogram.m_nMax) / 2;
    ModalScript<CSurfaceDlg> surface([&](CSurfaceDlg& d) {
        dynamic_cast<wxTextCtrl*>(d.FindWindow(IDC_ISO_VALUE))->ChangeValue(std::to_string(iso));
        ASSERT_TRUE(user.Click(*d.FindWindow(IDC_PROCESS)));
        EXPECT_TRUE(WaitUntil([&] { return !d.IsModal(); }));
    });
    Command(ID_EDIT_ISOSURFACE);
    EXPECT_EQ(surface.shown, 1);
    ASSERT_NE(view->m_pModel, nullptr);
    ASSERT_TRUE(view->m_pModel->IsMesh());
    auto* mesh = static_cast<CMesh*>(view->m_pModel);
    EXPECT_EQ(frame->GetTitle(), "Vexilo - [Generated Surface]");
    const int generated = mesh->m_nPolygons;
    ASSERT_GT(generated, 50);
    Draw(1);

    // Decimation to the dialog's own target: half.
    ModalScript<CDecimateDlg> decimate([&](CDecimateDlg& d) {
        ASSERT_TRUE(user.Click(*d.FindWindow(wxID_OK)));
        EXPECT_TRUE(WaitUntil([&] { return !d.IsModal(); }));
    });
    Command(ID_EDIT_DECIMATE);
    EXPECT_EQ(decimate.shown, 1);
    EXPECT_EQ(view->m_pModel, mesh);
    EXPECT_LE(mesh->m_nPolygons, generated / 2);
    EXPECT_GT(mesh->m_nPolygons, 0);
    Draw(1);

    // Export OFF, read back as the program reads OFF files.
    const std::string off = dir.File("ball.off");
    prompter.asked.clear();
    prompter.files = {off};
    Command(ID_FILE_EXPORT_OFF);
    EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Mesh saved ok!"});
    CModelSeries back;
    ASSERT_TRUE(COffLoader().Load(off, back));
    const auto& read = static_cast<const CMesh&>(*back.at(0));
    EXPECT_EQ(read.m_nVertices, mesh->m_nVertices);
    EXPECT_EQ(read.m_nPolygons, mesh->m_nPolygons);

    // Close: nothing of the run is left but what the user wrote.
    CloseFrame();
    std::vector<std::string> want = {"ball.off", "series"};
    for (int z = 1; z <= kSlices; ++z)
        want.push_back("series/" + FormatName(z));
    std::sort(want.begin(), want.end());
    EXPECT_EQ(Left(dir.Path()), want);
}
