#include <cstdint>
#include <string>
#include <vector>

#include <wx/checkbox.h>

#include "DialogScript.h"
#include "app/dialogs/RSnakeDialog.h"
#include "data/AppSettings.h"
#include "processing/SliceImage.h"

namespace {
// A 64 x 32 slice whose pixel (c, r) is 30 + 3c + r, in the plane layout
// (column-major) the segmentation dialog hands over.
constexpr int kW = 64, kH = 32;
int Value(int c, int r) { return 30 + 3 * c + r; }
std::vector<std::uint8_t> Plane()
{
    std::vector<std::uint8_t> plane(std::size_t(kW) * kH);
    for (int c = 0; c < kW; ++c)
        for (int r = 0; r < kH; ++r)
            plane[std::size_t(c) * kH + r] = std::uint8_t(Value(c, r));
    return plane;
}

Rgb Grey(int v) { return {v, v, v}; }

class RSnakeDialogTest : public FrameTest {
protected:
    // Runs the dialog as the segmentation dialog's preview does, lent
    // `image`; the dialog's result.
    int Run(CSliceImage* image, std::function<void(CRSnakeDialog&)> script)
    {
        ModalScript<CRSnakeDialog> user(std::move(script));
        CRSnakeDialog dlg(frame);
        dlg.m_pSliceImage = image;
        const int result = dlg.ShowModal();
        EXPECT_EQ(user.shown, 1);
        return result;
    }
    // What the screen shows of view pixel (x, y) once the dialog has
    // painted everything it was asked to.
    static wxImage Screen(CRSnakeDialog& d)
    {
        PaintCounter paints(d);
        EXPECT_TRUE(paints.PaintNow());
        return GrabClient(d);
    }
    static Rgb At(const wxImage& screen, int x, int y)
    {
        return PixelAt(screen, kRSnakeViewLeft + x, kRSnakeViewTop + y);
    }
    // Pixels of the square where the screen differs from the dialog's own
    // picture of it.
    static int Mismatches(CRSnakeDialog& d, const wxImage& screen)
    {
        const std::vector<std::uint8_t>& want = d.ViewPixels();
        int n = 0;
        for (int y = 0; y < kRSnakeViewSize; ++y)
            for (int x = 0; x < kRSnakeViewSize; ++x) {
                const std::uint8_t* p = want.data() + (std::size_t(y) * kRSnakeViewSize + x) * 3;
                n += !(At(screen, x, y) == Rgb{p[0], p[1], p[2]});
            }
        return n;
    }
    // A drag with `button` from (x0, y0) to (x1, y1), view pixels.
    static bool Drag(CRSnakeDialog& d, int button, int x0, int y0, int x1, int y1)
    {
        Pointer p(d);
        return p.MoveTo(kRSnakeViewLeft + x0, kRSnakeViewTop + y0) && p.Down(button) &&
               p.MoveTo(kRSnakeViewLeft + (x0 + x1) / 2, kRSnakeViewTop + (y0 + y1) / 2) &&
               p.MoveTo(kRSnakeViewLeft + x1, kRSnakeViewTop + y1) && p.Up(button);
    }

    User user;
};
} // namespace

// The slice image is drawn 511 pixels wide and 256 high (aspect 2) from the
// view's top left, black below; the screen shows exactly the dialog's
// picture. The caption, the group box, the check box and "Close" sit beside
// the view; "Close" ends the dialog.
TEST_F(RSnakeDialogTest, DrawsTheImageFittedIntoTheView)
{
    const std::vector<std::uint8_t> plane = Plane();
    CSliceImage image(plane.data(), kW, kH);
    CAppSettings::GetInstance()->m_nImageDisplayed = 0;
    const int result = Run(&image, [&](CRSnakeDialog& d) {
        EXPECT_EQ(GtkWindowTitle(d), "R-Snake Diagnostics");
        EXPECT_EQ(GtkButtonLabel(Child(d, "IDC_SHOW_GRIDLINES")), "Show gridlines");
        EXPECT_FALSE(GtkToggled(Child(d, "IDC_SHOW_GRIDLINES")));
        EXPECT_EQ(d.FindWindow(wxID_OK)->GetLabel(), "Close");
        for (wxWindow* child : d.GetChildren()) {
            EXPECT_FALSE(child->GetRect().Intersects(CRSnakeDialog::ViewRect())) << child->GetName();
            EXPECT_TRUE(wxRect(d.GetClientSize()).Contains(child->GetRect())) << child->GetName();
        }
        EXPECT_EQ(d.View().m_nViewWidth, 511);
        EXPECT_EQ(d.View().m_nViewHeight, 256);
        const wxImage screen = Screen(d);
        EXPECT_EQ(Mismatches(d, screen), 0);
        struct Probe {
            int x, y;
            Rgb colour;
        };
        const Probe probes[] = {
            {0, 0, Grey(Value(0, 0))},      {7, 0, Grey(Value(0, 0))},     {8, 0, Grey(Value(1, 0))},
            {510, 255, Grey(Value(63, 31))}, {255, 128, Grey(Value(31, 16))}, {0, 256, {0, 0, 0}},
            {510, 510, {0, 0, 0}},
        };
        for (const Probe& p : probes)
            EXPECT_EQ(At(screen, p.x, p.y), p.colour) << p.x << ", " << p.y;
        ASSERT_TRUE(user.Click(Child(d, "wxID_OK")));
        EXPECT_TRUE(WaitUntil([&] { return !d.IsModal(); }));
    });
    EXPECT_EQ(result, wxID_OK);
}

// The image kind of the settings is the one shown: the smoothed image of a
// slice with one bright column differs from the slice, a kind without an
// image leaves the view black, and so does a dialog lent no slice image.
TEST_F(RSnakeDialogTest, ShowsTheSettingsImageKind)
{
    std::vector<std::uint8_t> plane(std::size_t(kW) * kH, 0);
    for (int r = 0; r < kH; ++r)
        plane[std::size_t(32) * kH + r] = 255;
    CSliceImage image(plane.data(), kW, kH);
    std::vector<std::uint8_t> smoothed(plane.size());
    image.GetImage(1, true, false, false, smoothed.data());
    ASSERT_NE(smoothed, plane);

    struct Case {
        CSliceImage* image;
        int kind;
        Rgb atColumn31; // view x 250: image column 31
    };
    const Case cases[] = {
        {&image, 0, {0, 0, 0}},
        {&image, 1, Grey(smoothed[std::size_t(31) * kH + 5])},
        {&image, 9, {0, 0, 0}},
        {nullptr, 0, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.kind) + (c.image ? "" : ", no image"));
        CAppSettings::GetInstance()->m_nImageDisplayed = c.kind;
        Run(c.image, [&](CRSnakeDialog& d) {
            const wxImage screen = Screen(d);
            EXPECT_EQ(Mismatches(d, screen), 0);
            EXPECT_EQ(At(screen, 250, 40), c.atColumn31);
            if (c.image && c.kind == 0) {
                EXPECT_EQ(At(screen, 258, 40), Grey(255)) << "image column 32";
            }
            if (!c.image || c.kind == 9) {
                EXPECT_EQ(CountOtherThan(screen, wxRect(kRSnakeViewLeft, kRSnakeViewTop, 511, 511), {0, 0, 0}), 0);
            }
        });
    }
    CAppSettings::GetInstance()->m_nImageDisplayed = 0;
}

// Real drags: at zoom 1 a left drag changes nothing; a right drag 100
// pixels to the right zooms to 2 about the centre; a left drag then pans,
// stopping at the image's right edge; grid lines, ticked, fall every
// zoom x 511 / 64 view pixels. The screen follows each step.
TEST_F(RSnakeDialogTest, ZoomAndPanByMouseDrags)
{
    const std::vector<std::uint8_t> plane = Plane();
    CSliceImage image(plane.data(), kW, kH);
    CAppSettings::GetInstance()->m_nImageDisplayed = 0;
    Run(&image, [&](CRSnakeDialog& d) {
        ASSERT_TRUE(Drag(d, wxMOUSE_BTN_LEFT, 300, 100, 100, 50));
        EXPECT_EQ(d.View().Source(), (RSnakeSource{0, 0, 64, 32}));
        EXPECT_EQ(At(Screen(d), 0, 0), Grey(Value(0, 0)));

        ASSERT_TRUE(Drag(d, wxMOUSE_BTN_RIGHT, 100, 100, 200, 100));
        EXPECT_FALSE(d.HasCapture());
        EXPECT_FLOAT_EQ(d.View().m_fZoom, 2.0f);
        EXPECT_EQ(d.View().Source(), (RSnakeSource{16, 8, 32, 16}));
        wxImage screen = Screen(d);
        EXPECT_EQ(Mismatches(d, screen), 0);
        EXPECT_EQ(At(screen, 0, 0), Grey(Value(16, 8)));
        EXPECT_EQ(At(screen, 510, 255), Grey(Value(47, 23)));

        // 100 pixels to the left at zoom 2: 50 image pixels, held at the edge.
        ASSERT_TRUE(Drag(d, wxMOUSE_BTN_LEFT, 300, 150, 200, 150));
        EXPECT_FALSE(d.HasCapture());
        EXPECT_EQ(d.View().Source(), (RSnakeSource{32, 8, 32, 16}));
        screen = Screen(d);
        EXPECT_EQ(Mismatches(d, screen), 0);
        EXPECT_EQ(At(screen, 0, 0), Grey(Value(32, 8)));
        EXPECT_EQ(At(screen, 510, 255), Grey(Value(63, 23)));

        // A right press outside the view starts no zoom.
        {
            Pointer p(d);
            ASSERT_TRUE(p.MoveTo(5, 300) && p.Down(wxMOUSE_BTN_RIGHT) && p.MoveTo(400, 300) &&
                        p.Up(wxMOUSE_BTN_RIGHT));
        }
        EXPECT_FLOAT_EQ(d.View().m_fZoom, 2.0f);

        ASSERT_TRUE(user.Click(Child(d, "IDC_SHOW_GRIDLINES")));
        EXPECT_TRUE(GtkToggled(Child(d, "IDC_SHOW_GRIDLINES")));
        EXPECT_EQ(d.m_bShowGridlines, 1);
        screen = Screen(d);
        EXPECT_EQ(Mismatches(d, screen), 0);
        const Rgb blue{0, 0, 255};
        // Spacing 15.97: lines at 0, 16, 32, ...; the horizontal ones run
        // on below the image.
        for (int at : {0, 16, 32, 495})
            EXPECT_EQ(At(screen, at, 3), blue) << at;
        EXPECT_EQ(At(screen, 17, 3), Grey(Value(33, 8)));
        EXPECT_EQ(At(screen, 300, 399), blue);
        EXPECT_EQ(At(screen, 300, 400), (Rgb{0, 0, 0}));

        // Zooming back out shows the whole image again.
        ASSERT_TRUE(Drag(d, wxMOUSE_BTN_RIGHT, 300, 100, 100, 100));
        EXPECT_FLOAT_EQ(d.View().m_fZoom, 1.0f);
        EXPECT_EQ(d.View().Source(), (RSnakeSource{0, 0, 64, 32}));
        screen = Screen(d);
        EXPECT_EQ(Mismatches(d, screen), 0);
        EXPECT_EQ(At(screen, 1, 1), Grey(Value(0, 0)));
    });
}
