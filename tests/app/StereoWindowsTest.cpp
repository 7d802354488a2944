#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/mstream.h>
#include <wx/process.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/utils.h>
#include <wx/xrc/xmlres.h>

#include "GtkActions.h"
#include "ViewFixture.h"
#include "app/dialogs/CutPlaneDialog.h"
#include "app/dialogs/StereoDlg.h"
#include "app/dialogs/StereoToolsDlg.h"
#include "platform/Dib.h"
#include "platform/wx/WxClipboard.h"

namespace {
// A bright slab across a 24^3 volume, off its centre so the eyes' images
// differ.
std::string SlabVolume(const TempDir& dir, const std::string& name)
{
    CNativeVolume volume(24, 24, 24, 8);
    for (int z = 0; z < 24; ++z)
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                volume.SetVoxel(x, y, z, x >= 4 && x < 14 && y >= 6 && y < 18 && z >= 3 && z < 21 ? 220 : 0);
    volume.SetVoxelSize(1, 1, 1);
    const std::string path = dir.File(name);
    EXPECT_TRUE(volume.Save(path));
    return path;
}

int StereoWindowsAlive()
{
    int n = 0;
    for (wxWindow* w : wxTopLevelWindows)
        n += (dynamic_cast<CStereoDlg*>(w) || dynamic_cast<CStereoToolsDlg*>(w)) && !w->IsBeingDeleted();
    return n;
}

template <class T> T* Control(wxWindow& dlg, const char* name) { return XRCCTRL(dlg, name, T); }

std::string Fixed2(double v) { return wxString::Format("%.2f", v).ToStdString(); }

// Runs a shell command without holding up the loop: the clipboard's owner
// is this process, which must answer the command's request.
std::string RunWhileServing(const TempDir& dir, const std::string& command)
{
    struct Watch : wxProcess {
        bool done = false;
        void OnTerminate(int, int) override { done = true; }
    };
    Watch watch;
    const std::string out = dir.File("command.out");
    const std::string line = command + " > '" + out + "'";
    const char* argv[] = {"sh", "-c", line.c_str(), nullptr};
    if (wxExecute(argv, wxEXEC_ASYNC, &watch) <= 0)
        return "";
    EXPECT_TRUE(WaitUntil([&] { return watch.done; }, 2000)) << command;
    std::ifstream in(out, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The bitmap's pixels as (R, G, B), x from the left, y from the top.
Rgb DibPixel(const std::vector<std::uint8_t>& dib, int x, int y)
{
    const int w = int(dib[4] | dib[5] << 8), h = int(dib[8] | dib[9] << 8);
    const std::uint8_t* p = dib.data() + kDibHeaderSize + DibRowBytes(w) * std::size_t(h - 1 - y) + 3 * x;
    return {p[2], p[1], p[0]};
}

class StereoTest : public ViewTest {
protected:
    void OpenStereo()
    {
        Open(SlabVolume(dir, "slab.vxq"));
        ASSERT_TRUE(view->m_pModel && view->m_pModel->IsVolume());
        Command(ID_VIEW_STEREO);
        stereo = view->StereoWindow();
        tools = view->StereoTools();
        ASSERT_NE(stereo, nullptr);
        ASSERT_NE(tools, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return stereo->IsShownOnScreen() && tools->IsShownOnScreen(); }));
    }
    // The canvas at `width` x `height`, painted once more.
    void SizeCanvas(int width, int height)
    {
        stereo->SetClientSize(width, height);
        ASSERT_TRUE(WaitUntil([&] { return stereo->Canvas()->GetClientSize() == wxSize(width, height); }));
        ASSERT_TRUE(Paint());
    }
    bool Paint()
    {
        PaintCounter painted(*stereo->Canvas());
        return painted.PaintNow();
    }
    wxImage Screen()
    {
        EXPECT_TRUE(Paint());
        return GrabWindow(*stereo->Canvas());
    }
    bool MenuChecked(int id)
    {
        frame->GetMenuBar()->UpdateMenus();
        return GtkChecked(*frame->GetMenuBar()->FindItem(id));
    }
    void DoubleClick()
    {
        wxMouseEvent click(wxEVT_LEFT_DCLICK);
        click.SetEventObject(stereo->Canvas());
        click.SetPosition(wxPoint(10, 10));
        stereo->Canvas()->ProcessWindowEvent(click);
    }

    CStereoDlg* stereo = nullptr;
    CStereoToolsDlg* tools = nullptr;
};
} // namespace

// The stereo command opens both windows with the base values (focal length
// 1.5 x the near plane, a thirtieth of it apart) and checks its item; the
// command again, either window's close box, and opening another file close
// both together.
TEST_F(StereoTest, WindowsOpenAndCloseTogether)
{
    EXPECT_FALSE(MenuEnabled(ID_VIEW_STEREO)) << "no volume";
    OpenStereo();
    EXPECT_TRUE(MenuChecked(ID_VIEW_STEREO));
    EXPECT_TRUE(view->m_bStereo);
    EXPECT_EQ(stereo->GetTitle(), "Vexilo - Stereo Window");
    EXPECT_EQ(tools->GetTitle(), "Stereo Attributes");
    EXPECT_EQ(stereo->GetParent(), view);
    EXPECT_EQ(tools->GetParent(), view);
    EXPECT_TRUE(stereo->HasFlag(wxRESIZE_BORDER));
    const double base = view->m_pRenderer->m_dNear * 1.5;
    EXPECT_FLOAT_EQ(view->m_fFocalLength, float(base));
    EXPECT_FLOAT_EQ(view->m_fEyeSeparation, float(base) * 0.033333335f);
    EXPECT_EQ(stereo->m_pRenderer, view->m_pRenderer.get());
    EXPECT_EQ(stereo->m_pModel, view->m_pModel);
    EXPECT_DOUBLE_EQ(stereo->m_dFocalLength, view->m_fFocalLength);
    EXPECT_DOUBLE_EQ(stereo->m_dEyeSeparation, view->m_fEyeSeparation);
    EXPECT_EQ(GtkLabelText(*tools->m_stFocal), Fixed2(view->m_fFocalLength));
    EXPECT_EQ(GtkLabelText(*tools->m_stSeparation), Fixed2(view->m_fEyeSeparation));

    Command(ID_VIEW_STEREO);
    EXPECT_EQ(view->m_pStereoDlg, nullptr);
    EXPECT_EQ(view->m_pStereoToolsDlg, nullptr);
    EXPECT_FALSE(MenuChecked(ID_VIEW_STEREO));
    wxGetApp().ProcessIdle();
    EXPECT_EQ(StereoWindowsAlive(), 0);

    struct Way {
        const char* what;
        std::function<void()> close;
    };
    const Way ways[] = {
        {"stereo window's close box", [&] { GtkCloseWindow(view->StereoWindow()->GetHandle()); }},
        {"attributes' close box", [&] { GtkCloseWindow(view->StereoTools()->GetHandle()); }},
        {"another file", [&] { Open(view_files::Volume(dir, "other.vxq", 8)); }},
    };
    for (const Way& w : ways) {
        Command(ID_VIEW_STEREO);
        ASSERT_NE(view->StereoWindow(), nullptr) << w.what;
        ASSERT_TRUE(WaitUntil([&] { return view->StereoWindow()->IsShownOnScreen(); })) << w.what;
        w.close();
        EXPECT_TRUE(WaitUntil([&] { return !view->m_bStereo; })) << w.what;
        EXPECT_EQ(view->m_pStereoDlg, nullptr) << w.what;
        EXPECT_EQ(view->m_pStereoToolsDlg, nullptr) << w.what;
        wxGetApp().ProcessIdle();
        EXPECT_EQ(StereoWindowsAlive(), 0) << w.what;
    }
}

// The attributes start as the template has them: bars at 25 and 50, dual
// viewports and red / blue checked, the camera-overlay group out of reach.
TEST_F(StereoTest, AttributesStartAsTheTemplate)
{
    OpenStereo();
    EXPECT_EQ(GtkRangeValue(tools->m_sbFocal->GetHandle()), 25);
    EXPECT_EQ(GtkRangeValue(tools->m_sbSeparation->GetHandle()), 50);
    struct Radio {
        const char* name;
        const char* label;
        bool checked;
    };
    const Radio radios[] = {
        {"IDC_STEREO_DUAL", "Dual Viewports", true},     {"IDC_STEREO_ANAGLYPH", "Anaglyph", false},
        {"IDC_GLASSES_RED_BLUE", "Red / Blue", true},     {"IDC_GLASSES_RED_GREEN", "Red / Green", false},
        {"IDC_GLASSES_RED_CYAN", "Red / Cyan", false},    {"IDC_GLASSES_BLUE_RED", "Blue / Red", false},
        {"IDC_GLASSES_GREEN_RED", "Green / Red", false},  {"IDC_GLASSES_CYAN_RED", "Cyan / Red", false},
    };
    for (const Radio& r : radios) {
        wxRadioButton* radio = Control<wxRadioButton>(*tools, r.name);
        ASSERT_NE(radio, nullptr) << r.name;
        EXPECT_EQ(GtkButtonLabel(radio->GetHandle()), r.label);
        EXPECT_EQ(GtkToggleActive(radio->GetHandle()), r.checked) << r.name;
        EXPECT_TRUE(GtkSensitive(*radio)) << r.name;
    }
    const char* overlay[] = {"IDC_OVERLAY_LEFT", "IDC_OVERLAY_RIGHT", "IDC_FREEZE_VIDEO",
                             "IDC_OFFSET_X",     "IDC_OFFSET_Y",      "IDC_OFFSET_Z", "IDC_FADER"};
    for (const char* name : overlay) {
        wxWindow* w = tools->FindWindow(wxXmlResource::GetXRCID(name));
        ASSERT_NE(w, nullptr) << name;
        EXPECT_FALSE(GtkSensitive(*w)) << name;
    }
    StereoSettings s;
    s.method = -1;
    tools->GetSettings(s);
    EXPECT_FLOAT_EQ(s.focalFraction, 0.25f);
    EXPECT_FLOAT_EQ(s.separationFraction, 0.5f);
    EXPECT_FLOAT_EQ(s.fader, 0.5f);
    EXPECT_EQ(s.method, kStereoDualViewports);
    EXPECT_EQ(s.glasses, kGlassesRedBlue);
    EXPECT_EQ(s.offsetX, 0);
    EXPECT_FALSE(s.overlayLeft || s.overlayRight || s.freeze);
}

// A bar scrolled as GTK asks for it (a page from a trough click, a jump
// from a drag, a step from an arrow) moves by the dialog's arithmetic, and
// the view passes the new focal length and eye separation to the stereo
// window; the texts show them. Defaults brings both bars back.
TEST_F(StereoTest, BarsSetFocalLengthAndSeparation)
{
    OpenStereo();
    const float base = view->m_fFocalLength;
    struct Step {
        bool focalBar;
        int scroll;
        double value;
        int focal, separation; // positions after it
    };
    const Step steps[] = {
        {true, kGtkScrollPageForward, 0, 35, 50},  {true, kGtkScrollJump, 100, 100, 50},
        {true, kGtkScrollStepForward, 0, 100, 50}, {true, kGtkScrollJump, 0, 1, 50},
        {true, kGtkScrollStepBackward, 0, 1, 50},  {false, kGtkScrollPageBackward, 0, 1, 40},
        {false, kGtkScrollJump, 100, 1, 100},      {true, kGtkScrollStepForward, 0, 2, 100},
    };
    for (const Step& s : steps) {
        CScrollBarNoKbd* bar = s.focalBar ? tools->m_sbFocal : tools->m_sbSeparation;
        GtkScrollRange(bar->GetHandle(), s.scroll, s.value);
        EXPECT_EQ(GtkRangeValue(tools->m_sbFocal->GetHandle()), s.focal);
        EXPECT_EQ(GtkRangeValue(tools->m_sbSeparation->GetHandle()), s.separation);
        const float focal = ((s.focal * 0.01f - 0.25f) * 4 + 1) * base;
        const float separation = focal * 0.033333335f * ((s.separation * 0.01f - 0.5f) * 2 + 1);
        EXPECT_NEAR(view->m_fStereoFocal, focal, 1e-3 * focal) << s.focal;
        EXPECT_NEAR(view->m_fStereoSeparation, separation, 1e-3 * focal) << s.separation;
        EXPECT_FLOAT_EQ(view->m_fFocalLength, base) << "the base stays";
        EXPECT_DOUBLE_EQ(stereo->m_dFocalLength, view->m_fStereoFocal);
        EXPECT_DOUBLE_EQ(stereo->m_dEyeSeparation, view->m_fStereoSeparation);
        EXPECT_EQ(GtkLabelText(*tools->m_stFocal), Fixed2(view->m_fStereoFocal));
        EXPECT_EQ(GtkLabelText(*tools->m_stSeparation), Fixed2(view->m_fStereoSeparation));
    }
    GtkClick(Control<wxButton>(*tools, "IDC_STEREO_DEFAULTS")->GetHandle());
    EXPECT_EQ(GtkRangeValue(tools->m_sbFocal->GetHandle()), 25);
    EXPECT_EQ(GtkRangeValue(tools->m_sbSeparation->GetHandle()), 50);
    EXPECT_FLOAT_EQ(view->m_fStereoFocal, base);
    EXPECT_FLOAT_EQ(view->m_fStereoSeparation, base * 0.033333335f);
    EXPECT_EQ(GtkLabelText(*tools->m_stFocal), Fixed2(base));

    // What ShowValues shows (fly-through calls it with new base values).
    view->m_fStereoFocal = 1234.5f;
    view->m_fStereoSeparation = 0.125f;
    tools->ShowValues();
    EXPECT_EQ(GtkLabelText(*tools->m_stFocal), "1234.50");
    EXPECT_EQ(GtkLabelText(*tools->m_stSeparation), "0.12");
}

// Keys never reach the attributes' controls: an arrow moves no bar and
// checks no other radio.
TEST_F(StereoTest, AttributesSwallowKeys)
{
    OpenStereo();
    int keys = 0;
    auto count = [&](wxKeyEvent& e) {
        ++keys;
        e.Skip();
    };
    tools->Bind(wxEVT_CHAR_HOOK, count);
    wxRadioButton* dual = Control<wxRadioButton>(*tools, "IDC_STEREO_DUAL");
    wxRadioButton* anaglyph = Control<wxRadioButton>(*tools, "IDC_STEREO_ANAGLYPH");
    for (wxWindow* focus : {static_cast<wxWindow*>(tools->m_sbFocal), static_cast<wxWindow*>(dual)}) {
        focus->SetFocus();
        for (unsigned key : {kGdkKeyRight, kGdkKeyDown}) {
            const int before = keys;
            GtkPressKey(tools->GetHandle(), key);
            ASSERT_TRUE(WaitUntil([&] { return keys > before; }));
            wxGetApp().ProcessPendingEvents();
            EXPECT_EQ(GtkRangeValue(tools->m_sbFocal->GetHandle()), 25) << key;
            EXPECT_TRUE(GtkToggleActive(dual->GetHandle())) << key;
            EXPECT_FALSE(GtkToggleActive(anaglyph->GetHandle())) << key;
        }
    }
    EXPECT_EQ(tools->m_nMethod, kStereoDualViewports);
}

// The bar arithmetic: lines of 1, pages of 10, thumbs and ends, never
// outside 1..100.
TEST(StereoBar, PositionForEachScrollCode)
{
    const struct {
        ScrollCode code;
        int current, given, want;
    } cases[] = {
        {SB_LINEDOWN, 25, 0, 26},     {SB_LINEUP, 25, 0, 24},       {SB_LINEUP, 1, 0, 1},
        {SB_LINEDOWN, 100, 0, 100},   {SB_PAGEDOWN, 25, 0, 35},     {SB_PAGEDOWN, 95, 0, 100},
        {SB_PAGEUP, 25, 0, 15},       {SB_PAGEUP, 5, 0, 1},         {SB_THUMBTRACK, 25, 60, 60},
        {SB_THUMBPOSITION, 25, 0, 1}, {SB_THUMBTRACK, 25, 107, 100}, {SB_TOP, 50, 0, 1},
        {SB_BOTTOM, 50, 0, 100},      {SB_ENDSCROLL, 42, 7, 42},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StereoBarPosition(c.code, c.current, c.given), c.want) << c.code << " from " << c.current;
}

// What the screen shows of the stereo window: dual viewports put the two
// eyes side by side in halves of an odd width rounded down; the anaglyph
// puts them over each other through the glasses, red / blue by default;
// blue / red swaps the two channels. A glasses radio clicked in dual mode
// changes nothing.
TEST_F(StereoTest, WindowShowsThePair)
{
    OpenStereo();
    SizeCanvas(2 * 150 + 1, 150);
    EXPECT_EQ(stereo->m_nViewWidth, 150);
    EXPECT_EQ(stereo->m_nViewHeight, 150);
    const wxImage dual = Screen();
    const Rgb black{0, 0, 0};
    const int leftLit = CountOtherThan(dual, wxRect(0, 0, 150, 150), black);
    const int rightLit = CountOtherThan(dual, wxRect(150, 0, 150, 150), black);
    EXPECT_GT(leftLit, 1000);
    EXPECT_NEAR(rightLit, leftLit, leftLit / 5) << "each half shows the volume";
    EXPECT_EQ(CountOtherThan(dual, wxRect(300, 0, 1, 150), black), 0) << "the odd column";
    int differ = 0;
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 150; ++x)
            differ += !(PixelAt(dual, x, y) == PixelAt(dual, x + 150, y));
    EXPECT_GT(differ, 20) << "the eyes' images differ";

    GtkClick(Control<wxRadioButton>(*tools, "IDC_GLASSES_GREEN_RED")->GetHandle());
    EXPECT_EQ(tools->m_nGlasses, kGlassesGreenRed);
    EXPECT_EQ(stereo->m_nGlasses, kGlassesRedBlue) << "glasses wait for the anaglyph";
    GtkClick(Control<wxRadioButton>(*tools, "IDC_GLASSES_RED_BLUE")->GetHandle());

    GtkClick(Control<wxRadioButton>(*tools, "IDC_STEREO_ANAGLYPH")->GetHandle());
    EXPECT_EQ(stereo->m_nMethod, kStereoAnaglyph);
    EXPECT_EQ(stereo->m_nViewWidth, 301);
    EXPECT_FALSE(GtkSensitive(*tools->m_chkOverlayLeft));
    const wxImage redBlue = Screen();
    int red = 0, blue = 0, green = 0;
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 301; ++x) {
            const Rgb c = PixelAt(redBlue, x, y);
            red += c.r > 0;
            green += c.g > 0;
            blue += c.b > 0;
        }
    EXPECT_GT(red, 1000);
    EXPECT_GT(blue, 1000);
    EXPECT_EQ(green, 0);

    GtkClick(Control<wxRadioButton>(*tools, "IDC_GLASSES_BLUE_RED")->GetHandle());
    EXPECT_EQ(stereo->m_nGlasses, kGlassesBlueRed);
    const wxImage blueRed = Screen();
    int swapped = 0;
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 301; ++x) {
            const Rgb a = PixelAt(redBlue, x, y), b = PixelAt(blueRed, x, y);
            swapped += a.r == b.b && a.b == b.r && b.g == 0;
        }
    EXPECT_EQ(swapped, 150 * 301) << "left eye in blue, right eye in red";

    GtkClick(Control<wxRadioButton>(*tools, "IDC_STEREO_DUAL")->GetHandle());
    EXPECT_EQ(stereo->m_nMethod, kStereoDualViewports);
    EXPECT_EQ(stereo->m_nViewWidth, 150);
}

// A command that puts a new volume in the current one's place (trim, or the
// sub-volume of the cut-planes) with the stereo window open: the window
// draws the new volume in the mode the view is left in, through the camera
// the renderer took for it; what the screen shows is the pair drawn afresh
// from that camera. Trimming from fly-through leaves it for the normal view.
TEST_F(StereoTest, ReplacedVolumeShowsInThePairInTheNewMode)
{
    struct Case {
        const char* what;
        int modeCommand, command;
        int modeAfter;
    };
    const Case cases[] = {
        {"trim from fly-through", ID_MODE_FLYTHROUGH, ID_EDIT_TRIM, kRenderNormal},
        {"trim in MPR", ID_MODE_MPR, ID_EDIT_TRIM, kRenderMpr},
        {"sub-volume in the cut-plane mode", ID_MODE_CUTPLANES, ID_EDIT_SUBVOLUME, kRenderCutPlanes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OpenStereo();
        SizeCanvas(2 * 150 + 1, 150);
        Command(c.modeCommand);
        if (view->CutPlaneWindow()) {
            // Off the stereo window, whose pixels are read; the box loses
            // its far half in x.
            view->CutPlaneWindow()->Move(frame->GetScreenPosition() + wxPoint(0, 400));
            view->m_pRenderer->MoveFace0(-12);
        }
        CModel* old = view->m_pModel;
        ASSERT_TRUE(Paint());
        prompter.answers = {IDYES};
        Command(c.command);
        ASSERT_NE(view->m_pModel, old);
        EXPECT_EQ(view->m_nRenderMode, c.modeAfter);
        EXPECT_EQ(view->m_pRenderer->m_nRenderMode, c.modeAfter);
        ASSERT_EQ(view->StereoWindow(), stereo);
        EXPECT_EQ(stereo->m_pModel, view->m_pModel);
        // The view's frame first, as the command asks for it: it rebuilds the
        // textures and then asks the stereo window for its pair.
        ASSERT_TRUE(DrawFrame());
        const wxImage shown = Screen();
        stereo->UpdateFrustums();
        const wxImage fresh = Screen();
        EXPECT_GT(CountOtherThan(fresh, wxRect(0, 0, 300, 150), Rgb{0, 0, 0}), 1000);
        EXPECT_EQ(Differing(shown, fresh, wxRect(0, 0, 301, 150)), 0) << "the pair as the renderer's camera gives it";
        wxGetApp().m_bContinuousRedraw = false;
    }
}

// A window too small for a pair keeps the pair it had.
TEST_F(StereoTest, CollapsedCanvasKeepsTheFrustums)
{
    OpenStereo();
    SizeCanvas(641, 200);
    EXPECT_EQ(stereo->m_nViewWidth, 320);
    const StereoFrustum left = stereo->m_dLeftFrustum;
    for (wxSize size : {wxSize(1, 200), wxSize(641, 0)}) {
        stereo->Canvas()->SetSize(size);
        stereo->UpdateFrustums();
        EXPECT_EQ(stereo->m_nViewWidth, 320);
        EXPECT_EQ(stereo->m_nViewHeight, 200);
        EXPECT_EQ(stereo->m_dLeftFrustum, left);
    }
}

// A double click copies the pair: a bitmap as wide as the window rounded
// down to a multiple of 4, with the pixels the screen shows, and the
// notice; when the clipboard refuses it nothing is reported. The system
// clipboard then offers it as a PNG image (and as a BMP) to others.
TEST_F(StereoTest, DoubleClickCopiesThePair)
{
    OpenStereo();
    GtkClick(Control<wxRadioButton>(*tools, "IDC_STEREO_ANAGLYPH")->GetHandle());
    SizeCanvas(203, 120);
    std::vector<std::uint8_t> copied;
    bool accept = true;
    stereo->m_putOnClipboard = [&](const std::vector<std::uint8_t>& dib) {
        copied = dib;
        return accept;
    };
    prompter.asked.clear();
    DoubleClick();
    ASSERT_EQ(copied.size(), kDibHeaderSize + 3u * 200 * 120);
    int w = 0, h = 0;
    std::vector<std::uint8_t> rgb;
    ASSERT_TRUE(DibToRgbTopDown(copied, w, h, rgb));
    EXPECT_EQ(w, 200);
    EXPECT_EQ(h, 120);
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].text, "Image copied to clipboard");
    EXPECT_EQ(prompter.asked[0].style, unsigned(MB_OK | MB_ICONINFORMATION));

    // The copy is drawn, read, then swapped onto the screen.
    const wxImage shown = GrabWindow(*stereo->Canvas());
    int same = 0, lit = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 200; ++x) {
            same += PixelAt(shown, x, y) == DibPixel(copied, x, y);
            lit += !(DibPixel(copied, x, y) == Rgb{0, 0, 0});
        }
    EXPECT_EQ(same, 200 * 120);
    EXPECT_GT(lit, 500);

    accept = false;
    copied.clear();
    DoubleClick();
    EXPECT_FALSE(copied.empty());
    EXPECT_EQ(prompter.asked.size(), 1u) << "no notice when the clipboard refuses";

    std::vector<std::uint8_t> put;
    stereo->m_putOnClipboard = [&](const std::vector<std::uint8_t>& dib) {
        put = dib;
        return PutDibOnClipboard(dib);
    };
    DoubleClick();
    ASSERT_EQ(prompter.asked.size(), 2u);
    const std::string targets = RunWhileServing(dir, "xclip -selection clipboard -t TARGETS -o");
    EXPECT_NE(targets.find("image/png"), std::string::npos) << targets;
    EXPECT_NE(targets.find("image/bmp"), std::string::npos) << targets;
    const std::string png = RunWhileServing(dir, "xclip -selection clipboard -t image/png -o");
    wxImage image;
    wxMemoryInputStream stream(png.data(), png.size());
    ASSERT_TRUE(image.LoadFile(stream, wxBITMAP_TYPE_PNG));
    ASSERT_EQ(image.GetSize(), wxSize(200, 120));
    int matching = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 200; ++x)
            matching += PixelAt(image, x, y) == DibPixel(put, x, y);
    EXPECT_EQ(matching, 200 * 120);
    const std::string bmp = RunWhileServing(dir, "xclip -selection clipboard -t image/bmp -o");
    ASSERT_EQ(bmp.size(), 14 + put.size());
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(std::vector<std::uint8_t>(bmp.begin() + 14, bmp.end()), put);
}

// Entering the cut-plane mode opens "Adjust cut planes" with the renderer's
// rotation and face mask; the trackbar turns the custom plane (0 gives the
// plane back unrotated); each check, labelled 1 to 6, shows or hides face
// 0 to 5 on the canvas, all cleared leaving no face. Leaving the mode or
// opening another file closes the window.
TEST_F(StereoTest, CutPlaneWindowDrivesTheBox)
{
    Open(SlabVolume(dir, "slab.vxq"));
    CRenderer* renderer = view->m_pRenderer.get();
    renderer->RotateCutPlaneBy(90);
    Command(ID_MODE_CUTPLANES);
    CCutPlaneDialog* dlg = view->CutPlaneWindow();
    ASSERT_NE(dlg, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return dlg->IsShownOnScreen(); }));
    // Over the light box, off the canvas whose pixels are read.
    dlg->Move(frame->GetScreenPosition() + wxPoint(0, 400));
    EXPECT_EQ(dlg->GetTitle(), "Adjust cut planes");
    EXPECT_EQ(dlg->GetParent(), view);
    EXPECT_TRUE(MenuChecked(ID_MODE_CUTPLANES));
    EXPECT_EQ(GtkRangeValue(dlg->m_wndRotation->GetHandle()), 90);
    wxCheckBox* checks[6];
    for (int i = 0; i < 6; ++i) {
        checks[i] = Control<wxCheckBox>(*dlg, ("IDC_CUT_FACE" + std::to_string(i + 1)).c_str());
        ASSERT_NE(checks[i], nullptr);
        EXPECT_EQ(GtkButtonLabel(checks[i]->GetHandle()), std::to_string(i + 1));
        EXPECT_TRUE(GtkToggleActive(checks[i]->GetHandle()));
    }

    GtkSetRangeValue(dlg->m_wndRotation->GetHandle(), 30);
    EXPECT_EQ(renderer->m_nPlaneRotation, 30);
    EXPECT_GT(std::abs(renderer->m_vU.z), 0.4f) << "turned about n";
    GtkSetRangeValue(dlg->m_wndRotation->GetHandle(), 0);
    EXPECT_EQ(renderer->m_nPlaneRotation, 0);
    EXPECT_EQ(renderer->m_vU, renderer->m_vRefU);
    EXPECT_EQ(renderer->m_vV, renderer->m_vRefV);

    // The box outline is blue; the volume is grey.
    auto outline = [&] {
        const wxImage image = Canvas();
        int n = 0;
        const wxRect r = Inside();
        for (int y = r.GetTop(); y <= r.GetBottom(); ++y)
            for (int x = r.GetLeft(); x <= r.GetRight(); ++x) {
                const Rgb c = PixelAt(image, x, y);
                n += c.b > 120 && c.b > c.r + 60 && c.b > c.g + 60;
            }
        return n;
    };
    int shown = outline();
    EXPECT_GT(shown, 200);
    for (int i = 0; i < 6; ++i) {
        GtkClick(checks[i]->GetHandle());
        EXPECT_FALSE(GtkToggleActive(checks[i]->GetHandle()));
        EXPECT_EQ(renderer->m_nFaceMask, 63 & ~((2 << i) - 1)) << "face " << i;
        EXPECT_EQ(dlg->m_nFaceMask, renderer->m_nFaceMask);
        const int now = outline();
        EXPECT_LT(now, shown) << "face " << i << " hidden";
        shown = now;
    }
    EXPECT_EQ(shown, 0) << "no face drawn";

    view->ExitRenderMode();
    EXPECT_EQ(view->m_pCutPlaneDlg, nullptr);
    Command(ID_MODE_CUTPLANES);
    dlg = view->CutPlaneWindow();
    ASSERT_NE(dlg, nullptr);
    for (int i = 0; i < 6; ++i)
        EXPECT_FALSE(Control<wxCheckBox>(*dlg, ("IDC_CUT_FACE" + std::to_string(i + 1)).c_str())->GetValue());
    Open(view_files::Volume(dir, "other.vxq", 8));
    EXPECT_EQ(view->m_pCutPlaneDlg, nullptr);
}
