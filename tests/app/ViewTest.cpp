#include <cmath>

#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/slider.h>
#include <wx/statusbr.h>

#include "ViewFixture.h"
#include "app/LightBox.h"
#include "app/dialogs/SliderDlg.h"
#include "app/dialogs/StatusDlg.h"
#include "data/Quaternion.h"
#include "platform/Clock.h"
#include "support/ManualClock.h"
#include "support/VolumeScenes.h"
#include "render/RendererDialogRunner.h"
#include "render/RendererFactory.h"

namespace {
constexpr char kMeshRenderer[] = "Mesh rendering using OpenGL vertex array";
constexpr Rgb kBlack{0, 0, 0};

bool SameQuat(const Quaternion& a, const Quaternion& b, float tol = 1e-5f)
{
    return std::fabs(a.x - b.x) <= tol && std::fabs(a.y - b.y) <= tol && std::fabs(a.z - b.z) <= tol &&
           std::fabs(a.w - b.w) <= tol;
}

// Whether a top-level window still exists and shows, without touching one
// that is gone.
bool Showing(wxWindow* window)
{
    for (wxWindow* w : wxTopLevelWindows)
        if (w == window)
            return w->IsShown();
    return false;
}

std::string FramePane(CMainFrame& frame)
{
    frame.UpdateStatusIndicators();
    return frame.GetStatusBar()->GetStatusText(1).utf8_string();
}
} // namespace

// Creation: the four wheels along their edges with their ids, the empty mesh
// renderer, the log owned by the view, the frame pane at 0 of 0. The wheels
// have X windows of their own, so a frame drawn over the whole canvas leaves
// them showing.
TEST_F(ViewTest, CreationMakesWheelsAndTheEmptyRenderer)
{
    ASSERT_NE(view->m_pRenderer, nullptr);
    EXPECT_EQ(view->m_pRenderer->m_pszDescription, kMeshRenderer);
    EXPECT_EQ(view->m_pRenderer->m_pModel, nullptr);
    EXPECT_EQ(view->m_pModel, nullptr);
    EXPECT_EQ(CMessageLog::GetExisting()->m_pView, view);
    EXPECT_EQ(FramePane(*frame), "Frame 0 of 0");

    const wxSize s = view->GetClientSize();
    struct Wheel {
        CThumbWheel* wheel;
        int id, kind;
        wxRect rect;
    };
    const Wheel wheels[] = {
        {&view->m_wheelX, 101, 1, {0, 0, 23, s.y - 23}},
        {&view->m_wheelY, 102, 2, {23, 0, s.x - 23, 23}},
        {&view->m_wheelZ, 103, 3, {s.x - 23, 23, 23, s.y - 23}},
        {&view->m_wheelZoom, 104, 4, {0, s.y - 23, s.x - 23, 23}},
    };
    for (const Wheel& w : wheels) {
        EXPECT_EQ(w.wheel->GetId(), w.id);
        EXPECT_EQ(w.wheel->m_nKind, w.kind);
        EXPECT_EQ(w.wheel->GetParent(), view);
        EXPECT_TRUE(WaitUntil([&] { return w.wheel->GetRect() == w.rect; })) << w.id;
    }

    view->m_crBackground = 0x000000FF; // red
    wxImage shown = Canvas();
    EXPECT_EQ(CountOtherThan(shown, Inside(), Rgb{255, 0, 0}), 0);
    for (const Wheel& w : wheels) {
        wxImage wheel = GrabWindow(*w.wheel);
        const wxRect all(wxPoint(0, 0), wheel.GetSize());
        EXPECT_EQ(CountOtherThan(wheel, all, Rgb{255, 0, 0}), all.width * all.height) << w.id;
        EXPECT_EQ(PixelAt(shown, w.rect.x + w.rect.width / 2, w.rect.y + w.rect.height / 2), (Rgb{212, 208, 200}))
            << w.id;
    }
}

// Open of a native mesh: the title names the file, the log gets its three
// lines, one frame leaves the slider disabled at 1, the frame pane reads
// 1 of 1, and the canvas shows the mesh over the background.
TEST_F(ViewTest, OpenNativeMeshShowsIt)
{
    EXPECT_EQ(CountOtherThan(Canvas(), Inside(), kBlack), 0);
    Open(view_files::Octahedron(dir, "oct.vxq"));
    EXPECT_TRUE(prompter.asked.empty()) << prompter.asked[0].text;
    EXPECT_EQ(frame->GetTitle(), "Vexilo - [oct.vxq]");
    ASSERT_NE(view->m_pModel, nullptr);
    ASSERT_TRUE(view->m_pModel->IsMesh());
    EXPECT_EQ(view->m_pRenderer->m_pModel, view->m_pModel);
    const std::vector<std::string> want = {"Loading file: oct.vxq", "Model : " + view->m_pModel->GetInfo(),
                                           std::string("Renderer : ") + kMeshRenderer};
    EXPECT_EQ(LogLines(), want);
    wxSlider* slider = frame->GetSliderBar()->GetSlider();
    EXPECT_EQ(slider->GetValue(), 1);
    EXPECT_FALSE(GtkSensitive(*slider));
    EXPECT_EQ(FramePane(*frame), "Frame 1 of 1");
    EXPECT_EQ(frame->GetLightBox()->m_pModel, view->m_pModel);
    EXPECT_GT(CountOtherThan(Canvas(), Inside(), kBlack), 2000);
}

// Open of a native volume and of a real DICOM file: title and log lines, a
// volume renderer from the factory, and the canvas shows the volume.
TEST_F(ViewTest, OpenVolumesShowThem)
{
    struct Case {
        std::string path, name;
        std::vector<int> answers;
    };
    const Case cases[] = {
        {view_files::Volume(dir, "cube.vxq", 8), "cube.vxq", {}},
        {"/usr/lib/python3/dist-packages/pydicom/data/test_files/CT_small.dcm", "CT_small.dcm", {IDNO}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompter.asked.clear();
        prompter.answers = c.answers;
        CMessageLog::GetExisting()->m_lines.clear();
        Open(c.path);
        EXPECT_EQ(frame->GetTitle(), "Vexilo - [" + c.name + "]");
        ASSERT_NE(view->m_pModel, nullptr);
        EXPECT_TRUE(view->m_pModel->IsVolume());
        ASSERT_NE(view->m_pRenderer, nullptr);
        const std::vector<std::string> want = {"Loading file: " + c.name, "Model : " + view->m_pModel->GetInfo(),
                                               "Renderer : " + view->m_pRenderer->m_pszDescription};
        EXPECT_EQ(LogLines(), want);
        EXPECT_NE(view->m_pRenderer->m_pszDescription, kMeshRenderer) << "the factory gave no volume renderer";
        EXPECT_EQ(view->m_pRenderer->m_pModel, view->m_pModel);
        EXPECT_GT(CountOtherThan(Canvas(), Inside(), kBlack), 500);
    }
}

namespace {
// A renderer choice that names no renderer the factory can make.
class CNoRendererRunner : public IRendererDialogRunner {
public:
    bool RunRendererDialog(CRendererDialogValues& values) override
    {
        values.m_nRendererType = 0;
        return true;
    }
};
} // namespace

// When the factory makes no renderer for the model: the message, the model
// kept with the empty renderer, which shows nothing.
TEST_F(ViewTest, NoRendererForTheModelKeepsItWithTheEmptyRenderer)
{
    SettingsGuard settings;
    settings->m_bAskRenderer = true;
    CNoRendererRunner choosing;
    IRendererDialogRunner* const program = SetRendererDialogRunner(&choosing);
    Open(view_files::Volume(dir, "cube.vxq", 8));
    SetRendererDialogRunner(program);
    ASSERT_FALSE(prompter.asked.empty());
    EXPECT_EQ(prompter.asked.back().text, "No renderer found for this file type!");
    EXPECT_EQ(prompter.asked.back().style, unsigned(MB_OK | MB_ICONEXCLAMATION));
    ASSERT_NE(view->m_pModel, nullptr);
    EXPECT_TRUE(view->m_pModel->IsVolume());
    ASSERT_NE(view->m_pRenderer, nullptr);
    EXPECT_EQ(view->m_pRenderer->m_pszDescription, kMeshRenderer);
    EXPECT_EQ(view->m_pRenderer->m_pModel, nullptr);
    EXPECT_EQ(LogLines().back(), std::string("Renderer : ") + kMeshRenderer);
    EXPECT_EQ(CountOtherThan(Canvas(), Inside(), kBlack), 0);
}

// A capture of two frames: the slider runs 1..2 from 1 and can be used;
// moving it to 2 makes the second model current, re-attaches the shared
// renderer and resets the view; frame 0 or beyond the series changes nothing.
TEST_F(ViewTest, SeriesSetsTheSliderAndFramesSwitch)
{
    Open(view_files::Capture(dir, "scan.img", 2));
    ASSERT_NE(view->m_pModels, nullptr);
    ASSERT_EQ(view->m_pModels->size(), 2u);
    CSliderDlg* bar = frame->GetSliderBar();
    wxSlider* slider = bar->GetSlider();
    EXPECT_EQ(slider->GetMin(), 1);
    EXPECT_EQ(slider->GetMax(), 2);
    EXPECT_EQ(slider->GetValue(), 1);
    EXPECT_TRUE(GtkSensitive(*slider));
    EXPECT_EQ(FramePane(*frame), "Frame 1 of 2");
    CModel* first = (*view->m_pModels)[0].get();
    CModel* second = (*view->m_pModels)[1].get();
    EXPECT_EQ(view->m_pModel, first);
    CRenderer* renderer = view->m_pRenderer.get();

    view->m_transform.RotateY(0.5f);
    slider->SetValue(2);
    wxScrollEvent moved(wxEVT_SCROLL_THUMBTRACK, slider->GetId(), 2, wxHORIZONTAL);
    moved.SetEventObject(slider);
    slider->GetEventHandler()->ProcessEvent(moved);
    EXPECT_EQ(view->m_nFrame, 2);
    EXPECT_EQ(view->m_pModel, second);
    EXPECT_EQ(view->m_pRenderer.get(), renderer);
    EXPECT_EQ(renderer->m_pModel, second);
    EXPECT_TRUE(SameQuat(view->m_transform.m_qCurrent, {0, 0, 0, 1}));
    EXPECT_EQ(frame->GetLightBox()->m_pModel, second);
    EXPECT_EQ(FramePane(*frame), "Frame 2 of 2");

    for (int n : {0, 3, -1}) {
        view->SetCurrentFrame(n);
        EXPECT_EQ(view->m_nFrame, 2) << n;
        EXPECT_EQ(view->m_pModel, second) << n;
    }

    Open(view_files::Octahedron(dir, "one.vxq"));
    EXPECT_EQ(slider->GetValue(), 1);
    EXPECT_FALSE(GtkSensitive(*slider));
    EXPECT_EQ(FramePane(*frame), "Frame 1 of 1");
}

namespace {
// A dialog runner whose raw dialog fails the way a broken loader step does.
class CThrowingRunner : public CScriptedDialogRunner {
public:
    bool RunRawDialog(CRawDialogValues&) override { throw std::runtime_error("raw dialog broke"); }
};
} // namespace

// Every failed load, an empty series and an exception inside the load
// included, ends the same way: "Unknown file format!", the log line
// "**** Model not loaded ****", and the model that was open still open with
// its renderer, title and picture; the busy box stays until the next frame.
TEST_F(ViewTest, FailedLoadsKeepTheOpenModel)
{
    CThrowingRunner throwing;
    struct Case {
        const char* what;
        std::string path;
        IDialogRunner* runner;
        std::vector<int> answers;
    };
    const Case cases[] = {
        {"a native file of garbage", dir.Write("bad.vxq", "not a volume at all"), &runner, {}},
        {"a capture without a usable frame", view_files::Capture(dir, "empty.img", 0), &runner, {}},
        {"a load step that throws", dir.Write("data.raw", std::string(64, '\1')), &throwing, {}},
        {"no loader and no DICOM marker", dir.Write("notes.txt", "hello"), &runner, {IDYES}},
    };
    Open(view_files::Octahedron(dir, "good.vxq"));
    CModel* model = view->m_pModel;
    ASSERT_NE(model, nullptr);
    CRenderer* renderer = view->m_pRenderer.get();
    view->m_transform.RotateY(0.5f);
    const wxImage before = Canvas();
    ASSERT_GT(CountOtherThan(before, Inside(), kBlack), 2000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompter.asked.clear();
        prompter.answers = c.answers;
        SetDialogRunner(c.runner);
        Open(c.path);
        SetDialogRunner(&runner);
        ASSERT_FALSE(prompter.asked.empty());
        EXPECT_EQ(prompter.asked.back().text, "Unknown file format!");
        EXPECT_EQ(prompter.asked.back().style, unsigned(MB_OK | MB_ICONEXCLAMATION));
        EXPECT_EQ(view->m_pModel, model);
        EXPECT_EQ(view->m_pRenderer.get(), renderer);
        EXPECT_EQ(renderer->m_pModel, model);
        EXPECT_EQ(frame->GetTitle(), "Vexilo - [good.vxq]");
        EXPECT_EQ(FramePane(*frame), "Frame 1 of 1");
        EXPECT_EQ(LogLines().back(), "**** Model not loaded ****");
        CStatusDlg* box = view->m_pStatusDlg;
        EXPECT_TRUE(box != nullptr && Showing(box));
        ASSERT_TRUE(DrawFrame());
        EXPECT_EQ(view->m_pStatusDlg, nullptr);
        EXPECT_FALSE(Showing(box));
        // A frame drawn once the box is off the screen.
        const wxImage after = Canvas();
        int differing = 0;
        for (int y = Inside().GetTop(); y <= Inside().GetBottom(); ++y)
            for (int x = Inside().GetLeft(); x <= Inside().GetRight(); ++x)
                differing += !(PixelAt(after, x, y) == PixelAt(before, x, y));
        EXPECT_EQ(differing, 0) << "the same picture, the turn included";
    }
}

namespace {
// A dialog runner whose raw dialog runs `during` while it stands for the
// user, then is cancelled.
class CPausingRunner : public CScriptedDialogRunner {
public:
    std::function<void()> during;
    bool RunRawDialog(CRawDialogValues&) override
    {
        if (during)
            during();
        return false;
    }
};
} // namespace

// While there is no renderer (the model closed, a loader's dialog up) the
// canvas shows the background colour, not what last covered it: a window
// put over the canvas and taken away again leaves nothing of itself.
TEST_F(ViewTest, WithoutARendererTheCanvasShowsTheBackground)
{
    view->m_crBackground = 0x00FF0000; // blue
    const Rgb blue{0, 0, 255}, green{0, 255, 0};
    // What the screen shows of the canvas once a green window over it went.
    auto uncovered = [&] {
        auto* cover = new wxFrame(nullptr, wxID_ANY, "cover", view->GetScreenPosition(), view->GetSize(),
                                  wxBORDER_NONE | wxFRAME_NO_TASKBAR);
        auto* panel = new wxPanel(cover);
        panel->SetBackgroundColour(wxColour(0, 255, 0));
        cover->Show();
        EXPECT_TRUE(WaitUntil([&] {
            return panel->IsShownOnScreen() && CountOtherThan(GrabWindow(*panel), wxRect(0, 0, 50, 50), green) == 0;
        }));
        PaintCounter painted(*view);
        cover->Hide();
        cover->Destroy();
        EXPECT_TRUE(WaitUntil([&] { return painted.count > 0; }));
        return GrabWindow(*view);
    };

    // From the program's start: a loader's dialog up, the file chooser gone.
    CPausingRunner pausing;
    wxImage during;
    pausing.during = [&] { during = uncovered(); };
    SetDialogRunner(&pausing);
    Open(dir.Write("data.raw", std::string(64, '\1')));
    SetDialogRunner(&runner);
    ASSERT_TRUE(during.IsOk());
    EXPECT_EQ(CountOtherThan(during, Inside(), blue), 0) << "while the raw dialog is up";

    view->CloseModel();
    ASSERT_EQ(view->m_pRenderer, nullptr);
    EXPECT_EQ(CountOtherThan(uncovered(), Inside(), blue), 0) << "after the model closed";
}

namespace {
// The last move of a drag, one frame drawn at it and the release right
// after: a frame with the cursor standing still would stop the spin.
bool MoveAndRelease(Pointer& p, int x, int y)
{
    CVexilo* view = GetViewPane();
    PaintCounter painted(*view);
    return p.MoveTo(x, y) && WaitUntil([&] { return painted.count > 0; }) && p.Up();
}
} // namespace

// A left drag turns the model; released while still moving it keeps
// turning, one step per spin-timer frame, with no further input. A click
// without movement stops it.
TEST_F(ViewTest, LeftDragRotatesAndReleaseWhileMovingKeepsSpinning)
{
    Open(view_files::Octahedron(dir, "oct.vxq"));
    CModel* model = view->m_pModel;
    ASSERT_NE(model, nullptr);
    const wxImage still = Canvas();
    const wxSize s = view->GetClientSize();
    Pointer p(*view);
    ASSERT_TRUE(p.MoveTo(s.x / 2, s.y / 2));
    ASSERT_TRUE(p.Down());
    EXPECT_TRUE(view->m_bLeftButton);
    EXPECT_TRUE(view->m_transform.m_bDragging);
    ASSERT_TRUE(MoveAndRelease(p, s.x / 2 + 40, s.y / 2 + 10));
    EXPECT_TRUE(view->m_transform.m_bSpinning);
    EXPECT_FALSE(SameQuat(model->m_qOrientation, {0, 0, 0, 1}));
    EXPECT_FALSE(view->m_bLeftButton);
    EXPECT_EQ(view->m_nSpinTimer, 1u);

    // The timer alone draws the next frames, each one step further.
    const Quaternion released = model->m_qOrientation;
    ASSERT_TRUE(WaitUntil([&] { return !SameQuat(model->m_qOrientation, released); }));
    const Quaternion later = model->m_qOrientation;
    ASSERT_TRUE(WaitUntil([&] { return !SameQuat(model->m_qOrientation, later); }));
    const wxImage spun = GrabWindow(*view);
    EXPECT_GT(CountOtherThan(spun, Inside(), kBlack), 2000);
    int changed = 0;
    for (int y = Inside().GetTop(); y < Inside().GetBottom(); y += 4)
        for (int x = Inside().GetLeft(); x < Inside().GetRight(); x += 4)
            changed += !(PixelAt(spun, x, y) == PixelAt(still, x, y));
    EXPECT_GT(changed, 50);

    ASSERT_TRUE(p.Down());
    ASSERT_TRUE(DrawFrame());
    ASSERT_TRUE(p.Up());
    EXPECT_FALSE(view->m_transform.m_bSpinning);
    EXPECT_EQ(view->m_nSpinTimer, 0u);
    const Quaternion stopped = model->m_qOrientation;
    ASSERT_TRUE(DrawFrame());
    ASSERT_TRUE(DrawFrame());
    EXPECT_TRUE(SameQuat(model->m_qOrientation, stopped, 0));
}

// Wheels X, Y and Z turn the trackball about -x, +y and +z by the step
// between the reported angles; the zoom wheel narrows the field of view by
// 0.2 degrees per step. Reset view puts wheels, trackball and camera back.
TEST_F(ViewTest, WheelsRotateAndZoom)
{
    Open(view_files::Octahedron(dir, "oct.vxq"));
    auto drag = [&](CThumbWheel& w, int by) {
        Pointer p(w);
        const wxPoint c = w.m_rcWheel.GetPosition() + w.m_rcWheel.GetSize() / 2;
        ASSERT_TRUE(p.MoveTo(c.x, c.y));
        ASSERT_TRUE(p.Down());
        const bool vertical = w.m_nKind == 1 || w.m_nKind == 3;
        ASSERT_TRUE(p.MoveTo(c.x + (vertical ? 0 : by), c.y + (vertical ? by : 0)));
        ASSERT_TRUE(p.Up());
    };
    struct Case {
        CThumbWheel* wheel;
        int move, angle;
        CVector3 axis;
    };
    const Case cases[] = {
        {&view->m_wheelX, -5, 4, {-1, 0, 0}},
        {&view->m_wheelY, 5, 4, {0, 1, 0}},
        {&view->m_wheelZ, -10, 8, {0, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wheel->m_strLabel.utf8_string());
        view->OnResetView();
        drag(*c.wheel, c.move);
        EXPECT_EQ(c.wheel->m_nAngle, c.angle);
        EXPECT_EQ(view->m_nLastWheel[c.wheel->m_nKind - 1], c.angle);
        Quaternion want{0, 0, 0, 1};
        AddQuats(want, AxisAngleToQuat(c.axis, float(c.angle) * 0.017453292f));
        EXPECT_TRUE(SameQuat(view->m_transform.m_qCurrent, want));
        ASSERT_TRUE(DrawFrame());
        EXPECT_TRUE(SameQuat(view->m_pModel->m_qOrientation, want));
    }

    drag(view->m_wheelZoom, 10);
    EXPECT_EQ(view->m_nLastWheel[3], 8);
    EXPECT_DOUBLE_EQ(view->m_pRenderer->m_dFovY, 30.0 - 0.2 * 8);
    drag(view->m_wheelZoom, -30);
    EXPECT_EQ(view->m_nLastWheel[3], -16);
    EXPECT_DOUBLE_EQ(view->m_pRenderer->m_dFovY, 30.0 + 0.2 * 16);

    view->OnResetView();
    for (CThumbWheel* w : {&view->m_wheelX, &view->m_wheelY, &view->m_wheelZ, &view->m_wheelZoom})
        EXPECT_EQ(w->m_nAngle, 0);
    EXPECT_EQ(view->m_nLastWheel, (std::array<int, 4>{}));
    EXPECT_TRUE(SameQuat(view->m_transform.m_qCurrent, {0, 0, 0, 1}));
    EXPECT_DOUBLE_EQ(view->m_pRenderer->m_dFovY, 30.0);
}

namespace {
struct ManualClockScope {
    explicit ManualClockScope(CManualClock& c) { SetClock(&c); }
    ~ManualClockScope() { SetClock(nullptr); }
};
} // namespace

// With the frame rate shown, every 10th frame writes "%.2f FPS" on wheel Y
// at (300, 5): 10 frames over 0.5 s read 20.00; the frames between write
// nothing; the next 10 over 2 s read 5.00, with nothing left of 20.00.
TEST_F(ViewTest, FrameRateReadoutEveryTenthFrame)
{
    CManualClock clock;
    ManualClockScope scope(clock);
    view->OnResetView(); // the frame timer starts on the manual clock
    view->m_bShowFps = true;
    const wxRect readout(300, 5, 60, 13);
    CThumbWheel& wheel = view->m_wheelY;
    ASSERT_GT(wheel.GetClientSize().x, readout.GetRight());
    auto text = [&] { return CountDark(GrabWindow(wheel), readout); };

    // The frame count is the program's: find where it stands.
    const float before = view->m_fFps;
    for (int i = 0; i < 10 && view->m_fFps == before; ++i) {
        clock.Advance(0.05);
        ASSERT_TRUE(DrawFrame());
    }
    PaintCounter wheelPaints(wheel);
    ASSERT_TRUE(wheelPaints.PaintNow());
    ASSERT_EQ(text(), 0);
    for (int frame = 1; frame <= 10; ++frame) {
        clock.Advance(0.05);
        ASSERT_TRUE(DrawFrame());
        if (frame < 10) {
            EXPECT_EQ(text(), 0) << frame;
        }
    }
    EXPECT_FLOAT_EQ(view->m_fFps, 20.0f);
    EXPECT_GT(text(), 20);

    // A shorter readout over it shows alone: "5.00 FPS", not "5.00 FPSS".
    for (int frame = 1; frame <= 10; ++frame) {
        clock.Advance(0.2);
        ASSERT_TRUE(DrawFrame());
    }
    EXPECT_FLOAT_EQ(view->m_fFps, 5.0f);
    const wxImage over = GrabWindow(wheel);
    ASSERT_TRUE(wheelPaints.PaintNow());
    wheel.DrawLabel(300, 5, "5.00 FPS");
    const wxImage alone = GrabWindow(wheel);
    EXPECT_EQ(Differing(over, alone, readout), 0);
    view->m_bShowFps = false;
}

// A resize to no width leaves the wheels and the renderer as they were.
TEST_F(ViewTest, ResizeToNothingKeepsWheelsAndRenderer)
{
    const wxRect zoomAt = view->m_wheelZoom.GetRect();
    const int width = view->m_pRenderer->m_nWidth;
    const int height = view->GetClientSize().y;
    view->SetSize(wxSize(0, height));
    ASSERT_TRUE(WaitUntil([&] { return view->GetClientSize().x <= 0; }));
    EXPECT_EQ(view->m_wheelZoom.GetRect(), zoomAt);
    EXPECT_EQ(view->m_pRenderer->m_nWidth, width);
    frame->GetSplitter()->SizeWindows();
    ASSERT_TRUE(WaitUntil([&] { return view->GetClientSize().x == width; }));
    EXPECT_EQ(view->m_wheelZoom.GetRect(), zoomAt);
    EXPECT_EQ(view->m_pRenderer->m_nWidth, width);
}

// Opening a file from fly-through leaves it: render mode 0, the X, Y and Z
// wheels enabled again, continuous redraw back to the frame-rate setting.
TEST_F(ViewTest, OpenLeavesFlyThroughWithTheWheelsEnabled)
{
    view->m_nRenderMode = kRenderFlyThrough;
    view->m_pRenderer->m_nRenderMode = kRenderFlyThrough;
    for (CThumbWheel* w : {&view->m_wheelX, &view->m_wheelY, &view->m_wheelZ})
        w->m_bEnabled = false;
    wxGetApp().m_bContinuousRedraw = true;
    Open(view_files::Octahedron(dir, "oct.vxq"));
    EXPECT_EQ(view->m_nRenderMode, kRenderNormal);
    for (CThumbWheel* w : {&view->m_wheelX, &view->m_wheelY, &view->m_wheelZ, &view->m_wheelZoom})
        EXPECT_TRUE(w->m_bEnabled) << w->m_nKind;
    EXPECT_FALSE(wxGetApp().m_bContinuousRedraw);
}

// In cut-plane mode a right-button pick of a face stops a spin at once;
// releasing the button drops the pick.
TEST_F(ViewTest, RightPickInCutPlaneModeStopsTheSpin)
{
    Open(view_files::Octahedron(dir, "oct.vxq"));
    const wxSize s = view->GetClientSize();
    Pointer p(*view);
    ASSERT_TRUE(p.MoveTo(s.x / 2, s.y / 2));
    ASSERT_TRUE(p.Down());
    ASSERT_TRUE(MoveAndRelease(p, s.x / 2 + 30, s.y / 2));
    ASSERT_EQ(view->m_nSpinTimer, 1u);

    view->m_nRenderMode = kRenderCutPlanes;
    view->m_pRenderer->m_nRenderMode = kRenderCutPlanes;
    ASSERT_TRUE(p.MoveTo(s.x / 2, s.y / 2));
    ASSERT_TRUE(p.Down(wxMOUSE_BTN_RIGHT));
    EXPECT_GE(view->m_nPickedPlane, 0);
    EXPECT_EQ(view->m_nSpinTimer, 0u);
    EXPECT_FALSE(view->m_transform.m_bSpinning);
    EXPECT_TRUE(view->m_bRightButton);
    ASSERT_TRUE(p.Up(wxMOUSE_BTN_RIGHT));
    EXPECT_EQ(view->m_nPickedPlane, -1);
    EXPECT_FALSE(view->m_bRightButton);
}

// In fly-through the buttons only tell the camera forward and back: a left
// drag turns nothing and starts no spin, the last point follows the mouse.
TEST_F(ViewTest, FlyThroughButtonsOnlySetTheCameraFlags)
{
    Open(view_files::Octahedron(dir, "oct.vxq"));
    view->m_nRenderMode = kRenderFlyThrough;
    const wxSize s = view->GetClientSize();
    Pointer p(*view);
    ASSERT_TRUE(p.MoveTo(s.x / 2, s.y / 2));
    ASSERT_TRUE(p.Down());
    EXPECT_TRUE(view->m_bLeftButton);
    EXPECT_FALSE(view->m_transform.m_bDragging);
    ASSERT_TRUE(p.MoveTo(s.x / 2 + 40, s.y / 2));
    EXPECT_EQ(view->m_ptLast, wxPoint(s.x / 2 + 40, s.y / 2));
    ASSERT_TRUE(DrawFrame());
    ASSERT_TRUE(p.Up());
    EXPECT_FALSE(view->m_bLeftButton);
    EXPECT_EQ(view->m_nSpinTimer, 0u);
    EXPECT_TRUE(SameQuat(view->m_pModel->m_qOrientation, {0, 0, 0, 1}));
    ASSERT_TRUE(p.Down(wxMOUSE_BTN_RIGHT));
    EXPECT_TRUE(view->m_bRightButton);
    ASSERT_TRUE(p.Up(wxMOUSE_BTN_RIGHT));
    EXPECT_FALSE(view->m_bRightButton);
    view->m_nRenderMode = kRenderNormal;
}
