#include <cmath>

#include <gtest/gtest.h>

#include "support/GlRecorder.h"
#include "platform/Glu.h"

namespace {
struct CurrentGuard {
    ~CurrentGuard() { GlMakeCurrent(nullptr, nullptr); }
};
} // namespace

TEST(GlSeam, CallsWithoutAContextDoNothing)
{
    EXPECT_EQ(GlGetCurrentSurface(), nullptr);
    Gl().Clear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(Gl().GetString(GL_EXTENSIONS), nullptr);
    EXPECT_EQ(GlGetProcAddress("glBlendEquationEXT"), nullptr);
}

TEST(GlSeam, ContextNeedsAPixelFormat)
{
    CRecordingSurface s;
    EXPECT_EQ(s.CreateContext(), nullptr);
    ASSERT_TRUE(s.SetPixelFormat(kRendererPixelFormat));
    EXPECT_NE(s.CreateContext(), nullptr);
    const GlCall format = s.CallsOf("SetPixelFormat").at(0);
    EXPECT_EQ(format.args, (std::vector<double>{1, 24, 16, 32}));
}

TEST(GlSeam, RecorderLogsCallsOfTheCurrentSurfaceOnly)
{
    CurrentGuard guard;
    CRecordingSurface a, b;
    a.SetPixelFormat(kRendererPixelFormat);
    b.SetPixelFormat(kRendererPixelFormat);
    auto ca = a.CreateContext();
    auto cb = b.CreateContext();

    ASSERT_TRUE(GlMakeCurrent(&a, ca.get()));
    EXPECT_EQ(GlGetCurrentContext(), ca.get());
    Gl().ClearColor(0.0f, 0.5f, 1.0f, 0.0f);
    Gl().Enable(GL_DEPTH_TEST);
    ASSERT_TRUE(GlMakeCurrent(&b, cb.get()));
    Gl().Flush();

    EXPECT_EQ(a.Names(), (std::vector<std::string>{"SetPixelFormat", "CreateContext", "MakeCurrent", "glClearColor",
                                                   "glEnable", "ReleaseCurrent"}));
    EXPECT_EQ(a.CallsOf("glClearColor").at(0).args, (std::vector<double>{0.0, 0.5, 1.0, 0.0}));
    EXPECT_EQ(b.CountOf("glFlush"), 1);
    EXPECT_TRUE(a.m_enabled.count(GL_DEPTH_TEST));
}

TEST(GlSeam, DeletingTheCurrentContextLeavesNothingCurrent)
{
    CRecordingSurface s;
    s.SetPixelFormat(kRendererPixelFormat);
    auto c = s.CreateContext();
    ASSERT_TRUE(GlMakeCurrent(&s, c.get()));
    c.reset();
    EXPECT_EQ(GlGetCurrentContext(), nullptr);
    EXPECT_EQ(GlGetCurrentSurface(), nullptr);
    EXPECT_EQ(s.m_nLiveContexts, 0);
    auto names = s.Names();
    EXPECT_EQ(std::vector<std::string>(names.end() - 2, names.end()),
              (std::vector<std::string>{"ReleaseCurrent", "DeleteContext"}));
}

TEST(GlSeam, RecorderAnswersQueriesAndStandsInForExtensions)
{
    CurrentGuard guard;
    CRecordingSurface s(64, 32);
    s.SetPixelFormat(kRendererPixelFormat);
    auto c = s.CreateContext();
    GlMakeCurrent(&s, c.get());
    s.m_strExtensions = "GL_EXT_blend_minmax GL_EXT_texture3D";
    s.m_fPixel[0] = 1.0f;
    s.m_fPixel[2] = 0.5f;
    const CGlDispatch& gl = Gl();

    EXPECT_STREQ(reinterpret_cast<const char*>(gl.GetString(GL_EXTENSIONS)), s.m_strExtensions.c_str());
    GLint vp[4];
    gl.GetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(std::vector<int>(vp, vp + 4), (std::vector<int>{0, 0, 64, 32}));
    gl.Viewport(1, 2, 3, 4);
    gl.GetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(std::vector<int>(vp, vp + 4), (std::vector<int>{1, 2, 3, 4}));
    GLfloat rgb[3];
    gl.ReadPixels(0, 0, 1, 1, GL_RGB, GL_FLOAT, rgb);
    EXPECT_EQ(std::vector<float>(rgb, rgb + 3), (std::vector<float>{1.0f, 0.0f, 0.5f}));

    auto blend = reinterpret_cast<PFNGLBLENDEQUATIONEXTPROC>(GlGetProcAddress("glBlendEquationEXT"));
    ASSERT_NE(blend, nullptr);
    blend(GL_MAX_EXT);
    EXPECT_EQ(s.CallsOf("glBlendEquationEXT").at(0).args, (std::vector<double>{GL_MAX_EXT}));
    EXPECT_EQ(GlGetProcAddress("glNoSuchEntryPoint"), nullptr);

    const float m[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 1, 2, 3, 1};
    gl.MultMatrixf(m);
    EXPECT_EQ(s.CallsOf("glMultMatrixf").at(0).args, std::vector<double>(m, m + 16));
}

TEST(Glu, PerspectiveAndLookAtMatchTheirClosedForms)
{
    CurrentGuard guard;
    CRecordingSurface s;
    s.SetPixelFormat(kRendererPixelFormat);
    auto c = s.CreateContext();
    GlMakeCurrent(&s, c.get());

    GluPerspective(90.0, 2.0, 1.0, 3.0);
    auto p = s.CallsOf("glMultMatrixd").at(0).args;
    EXPECT_NEAR(p[0], 0.5, 1e-12);
    EXPECT_NEAR(p[5], 1.0, 1e-12);
    EXPECT_NEAR(p[10], -2.0, 1e-12);
    EXPECT_EQ(p[11], -1.0);
    EXPECT_NEAR(p[14], -3.0, 1e-12);

    // Looking down -z from (0, 0, 5) is a plain translation.
    GluLookAt(0, 0, 5, 0, 0, -1, 0, 1, 0);
    auto v = s.CallsOf("glMultMatrixd").at(1).args;
    EXPECT_EQ(v, (std::vector<double>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
    EXPECT_EQ(s.CallsOf("glTranslated").at(0).args, (std::vector<double>{0, 0, -5}));

    // A degenerate frustum leaves the matrix alone, as GLU does.
    GluPerspective(30.0, 1.0, 2.0, 2.0);
    EXPECT_EQ(s.CountOf("glMultMatrixd"), 2);
}

TEST(Glu, ProjectAndUnProjectAreInverse)
{
    // A perspective projection and a rotated, shifted modelview.
    const double proj[16] = {1.5, 0, 0, 0, 0, 2, 0, 0, 0, 0, -1.2, -1, 0, 0, -4.4, 0};
    const double c = std::cos(0.3), s = std::sin(0.3);
    const double model[16] = {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0.5, -1, -10, 1};
    const int viewport[4] = {10, 20, 200, 100};
    double wx, wy, wz, ox, oy, oz;
    ASSERT_TRUE(GluProject(1, 2, 3, model, proj, viewport, &wx, &wy, &wz));
    ASSERT_TRUE(GluUnProject(wx, wy, wz, model, proj, viewport, &ox, &oy, &oz));
    EXPECT_NEAR(ox, 1, 1e-9);
    EXPECT_NEAR(oy, 2, 1e-9);
    EXPECT_NEAR(oz, 3, 1e-9);

    const double identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    ASSERT_TRUE(GluProject(0, 0, 0, identity, identity, viewport, &wx, &wy, &wz));
    EXPECT_EQ(wx, 110);
    EXPECT_EQ(wy, 70);
    EXPECT_EQ(wz, 0.5);

    const double singular[16] = {};
    EXPECT_FALSE(GluUnProject(0, 0, 0, singular, identity, viewport, &ox, &oy, &oz));
    EXPECT_STREQ(GluErrorString(GL_INVALID_OPERATION), "invalid operation");
}
