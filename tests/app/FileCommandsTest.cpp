#include <filesystem>
#include <fstream>
#include <sstream>

#include <wx/eventfilter.h>
#include <wx/stattext.h>

#include "DialogScript.h"
#include "ViewFixture.h"
#include "app/AppDialogRunner.h"
#include "app/LightBox.h"
#include "app/MainFrame.h"
#include "app/dialogs/MessageDlg.h"
#include "app/dialogs/RawDialog.h"
#include "app/dialogs/StatusDlg.h"
#include "data/LoaderFactory.h"

namespace {
constexpr unsigned kFailure = MB_OK | MB_ICONEXCLAMATION;
constexpr unsigned kNotice = MB_OK | MB_ICONINFORMATION;
constexpr char kDownsample[] = "Do you want to downsample to 8 bits per voxel when saving?\n\n"
                               "(If you click No, the volume will be saved using 16 bit voxels)";

std::unique_ptr<CModelSeries> LoadBack(const std::string& path, const std::string& extension)
{
    return LoadModelFile(path, extension);
}

std::string FramePaneText(CMainFrame& frame)
{
    frame.UpdateStatusIndicators();
    return frame.GetStatusBar()->GetStatusText(1).utf8_string();
}

int Count(const std::string& text, const std::string& prefix)
{
    int n = 0;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        n += line.rfind(prefix, 0) == 0;
    return n;
}
} // namespace

// The dialogs ask with their filters and default extensions; cancelling
// any of them leaves the view as it was, an open busy box and log window
// included.
TEST_F(ViewTest, FileDialogsAskWithTheirFiltersAndCancelChangesNothing)
{
    Open(view_files::Octahedron(dir, "oct.vxq"));
    CModel* model = view->m_pModel;
    view->ShowMessageLog();
    view->ShowStatus("Working ...", true);
    const std::size_t lines = LogLines().size();
    struct Case {
        int command;
        bool open;
        const char* filter;
        const char* ext;
    };
    const Case cases[] = {
        {ID_FILE_OPEN, true,
         "Vexilo files (*.vxq)|*.vxq|Raw volume data (*.raw)|*.raw|OBJ meshes (*.obj)|*.obj|OFF meshes (*.off)|*.off|"
         "DICOM data (*.dcm)|*.dcm|Endoscope image files (*.img)|*.img|All Files (*.*)|*.*||",
         "vxq"},
        {ID_FILE_SAVE_AS, false, "Vexilo files (*.vxq)|*.vxq|All Files (*.*)|*.*||", "vxq"},
        {ID_FILE_EXPORT_RAW, false, "Raw volume data (*.raw)|*.raw|All Files (*.*)|*.*||", "raw"},
        {ID_FILE_EXPORT_SMF, false, "SMF mesh (*.smf)|*.smf|All Files (*.*)|*.*||", "smf"},
        {ID_FILE_EXPORT_OFF, false, "OFF mesh (*.off)|*.off|All Files (*.*)|*.*||", "off"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        prompter.fileRequests.clear();
        prompter.files = {""};
        Command(c.command);
        ASSERT_EQ(prompter.fileRequests.size(), 1u);
        EXPECT_EQ(prompter.fileRequests[0].open, c.open);
        EXPECT_EQ(prompter.fileRequests[0].filter, c.filter);
        EXPECT_EQ(prompter.fileRequests[0].defaultExt, c.ext);
        EXPECT_EQ(view->m_pModel, model);
        EXPECT_NE(view->m_pStatusDlg, nullptr);
        EXPECT_NE(view->m_pMessageDlg, nullptr);
        EXPECT_EQ(LogLines().size(), lines);
        EXPECT_TRUE(prompter.asked.empty());
    }
    runner.rgbAnswers = {{false, {}}};
    Command(ID_FILE_IMPORT);
    EXPECT_EQ(runner.rgbShown, 1);
    EXPECT_EQ(view->m_pModel, model);
    EXPECT_NE(view->m_pStatusDlg, nullptr);
    EXPECT_EQ(LogLines().size(), lines);
}

// Save As and the exports write files that load back as what was shown.
// A volume of more than 8 bits asks whether to save 8 bits: Yes (and the
// default) writes 8, No the full depth; an 8-bit volume is not asked.
TEST_F(ViewTest, SaveAsAndExportsWriteFilesThatLoadBack)
{
    const std::string mesh = view_files::Octahedron(dir, "oct.vxq");
    Open(mesh);
    struct MeshCase {
        int command;
        std::string file, ext, success;
    };
    const MeshCase meshCases[] = {
        {ID_FILE_SAVE_AS, "copy.vxq", "vxq", "Model data saved ok!"},
        {ID_FILE_EXPORT_OFF, "copy.off", "off", "Mesh saved ok!"},
    };
    for (const MeshCase& c : meshCases) {
        SCOPED_TRACE(c.file);
        prompter.asked.clear();
        prompter.files = {dir.File(c.file)};
        Command(c.command);
        ASSERT_EQ(prompter.Texts(), std::vector<std::string>{c.success});
        EXPECT_EQ(prompter.asked[0].style, kNotice);
        auto back = LoadBack(dir.File(c.file), c.ext);
        ASSERT_NE(back, nullptr);
        auto& m = static_cast<CMesh&>(*back->at(0));
        EXPECT_TRUE(m.IsMesh());
        EXPECT_EQ(m.m_nVertices, 6);
        EXPECT_EQ(m.m_nPolygons, 8);
    }
    prompter.asked.clear();
    prompter.files = {dir.File("copy.smf")};
    Command(ID_FILE_EXPORT_SMF);
    EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Mesh saved ok!"});
    const std::string smf = TempDir::Read(dir.File("copy.smf"));
    EXPECT_EQ(Count(smf, "v "), 6);
    EXPECT_EQ(Count(smf, "f "), 8);

    struct VolumeCase {
        const char* what;
        int bits;
        std::vector<int> answers;
        bool asked;
        int savedBits;
    };
    const VolumeCase volumeCases[] = {
        {"16 bits, Yes: 8 bits", 16, {IDYES}, true, 8},
        {"16 bits, No: 16 bits", 16, {IDNO}, true, 16},
        {"8 bits: no question", 8, {}, false, 8},
    };
    for (const VolumeCase& c : volumeCases) {
        SCOPED_TRACE(c.what);
        Open(view_files::Volume(dir, "v.vxq", c.bits));
        ASSERT_NE(view->m_pModel, nullptr);
        prompter.asked.clear();
        prompter.answers = c.answers;
        prompter.files = {dir.File("saved.vxq")};
        Command(ID_FILE_SAVE_AS);
        std::vector<std::string> texts;
        if (c.asked)
            texts.push_back(kDownsample);
        texts.push_back("Model data saved ok!");
        ASSERT_EQ(prompter.Texts(), texts);
        if (c.asked) {
            EXPECT_EQ(prompter.asked[0].style, unsigned(MB_YESNO | MB_ICONQUESTION));
        }
        auto back = LoadBack(dir.File("saved.vxq"), "vxq");
        ASSERT_NE(back, nullptr);
        auto& v = static_cast<CVolume&>(*back->at(0));
        EXPECT_EQ(v.m_nBits, c.savedBits);
        EXPECT_EQ(v.m_nDimX, 8);

        prompter.asked.clear();
        prompter.files = {dir.File("saved.raw")};
        Command(ID_FILE_EXPORT_RAW);
        EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Raw volume data saved ok!"});
        EXPECT_EQ(std::filesystem::file_size(dir.File("saved.raw")), std::uintmax_t(512 * c.bits / 8));
    }
}

// A save or export that cannot be done is reported, also when the command
// comes without the model it needs.
TEST_F(ViewTest, SaveAndExportFailuresAreReported)
{
    const std::string nowhere = dir.File("no/such/folder/file");
    const std::string quads = view_files::QuadBox(dir, "box.vxq");
    struct Case {
        const char* what;
        std::string open;
        int command;
        const char* text;
        std::string target = {}; // where the file goes, when not into no folder
    };
    const Case cases[] = {
        {"save without a model", "", ID_FILE_SAVE_AS, "Unable to save data - check model exists!"},
        {"raw export without a model", "", ID_FILE_EXPORT_RAW, "Unable to export data - check model exists!"},
        {"mesh export of a volume", view_files::Volume(dir, "v.vxq", 8), ID_FILE_EXPORT_OFF,
         "Unable to export data - check model exists!"},
        {"raw export of a mesh", view_files::Octahedron(dir, "m.vxq"), ID_FILE_EXPORT_RAW,
         "Unable to export data - check model exists!"},
        {"save into no folder", view_files::Octahedron(dir, "m.vxq"), ID_FILE_SAVE_AS,
         "Unable to save data - check model exists!"},
        {"smf into no folder", view_files::Octahedron(dir, "m.vxq"), ID_FILE_EXPORT_SMF,
         "Unable to export data - check model exists!"},
        // The commands are greyed for quads; reached anyway, they say so.
        {"OFF export of quads", quads, ID_FILE_EXPORT_OFF, "Unable to export data - check model exists!",
         dir.File("box.off")},
        {"SMF export of quads", quads, ID_FILE_EXPORT_SMF, "Unable to export data - check model exists!",
         dir.File("box.smf")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.open.empty())
            Open(c.open);
        prompter.asked.clear();
        prompter.files = {!c.target.empty() ? c.target : c.open.empty() ? dir.File("x.vxq") : nowhere};
        Command(c.command);
        ASSERT_EQ(prompter.Texts(), std::vector<std::string>{c.text});
        EXPECT_EQ(prompter.asked[0].style, kFailure);
        if (!c.target.empty()) {
            EXPECT_FALSE(std::filesystem::exists(c.target));
        }
    }
}

// Enabled by the current model, as GTK shows the menu: Save As with any
// model, the raw export with a volume, the mesh exports with a mesh of
// triangles only (quads, as of a box or an endoscope tube, are greyed),
// Information with a model and a renderer; Open, Import, the log commands
// always. A failed load changes none of them.
TEST_F(ViewTest, FileCommandsEnabledByTheModel)
{
    struct Case {
        const char* what;
        std::string file;
        bool saveAs, raw, mesh;
    };
    const Case cases[] = {
        {"nothing loaded", "", false, false, false},
        {"a mesh", view_files::Octahedron(dir, "m.vxq"), true, false, true},
        {"a volume", view_files::Volume(dir, "v.vxq", 8), true, true, false},
        {"a failed load after the volume", dir.Write("bad.vxq", "junk"), true, true, false},
        {"a box of quads", view_files::QuadBox(dir, "box.vxq"), true, false, false},
        {"an endoscope tube", view_files::Capture(dir, "scan.img", 1), true, false, false},
    };
    wxMenuBar* bar = frame->GetMenuBar();
    auto sensitive = [&](int id) {
        bar->UpdateMenus();
        return GtkSensitive(*bar->FindItem(id));
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.file.empty())
            Open(c.file);
        EXPECT_EQ(sensitive(ID_FILE_SAVE_AS), c.saveAs);
        EXPECT_EQ(sensitive(ID_FILE_EXPORT_RAW), c.raw);
        EXPECT_EQ(sensitive(ID_FILE_EXPORT_OFF), c.mesh);
        EXPECT_EQ(sensitive(ID_FILE_EXPORT_SMF), c.mesh);
        EXPECT_EQ(sensitive(ID_VIEW_INFORMATION), c.saveAs);
        for (int always : {ID_FILE_OPEN, ID_FILE_IMPORT, ID_EDIT_CLEAR_LOG, ID_VIEW_MESSAGE_LOG, ID_VIEW_RESET})
            EXPECT_TRUE(sensitive(always)) << always;
    }
}

namespace {
// Planar RGB slices (all red bytes, then green, then blue) of 4 x 3 pixels.
std::string RgbSlice(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return std::string(12, char(r)) + std::string(12, char(g)) + std::string(12, char(b));
}

// A big-endian 16-bit slice of 4 x 3 pixels after a 2-byte header.
std::string GreySlice(std::uint16_t v)
{
    std::string s = "hh";
    for (int i = 0; i < 12; ++i)
        s += char(v >> 8), s += char(v & 0xFF);
    return s;
}
} // namespace

// Import through the dialog: the title shows the folder pattern, the log
// its lines; RGB keeps its colour unless grey is asked for, VHP slices
// become an 8-bit volume; a folder without slices fails as Open does.
TEST_F(ViewTest, ImportBuildsTheFolderVolume)
{
    const std::string rgbDir = dir.File("rgb"), vhpDir = dir.File("vhp"), emptyDir = dir.File("none");
    for (const std::string& d : {rgbDir, vhpDir, emptyDir})
        std::filesystem::create_directory(d);
    std::ofstream(rgbDir + "/b", std::ios::binary) << RgbSlice(0, 255, 0);
    std::ofstream(rgbDir + "/a", std::ios::binary) << RgbSlice(255, 0, 0);
    std::ofstream(vhpDir + "/s1", std::ios::binary) << GreySlice(1000);
    std::ofstream(vhpDir + "/s2", std::ios::binary) << GreySlice(500);

    struct Case {
        const char* what;
        std::string folder;
        int type, grey;
        bool loads, colour;
        std::uint16_t firstVoxel;
    };
    const Case cases[] = {
        {"RGB in colour", rgbDir + "/*", 0, 0, true, true, 76},
        {"RGB as grey", rgbDir + "/*", 0, 1, true, false, 76},
        {"VHP", vhpDir + "/*", 1, 1, true, false, 255},
        {"no slices", emptyDir + "/*", 0, 0, false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Open(view_files::Octahedron(dir, "before.vxq"));
        CRgbDialogValues values;
        values.m_strFolder = c.folder;
        values.m_nWidth = 4;
        values.m_nHeight = 3;
        values.m_nHeaderBytes = 2;
        values.m_nDataType = c.type;
        values.m_bGrayscale = c.grey;
        runner.rgbAnswers = {{true, values}};
        CMessageLog::GetExisting()->m_lines.clear();
        prompter.asked.clear();
        CModel* before = view->m_pModel;
        Command(ID_FILE_IMPORT);
        ASSERT_EQ(LogLines().front(), "Loading data : " + c.folder);
        ASSERT_NE(view->m_pRenderer, nullptr);
        if (!c.loads) {
            // The open model stays, as after a failed Open.
            EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Unknown file format!"});
            EXPECT_EQ(view->m_pModel, before);
            EXPECT_EQ(view->m_pRenderer->m_pModel, before);
            EXPECT_EQ(LogLines().back(), "**** Model not loaded ****");
            EXPECT_EQ(frame->GetTitle(), "Vexilo - [before.vxq]");
            continue;
        }
        EXPECT_EQ(LogLines().back(), "Renderer : " + view->m_pRenderer->m_pszDescription);
        EXPECT_EQ(frame->GetTitle(), "Vexilo - [" + c.folder + "]");
        auto* volume = dynamic_cast<CVolume*>(view->m_pModel);
        ASSERT_NE(volume, nullptr);
        EXPECT_EQ(volume->m_nDimZ, 2);
        EXPECT_EQ(volume->m_bRgb, c.colour);
        if (auto* rgb = dynamic_cast<CRgbVolume*>(volume)) {
            EXPECT_EQ(rgb->m_pColour != nullptr, c.colour);
        }
        EXPECT_EQ(volume->GetVoxel(0, 0, 0), c.firstVoxel);
        EXPECT_EQ(LogLines()[LogLines().size() - 2], "Model : " + volume->GetInfo());
        EXPECT_EQ(view->m_nFrame, 1);
        EXPECT_EQ(view->m_nFrames, 1);
    }
}

namespace {
// Records what the busy box shows each time GTK paints it.
class BusyBoxWatch : public wxEventFilter {
public:
    BusyBoxWatch() { wxEvtHandler::AddFilter(this); }
    ~BusyBoxWatch() override { wxEvtHandler::RemoveFilter(this); }
    int FilterEvent(wxEvent& event) override
    {
        if (event.GetEventType() == wxEVT_PAINT)
            if (auto* box = dynamic_cast<CStatusDlg*>(event.GetEventObject()))
                if (auto* text = dynamic_cast<wxStaticText*>(box->FindWindow(IDC_STATUS_TEXT)))
                    if (box->IsShownOnScreen())
                        painted.push_back(text->GetLabel().utf8_string());
        return Event_Skip;
    }
    std::vector<std::string> painted;
};
} // namespace

// While a file loads, the busy box is on the screen with the load's text,
// painted although the loop waits on the load; a good load closes it.
TEST_F(ViewTest, BusyBoxShowsDuringTheLoad)
{
    BusyBoxWatch watch;
    Open(view_files::Volume(dir, "v.vxq", 8));
    EXPECT_NE(std::find(watch.painted.begin(), watch.painted.end(), "Loading data ... please wait"),
              watch.painted.end());
    EXPECT_EQ(view->m_pStatusDlg, nullptr);
}

namespace {
// What the user sees of the open volume: the 3D view's picture, the light
// box on the screen, its position text, the title and the frame pane.
struct OnScreen {
    wxImage canvas, lightBox;
    std::string position, title, framePane;
    std::vector<double> bars;
};
} // namespace

// With a volume open, turned and its slices moved: Escape in the raw import
// dialog ends the open there, with no DICOM question and no message, and a
// file no reader can read ends in "Unknown file format!". Either way the
// volume stays open with its renderer, title, frame pane, light box and
// picture, pixel for pixel, and its slices.
TEST_F(ViewTest, CancelledOrFailedOpenKeepsTheVolumeOnScreen)
{
    // The program's own dialogs, answered through the X server.
    CAppDialogRunner program;
    struct RunnerScope {
        IDialogRunner* previous;
        ~RunnerScope() { SetDialogRunner(previous); }
    } scope{SetDialogRunner(&program)};
    Open(view_files::Volume(dir, "head.vxq", 8));
    auto* volume = dynamic_cast<CVolume*>(view->m_pModel);
    ASSERT_NE(volume, nullptr);
    CRenderer* renderer = view->m_pRenderer.get();
    ASSERT_NE(renderer->m_pszDescription, "Mesh rendering using OpenGL vertex array");
    CLightBox* box = frame->GetLightBox();
    view->m_transform.RotateY(0.4f);
    box->m_sbX->Report(SB_LINEDOWN, 0);
    box->m_sbZ->Report(SB_TOP, 0);
    // A busy box left open closes with the first frame; the picture is the
    // frame after.
    auto shown = [&] {
        OnScreen s;
        EXPECT_TRUE(DrawFrame());
        s.canvas = Canvas();
        EXPECT_TRUE(PaintCounter(*box).PaintNow());
        s.lightBox = GrabWindow(*box);
        s.position = GtkLabelText(*box->m_txtPosition);
        for (CScrollBarNoKbd* bar : {box->m_sbX, box->m_sbY, box->m_sbZ})
            s.bars.push_back(GtkRangeValue(*bar));
        s.title = frame->GetTitle().utf8_string();
        s.framePane = FramePaneText(*frame);
        return s;
    };
    const OnScreen before = shown();
    ASSERT_EQ(before.position, "X = 5, Y = 4, Z = 0");
    ASSERT_GT(CountOtherThan(before.canvas, Inside(), Rgb{0, 0, 0}), 500);

    const std::string raw = dir.Write("scan.raw", std::string(4096, '\x40'));
    struct Case {
        const char* what;
        std::string path;
        bool escape;
        std::vector<std::string> asked;
        std::vector<std::string> logged;
    };
    const Case cases[] = {
        {"Escape in the raw dialog", raw, true, {}, {"Loading file: scan.raw"}},
        {"a file no reader reads", dir.Write("notes.txt", "hello"), false,
         {"Do you wish to scan for matching DICOM files in the same folder?\n\n"
          "If you click No, only the selected file will be loaded",
          "Unknown file format!"},
         {"Loading file: notes.txt", "**** Model not loaded ****"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ModalScript<CRawDialog> escape([&](CRawDialog& d) {
            User user;
            ASSERT_TRUE(user.Focus(Edit(d, "IDC_RAW_DIMX")));
            wxUIActionSimulator().Char(WXK_ESCAPE);
            EXPECT_TRUE(WaitUntil([&] { return !d.IsModal(); }));
        });
        prompter.asked.clear();
        prompter.answers = {IDNO};
        CMessageLog::GetExisting()->m_lines.clear();
        Open(c.path);
        EXPECT_EQ(escape.shown, c.escape ? 1 : 0);
        EXPECT_EQ(prompter.Texts(), c.asked);
        EXPECT_EQ(LogLines(), c.logged);
        EXPECT_EQ(view->m_pModel, volume);
        EXPECT_EQ(view->m_pRenderer.get(), renderer);
        EXPECT_EQ(box->m_pVolume, volume);
        const OnScreen after = shown();
        EXPECT_EQ(view->m_pStatusDlg, nullptr);
        EXPECT_EQ(after.title, "Vexilo - [head.vxq]");
        EXPECT_EQ(after.framePane, "Frame 1 of 1");
        EXPECT_EQ(after.position, before.position);
        EXPECT_EQ(Differing(after.canvas, before.canvas, Inside()), 0) << "the 3D view";
        // The panes as the screen shows them; the bars as GTK holds them.
        for (const PixelRect& r : box->m_rcPane) {
            const wxPoint at = box->CalcScrolledPosition(wxPoint(r.left, r.top));
            EXPECT_EQ(Differing(after.lightBox, before.lightBox, wxRect(at, wxSize(r.Width(), r.Height()))), 0)
                << "light-box pane at " << r.top;
        }
        EXPECT_EQ(after.bars, before.bars);
    }
}

// Once the model is closed nothing is loaded, and the title, the frame pane
// and the light box show it as at start-up, not the file that was open.
TEST_F(ViewTest, ClosedModelShowsNothingLoaded)
{
    Open(view_files::Volume(dir, "head.vxq", 8));
    CLightBox* box = frame->GetLightBox();
    ASSERT_TRUE(PaintCounter(*box).PaintNow());
    ASSERT_EQ(GtkLabelText(*box->m_txtPosition), "X = 4, Y = 4, Z = 4");
    view->CloseModel();
    EXPECT_EQ(frame->GetTitle(), "Vexilo");
    EXPECT_EQ(FramePaneText(*frame), "Frame 0 of 0");
    ASSERT_TRUE(PaintCounter(*box).PaintNow());
    EXPECT_EQ(GtkLabelText(*box->m_txtPosition), "X = 0, Y = 0, Z = 0");
    EXPECT_EQ(box->m_pVolume, nullptr);
    for (int i = 0; i < 3; ++i) {
        int other = 0;
        const PixelRect& r = box->m_rcPane[i];
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                const RgbColour c = box->m_picture[i].At(x, y);
                other += !(c == kLightBoxBlack) && !(c == kLetterYellow);
            }
        EXPECT_EQ(other, 0) << "pane " << i + 1 << " shows only black and its letters";
    }
}
