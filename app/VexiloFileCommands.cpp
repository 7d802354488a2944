// The 3D view's commands that bring data in and write it out.
#include <cctype>
#include <utility>

#include <wx/slider.h>
#include <wx/utils.h>

#include "app/MainFrame.h"
#include "app/Vexilo.h"
#include "app/dialogs/SliderDlg.h"
#include "data/DialogRunner.h"
#include "data/LoaderFactory.h"
#include "data/Mesh.h"
#include "data/MessageLog.h"
#include "data/SliceStackLoader.h"
#include "data/Volume.h"
#include "platform/Prompter.h"
#include "render/RendererFactory.h"
#include "render/Tex2DRgbRenderer.h"
#include "res/CommandIds.h"

namespace {
constexpr char kOpenFilter[] = "Vexilo files (*.vxq)|*.vxq|Raw volume data (*.raw)|*.raw|OBJ meshes (*.obj)|*.obj|"
                               "OFF meshes (*.off)|*.off|DICOM data (*.dcm)|*.dcm|Endoscope image files (*.img)|"
                               "*.img|All Files (*.*)|*.*||";
constexpr char kSaveFilter[] = "Vexilo files (*.vxq)|*.vxq|All Files (*.*)|*.*||";
constexpr char kRawFilter[] = "Raw volume data (*.raw)|*.raw|All Files (*.*)|*.*||";
constexpr char kSmfFilter[] = "SMF mesh (*.smf)|*.smf|All Files (*.*)|*.*||";
constexpr char kOffFilter[] = "OFF mesh (*.off)|*.off|All Files (*.*)|*.*||";

constexpr char kDownsampleQuestion[] = "Do you want to downsample to 8 bits per voxel when saving?\n\n"
                                       "(If you click No, the volume will be saved using 16 bit voxels)";

constexpr unsigned kFailure = MB_OK | MB_ICONEXCLAMATION;
constexpr unsigned kNotice = MB_OK | MB_ICONINFORMATION;

// The file's name with its extension, without the folder.
std::string FileName(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string LowerExtension(const std::string& path)
{
    const std::string name = FileName(path);
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos)
        return std::string();
    std::string ext = name.substr(dot + 1);
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

bool ChooseFile(bool open, const char* filter, const char* defaultExt, std::string& path)
{
    FileChooserRequest request;
    request.open = open;
    request.filter = filter;
    request.defaultExt = defaultExt;
    return Prompter().ChooseFile(request, path);
}

CVolume* AsVolume(CModel* model) { return model && model->IsVolume() ? static_cast<CVolume*>(model) : nullptr; }
CMesh* AsMesh(CModel* model) { return model && model->IsMesh() ? static_cast<CMesh*>(model) : nullptr; }
} // namespace

bool CVexilo::Usable(const CModelSeries* series)
{
    // A loader may succeed with no frame at all; there is no model to show.
    return series && !series->empty();
}

void CVexilo::TakeSeries(std::unique_ptr<CModelSeries> series)
{
    // Only now, with the new series in hand, does the open one go; its
    // voxels waited in their swap file meanwhile.
    CloseModel();
    m_pModels = std::move(series);
    m_nFrames = int(m_pModels->size());
    m_nFrame = 1;
    m_nFrameShown = -1;
    m_pModel = m_pModels->front().get();
}

void CVexilo::KeepOpenModel(bool cancelled)
{
    if (cancelled) {
        // The user ended the open: nothing to report, nothing to wait for.
        CloseStatusBox();
        return;
    }
    VxMessageBox("Unknown file format!", kFailure);
    Log("**** Model not loaded ****");
    // The next frame closes the busy box.
    Invalidate();
}

void CVexilo::SetFrameTitle(const std::string& name)
{
    if (CMainFrame* frame = Frame())
        frame->SetTitle(name.empty() ? wxString(kFrameTitle) : wxString::FromUTF8("Vexilo - [" + name + "]"));
}

void CVexilo::SetSliderRange()
{
    if (!m_pSliderBar)
        if (CMainFrame* frame = Frame())
            m_pSliderBar = frame->GetSliderBar();
    if (!m_pSliderBar)
        return;
    if (wxSlider* slider = m_pSliderBar->GetSlider()) {
        slider->SetRange(1, m_nFrames);
        slider->SetValue(1);
    }
    m_pSliderBar->Enable(m_nFrames > 1);
}

void CVexilo::MakeRendererForModel(bool colour)
{
    const wxSize s = ClientSize();
    m_pRenderer = colour ? MakeColourRenderer(m_pModel) : CreateRenderer(m_pModel, &m_surface, s.x, s.y);
    if (!m_pRenderer)
        VxMessageBox("No renderer found for this file type!", kFailure);
}

// Colour data always gets the 2D-texture RGB renderer, without the probe or
// the renderer choice.
std::unique_ptr<CRenderer> CVexilo::MakeColourRenderer(CModel* model)
{
    const wxSize s = ClientSize();
    auto renderer = std::make_unique<CTex2DRgbRenderer>(model, &m_surface, s.x, s.y);
    renderer->AttachModel(model);
    return renderer;
}

void CVexilo::EnsureRenderer() noexcept
{
    if (m_pRenderer)
        return;
    const wxSize s = ClientSize();
    try {
        m_pRenderer = CreateRenderer(nullptr, &m_surface, s.x, s.y);
    } catch (...) {
        // Out of memory for even the empty renderer: painting shows nothing.
    }
}

void CVexilo::FinishLoad()
{
    EnsureRenderer();
    Log(m_pModel ? "Model : " + m_pModel->GetInfo() : std::string("**** Model not loaded ****"));
    Log("Renderer : " + (m_pRenderer ? m_pRenderer->m_pszDescription : std::string()));
    OnResetView();
    GiveModelToLightBox(m_pModel);
}

void CVexilo::OnFileOpen(wxCommandEvent&)
{
    std::string path;
    if (!ChooseFile(true, kOpenFilter, "vxq", path))
        return;
    ShowStatus("Loading data ... please wait", true);
    Log("Loading file: " + FileName(path));
    bool cancelled = false;
    std::unique_ptr<CModelSeries> series = ReadFile(path, cancelled);
    if (!Usable(series.get())) {
        KeepOpenModel(cancelled);
        return;
    }
    try {
        TakeSeries(std::move(series));
        SetFrameTitle(FileName(path));
        SetSliderRange();
        CloseStatusBox();
        MakeRendererForModel(false);
    } catch (...) {
        EnsureRenderer();
        throw;
    }
    FinishLoad();
}

std::unique_ptr<CModelSeries> CVexilo::ReadFile(const std::string& path, bool& cancelled)
{
    wxBusyCursor wait;
    // The open model stays on screen while the loader and its dialogs run.
    const bool loading = std::exchange(m_bLoading, true);
    std::unique_ptr<CModelSeries> series;
    try {
        series = LoadModelFile(path, LowerExtension(path), &cancelled);
    } catch (...) {
        // A loader that throws has failed like one that returns nothing;
        // what it made went with the series.
        series.reset();
    }
    m_bLoading = loading;
    return series;
}

void CVexilo::OnImportRgb(wxCommandEvent&)
{
    CRgbDialogValues values;
    if (!DialogRunner().RunRgbDialog(values))
        return;
    ShowStatus("Importing data ... please wait", true);
    Log("Loading data : " + values.m_strFolder);
    const bool rgb = values.m_nDataType == 0;
    std::unique_ptr<CModelSeries> series = ReadFolder(values);
    if (!Usable(series.get())) {
        KeepOpenModel(false);
        return;
    }
    try {
        TakeSeries(std::move(series));
        SetFrameTitle(values.m_strFolder);
        SetSliderRange();
        CloseStatusBox();
        const bool grey = rgb && values.m_bGrayscale;
        if (grey)
            if (auto* colour = dynamic_cast<CRgbVolume*>(m_pModel))
                colour->DropColour();
        MakeRendererForModel(rgb && !grey);
    } catch (...) {
        EnsureRenderer();
        throw;
    }
    FinishLoad();
}

std::unique_ptr<CModelSeries> CVexilo::ReadFolder(const CRgbDialogValues& values)
{
    auto series = std::make_unique<CModelSeries>();
    wxBusyCursor wait;
    const bool loading = std::exchange(m_bLoading, true);
    bool ok = false;
    try {
        if (values.m_nDataType == 0)
            ok = CRgbStackLoader(values.m_nWidth, values.m_nHeight, values.m_fPixelWidth, values.m_fPixelHeight,
                                 values.m_fSeparation)
                     .Load(values.m_strFolder, *series);
        else
            ok = CSliceStackLoader(values.m_nHeaderBytes, values.m_nWidth, values.m_nHeight, values.m_fPixelWidth,
                                   values.m_fPixelHeight, values.m_fSeparation)
                     .Load(values.m_strFolder, *series);
    } catch (...) {
        ok = false;
    }
    m_bLoading = loading;
    // A folder that gave no volume fails as an unreadable file does.
    if (!ok)
        series.reset();
    CMessageLog::ShowStatus("Importing data ... please wait", true);
    return series;
}

void CVexilo::OnFileSaveAs(wxCommandEvent&)
{
    std::string path;
    if (ChooseFile(false, kSaveFilter, "vxq", path)) {
        bool ok = false;
        if (CVolume* volume = AsVolume(m_pModel)) {
            bool eightBit = true;
            if (volume->m_nBits > 8)
                eightBit = VxMessageBox(kDownsampleQuestion, MB_YESNO | MB_ICONQUESTION) == IDYES;
            wxBusyCursor wait;
            ok = eightBit ? volume->Save8Bit(path) : volume->Save(path);
        } else if (m_pModel) {
            wxBusyCursor wait;
            ok = m_pModel->Save(path);
        }
        if (ok)
            VxMessageBox("Model data saved ok!", kNotice);
        else
            VxMessageBox("Unable to save data - check model exists!", kFailure);
    }
    Invalidate();
}

namespace {
void ReportExport(bool ok, const char* success)
{
    if (ok)
        VxMessageBox(success, kNotice);
    else
        VxMessageBox("Unable to export data - check model exists!", kFailure);
}
} // namespace

void CVexilo::OnExportRaw(wxCommandEvent&)
{
    std::string path;
    if (ChooseFile(false, kRawFilter, "raw", path)) {
        bool ok = false;
        if (CVolume* volume = AsVolume(m_pModel)) {
            wxBusyCursor wait;
            ok = volume->ExportRaw(path);
        }
        ReportExport(ok, "Raw volume data saved ok!");
    }
    Invalidate();
}

void CVexilo::OnExportSmf(wxCommandEvent&)
{
    std::string path;
    if (ChooseFile(false, kSmfFilter, "smf", path)) {
        bool ok = false;
        if (CMesh* mesh = AsMesh(m_pModel)) {
            wxBusyCursor wait;
            ok = mesh->SaveSMF(path);
        }
        ReportExport(ok, "Mesh saved ok!");
    }
    Invalidate();
}

void CVexilo::OnExportOff(wxCommandEvent&)
{
    std::string path;
    if (ChooseFile(false, kOffFilter, "off", path)) {
        bool ok = false;
        if (CMesh* mesh = AsMesh(m_pModel)) {
            wxBusyCursor wait;
            ok = mesh->SaveOFF(path);
        }
        ReportExport(ok, "Mesh saved ok!");
    }
    Invalidate();
}

void CVexilo::OnUpdateModelLoaded(wxUpdateUIEvent& event) { event.Enable(m_pModel != nullptr); }
void CVexilo::OnUpdateExportRaw(wxUpdateUIEvent& event) { event.Enable(AsVolume(m_pModel) != nullptr); }
// The text exports write triangles only.
void CVexilo::OnUpdateExportMesh(wxUpdateUIEvent& event)
{
    const CMesh* mesh = AsMesh(m_pModel);
    event.Enable(mesh && mesh->m_nPrimitive == kGlTriangles);
}
