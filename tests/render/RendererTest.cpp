#include <cmath>

#include <gtest/gtest.h>

#include "data/Mesh.h"
#include "support/GlRecorder.h"
#include "render/MeshRenderer.h"
#include "support/TriangleMesh.h"

namespace {
// A mesh renderer drawing into the recorder; the context stays current.
struct RecordedRenderer {
    CRecordingSurface surface{200, 100};
    CMeshRenderer renderer;
    explicit RecordedRenderer(CModel* model = nullptr, int width = 200, int height = 100)
        : renderer(model, &surface, width, height)
    {
        renderer.AttachModel(model);
    }
    ~RecordedRenderer() { GlMakeCurrent(nullptr, nullptr); }
    std::vector<double> LastProjection() const { return surface.CallsOf("glMultMatrixd").back().args; }
};

std::unique_ptr<CMesh> MakeTriangles(int count) { return MakeTriangleRow(count); }
} // namespace

TEST(CRenderer, CameraWithoutAModel)
{
    RecordedRenderer r;
    EXPECT_EQ(r.renderer.m_fRadius, 1.0f);
    EXPECT_EQ(r.renderer.m_dNear, 0.001);
    EXPECT_EQ(r.renderer.m_dFar, 22.25);
    EXPECT_EQ(r.renderer.m_CameraLookAt.eye, CVector3(0, 0, 1.75f));
    EXPECT_EQ(r.renderer.m_CameraLookAt.centre, CVector3(0, 0, -1));
    EXPECT_EQ(r.renderer.m_CameraLookAt.up, CVector3(0, 1, 0));
    EXPECT_EQ(r.renderer.m_pszDescription, "Mesh rendering using OpenGL vertex array");
    EXPECT_EQ(r.surface.CallsOf("glTranslated").back().args, (std::vector<double>{0, 0, -1.75}));
}

TEST(CRenderer, CameraFollowsTheModelsSize)
{
    auto mesh = MakeTriangles(1); // diagonal of (0,0,0)..(2,2,0): sqrt 8
    const float radius = mesh->GetSize();
    RecordedRenderer r(mesh.get());
    const double d = 1.75 * radius, h = 0.5 * radius + 20;
    EXPECT_EQ(r.renderer.m_fRadius, radius);
    EXPECT_DOUBLE_EQ(r.renderer.m_dFar, d + h);
    EXPECT_EQ(r.renderer.m_dNear, 0.001);

    COffMesh big;
    big.SetVertexCount(2);
    big.m_pVertices[1] = {100, 0, 0};
    big.m_bDirty = true;
    r.renderer.AttachModel(&big);
    EXPECT_DOUBLE_EQ(r.renderer.m_dNear, 175.0 - 70.0);
    EXPECT_DOUBLE_EQ(r.renderer.m_dFar, 175.0 + 70.0);
}

TEST(CRenderer, ZoomClampsTheFieldOfView)
{
    struct Case {
        int wheel;
        double fov;
    };
    for (Case c : {Case{0, 30}, Case{10, 28}, Case{149, 0.2}, Case{150, 0.1}, Case{400, 0.1}, Case{-750, 180},
                   Case{-2000, 180}}) {
        RecordedRenderer r;
        r.renderer.Zoom(c.wheel);
        EXPECT_NEAR(r.renderer.m_dFovY, c.fov, 1e-9) << c.wheel;
        const double radians = r.renderer.m_dFovY / 2 * M_PI / 180;
        if (c.fov < 180) {
            EXPECT_NEAR(r.LastProjection()[5], std::cos(radians) / std::sin(radians), 1e-6) << c.wheel;
        }
    }
}

TEST(CRenderer, SetPerspectiveWithZerosReappliesTheStoredProjection)
{
    RecordedRenderer r;
    r.renderer.SetPerspective(45, 2, 50, 1.5);
    const auto stored = r.LastProjection();
    r.renderer.SetPerspective(0, 0, 0, 0);
    EXPECT_EQ(r.LastProjection(), stored);
    EXPECT_EQ(r.renderer.m_dFovY, 45);
    EXPECT_EQ(r.renderer.m_dNear, 2);
    EXPECT_EQ(r.renderer.m_dFar, 50);
    EXPECT_EQ(r.renderer.m_dAspect, 1.5);
    const auto names = r.surface.Names();
    EXPECT_EQ(names.back(), "glMatrixMode");
    EXPECT_EQ(r.surface.CallsOf("glMatrixMode").back().args, (std::vector<double>{GL_MODELVIEW}));
}

TEST(CRenderer, ZeroHeightKeepsThePreviousAspect)
{
    RecordedRenderer minimised(nullptr, 300, 0);
    EXPECT_EQ(minimised.renderer.m_dAspect, 1.0);
    EXPECT_TRUE(std::isfinite(minimised.LastProjection()[0]));

    RecordedRenderer r(nullptr, 200, 100);
    EXPECT_EQ(r.renderer.m_dAspect, 2.0);
    r.renderer.Resize(300, 0);
    EXPECT_EQ(r.renderer.m_dAspect, 2.0);
    EXPECT_EQ(r.renderer.m_nHeight, 0);
    EXPECT_EQ(r.surface.CallsOf("glViewport").back().args, (std::vector<double>{0, 0, 300, 0}));
    r.renderer.Resize(300, 100);
    EXPECT_EQ(r.renderer.m_dAspect, 3.0);
}

TEST(CRenderer, BeginFrameClearsToTheBackgroundColour)
{
    struct Case {
        COLORREF colour;
        std::vector<double> rgba;
    };
    const Case cases[] = {
        {0x00FF0000, {0, 0, 1, 0}},
        {0x000000FF, {1, 0, 0, 0}},
        {0xFF00FF00, {0, 1, 0, 0}}, // the top byte is not a colour
        {0x00336699, {0x99 / 255.0f, 0x66 / 255.0f, 0x33 / 255.0f, 0}},
    };
    for (const Case& c : cases) {
        RecordedRenderer r;
        GlMakeCurrent(nullptr, nullptr);
        r.surface.m_aCalls.clear();
        r.renderer.BeginFrame(&r.surface, c.colour, nullptr);
        EXPECT_EQ(r.surface.Names(), (std::vector<std::string>{"MakeCurrent", "glClearColor", "glClear"}));
        EXPECT_EQ(r.surface.CallsOf("glClearColor").at(0).args, c.rgba) << std::hex << c.colour;
        EXPECT_EQ(r.surface.CallsOf("glClear").at(0).args,
                  (std::vector<double>{GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT}));
    }
}

TEST(CMeshRenderer, MeshWithoutIndicesDrawsNothingButFlushesAndSwaps)
{
    CMesh empty;
    empty.SetVertexCount(3);
    RecordedRenderer r(&empty);
    r.surface.m_aCalls.clear();
    r.renderer.Render(&r.surface, true);
    EXPECT_EQ(r.surface.CountOf("glDrawElements"), 0);
    EXPECT_EQ(r.surface.CountOf("glFlush"), 1);
    EXPECT_EQ(r.surface.m_nSwaps, 1);
    r.renderer.Render(&r.surface, false);
    EXPECT_EQ(r.surface.m_nSwaps, 1);
}

TEST(CMeshRenderer, GroupsAreDrawnAsTheirOwnRanges)
{
    struct Case {
        std::vector<CMeshGroup> groups;
        std::vector<std::pair<int, int>> draws; // first index, count
        const char* why;
    };
    const Case cases[] = {
        {{}, {{0, 9}}, "no groups: the whole list"},
        {{{0, 3, "a"}, {6, 3, "c"}}, {{0, 3}, {6, 3}}, "two groups, two ranges"},
        {{{6, 30, "long"}, {12, 3, "outside"}, {3, 0, "empty"}}, {{6, 3}}, "ranges stay inside the list"},
    };
    for (const Case& c : cases) {
        auto mesh = MakeTriangles(3);
        mesh->m_aGroups = c.groups;
        RecordedRenderer r(mesh.get());
        r.surface.m_aCalls.clear();
        r.renderer.Render(&r.surface, false);
        auto draws = r.surface.CallsOf("glDrawElements");
        ASSERT_EQ(draws.size(), c.draws.size()) << c.why;
        const double base = double(reinterpret_cast<std::uintptr_t>(mesh->m_pIndices.get()));
        for (std::size_t i = 0; i < draws.size(); ++i) {
            EXPECT_EQ(draws[i].args[0], GL_TRIANGLES) << c.why;
            EXPECT_EQ(draws[i].args[1], c.draws[i].second) << c.why;
            EXPECT_EQ(draws[i].args[2], GL_UNSIGNED_INT) << c.why;
            EXPECT_EQ(draws[i].args[3], base + 4.0 * c.draws[i].first) << c.why;
        }
    }
}

TEST(CMeshRenderer, WindingOnlyChangesTheFrontFace)
{
    for (bool clockwise : {false, true})
        for (bool solid : {true, false}) {
            auto mesh = MakeTriangles(1);
            mesh->m_bClockwise = clockwise;
            mesh->m_bSolid = solid;
            RecordedRenderer r(mesh.get());
            r.surface.m_aCalls.clear();
            r.renderer.Render(&r.surface, false);
            auto front = r.surface.CallsOf("glFrontFace");
            if (solid) {
                ASSERT_EQ(front.size(), 2u);
                EXPECT_EQ(front[0].args[0], clockwise ? GL_CW : GL_CCW);
            }
            EXPECT_EQ(front.back().args[0], GL_CCW);
            EXPECT_FALSE(r.surface.m_enabled.count(GL_CULL_FACE)) << clockwise << solid;
            EXPECT_EQ(r.surface.m_enabled.count(GL_LIGHTING), solid ? 1u : 0u);
            EXPECT_EQ(r.surface.CallsOf("glPolygonMode").back().args[1], solid ? GL_FILL : GL_LINE);
        }
}

TEST(CMeshRenderer, ContextIsReleasedThenDeleted)
{
    CRecordingSurface s;
    {
        CMeshRenderer r(nullptr, &s, 10, 10);
        EXPECT_EQ(s.m_nLiveContexts, 1);
        EXPECT_TRUE(s.m_bFormatSet);
        EXPECT_EQ(s.m_format.accumBits, 16);
        s.m_aCalls.clear();
    }
    EXPECT_EQ(s.Names(), (std::vector<std::string>{"ReleaseCurrent", "DeleteContext"}));
    EXPECT_EQ(s.m_nLiveContexts, 0);
}

TEST(CMeshRenderer, MeshWithoutNormalsReadsNoNormalArray)
{
    auto mesh = MakeTriangles(1);
    mesh->m_pNormals.reset();
    RecordedRenderer r(mesh.get());
    r.surface.m_aCalls.clear();
    r.renderer.Render(&r.surface, false);
    EXPECT_EQ(r.surface.CountOf("glNormalPointer"), 0);
    for (const GlCall& c : r.surface.CallsOf("glEnableClientState"))
        EXPECT_NE(c.args[0], GL_NORMAL_ARRAY);
    EXPECT_EQ(r.surface.CountOf("glDrawElements"), 1);
}
