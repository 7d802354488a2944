#pragma once
#include <string>
#include <vector>

#include <wx/menu.h>

#include "GuiTest.h"
#include "ScreenPixels.h"
#include "app/Vexilo.h"
#include "data/DialogRunner.h"
#include "data/Mesh.h"
#include "data/MessageLog.h"
#include "data/Volume.h"
#include "data/VolumeFixtures.h"
#include "res/CommandIds.h"
#include "support/EndoscopeCapture.h"
#include "support/ScriptedDialogRunner.h"
#include "support/TempDir.h"

// Files the view opens in these tests, written into the test's folder.
namespace view_files {
// An octahedron of radius 1 around the origin, as a native mesh file.
inline std::string Octahedron(const TempDir& dir, const std::string& name)
{
    COffMesh mesh;
    mesh.m_nPrimitive = kGlTriangles;
    CVector3* v = mesh.SetVertexCount(6);
    const CVector3 corners[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (int i = 0; i < 6; ++i)
        v[i] = corners[i];
    const int faces[8][3] = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4}, {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};
    std::int32_t* idx = mesh.SetIndexCount(24);
    for (int f = 0; f < 8; ++f)
        for (int k = 0; k < 3; ++k)
            idx[3 * f + k] = faces[f][k];
    mesh.m_nPolygons = 8;
    mesh.ComputeNormals();
    mesh.m_bDirty = true;
    const std::string path = dir.File(name);
    EXPECT_TRUE(mesh.Save(path));
    return path;
}

// A unit box of six quads, as a native mesh file.
inline std::string QuadBox(const TempDir& dir, const std::string& name)
{
    COffMesh mesh;
    mesh.m_nPrimitive = kGlQuads;
    CVector3* v = mesh.SetVertexCount(8);
    for (int i = 0; i < 8; ++i)
        v[i] = {float(i & 1), float((i >> 1) & 1), float(i >> 2)};
    const int quads[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
    std::int32_t* idx = mesh.SetIndexCount(24);
    for (int q = 0; q < 6; ++q)
        for (int k = 0; k < 4; ++k)
            idx[4 * q + k] = quads[q][k];
    mesh.m_nPolygons = 6;
    mesh.ComputeNormals();
    mesh.m_bDirty = true;
    const std::string path = dir.File(name);
    EXPECT_TRUE(mesh.Save(path));
    return path;
}

// `volume` as a native volume file.
inline std::string Saved(const TempDir& dir, const std::string& name, CVolume& volume)
{
    const std::string path = dir.File(name);
    EXPECT_TRUE(volume.Save(path));
    return path;
}

// A patterned volume of 8 x 8 x 8 voxels as a native volume file.
inline std::string Volume(const TempDir& dir, const std::string& name, int bits)
{
    auto volume = MakePatterned<CNativeVolume>(8, 8, 8, bits);
    volume->SetVoxelSize(1, 1, 1);
    return Saved(dir, name, *volume);
}

// An endoscope capture of the third version with `frames` valid frames.
inline std::string Capture(const TempDir& dir, const std::string& name, int frames)
{
    std::string file = capture::Head3();
    for (int f = 0; f < frames; ++f) {
        // Directions (0, 0, 1) and (0, 1, 0).
        const capture::Sensor first{true, 1, 0, float(3 + f), 0, 0, 1}, second{true, 1, 0, float(4 + f), 0, 1, 0};
        file += capture::FrameV(3, {first, second}, true, {0.5f, 0, 0});
    }
    return dir.Write(name, file);
}
} // namespace view_files

// The main frame with its 3D view, files to open, and a scripted dialog
// runner so that no loader dialog waits for a user.
class ViewTest : public FrameTest {
protected:
    void SetUp() override
    {
        m_pPreviousRunner = SetDialogRunner(&runner);
        FrameTest::SetUp();
        view = frame->GetView();
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return view->GetClientSize().x > 400 && view->GetClientSize().y > 300; }));
    }
    void TearDown() override
    {
        FrameTest::TearDown();
        SetDialogRunner(m_pPreviousRunner);
    }

    bool Command(int id)
    {
        wxCommandEvent e(wxEVT_MENU, id);
        return frame->ProcessWindowEvent(e);
    }
    void Open(const std::string& path)
    {
        prompter.files.push_back(path);
        Command(ID_FILE_OPEN);
    }
    // One frame drawn through the view's own paint, asked for as the view
    // asks for its frames.
    bool DrawFrame()
    {
        PaintCounter painted(*view);
        view->Invalidate();
        view->Update();
        return WaitUntil([&] { return painted.count > 0; });
    }
    // What the screen shows of the canvas after one more frame.
    wxImage Canvas()
    {
        EXPECT_TRUE(DrawFrame());
        return GrabWindow(*view);
    }
    // The canvas inside the wheels.
    wxRect Inside() const
    {
        const wxSize s = view->GetClientSize();
        return wxRect(24, 24, s.x - 48, s.y - 48);
    }
    const std::vector<std::string>& LogLines() const { return CMessageLog::GetExisting()->m_lines; }
    bool LogHas(const std::string& line) const
    {
        const auto& l = LogLines();
        return std::find(l.begin(), l.end(), line) != l.end();
    }
    bool MenuEnabled(int id)
    {
        frame->GetMenuBar()->UpdateMenus();
        return frame->GetMenuBar()->IsEnabled(id);
    }

    TempDir dir;
    CScriptedDialogRunner runner;
    CVexilo* view = nullptr;

private:
    IDialogRunner* m_pPreviousRunner = nullptr;
};
