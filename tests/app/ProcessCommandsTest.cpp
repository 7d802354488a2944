#include <cstring>

#include <wx/frame.h>
#include <wx/slider.h>

#include "ViewFixture.h"
#include "app/LightBox.h"
#include "app/dialogs/DecimateDlg.h"
#include "app/dialogs/ScalingDlg.h"
#include "app/dialogs/SliderDlg.h"
#include "app/dialogs/StereoDlg.h"
#include "app/dialogs/SurfaceDlg.h"
#include "app/dialogs/TrajectoryDialog.h"
#include "processing/SurfaceGenerator.h"
#include "render/MeshRenderer.h"
#include "render/TransferFunction.h"

namespace {
constexpr unsigned kQuestion = MB_YESNO | MB_ICONQUESTION;
constexpr unsigned kNotice = MB_OK | MB_ICONINFORMATION;
constexpr char kMeshRenderer[] = "Mesh rendering using OpenGL vertex array";
constexpr char kNothingToTrim[] = "This volume has no redundant voxels so cannot be trimmed.";

// The busy texts the commands show, through the message log's owner as all
// of them go; the view still shows them.
class BusyRecorder : public ILogOwner {
public:
    explicit BusyRecorder(CVexilo* view) : m_view(view), m_log(CMessageLog::GetExisting())
    {
        m_previous = m_log->m_pView;
        m_log->m_pView = this;
    }
    ~BusyRecorder() override { m_log->m_pView = m_previous; }
    void ShowStatus(const char* text, bool show) override
    {
        if (show)
            shown.push_back(text ? text : "");
        m_view->ShowStatus(text, show);
    }
    void UpdateLogWindow() override { m_view->UpdateLogWindow(); }
    bool Showed(const std::string& text) const { return std::find(shown.begin(), shown.end(), text) != shown.end(); }

    std::vector<std::string> shown;

private:
    CVexilo* m_view;
    CMessageLog* m_log;
    ILogOwner* m_previous = nullptr;
};

// A volume whose non-zero voxels (the pattern's) fill the box lo .. hi.
std::unique_ptr<CVolume> Boxed(int dx, int dy, int dz, std::array<int, 3> lo, std::array<int, 3> hi, int bits = 8)
{
    auto v = std::make_unique<CVolume>(dx, dy, dz, bits);
    for (int z = lo[2]; z <= hi[2]; ++z)
        for (int y = lo[1]; y <= hi[1]; ++y)
            for (int x = lo[0]; x <= hi[0]; ++x)
                v->SetVoxel(x, y, z, Pattern(x, y, z, bits));
    v->SetVoxelSize(1, 1, 1);
    return v;
}

// A closed triangle mesh of a few hundred triangles: the iso-surface of a
// ball.
std::unique_ptr<CSurfaceMesh> Ball()
{
    CVolume ball(16, 16, 16, 8);
    for (int z = 0; z < 16; ++z)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const int r2 = (x - 8) * (x - 8) + (y - 8) * (y - 8) + (z - 8) * (z - 8);
                ball.SetVoxel(x, y, z, r2 < 30 ? 200 : 0);
            }
    ball.SetVoxelSize(1, 1, 1);
    return CSurfaceGenerator(&ball).Generate(100);
}

class ProcessTest : public ViewTest {
protected:
    void TearDown() override
    {
        for (wxWindow** w : {&view->m_pXfrDlg, &view->m_pStereoDlg, &view->m_pCutPlaneDlg})
            if (*w) {
                (*w)->Destroy();
                *w = nullptr;
            }
        ViewTest::TearDown();
    }

    // Makes `models` the view's series with frame `current` (1-based) shown
    // by a renderer of its own (standing for the one the factory makes: a
    // volume's has a transfer function on the volume's histogram).
    CModel* Install(std::vector<std::unique_ptr<CModel>> models, int current = 1)
    {
        view->CloseModel();
        view->m_pModels = std::make_unique<CModelSeries>(std::move(models));
        view->m_nFrames = int(view->m_pModels->size());
        view->m_nFrame = current;
        view->m_nFrameShown = -1;
        view->m_pModel = (*view->m_pModels)[current - 1].get();
        const wxSize s = view->GetClientSize();
        view->m_pRenderer = std::make_unique<CMeshRenderer>(view->m_pModel, view->Surface(), s.x, s.y);
        view->m_pRenderer->AttachModel(view->m_pModel);
        frame->GetLightBox()->SetModel(view->m_pModel);
        return view->m_pModel;
    }
    template <class M> M* Install(std::unique_ptr<M> model)
    {
        std::vector<std::unique_ptr<CModel>> models;
        models.push_back(std::move(model));
        return static_cast<M*>(Install(std::move(models)));
    }
    // The series slot, the current model, the renderer, its transfer
    // function and the light box all hold `volume`.
    void ExpectShownEverywhere(CVolume* volume, int slot)
    {
        EXPECT_EQ((*view->m_pModels)[slot].get(), volume);
        EXPECT_EQ(view->m_pModel, volume);
        EXPECT_EQ(view->m_pRenderer->m_pModel, volume);
        ASSERT_NE(view->m_pRenderer->m_pTransferFunction, nullptr);
        EXPECT_EQ(view->m_pRenderer->m_pTransferFunction->m_pHistogram, &volume->m_histogram);
        EXPECT_EQ(frame->GetLightBox()->m_pModel, volume);
    }
    CVolume* CurrentVolume() { return dynamic_cast<CVolume*>(view->m_pModel); }
    wxMenuItem& Item(int id) { return *frame->GetMenuBar()->FindItem(id); }
    bool Sensitive(int id)
    {
        frame->GetMenuBar()->UpdateMenus();
        return GtkSensitive(Item(id));
    }
    // An update request for a command in no menu, as wx sends it.
    wxUpdateUIEvent Update(int id)
    {
        wxUpdateUIEvent e(id);
        e.SetEventObject(view);
        view->ProcessWindowEventLocally(e);
        return e;
    }
    std::vector<std::string> LogSince(std::size_t mark) const
    {
        return std::vector<std::string>(LogLines().begin() + long(mark), LogLines().end());
    }
    // Stand-ins for the modeless windows other commands open with the view
    // as parent.
    wxWindow* Window(const char* title)
    {
        auto* w = new wxFrame(view, wxID_ANY, title);
        w->Show();
        return w;
    }
    void EnterFlyThrough()
    {
        view->m_nRenderMode = view->m_pRenderer->m_nRenderMode = kRenderFlyThrough;
        for (CThumbWheel* w : {&view->m_wheelX, &view->m_wheelY, &view->m_wheelZ})
            w->m_bEnabled = false;
        wxGetApp().m_bContinuousRedraw = true;
    }
    void ExpectFlyThroughLeft()
    {
        EXPECT_EQ(view->m_nRenderMode, kRenderNormal);
        EXPECT_EQ(view->m_pRenderer->m_nRenderMode, kRenderNormal);
        for (CThumbWheel* w : {&view->m_wheelX, &view->m_wheelY, &view->m_wheelZ, &view->m_wheelZoom})
            EXPECT_TRUE(w->m_bEnabled) << w->GetId();
        EXPECT_FALSE(wxGetApp().m_bContinuousRedraw);
    }
};
} // namespace

// Which commands are offered for which model: decimation for triangle meshes
// only, segmentation for 8-bit volumes only, the sub-volume in the cut-plane
// mode only, the winding for meshes (checked as the mesh's flag), the rest
// for any volume; nothing without a model. GTK shows them so.
TEST_F(ProcessTest, UpdateRulesFollowTheModel)
{
    const int volumeCommands[] = {ID_EDIT_ISOSURFACE, ID_EDIT_TRIM,       ID_FLIP_TOP_BOTTOM,
                                  ID_FLIP_LEFT_RIGHT, ID_FLIP_BACK_FRONT, ID_EDIT_SCALING};
    struct Case {
        const char* what;
        std::function<void()> show;
        int mode;
        bool volume, triangles, mesh, eightBit, clockwise;
    };
    const Case cases[] = {
        {"nothing", [&] { view->CloseModel(); }, kRenderNormal, false, false, false, false, false},
        {"triangle mesh", [&] { Install(Ball()); }, kRenderNormal, false, true, true, false, false},
        {"quad mesh",
         [&] {
             CMesh* quads = Install(std::make_unique<CMesh>());
             quads->m_nPrimitive = kGlQuads;
             quads->m_bClockwise = true;
         },
         kRenderNormal, false, false, true, false, true},
        {"8-bit volume", [&] { Install(Boxed(4, 4, 4, {0, 0, 0}, {3, 3, 3})); }, kRenderNormal, true, false, false, true,
         false},
        {"8-bit volume, cut-planes", [&] { Install(Boxed(4, 4, 4, {0, 0, 0}, {3, 3, 3})); }, kRenderCutPlanes, true,
         false, false, true, false},
        {"16-bit volume", [&] { Install(Boxed(4, 4, 4, {0, 0, 0}, {3, 3, 3}, 16)); }, kRenderCutPlanes, true, false,
         false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.show();
        view->m_nRenderMode = c.mode;
        for (int id : volumeCommands)
            EXPECT_EQ(Sensitive(id), c.volume) << id;
        EXPECT_EQ(Sensitive(ID_EDIT_DECIMATE), c.triangles);
        EXPECT_EQ(Sensitive(ID_EDIT_SEGMENTATION), c.eightBit);
        EXPECT_EQ(Sensitive(ID_EDIT_SUBVOLUME), c.volume && c.mode == kRenderCutPlanes);
        EXPECT_EQ(Sensitive(ID_VIEW_CLOCKWISE), c.mesh);
        EXPECT_EQ(GtkChecked(Item(ID_VIEW_CLOCKWISE)), c.clockwise);
        EXPECT_EQ(Update(ID_PLAN_TRAJECTORY).GetEnabled(), c.volume);
        EXPECT_EQ(Update(ID_SHOW_TRAJECTORY).GetEnabled(), c.volume);
    }
    // The two trajectory commands stand in no menu.
    EXPECT_EQ(frame->GetMenuBar()->FindItem(ID_PLAN_TRAJECTORY), nullptr);
    EXPECT_EQ(frame->GetMenuBar()->FindItem(ID_SHOW_TRAJECTORY), nullptr);
}

// Downsample is offered for volumes of 512 or 256 square only, named after
// the size it gives; otherwise "Downsample", greyed.
TEST_F(ProcessTest, DownsampleItemNamesTheSizeItGives)
{
    struct Case {
        int x, y, z; // 0: a mesh
        bool enabled;
        const char* label;
    };
    const Case cases[] = {
        {512, 512, 3, true, "Downsample to 256x256x3"}, {256, 256, 2, true, "Downsample to 128x128x2"},
        {384, 384, 2, false, "Downsample"},             {512, 256, 2, false, "Downsample"},
        {128, 128, 2, false, "Downsample"},             {0, 0, 0, false, "Downsample"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label + std::string(" ") + std::to_string(c.x));
        if (c.x)
            Install(std::make_unique<CVolume>(c.x, c.y, c.z, 8));
        else
            Install(Ball());
        EXPECT_EQ(Sensitive(ID_EDIT_DOWNSAMPLE), c.enabled);
        EXPECT_EQ(GtkMenuItemLabel(Item(ID_EDIT_DOWNSAMPLE)), c.label);
    }
    view->CloseModel();
    EXPECT_FALSE(Sensitive(ID_EDIT_DOWNSAMPLE));
    EXPECT_EQ(GtkMenuItemLabel(Item(ID_EDIT_DOWNSAMPLE)), "Downsample");
}

// Generate iso-surface: the dialog gets the volume; Process replaces the
// whole series by the surface at the iso value chosen, with a mesh renderer
// of its own, the title, one frame, the log lines and busy texts, and leaves
// fly-through. Close changes nothing.
TEST_F(ProcessTest, GenerateSurfaceReplacesTheSeries)
{
    Open(view_files::Volume(dir, "v.vxq", 8));
    CVolume* volume = CurrentVolume();
    ASSERT_NE(volume, nullptr);
    const std::unique_ptr<CSurfaceMesh> expected = CSurfaceGenerator(volume).Generate(100);
    ASSERT_GT(expected->m_nPolygons, 0);

    int shown = 0;
    DialogAnswerer answerer([&](wxDialog* dlg) {
        auto* surface = dynamic_cast<CSurfaceDlg*>(dlg);
        EXPECT_NE(surface, nullptr);
        if (!surface)
            return int(wxID_CANCEL);
        EXPECT_EQ(surface->m_pVolume, volume);
        surface->m_nIsoValue = 100;
        return ++shown == 1 ? int(wxID_CANCEL) : int(wxID_OK);
    });
    const std::size_t mark = LogLines().size();
    Command(ID_EDIT_ISOSURFACE);
    EXPECT_EQ(view->m_pModel, volume) << "Close";
    EXPECT_EQ(LogLines().size(), mark);

    EnterFlyThrough();
    BusyRecorder busy(view);
    Command(ID_EDIT_ISOSURFACE);
    ASSERT_EQ(view->m_pModels->size(), 1u);
    auto* mesh = dynamic_cast<CSurfaceMesh*>(view->m_pModel);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(view->m_pModels->front().get(), mesh);
    EXPECT_EQ(mesh->m_nPrimitive, kGlTriangles);
    EXPECT_EQ(mesh->m_nVertices, expected->m_nVertices);
    EXPECT_EQ(mesh->m_nPolygons, expected->m_nPolygons);
    EXPECT_EQ(std::memcmp(mesh->m_pIndices.get(), expected->m_pIndices.get(), 4 * std::size_t(mesh->m_nIndices)), 0);
    EXPECT_EQ(frame->GetTitle(), "Vexilo - [Generated Surface]");
    EXPECT_EQ(view->m_nFrames, 1);
    EXPECT_EQ(view->m_nFrame, 1);
    wxSlider* slider = frame->GetSliderBar()->GetSlider();
    EXPECT_EQ(slider->GetValue(), 1);
    EXPECT_FALSE(frame->GetSliderBar()->IsEnabled());
    EXPECT_EQ(view->m_pRenderer->m_pszDescription, kMeshRenderer);
    EXPECT_EQ(view->m_pRenderer->m_pModel, mesh);
    EXPECT_EQ(frame->GetLightBox()->m_pModel, mesh);
    ExpectFlyThroughLeft();
    EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"**** Invoking Surface Generation ****",
                                                        "**** Surface Generation Ended ****", "Model : " + mesh->GetInfo(),
                                                        std::string("Renderer : ") + kMeshRenderer}));
    ASSERT_FALSE(busy.shown.empty());
    EXPECT_EQ(busy.shown.front(), "Generating surface mesh ...");
    EXPECT_TRUE(busy.Showed("Generating surface - slice 1 of 8 ..."));
    EXPECT_EQ(busy.shown.back(), "Generating normals ...");
    EXPECT_TRUE(DrawFrame());
    EXPECT_EQ(view->m_pStatusDlg, nullptr) << "the frame closed the busy box";
}

// Decimate mesh: the dialog gets the polygon count; OK decimates the same
// mesh in place to the target, with the renderer kept. Cancel and a mesh of
// quadrilaterals change nothing.
TEST_F(ProcessTest, DecimateReducesTheMeshInPlace)
{
    CSurfaceMesh* mesh = Install(Ball());
    const int polygons = mesh->m_nPolygons;
    ASSERT_GT(polygons, 200);
    CRenderer* renderer = view->m_pRenderer.get();
    int answers = 0;
    DialogAnswerer answerer([&](wxDialog* dlg) {
        auto* decimate = dynamic_cast<CDecimateDlg*>(dlg);
        EXPECT_NE(decimate, nullptr);
        if (!decimate)
            return int(wxID_CANCEL);
        EXPECT_EQ(decimate->m_nPolygons, std::uint32_t(polygons));
        decimate->m_nTarget = std::uint32_t(polygons / 10);
        return ++answers == 1 ? int(wxID_CANCEL) : int(wxID_OK);
    });
    Command(ID_EDIT_DECIMATE);
    EXPECT_EQ(mesh->m_nPolygons, polygons) << "Cancel";

    BusyRecorder busy(view);
    Command(ID_EDIT_DECIMATE);
    EXPECT_EQ(view->m_pModel, mesh);
    EXPECT_EQ(view->m_pRenderer.get(), renderer);
    EXPECT_LE(mesh->m_nPolygons, polygons / 10);
    EXPECT_GE(mesh->m_nPolygons, polygons / 10 - 2);
    EXPECT_EQ(mesh->m_nIndices, 3 * mesh->m_nPolygons);
    ASSERT_FALSE(busy.shown.empty());
    EXPECT_EQ(busy.shown.front(), "Preparing for decimation ...");
    EXPECT_TRUE(DrawFrame());
    EXPECT_EQ(view->m_pStatusDlg, nullptr);

    mesh->m_nPrimitive = kGlQuads;
    const int before = mesh->m_nPolygons;
    Command(ID_EDIT_DECIMATE);
    EXPECT_EQ(answers, 2) << "no dialog for quadrilaterals";
    EXPECT_EQ(mesh->m_nPolygons, before);

    // The surface of a volume without any voxel at the iso value is empty.
    CSurfaceMesh* empty = Install(std::make_unique<CSurfaceMesh>());
    view->DecimateMesh(0);
    EXPECT_EQ(empty->m_nPolygons, 0);
    EXPECT_EQ(empty->m_nVertices, 0);
}

// Trim: the question names both sizes; No leaves the volume unchanged and
// unlocked; Yes puts the trimmed volume in the current frame only, shown
// everywhere the old one was. A volume with nothing to trim, all-zero ones
// included, only gets the notice.
TEST_F(ProcessTest, TrimAsksAndReplacesTheCurrentFrame)
{
    std::vector<std::unique_ptr<CModel>> frames;
    frames.push_back(Boxed(10, 8, 6, {0, 0, 0}, {9, 7, 5}));
    frames.push_back(Boxed(10, 8, 6, {2, 1, 1}, {7, 6, 4}));
    for (auto& f : frames) {
        static_cast<CVolume*>(f.get())->BuildHistogram();
        static_cast<CVolume*>(f.get())->BuildDiskCache();
    }
    CModel* first = frames[0].get();
    auto* old = static_cast<CVolume*>(Install(std::move(frames), 2));
    const std::string question = "This volume could be reduced from 10x8x6 to 6x6x4 with no loss of data. Do you "
                                 "want to truncate this volume?";
    Command(ID_EDIT_TRIM);
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].text, question);
    EXPECT_EQ(prompter.asked[0].style, kQuestion);
    EXPECT_EQ(view->m_pModel, old) << "No";
    EXPECT_EQ(old->m_nLockCount, 0);

    BusyRecorder busy(view);
    prompter.answers = {IDYES};
    Command(ID_EDIT_TRIM);
    CVolume* trimmed = CurrentVolume();
    ASSERT_NE(trimmed, old);
    EXPECT_EQ((std::vector<int>{trimmed->m_nDimX, trimmed->m_nDimY, trimmed->m_nDimZ}), (std::vector<int>{6, 6, 4}));
    EXPECT_EQ(trimmed->GetVoxel(0, 0, 0), Pattern(2, 1, 1, 8));
    EXPECT_EQ(trimmed->GetVoxel(5, 5, 3), Pattern(7, 6, 4, 8));
    ExpectShownEverywhere(trimmed, 1);
    EXPECT_EQ((*view->m_pModels)[0].get(), first) << "other frames stay";
    EXPECT_EQ(trimmed->m_nLockCount, 0);
    EXPECT_EQ(busy.shown.front(), "Analysing volume ... please wait");
    EXPECT_TRUE(busy.Showed("Truncating volume ... please wait"));

    for (auto make : {+[] { return Boxed(6, 5, 4, {0, 0, 0}, {5, 4, 3}); }, +[] { return Boxed(6, 5, 4, {1, 1, 1}, {0, 0, 0}); }}) {
        CVolume* full = Install(make());
        prompter.asked.clear();
        Command(ID_EDIT_TRIM);
        ASSERT_EQ(prompter.Texts(), std::vector<std::string>{kNothingToTrim});
        EXPECT_EQ(prompter.asked[0].style, kNotice);
        EXPECT_EQ(view->m_pModel, full);
        EXPECT_EQ(full->m_nLockCount, 0);
    }
}

// Replacing the current volume (trim, downsample) while fly-through, the
// transfer-function editor and the stereo window are open: fly-through is
// left and the editor closed first, the renderer and its transfer function
// take the new volume, the stereo window stays, and what the transfer
// function reads afterwards is the new volume's (the old one is gone: under
// AddressSanitizer a read of it fails).
TEST_F(ProcessTest, ReplacedVolumeLeavesNothingPointingAtTheOldOne)
{
    struct Case {
        const char* what;
        std::function<CVolume*()> show;
        int command;
    };
    const Case cases[] = {
        {"trim", [&] { return Install(Boxed(12, 10, 4, {2, 2, 1}, {9, 7, 2})); }, ID_EDIT_TRIM},
        {"downsample", [&] { return Install(Boxed(256, 256, 2, {0, 0, 0}, {255, 255, 1})); }, ID_EDIT_DOWNSAMPLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CVolume* old = c.show();
        old->BuildHistogram();
        view->m_pXfrDlg = Window("editor");
        Command(ID_VIEW_STEREO);
        auto* stereo = dynamic_cast<CStereoDlg*>(view->m_pStereoDlg);
        ASSERT_NE(stereo, nullptr);
        EnterFlyThrough();
        prompter.answers = {IDYES};
        Command(c.command);
        CVolume* replaced = CurrentVolume();
        ASSERT_NE(replaced, old);
        ExpectShownEverywhere(replaced, 0);
        ExpectFlyThroughLeft();
        EXPECT_EQ(view->m_pXfrDlg, nullptr);
        EXPECT_EQ(view->m_pStereoDlg, stereo);
        EXPECT_TRUE(view->m_bStereo);
        EXPECT_EQ(stereo->m_pModel, replaced) << "the stereo window draws the new volume";
        CTransferFunction& tf = *view->m_pRenderer->m_pTransferFunction;
        tf.Equalise();
        tf.Stretch();
        EXPECT_EQ(tf.m_pHistogram->m_nTotal, replaced->m_nVoxels);
        EXPECT_TRUE(DrawFrame());
        view->CloseStereoDialogs();
    }
    // A crop or downsample that gave nothing keeps the volume as it was.
    CVolume* kept = Install(Boxed(4, 4, 4, {1, 1, 1}, {2, 2, 2}));
    view->ReplaceCurrentVolume(nullptr);
    ExpectShownEverywhere(kept, 0);
}

// Get sub-volume, in the cut-plane mode: the volume cut to the voxel bounds
// of the renderer's box replaces the current one; the mode and the cut-plane
// window stay, the box is reset to the new volume. Outside the mode nothing
// happens.
TEST_F(ProcessTest, SubVolumeCutsToTheBox)
{
    CVolume* old = Install(MakePatterned<CVolume>(8, 8, 8, 8));
    old->SetVoxelSize(1, 1, 1);
    CRenderer& r = *view->m_pRenderer;
    const float box[6] = {-4, 4, -4, 4, -4, 4};
    std::copy(box, box + 6, r.m_fBox);
    // Faces 0/1 keep x 2 .. 5; 2/3 rows 3 .. 7 (counted from the top); 4/5 all z.
    const double distances[6] = {1, 2, 0, 4, 4, 4};
    for (int i = 0; i < 6; ++i)
        r.m_dPlanes[i][3] = distances[i];
    r.m_nFaceMask = 5;

    view->m_nRenderMode = r.m_nRenderMode = kRenderNormal;
    Command(ID_EDIT_SUBVOLUME);
    EXPECT_EQ(view->m_pModel, old);

    view->m_nRenderMode = r.m_nRenderMode = kRenderCutPlanes;
    view->m_pCutPlaneDlg = Window("cut-planes");
    wxWindow* cutPlanes = view->m_pCutPlaneDlg;
    BusyRecorder busy(view);
    Command(ID_EDIT_SUBVOLUME);
    CVolume* sub = CurrentVolume();
    ASSERT_NE(sub, old);
    EXPECT_EQ((std::vector<int>{sub->m_nDimX, sub->m_nDimY, sub->m_nDimZ}), (std::vector<int>{4, 5, 8}));
    EXPECT_EQ(sub->GetVoxel(0, 0, 0), Pattern(2, 3, 0, 8));
    EXPECT_EQ(sub->GetVoxel(3, 4, 7), Pattern(5, 7, 7, 8));
    ExpectShownEverywhere(sub, 0);
    EXPECT_EQ(view->m_nRenderMode, kRenderCutPlanes);
    EXPECT_EQ(view->m_pCutPlaneDlg, cutPlanes);
    EXPECT_EQ(r.m_nFaceMask, 63) << "the box is the new volume's";
    EXPECT_EQ(busy.shown.front(), "Clipping volume ... please wait");
}

// The flips mirror the volume in place: the same volume, its textures to be
// rebuilt, the light box shown it again, the histogram as it was.
TEST_F(ProcessTest, FlipsMirrorInPlace)
{
    struct Case {
        int command;
        int axis;
    };
    for (const Case c : {Case{ID_FLIP_TOP_BOTTOM, 1}, Case{ID_FLIP_LEFT_RIGHT, 0}, Case{ID_FLIP_BACK_FRONT, 2}}) {
        SCOPED_TRACE(c.axis);
        CVolume* v = Install(MakePatterned<CVolume>(4, 3, 2, 8));
        v->BuildHistogram();
        const CHistogram histogram = v->m_histogram;
        int before[4][3][2];
        for (int z = 0; z < 2; ++z)
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 4; ++x)
                    before[x][y][z] = v->GetVoxel(x, y, z);
        view->m_pRenderer->m_bTexturesDirty = false;
        frame->GetLightBox()->SetModel(nullptr);
        Command(c.command);
        EXPECT_EQ(view->m_pModel, v);
        EXPECT_TRUE(view->m_pRenderer->m_bTexturesDirty);
        EXPECT_EQ(frame->GetLightBox()->m_pModel, v);
        EXPECT_EQ(std::memcmp(&v->m_histogram, &histogram, sizeof histogram), 0);
        const int dims[3] = {4, 3, 2};
        for (int z = 0; z < 2; ++z)
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 4; ++x) {
                    int m[3] = {x, y, z};
                    m[c.axis] = dims[c.axis] - 1 - m[c.axis];
                    ASSERT_EQ(v->GetVoxel(x, y, z), before[m[0]][m[1]][m[2]]) << x << y << z;
                }
    }
}

// Downsample halves x and y into a new volume in the current frame, with
// twice the voxel size there; other sizes are refused.
TEST_F(ProcessTest, DownsampleReplacesByTheHalvedVolume)
{
    CVolume* old = Install(MakePatterned<CVolume>(256, 256, 2, 8));
    old->SetVoxelSize(0.5f, 0.5f, 2.0f);
    Command(ID_EDIT_DOWNSAMPLE);
    CVolume* half = CurrentVolume();
    ASSERT_NE(half, old);
    EXPECT_EQ((std::vector<int>{half->m_nDimX, half->m_nDimY, half->m_nDimZ}), (std::vector<int>{128, 128, 2}));
    EXPECT_EQ(half->m_fScaleX, 1.0f);
    EXPECT_EQ(half->m_fScaleZ, 2.0f);
    ExpectShownEverywhere(half, 0);

    CVolume* odd = Install(MakePatterned<CVolume>(384, 384, 2, 8));
    Command(ID_EDIT_DOWNSAMPLE);
    EXPECT_EQ(view->m_pModel, odd);
}

// Segmentation from the seeds writes the object into the volume itself and
// rebuilds what depends on its voxels; a failed one (no background seed)
// leaves voxels, histogram, cache and textures as they were. The command
// ends without a change when its dialog closes with Close.
TEST_F(ProcessTest, SegmentationInPlaceAndItsFailure)
{
    auto make = [&] {
        // A bright cube in a dark shell.
        auto v = std::make_unique<CVolume>(12, 12, 12, 8);
        for (int z = 0; z < 12; ++z)
            for (int y = 0; y < 12; ++y)
                for (int x = 0; x < 12; ++x) {
                    const bool inside = x >= 4 && x < 8 && y >= 4 && y < 8 && z >= 4 && z < 8;
                    v->SetVoxel(x, y, z, inside ? 200 : 20);
                }
        v->SetVoxelSize(1, 1, 1);
        v->m_aInPoints.push_back({6, 6, 6});
        v->BuildHistogram();
        v->BuildDiskCache();
        return v;
    };
    struct Case {
        bool background;
        bool segmented;
    };
    for (const Case c : {Case{false, false}, Case{true, true}}) {
        SCOPED_TRACE(c.segmented ? "segmented" : "failed");
        CVolume* v = Install(make());
        if (c.background)
            v->m_aOutPoints.push_back({1, 1, 1});
        const CHistogram histogram = v->m_histogram;
        const auto cacheFiles = v->m_pszCacheFile;
        view->m_pRenderer->m_bTexturesDirty = false;
        const std::size_t mark = LogLines().size();
        {
            DialogAnswerer close([](wxDialog*) { return wxID_CANCEL; });
            Command(ID_EDIT_SEGMENTATION);
            EXPECT_EQ(close.shown, 1);
        }
        EXPECT_EQ(LogLines().size(), mark) << "the dialog closed: nothing happens";

        BusyRecorder busy(view);
        view->SegmentCurrentVolume(false, false);
        EXPECT_EQ(view->m_pModel, v);
        EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"**** Invoking Segmentation Plug-In ****",
                                                            "**** Segmentation Plug-In Ended ****"}));
        EXPECT_EQ(busy.shown.front(), "Performing segmentation ... please wait");
        EXPECT_EQ(v->m_nLockCount, 0);
        EXPECT_EQ(view->m_pRenderer->m_bTexturesDirty, c.segmented);
        EXPECT_EQ(v->m_pszCacheFile != cacheFiles, c.segmented) << "cache rebuilt";
        EXPECT_EQ(std::memcmp(&v->m_histogram, &histogram, sizeof histogram) != 0, c.segmented);
        EXPECT_EQ(v->GetVoxel(6, 6, 6), c.segmented ? 127 : 200);
        EXPECT_EQ(v->GetVoxel(1, 1, 1), c.segmented ? 0 : 20);
    }
    CVolume* deep = Install(Boxed(4, 4, 4, {0, 0, 0}, {3, 3, 3}, 16));
    const std::size_t mark = LogLines().size();
    view->SegmentCurrentVolume(false, false);
    EXPECT_EQ(LogLines().size(), mark) << "16-bit volumes are not segmented";
    EXPECT_EQ(view->m_pModel, deep);
}

// Scaling: the dialog gets the view's volume and the view redraws after it,
// whatever it ended with.
TEST_F(ProcessTest, ScalingRunsTheDialogOnTheVolume)
{
    CVolume* v = Install(Boxed(4, 4, 4, {0, 0, 0}, {3, 3, 3}));
    int shown = 0;
    DialogAnswerer answerer([&](wxDialog* dlg) {
        auto* scaling = dynamic_cast<CScalingDlg*>(dlg);
        EXPECT_NE(scaling, nullptr);
        if (scaling) {
            EXPECT_EQ(scaling->m_pVolume, v);
            EXPECT_EQ(scaling->m_pView, view);
            EXPECT_EQ(scaling->GetTitle(), "Adjust scaling");
        }
        ++shown;
        return int(wxID_CANCEL);
    });
    PaintCounter painted(*view);
    Command(ID_EDIT_SCALING);
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(WaitUntil([&] { return painted.count > 0; }));
}

// Clockwise winding toggles the mesh's flag, which the menu shows checked,
// and turns the normals; twice gives the normals back.
TEST_F(ProcessTest, ClockwiseWindingTurnsTheNormals)
{
    Open(view_files::Octahedron(dir, "oct.vxq"));
    auto* mesh = dynamic_cast<CMesh*>(view->m_pModel);
    ASSERT_NE(mesh, nullptr);
    mesh->ComputeNormals();
    const std::vector<CVector3> before(mesh->m_pNormals.get(), mesh->m_pNormals.get() + mesh->m_nVertices);
    Command(ID_VIEW_CLOCKWISE);
    EXPECT_TRUE(mesh->m_bClockwise);
    frame->GetMenuBar()->UpdateMenus();
    EXPECT_TRUE(GtkChecked(Item(ID_VIEW_CLOCKWISE)));
    for (int i = 0; i < mesh->m_nVertices; ++i)
        EXPECT_EQ(mesh->m_pNormals[i], before[i] * -1.0f) << i;
    Command(ID_VIEW_CLOCKWISE);
    EXPECT_FALSE(mesh->m_bClockwise);
    frame->GetMenuBar()->UpdateMenus();
    EXPECT_FALSE(GtkChecked(Item(ID_VIEW_CLOCKWISE)));
    for (int i = 0; i < mesh->m_nVertices; ++i)
        EXPECT_EQ(mesh->m_pNormals[i], before[i]) << i;
}

// The trajectory commands: a planned trajectory shows in render mode 0
// (fly-through left); Show/hide toggles the view's flag and the volume's
// copy; with no volume the update clears the flag. Planning closed with
// Close shows nothing.
TEST_F(ProcessTest, TrajectoryCommands)
{
    CVolume* v = Install(Boxed(4, 4, 4, {0, 0, 0}, {3, 3, 3}));
    {
        DialogAnswerer close([](wxDialog* dlg) {
            auto* planner = dynamic_cast<CTrajectoryDialog*>(dlg);
            EXPECT_NE(planner, nullptr);
            return planner ? wxID_CANCEL : wxID_ABORT;
        });
        Command(ID_PLAN_TRAJECTORY);
        EXPECT_EQ(close.shown, 1);
    }
    EXPECT_FALSE(view->m_bShowTrajectory);
    EXPECT_FALSE(v->m_bShowTrajectory);

    EnterFlyThrough();
    view->ShowPlannedTrajectory();
    EXPECT_TRUE(view->m_bShowTrajectory);
    EXPECT_TRUE(v->m_bShowTrajectory);
    ExpectFlyThroughLeft();
    EXPECT_TRUE(Update(ID_SHOW_TRAJECTORY).GetChecked());

    Command(ID_SHOW_TRAJECTORY);
    EXPECT_FALSE(view->m_bShowTrajectory);
    EXPECT_FALSE(v->m_bShowTrajectory);
    EXPECT_FALSE(Update(ID_SHOW_TRAJECTORY).GetChecked());
    Command(ID_SHOW_TRAJECTORY);
    EXPECT_TRUE(v->m_bShowTrajectory);

    Install(Ball());
    view->m_bShowTrajectory = true;
    const wxUpdateUIEvent e = Update(ID_SHOW_TRAJECTORY);
    EXPECT_FALSE(e.GetEnabled());
    EXPECT_FALSE(e.GetChecked());
    EXPECT_FALSE(view->m_bShowTrajectory);
}
