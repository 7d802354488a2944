#include <vector>

#include <wx/frame.h>

#include "GuiTest.h"
#include "ScreenPixels.h"
#include "app/ThumbWheel.h"

namespace {
constexpr Rgb kBack{212, 208, 200};

// A frame whose client holds the four wheels along its edges, as the view
// does, and records every step report they send.
class WheelTest : public ::testing::Test {
protected:
    struct Report {
        int message;
        std::uint32_t wParam;
        CThumbWheel* wheel;
    };

    void SetUp() override
    {
        frame = new wxFrame(nullptr, wxID_ANY, "wheels", wxPoint(0, 0), wxSize(420, 320));
        parent = new wxWindow(frame, wxID_ANY);
        parent->Bind(VX_EVT_THUMBWHEEL,
                     [this](CThumbWheelEvent& e) { reports.push_back({e.GetId(), e.m_wParam, e.m_pWheel}); });
        for (int kind = 1; kind <= 4; ++kind) {
            wheels[kind - 1] = new CThumbWheel;
            ASSERT_TRUE(wheels[kind - 1]->Create("", 0, wxRect(), parent, 100 + kind, kind));
        }
        frame->Show();
        ASSERT_TRUE(WaitUntil([&] { return parent->IsShownOnScreen() && parent->GetClientSize().x > 300; }));
        const wxSize s = parent->GetClientSize();
        for (CThumbWheel* w : wheels)
            w->Reposition(s.x, s.y);
        ASSERT_TRUE(WaitUntil([&] { return wheels[1]->GetSize().x == s.x - 23; }));
    }
    void TearDown() override
    {
        frame->Destroy();
        wxTheApp->ProcessIdle();
    }

    // Presses inside the wheel image, moves by each offset in turn along the
    // wheel (positive right or down), releases.
    void Drag(CThumbWheel& w, const std::vector<int>& moves)
    {
        Pointer p(w);
        const wxPoint start = w.m_rcWheel.GetPosition() + w.m_rcWheel.GetSize() / 2;
        ASSERT_TRUE(p.MoveTo(start.x, start.y));
        ASSERT_TRUE(p.Down());
        wxPoint at = start;
        const bool vertical = w.m_nKind == 1 || w.m_nKind == 3;
        for (int m : moves) {
            (vertical ? at.y : at.x) += m;
            ASSERT_TRUE(p.MoveTo(at.x, at.y));
        }
        ASSERT_TRUE(p.Up());
    }

    wxImage Paint(CThumbWheel& w)
    {
        PaintCounter painted(w);
        EXPECT_TRUE(painted.PaintNow());
        return GrabWindow(w);
    }

    wxFrame* frame = nullptr;
    wxWindow* parent = nullptr;
    CThumbWheel* wheels[4] = {};
    std::vector<Report> reports;
};
} // namespace

// Each drag turns 0.8 degrees per pixel, truncated per applied step; a
// move too small for a degree keeps its start so slow moves add up. Moving
// up turns the vertical wheels forward. X, Y and Z wrap into 0..359; Zoom
// does not, and its negative angle reaches the parent as 16-bit two's
// complement in the high word.
TEST_F(WheelTest, DragsTurnTheAngleByTheRules)
{
    struct Case {
        const char* what;
        int kind;
        int startAngle;
        std::vector<int> moves;
        std::vector<int> angles; // reported after each step that turned
    };
    const Case cases[] = {
        {"one pixel is no step, the second makes one", 2, 0, {1, 1}, {1}},
        {"a fast move of 5 pixels is 4 degrees", 2, 0, {5}, {4}},
        {"and of 10 pixels 8 degrees", 4, 0, {10}, {8}},
        {"five single pixels add up per applied step", 2, 0, {1, 1, 1, 1, 1}, {1, 2}},
        {"vertical: up is forward", 1, 0, {-2}, {1}},
        {"vertical: down below 0 wraps to 359", 3, 0, {2}, {359}},
        {"above 359 wraps to 0 and on", 1, 359, {-3}, {1}},
        {"zoom goes negative", 4, 0, {-2, -5}, {-1, -5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CThumbWheel& w = *wheels[c.kind - 1];
        w.m_nAngle = c.startAngle;
        reports.clear();
        Drag(w, c.moves);
        ASSERT_EQ(reports.size(), c.angles.size());
        for (std::size_t i = 0; i < c.angles.size(); ++i) {
            EXPECT_EQ(reports[i].message, 0x0400 + c.kind);
            EXPECT_EQ(reports[i].wParam, std::uint32_t(std::uint16_t(c.angles[i])) << 16);
            EXPECT_EQ(reports[i].wheel, &w);
        }
        EXPECT_EQ(w.m_nAngle, c.angles.back());
    }
}

// The painted wheel: background, the etched edge on the side facing the
// drawing (short of the corner the next wheel covers), the label in its
// rectangle and the frame of the angle from the strip, -1 showing frame 3.
// A disabled wheel keeps only background and edge, and drags send nothing.
TEST_F(WheelTest, PaintShowsEdgeLabelAndFrameUnlessDisabled)
{
    struct Edge {
        int kind;
        wxPoint shadow, highlight; // one pixel of each line of the edge
        wxPoint beyond;            // the corner the edge stops short of
    };
    for (CThumbWheel* w : wheels) {
        SCOPED_TRACE(w->m_strLabel.utf8_string());
        const wxSize s = w->GetClientSize();
        const Edge edges[] = {
            {1, {s.x - 2, s.y / 2}, {s.x - 1, s.y / 2}, {s.x - 2, 10}},
            {2, {s.x / 2, s.y - 2}, {s.x / 2, s.y - 1}, {s.x - 10, s.y - 2}},
            {3, {0, s.y / 2}, {1, s.y / 2}, {0, s.y - 10}},
            {4, {s.x / 2, 0}, {s.x / 2, 1}, {10, 0}},
        };
        const Edge& e = edges[w->m_nKind - 1];
        for (int angle : {0, 1, -1}) {
            w->m_nAngle = angle;
            wxImage shown = Paint(*w);
            ASSERT_TRUE(shown.IsOk());
            EXPECT_EQ(PixelAt(shown, e.shadow.x, e.shadow.y), (Rgb{128, 128, 128}));
            EXPECT_EQ(PixelAt(shown, e.highlight.x, e.highlight.y), (Rgb{255, 255, 255}));
            EXPECT_EQ(PixelAt(shown, e.beyond.x, e.beyond.y), kBack);
            const int frame = (angle % 4 + 4) % 4;
            const bool vertical = w->m_nKind == 1 || w->m_nKind == 3;
            wxImage strip = w->m_bmWheel.ConvertToImage();
            const wxRect& r = w->m_rcWheel;
            wxImage want = strip.GetSubImage(wxRect(vertical ? frame * 17 : 0, vertical ? 0 : frame * 17, r.width,
                                                    r.height));
            int differing = 0;
            for (int y = 0; y < r.height; ++y)
                for (int x = 0; x < r.width; ++x)
                    differing += !(PixelAt(shown, r.x + x, r.y + y) == PixelAt(want, x, y));
            EXPECT_EQ(differing, 0) << "frame " << frame;
        }
        // The label is dark text inside its rectangle.
        wxImage shown = Paint(*w);
        const wxRect labels[] = {{0, 40, 23, 24}, {0, 5, 32, 18}, {0, 8, 23, 24}, {12, 5, 32, 18}};
        const wxRect label = labels[w->m_nKind - 1];
        EXPECT_GT(CountDark(shown, label), 5);

        w->m_bEnabled = false;
        shown = Paint(*w);
        EXPECT_EQ(CountDark(shown, label), 0);
        EXPECT_EQ(CountOtherThan(shown, w->m_rcWheel, kBack), 0);
        EXPECT_EQ(PixelAt(shown, e.shadow.x, e.shadow.y), (Rgb{128, 128, 128}));
        reports.clear();
        Drag(*w, {-6, 6});
        EXPECT_TRUE(reports.empty());
        w->m_bEnabled = true;
    }
}

// A drag redraws the wheel's image at once, before any paint.
TEST_F(WheelTest, StepRedrawsTheImageAtOnce)
{
    CThumbWheel& w = *wheels[1];
    Paint(w);
    Drag(w, {3});
    ASSERT_EQ(w.m_nAngle, 2);
    wxImage after = GrabWindow(w);
    wxImage frame2 = w.m_bmWheel.ConvertToImage().GetSubImage(wxRect(0, 2 * 17, 123, 17));
    const wxRect& r = w.m_rcWheel;
    EXPECT_EQ(PixelAt(after, r.x + 40, r.y + 8), PixelAt(frame2, 40, 8));
    int differing = 0;
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x)
            differing += !(PixelAt(after, r.x + x, r.y + y) == PixelAt(frame2, x, y));
    EXPECT_EQ(differing, 0);
}

// The wheels frame the parent as a pinwheel: every pixel of the 23-pixel
// border is covered by exactly one wheel and the inside by none.
TEST_F(WheelTest, RepositionCoversTheBorderOnce)
{
    for (wxSize s : {wxSize(400, 300), wxSize(120, 90)}) {
        for (CThumbWheel* w : wheels)
            w->Reposition(s.x, s.y);
        std::vector<wxRect> rects;
        for (CThumbWheel* w : wheels) {
            EXPECT_TRUE(w->IsShown());
            rects.push_back(w->GetRect());
        }
        for (int y = 0; y < s.y; ++y)
            for (int x = 0; x < s.x; ++x) {
                int covering = 0;
                for (const wxRect& r : rects)
                    covering += r.Contains(x, y);
                const bool border = x < 23 || y < 23 || x >= s.x - 23 || y >= s.y - 23;
                ASSERT_EQ(covering, border ? 1 : 0) << s.x << "x" << s.y << " at " << x << "," << y;
            }
    }
}

// DrawLabel writes at once in black on the wheel's background; the next
// paint of the wheel takes it away.
TEST_F(WheelTest, DrawLabelUntilTheNextPaint)
{
    CThumbWheel& w = *wheels[1];
    const wxRect where(300, 5, 40, 12);
    ASSERT_GT(w.GetClientSize().x, where.GetRight());
    EXPECT_EQ(CountOtherThan(Paint(w), where, kBack), 0);
    w.DrawLabel(300, 5, "12.34 FPS");
    wxImage shown = GrabWindow(w);
    EXPECT_GT(CountDark(shown, where), 10);
    EXPECT_EQ(CountOtherThan(Paint(w), where, kBack), 0);
}

// A label over a longer one leaves only itself: what the wheel shows equals
// the same label written on a freshly painted wheel.
TEST_F(WheelTest, ShorterLabelLeavesNothingOfTheLongerOne)
{
    CThumbWheel& w = *wheels[1];
    const wxRect where(300, 5, 80, 13);
    ASSERT_GT(w.GetClientSize().x, where.GetRight());
    const struct {
        const char* before;
        const char* after;
    } cases[] = {
        {"17.27 FPS", "7.27 FPS"},
        {"100.00 FPS", "9.50 FPS"},
        {"12.34 FPS", "56.78 FPS"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.after);
        Paint(w);
        w.DrawLabel(300, 5, c.after);
        const wxImage alone = GrabWindow(w);
        Paint(w);
        w.DrawLabel(300, 5, c.before);
        w.DrawLabel(300, 5, c.after);
        const wxImage over = GrabWindow(w);
        EXPECT_GT(CountDark(alone, where), 10);
        EXPECT_EQ(Differing(over, alone, where), 0) << "over " << c.before;
    }
}

// Kinds outside 1..4 make no wheel.
TEST(ThumbWheel, UnknownKindFailsCreation)
{
    auto* frame = new wxFrame(nullptr, wxID_ANY, "w");
    for (int kind : {0, 5}) {
        auto* w = new CThumbWheel;
        EXPECT_FALSE(w->Create("", 0, wxRect(0, 0, 23, 100), frame, 101, kind)) << kind;
        EXPECT_FALSE(w->m_bCreated);
        w->Destroy();
    }
    frame->Destroy();
    wxTheApp->ProcessIdle();
}
