#include <functional>

#include <wx/button.h>
#include <wx/radiobut.h>
#include <wx/scrolbar.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "DialogScript.h"
#include "GuiTest.h"
#include "ScreenPixels.h"
#include "app/dialogs/SurfaceDlg.h"
#include "data/VolumeFixtures.h"
#include "res/ControlIds.h"
#include "support/TempDir.h"

namespace {
constexpr unsigned kFailure = MB_OK | MB_ICONEXCLAMATION;

// The dialog on a 40 x 20 x 10 volume of unit voxels: its X slices are
// twice as high as wide physically, its Y and Z slices wider than high.
class SurfaceDlgTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        volume = MakePatterned(40, 20, 10, 8);
        volume->SetVoxelSize(1, 1, 1);
        volume->BuildDiskCache();
        dlg = new CSurfaceDlg(frame);
        dlg->m_pVolume = volume.get();
    }
    void TearDown() override
    {
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
    // Runs the dialog modally; `act` plays the user inside its loop.
    int RunModal(const std::function<void()>& act)
    {
        wxTheApp->CallAfter([this, act] {
            act();
            if (dlg->IsModal())
                dlg->EndModal(wxID_ABORT);
        });
        return dlg->ShowModal();
    }
    std::string Label(int id) { return GtkLabelText(*dlg->FindWindow(id)); }
    wxTextCtrl& Iso() { return *dynamic_cast<wxTextCtrl*>(dlg->FindWindow(IDC_ISO_VALUE)); }
    wxScrollBar& Scroll() { return *dlg->m_scrollSlice; }
    // A click on the scroll bar, which takes the pointer itself. An arrow
    // steps once pressed (GTK repeats only after half a second), so it is
    // held until the bar shows `expected`; elsewhere the click is done once
    // GTK has had the release.
    bool ClickScroll(int x, int expected)
    {
        GtkPointerCounter gtk(Scroll());
        const int before = Scroll().GetThumbPosition();
        wxUIActionSimulator sim;
        sim.MouseMove(Scroll().ClientToScreen(wxPoint(x, Scroll().GetClientSize().y / 2)));
        if (!WaitUntil([&] { return gtk.motions > 0; }))
            return false;
        sim.MouseDown();
        const bool pressed =
            WaitUntil([&] { return gtk.presses > 0 && (expected == before || Scroll().GetThumbPosition() != before); });
        // Released whatever came, so that no button stays down for the next test.
        sim.MouseUp();
        return pressed && WaitUntil([&] { return gtk.releases > 0; }) && Scroll().GetThumbPosition() == expected;
    }
    void RecordScrolls()
    {
        for (const auto& type : {wxEVT_SCROLL_LINEUP, wxEVT_SCROLL_LINEDOWN, wxEVT_SCROLL_PAGEUP, wxEVT_SCROLL_PAGEDOWN,
                                 wxEVT_SCROLL_THUMBTRACK})
            dlg->Bind(type, [this](wxScrollEvent& e) {
                scrolls.push_back(e.GetEventType());
                e.Skip();
            });
    }
    // A click on a control, each time a few pixels from the last one: GTK
    // takes two quick clicks at one spot for a double click.
    bool Click(wxWindow& w)
    {
        Pointer pointer(w);
        const wxSize s = w.GetClientSize();
        m_nudge = -m_nudge;
        return pointer.MoveTo(s.x / 2 + std::min(m_nudge, s.x / 4), s.y / 2) && pointer.Down() && pointer.Up();
    }
    int m_nudge = 8;
    static std::string Position(int x, int y, int z)
    {
        return "Position = (" + std::to_string(x) + ", " + std::to_string(y) + ", " + std::to_string(z) + ")";
    }
    static std::string Value(int x, int y, int z) { return "Value = " + std::to_string(Pattern(x, y, z, 8)); }

    TempDir tmp;
    std::unique_ptr<CVolume> volume;
    CSurfaceDlg* dlg = nullptr;
    std::vector<wxEventType> scrolls;
};
} // namespace

// Template 175: its caption and texts, "Process" the default button, the
// slice area's 512 pixels left free at (11, 11) with the scroll bar right
// under it, no control over another, all inside the dialog.
TEST_F(SurfaceDlgTest, TemplateGeometryAndTexts)
{
    Open();
    EXPECT_EQ(dlg->GetTitle(), "Surface Generation");
    struct Text {
        int id;
        const char* label;
    };
    for (const Text& t : {Text{IDC_AXIS_X, "X"}, Text{IDC_AXIS_Y, "Y"}, Text{IDC_AXIS_Z, "Z"},
                          Text{IDC_PROCESS, "Process"}, Text{wxID_CANCEL, "Close"}}) {
        ASSERT_NE(dlg->FindWindow(t.id), nullptr) << t.label;
        EXPECT_EQ(dlg->FindWindow(t.id)->GetLabel(), t.label);
    }
    bool labelled = false;
    for (wxWindow* child : dlg->GetChildren())
        if (auto* text = dynamic_cast<wxStaticText*>(child))
            labelled |= GtkLabelText(*text) == "Value for iso-surface";
    EXPECT_TRUE(labelled);
    EXPECT_EQ(dynamic_cast<wxButton*>(dlg->GetDefaultItem()), dlg->FindWindow(IDC_PROCESS));
    EXPECT_TRUE(GtkToggled(*dlg->FindWindow(IDC_AXIS_X)));

    const wxRect area(11, 11, 512, 512);
    const wxRect client(dlg->GetClientSize());
    EXPECT_GE(client.width, dlg->ConvertDialogToPixels(wxSize(466, 343)).x);
    const wxRect scroll = Scroll().GetRect();
    EXPECT_EQ(scroll.x, 11);
    EXPECT_EQ(scroll.width, 512);
    EXPECT_GT(scroll.y, area.GetBottom());
    EXPECT_LT(scroll.y, area.GetBottom() + 10);
    std::vector<wxRect> rects;
    for (wxWindow* child : dlg->GetChildren()) {
        const wxRect r = child->GetRect();
        EXPECT_TRUE(client.Contains(r)) << child->GetName();
        EXPECT_FALSE(r.Intersects(area)) << child->GetName();
        if (!dynamic_cast<wxStaticBox*>(child))
            rects.push_back(r);
    }
    for (std::size_t i = 0; i < rects.size(); ++i)
        for (std::size_t j = i + 1; j < rects.size(); ++j)
            EXPECT_FALSE(rects[i].Intersects(rects[j])) << i << " and " << j;
}

// Opening: the X slice at dimX / 2, the iso field at 0, and the texts of
// the voxel where the three middle slices cross. The screen shows the slice
// 256 wide and 512 high at left 139, black around it; each pixel the grey
// of its voxel.
TEST_F(SurfaceDlgTest, OpensOnTheMiddleXSlice)
{
    Open();
    EXPECT_EQ(Scroll().GetThumbPosition(), 20);
    const GtkRangeState range = GtkRangeOf(Scroll());
    EXPECT_EQ(range.lower, 0);
    EXPECT_EQ(range.upper, 39);
    EXPECT_EQ(Iso().GetValue(), "0");
    EXPECT_EQ(Label(IDC_POSITION_TEXT), Position(20, 10, 5));
    EXPECT_EQ(Label(IDC_VALUE_TEXT), Value(20, 10, 5));
    EXPECT_EQ(dlg->m_rcImage, wxRect(139, 11, 256, 512));

    const wxImage shown = GrabWindow(*dlg);
    const wxPoint origin = dlg->GetClientAreaOrigin();
    auto at = [&](int x, int y) { return PixelAt(shown, origin.x + x, origin.y + y); };
    EXPECT_EQ(at(11, 11), (Rgb{0, 0, 0}));
    EXPECT_EQ(at(138, 400), (Rgb{0, 0, 0}));
    EXPECT_EQ(at(395, 400), (Rgb{0, 0, 0}));
    EXPECT_EQ(at(522, 522), (Rgb{0, 0, 0}));
    // Columns are z (256 pixels over 10 voxels), rows y (512 over 20).
    for (const wxPoint p : {wxPoint(0, 0), wxPoint(255, 511), wxPoint(26, 26), wxPoint(128, 300)}) {
        const int z = p.x * 10 / 256, y = p.y * 20 / 512, v = Pattern(20, y, z, 8);
        EXPECT_EQ(at(139 + p.x, 11 + p.y), (Rgb{v, v, v})) << p.x << ", " << p.y;
    }
}

// The mouse over the slice shows the voxel under it, the last pixels the
// last voxels; over the area beside the slice it changes nothing. The cross
// cursor shows over the slice only. A click on the slice takes the value
// shown as iso value; a click beside it leaves the iso value.
TEST_F(SurfaceDlgTest, MousePicksAndClicksSetTheIsoValue)
{
    Open();
    Pointer pointer(*dlg);
    struct Case {
        wxPoint at;
        int x, y, z;
    };
    const Case cases[] = {
        {{139, 11}, 20, 0, 0}, {{394, 522}, 20, 19, 9}, {{139 + 77, 11 + 128}, 20, 5, 3}};
    for (const Case& c : cases) {
        ASSERT_TRUE(pointer.MoveTo(c.at.x, c.at.y));
        EXPECT_EQ(Label(IDC_POSITION_TEXT), Position(c.x, c.y, c.z));
        EXPECT_EQ(Label(IDC_VALUE_TEXT), Value(c.x, c.y, c.z));
        EXPECT_EQ(dlg->m_nValue, Pattern(c.x, c.y, c.z, 8));
        EXPECT_TRUE(GtkCrossCursorAtPointer());
    }
    ASSERT_TRUE(pointer.MoveTo(60, 300));
    EXPECT_EQ(dlg->m_nValue, 0);
    EXPECT_EQ(Label(IDC_POSITION_TEXT), Position(20, 5, 3)) << "off the slice: the texts stay";
    EXPECT_FALSE(GtkCrossCursorAtPointer());

    ASSERT_TRUE(pointer.Down());
    ASSERT_TRUE(pointer.Up());
    EXPECT_EQ(Iso().GetValue(), "0");
    ASSERT_TRUE(pointer.MoveTo(139 + 77, 11 + 128));
    ASSERT_TRUE(pointer.Down());
    ASSERT_TRUE(pointer.Up());
    EXPECT_EQ(dlg->m_nIsoValue, Pattern(20, 5, 3, 8));
    EXPECT_EQ(Iso().GetValue(), std::to_string(Pattern(20, 5, 3, 8)));
}

// The axis buttons: each axis has its own slice and scroll range; the slice
// is fitted anew. The scroll bar's arrows step one slice; a trough click
// moves nothing (the page size is 0).
TEST_F(SurfaceDlgTest, AxesAndScrolling)
{
    Open();
    ASSERT_TRUE(Click(*dlg->FindWindow(IDC_AXIS_Y)));
    EXPECT_TRUE(GtkToggled(*dlg->FindWindow(IDC_AXIS_Y)));
    EXPECT_EQ(GtkRangeOf(Scroll()).upper, 19);
    EXPECT_EQ(Scroll().GetThumbPosition(), 10);
    EXPECT_EQ(dlg->m_rcImage, wxRect(11, 203, 512, 128)) << "x across, z down";
    ASSERT_TRUE(Click(*dlg->FindWindow(IDC_AXIS_Z)));
    EXPECT_EQ(GtkRangeOf(Scroll()).upper, 9);
    EXPECT_EQ(Scroll().GetThumbPosition(), 5);
    EXPECT_EQ(dlg->m_rcImage, wxRect(11, 139, 512, 256));

    const int bar = Scroll().GetClientSize().x;
    RecordScrolls();
    ASSERT_TRUE(ClickScroll(bar - 4, 6));
    EXPECT_EQ(Label(IDC_POSITION_TEXT), Position(20, 10, 6));
    ASSERT_TRUE(ClickScroll(4, 5));
    ASSERT_TRUE(ClickScroll(4, 4));
    // A trough click pages by 0; the arrow after it shows that nothing moved.
    ASSERT_TRUE(ClickScroll(bar - 60, 4));
    ASSERT_TRUE(ClickScroll(4, 3));
    // wx reports a held arrow as thumb tracking; a page step never came.
    for (wxEventType type : scrolls)
        EXPECT_TRUE(type != wxEVT_SCROLL_PAGEUP && type != wxEVT_SCROLL_PAGEDOWN) << type;
    EXPECT_FALSE(scrolls.empty());
    EXPECT_EQ(Label(IDC_POSITION_TEXT), Position(20, 10, 3));
    // The Z slice 3 on screen: columns x (512 over 40), rows y (256 over 20).
    const wxImage shown = GrabWindow(*dlg);
    const wxPoint origin = dlg->GetClientAreaOrigin();
    const int v = Pattern(33, 7, 3, 8);
    EXPECT_EQ(PixelAt(shown, origin.x + 11 + 33 * 512 / 40 + 3, origin.y + 139 + 7 * 256 / 20 + 3), (Rgb{v, v, v}));

    ASSERT_TRUE(Click(*dlg->FindWindow(IDC_AXIS_X)));
    EXPECT_EQ(Scroll().GetThumbPosition(), 20);
    EXPECT_EQ(Label(IDC_POSITION_TEXT), Position(20, 10, 3)) << "each axis keeps its slice";
}

// A typed iso value is taken when the mouse moves over the dialog; a redraw
// before that puts the last value taken back. What is typed stays in the
// field as the pointer moves, whatever it is: an integer is taken as it
// stands (a redraw shows it again) and Process checks its range; an empty
// field is not taken. Only a click on the slice sets the value.
TEST_F(SurfaceDlgTest, TypedIsoValueSurvivesOnceTaken)
{
    Open();
    User user;
    ASSERT_TRUE(user.Type(Iso(), "77"));
    ASSERT_TRUE(Click(*dlg->FindWindow(IDC_AXIS_Y)));
    EXPECT_EQ(GtkEntryText(Iso()), "0") << "not yet taken";
    ASSERT_TRUE(user.Type(Iso(), "77"));
    Pointer pointer(*dlg);
    ASSERT_TRUE(pointer.MoveTo(40, 40));
    EXPECT_EQ(dlg->m_nIsoValue, 77);
    ASSERT_TRUE(Click(*dlg->FindWindow(IDC_AXIS_Z)));
    EXPECT_EQ(GtkEntryText(Iso()), "77");

    // Beyond 16 bits: kept over the (Z) slice and through a redraw, refused
    // by Process with the range.
    ASSERT_TRUE(user.Type(Iso(), "70000"));
    ASSERT_TRUE(pointer.MoveTo(200, 200));
    ASSERT_TRUE(pointer.MoveTo(204, 204));
    EXPECT_EQ(GtkEntryText(Iso()), "70000");
    EXPECT_EQ(dlg->m_nIsoValue, 70000);
    ASSERT_TRUE(Click(*dlg->FindWindow(IDC_AXIS_Y)));
    EXPECT_EQ(GtkEntryText(Iso()), "70000");
    EXPECT_TRUE(prompter.asked.empty());
    ASSERT_TRUE(Click(*dlg->FindWindow(IDC_PROCESS)));
    EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Please enter an integer between 0 and 65535."});
    EXPECT_EQ(GtkEntryText(Iso()), "70000");

    // Emptied: no message over the (Y) slice, and the field stays empty.
    prompter.asked.clear();
    ASSERT_TRUE(user.Focus(Iso()));
    Iso().SelectAll();
    ASSERT_TRUE(user.Press(Iso(), WXK_BACK));
    ASSERT_TRUE(pointer.MoveTo(200, 250));
    ASSERT_TRUE(pointer.MoveTo(204, 254));
    EXPECT_EQ(GtkEntryText(Iso()), "");
    EXPECT_TRUE(prompter.asked.empty());

    // A click on the slice sets it from the voxel under the pointer.
    ASSERT_TRUE(pointer.Down());
    ASSERT_TRUE(pointer.Up());
    EXPECT_EQ(GtkEntryText(Iso()), std::to_string(dlg->m_nValue));
    EXPECT_EQ(dlg->m_nIsoValue, dlg->m_nValue);
}

// Process takes the iso value; a text that is no integer, or one outside
// 0 .. 65535, is reported and keeps the dialog open. Close ends it with
// cancel and the iso value as it was.
TEST_F(SurfaceDlgTest, ProcessChecksTheIsoValue)
{
    wxWindow* process = dlg->FindWindow(IDC_PROCESS);
    const int result = RunModal([&] {
        for (const char* text : {"12a", "", "70000"}) {
            Iso().ChangeValue(text);
            ASSERT_TRUE(Click(*process));
            ASSERT_TRUE(dlg->IsModal()) << text;
        }
        Iso().ChangeValue("300");
        ASSERT_TRUE(Click(*process));
    });
    EXPECT_EQ(result, wxID_OK);
    EXPECT_EQ(dlg->m_nIsoValue, 300);
    EXPECT_EQ(prompter.Texts(),
              (std::vector<std::string>{"Please enter an integer.", "Please enter an integer.",
                                        "Please enter an integer between 0 and 65535."}));
    for (const auto& a : prompter.asked)
        EXPECT_EQ(a.style, kFailure);

    dlg->m_nIsoValue = 5;
    EXPECT_EQ(RunModal([&] { ASSERT_TRUE(Click(*dlg->FindWindow(wxID_CANCEL))); }), wxID_CANCEL);
    EXPECT_EQ(dlg->m_nIsoValue, 5);
}
