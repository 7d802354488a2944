#include <wx/frame.h>

#include "data/Mesh.h"
#include "platform/wx/WxGlSurface.h"
#include "render/MeshRenderer.h"
#include "GuiTest.h"

namespace {
// A bare frame holding one GL canvas with the renderers' pixel format.
struct CanvasWindow {
    wxFrame* frame;
    wxGLCanvas* canvas;
    CanvasWindow()
    {
        frame = new wxFrame(nullptr, wxID_ANY, "GL", wxDefaultPosition, wxSize(120, 120));
        canvas = new wxGLCanvas(frame, ChooseGlAttributes(kRendererPixelFormat), wxID_ANY, wxDefaultPosition,
                                wxSize(64, 64));
        frame->Show();
    }
    ~CanvasWindow()
    {
        GlMakeCurrent(nullptr, nullptr);
        frame->Destroy();
        wxTheApp->ProcessIdle();
    }
};
} // namespace

TEST(WxGlSurface, MeshRendererDrawsIntoTheCanvas)
{
    CanvasWindow w;
    ASSERT_TRUE(WaitUntil([&] { return w.canvas->IsShownOnScreen() && w.canvas->GetClientSize().x > 0; }));
    const wxSize size = w.canvas->GetClientSize();
    CWxGlSurface surface(*w.canvas);

    COffMesh mesh;
    mesh.m_nPrimitive = kGlTriangles;
    CVector3* v = mesh.SetVertexCount(3);
    v[0] = {-1, -1, 0};
    v[1] = {1, -1, 0};
    v[2] = {0, 1, 0};
    for (int k = 0; k < 3; ++k)
        mesh.m_pNormals[k] = {0, 0, 1};
    std::int32_t* idx = mesh.SetIndexCount(3);
    idx[0] = 0, idx[1] = 1, idx[2] = 2;
    mesh.m_vSolidColour = {0.2f, 0.4f, 0.1f};
    {
        CMeshRenderer renderer(&mesh, &surface, size.x, size.y);
        ASSERT_NE(renderer.m_hGLRC, nullptr);
        renderer.AttachModel(&mesh);
        renderer.BeginFrame(&surface, 0x00FF0000, nullptr);
        EXPECT_EQ(GlGetCurrentSurface(), &surface);
        renderer.Render(&surface, false);
        GLubyte corner[4], centre[4];
        Gl().ReadPixels(1, 1, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, corner);
        Gl().ReadPixels(size.x / 2, size.y / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, centre);
        EXPECT_EQ(std::vector<int>(corner, corner + 3), (std::vector<int>{0, 0, 255})) << "background";
        EXPECT_GT(centre[1], 200) << "lit triangle";
        renderer.Render(&surface, true);
    }
    EXPECT_EQ(GlGetCurrentContext(), nullptr);
}
