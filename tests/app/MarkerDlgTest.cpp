#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/listbox.h>
#include <wx/radiobut.h>
#include <wx/scrolbar.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "GuiTest.h"
#include "ScreenPixels.h"
#include "ViewFixture.h"
#include "app/dialogs/ActiveDialog.h"
#include "app/dialogs/MarkerDlg.h"
#include "app/dialogs/RSnakeDialog.h"
#include "data/AppSettings.h"
#include "data/VolumeFixtures.h"
#include "processing/SliceImage.h"
#include "processing/Snake.h"
#include "render/MeshRenderer.h"
#include "res/CommandIds.h"
#include "res/ControlIds.h"

namespace {
constexpr int kInside = 200, kOutside = 30;

// A bright rod along x in a dark volume: every X slice shows a disc of
// radius 8 about (16, 16).
std::unique_ptr<CVolume> Rod(bool cached = true)
{
    auto v = std::make_unique<CVolume>(8, 32, 32, 8);
    for (int z = 0; z < 32; ++z)
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 8; ++x) {
                const int r2 = (y - 16) * (y - 16) + (z - 16) * (z - 16);
                v->SetVoxel(x, y, z, r2 < 64 ? kInside : kOutside);
            }
    v->SetVoxelSize(1, 1, 1);
    if (cached)
        v->BuildDiskCache();
    return v;
}

// Client pixel of voxel index i of 32 on the 512-pixel square slice.
int At32(int i) { return 11 + int(i / 32.0 * 511 + 0.5); }

// Shared by the dialog tests and the view's command.
struct MarkerScreen {
    CMarkerDlg* dlg = nullptr;
    int nudge = 8;
    // Made once: making one runs the event loop until nothing is pending.
    wxUIActionSimulator sim;

    wxWindow& Control(int id) { return *dlg->FindWindow(id); }
    std::string Label(int id) { return GtkLabelText(Control(id)); }
    // A click on a control, each time a few pixels from the last one: GTK
    // takes two quick clicks at one spot for a double click.
    bool Click(wxWindow& w)
    {
        Pointer pointer(w);
        const wxSize s = w.GetClientSize();
        nudge = -nudge;
        return pointer.MoveTo(s.x / 2 + std::min(nudge, s.x / 4), s.y / 2) && pointer.Down() && pointer.Up();
    }
    bool ClickSlice(int x, int y, int button)
    {
        Pointer pointer(*dlg);
        return pointer.MoveTo(x, y) && pointer.Down(button) && pointer.Up(button);
    }
    Rgb Shown(int x, int y)
    {
        const wxImage shown = GrabClient(*dlg);
        return PixelAt(shown, x, y);
    }
    // Presses the left button on "Preview" and waits until the preview runs.
    bool HoldPreview()
    {
        const wxRect r = dlg->m_rcPreview;
        sim.MouseMove(dlg->ClientToScreen(r.GetPosition() + wxPoint(r.width / 2, r.height / 2)));
        sim.MouseDown();
        return WaitUntil([&] { return dlg->m_bPreviewing; });
    }
    bool ReleasePreview()
    {
        sim.MouseUp();
        return WaitUntil([&] { return !dlg->m_bPreviewing; });
    }
    void Seed(int y, int z, int button) { ASSERT_TRUE(ClickSlice(At32(z), At32(y), button)); }
};

class MarkerDlgTest : public FrameTest, public MarkerScreen {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        CAppSettings::GetInstance()->m_nContourType = 0;
        CAppSettings::GetInstance()->m_bRSnake = false;
        CAppSettings::GetInstance()->m_nImageDisplayed = 0;
        volume = Rod();
        dlg = new CMarkerDlg(frame);
        dlg->m_pVolume = volume.get();
    }
    void TearDown() override
    {
        CAppSettings::GetInstance()->m_nContourType = 0;
        CAppSettings::GetInstance()->m_bRSnake = false;
        if (dlg)
            dlg->Destroy();
        wxTheApp->ProcessIdle();
        FrameTest::TearDown();
    }
    // Opened as the modal run opens it, but without its loop.
    void Open()
    {
        dlg->InitDialog();
        PaintCounter painted(*dlg);
        dlg->Show();
        ASSERT_TRUE(WaitUntil([&] { return dlg->IsShownOnScreen() && painted.count > 0; }));
    }
    std::vector<std::string> Entries(int id)
    {
        auto& list = dynamic_cast<wxListBox&>(Control(id));
        std::vector<std::string> out;
        for (unsigned i = 0; i < list.GetCount(); ++i)
            out.push_back(list.GetString(i).utf8_string());
        return out;
    }
    // The in seed in the rod's middle and the out seed near the corner,
    // both on the middle X slice.
    void SeedBoth()
    {
        Seed(16, 16, wxMOUSE_BTN_LEFT);
        Seed(2, 2, wxMOUSE_BTN_RIGHT);
    }

    std::unique_ptr<CVolume> volume;
};
} // namespace

// Template 153: caption, texts and start values, "Process" the default
// button; the 512 pixels at (11, 11) left free, no control over another,
// all inside the dialog. Without seeds Process, Preview, the Remove buttons
// and "Settings ..." are disabled.
TEST_F(MarkerDlgTest, TemplateTextsAndStartState)
{
    Open();
    EXPECT_EQ(GtkWindowTitle(*dlg), "Volume Segmentation");
    struct Text {
        int id;
        const char* label;
    };
    for (const Text& t : {Text{IDC_AXIS_X, "X"}, Text{IDC_AXIS_Y, "Y"}, Text{IDC_AXIS_Z, "Z"},
                          Text{IDC_SEG_REMOVE_IN, "Remove \"in\" point"}, Text{IDC_SEG_REMOVE_OUT, "Remove \"out\" point"},
                          Text{IDC_SEG_INVERT, "Invert selection"}, Text{IDC_SEG_REAPPLY_TEXTURE, "Re-apply texture"},
                          Text{IDC_SEG_HIGHLIGHT, "Highlight contours (edges)"},
                          Text{IDC_SEG_SHOW_MEANS, "Show mean position of contours"},
                          Text{IDC_SEG_ACTIVE_CONTOURS, "Use active contours"}, Text{IDC_SEG_SETTINGS, "Settings ..."},
                          Text{IDC_PROCESS, "Process"}, Text{wxID_CANCEL, "Close"}}) {
        ASSERT_NE(dlg->FindWindow(t.id), nullptr) << t.label;
        EXPECT_EQ(GtkButtonLabel(Control(t.id)), t.label);
    }
    EXPECT_EQ(Label(IDC_SEG_PREVIEW), "Preview");
    EXPECT_EQ(Label(IDC_SEG_STATUS), "");
    std::vector<std::string> texts;
    for (wxWindow* child : dlg->GetChildren())
        if (dynamic_cast<wxStaticText*>(child))
            texts.push_back(GtkLabelText(*child));
        else if (dynamic_cast<wxStaticBox*>(child))
            texts.push_back(child->GetLabel().utf8_string());
    for (const char* fixed : {"Left-click = \"in\" point", "Right-click = \"out\" point", "Select slice orientation",
                              "Click and hold to preview this slice only", "Segmentation options", "2D Preview"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), fixed), texts.end()) << fixed;
    bool hint = false;
    for (std::string t : texts) {
        std::replace(t.begin(), t.end(), '\n', ' ');
        hint |= t == "Select X, Y or Z plane using option buttons. Use slider to navigate through individual slices, "
                     "then left-click to add points inside the region of interest and right-click to mark points "
                     "outside.";
    }
    EXPECT_TRUE(hint);
    EXPECT_EQ(dynamic_cast<wxButton*>(dlg->GetDefaultItem()), dlg->FindWindow(IDC_PROCESS));

    EXPECT_TRUE(GtkToggled(Control(IDC_AXIS_X)));
    EXPECT_FALSE(GtkToggleActive(Control(IDC_SEG_INVERT)));
    EXPECT_TRUE(GtkToggleActive(Control(IDC_SEG_REAPPLY_TEXTURE)));
    EXPECT_TRUE(GtkToggleActive(Control(IDC_SEG_HIGHLIGHT)));
    EXPECT_FALSE(GtkToggleActive(Control(IDC_SEG_SHOW_MEANS)));
    EXPECT_FALSE(GtkToggleActive(Control(IDC_SEG_ACTIVE_CONTOURS)));
    for (int id : {IDC_PROCESS, IDC_SEG_PREVIEW, IDC_SEG_REMOVE_IN, IDC_SEG_REMOVE_OUT, IDC_SEG_SETTINGS})
        EXPECT_FALSE(GtkSensitive(Control(id))) << id;
    EXPECT_EQ(Label(IDC_POSITION_TEXT), "Position = (4, 16, 16)");
    EXPECT_EQ(Label(IDC_VALUE_TEXT), "Value = 200");

    const wxRect area(11, 11, 512, 512);
    const wxRect client(dlg->GetClientSize());
    std::vector<std::pair<wxRect, wxString>> rects;
    for (wxWindow* child : dlg->GetChildren()) {
        const wxRect r = child->GetRect();
        EXPECT_TRUE(client.Contains(r)) << child->GetName();
        EXPECT_FALSE(r.Intersects(area)) << child->GetName();
        if (!dynamic_cast<wxStaticBox*>(child))
            rects.emplace_back(r, child->GetLabel());
    }
    for (std::size_t i = 0; i < rects.size(); ++i)
        for (std::size_t j = i + 1; j < rects.size(); ++j)
            EXPECT_FALSE(rects[i].first.Intersects(rects[j].first)) << rects[i].second << " and " << rects[j].second;
    // The slice fills the area; its pixels are the voxels' greys.
    EXPECT_EQ(dlg->m_rcView, (MarkerViewRect{11, 11, 522, 522}));
    EXPECT_EQ(Shown(At32(16), At32(16)), (Rgb{kInside, kInside, kInside}));
    EXPECT_EQ(Shown(At32(2), At32(2)), (Rgb{kOutside, kOutside, kOutside}));
}

// Left and right clicks on the slice put seeds of the picked voxels into
// the volume's lists and the list boxes, marked green and red on the slice.
// Process needs both kinds, Preview both on the shown slice: on another
// slice the seeds are neither drawn nor enable it.
TEST_F(MarkerDlgTest, ClicksPlaceSeedsAndEnableTheButtons)
{
    Open();
    Seed(16, 16, wxMOUSE_BTN_LEFT);
    EXPECT_EQ(Entries(IDC_SEG_IN_LIST), (std::vector<std::string>{"(4, 16, 16)"}));
    ASSERT_EQ(volume->m_aInPoints.size(), 1u);
    EXPECT_EQ(volume->m_aInPoints[0].y, 16.0f);
    EXPECT_FALSE(GtkSensitive(Control(IDC_PROCESS)));
    EXPECT_FALSE(GtkSensitive(Control(IDC_SEG_PREVIEW)));
    // The last pixels pick the last voxels.
    ASSERT_TRUE(ClickSlice(522, 522, wxMOUSE_BTN_RIGHT));
    Seed(2, 2, wxMOUSE_BTN_RIGHT);
    EXPECT_EQ(Entries(IDC_SEG_OUT_LIST), (std::vector<std::string>{"(4, 31, 31)", "(4, 2, 2)"}));
    EXPECT_EQ(volume->m_aOutPoints.size(), 2u);
    EXPECT_TRUE(GtkSensitive(Control(IDC_PROCESS)));
    EXPECT_TRUE(GtkSensitive(Control(IDC_SEG_PREVIEW)));
    EXPECT_EQ(Shown(At32(16), At32(16)), (Rgb{0, 255, 0}));
    EXPECT_EQ(Shown(At32(2) + 2, At32(2) - 2), (Rgb{255, 0, 0}));
    EXPECT_EQ(Shown(At32(2) + 3, At32(2)), (Rgb{kOutside, kOutside, kOutside}));
    // A click beside the slice is no seed.
    ASSERT_TRUE(ClickSlice(5, 300, wxMOUSE_BTN_LEFT));
    EXPECT_EQ(volume->m_aInPoints.size(), 1u);

    // The next X slice: the seeds stay in the lists, off the picture.
    dlg->m_scrollSlice->SetThumbPosition(5);
    wxScrollEvent moved(wxEVT_SCROLL_THUMBRELEASE, IDC_SLICE_SCROLL, 5, wxHORIZONTAL);
    moved.SetEventObject(dlg->m_scrollSlice);
    dlg->m_scrollSlice->GetEventHandler()->ProcessEvent(moved);
    EXPECT_EQ(Label(IDC_POSITION_TEXT), "Position = (5, 16, 16)");
    EXPECT_TRUE(GtkSensitive(Control(IDC_PROCESS)));
    EXPECT_FALSE(GtkSensitive(Control(IDC_SEG_PREVIEW)));
    EXPECT_EQ(Shown(At32(16), At32(16)), (Rgb{kInside, kInside, kInside}));
    // Along Z the in seed's slice is 16, the middle one.
    ASSERT_TRUE(Click(Control(IDC_AXIS_Z)));
    EXPECT_EQ(Label(IDC_POSITION_TEXT), "Position = (5, 16, 16)");
    EXPECT_FALSE(GtkSensitive(Control(IDC_SEG_PREVIEW))) << "no out seed on z 16";
}

// Selecting an entry enables its Remove button; Remove takes the seed the
// entry's item data names out of the volume, refills the list and disables
// the button again.
TEST_F(MarkerDlgTest, RemoveTakesTheSelectedSeedOut)
{
    volume->m_aInPoints = {{4, 16, 16}, {4, 14, 15}, {4, 18, 17}};
    volume->m_aOutPoints = {{4, 2, 2}};
    Open();
    EXPECT_EQ(Entries(IDC_SEG_IN_LIST), (std::vector<std::string>{"(4, 16, 16)", "(4, 14, 15)", "(4, 18, 17)"}));
    auto& list = dynamic_cast<wxListBox&>(Control(IDC_SEG_IN_LIST));
    wxCommandEvent remove(wxEVT_BUTTON, IDC_SEG_REMOVE_IN);
    dlg->ProcessWindowEvent(remove);
    EXPECT_EQ(volume->m_aInPoints.size(), 3u) << "nothing selected";
    list.SetSelection(1);
    wxCommandEvent select(wxEVT_LISTBOX, IDC_SEG_IN_LIST);
    select.SetEventObject(&list);
    select.SetInt(1);
    list.GetEventHandler()->ProcessEvent(select);
    EXPECT_TRUE(GtkSensitive(Control(IDC_SEG_REMOVE_IN)));
    EXPECT_FALSE(GtkSensitive(Control(IDC_SEG_REMOVE_OUT)));
    ASSERT_TRUE(Click(Control(IDC_SEG_REMOVE_IN)));
    EXPECT_EQ(Entries(IDC_SEG_IN_LIST), (std::vector<std::string>{"(4, 16, 16)", "(4, 18, 17)"}));
    ASSERT_EQ(volume->m_aInPoints.size(), 2u);
    EXPECT_EQ(volume->m_aInPoints[1].y, 18.0f);
    EXPECT_FALSE(GtkSensitive(Control(IDC_SEG_REMOVE_IN)));
    EXPECT_EQ(Shown(At32(15), At32(14)), (Rgb{kInside, kInside, kInside})) << "its mark is gone";
}

// Holding the button on Preview segments the shown slice: with "Re-apply
// texture" the object keeps its values and the rest turns black, without it
// the object is 127; inverted the sides swap. The contour count shows while
// the button is held; on release the slice comes back from the cache, and
// the contours stay drawn in yellow.
TEST_F(MarkerDlgTest, HoldingPreviewShowsTheSliceSegmented)
{
    Open();
    SeedBoth();
    struct Case {
        bool keep, invert;
        int inside, outside;
    };
    for (const Case c : {Case{true, false, kInside, 0}, Case{false, false, 127, 0}, Case{true, true, 0, kOutside}}) {
        SCOPED_TRACE(std::string(c.keep ? "keep" : "mask") + (c.invert ? " inverted" : ""));
        dynamic_cast<wxCheckBox&>(Control(IDC_SEG_REAPPLY_TEXTURE)).SetValue(c.keep);
        dynamic_cast<wxCheckBox&>(Control(IDC_SEG_INVERT)).SetValue(c.invert);
        ASSERT_TRUE(HoldPreview());
        ASSERT_TRUE(WaitUntil([&] { return Label(IDC_SEG_STATUS) == "Segmentation created 1 contour(s)"; }));
        EXPECT_EQ(Shown(At32(16) + 8, At32(16)), (Rgb{c.inside, c.inside, c.inside}));
        EXPECT_EQ(Shown(At32(3), At32(3)), (Rgb{c.outside, c.outside, c.outside}));
        EXPECT_EQ(Shown(At32(2), At32(2)), (Rgb{c.outside, c.outside, c.outside})) << "no seed marks";
        ASSERT_TRUE(ReleasePreview());
        EXPECT_EQ(Label(IDC_SEG_STATUS), "");
        EXPECT_EQ(Shown(At32(3), At32(3)), (Rgb{kOutside, kOutside, kOutside}));
        EXPECT_EQ(Shown(At32(16), At32(16)), (Rgb{0, 255, 0}));
    }
    ASSERT_NE(dlg->m_pSliceImage, nullptr);
    ASSERT_EQ(dlg->m_pSliceImage->m_aContours.size(), 1u);
    // The contour runs along the disc's rim: yellow somewhere on the row
    // through the middle, left of the centre.
    auto yellowOnTheMiddleRow = [&] {
        const wxImage shown = GrabClient(*dlg);
        int yellow = 0;
        for (int x = At32(5); x < At32(12); ++x)
            yellow += PixelAt(shown, x, At32(16)) == (Rgb{255, 255, 0});
        return yellow;
    };
    EXPECT_GT(yellowOnTheMiddleRow(), 0);
    ASSERT_TRUE(Click(Control(IDC_SEG_HIGHLIGHT)));
    EXPECT_EQ(yellowOnTheMiddleRow(), 0) << "contours hidden";
    // A new slice drops the slice image and its contours.
    ASSERT_TRUE(Click(Control(IDC_AXIS_Y)));
    EXPECT_EQ(dlg->m_pSliceImage, nullptr);
}

// "Use active contours" forces the highlight on, disables it with the two
// options and enables "Settings ...", which runs the contour settings. The
// preview then shows the settings' image kind and moves the contours on
// every tick of timer 1 until the button is released.
TEST_F(MarkerDlgTest, ActiveContoursMoveWhileThePreviewIsHeld)
{
    Open();
    SeedBoth();
    ASSERT_TRUE(Click(Control(IDC_SEG_HIGHLIGHT)));
    ASSERT_TRUE(Click(Control(IDC_SEG_ACTIVE_CONTOURS)));
    EXPECT_TRUE(GtkToggleActive(Control(IDC_SEG_HIGHLIGHT)));
    for (int id : {IDC_SEG_HIGHLIGHT, IDC_SEG_INVERT, IDC_SEG_REAPPLY_TEXTURE})
        EXPECT_FALSE(GtkSensitive(Control(id))) << id;
    EXPECT_TRUE(GtkSensitive(Control(IDC_SEG_SETTINGS)));
    {
        std::vector<std::string> shown;
        DialogAnswerer answer([&](wxDialog* d) {
            shown.push_back(d->GetTitle().utf8_string());
            EXPECT_NE(dynamic_cast<CActiveDialog*>(d), nullptr);
            return wxID_CANCEL;
        });
        ASSERT_TRUE(Click(Control(IDC_SEG_SETTINGS)));
        EXPECT_EQ(shown, (std::vector<std::string>{"Active contour settings"}));
    }

    int ticks = 0;
    auto count = [&](wxTimerEvent& e) {
        ++ticks;
        e.Skip();
    };
    dlg->Bind(wxEVT_TIMER, count, CMarkerDlg::kPreviewTimer);
    ASSERT_TRUE(HoldPreview());
    EXPECT_TRUE(dlg->m_timer.IsRunning());
    ASSERT_NE(dlg->m_pSliceImage, nullptr);
    ASSERT_FALSE(dlg->m_pSliceImage->m_aContours.empty());
    EXPECT_EQ(Shown(At32(3), At32(3)), (Rgb{kOutside, kOutside, kOutside})) << "the slice itself, no mask";
    auto nodes = [&] {
        std::vector<float> p;
        const CSnake& s = *dlg->m_pSliceImage->m_aContours.front();
        const CSnakeNode* n = s.m_pHead;
        for (int i = 0; n && i < s.m_nCount; ++i, n = n->m_pNext)
            p.insert(p.end(), {n->m_afPosition[0], n->m_afPosition[1]});
        return p;
    };
    ASSERT_TRUE(WaitUntil([&] { return ticks >= 1; }));
    const std::vector<float> first = nodes();
    ASSERT_TRUE(WaitUntil([&] { return ticks >= 5 && nodes() != first; }));
    EXPECT_EQ(Label(IDC_SEG_STATUS), "Segmentation created 1 contour(s)");
    ASSERT_TRUE(ReleasePreview());
    EXPECT_FALSE(dlg->m_timer.IsRunning());
    const int after = ticks;
    const std::vector<float> last = nodes();
    // No tick moves them once released; a paint does not either.
    PaintCounter painted(*dlg);
    ASSERT_TRUE(painted.PaintNow());
    EXPECT_EQ(ticks, after);
    EXPECT_EQ(nodes(), last);
    dlg->Unbind(wxEVT_TIMER, count, CMarkerDlg::kPreviewTimer);

    // Cleared again: the three come back, "Settings ..." goes.
    ASSERT_TRUE(Click(Control(IDC_SEG_ACTIVE_CONTOURS)));
    for (int id : {IDC_SEG_HIGHLIGHT, IDC_SEG_INVERT, IDC_SEG_REAPPLY_TEXTURE})
        EXPECT_TRUE(GtkSensitive(Control(id))) << id;
    EXPECT_FALSE(GtkSensitive(Control(IDC_SEG_SETTINGS)));
}

// For the R-snake type the preview lends its slice image to the
// diagnostics dialog and ends when that closes; no timer runs.
TEST_F(MarkerDlgTest, RSnakePreviewRunsTheDiagnostics)
{
    CAppSettings::GetInstance()->m_nContourType = 1;
    CAppSettings::GetInstance()->m_bRSnake = true;
    Open();
    SeedBoth();
    ASSERT_TRUE(Click(Control(IDC_SEG_ACTIVE_CONTOURS)));
    CSliceImage* lent = nullptr;
    bool previewing = false;
    int shown = 0;
    {
        DialogAnswerer answer([&](wxDialog* d) {
            ++shown;
            auto* diagnostics = dynamic_cast<CRSnakeDialog*>(d);
            EXPECT_NE(diagnostics, nullptr);
            if (diagnostics)
                lent = diagnostics->m_pSliceImage;
            previewing = dlg->m_bPreviewing;
            return wxID_CANCEL;
        });
        int releases = 0;
        auto released = [&](wxMouseEvent& e) {
            ++releases;
            e.Skip();
        };
        // The release goes to whichever window GTK gave the press to.
        wxWindow& preview = Control(IDC_SEG_PREVIEW);
        dlg->Bind(wxEVT_LEFT_UP, released);
        preview.Bind(wxEVT_LEFT_UP, released);
        const wxRect r = dlg->m_rcPreview;
        sim.MouseMove(dlg->ClientToScreen(r.GetPosition() + wxPoint(r.width / 2, r.height / 2)));
        sim.MouseDown();
        ASSERT_TRUE(WaitUntil([&] { return shown > 0; }));
        sim.MouseUp();
        ASSERT_TRUE(WaitUntil([&] { return releases > 0; }));
        dlg->Unbind(wxEVT_LEFT_UP, released);
        preview.Unbind(wxEVT_LEFT_UP, released);
    }
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(previewing);
    EXPECT_NE(lent, nullptr);
    EXPECT_EQ(lent, dlg->m_pSliceImage.get());
    EXPECT_FALSE(dlg->m_bPreviewing);
    EXPECT_FALSE(dlg->m_timer.IsRunning());
    EXPECT_FALSE(dlg->HasCapture());
    EXPECT_EQ(Label(IDC_SEG_STATUS), "");
}

// A volume without plane-view files shows its slices all the same, read
// from its voxels; a zero voxel size fits by the voxel counts.
TEST_F(MarkerDlgTest, SlicesWithoutCacheAndWithoutExtent)
{
    auto bare = Rod(false);
    bare->SetVoxelSize(0, 0, 0);
    dlg->m_pVolume = bare.get();
    Open();
    EXPECT_EQ(dlg->m_rcView, (MarkerViewRect{11, 11, 522, 522}));
    EXPECT_EQ(Shown(At32(16), At32(16)), (Rgb{kInside, kInside, kInside}));
    EXPECT_EQ(Shown(At32(2), At32(2)), (Rgb{kOutside, kOutside, kOutside}));
}

namespace {
// The view's command with the dialog played by real clicks.
class MarkerCommandTest : public ViewTest, public MarkerScreen {
protected:
    CVolume* Install(std::unique_ptr<CVolume> volume)
    {
        view->CloseModel();
        std::vector<std::unique_ptr<CModel>> models;
        models.push_back(std::move(volume));
        view->m_pModels = std::make_unique<CModelSeries>(std::move(models));
        view->m_nFrames = 1;
        view->m_nFrame = 1;
        view->m_nFrameShown = -1;
        view->m_pModel = view->m_pModels->front().get();
        const wxSize s = view->GetClientSize();
        view->m_pRenderer = std::make_unique<CMeshRenderer>(view->m_pModel, view->Surface(), s.x, s.y);
        view->m_pRenderer->AttachModel(view->m_pModel);
        return static_cast<CVolume*>(view->m_pModel);
    }
    // Runs the command; `act` plays the user in the dialog once it shows.
    void RunCommand(const std::function<void()>& act)
    {
        wxTheApp->CallAfter([this, act] {
            dlg = nullptr;
            for (wxWindow* w : wxTopLevelWindows)
                if (auto* d = dynamic_cast<CMarkerDlg*>(w); d && d->IsModal())
                    dlg = d;
            ASSERT_NE(dlg, nullptr);
            ASSERT_TRUE(WaitUntil([&] { return dlg->IsShownOnScreen(); }));
            act();
            if (dlg->IsModal())
                dlg->EndModal(wxID_ABORT);
        });
        Command(ID_EDIT_SEGMENTATION);
        dlg = nullptr;
    }
};
} // namespace

// Seeds placed and the dialog closed with Close: nothing is segmented and
// the seeds come back in the next run. Process then runs the 3D watershed
// on the volume itself with the dialog's options.
TEST_F(MarkerCommandTest, CloseKeepsTheSeedsAndProcessSegments)
{
    CVolume* v = Install(Rod());
    const std::size_t mark = LogLines().size();
    RunCommand([&] {
        Seed(16, 16, wxMOUSE_BTN_LEFT);
        Seed(2, 2, wxMOUSE_BTN_RIGHT);
        ASSERT_TRUE(Click(Control(wxID_CANCEL)));
    });
    EXPECT_EQ(v->m_aInPoints.size(), 1u);
    EXPECT_EQ(v->m_aOutPoints.size(), 1u);
    EXPECT_EQ(LogLines().size(), mark) << "Close segments nothing";
    EXPECT_EQ(v->GetVoxel(4, 2, 2), kOutside);

    std::vector<std::string> in, out;
    RunCommand([&] {
        for (unsigned i = 0; i < dynamic_cast<wxListBox&>(Control(IDC_SEG_IN_LIST)).GetCount(); ++i)
            in.push_back(dynamic_cast<wxListBox&>(Control(IDC_SEG_IN_LIST)).GetString(i).utf8_string());
        for (unsigned i = 0; i < dynamic_cast<wxListBox&>(Control(IDC_SEG_OUT_LIST)).GetCount(); ++i)
            out.push_back(dynamic_cast<wxListBox&>(Control(IDC_SEG_OUT_LIST)).GetString(i).utf8_string());
        EXPECT_EQ(Shown(At32(16), At32(16)), (Rgb{0, 255, 0}));
        EXPECT_TRUE(GtkSensitive(Control(IDC_PROCESS)));
        ASSERT_TRUE(Click(Control(IDC_SEG_REAPPLY_TEXTURE)));
        ASSERT_TRUE(Click(Control(IDC_PROCESS)));
    });
    EXPECT_EQ(in, (std::vector<std::string>{"(4, 16, 16)"}));
    EXPECT_EQ(out, (std::vector<std::string>{"(4, 2, 2)"}));
    ASSERT_GE(LogLines().size(), mark + 2);
    EXPECT_EQ(LogLines()[mark], "**** Invoking Segmentation Plug-In ****");
    EXPECT_TRUE(LogHas("**** Segmentation Plug-In Ended ****"));
    EXPECT_EQ(view->m_pModel, v);
    EXPECT_TRUE(view->m_pRenderer->m_bTexturesDirty);
    // Without "Re-apply texture" the object is 127 in every slice.
    EXPECT_EQ(v->GetVoxel(1, 16, 16), 127);
    EXPECT_EQ(v->GetVoxel(6, 12, 16), 127);
    EXPECT_EQ(v->GetVoxel(1, 2, 2), 0);
    EXPECT_EQ(v->GetVoxel(6, 30, 3), 0);
}
