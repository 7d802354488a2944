#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/xrc/xmlres.h>

#include "TableRenderer.h"
#include "ViewFixture.h"
#include "app/ThumbWheel.h"
#include "app/dialogs/CutPlaneDialog.h"
#include "app/dialogs/XfrDialog.h"
#include "render/Tex2DPixelMapRenderer.h"
#include "render/Tex3DPixelMapRenderer.h"
#include "render/TransferFunction.h"
#include "support/VolumeScenes.h"

using xfr::GraphPoint;
using Points = std::vector<TfPoint>;

namespace {
const Points kRamp = {{0, 0}, {127, 127}, {255, 255}};

// Top-level editors that still show, wherever they came from.
int EditorsShown()
{
    int n = 0;
    for (wxWindow* w : wxTopLevelWindows)
        n += dynamic_cast<CXfrDialog*>(w) && w->IsShown() && !w->IsBeingDeleted();
    return n;
}

// Pixels where the graph on screen differs from the editor's picture.
int GraphDifferences(CXfrDialog& dlg)
{
    const wxImage shown = GrabClient(dlg);
    if (!shown.IsOk() || shown.GetWidth() < xfr::kGraphRight || shown.GetHeight() < xfr::kGraphBottom)
        return -1;
    int n = 0;
    for (int v = 0; v < CXfrPicture::kSize; ++v)
        for (int u = 0; u < CXfrPicture::kSize; ++u) {
            const xfr::Rgb want = dlg.Picture().At(u, v);
            const Rgb got = PixelAt(shown, xfr::kGraphLeft + u, xfr::kGraphTop + v);
            n += !(got == Rgb{want.r, want.g, want.b});
        }
    return n;
}

// The editor with a small volume in the view and a renderer that shows its
// table; the editor is placed where it covers none of the canvas sampled.
class XfrDialogTest : public ViewTest {
protected:
    void OpenVolume(bool autoUpdate)
    {
        Open(view_files::Volume(dir, "cube.vxq", 8));
        ASSERT_NE(view->m_pModel, nullptr);
        ASSERT_TRUE(view->m_pModel->IsVolume());
        volume = static_cast<CVolume*>(view->m_pModel);
        const wxSize s = view->GetClientSize();
        auto r = std::make_unique<CTableRenderer>(volume, view->Surface(), s.x, s.y, autoUpdate);
        r->AttachModel(volume);
        renderer = r.get();
        view->m_pRenderer = std::move(r);
        tf = renderer->m_pTransferFunction.get();
        ASSERT_NE(tf, nullptr);
    }
    CXfrDialog* OpenEditor()
    {
        Command(ID_EDIT_TRANSFER_FUNCTION);
        auto* dlg = dynamic_cast<CXfrDialog*>(view->m_pXfrDlg);
        if (!dlg)
            return nullptr;
        const wxRect screen = wxGetClientDisplayRect();
        dlg->Move(screen.GetLeft(), screen.GetBottom() - dlg->GetSize().y - 20);
        EXPECT_TRUE(WaitUntil([&] { return dlg->IsShownOnScreen() && GraphDifferences(*dlg) == 0; }));
        return dlg;
    }
    template <class W> W& Ctl(CXfrDialog& dlg, const char* name)
    {
        W* w = dynamic_cast<W*>(dlg.FindWindow(XRCID(name)));
        EXPECT_NE(w, nullptr) << name;
        return *w;
    }
    // A click on a control through the X server; true once it has answered.
    template <class Tag> bool Click(wxWindow& control, const Tag& answer)
    {
        int answers = 0;
        auto count = [&](wxEvent& e) {
            ++answers;
            e.Skip();
        };
        control.Bind(answer, count);
        Pointer p(control);
        const wxSize s = control.GetSize();
        const bool done = p.MoveTo(s.x / 2, s.y / 2) && p.Down() && p.Up() && WaitUntil([&] { return answers > 0; });
        control.Unbind(answer, count);
        return done;
    }
    bool ClickButton(CXfrDialog& dlg, const char* name) { return Click(Ctl<wxButton>(dlg, name), wxEVT_BUTTON); }
    // The canvas colour where no editor covers it.
    Rgb CanvasSample()
    {
        const wxImage shown = Canvas();
        return PixelAt(shown, shown.GetWidth() - 60, 60);
    }
    static bool Near(Rgb got, const CTableRenderer& r)
    {
        return std::abs(got.r - r.Shown(0)) <= 1 && std::abs(got.g - r.Shown(1)) <= 1 &&
               std::abs(got.b - r.Shown(2)) <= 1;
    }
    const Points& Alpha() const { return tf->m_aPoints[CTransferFunction::kAlpha]; }

    CVolume* volume = nullptr;
    CTableRenderer* renderer = nullptr;
    CTransferFunction* tf = nullptr;
};
} // namespace

// The command is offered for a volume whose renderer holds a transfer
// function, and opens one editor at a time titled as its template; Close
// and the title bar's close box end it and clear the view's reference, and
// opening another file closes it.
TEST_F(XfrDialogTest, CommandOpensOneEditorAtATime)
{
    EXPECT_FALSE(MenuEnabled(ID_EDIT_TRANSFER_FUNCTION));
    Open(view_files::Octahedron(dir, "oct.vxq"));
    EXPECT_FALSE(MenuEnabled(ID_EDIT_TRANSFER_FUNCTION));
    Open(view_files::Volume(dir, "plain.vxq", 8));
    EXPECT_EQ(MenuEnabled(ID_EDIT_TRANSFER_FUNCTION), view->m_pRenderer->m_pTransferFunction != nullptr);
    OpenVolume(true);
    EXPECT_TRUE(MenuEnabled(ID_EDIT_TRANSFER_FUNCTION));

    CXfrDialog* first = OpenEditor();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetTitle(), "Amend Transfer Function");
    EXPECT_EQ(first->GetParent(), view);
    CXfrDialog* second = OpenEditor();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(EditorsShown(), 1);

    ASSERT_TRUE(ClickButton(*second, "wxID_OK"));
    EXPECT_EQ(view->m_pXfrDlg, nullptr);
    EXPECT_TRUE(WaitUntil([] { return EditorsShown() == 0; }));

    CXfrDialog* third = OpenEditor();
    ASSERT_NE(third, nullptr);
    third->Close(); // the title bar's close box
    EXPECT_EQ(view->m_pXfrDlg, nullptr);
    EXPECT_TRUE(WaitUntil([] { return EditorsShown() == 0; }));

    OpenEditor();
    ASSERT_NE(view->m_pXfrDlg, nullptr);
    Open(view_files::Octahedron(dir, "again.vxq"));
    EXPECT_EQ(view->m_pXfrDlg, nullptr);
    EXPECT_TRUE(WaitUntil([] { return EditorsShown() == 0; }));
}

// The editor starts on alpha with splines and Delete disabled, and takes
// auto-update from the renderer: on, Apply is disabled; off, Auto-update
// itself is. GTK shows the graph exactly as drawn, and no control covers the
// graph or another control.
TEST_F(XfrDialogTest, StartsFromTheRendererAndShowsTheGraph)
{
    struct Case {
        bool autoUpdate;
        bool autoChecked, autoSensitive, applySensitive;
    };
    for (Case c : {Case{true, true, true, false}, Case{false, false, false, true}}) {
        SCOPED_TRACE(c.autoUpdate);
        OpenVolume(c.autoUpdate);
        CXfrDialog* dlg = OpenEditor();
        ASSERT_NE(dlg, nullptr);
        EXPECT_TRUE(Ctl<wxRadioButton>(*dlg, "IDC_XFR_ALPHA").GetValue());
        EXPECT_TRUE(Ctl<wxCheckBox>(*dlg, "IDC_XFR_SPLINES").GetValue());
        EXPECT_FALSE(Ctl<wxCheckBox>(*dlg, "IDC_XFR_SHOW_ALL").GetValue());
        EXPECT_FALSE(GtkSensitive(Ctl<wxButton>(*dlg, "IDC_XFR_DELETE")));
        EXPECT_EQ(Ctl<wxCheckBox>(*dlg, "IDC_XFR_AUTO_UPDATE").GetValue(), c.autoChecked);
        EXPECT_EQ(GtkSensitive(Ctl<wxCheckBox>(*dlg, "IDC_XFR_AUTO_UPDATE")), c.autoSensitive);
        EXPECT_EQ(GtkSensitive(Ctl<wxButton>(*dlg, "IDC_XFR_APPLY")), c.applySensitive);
        EXPECT_EQ(GtkLabelText(Ctl<wxStaticText>(*dlg, "IDC_XFR_STATUS")), "");
        EXPECT_EQ(tf->m_nCurrent, CTransferFunction::kAlpha);
        EXPECT_FALSE(tf->m_bLinked);
        EXPECT_EQ(GraphDifferences(*dlg), 0);
        // The alpha ramp and its three markers are on screen.
        const wxImage shown = GrabClient(*dlg);
        EXPECT_EQ(PixelAt(shown, 10 + 200, 266 - 200), (Rgb{255, 0, 255}));
        EXPECT_EQ(PixelAt(shown, 10 + 127 - 4, 266 - 127 - 4), (Rgb{255, 255, 255}));
    }

    CXfrDialog& dlg = *static_cast<CXfrDialog*>(view->m_pXfrDlg);
    const wxRect graph(xfr::kGraphLeft, xfr::kGraphTop, xfr::kGraphSize, xfr::kGraphSize);
    const wxRect client(wxPoint(0, 0), dlg.GetClientSize());
    std::vector<std::pair<wxString, wxRect>> controls;
    for (wxWindow* child : dlg.GetChildren()) {
        const wxRect r = AllocationOf(*child);
        EXPECT_TRUE(client.Contains(r)) << child->GetLabel() << " leaves the window";
        EXPECT_FALSE(r.Intersects(graph)) << child->GetLabel() << " covers the graph";
        if (!dynamic_cast<wxStaticBox*>(child))
            controls.emplace_back(child->GetLabel(), r);
    }
    for (std::size_t i = 0; i < controls.size(); ++i)
        for (std::size_t j = i + 1; j < controls.size(); ++j)
            EXPECT_FALSE(controls[i].second.Intersects(controls[j].second))
                << controls[i].first << " and " << controls[j].first;
}

// With auto-update on, a click on empty graph adds a marker and a drag moves
// it: each step reaches the renderer's table, the light box's palette and
// the picture in the 3D view; the status line follows the pointer.
TEST_F(XfrDialogTest, MouseAddsAndDragsAMarkerIntoTheView)
{
    OpenVolume(true);
    CXfrDialog* dlg = OpenEditor();
    ASSERT_NE(dlg, nullptr);
    const Rgb before = CanvasSample();
    EXPECT_TRUE(Near(before, *renderer));
    const int uploads = renderer->m_nUploads;
    wxStaticText& status = Ctl<wxStaticText>(*dlg, "IDC_XFR_STATUS");

    Pointer p(*dlg);
    GraphPoint at = xfr::GraphToClient(60, 30);
    ASSERT_TRUE(p.MoveTo(at.x, at.y));
    EXPECT_EQ(GtkLabelText(status),
              "Input = 60, Output = 60, Count = " + std::to_string(volume->m_histogram.m_counts[60]));
    ASSERT_TRUE(p.Down());
    EXPECT_EQ(Alpha(), (Points{{0, 0}, {60, 30}, {127, 127}, {255, 255}}));
    EXPECT_TRUE(GtkSensitive(Ctl<wxButton>(*dlg, "IDC_XFR_DELETE")));
    EXPECT_TRUE(dlg->HasCapture());
    EXPECT_GT(renderer->m_nUploads, uploads);
    EXPECT_EQ(renderer->m_uploaded, *renderer->m_pRgbaTable);

    at = xfr::GraphToClient(150, 20); // past the next marker: held at 126
    ASSERT_TRUE(p.MoveTo(at.x, at.y));
    at = xfr::GraphToClient(100, 240);
    ASSERT_TRUE(p.MoveTo(at.x, at.y));
    ASSERT_TRUE(p.Up());
    EXPECT_FALSE(dlg->HasCapture());
    EXPECT_EQ(Alpha(), (Points{{0, 0}, {100, 240}, {127, 127}, {255, 255}}));
    EXPECT_EQ((*renderer->m_pRgbaTable)[4 * 100 + 3], 240);
    EXPECT_EQ(renderer->m_uploaded, *renderer->m_pRgbaTable);
    EXPECT_EQ(GtkLabelText(status), "Input = 100, Output = 240, Count = " +
                                        std::to_string(volume->m_histogram.m_counts[100]));
    BgrPalette palette{};
    WriteLightBoxPalette(*renderer->m_pRgbaTable, palette);
    EXPECT_EQ(*renderer->m_pBgrPalette, palette);

    const Rgb after = CanvasSample();
    EXPECT_TRUE(Near(after, *renderer)) << after.r << " " << after.g << " " << after.b;
    EXPECT_FALSE(after == before);
    EXPECT_TRUE(WaitUntil([&] { return GraphDifferences(*dlg) == 0; }));
    EXPECT_EQ(PixelAt(GrabClient(*dlg), 10 + 100, 266 - 240), (Rgb{255, 255, 255})); // selected: filled

    // Off the graph without a button the status line is empty.
    ASSERT_TRUE(p.MoveTo(5, 285));
    EXPECT_EQ(GtkLabelText(status), "");
}

// With auto-update off, edits stay in the editor until Apply: the renderer
// and the view see nothing before, the new table and palette after.
TEST_F(XfrDialogTest, ApplyPushesTheTableWhenAutoUpdateIsOff)
{
    OpenVolume(false);
    CXfrDialog* dlg = OpenEditor();
    ASSERT_NE(dlg, nullptr);
    const Rgb before = CanvasSample();
    const int uploads = renderer->m_nUploads;
    const BgrPalette grey = *renderer->m_pBgrPalette;

    Pointer p(*dlg);
    const GraphPoint at = xfr::GraphToClient(200, 20);
    ASSERT_TRUE(p.MoveTo(at.x, at.y) && p.Down() && p.Up());
    EXPECT_EQ(Alpha().size(), 4u);
    EXPECT_EQ(renderer->m_nUploads, uploads);
    EXPECT_EQ(*renderer->m_pBgrPalette, grey);
    EXPECT_EQ(CanvasSample(), before);

    ASSERT_TRUE(ClickButton(*dlg, "IDC_XFR_APPLY"));
    EXPECT_EQ(renderer->m_nUploads, uploads + 1);
    EXPECT_EQ(renderer->m_uploaded, *renderer->m_pRgbaTable);
    BgrPalette palette{};
    WriteLightBoxPalette(*renderer->m_pRgbaTable, palette);
    EXPECT_EQ(*renderer->m_pBgrPalette, palette);
    EXPECT_NE(palette, grey);
    const Rgb after = CanvasSample();
    EXPECT_TRUE(Near(after, *renderer));
    EXPECT_FALSE(after == before);
}

// The radios and checks: Intensity links red to green and blue and shows one
// yellow curve; Show all adds alpha; Hide markers takes the markers away;
// Use splines? rebuilds the current channel straight; Delete and the presets
// act on the current channel and leave no marker selected.
TEST_F(XfrDialogTest, RadiosChecksAndButtonsChangeWhatTheGraphShows)
{
    OpenVolume(true);
    CXfrDialog* dlg = OpenEditor();
    ASSERT_NE(dlg, nullptr);
    auto countColour = [&](Rgb c) { return 256 * 256 - CountOtherThan(GrabClient(*dlg), wxRect(10, 10, 256, 256), c); };
    const Rgb yellow{255, 255, 0}, magenta{255, 0, 255}, white{255, 255, 255};

    ASSERT_TRUE(Click(Ctl<wxRadioButton>(*dlg, "IDC_XFR_INTENSITY"), wxEVT_RADIOBUTTON));
    EXPECT_TRUE(tf->m_bLinked);
    EXPECT_EQ(tf->m_nCurrent, CTransferFunction::kRed);
    ASSERT_TRUE(WaitUntil([&] { return GraphDifferences(*dlg) == 0; }));
    EXPECT_GT(countColour(yellow), 200);
    EXPECT_EQ(countColour(magenta), 0);

    ASSERT_TRUE(Click(Ctl<wxCheckBox>(*dlg, "IDC_XFR_SHOW_ALL"), wxEVT_CHECKBOX));
    ASSERT_TRUE(WaitUntil([&] { return GraphDifferences(*dlg) == 0; }));
    EXPECT_GT(countColour(magenta), 200);
    ASSERT_TRUE(Click(Ctl<wxCheckBox>(*dlg, "IDC_XFR_HIDE_MARKERS"), wxEVT_CHECKBOX));
    ASSERT_TRUE(WaitUntil([&] { return GraphDifferences(*dlg) == 0; }));
    EXPECT_EQ(countColour(white), 0);

    // A red marker, straight lines, then Delete: green and blue follow red.
    Pointer p(*dlg);
    const GraphPoint at = xfr::GraphToClient(64, 192);
    ASSERT_TRUE(p.MoveTo(at.x, at.y) && p.Down() && p.Up());
    ASSERT_TRUE(Click(Ctl<wxCheckBox>(*dlg, "IDC_XFR_SPLINES"), wxEVT_CHECKBOX));
    EXPECT_EQ(tf->m_bSpline, 0);
    EXPECT_EQ((*renderer->m_pRgbaTable)[4 * 32 + 0], 96); // halfway up to (64, 192)
    EXPECT_EQ((*renderer->m_pRgbaTable)[4 * 32 + 2], 96);
    ASSERT_TRUE(ClickButton(*dlg, "IDC_XFR_DELETE"));
    EXPECT_EQ(tf->m_aPoints[0], kRamp);
    EXPECT_EQ(tf->m_aPoints[2], kRamp);
    EXPECT_FALSE(GtkSensitive(Ctl<wxButton>(*dlg, "IDC_XFR_DELETE")));

    struct Case {
        const char* button;
        std::optional<Points> red; // none: as the histogram gives it
    };
    const Case cases[] = {
        {"IDC_XFR_NEGATIVE", Points{{0, 255}, {127, 127}, {255, 0}}},
        {"IDC_XFR_RESET_CURRENT", kRamp},
        {"IDC_XFR_STRETCH", std::nullopt},
        {"IDC_XFR_RESET_ALL", kRamp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        ASSERT_TRUE(p.MoveTo(at.x, at.y) && p.Down() && p.Up());
        ASSERT_TRUE(GtkSensitive(Ctl<wxButton>(*dlg, "IDC_XFR_DELETE")));
        ASSERT_TRUE(ClickButton(*dlg, c.button));
        EXPECT_FALSE(GtkSensitive(Ctl<wxButton>(*dlg, "IDC_XFR_DELETE")));
        if (c.red) {
            EXPECT_EQ(tf->m_aPoints[0], *c.red);
        }
        EXPECT_EQ(tf->m_aPoints[1], tf->m_aPoints[0]);
        EXPECT_EQ(renderer->m_uploaded, *renderer->m_pRgbaTable);
    }
    ASSERT_TRUE(ClickButton(*dlg, "IDC_XFR_EQUALISE"));
    EXPECT_EQ(tf->m_aPoints[0].size(), 256u);
}

// Save writes the curves through the save chooser, Load through the open
// chooser puts them back after a reset, and the graph shows exactly what it
// showed before; a cancelled chooser changes nothing.
TEST_F(XfrDialogTest, SaveThenLoadRestoresTheCurves)
{
    OpenVolume(true);
    CXfrDialog* dlg = OpenEditor();
    ASSERT_NE(dlg, nullptr);
    Pointer p(*dlg);
    GraphPoint at = xfr::GraphToClient(80, 200);
    ASSERT_TRUE(p.MoveTo(at.x, at.y) && p.Down() && p.Up());
    ASSERT_TRUE(Click(Ctl<wxRadioButton>(*dlg, "IDC_XFR_RED"), wxEVT_RADIOBUTTON));
    ASSERT_TRUE(ClickButton(*dlg, "IDC_XFR_NEGATIVE"));
    at = xfr::GraphToClient(40, 100);
    ASSERT_TRUE(p.MoveTo(at.x, at.y) && p.Down() && p.Up());
    ASSERT_EQ(tf->m_aPoints[0], (Points{{0, 255}, {40, 100}, {127, 127}, {255, 0}}));
    // Back on alpha, where a load leaves the editor: no marker selected.
    ASSERT_TRUE(Click(Ctl<wxRadioButton>(*dlg, "IDC_XFR_ALPHA"), wxEVT_RADIOBUTTON));
    Points lists[4];
    for (int c = 0; c < 4; ++c)
        lists[c] = tf->m_aPoints[c];
    const RgbaLookupTable table = *renderer->m_pRgbaTable;
    ASSERT_TRUE(WaitUntil([&] { return GraphDifferences(*dlg) == 0; }));
    const CXfrPicture picture = dlg->Picture();

    const std::string path = dir.File("curves.tfn");
    prompter.files = {path};
    ASSERT_TRUE(ClickButton(*dlg, "IDC_XFR_SAVE"));
    ASSERT_FALSE(prompter.fileRequests.empty());
    const FileChooserRequest save = prompter.fileRequests.back();
    EXPECT_FALSE(save.open);
    EXPECT_EQ(save.defaultExt, "tfn");
    EXPECT_EQ(save.filter, "Transfer function files (*.tfn)|*.tfn|All Files (*.*)|*.*||");
    EXPECT_TRUE(std::filesystem::exists(path));

    ASSERT_TRUE(ClickButton(*dlg, "IDC_XFR_RESET_ALL"));
    EXPECT_EQ(tf->m_aPoints[3], kRamp);
    prompter.files = {""};
    ASSERT_TRUE(ClickButton(*dlg, "IDC_XFR_LOAD"));
    EXPECT_EQ(tf->m_aPoints[3], kRamp);

    prompter.files = {path};
    ASSERT_TRUE(ClickButton(*dlg, "IDC_XFR_LOAD"));
    const FileChooserRequest load = prompter.fileRequests.back();
    EXPECT_TRUE(load.open);
    EXPECT_EQ(load.defaultExt, "tfn");
    EXPECT_EQ(load.filter, save.filter);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(tf->m_aPoints[c], lists[c]) << c;
    EXPECT_EQ(*renderer->m_pRgbaTable, table);
    EXPECT_EQ(renderer->m_uploaded, table);
    EXPECT_TRUE(dlg->Picture().m_rgb == picture.m_rgb);
    EXPECT_TRUE(WaitUntil([&] { return GraphDifferences(*dlg) == 0; }));
}

// Over the graph GTK shows the cross hair; elsewhere in the window the
// window's own cursor.
TEST_F(XfrDialogTest, CrossCursorOverTheGraph)
{
    OpenVolume(true);
    CXfrDialog* dlg = OpenEditor();
    ASSERT_NE(dlg, nullptr);
    Pointer p(*dlg);
    ASSERT_TRUE(p.MoveTo(138, 138));
    EXPECT_EQ(GtkClientCursor(*dlg), GtkCursorShown::cross);
    ASSERT_TRUE(p.MoveTo(5, 285));
    EXPECT_EQ(GtkClientCursor(*dlg), GtkCursorShown::inherited);
    ASSERT_TRUE(p.MoveTo(265, 10));
    EXPECT_EQ(GtkClientCursor(*dlg), GtkCursorShown::cross);
    ASSERT_TRUE(p.MoveTo(266, 10));
    EXPECT_EQ(GtkClientCursor(*dlg), GtkCursorShown::inherited);
}

// Whatever replaces the volume closes the editor first; the window it leaves
// for deletion no longer reads the renderer or the volume.
TEST_F(XfrDialogTest, ClosedBeforeTheVolumeGoes)
{
    OpenVolume(true);
    CXfrDialog* dlg = OpenEditor();
    ASSERT_NE(dlg, nullptr);
    view->CloseXfrDialog();
    EXPECT_EQ(view->m_pXfrDlg, nullptr);
    EXPECT_EQ(dlg->Editor().m_pRenderer, nullptr);
    EXPECT_EQ(dlg->Editor().m_pVolume, nullptr);
    EXPECT_TRUE(WaitUntil([] { return EditorsShown() == 0; }));
}

// With the renderers that colour on upload, Apply builds the textures anew;
// the zoom set on the wheel and a cut face dragged in stay as they were:
// across the middle row the cut cube spans the same pixels before and
// after, in the new colours.
TEST_F(XfrDialogTest, ApplyKeepsTheZoomAndTheCutFaces)
{
    Open(view_files::Saved(dir, "solid.vxq",
                           *MakeVolume<CNativeVolume>(16, 16, 16, 8, [](int, int, int) { return 200; })));
    ASSERT_NE(view->m_pModel, nullptr);
    volume = static_cast<CVolume*>(view->m_pModel);

    // The lit run of the canvas's middle row, and the colour at its middle.
    struct Row {
        int left = -1, right = -1;
        Rgb middle;
    };
    auto middleRow = [&] {
        const wxImage shown = Canvas();
        const wxRect inside = Inside();
        const int y = inside.GetTop() + inside.GetHeight() / 2;
        Row row;
        for (int x = inside.GetLeft(); x <= inside.GetRight(); ++x) {
            const Rgb c = PixelAt(shown, x, y);
            if (c.r > 20 || c.g > 20 || c.b > 20) {
                if (row.left < 0)
                    row.left = x;
                row.right = x;
            }
        }
        row.middle = PixelAt(shown, (row.left + row.right) / 2, y);
        return row;
    };
    struct Case {
        const char* what;
        std::function<std::unique_ptr<CRenderer>(const wxSize&)> make;
    };
    const Case cases[] = {
        {"2D pixel maps",
         [&](const wxSize& s) {
             return std::make_unique<CTex2DPixelMapRenderer>(volume, view->Surface(), s.x, s.y);
         }},
        {"3D pixel maps",
         [&](const wxSize& s) {
             return std::make_unique<CTex3DPixelMapRenderer>(volume, view->Surface(), s.x, s.y);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        view->m_pRenderer = c.make(view->GetClientSize());
        view->m_pRenderer->AttachModel(volume);
        view->OnResetView();
        ASSERT_TRUE(DrawFrame());
        Command(ID_MODE_CUTPLANES);
        ASSERT_NE(view->m_pCutPlaneDlg, nullptr);
        // Out of the middle row's way.
        const wxRect screen = wxGetClientDisplayRect();
        view->m_pCutPlaneDlg->Move(screen.GetRight() - view->m_pCutPlaneDlg->GetSize().x,
                                   screen.GetBottom() - view->m_pCutPlaneDlg->GetSize().y - 20);
        // Zoomed in by 25 steps of the wheel: 25 degrees.
        view->m_wheelZoom.m_nAngle = 25;
        CThumbWheelEvent zoom(kWmUser + 4, 25u << 16, &view->m_wheelZoom);
        view->ProcessWindowEvent(zoom);
        ASSERT_EQ(view->m_pRenderer->m_dFovY, 25.0);
        // Face 0, on +x, dragged 4 units in.
        view->m_pRenderer->MoveFace0(-4);
        const double face = view->m_pRenderer->m_dPlanes[0][3];
        const Row before = middleRow();
        ASSERT_GT(before.right, before.left);

        CXfrDialog* dlg = OpenEditor();
        ASSERT_NE(dlg, nullptr);
        ASSERT_TRUE(ClickButton(*dlg, "IDC_XFR_NEGATIVE"));
        ASSERT_TRUE(ClickButton(*dlg, "IDC_XFR_APPLY"));
        EXPECT_FALSE(view->m_pRenderer->m_bTexturesDirty) << "Apply drew the rebuilt textures";
        EXPECT_EQ(view->m_pRenderer->m_dFovY, 25.0);
        EXPECT_EQ(view->m_pRenderer->m_dPlanes[0][3], face);
        const Row after = middleRow();
        EXPECT_EQ(after.left, before.left);
        EXPECT_EQ(after.right, before.right);
        EXPECT_FALSE(after.middle == before.middle) << "the new table shows";
        ASSERT_TRUE(ClickButton(*dlg, "wxID_OK"));
        Command(ID_MODE_NORMAL);
    }
}
