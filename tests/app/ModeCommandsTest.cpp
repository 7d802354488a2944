#include <cmath>

#include <wx/aui/auibar.h>
#include <wx/stattext.h>

#include "ModeTestRenderer.h"
#include "ViewFixture.h"
#include "app/LightBox.h"
#include "app/dialogs/CutPlaneDialog.h"
#include "app/dialogs/StereoDlg.h"
#include "app/dialogs/StereoToolsDlg.h"
#include "data/Colour.h"
#include "platform/Clock.h"
#include "support/ManualClock.h"

namespace {
constexpr Rgb kWheelBack{212, 208, 200};
constexpr int kModeIds[5] = {ID_MODE_NORMAL, ID_MODE_MIP, ID_MODE_MPR, ID_MODE_CUTPLANES, ID_MODE_FLYTHROUGH};

bool Showing(wxWindow* window)
{
    for (wxWindow* w : wxTopLevelWindows)
        if (w == window)
            return w->IsShown();
    return false;
}

bool Exists(wxWindow* window)
{
    for (wxWindow* w : wxTopLevelWindows)
        if (w == window)
            return !w->IsBeingDeleted();
    return false;
}

// A wheel as the screen shows it: disabled, it has no ribs and no label.
bool LooksDisabled(CThumbWheel& wheel)
{
    const wxImage shown = GrabWindow(wheel);
    return CountOtherThan(shown, wheel.m_rcWheel, kWheelBack) == 0;
}

struct ClockScope {
    explicit ClockScope(CManualClock& c) { SetClock(&c); }
    ~ClockScope() { SetClock(nullptr); }
};
} // namespace

class ModeTest : public ViewTest {
protected:
    void TearDown() override
    {
        wxGetApp().m_bShowFps = false;
        ViewTest::TearDown();
    }
    // A volume with a stand-in volume renderer of these features.
    CModeTestRenderer* OpenVolume(bool normal = true, bool mip = true)
    {
        Open(view_files::Volume(dir, "v.vxq", 8));
        prompter.asked.clear();
        return UseTestRenderer(*view, normal, mip);
    }
    wxMenuItem& Item(int id) { return *frame->GetMenuBar()->FindItem(id); }
    // What GTK shows of a menu item after the update handlers ran.
    bool Sensitive(int id)
    {
        frame->GetMenuBar()->UpdateMenus();
        return GtkSensitive(Item(id));
    }
    bool Checked(int id)
    {
        frame->GetMenuBar()->UpdateMenus();
        return GtkChecked(Item(id));
    }
    CLightBox& LightBox() { return *frame->GetLightBox(); }
};

// The menu items as GTK shows them for each kind of model and renderer:
// modes, solid and wireframe, colours, stereo, transfer function.
TEST_F(ModeTest, MenuItemsFollowTheModelAndTheRenderer)
{
    struct Case {
        const char* what;
        bool normal, mip, mpr, solid, wire, meshColour, stereo, transfer;
    };
    auto check = [&](const Case& c) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Sensitive(ID_MODE_NORMAL), c.normal);
        EXPECT_EQ(Sensitive(ID_MODE_MIP), c.mip);
        for (int id : {ID_MODE_MPR, ID_MODE_CUTPLANES, ID_MODE_FLYTHROUGH})
            EXPECT_EQ(Sensitive(id), c.mpr) << id;
        EXPECT_EQ(Sensitive(ID_VIEW_SOLID), c.solid);
        EXPECT_EQ(Sensitive(ID_VIEW_WIREFRAME), c.wire);
        EXPECT_EQ(Sensitive(ID_COLOURS_SOLID), c.meshColour);
        EXPECT_EQ(Sensitive(ID_COLOURS_WIREFRAME), c.meshColour);
        EXPECT_EQ(Sensitive(ID_COLOURS_DEFAULTS), c.what != std::string("nothing"));
        EXPECT_EQ(Sensitive(ID_VIEW_STEREO), c.stereo);
        EXPECT_EQ(Sensitive(ID_EDIT_TRANSFER_FUNCTION), c.transfer);
        for (int id : {ID_COLOURS_BACKGROUND, ID_VIEW_SHOW_FPS, ID_EDIT_OPTIONS, ID_VIEW_RESET})
            EXPECT_TRUE(Sensitive(id)) << id;
        // Mode 0 is checked whatever is loaded.
        EXPECT_TRUE(Checked(ID_MODE_NORMAL));
        EXPECT_FALSE(Checked(ID_MODE_MIP));
    };
    check({"nothing", false, false, false, false, false, false, false, false});
    Open(view_files::Octahedron(dir, "m.vxq"));
    check({"a mesh", false, false, false, true, true, true, false, false});
    EXPECT_TRUE(Checked(ID_VIEW_SOLID));
    EXPECT_FALSE(Checked(ID_VIEW_WIREFRAME));
    OpenVolume(true, true);
    check({"a volume", true, true, true, false, false, false, true, true});
    EXPECT_FALSE(Checked(ID_VIEW_SOLID));
    UseTestRenderer(*view, true, false);
    check({"a volume without blend min/max", true, false, true, false, false, false, true, true});
    view->m_pRenderer->m_pRgbaTable.reset();
    check({"a renderer without a lookup table", true, false, true, false, false, false, true, false});
}

// Modes 0 to 3: the view and the renderer take the mode and the renderer is
// told; the menu checks the one chosen. Mode 3 opens the cut-plane window
// with the renderer's rotation and face mask; leaving the mode closes it,
// choosing it again opens a new one.
TEST_F(ModeTest, ModeCommandsSwitchTheRendererAndTheCutPlaneWindow)
{
    CModeTestRenderer* renderer = OpenVolume();
    renderer->m_nPlaneRotation = 90;
    renderer->m_nFaceMask = 0x15;
    const int order[] = {kRenderMip, kRenderMpr, kRenderCutPlanes, kRenderNormal, kRenderCutPlanes, kRenderCutPlanes,
                         kRenderMip};
    std::vector<int> told;
    for (int mode : order) {
        SCOPED_TRACE(mode);
        wxWindow* before = view->m_pCutPlaneDlg;
        Command(kModeIds[mode]);
        told.push_back(mode);
        EXPECT_EQ(view->m_nRenderMode, mode);
        EXPECT_EQ(renderer->m_nRenderMode, mode);
        EXPECT_EQ(renderer->modes, told);
        for (int m = 0; m < 5; ++m)
            EXPECT_EQ(Checked(kModeIds[m]), m == mode) << m;
        if (before) {
            EXPECT_FALSE(Showing(before));
            EXPECT_TRUE(WaitUntil([&] { return !Exists(before); })) << "the old cut-plane window is gone";
        }
        if (mode == kRenderCutPlanes) {
            auto* dlg = dynamic_cast<CCutPlaneDialog*>(view->m_pCutPlaneDlg);
            ASSERT_NE(dlg, nullptr);
            EXPECT_TRUE(Showing(dlg));
            EXPECT_EQ(GtkWindowTitle(*dlg), "Adjust cut planes");
            EXPECT_EQ(dlg->m_nRotation, 90);
            EXPECT_EQ(dlg->m_nFaceMask, 0x15);
            EXPECT_EQ(dlg->GetParent(), view);
        } else {
            EXPECT_EQ(view->m_pCutPlaneDlg, nullptr);
        }
    }
}

// Fly-through: wheels X, Y and Z disabled (as the screen shows them) with
// the zoom wheel left alone, the trackball stopped, the frame-rate readout
// off, continuous redraw on, no joystick question without a joystick, and
// the first step timed from the moment the mode began. Choosing it again
// does nothing. Leaving it undoes each step and puts the camera back.
TEST_F(ModeTest, FlyThroughEntryAndExit)
{
    CManualClock clock;
    ClockScope scope(clock);
    CModeTestRenderer* renderer = OpenVolume();
    Command(ID_VIEW_SHOW_FPS);
    ASSERT_TRUE(view->m_bShowFps);
    view->m_transform.RotateY(0.5f);
    view->m_timer.GetElapsed();
    clock.Advance(300.0); // a long pause before the flight

    Command(ID_MODE_FLYTHROUGH);
    EXPECT_EQ(view->m_nRenderMode, kRenderFlyThrough);
    EXPECT_EQ(renderer->m_nRenderMode, kRenderFlyThrough);
    EXPECT_EQ(renderer->modes, std::vector<int>{kRenderFlyThrough});
    for (CThumbWheel* w : {&view->m_wheelX, &view->m_wheelY, &view->m_wheelZ}) {
        EXPECT_FALSE(w->m_bEnabled) << w->m_nKind;
        EXPECT_TRUE(WaitUntil([&] { return LooksDisabled(*w); })) << w->m_nKind;
    }
    EXPECT_TRUE(view->m_wheelZoom.m_bEnabled);
    EXPECT_FALSE(LooksDisabled(view->m_wheelZoom));
    EXPECT_EQ(view->m_transform.m_qCurrent.w, 1.0f);
    EXPECT_FALSE(view->m_bShowFps);
    EXPECT_FALSE(wxGetApp().m_bShowFps);
    EXPECT_FALSE(Checked(ID_VIEW_SHOW_FPS));
    EXPECT_TRUE(wxGetApp().m_bContinuousRedraw);
    EXPECT_TRUE(prompter.asked.empty());
    EXPECT_TRUE(Checked(ID_MODE_FLYTHROUGH));
    clock.Advance(0.25);
    EXPECT_FLOAT_EQ(view->m_timer.GetElapsed(), 0.25f);

    Command(ID_MODE_FLYTHROUGH);
    EXPECT_EQ(renderer->modes, std::vector<int>{kRenderFlyThrough});

    // The frame rate shown during the flight keeps the frames coming; hiding
    // it again does not stop the flight.
    Command(ID_VIEW_SHOW_FPS);
    Command(ID_VIEW_SHOW_FPS);
    EXPECT_TRUE(wxGetApp().m_bContinuousRedraw);

    renderer->m_CameraLookAt.eye = {1, 2, 3};
    PaintCounter lightBoxPaints(LightBox());
    Command(ID_MODE_NORMAL);
    EXPECT_EQ(view->m_nRenderMode, kRenderNormal);
    for (CThumbWheel* w : {&view->m_wheelX, &view->m_wheelY, &view->m_wheelZ}) {
        EXPECT_TRUE(w->m_bEnabled) << w->m_nKind;
        EXPECT_TRUE(WaitUntil([&] { return !LooksDisabled(*w); })) << w->m_nKind;
    }
    EXPECT_EQ(view->m_pFlyThrough, nullptr);
    EXPECT_FALSE(wxGetApp().m_bContinuousRedraw);
    EXPECT_EQ(renderer->m_CameraLookAt.eye, (CVector3{0, 0, float(1.75 * renderer->m_fRadius)}));
    EXPECT_TRUE(WaitUntil([&] { return lightBoxPaints.count > 0; }));

    // Left with the frame rate shown, the readout keeps its frames.
    Command(ID_MODE_FLYTHROUGH);
    Command(ID_VIEW_SHOW_FPS);
    Command(ID_MODE_MPR);
    EXPECT_TRUE(view->m_bShowFps);
    EXPECT_TRUE(wxGetApp().m_bContinuousRedraw);
    Command(ID_VIEW_SHOW_FPS);
    EXPECT_FALSE(wxGetApp().m_bContinuousRedraw);
}

// In fly-through the light box marks the eye with its viewing direction:
// the reset camera looks along -z, into the z slice (an X there) and to the
// left of the x slice (an arrow).
TEST_F(ModeTest, FlyThroughMarksTheEyeInTheLightBox)
{
    OpenVolume();
    Command(ID_MODE_FLYTHROUGH);
    CLightBox& box = LightBox();
    box.DrawSliceViews(false);
    EXPECT_EQ(box.m_vViewDir.x, 0.0f);
    EXPECT_EQ(box.m_vViewDir.y, 0.0f);
    EXPECT_NEAR(box.m_vViewDir.z, -25.0f, 1e-4f);
    const CRgbPicture& zPane = box.m_picture[2];
    const int x = MarkerCoordinate(box.m_rcImage[2].left, box.m_rcImage[2].Width(), box.m_nSliceX, box.m_nDimX);
    const int y = MarkerCoordinate(box.m_rcImage[2].top, box.m_rcImage[2].Height(), box.m_nSliceY, box.m_nDimY);
    for (int d = -9; d <= 10; ++d) {
        EXPECT_EQ(zPane.At(x + d, y + d), kMarkerRed) << d;
        EXPECT_EQ(zPane.At(x + d, y - d), kMarkerRed) << d;
    }
    const CRgbPicture& xPane = box.m_picture[0];
    const int ax = MarkerCoordinate(box.m_rcImage[0].left, box.m_rcImage[0].Width(), box.m_nSliceZ, box.m_nDimZ);
    const int ay = MarkerCoordinate(box.m_rcImage[0].top, box.m_rcImage[0].Height(), box.m_nSliceY, box.m_nDimY);
    EXPECT_EQ(xPane.At(ax - 30, ay), kMarkerRed); // the arrowhead's tip
    EXPECT_EQ(xPane.At(ax - 25, ay - 5), kMarkerRed);
    EXPECT_EQ(xPane.At(ax - 25, ay + 5), kMarkerRed);
    EXPECT_NE(xPane.At(ax + 15, ay), kMarkerRed); // nothing to the right

    Command(ID_MODE_NORMAL);
    box.DrawSliceViews(false);
    EXPECT_NE(zPane.At(x + 9, y + 9), kMarkerRed) << "the X is gone";
    EXPECT_EQ(zPane.At(x + 20, y), kMarkerRed) << "the cross-hair is back";
}

// The stereo command opens the stereo window and its attributes together,
// with the focal length 1.5 times the near plane and the eye separation a
// thirtieth of it; fly-through resets the base to the near plane itself;
// the command again, or the stereo window's close box, closes both.
TEST_F(ModeTest, StereoWindowsOpenAndCloseTogether)
{
    CModeTestRenderer* renderer = OpenVolume();
    renderer->m_dNear = 4.0;
    Command(ID_VIEW_STEREO);
    auto* stereo = dynamic_cast<CStereoDlg*>(view->m_pStereoDlg);
    auto* tools = dynamic_cast<CStereoToolsDlg*>(view->m_pStereoToolsDlg);
    ASSERT_NE(stereo, nullptr);
    ASSERT_NE(tools, nullptr);
    EXPECT_TRUE(view->m_bStereo);
    EXPECT_TRUE(Checked(ID_VIEW_STEREO));
    EXPECT_TRUE(Showing(stereo));
    EXPECT_TRUE(Showing(tools));
    EXPECT_EQ(GtkWindowTitle(*stereo), "Vexilo - Stereo Window");
    EXPECT_EQ(GtkWindowTitle(*tools), "Stereo Attributes");
    EXPECT_FLOAT_EQ(view->m_fFocalLength, 6.0f);
    EXPECT_FLOAT_EQ(view->m_fStereoFocal, 6.0f);
    EXPECT_FLOAT_EQ(view->m_fEyeSeparation, 6.0f * 0.033333335f);
    EXPECT_FLOAT_EQ(view->m_fStereoSeparation, 6.0f * 0.033333335f);
    EXPECT_EQ(stereo->m_pRenderer, renderer);
    EXPECT_EQ(stereo->m_pModel, view->m_pModel);
    EXPECT_EQ(stereo->m_pView, view);
    EXPECT_DOUBLE_EQ(stereo->m_dFocalLength, 6.0);

    // Entering fly-through: the base focal length is the near plane (the
    // camera's, once it has set its perspective) times 1.0.
    Command(ID_MODE_FLYTHROUGH);
    const float nearPlane = float(view->m_pRenderer->m_dNear);
    EXPECT_FLOAT_EQ(nearPlane, 1.0f) << "the camera's near plane";
    EXPECT_FLOAT_EQ(view->m_fFocalLength, nearPlane);
    EXPECT_FLOAT_EQ(view->m_fStereoFocal, nearPlane);
    EXPECT_FLOAT_EQ(view->m_fEyeSeparation, nearPlane * 0.033333335f);
    EXPECT_NEAR(stereo->m_dFocalLength, nearPlane, 1e-6);
    Command(ID_MODE_NORMAL);

    Command(ID_VIEW_STEREO);
    EXPECT_FALSE(view->m_bStereo);
    EXPECT_EQ(view->m_pStereoDlg, nullptr);
    EXPECT_EQ(view->m_pStereoToolsDlg, nullptr);
    EXPECT_FALSE(Checked(ID_VIEW_STEREO));
    EXPECT_FALSE(Showing(stereo));
    EXPECT_FALSE(Showing(tools));
    EXPECT_TRUE(WaitUntil([&] { return !Exists(stereo) && !Exists(tools); }));

    Command(ID_VIEW_STEREO);
    stereo = dynamic_cast<CStereoDlg*>(view->m_pStereoDlg);
    tools = dynamic_cast<CStereoToolsDlg*>(view->m_pStereoToolsDlg);
    ASSERT_NE(stereo, nullptr);
    stereo->Close();
    EXPECT_FALSE(view->m_bStereo);
    EXPECT_EQ(view->m_pStereoDlg, nullptr);
    EXPECT_EQ(view->m_pStereoToolsDlg, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return !Exists(stereo) && !Exists(tools); }));
}

// Colour choosers start from the current colour; OK stores it (the mesh's
// float form too), Cancel keeps it, and the view is drawn again either way.
// Reset to defaults gives the mesh its two colours and the background black;
// with a volume only the background.
TEST_F(ModeTest, ColoursChosenAndReset)
{
    Open(view_files::Octahedron(dir, "m.vxq"));
    auto* mesh = dynamic_cast<CMesh*>(view->m_pModel);
    ASSERT_NE(mesh, nullptr);
    struct Case {
        int id;
        COLORREF* field;
        CVector3* floats;
    };
    const Case cases[] = {
        {ID_COLOURS_BACKGROUND, &view->m_crBackground, nullptr},
        {ID_COLOURS_SOLID, &mesh->m_crSolid, &mesh->m_vSolidColour},
        {ID_COLOURS_WIREFRAME, &mesh->m_crWire, &mesh->m_vWireColour},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const COLORREF before = *c.field;
        prompter.colourStarts.clear();
        PaintCounter painted(*view);
        Command(c.id); // cancelled
        EXPECT_EQ(prompter.colourStarts, std::vector<COLORREF>{before});
        EXPECT_EQ(*c.field, before);
        EXPECT_TRUE(WaitUntil([&] { return painted.count > 0; }));

        prompter.colours = {0x00336699};
        Command(c.id);
        EXPECT_EQ(*c.field, 0x00336699u);
        if (c.floats) {
            CVector3 want;
            ColorRefToRGB(0x00336699, want);
            EXPECT_EQ(*c.floats, want);
        }
    }
    // The chosen background is what the canvas shows.
    EXPECT_EQ(PixelAt(Canvas(), 30, 30), (Rgb{0x99, 0x66, 0x33}));

    Command(ID_COLOURS_DEFAULTS);
    EXPECT_EQ(mesh->m_crSolid, 0x02661FB3u);
    EXPECT_EQ(mesh->m_crWire, 0x02CCCCCCu);
    CVector3 solid, wire;
    ColorRefToRGB(0x02661FB3, solid);
    ColorRefToRGB(0x02CCCCCC, wire);
    EXPECT_EQ(mesh->m_vSolidColour, solid);
    EXPECT_EQ(mesh->m_vWireColour, wire);
    EXPECT_EQ(view->m_crBackground, 0u);
    EXPECT_EQ(PixelAt(Canvas(), 30, 30), (Rgb{0, 0, 0}));

    OpenVolume();
    view->m_crBackground = 0x00FF0000;
    Command(ID_COLOURS_DEFAULTS);
    EXPECT_EQ(view->m_crBackground, 0u);
}

// Solid and wireframe set the mesh's flag, checked in the menu and seen on
// the canvas: the wireframe leaves most of the solid's pixels background.
TEST_F(ModeTest, SolidAndWireframe)
{
    Open(view_files::Octahedron(dir, "m.vxq"));
    auto* mesh = dynamic_cast<CMesh*>(view->m_pModel);
    const int solidPixels = CountOtherThan(Canvas(), Inside(), Rgb{0, 0, 0});
    Command(ID_VIEW_WIREFRAME);
    EXPECT_FALSE(mesh->m_bSolid);
    EXPECT_TRUE(Checked(ID_VIEW_WIREFRAME));
    EXPECT_FALSE(Checked(ID_VIEW_SOLID));
    const int wirePixels = CountOtherThan(Canvas(), Inside(), Rgb{0, 0, 0});
    EXPECT_GT(wirePixels, 100);
    EXPECT_LT(wirePixels * 3, solidPixels);
    Command(ID_VIEW_SOLID);
    EXPECT_TRUE(mesh->m_bSolid);
    EXPECT_TRUE(Checked(ID_VIEW_SOLID));
    EXPECT_EQ(CountOtherThan(Canvas(), Inside(), Rgb{0, 0, 0}), solidPixels);
}

// Show FPS toggles the view's and the program's flags and continuous
// redraw, checked in the menu; turning it off repaints wheel Y, which
// removes the readout.
TEST_F(ModeTest, ShowFpsToggles)
{
    Command(ID_VIEW_SHOW_FPS);
    EXPECT_TRUE(view->m_bShowFps);
    EXPECT_TRUE(wxGetApp().m_bShowFps);
    EXPECT_TRUE(wxGetApp().m_bContinuousRedraw);
    EXPECT_TRUE(Checked(ID_VIEW_SHOW_FPS));
    view->m_wheelY.DrawLabel(300, 5, "12.34 FPS");
    const wxRect readout(300, 5, 60, 13);
    ASSERT_GT(CountDark(GrabWindow(view->m_wheelY), readout), 10);
    Command(ID_VIEW_SHOW_FPS);
    EXPECT_FALSE(view->m_bShowFps);
    EXPECT_FALSE(wxGetApp().m_bShowFps);
    EXPECT_FALSE(wxGetApp().m_bContinuousRedraw);
    EXPECT_FALSE(Checked(ID_VIEW_SHOW_FPS));
    EXPECT_TRUE(WaitUntil([&] { return CountDark(GrabWindow(view->m_wheelY), readout) == 0; }));
}

// The transfer-function editor: one at a time, a new one replacing the old,
// owned by the view and shown with its caption.
TEST_F(ModeTest, TransferFunctionEditorOneAtATime)
{
    OpenVolume();
    Command(ID_EDIT_TRANSFER_FUNCTION);
    wxWindow* first = view->m_pXfrDlg;
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(Showing(first));
    EXPECT_EQ(first->GetParent(), view);
    EXPECT_EQ(GtkWindowTitle(*first), "Amend Transfer Function");
    Command(ID_EDIT_TRANSFER_FUNCTION);
    EXPECT_NE(view->m_pXfrDlg, nullptr);
    EXPECT_NE(view->m_pXfrDlg, first);
    EXPECT_TRUE(WaitUntil([&] { return !Exists(first); }));
    wxWindow* second = view->m_pXfrDlg;
    Open(view_files::Octahedron(dir, "m.vxq"));
    EXPECT_EQ(view->m_pXfrDlg, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return !Exists(second); }));
}

// Options: the modal sheet "Vexilo Options"; OK applies the settings to the
// model, the renderer and the light box, Cancel changes nothing.
TEST_F(ModeTest, OptionsSheetAppliesOnOk)
{
    CModeTestRenderer* renderer = OpenVolume();
    std::string title;
    int answer = wxID_CANCEL;
    DialogAnswerer answerer([&](wxDialog* dlg) {
        title = GtkWindowTitle(*dlg);
        return answer;
    });
    Command(ID_EDIT_OPTIONS);
    EXPECT_EQ(answerer.shown, 1);
    EXPECT_EQ(title, "Vexilo Options");
    EXPECT_EQ(renderer->optionChanges, 0);
    const int frames = renderer->frames;
    answer = wxID_OK;
    Command(ID_EDIT_OPTIONS);
    EXPECT_EQ(renderer->optionChanges, 1);
    EXPECT_GT(renderer->frames, frames) << "redrawn at once";
    EXPECT_EQ(LightBox().m_pRenderer, renderer);
}

namespace {
// The pixels of a toolbar button as the screen shows them.
std::vector<Rgb> ToolPixels(wxAuiToolBar& bar, int id)
{
    // The toolbar asks its update handlers when idle.
    bar.UpdateWindowUI(wxUPDATE_UI_FROMIDLE);
    bar.Update();
    const wxImage shown = GrabWindow(bar);
    const wxRect r = bar.GetToolRect(id);
    std::vector<Rgb> out;
    for (int y = r.GetTop(); y <= r.GetBottom(); ++y)
        for (int x = r.GetLeft(); x <= r.GetRight(); ++x)
            out.push_back(PixelAt(shown, x, y));
    return out;
}

int Differing(const std::vector<Rgb>& a, const std::vector<Rgb>& b)
{
    int n = a.size() == b.size() ? 0 : 1000000;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        n += !(a[i] == b[i]);
    return n;
}
} // namespace

// The five mode buttons: the one of the current mode is drawn pressed, the
// others not, and a click on a button switches the mode.
TEST_F(ModeTest, ModeToolbarButtonsCheckAndUncheck)
{
    OpenVolume();
    wxAuiToolBar& bar = *frame->GetToolBarWindow();
    // No button under the pointer: a hovered one looks different.
    Pointer away(*view);
    ASSERT_TRUE(away.MoveTo(view->GetClientSize().x / 2, view->GetClientSize().y / 2));
    auto choose = [&](int mode) {
        Command(kModeIds[mode]);
        // Without a window manager the cut-plane window would sit on the
        // toolbar.
        if (view->m_pCutPlaneDlg)
            view->m_pCutPlaneDlg->Hide();
    };
    std::vector<std::vector<Rgb>> up(5), down(5);
    for (int mode = 0; mode < 5; ++mode) {
        choose(mode == 2 ? 1 : 2);
        up[mode] = ToolPixels(bar, kModeIds[mode]);
    }
    for (int mode = 0; mode < 5; ++mode) {
        SCOPED_TRACE(mode);
        choose(mode);
        for (int other = 0; other < 5; ++other) {
            const std::vector<Rgb> shown = ToolPixels(bar, kModeIds[other]);
            if (other == mode) {
                EXPECT_GT(Differing(shown, up[other]), 20) << "pressed";
                down[mode] = shown;
            } else {
                EXPECT_EQ(Differing(shown, up[other]), 0) << other << " released";
            }
        }
    }
    // A click on the MIP button: MIP shows pressed, normal released.
    choose(kRenderNormal);
    const wxRect r = bar.GetToolRect(ID_MODE_MIP);
    Pointer p(bar);
    ASSERT_TRUE(p.MoveTo(r.x + r.width / 2, r.y + r.height / 2));
    ASSERT_TRUE(p.Down());
    ASSERT_TRUE(p.Up());
    EXPECT_EQ(view->m_nRenderMode, kRenderMip);
    EXPECT_EQ(Differing(ToolPixels(bar, ID_MODE_NORMAL), up[kRenderNormal]), 0);
    EXPECT_GT(Differing(ToolPixels(bar, ID_MODE_MIP), up[kRenderMip]), 20);
}

// In MPR mode a right-button drag of a plane in the 3D view moves the
// current point, and the light box follows: its bar and its position text as
// GTK shows them.
TEST_F(ModeTest, LightBoxFollowsAnMprDragInTheView)
{
    OpenVolume();
    Command(ID_MODE_MPR);
    CLightBox& box = LightBox();
    auto* volume = dynamic_cast<CVolume*>(view->m_pModel);
    ASSERT_NE(volume, nullptr);
    ASSERT_TRUE(PaintCounter(box).PaintNow());
    ASSERT_TRUE(DrawFrame());
    const int z = volume->m_nSliceZ;
    EXPECT_EQ(GtkLabelText(*box.m_txtPosition), "X = 4, Y = 4, Z = 4");

    // The z plane faces the camera; the x and y planes are edge-on.
    const wxSize s = view->GetClientSize();
    Pointer p(*view);
    ASSERT_TRUE(p.MoveTo(s.x / 2 + 25, s.y / 2 + 25));
    ASSERT_TRUE(p.Down(wxMOUSE_BTN_RIGHT));
    ASSERT_EQ(view->m_nPickedPlane, 2);
    ASSERT_TRUE(p.MoveTo(s.x / 2 + 35, s.y / 2 + 25));
    ASSERT_TRUE(p.Up(wxMOUSE_BTN_RIGHT));
    EXPECT_EQ(volume->m_nSliceZ, z + 1);
    EXPECT_EQ(box.m_sbZ->GetThumbPosition(), z + 1);
    EXPECT_EQ(GtkRangeValue(*box.m_sbZ), double(z + 1));
    EXPECT_EQ(GtkLabelText(*box.m_txtPosition), "X = 4, Y = 4, Z = 5");
}

// A click in the light box moves the current point, and in MPR mode the view
// draws the new planes at once.
TEST_F(ModeTest, ViewFollowsAClickInTheLightBoxInMpr)
{
    CModeTestRenderer* renderer = OpenVolume();
    CLightBox& box = LightBox();
    auto* volume = dynamic_cast<CVolume*>(view->m_pModel);
    Command(ID_MODE_MPR);
    ASSERT_TRUE(PaintCounter(box).PaintNow());
    const PixelRect image = box.m_rcImage[2]; // the z slice: x across, y down
    Pointer p(box);
    const wxPoint at = box.CalcScrolledPosition(wxPoint(image.left + image.Width() / 8, image.bottom - 1));
    ASSERT_TRUE(p.MoveTo(at.x, at.y));
    ASSERT_TRUE(p.Down());
    ASSERT_TRUE(p.Up());
    EXPECT_EQ(volume->m_nSliceX, 1);
    EXPECT_EQ(volume->m_nSliceY, 7);
    EXPECT_EQ(volume->m_nSliceZ, 4);
    EXPECT_EQ(volume->m_vEntry, box.SliceToWorld(1, 7, 4));

    // The frame comes within the click's own handling, in MPR mode only.
    for (int mode : {kRenderMpr, kRenderNormal, kRenderMip}) {
        Command(kModeIds[mode]);
        const int frames = renderer->frames;
        int pane = 0;
        ASSERT_TRUE(box.HitTest(image.left + 60, image.top + 30, pane));
        EXPECT_EQ(pane, 3);
        EXPECT_EQ(renderer->frames, frames + (mode == kRenderMpr ? 1 : 0)) << mode;
    }
}
