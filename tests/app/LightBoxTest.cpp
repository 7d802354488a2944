#include <functional>

#include <wx/stattext.h>
#include <wx/uiaction.h>

#include "ModeTestRenderer.h"
#include "ViewFixture.h"
#include "app/LightBox.h"
#include "app/ScrollBarNoKbd.h"
#include "data/AppSettings.h"

namespace {
// A patterned 8-bit volume as a native file: every voxel a distinct grey.
std::string VolumeFile(const TempDir& dir, const std::string& name, int dx, int dy, int dz, float sx, float sy,
                       float sz)
{
    auto volume = MakePatterned<CNativeVolume>(dx, dy, dz, 8);
    volume->SetVoxelSize(sx, sy, sz);
    const std::string path = dir.File(name);
    EXPECT_TRUE(volume->Save(path));
    return path;
}

RgbColour Grey(std::uint16_t v) { return {std::uint8_t(v), std::uint8_t(v), std::uint8_t(v)}; }
} // namespace

class LightBoxTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        box = frame->GetLightBox();
        ASSERT_NE(box, nullptr);
    }
    void TearDown() override
    {
        CAppSettings::GetInstance()->m_bLightBoxXfr = true;
        ViewTest::TearDown();
    }
    CVolume* OpenVolume(int dx, int dy, int dz, float sx = 1, float sy = 1, float sz = 1)
    {
        Open(VolumeFile(dir, "v.vxq", dx, dy, dz, sx, sy, sz));
        prompter.asked.clear();
        return dynamic_cast<CVolume*>(view->m_pModel);
    }
    bool Paint() { return PaintCounter(*box).PaintNow(); }
    std::string Position() { return GtkLabelText(*box->m_txtPosition); }

    // The screen shows each pane's picture byte for byte.
    void ExpectScreenShowsThePictures()
    {
        const wxImage shown = GrabWindow(*box);
        for (int i = 0; i < 3; ++i) {
            const CRgbPicture& p = box->m_picture[i];
            const PixelRect& r = p.Area();
            const wxPoint at = box->CalcScrolledPosition(wxPoint(r.left, r.top));
            int differing = 0;
            for (int y = 0; y < r.Height(); ++y)
                for (int x = 0; x < r.Width(); ++x) {
                    const RgbColour want = p.At(r.left + x, r.top + y);
                    differing += !(PixelAt(shown, at.x + x, at.y + y) == Rgb{want.r, want.g, want.b});
                }
            EXPECT_EQ(differing, 0) << "pane " << i + 1;
        }
    }
    // Every pixel of each pane's image but the marker's and the letters' is
    // the voxel under it, read straight from the volume; returns how many
    // were compared. `colour` maps a voxel value to what the pane shows.
    template <class Colour> int ExpectImagesShowTheVoxels(CVolume& v, Colour colour)
    {
        int compared = 0;
        for (int i = 0; i < 3; ++i) {
            const LightBoxPaneAxes& axes = kLightBoxPanes[i];
            const int dims[3] = {v.m_nDimX, v.m_nDimY, v.m_nDimZ};
            const PixelRect& r = box->m_rcImage[i];
            int wrong = 0;
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x) {
                    const RgbColour shown = box->m_picture[i].At(x, y);
                    if (shown == kMarkerRed || shown == kLetterYellow || shown == kLightBoxBlack)
                        continue;
                    int at[3] = {box->m_nSliceX, box->m_nSliceY, box->m_nSliceZ};
                    at[axes.across] = PixelToVoxel(x - r.left, r.Width(), dims[axes.across]);
                    at[axes.down] = PixelToVoxel(y - r.top, r.Height(), dims[axes.down]);
                    wrong += !(shown == colour(v.GetVoxel(at[0], at[1], at[2])));
                    ++compared;
                }
            EXPECT_EQ(wrong, 0) << "pane " << i + 1;
        }
        return compared;
    }

    CLightBox* box = nullptr;
};

// The form: the position text, the three bars and their labels where the
// template puts them, each pane 192 pixels square just above its bar.
TEST_F(LightBoxTest, FormLayout)
{
    ASSERT_TRUE(Paint());
    ASSERT_NE(box->m_sbX, nullptr);
    ASSERT_NE(box->m_sbY, nullptr);
    ASSERT_NE(box->m_sbZ, nullptr);
    const wxPoint origin = box->CalcScrolledPosition(wxPoint(0, 0));
    CScrollBarNoKbd* bars[3] = {box->m_sbX, box->m_sbY, box->m_sbZ};
    const int barTops[3] = {245, 483, 717};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(bars[i]->GetPosition() - origin, wxPoint(11, barTops[i])) << i;
        EXPECT_EQ(bars[i]->GetSize().x, 192) << i;
        EXPECT_EQ(box->m_rcPane[i], (PixelRect{11, barTops[i] - 194, 203, barTops[i] - 2})) << i;
        EXPECT_EQ(box->m_rcLabel[i], box->m_rcPane[i].Shrunk(2)) << i;
        EXPECT_FALSE(bars[i]->GetRect().Intersects(wxRect(box->m_rcPane[i].left + origin.x,
                                                          box->m_rcPane[i].top + origin.y, 192, 192)));
    }
    EXPECT_EQ(box->m_txtPosition->GetPosition() - origin, wxPoint(11, 31));
    EXPECT_LT(box->m_txtPosition->GetRect().GetBottom() - origin.y, box->m_rcPane[0].top);
    std::vector<std::string> labels;
    for (wxWindow* child : box->GetChildren())
        if (auto* text = dynamic_cast<wxStaticText*>(child); text && text != box->m_txtPosition)
            labels.push_back(GtkLabelText(*text));
    EXPECT_EQ(labels, (std::vector<std::string>{"Slider selects X slice", "Slider selects Y slice",
                                                "Slider selects Z slice"}));
    // Nothing loaded: black panes with their letters and the position text.
    EXPECT_EQ(Position(), "X = 0, Y = 0, Z = 0");
    ExpectScreenShowsThePictures();
}

// A volume: bars over 0 .. dim - 1 at the middle slice, the first paint
// makes that the current point; the panes fit the slices by their physical
// lengths and show exactly the voxels, grey, with the cross-hair at the
// point; the screen shows the pictures byte for byte.
TEST_F(LightBoxTest, ShowsTheSlicesOfAVolume)
{
    CVolume* volume = OpenVolume(8, 6, 4, 1, 1, 2);
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(box->m_pVolume, volume);
    ASSERT_TRUE(Paint());
    const int dims[3] = {8, 6, 4};
    CScrollBarNoKbd* bars[3] = {box->m_sbX, box->m_sbY, box->m_sbZ};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(bars[i]->GetRange() - bars[i]->GetThumbSize(), dims[i] - 1) << i;
        EXPECT_EQ(bars[i]->GetThumbPosition(), dims[i] / 2) << i;
        EXPECT_EQ(GtkRangeValue(*bars[i]), double(dims[i] / 2)) << i;
    }
    EXPECT_EQ(Position(), "X = 4, Y = 3, Z = 2");
    EXPECT_EQ(volume->m_nSliceX, 4);
    EXPECT_EQ(volume->m_nSliceY, 3);
    EXPECT_EQ(volume->m_nSliceZ, 2);
    EXPECT_EQ(volume->m_vEntry, (CVector3{0, -1, 0}));
    EXPECT_EQ(box->m_nExtentZ, 8);
    EXPECT_EQ(box->m_fHalfY, 3.0f);

    // x slice: z (8 long) across, y (6) down; y slice: x and z, both 8; z
    // slice: x across, y down.
    EXPECT_EQ(box->m_rcImage[0], (PixelRect{11, 51 + 24, 203, 51 + 24 + 144}));
    EXPECT_EQ(box->m_rcImage[1], box->m_rcPane[1]);
    EXPECT_EQ(box->m_rcImage[2], (PixelRect{11, 523 + 24, 203, 523 + 24 + 144}));
    const int compared = ExpectImagesShowTheVoxels(*volume, Grey);
    EXPECT_GT(compared, 3 * 192 * 144 * 9 / 10);
    // The cross-hair of the point in the z slice.
    EXPECT_EQ(box->m_picture[2].At(11 + 96, 547 + 72 + 10), kMarkerRed);
    EXPECT_EQ(box->m_picture[2].At(11 + 96 + 10, 547 + 72), kMarkerRed);
    ExpectScreenShowsThePictures();

    // A new voxel size: the extents again, and z (now 4 long) fits across
    // the x slice's pane by y (6).
    volume->SetVoxelSize(1, 1, 1);
    box->Refresh();
    EXPECT_EQ(box->m_nExtentZ, 4);
    EXPECT_EQ(box->m_fHalfZ, 2.0f);
    EXPECT_EQ(box->m_rcImage[0], (PixelRect{11 + 32, 51, 11 + 32 + 128, 243}));
    EXPECT_GT(ExpectImagesShowTheVoxels(*volume, Grey), 1000);
    ExpectScreenShowsThePictures();
}

// With the light-box colouring on, the slices take the renderer's palette
// and follow it when it changes; with it off a palette change draws
// nothing and the slices are grey.
TEST_F(LightBoxTest, ColouredByTheRenderersPalette)
{
    CVolume* volume = OpenVolume(8, 6, 4);
    UseTestRenderer(*view);
    BgrPalette& palette = *view->m_pRenderer->m_pBgrPalette;
    for (int i = 0; i < 256; ++i) {
        palette[std::size_t(3 * i)] = std::uint8_t(i);
        palette[std::size_t(3 * i + 1)] = 0;
        palette[std::size_t(3 * i + 2)] = std::uint8_t(255 - i);
    }
    box->OnPaletteChanged();
    EXPECT_GT(ExpectImagesShowTheVoxels(*volume, [](std::uint16_t v) { return RgbColour{std::uint8_t(255 - v), 0, std::uint8_t(v)}; }),
              1000);
    ExpectScreenShowsThePictures();

    CAppSettings::GetInstance()->m_bLightBoxXfr = false;
    const std::vector<std::uint8_t> before = box->m_picture[2].Bytes();
    palette.fill(7);
    box->OnPaletteChanged();
    EXPECT_EQ(box->m_picture[2].Bytes(), before);
    box->Refresh();
    EXPECT_GT(ExpectImagesShowTheVoxels(*volume, Grey), 1000);
}

// A click in an image moves the bars of the two axes it shows to the voxel
// under it; a drag follows the mouse and past the image's edge keeps its
// last row and column; a click beside the image does nothing.
TEST_F(LightBoxTest, ClicksAndDragsMoveTheOtherSlices)
{
    CVolume* volume = OpenVolume(8, 6, 4, 1, 1, 2);
    ASSERT_TRUE(Paint());
    Pointer p(*box);
    auto screen = [&](int x, int y) { return box->CalcScrolledPosition(wxPoint(x, y)); };
    // The x slice: z across (4 voxels in 192 pixels), y down (6 in 144).
    const PixelRect xImage = box->m_rcImage[0];
    wxPoint at = screen(xImage.left + 100, xImage.top + 30);
    ASSERT_TRUE(p.MoveTo(at.x, at.y));
    ASSERT_TRUE(p.Down());
    EXPECT_TRUE(box->HasCapture());
    ASSERT_TRUE(p.Up());
    EXPECT_FALSE(box->HasCapture());
    EXPECT_EQ(Position(), "X = 4, Y = 1, Z = 2");
    EXPECT_EQ(volume->m_nSliceY, 1);
    EXPECT_EQ(box->m_sbY->GetThumbPosition(), 1);
    EXPECT_EQ(GtkRangeValue(*box->m_sbY), 1.0);

    // Drag in the z slice from its middle out past the bottom-right corner.
    // Leaving the window may bring a motion of its own, so each step waits
    // for what it shows.
    auto shows = [&](const std::string& text) { return WaitUntil([&] { return Position() == text; }); };
    const PixelRect zImage = box->m_rcImage[2];
    at = screen(zImage.left + 96, zImage.top + 72);
    ASSERT_TRUE(p.MoveTo(at.x, at.y));
    ASSERT_TRUE(p.Down());
    EXPECT_EQ(Position(), "X = 4, Y = 3, Z = 2");
    at = screen(zImage.left + 10, zImage.top + 10);
    ASSERT_TRUE(p.MoveTo(at.x, at.y));
    EXPECT_TRUE(shows("X = 0, Y = 0, Z = 2"));
    at = screen(zImage.right + 30, zImage.bottom + 40);
    ASSERT_TRUE(p.MoveTo(at.x, at.y));
    EXPECT_TRUE(shows("X = 7, Y = 5, Z = 2"));
    // Over another pane the drag stays in its own.
    at = screen(xImage.left + 5, xImage.top + 5);
    ASSERT_TRUE(p.MoveTo(at.x, at.y));
    EXPECT_TRUE(shows("X = 0, Y = 0, Z = 2"));
    ASSERT_TRUE(p.Up());
    EXPECT_EQ(volume->m_nSliceX, 0);
    EXPECT_EQ(volume->m_nSliceY, 0);

    // Beside the x slice's image, in its pane: nothing moves, nothing held.
    at = screen(xImage.left + 50, xImage.top - 10);
    ASSERT_TRUE(p.MoveTo(at.x, at.y));
    ASSERT_TRUE(p.Down());
    EXPECT_FALSE(box->HasCapture());
    ASSERT_TRUE(p.Up());
    EXPECT_EQ(Position(), "X = 0, Y = 0, Z = 2");
}

// Each scroll code of a bar by the light box's arithmetic (no page size:
// pages stay), as the screen's bar and the slice show it. A real click in
// the trough neither jumps nor pages; dragging the thumb moves the slice.
TEST_F(LightBoxTest, BarsFollowTheScrollCodes)
{
    CVolume* volume = OpenVolume(8, 6, 4);
    ASSERT_TRUE(Paint());
    CScrollBarNoKbd& bar = *box->m_sbX;
    struct Step {
        ScrollCode code;
        int given, want;
    };
    const Step steps[] = {
        {SB_LINEDOWN, 0, 5}, {SB_LINEUP, 0, 4},  {SB_PAGEUP, 0, 4},       {SB_PAGEDOWN, 0, 4},
        {SB_TOP, 0, 0},      {SB_LINEUP, 0, 0},  {SB_BOTTOM, 0, 7},       {SB_LINEDOWN, 0, 7},
        {SB_THUMBTRACK, 3, 3}, {SB_THUMBPOSITION, 6, 6}, {SB_ENDSCROLL, 2, 6},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.code);
        bar.Report(s.code, s.given);
        EXPECT_EQ(bar.GetThumbPosition(), s.want);
        EXPECT_EQ(GtkRangeValue(bar), double(s.want));
        EXPECT_EQ(volume->m_nSliceX, s.want);
        EXPECT_EQ(Position(), "X = " + std::to_string(s.want) + ", Y = 3, Z = 2");
    }

    // Real clicks: GTK reports them through the bar, which moves only as the
    // light box says.
    bar.SetThumbPosition(4);
    box->DrawSliceViews(true);
    std::vector<int> reported;
    for (const auto& type : {wxEVT_SCROLL_LINEUP, wxEVT_SCROLL_LINEDOWN, wxEVT_SCROLL_PAGEUP, wxEVT_SCROLL_PAGEDOWN,
                             wxEVT_SCROLL_THUMBTRACK})
        bar.Bind(type, [&](wxScrollEvent& e) {
            reported.push_back(ScrollCodeOf(e.GetEventType()));
            e.Skip();
        });
    wxUIActionSimulator sim;
    auto reportedBy = [&](const std::function<void()>& act) {
        const std::size_t before = reported.size();
        act();
        return WaitUntil([&] { return reported.size() > before; });
    };
    // GTK keeps the bar's button events to itself; a move that the light box
    // sees comes after all of them.
    Pointer settle(*box);
    auto settled = [&] { return settle.MoveTo(box->m_rcPane[1].left + 50, box->m_rcPane[1].top + 50); };
    auto on = [&](int x) { return bar.ClientToScreen(wxPoint(x, bar.GetClientSize().y / 2)); };
    const auto [thumbStart, thumbEnd] = GtkThumbSpan(bar);
    ASSERT_LT(thumbStart, thumbEnd);
    const struct {
        int x;
        int code;
    } troughs[] = {{thumbStart / 2, SB_PAGEUP}, {(thumbEnd + bar.GetClientSize().x) / 2, SB_PAGEDOWN}};
    for (const auto& t : troughs) {
        sim.MouseMove(on(t.x));
        ASSERT_TRUE(reportedBy([&] { sim.MouseDown(); }));
        sim.MouseUp();
        ASSERT_TRUE(settled());
        EXPECT_EQ(reported.back(), t.code);
        EXPECT_EQ(bar.GetThumbPosition(), 4) << t.x;
        EXPECT_EQ(GtkRangeValue(bar), 4.0) << t.x;
        EXPECT_EQ(volume->m_nSliceX, 4);
    }
    // The thumb dragged past the right end.
    const int grab = (thumbStart + thumbEnd) / 2;
    sim.MouseMove(on(grab));
    sim.MouseDown();
    ASSERT_TRUE(reportedBy([&] { sim.MouseMove(on(grab + 20)); }));
    EXPECT_EQ(reported.back(), SB_THUMBTRACK);
    EXPECT_GT(bar.GetThumbPosition(), 4);
    EXPECT_LT(bar.GetThumbPosition(), 7);
    ASSERT_TRUE(reportedBy([&] { sim.MouseMove(on(bar.GetClientSize().x + 30)); }));
    sim.MouseUp();
    ASSERT_TRUE(settled());
    EXPECT_EQ(bar.GetThumbPosition(), 7);
    EXPECT_EQ(GtkRangeValue(bar), 7.0);
    EXPECT_EQ(volume->m_nSliceX, 7);
}

// A mesh, or nothing, after a volume: black panes with their letters, the
// slice buffers kept until the next volume.
TEST_F(LightBoxTest, MeshLeavesBlackPanes)
{
    OpenVolume(8, 6, 4);
    ASSERT_TRUE(Paint());
    const std::uint8_t* buffers[3] = {box->m_pSliceX.get(), box->m_pSliceY.get(), box->m_pSliceZ.get()};
    Open(view_files::Octahedron(dir, "m.vxq"));
    EXPECT_EQ(box->m_pVolume, nullptr);
    EXPECT_EQ(box->m_pModel, view->m_pModel);
    ASSERT_TRUE(Paint());
    EXPECT_EQ(box->m_pSliceX.get(), buffers[0]);
    EXPECT_EQ(box->m_pSliceY.get(), buffers[1]);
    EXPECT_EQ(box->m_pSliceZ.get(), buffers[2]);
    for (int i = 0; i < 3; ++i) {
        int yellow = 0, other = 0;
        const PixelRect& r = box->m_rcPane[i];
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                const RgbColour c = box->m_picture[i].At(x, y);
                yellow += c == kLetterYellow;
                other += !(c == kLetterYellow) && !(c == kLightBoxBlack);
            }
        EXPECT_GT(yellow, 20) << i;
        EXPECT_EQ(other, 0) << i;
    }
    ExpectScreenShowsThePictures();
}

// The slices come from the plane-view cache, not the voxels: a voxel
// written after the cache was built does not show; only a slice that
// changed is read again. A volume without a cache shows its voxels.
TEST_F(LightBoxTest, SlicesComeFromThePlaneViewsOrTheVoxels)
{
    CVolume* volume = OpenVolume(8, 6, 4);
    ASSERT_TRUE(volume->HasSwapFile());
    ASSERT_TRUE(Paint());
    EXPECT_EQ(box->m_nLoadedX, 4);
    EXPECT_EQ(box->m_nLoadedY, 3);
    EXPECT_EQ(box->m_nLoadedZ, 2);
    const std::uint8_t cached = std::uint8_t(volume->GetVoxel(0, 0, 2));
    volume->SetVoxel(0, 0, 2, 250);
    box->m_nLoadedZ = -1;
    box->DrawSliceViews(false);
    const PixelRect& z = box->m_rcImage[2];
    EXPECT_EQ(box->m_picture[2].At(z.left + 5, z.top + 5), Grey(cached));

    box->m_sbY->Report(SB_LINEDOWN, 0);
    EXPECT_EQ(box->m_nLoadedY, 4);
    EXPECT_EQ(box->m_nLoadedX, 4);
    EXPECT_EQ(box->m_nLoadedZ, 2);

    // In memory, without a cache.
    auto plain = MakePatterned<CVolume>(5, 7, 3, 16);
    plain->SetVoxelSize(1, 1, 1);
    CVolume* shown = plain.get();
    auto series = std::make_unique<CModelSeries>();
    series->push_back(std::move(plain));
    view->CloseModel();
    view->m_pModels = std::move(series);
    view->m_nFrames = 1;
    UseTestRenderer(*view);
    view->SetCurrentFrame(1);
    ASSERT_EQ(box->m_pVolume, shown);
    ASSERT_FALSE(shown->HasSwapFile());
    box->DrawSliceViews(true);
    // 16-bit voxels show scaled to 8 bits as the plane views hold them.
    EXPECT_GT(ExpectImagesShowTheVoxels(*shown,
                                        [](std::uint16_t v) { return Grey(std::uint16_t(v * (1.0 / 65535) * 255 + 0.5)); }),
              1000);
}

// Voxel sizes that make a physical length round to nothing, or are 0,
// still fit the slices (by their voxel counts) and draw.
TEST_F(LightBoxTest, ZeroExtentsStillFit)
{
    for (float scale : {0.01f, 0.0f}) {
        SCOPED_TRACE(scale);
        CVolume* volume = OpenVolume(8, 8, 4, scale, scale, scale);
        ASSERT_NE(volume, nullptr);
        ASSERT_TRUE(Paint());
        EXPECT_EQ(box->m_rcImage[2], box->m_rcPane[2]);
        EXPECT_EQ(box->m_rcImage[0], (PixelRect{11 + 48, 51, 11 + 48 + 96, 243}));
        EXPECT_GT(ExpectImagesShowTheVoxels(*volume, Grey), 1000);
    }
}

// While the busy box lets GTK draw in the middle of a command, the light box
// shows what it drew last and leaves the volume and the view alone; the
// next ordinary paint writes its slices back as the current point.
TEST_F(LightBoxTest, PaintsDuringTheBusyBoxTouchNothing)
{
    CVolume* volume = OpenVolume(8, 6, 4);
    ASSERT_TRUE(Paint());
    volume->SetEntryPoint(CVector3(), 1, 1, 1);
    // The busy box takes new texts, each shown with GTK drawing the windows
    // that wait for it, until the light box's paint has come within one.
    PaintCounter painted(*box);
    box->Invalidate();
    for (int i = 0; i < 100000 && painted.count == 0; ++i)
        view->ShowStatus(i % 2 ? "Working ..." : "Still working ...", true);
    ASSERT_GT(painted.count, 0);
    EXPECT_EQ(volume->m_nSliceX, 1);
    EXPECT_EQ(volume->m_nSliceZ, 1);
    view->ShowStatus("", false);
    ASSERT_TRUE(Paint());
    EXPECT_EQ(volume->m_nSliceX, 4);
    EXPECT_EQ(volume->m_nSliceY, 3);
    EXPECT_EQ(volume->m_nSliceZ, 2);
}
