// The 3D view's commands that change the data: iso-surface, decimation,
// segmentation, trimming to the non-zero voxels or to the cut-planes, flips,
// downsampling, voxel scaling, mesh winding and the trajectory planner. Each
// works synchronously with its line in the busy box, which the next frame
// closes at the latest. The busy texts go through the message log's owner,
// as the processing code's own do.
#include <algorithm>
#include <climits>

#include "app/LightBox.h"
#include "app/MainFrame.h"
#include "app/Vexilo.h"
#include "app/dialogs/StereoDlg.h"
#include "app/dialogs/DecimateDlg.h"
#include "app/dialogs/MarkerDlg.h"
#include "app/dialogs/ScalingDlg.h"
#include "app/dialogs/SurfaceDlg.h"
#include "app/dialogs/TrajectoryDialog.h"
#include "data/Mesh.h"
#include "data/MessageLog.h"
#include "data/Volume.h"
#include "platform/Prompter.h"
#include "processing/MeshDecimator.h"
#include "processing/SurfaceGenerator.h"
#include "processing/Watershed.h"
#include "render/RendererFactory.h"

namespace {
CMesh* AsMesh(CModel* model) { return model && model->IsMesh() ? static_cast<CMesh*>(model) : nullptr; }

bool IsTriangleMesh(CModel* model)
{
    const CMesh* mesh = AsMesh(model);
    return mesh && mesh->m_nPrimitive == kGlTriangles;
}

void Busy(const char* text) { CMessageLog::ShowStatus(text, true); }
void NotBusy() { CMessageLog::ShowStatus(nullptr, false); }

// A lock on a volume's voxels held for a scope; released early with Release.
class VoxelLock {
public:
    explicit VoxelLock(CVolume& volume) : m_volume(volume), m_held(volume.LockData() != nullptr) {}
    ~VoxelLock() { Release(); }
    VoxelLock(const VoxelLock&) = delete;
    VoxelLock& operator=(const VoxelLock&) = delete;
    bool Held() const { return m_held; }
    void Release()
    {
        // An unlock without a lock would take away someone else's.
        if (m_held)
            m_volume.UnlockData();
        m_held = false;
    }

private:
    CVolume& m_volume;
    bool m_held;
};

// The Downsample item: offered for square 512 or 256 volumes only, named
// after the size it gives.
struct DownsampleItem {
    bool enabled = false;
    wxString text = "Downsample";
};

DownsampleItem DownsampleItemFor(const CVolume* volume)
{
    DownsampleItem item;
    if (volume && volume->m_nDimX == volume->m_nDimY && (volume->m_nDimX == 512 || volume->m_nDimX == 256)) {
        const int half = volume->m_nDimX / 2;
        item.enabled = true;
        item.text = wxString::Format("Downsample to %dx%dx%d", half, half, volume->m_nDimZ);
    }
    return item;
}
} // namespace

CVolume* CVexilo::CurrentVolume() const
{
    return m_pModel && m_pModel->IsVolume() ? static_cast<CVolume*>(m_pModel) : nullptr;
}

// Generate iso-surface.

void CVexilo::OnGenerateSurface(wxCommandEvent&)
{
    CVolume* volume = CurrentVolume();
    if (!volume)
        return;
    int iso = 0;
    {
        CSurfaceDlg dlg(Frame());
        dlg.m_pVolume = volume;
        dlg.m_pView = this;
        if (dlg.ShowModal() != wxID_OK)
            return;
        iso = dlg.m_nIsoValue;
    }
    GenerateSurface(iso);
}

void CVexilo::GenerateSurface(int isoValue)
{
    CVolume* volume = CurrentVolume();
    if (!volume)
        return;
    Busy("Generating surface mesh ...");
    Log("**** Invoking Surface Generation ****");
    std::unique_ptr<CSurfaceMesh> mesh;
    {
        CSurfaceGenerator generator(volume);
        // The generator's iso value is 16 bits wide.
        mesh = generator.Generate(std::uint16_t(isoValue));
    }
    NotBusy();
    Log("**** Surface Generation Ended ****");
    try {
        CloseModel();
        GiveModelToLightBox(nullptr);
        m_pModels = std::make_unique<CModelSeries>();
        m_pModel = mesh.get();
        m_pModels->push_back(std::move(mesh));
        m_nFrames = 1;
        m_nFrame = 1;
        m_nFrameShown = -1;
        SetFrameTitle("Generated Surface");
        SetSliderRange();
        const wxSize s = ClientSize();
        m_pRenderer = CreateRenderer(m_pModel, &m_surface, s.x, s.y);
    } catch (...) {
        EnsureRenderer();
        throw;
    }
    EnsureRenderer();
    GiveModelToLightBox(m_pModel);
    Log("Model : " + m_pModel->GetInfo());
    Log("Renderer : " + (m_pRenderer ? m_pRenderer->m_pszDescription : std::string()));
    OnResetView();
}

// Decimate mesh.

void CVexilo::OnDecimate(wxCommandEvent&)
{
    CMesh* mesh = AsMesh(m_pModel);
    if (!IsTriangleMesh(mesh))
        return;
    if (mesh->m_bDirty)
        mesh->UpdateBounds();
    std::uint32_t target = 0;
    {
        CDecimateDlg dlg(Frame());
        dlg.m_nPolygons = std::uint32_t(std::max(mesh->m_nPolygons, 0));
        if (dlg.ShowModal() != wxID_OK)
            return;
        target = dlg.m_nTarget;
    }
    DecimateMesh(target);
}

void CVexilo::DecimateMesh(std::uint32_t target)
{
    CMesh* mesh = AsMesh(m_pModel);
    if (!IsTriangleMesh(mesh))
        return;
    Busy("Preparing for decimation ...");
    {
        CMeshDecimator decimator(mesh);
        // Running out of pairs before the target only leaves more polygons.
        decimator.Decimate(int(std::min<std::uint32_t>(target, INT_MAX)));
    }
    Invalidate();
}

// Perform segmentation.

bool CVexilo::RunSegmentationDialog(CVolume& volume, bool& invert, bool& keepValues)
{
    CMarkerDlg dlg(Frame());
    dlg.m_pVolume = &volume;
    dlg.m_pView = this;
    if (dlg.ShowModal() != wxID_OK)
        return false;
    invert = dlg.m_bInvert != 0;
    keepValues = dlg.m_bReapplyTexture != 0;
    return true;
}

void CVexilo::OnSegmentation(wxCommandEvent&)
{
    CVolume* volume = CurrentVolume();
    if (!volume || volume->m_nBits != 8)
        return;
    bool invert = false, keepValues = true;
    if (RunSegmentationDialog(*volume, invert, keepValues))
        SegmentCurrentVolume(invert, keepValues);
}

void CVexilo::SegmentCurrentVolume(bool invert, bool keepValues)
{
    CVolume* volume = CurrentVolume();
    if (!volume || volume->m_nBits != 8)
        return;
    Busy("Performing segmentation ... please wait");
    Log("**** Invoking Segmentation Plug-In ****");
    bool segmented = false;
    {
        VoxelLock lock(*volume);
        if (lock.Held()) {
            CWatershed watershed(volume);
            segmented = watershed.Segment3D(invert, keepValues);
        }
        Log("**** Segmentation Plug-In Ended ****");
        // A failed flood wrote nothing: histogram, cache and textures still
        // stand for the voxels as they are.
        if (segmented) {
            volume->BuildHistogram();
            volume->BuildDiskCache();
        }
    }
    if (segmented)
        VolumeChangedInPlace();
    else
        Invalidate();
}

// Trim redundant voxels and Get sub-volume.

void CVexilo::OnTrimVolume(wxCommandEvent&)
{
    CVolume* volume = CurrentVolume();
    if (!volume)
        return;
    VoxelLock lock(*volume);
    Busy("Analysing volume ... please wait");
    VolumeStatistics s;
    volume->GetStatistics(s);
    NotBusy();
    // Also a volume without any non-zero voxel: it has no box to keep.
    if (!s.trimmable) {
        lock.Release();
        VxMessageBox("This volume has no redundant voxels so cannot be trimmed.", MB_OK | MB_ICONINFORMATION);
        return;
    }
    const wxString question = wxString::Format(
        "This volume could be reduced from %dx%dx%d to %dx%dx%d with no loss of data. Do you want to truncate "
        "this volume?",
        volume->m_nDimX, volume->m_nDimY, volume->m_nDimZ, s.sizeX, s.sizeY, s.sizeZ);
    if (VxMessageBox(question.utf8_string(), MB_YESNO | MB_ICONQUESTION) != IDYES) {
        lock.Release();
        return;
    }
    Busy("Truncating volume ... please wait");
    std::unique_ptr<CVolume> trimmed = volume->Crop(s.minX, s.maxX, s.minY, s.maxY, s.minZ, s.maxZ);
    lock.Release();
    ReplaceCurrentVolume(std::move(trimmed));
    Invalidate();
}

void CVexilo::OnTrimToCutPlanes(wxCommandEvent&)
{
    CVolume* volume = CurrentVolume();
    // The box is the renderer's, measured on the volume it draws.
    if (!volume || m_nRenderMode != kRenderCutPlanes || !m_pRenderer || m_pRenderer->m_pModel != volume)
        return;
    std::int32_t x0 = 0, x1 = 0, y0 = 0, y1 = 0, z0 = 0, z1 = 0;
    MakeRendererCurrent();
    m_pRenderer->ClipBoxToVoxelBounds(x0, x1, y0, y1, z0, z1);
    VoxelLock lock(*volume);
    Busy("Clipping volume ... please wait");
    std::unique_ptr<CVolume> clipped = volume->Crop(x0, x1, y0, y1, z0, z1);
    lock.Release();
    ReplaceCurrentVolume(std::move(clipped));
    Invalidate();
}

// Flips, Downsample.

void CVexilo::Flip(int axis)
{
    CVolume* volume = CurrentVolume();
    if (!volume)
        return;
    if (axis == 0)
        volume->FlipX();
    else if (axis == 1)
        volume->FlipY();
    else
        volume->FlipZ();
    VolumeChangedInPlace();
}

void CVexilo::OnFlipTopBottom(wxCommandEvent&) { Flip(1); }
void CVexilo::OnFlipLeftRight(wxCommandEvent&) { Flip(0); }
void CVexilo::OnFlipBackFront(wxCommandEvent&) { Flip(2); }

void CVexilo::VolumeChangedInPlace()
{
    if (m_pRenderer)
        m_pRenderer->m_bTexturesDirty = true;
    Invalidate();
    GiveModelToLightBox(m_pModel);
}

void CVexilo::OnDownsample(wxCommandEvent&)
{
    CVolume* volume = CurrentVolume();
    if (!DownsampleItemFor(volume).enabled)
        return;
    ReplaceCurrentVolume(volume->Downsample());
    Invalidate();
}

void CVexilo::ReplaceCurrentVolume(std::unique_ptr<CVolume> volume)
{
    if (!volume || !CurrentVolume() || !m_pModels || m_nFrame < 1 || m_nFrame > int(m_pModels->size()))
        return;
    // Everything that points at the old volume lets go of it before it goes:
    // the fly-through camera, the editor of its histogram, the renderer with
    // its transfer function, the stereo window and the light box.
    if (m_nRenderMode == kRenderFlyThrough)
        SetRenderMode(kRenderNormal);
    CloseXfrDialog();
    std::unique_ptr<CModel>& slot = m_pModels->at(std::size_t(m_nFrame - 1));
    std::unique_ptr<CModel> old = std::move(slot);
    m_pModel = volume.get();
    slot = std::move(volume);
    if (m_pRenderer) {
        MakeRendererCurrent();
        m_pRenderer->AttachModel(m_pModel);
    }
    PointStereoWindowAt(m_pModel);
    GiveModelToLightBox(m_pModel);
    old.reset();
    Invalidate();
}

void CVexilo::PointStereoWindowAt(CModel* model)
{
    // The stereo window keeps its own pointer to the model it draws, and its
    // eyes from the camera the renderer took for it.
    if (CStereoDlg* stereo = StereoWindow()) {
        stereo->m_pModel = model;
        stereo->UpdateFrustums();
    }
}

// Scaling.

void CVexilo::OnScaling(wxCommandEvent&)
{
    CVolume* volume = CurrentVolume();
    if (!volume)
        return;
    LightBox();
    {
        CScalingDlg dlg(this, Frame());
        dlg.m_pVolume = volume;
        dlg.ShowModal();
    }
    Invalidate();
}

void CVexilo::ApplyVoxelSize()
{
    if (CLightBox* lightBox = LightBox())
        lightBox->Refresh();
    if (m_pRenderer) {
        MakeRendererCurrent();
        m_pRenderer->ComputeGeometry();
    }
    Invalidate();
}

// Clockwise winding.

void CVexilo::OnClockwiseWinding(wxCommandEvent&)
{
    CMesh* mesh = AsMesh(m_pModel);
    if (!mesh)
        return;
    mesh->m_bClockwise = !mesh->m_bClockwise;
    mesh->ComputeNormals();
    RedrawNow();
}

// Plan a trajectory, Show/hide trajectory: commands that no menu, toolbar
// button or key reaches.

bool CVexilo::RunTrajectoryDialog(CVolume& volume)
{
    CTrajectoryDialog dlg(Frame());
    dlg.m_pView = this;
    dlg.m_pVolume = &volume;
    return dlg.ShowModal() == wxID_OK;
}

void CVexilo::OnPlanTrajectory(wxCommandEvent&)
{
    CVolume* volume = CurrentVolume();
    if (!volume)
        return;
    LightBox();
    if (RunTrajectoryDialog(*volume))
        ShowPlannedTrajectory();
}

void CVexilo::ShowPlannedTrajectory()
{
    CVolume* volume = CurrentVolume();
    if (!volume)
        return;
    volume->m_bShowTrajectory = true;
    m_bShowTrajectory = true;
    SetRenderMode(kRenderNormal);
}

void CVexilo::OnShowTrajectory(wxCommandEvent&)
{
    m_bShowTrajectory = !m_bShowTrajectory;
    if (CVolume* volume = CurrentVolume())
        volume->m_bShowTrajectory = m_bShowTrajectory;
    Invalidate();
}

// Update handlers.

void CVexilo::OnUpdatePlanTrajectory(wxUpdateUIEvent& event) { event.Enable(CurrentVolume() != nullptr); }

void CVexilo::OnUpdateDecimate(wxUpdateUIEvent& event) { event.Enable(IsTriangleMesh(m_pModel)); }

void CVexilo::OnUpdateSegmentation(wxUpdateUIEvent& event)
{
    const CVolume* volume = CurrentVolume();
    event.Enable(volume && volume->m_nBits == 8);
}

void CVexilo::OnUpdateTrimVolume(wxUpdateUIEvent& event) { event.Enable(CurrentVolume() != nullptr); }

void CVexilo::OnUpdateTrimToCutPlanes(wxUpdateUIEvent& event)
{
    event.Enable(CurrentVolume() != nullptr && m_nRenderMode == kRenderCutPlanes);
}

void CVexilo::OnUpdateVolumeCommand(wxUpdateUIEvent& event) { event.Enable(CurrentVolume() != nullptr); }

void CVexilo::OnUpdateDownsample(wxUpdateUIEvent& event)
{
    const DownsampleItem item = DownsampleItemFor(CurrentVolume());
    event.Enable(item.enabled);
    event.SetText(item.text);
}

void CVexilo::OnUpdateClockwiseWinding(wxUpdateUIEvent& event)
{
    const CMesh* mesh = AsMesh(m_pModel);
    event.Enable(mesh != nullptr);
    event.Check(mesh && mesh->m_bClockwise);
}

void CVexilo::OnUpdateShowTrajectory(wxUpdateUIEvent& event)
{
    if (!CurrentVolume())
        m_bShowTrajectory = false;
    event.Enable(CurrentVolume() != nullptr);
    event.Check(m_bShowTrajectory);
}
