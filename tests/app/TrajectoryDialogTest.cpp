#include <array>
#include <functional>

#include <wx/button.h>
#include <wx/radiobut.h>
#include <wx/scrolbar.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "ViewFixture.h"
#include "app/LightBox.h"
#include "app/dialogs/TrajectoryDialog.h"
#include "render/MeshRenderer.h"
#include "res/ControlIds.h"

namespace {
using Voxel = std::array<int, 3>;

// Stands in for the view's renderer and keeps the current point of every
// frame it draws.
class CPointRecorder : public CMeshRenderer {
public:
    using CMeshRenderer::CMeshRenderer;
    void Render(IGlSurface* dc, bool swap) override
    {
        if (auto* v = dynamic_cast<CVolume*>(m_pModel))
            points.push_back({v->m_nSliceX, v->m_nSliceY, v->m_nSliceZ});
        CMeshRenderer::Render(dc, swap);
    }
    std::vector<Voxel> points;
};

// Plays the user of the planners that open: `script` runs inside each one's
// modal loop once GTK shows it. A planner the script leaves open ends with
// wxID_ABORT, which no button gives. Keeps how each one ended.
class PlannerScript : public wxModalDialogHook {
public:
    PlannerScript(CTrajectoryDialog*& dlg, std::function<void()> script) : m_dlg(dlg), m_script(std::move(script))
    {
        Register();
    }
    ~PlannerScript() override { Unregister(); }
    int shown = 0;
    int result = -1;

protected:
    int Enter(wxDialog* dlg) override
    {
        auto* planner = dynamic_cast<CTrajectoryDialog*>(dlg);
        if (!planner)
            return wxID_NONE;
        m_dlg = planner;
        ++shown;
        planner->CallAfter([this, planner] {
            PaintCounter painted(*planner);
            if (WaitUntil([&] { return planner->IsShownOnScreen(); }) && painted.PaintNow())
                m_script();
            else
                ADD_FAILURE() << "the planner never showed";
            if (planner->IsModal())
                planner->EndModal(wxID_ABORT);
        });
        return wxID_NONE;
    }
    void Exit(wxDialog* dlg) override
    {
        if (dlg == m_dlg)
            result = dlg->GetReturnCode();
    }

private:
    CTrajectoryDialog*& m_dlg;
    std::function<void()> m_script;
};

// The view over an opened 24 x 16 x 8 volume of unit voxels, drawn by the
// renderer the factory picks. Its X slices show in the planner 256 x 512
// pixels at left 139, 32 pixels a voxel either way.
class TrajectoryTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        if (HasFatalFailure())
            return;
        OpenVolume(8);
    }
    void OpenVolume(int bits)
    {
        auto v = MakePatterned<CNativeVolume>(24, 16, 8, bits);
        v->SetVoxelSize(1, 1, 1);
        const std::string path = dir.File("v" + std::to_string(bits) + ".vxq");
        ASSERT_TRUE(v->Save(path));
        Open(path);
        volume = dynamic_cast<CVolume*>(view->m_pModel);
        ASSERT_NE(volume, nullptr);
        lightBox = frame->GetLightBox();
        ASSERT_NE(lightBox, nullptr);
    }
    // Runs the view's Plan-a-trajectory command; `act` plays the user once
    // the planner shows. The dialog's result, or -1 when none ran.
    int Plan(const std::function<void()>& act)
    {
        PlannerScript script(dlg, act);
        Command(ID_PLAN_TRAJECTORY);
        EXPECT_EQ(script.shown, 1);
        dlg = nullptr;
        return script.result;
    }
    // A click on a control, each time a few pixels from the last one: GTK
    // takes two quick clicks at one spot for a double click.
    bool Click(int id)
    {
        wxWindow* w = dlg->FindWindow(id);
        if (!w)
            return false;
        Pointer pointer(*w);
        const wxSize s = w->GetClientSize();
        m_nudge = -m_nudge;
        return pointer.MoveTo(s.x / 2 + std::min(m_nudge, s.x / 4), s.y / 2) && pointer.Down() && pointer.Up();
    }
    // A click on the scroll bar's arrow at `x`, held until the bar shows
    // `expected` (GTK repeats only after half a second).
    bool ClickScroll(int x, int expected)
    {
        wxScrollBar& bar = *dlg->m_sbSlice;
        GtkPointerCounter gtk(bar);
        const int before = bar.GetThumbPosition();
        wxUIActionSimulator sim;
        sim.MouseMove(bar.ClientToScreen(wxPoint(x, bar.GetClientSize().y / 2)));
        if (!WaitUntil([&] { return gtk.motions > 0; }))
            return false;
        sim.MouseDown();
        const bool pressed = WaitUntil([&] { return gtk.presses > 0 && bar.GetThumbPosition() != before; });
        sim.MouseUp();
        return pressed && WaitUntil([&] { return gtk.releases > 0; }) && bar.GetThumbPosition() == expected;
    }
    std::string Label(int id) { return GtkLabelText(*dlg->FindWindow(id)); }
    Voxel Current() const { return {volume->m_nSliceX, volume->m_nSliceY, volume->m_nSliceZ}; }
    Voxel LightBoxSlices() const { return {lightBox->m_nSliceX, lightBox->m_nSliceY, lightBox->m_nSliceZ}; }
    // Unit voxels, half extents 12, 8 and 4, world y against the index.
    static CVector3 World(const Voxel& v) { return {float(v[0] - 12), float(16 - v[1] - 1 - 8), float(v[2] - 4)}; }
    static std::string Position(const Voxel& v)
    {
        return "Position = (" + std::to_string(v[0]) + ", " + std::to_string(v[1]) + ", " + std::to_string(v[2]) + ")";
    }
    std::string LightBoxText() { return GtkLabelText(*lightBox->m_txtPosition); }
    static std::string LightBoxText(const Voxel& v)
    {
        return "X = " + std::to_string(v[0]) + ", Y = " + std::to_string(v[1]) + ", Z = " + std::to_string(v[2]);
    }
    // Everything that shows the current point shows `v`: the volume, the
    // planner's texts, the light box's slices and text.
    void ExpectCurrentPoint(const Voxel& v, int bits = 8)
    {
        EXPECT_EQ(Current(), v);
        EXPECT_EQ(volume->m_vEntry, World(v));
        EXPECT_EQ(LightBoxSlices(), v);
        EXPECT_EQ(LightBoxText(), LightBoxText(v));
        if (dlg) {
            EXPECT_EQ(Label(IDC_POSITION_TEXT), Position(v));
            EXPECT_EQ(Label(IDC_VALUE_TEXT), "Value = " + std::to_string(Pattern(v[0], v[1], v[2], bits)));
        }
    }
    CPointRecorder* UseRecorder()
    {
        const wxSize s = view->GetClientSize();
        auto r = std::make_unique<CPointRecorder>(view->m_pModel, view->Surface(), s.x, s.y);
        r->AttachModel(view->m_pModel);
        CPointRecorder* raw = r.get();
        view->m_pRenderer = std::move(r);
        lightBox->SetModel(view->m_pModel);
        return raw;
    }
    // Where the trajectory line shows on the canvas: its yellow pixels.
    struct Yellow {
        int count = 0, top = 1 << 30, bottom = -1, left = 1 << 30, right = -1;
    };
    Yellow YellowOnCanvas()
    {
        const wxImage shown = Canvas();
        const wxRect inside = Inside();
        Yellow y;
        for (int py = inside.GetTop(); py <= inside.GetBottom(); ++py)
            for (int px = inside.GetLeft(); px <= inside.GetRight(); ++px) {
                const Rgb c = PixelAt(shown, px, py);
                if (c.r > 180 && c.g > 180 && c.b < 90) {
                    ++y.count;
                    y.top = std::min(y.top, py);
                    y.bottom = std::max(y.bottom, py);
                    y.left = std::min(y.left, px);
                    y.right = std::max(y.right, px);
                }
            }
        return y;
    }

    CVolume* volume = nullptr;
    CLightBox* lightBox = nullptr;
    CTrajectoryDialog* dlg = nullptr;
    int m_nudge = 8;
};
} // namespace

// The view's command opens template 215 on the current volume: its caption
// and texts, "Process" the default, the drawing area free with the scroll
// bar under it and no control over another. It opens on the X slice through
// the middle voxel, which becomes the current point at once: the light box
// moves there from where it stood. The screen shows the slice with the red
// cross-hair on that voxel. Close ends it without showing a trajectory.
TEST_F(TrajectoryTest, OpensFromTheViewOnTheMiddleVoxel)
{
    volume->SetEntryPoint(World({1, 2, 3}), 1, 2, 3);
    lightBox->SetSlicesFromCamera(false);
    ASSERT_EQ(LightBoxSlices(), (Voxel{1, 2, 3}));

    const int result = Plan([&] {
        EXPECT_EQ(GtkWindowTitle(*dlg), "Trajectory Planner");
        EXPECT_EQ(dlg->m_pVolume, volume);
        EXPECT_EQ(dlg->m_pView, view);
        struct Text {
            int id;
            const char* label;
        };
        for (const Text& t : {Text{IDC_AXIS_X, "X"}, Text{IDC_AXIS_Y, "Y"}, Text{IDC_AXIS_Z, "Z"},
                              Text{IDC_PROCESS, "Process"}, Text{wxID_CANCEL, "Close"}}) {
            ASSERT_NE(dlg->FindWindow(t.id), nullptr) << t.label;
            EXPECT_EQ(GtkButtonLabel(*dlg->FindWindow(t.id)), t.label);
        }
        EXPECT_EQ(dynamic_cast<wxButton*>(dlg->GetDefaultItem()), dlg->FindWindow(IDC_PROCESS));
        EXPECT_TRUE(GtkToggled(*dlg->FindWindow(IDC_AXIS_X)));

        const wxRect area(11, 11, 512, 512);
        const wxRect client(dlg->GetClientSize());
        EXPECT_GE(client.width, dlg->ConvertDialogToPixels(wxSize(466, 343)).x);
        const wxRect scroll = dlg->m_sbSlice->GetRect();
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

        EXPECT_EQ(dlg->m_sbSlice->GetThumbPosition(), 12);
        EXPECT_EQ(GtkRangeOf(*dlg->m_sbSlice).lower, 0);
        EXPECT_EQ(GtkRangeOf(*dlg->m_sbSlice).upper, 23);
        EXPECT_EQ(dlg->m_rcImage, wxRect(139, 11, 256, 512));
        ExpectCurrentPoint({12, 8, 4});

        const wxImage shown = GrabClient(*dlg);
        auto at = [&](int x, int y) { return PixelAt(shown, x, y); };
        auto grey = [](int v) { return Rgb{v, v, v}; };
        // The marker of voxel (12, 8, 4): 4 and 8 voxels of 32 pixels in.
        EXPECT_EQ(at(267, 267), (Rgb{255, 0, 0}));
        for (const wxPoint arm : {wxPoint(267 + 3, 267), wxPoint(267 + 23, 267), wxPoint(267 - 24, 267),
                                  wxPoint(267, 267 + 3), wxPoint(267, 267 - 4)})
            EXPECT_EQ(at(arm.x, arm.y), (Rgb{255, 0, 0})) << arm.x << ", " << arm.y;
        EXPECT_EQ(at(267 + 1, 267), grey(Pattern(12, 8, 4, 8)));
        EXPECT_EQ(at(267 + 24, 267), grey(Pattern(12, 8, 4, 8)));
        EXPECT_EQ(at(139 + 40, 11 + 70), grey(Pattern(12, 2, 1, 8)));
        EXPECT_EQ(at(20, 20), (Rgb{0, 0, 0}));
        EXPECT_EQ(at(400, 500), (Rgb{0, 0, 0}));

        ASSERT_TRUE(Click(wxID_CANCEL));
        EXPECT_FALSE(dlg->IsModal());
    });
    EXPECT_EQ(result, wxID_CANCEL);
    EXPECT_FALSE(view->m_bShowTrajectory);
    EXPECT_FALSE(volume->m_bShowTrajectory);
    ExpectCurrentPoint({12, 8, 4});
}

// A real left-button drag on the slice: the press picks the voxel under the
// pointer (to the nearest voxel edge), each move the next one, a move past
// the image's right and bottom edges the last column and row; the volume's
// current point, the planner's texts, the light box and a frame of the 3D
// view follow each pick at once. The cross cursor shows over the slice only;
// moves without the button pick nothing. Close keeps the last point.
TEST_F(TrajectoryTest, DragPicksTheCurrentPointAndEverythingFollows)
{
    CPointRecorder* recorder = UseRecorder();
    std::vector<Voxel> drawn;
    const int result = Plan([&] {
        Pointer pointer(*dlg);
        ASSERT_TRUE(pointer.MoveTo(20, 300));
        EXPECT_FALSE(GtkCrossCursorAtPointer());
        ASSERT_TRUE(pointer.MoveTo(139 + 70, 11 + 100));
        EXPECT_TRUE(GtkCrossCursorAtPointer());
        ExpectCurrentPoint({12, 8, 4});

        struct Step {
            std::function<bool()> act;
            Voxel voxel;
            const char* what;
        };
        const Step steps[] = {
            {[&] { return pointer.Down(); }, {12, 3, 2}, "press at 70, 100: 2.2 and 3.1 voxels in"},
            {[&] { return pointer.MoveTo(139 + 200, 11 + 400); }, {12, 13, 6}, "drag to 200, 400"},
            {[&] { return pointer.MoveTo(139 + 255, 11 + 511); }, {12, 15, 7}, "the last pixel column and row"},
            {[&] { return pointer.MoveTo(139 + 10, 11 + 10); }, {12, 0, 0}, "back near the corner"},
            {[&] { return pointer.MoveTo(dlg->GetClientSize().x - 5, dlg->GetClientSize().y - 5); },
             {12, 15, 7}, "past the right and bottom edges"},
        };
        for (const Step& s : steps) {
            const std::size_t frames = recorder->points.size();
            ASSERT_TRUE(s.act()) << s.what;
            EXPECT_TRUE(dlg->m_bDragging) << s.what;
            ExpectCurrentPoint(s.voxel);
            ASSERT_GT(recorder->points.size(), frames) << s.what << ": the 3D view drew no frame";
            EXPECT_EQ(recorder->points.back(), s.voxel) << s.what;
        }
        ASSERT_TRUE(pointer.Up());
        EXPECT_FALSE(dlg->m_bDragging);
        EXPECT_FALSE(dlg->HasCapture());
        // Without the button nothing is picked.
        ASSERT_TRUE(pointer.MoveTo(139 + 100, 11 + 100));
        ExpectCurrentPoint({12, 15, 7});
        // A press beside the slice picks nothing either.
        ASSERT_TRUE(pointer.MoveTo(60, 300));
        ASSERT_TRUE(pointer.Down());
        EXPECT_FALSE(dlg->m_bDragging);
        ASSERT_TRUE(pointer.MoveTo(139 + 30, 11 + 30));
        ASSERT_TRUE(pointer.Up());
        ExpectCurrentPoint({12, 15, 7});

        // The marker of (12, 15, 7) on screen: 7 and 15 voxels in.
        const wxImage shown = GrabClient(*dlg);
        EXPECT_EQ(PixelAt(shown, 139 + 224, 11 + 480), (Rgb{255, 0, 0}));
        EXPECT_EQ(PixelAt(shown, 139 + 224 - 10, 11 + 480), (Rgb{255, 0, 0}));
        EXPECT_EQ(PixelAt(shown, 267, 267), (Rgb{Pattern(12, 8, 4, 8), Pattern(12, 8, 4, 8), Pattern(12, 8, 4, 8)}))
            << "the opening marker is gone";
        ASSERT_TRUE(Click(wxID_CANCEL));
    });
    EXPECT_EQ(result, wxID_CANCEL);
    ExpectCurrentPoint({12, 15, 7});
    EXPECT_FALSE(view->m_bShowTrajectory);
}

// The axis buttons show the slice through the current voxel across another
// axis, the scroll bar at that axis' index over its own range; the scroll
// bar's arrows move the current point along the shown axis, the light box
// following.
TEST_F(TrajectoryTest, AxesAndScrollingKeepTheCurrentVoxel)
{
    const int result = Plan([&] {
        Pointer pointer(*dlg);
        ASSERT_TRUE(pointer.MoveTo(139 + 70, 11 + 100));
        ASSERT_TRUE(pointer.Down());
        ASSERT_TRUE(pointer.Up());
        ExpectCurrentPoint({12, 3, 2});
        struct Case {
            int button, upper, position;
            wxRect image;
        };
        // Y: x across (24), z down (8); Z: x across, y down (16).
        for (const Case& c : {Case{IDC_AXIS_Y, 15, 3, wxRect(11, 182, 512, 170)},
                              Case{IDC_AXIS_Z, 7, 2, wxRect(11, 96, 512, 341)}}) {
            ASSERT_TRUE(Click(c.button));
            EXPECT_TRUE(GtkToggled(*dlg->FindWindow(c.button)));
            EXPECT_EQ(GtkRangeOf(*dlg->m_sbSlice).upper, c.upper);
            EXPECT_EQ(dlg->m_sbSlice->GetThumbPosition(), c.position);
            EXPECT_EQ(dlg->m_rcImage, c.image);
            ExpectCurrentPoint({12, 3, 2});
        }
        const int bar = dlg->m_sbSlice->GetClientSize().x;
        ASSERT_TRUE(ClickScroll(bar - 4, 3));
        ExpectCurrentPoint({12, 3, 3});
        ASSERT_TRUE(ClickScroll(4, 2));
        ASSERT_TRUE(ClickScroll(4, 1));
        ExpectCurrentPoint({12, 3, 1});
        // The marker on the Z slice at x 12 of 24 and y 3 of 16.
        const wxImage shown = GrabClient(*dlg);
        EXPECT_EQ(PixelAt(shown, 11 + 256, 96 + 64), (Rgb{255, 0, 0}));
        ASSERT_TRUE(Click(IDC_AXIS_X));
        EXPECT_EQ(dlg->m_sbSlice->GetThumbPosition(), 12);
        ExpectCurrentPoint({12, 3, 1});
        ASSERT_TRUE(Click(wxID_CANCEL));
    });
    EXPECT_EQ(result, wxID_CANCEL);
}

// Values of a 16-bit volume show whole.
TEST_F(TrajectoryTest, SixteenBitValues)
{
    OpenVolume(16);
    const int result = Plan([&] {
        ExpectCurrentPoint({12, 8, 4}, 16);
        Pointer pointer(*dlg);
        ASSERT_TRUE(pointer.MoveTo(139 + 250, 11 + 500));
        ASSERT_TRUE(pointer.Down());
        ASSERT_TRUE(pointer.Up());
        ExpectCurrentPoint({12, 15, 7}, 16);
        EXPECT_GT(Pattern(12, 15, 7, 16), 255);
        ASSERT_TRUE(Click(wxID_CANCEL));
    });
    EXPECT_EQ(result, wxID_CANCEL);
}

// Process ends the planner with OK: the view leaves its render mode for the
// normal one and shows the trajectory, a yellow line from the picked point
// along the cut-plane box's normal (world x) to the bounding sphere: on the
// canvas a horizontal line. Planning again moves the line with the point,
// at once, and Close leaves it shown there.
TEST_F(TrajectoryTest, ProcessShowsTheTrajectoryLine)
{
    Command(ID_MODE_MPR);
    ASSERT_EQ(view->m_nRenderMode, kRenderMpr);
    const Yellow none = YellowOnCanvas();
    EXPECT_EQ(none.count, 0);

    int result = Plan([&] {
        Pointer pointer(*dlg);
        ASSERT_TRUE(pointer.MoveTo(139 + 128, 11 + 64));
        ASSERT_TRUE(pointer.Down());
        ASSERT_TRUE(pointer.Up());
        ExpectCurrentPoint({12, 2, 4});
        ASSERT_TRUE(Click(IDC_PROCESS));
    });
    EXPECT_EQ(result, wxID_OK);
    EXPECT_TRUE(view->m_bShowTrajectory);
    EXPECT_TRUE(volume->m_bShowTrajectory);
    EXPECT_EQ(view->m_nRenderMode, kRenderNormal);
    EXPECT_EQ(view->m_pRenderer->m_nRenderMode, kRenderNormal);
    const Yellow high = YellowOnCanvas();
    EXPECT_GT(high.count, 20);
    EXPECT_LE(high.bottom - high.top, 4) << "a line along world x shows level";
    EXPECT_GT(high.right - high.left, 40);
    EXPECT_EQ(volume->m_vTarget.y, volume->m_vEntry.y);
    EXPECT_GT(volume->m_vTarget.x, volume->m_vEntry.x);

    result = Plan([&] {
        Pointer pointer(*dlg);
        ASSERT_TRUE(pointer.MoveTo(139 + 128, 11 + 448));
        ASSERT_TRUE(pointer.Down());
        ASSERT_TRUE(pointer.Up());
        ExpectCurrentPoint({12, 14, 4});
        ASSERT_TRUE(Click(wxID_CANCEL));
    });
    EXPECT_EQ(result, wxID_CANCEL);
    EXPECT_TRUE(view->m_bShowTrajectory) << "Close leaves the trajectory shown";
    const Yellow low = YellowOnCanvas();
    EXPECT_GT(low.count, 20);
    EXPECT_GT(low.top, high.bottom) << "the line moved down with the point";
}
