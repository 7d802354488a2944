#include <gtest/gtest.h>

#include "data/Mesh.h"
#include "platform/offscreen/OffscreenSurface.h"
#include "render/MeshRenderer.h"
#include "support/TriangleMesh.h"

namespace {
struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Rgb& c) { return os << c.r << "," << c.g << "," << c.b; }

// Draws one frame of a mesh offscreen, the way the view does, and keeps it.
struct Frame {
    COffscreenSurface surface;
    CMeshRenderer renderer;
    std::vector<GLubyte> pixels;

    Frame(CMesh* mesh, int width, int height) : surface(width, height), renderer(mesh, &surface, width, height)
    {
        renderer.AttachModel(mesh);
        renderer.BeginFrame(&surface, 0, nullptr);
        renderer.Render(&surface, true);
        pixels.resize(std::size_t(width) * height * 4);
        Gl().ReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    }
    // x from the left, y from the top.
    Rgb At(int x, int y) const
    {
        std::size_t i = (std::size_t(surface.Height() - 1 - y) * surface.Width() + x) * 4;
        return {pixels[i], pixels[i + 1], pixels[i + 2]};
    }
    int CountNear(Rgb want, int tol) const
    {
        int n = 0;
        for (int y = 0; y < surface.Height(); ++y)
            for (int x = 0; x < surface.Width(); ++x) {
                Rgb c = At(x, y);
                n += std::abs(c.r - want.r) <= tol && std::abs(c.g - want.g) <= tol && std::abs(c.b - want.b) <= tol;
            }
        return n;
    }
};

void ExpectNear(Rgb got, Rgb want, int tol, const char* why)
{
    EXPECT_NEAR(got.r, want.r, tol) << why << ": " << got;
    EXPECT_NEAR(got.g, want.g, tol) << why << ": " << got;
    EXPECT_NEAR(got.b, want.b, tol) << why << ": " << got;
}

// The row of triangles in the colours the expected pixels are worked out for.
std::unique_ptr<CMesh> Triangles(int count)
{
    auto mesh = MakeTriangleRow(count);
    mesh->m_vSolidColour = {0.2f, 0.4f, 0.1f};
    mesh->m_vWireColour = {1.0f, 0.5f, 0.0f};
    return mesh;
}

const Rgb kBlack{0, 0, 0};
} // namespace

TEST(CMeshRendererGl, SolidTriangleIsLitWhereExpected)
{
    // Colour 0.2 x ambient 0.2 + diffuse 1 + specular 0.6 at the highlight
    // (light and viewer along +z): 0.84, 1.0 (clamped), 0.72.
    const Rgb lit{214, 255, 184};
    for (bool clockwise : {false, true}) {
        auto mesh = Triangles(1);
        mesh->m_bClockwise = clockwise;
        Frame f(mesh.get(), 64, 64);
        ExpectNear(f.At(32, 36), lit, 3, clockwise ? "clockwise centre" : "centre");
        EXPECT_EQ(f.At(2, 2), kBlack) << "corner stays background";
        EXPECT_EQ(f.At(32, 4), kBlack) << "above the apex";
        EXPECT_EQ(f.surface.SwapCount(), 1);
    }
}

TEST(CMeshRendererGl, WireframeDrawsEdgesInTheWireColour)
{
    auto mesh = Triangles(1);
    mesh->m_bSolid = false;
    Frame f(mesh.get(), 64, 64);
    EXPECT_EQ(f.At(32, 36), kBlack) << "the inside stays empty";
    EXPECT_GT(f.CountNear({255, 128, 0}, 2), 20) << "unlit edges in the wire colour";
    EXPECT_EQ(f.CountNear({214, 255, 184}, 10), 0) << "no lit fill";
}

TEST(CMeshRendererGl, TwoGroupsDrawOnlyTheirTriangles)
{
    auto mesh = Triangles(3);
    mesh->AddGroup(0, 3, "left");
    mesh->AddGroup(6, 3, "right");
    Frame f(mesh.get(), 128, 64);
    // Triangle centres at x -3, 0, 3 of a half-width of about 7.7 units.
    EXPECT_NE(f.At(39, 34), kBlack) << "left group";
    EXPECT_EQ(f.At(64, 34), kBlack) << "the middle triangle is in no group";
    EXPECT_NE(f.At(89, 34), kBlack) << "right group";
}

TEST(CMeshRendererGl, NoIndicesDrawsNothingButStillSwaps)
{
    auto mesh = Triangles(1);
    mesh->SetIndexCount(0);
    Frame f(mesh.get(), 32, 32);
    EXPECT_EQ(f.CountNear(kBlack, 0), 32 * 32);
    EXPECT_EQ(f.surface.SwapCount(), 1);
}

TEST(CMeshRendererGl, BackgroundColourReachesThePixels)
{
    Frame f(nullptr, 16, 16);
    f.renderer.BeginFrame(&f.surface, 0x00FF0000, nullptr);
    GLubyte px[4];
    Gl().ReadPixels(3, 3, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    EXPECT_EQ(std::vector<int>(px, px + 4), (std::vector<int>{0, 0, 255, 0}));
}
